! Baseline (b) for W1: the W1 document written with formatted WRITEs.
! Usage: bench_w1_fortran OUT.eps [MOTIONS]
! The motions are those of bench/e2e/w1_workload.hpp.
program bench_w1_fortran
  use classic_plot
  implicit none
  character(len=4096) :: path, arg
  integer(8) :: motions, i
  integer :: along, across, code, status
  real :: x, y

  if (command_argument_count() < 1) then
    write(0,'(a)') 'usage: bench_w1_fortran OUT.eps [MOTIONS]'
    stop 2
  end if
  call get_command_argument(1, path)
  motions = 10000000_8
  if (command_argument_count() >= 2) then
    call get_command_argument(2, arg)
    read(arg, *, iostat=status) motions
    if (status /= 0 .or. motions < 0) then
      write(0,'(a)') 'usage: bench_w1_fortran OUT.eps [MOTIONS]'
      stop 2
    end if
  end if

  call open_plot(trim(path))
  do i = 0, motions - 1
    along = int(mod(i, 1000_8))
    across = int(mod(mod(i, 2000_8)*7919_8, 2000_8))
    x = 1.0 + real(along)*0.018
    y = 1.0 + real(across)*0.01
    code = 2
    if (mod(i, 1001_8) == 0) code = 3
    call xplot(x, y, code)
  end do
  call close_plot()
end program bench_w1_fortran

! Baseline (b) for W2: the trace plot program done the old way. Formatted
! READs of the run parameters (standard input) and of the fixed-column trace
! file fort.10, then the same stacked-trace drawing as traceplot, written
! with formatted WRITEs to fort.8. No limit on traces or samples per trace.
program bench_w2_fortran
  use classic_plot
  implicit none
  real, parameter :: xstart = 2.0
  real :: base, ascale, tscale, sscale, dt, unused, pos, pos1, prevpos, amp, ref, x, y
  integer :: ntr, n, i, j, code
  real, allocatable :: s(:)

  read(*,*) base
  read(*,*) ascale
  read(*,*) tscale
  read(*,*) sscale
  call open_plot('fort.8')
  open(unit=10, file='fort.10', status='old', action='read', form='formatted')
  read(10,'(2f12.5)') dt, unused
  read(10,'(i5)') ntr
  allocate(s(4096))
  pos1 = 0.0
  prevpos = 0.0
  ref = 0.0
  do i = 1, ntr
    read(10,'(2f12.5)') pos, unused
    read(10,'(i5)') n
    read(10,'(f15.7)') amp
    if (n > size(s)) then
      deallocate(s)
      allocate(s(n))
    end if
    read(10,'(6f12.7)') (s(j), j = 1, n)
    if (i == 1) then
      pos1 = pos
      if (ascale < 0.0) ref = amp
    else if (pos == pos1) then
      base = base - 2.0*abs(ascale)
    else
      base = base - (pos - prevpos)*sscale
    end if
    prevpos = pos
    do j = 1, n
      x = (real(j - 1)*dt)*tscale + xstart
      if (ascale >= 0.0) then
        y = s(j)*ascale + base
      else
        y = ((s(j)*amp)/ref)*ascale + base
      end if
      code = 2
      if (j == 1) code = 3
      call xplot(x, y, code)
    end do
  end do
  call close_plot()
end program bench_w2_fortran

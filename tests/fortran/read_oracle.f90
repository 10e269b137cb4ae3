! The gfortran runtime's formatted input as the reference for the trace plot
! program's readers: the same formats, read from external files as the
! program's own input is (a comma ends a field there, not in internal files).
module read_oracle
  use, intrinsic :: iso_c_binding
  implicit none
  private

  ! A value no READ produces (a quiet NaN with a payload): left in place, it
  ! marks an item that a list-directed READ did not assign.
  integer(c_int32_t), parameter :: unassigned_bits = int(z'7FA5A5A5', c_int32_t)

contains

  function file_name(path, path_len) result(name)
    character(kind=c_char), intent(in) :: path(*)
    integer(c_size_t), value :: path_len
    character(len=:), allocatable :: name
    integer :: k
    allocate(character(len=path_len) :: name)
    do k = 1, int(path_len)
      name(k:k) = path(k)
    end do
  end function

  ! The first record of the file with one of the program's formats:
  ! 1 '(2F12.5)', 2 '(I5)', 3 '(F15.7)', 4 '(6F12.7)'. Returns IOSTAT.
  function oracle_read_record(path, path_len, format_kind, reals, int_value) &
      bind(C, name='oracle_read_record') result(ios)
    character(kind=c_char), intent(in) :: path(*)
    integer(c_size_t), value :: path_len
    integer(c_int), value :: format_kind
    real(c_float), intent(out) :: reals(6)
    integer(c_int32_t), intent(out) :: int_value
    integer(c_int) :: ios
    integer :: u
    reals = 0
    int_value = 0
    open(newunit=u, file=file_name(path, path_len), status='old', action='read', iostat=ios)
    if (ios /= 0) return
    select case (format_kind)
    case (1)
      read(u, '(2F12.5)', iostat=ios) reals(1:2)
    case (2)
      read(u, '(I5)', iostat=ios) int_value
    case (3)
      read(u, '(F15.7)', iostat=ios) reals(1)
    case default
      read(u, '(6F12.7)', iostat=ios) reals(1:6)
    end select
    close(u)
  end function

  ! Up to `count` list-directed READs of one real each, as the program reads
  ! its parameters; stops at the first that fails. values(k) keeps the bits
  ! 7FA5A5A5 where READ k left its item unassigned; ios(k) is its IOSTAT.
  function oracle_read_list(path, path_len, count, values, ios) bind(C, name='oracle_read_list') result(done)
    character(kind=c_char), intent(in) :: path(*)
    integer(c_size_t), value :: path_len
    integer(c_int), value :: count
    real(c_float), intent(out) :: values(count)
    integer(c_int), intent(out) :: ios(count)
    integer(c_int) :: done
    integer :: u, k, open_status
    values = transfer(unassigned_bits, 1.0_c_float)
    ios = 0
    done = 0
    open(newunit=u, file=file_name(path, path_len), status='old', action='read', iostat=open_status)
    if (open_status /= 0) return
    do k = 1, count
      read(u, *, iostat=ios(k)) values(k)
      done = k
      if (ios(k) /= 0) exit
    end do
    close(u)
  end function

  ! The whole trace file in the program's order of READs. Every value of a
  ! completed READ goes to out(1:used) (counts as reals); returns the IOSTAT
  ! of the READ that stopped early, or 0 after the last trace.
  function oracle_read_trace_file(path, path_len, out, capacity, used) &
      bind(C, name='oracle_read_trace_file') result(ios)
    character(kind=c_char), intent(in) :: path(*)
    integer(c_size_t), value :: path_len
    integer(c_int), value :: capacity
    real(c_float), intent(out) :: out(capacity)
    integer(c_int), intent(out) :: used
    integer(c_int) :: ios
    real :: a, b, amplitude
    real, allocatable :: s(:)
    integer :: u, trace_count, n, i, j
    used = 0
    open(newunit=u, file=file_name(path, path_len), status='old', action='read', iostat=ios)
    if (ios /= 0) return
    read(u, '(2F12.5)', iostat=ios) a, b
    if (ios /= 0) goto 9
    call push(a)
    call push(b)
    read(u, '(I5)', iostat=ios) trace_count
    if (ios /= 0) goto 9
    call push(real(trace_count))
    do i = 1, trace_count
      read(u, '(2F12.5)', iostat=ios) a, b
      if (ios /= 0) goto 9
      call push(a)
      call push(b)
      read(u, '(I5)', iostat=ios) n
      if (ios /= 0) goto 9
      call push(real(n))
      read(u, '(F15.7)', iostat=ios) amplitude
      if (ios /= 0) goto 9
      call push(amplitude)
      allocate(s(max(n, 0)))
      read(u, '(6F12.7)', iostat=ios) (s(j), j = 1, n)
      if (ios /= 0) goto 9
      do j = 1, n
        call push(s(j))
      end do
      deallocate(s)
    end do
9   close(u)
  contains
    subroutine push(v)
      real, intent(in) :: v
      if (used < capacity) then
        used = used + 1
        out(used) = v
      end if
    end subroutine
  end function

end module

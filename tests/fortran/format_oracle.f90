! The gfortran runtime as the reference for the library's Fw.d and Iw
! writers: each routine writes a batch of values with an edit descriptor
! built at run time, into one internal record, and hands the text to C.
module format_oracle
  use, intrinsic :: iso_c_binding, only: c_char, c_float, c_int
  implicit none
  private
  public :: oracle_write_reals, oracle_write_integers

contains

  ! Copies the first length characters of the record into the C buffer.
  subroutine hand_over(record, text, length)
    character(len=*), intent(in) :: record
    character(kind=c_char), intent(out) :: text(*)
    integer(c_int), intent(in) :: length
    integer :: i
    do i = 1, length
      text(i) = record(i:i)
    end do
  end subroutine hand_over

  ! values(1:n) written with Fw.d: the fields follow one another (w > 0);
  ! with w = 0 every F0.d field is followed by one blank. capacity must hold
  ! n * (w + 1) characters, and at least 64 per value for w = 0.
  subroutine oracle_write_reals(values, n, w, d, text, capacity, length) &
      bind(C, name='plume_oracle_write_reals')
    integer(c_int), value :: n, w, d, capacity
    real(c_float), intent(in) :: values(n)
    character(kind=c_char), intent(out) :: text(capacity)
    integer(c_int), intent(out) :: length
    character(len=40) :: form
    character(len=:), allocatable :: record

    if (w > 0) then
      write (form, '(a,i0,a,i0,a)') '(*(F', w, '.', d, '))'
    else
      write (form, '(a,i0,a)') '(*(F0.', d, ',1x))'
    end if
    allocate (character(len=capacity) :: record)
    write (record, form) values
    if (w > 0) then
      length = n * w
    else
      length = len_trim(record)
    end if
    call hand_over(record, text, length)
  end subroutine oracle_write_reals

  ! values(1:n) written with Iw, in the same layout as oracle_write_reals.
  subroutine oracle_write_integers(values, n, w, text, capacity, length) &
      bind(C, name='plume_oracle_write_integers')
    integer(c_int), value :: n, w, capacity
    integer(c_int), intent(in) :: values(n)
    character(kind=c_char), intent(out) :: text(capacity)
    integer(c_int), intent(out) :: length
    character(len=40) :: form
    character(len=:), allocatable :: record

    if (w > 0) then
      write (form, '(a,i0,a)') '(*(I', w, '))'
    else
      form = '(*(I0,1x))'
    end if
    allocate (character(len=capacity) :: record)
    write (record, form) values
    if (w > 0) then
      length = n * w
    else
      length = len_trim(record)
    end if
    call hand_over(record, text, length)
  end subroutine oracle_write_integers

end module format_oracle

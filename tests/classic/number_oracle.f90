! gfortran's own formatting as the oracle for number's text in a classic
! plot: F0.n with the 0 before the point that F0.n leaves out, and I0 of
! the value rounded (NINT) to a multiple of 10**(-n-1).
subroutine plume_oracle_classic_number(value, n, text, length) bind(C)
  use iso_c_binding, only: c_float, c_int, c_char, c_double, c_int64_t
  implicit none
  real(c_float), value :: value
  integer(c_int), value :: n
  character(kind=c_char), intent(out) :: text(64)
  integer(c_int), intent(out) :: length
  character(len=64) :: buf
  character(len=16) :: form
  integer(c_int64_t) :: p
  integer :: i
  if (n >= 0) then
    write (form, '(a,i0,a)') '(f0.', n, ')'
    write (buf, form) value
    buf = adjustl(buf)
    if (buf(1:1) == '.') buf = '0' // buf
    if (buf(1:2) == '-.') buf = '-0' // buf(2:)
  else
    p = 10_c_int64_t**(-n - 1)
    write (buf, '(i0)') nint(real(value, c_double) / real(p, c_double), c_int64_t) * p
  end if
  length = len_trim(buf)
  do i = 1, length
    text(i) = buf(i:i)
  end do
end subroutine

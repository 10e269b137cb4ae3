! Annotation: the Fortran version of examples/doc_annotation.cpp.
! Writes fort.8.
program doc_annotation
  implicit none
  integer, parameter :: n = 11
  integer, parameter :: codes(6) = [62, 103, -5, 42, 31, 22]
  real :: t(n + 2), a(n + 2), b(n + 2), y
  integer :: i
  do i = 1, n
    t(i) = 20.0 * real(i - 1)
    a(i) = 40.0 + 30.0 * sin(0.5 * real(i - 1))
    b(i) = 0.5 * a(i) + 15.0
  end do
  call scale(t, 10.0, n, 1)
  call scale(a, 5.0, n, 1)
  b(n + 1:n + 2) = a(n + 1:n + 2)
  call bbox_atend(1)
  call hplots(1, 1, 8, 0)
  call rgbcolor(1.0, 1.0, 1.0)
  call rect(0.0, 0.0, 16.5, 7.8)
  call color(0)
  call plot(1.6, 1.6, -3)
  call axmode(1)
  call axis(0.0, 0.0, 'time (s)', -8, 10.0, 0.0, t(n + 1), t(n + 2))
  call axis(0.0, 0.0, 'level', 5, 5.0, 90.0, a(n + 1), a(n + 2))
  call line(t, a, n, 1, 2, 2)
  call dashl(t, b, n, 1)
  call plot(0.0, 4.0, 3)
  call dashp(10.0, 4.0, 0.1)
  do i = 1, 6
    y = 5.0 - 0.6 * real(i - 1)
    call number(11.0, y, 0.3, real(codes(i)), 0.0, -4)
    call number(12.5, y, 0.3, 3.14159, 0.0, codes(i))
  end do
  call hplots(0, 0, 8, 0)
end program doc_annotation

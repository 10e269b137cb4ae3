! Modern Fortran: the same routines through the explicit interfaces of the
! plume module, text given both as a string and as integer words.
program module_program
  use plume
  implicit none
  integer :: k, words(2)
  real :: x, y, f, measure(4)

  call connect_unit(25, 'module.eps')
  call hplots(1, 1, 25, 0)
  call plot(1.0, 1.0, 3)
  call plot(3.0, 2.0, 2)
  call where(x, y, f)
  if (x /= 3.0 .or. y /= 2.0 .or. f /= 1.0) error stop 'where'
  call color(4)
  call factor(1.0)
  call origin(0.0, 0.0, 0)
  k = 9
  call color(k)
  if (k /= 0) error stop 'color writes back a replaced index'
  call newpen(2)
  call symbol(1.0, 3.0, 0.5, 'AB', 0.0, 2)
  words = transfer('CD  ', words(1))
  call symbol(999.0, 999.0, 0.5, words, 0.0, 2)
  call symbol(5.0, 5.0, 0.3, 3, 0.0, -1)
  call justfy(measure, 0.21, 'AB', 2)
  if (abs(measure(3) - 0.39) > 1.0e-5) error stop 'justfy'
  call plot(0.0, 0.0, 999)
  print '(a)', 'fortran module: ok'
end program module_program

! A modern Fortran program: explicit interfaces from the plume module.
program use_plume
  use plume
  implicit none
  real :: x, y, f
  call connect_unit(27, 'module.eps')
  call hplots(1, 1, 27, 0)
  call plot(1.0, 1.0, 3)
  call plot(3.0, 2.0, 2)
  call where(x, y, f)
  if (x /= 3.0 .or. y /= 2.0) error stop 'where'
  call symbol(1.0, 3.0, 0.5, 'use plume', 0.0, 9)
  call plot(0.0, 0.0, 999)
end program use_plume

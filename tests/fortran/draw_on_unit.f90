! The drawing of the connected-unit tests, on the unit given.
subroutine draw(unit)
  integer :: unit
  call hplots(1, 1, unit, 0)
  call plot(1.0, 1.0, 3)
  call plot(5.0, 4.0, 2)
  call newpen(3)
  call plot(2.0, 6.0, 2)
  ! Back to the origin, where every plot of the run starts its pen.
  call plot(0.0, 0.0, 3)
  call hplots(0, 0, unit, 0)
end subroutine draw

! A legacy program, implicit interfaces: the same calls write a PDF, a PNG
! of the whole sheet at 72 dpi, and an EPS.
program formats_implicit
  call crop_pages(0)
  call raster_dpi(72)
  call connect_unit(8, 'implicit.png')
  call draw(8)
  call crop_pages(1)
  call connect_unit(9, 'implicit.pdf')
  call draw(9)
  call connect_unit(10, 'implicit.eps')
  call draw(10)
  print '(a)', 'fortran formats: ok'
end program formats_implicit

subroutine draw(unit)
  integer unit
  call hplots(1, 1, unit, 0)
  call plot(1.0, 1.0, 3)
  call plot(5.0, 1.0, 2)
  call plot(5.0, 4.0, 2)
  call xsymbol(1.0, 5.0, 0.5, 'Fortran', 0.0, 7, 2)
  call newpage
  call circle(3.0, 3.0, 1.0)
  call hplots(0, 0, unit, 0)
end subroutine draw

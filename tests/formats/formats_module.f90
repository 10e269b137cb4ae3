! Modern Fortran through the plume module: an SVG and a PNG at 300 dpi.
program formats_module
  use plume
  implicit none
  call raster_dpi(300)
  call connect_unit(11, 'module.svg')
  call hplots(1, 0, 11, 0)
  call plot(1.0, 1.0, 3)
  call plot(8.0, 3.0, 2)
  call hplots(0, 0, 11, 0)
  call connect_unit(12, 'module.png')
  call hplots(1, 1, 12, 0)
  call plot(1.0, 1.0, 3)
  call plot(8.0, 3.0, 2)
  call hplots(0, 0, 12, 0)
  print '(a)', 'fortran module formats: ok'
end program formats_module

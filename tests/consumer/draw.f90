! A Fortran program linked with pkg-config --static --libs plume.
program draw
  call connect_unit(23, 'fortran.eps')
  call hplots(1, 0, 23, 0)
  call plot(1.0, 1.0, 3)
  call plot(4.0, 3.0, 2)
  call newpen(2)
  call plot(2.0, 5.0, 2)
  call plot(0.0, 0.0, 999)
end program draw

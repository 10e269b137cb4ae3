! Lines the program prints on unit 6 and a document on unit 6 keep their
! call order when standard output is a file.
program unit6_order
  print '(a)', 'BEFORE'
  call draw(6)
  print '(a)', 'AFTER'
end program unit6_order

! A legacy program (implicit interfaces) that connects units itself before
! it opens plots on them. tests/fortran/connected_units.sh checks the files.
program connected_units
  logical :: connected

  ! OPEN with FILE=, a line written before the plot.
  open(8, file='mine.eps')
  write(8, '(a)') '% written by the program before the plot'
  call draw(8)
  inquire(unit=8, opened=connected)
  print '(a,l1)', 'unit 8 connected after the close: ', connected

  ! OPEN without FILE: gfortran names the file fort.9.
  open(9)
  write(9, '(a)') '% unit 9'
  call draw(9)

  ! Connected by a first WRITE, which also makes fort.10.
  write(10, '(a)') '% unit 10'
  call draw(10)

  ! Opened on a file that already holds more lines than the program writes:
  ! the document follows the program's line, as a sequential file would.
  open(12, file='old.eps')
  write(12, '(a)') '% unit 12'
  call draw(12)

  ! Never connected: the reference document, in fort.11.
  call draw(11)

  ! After its close unit 8 is connected anew: fort.8, not mine.eps.
  call draw(8)
end program connected_units

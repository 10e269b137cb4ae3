! A legacy program (implicit interfaces) that opens units on PDF, SVG and
! PNG files and for appending before it plots on them.
! tests/fortran/unit_formats.sh checks the files.
program unit_formats
  open(8, file='mine.pdf')
  call draw(8)
  open(9, file='mine.svg')
  call draw(9)
  open(10, file='mine.png')
  call draw(10)

  ! Appending, with nothing written and after a line of the program's own.
  open(11, file='appended.eps', position='append')
  call draw(11)
  open(12, file='appended-after-line.eps', position='append')
  write(12, '(a)') '% unit 12'
  call draw(12)

  ! Never connected: the reference document, in fort.13.
  call draw(13)
end program unit_formats

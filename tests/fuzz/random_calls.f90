! Random call sequences through the Fortran face: runs a script written by
! tests/fuzz/random_calls.c (see there for its lines) with implicit
! interfaces, constants and variables passed by reference, as legacy code
! calls the library. Usage: random_calls_fortran SCRIPT PREFIX
program random_calls_fortran
  implicit none
  real, external :: rtone
  integer, external :: indx, iand
  character(len=4096) :: record, script, prefix
  character(len=512) :: path
  character(len=256) :: text
  integer :: ios, op, first, last, tlen, document
  integer :: i, j, k, n, unit, orientation, units, count, stride
  real :: x, y, a, b, h, r, s, e, v
  real :: xs(64), ys(64), widths(4)
  character(len=1) :: ch

  call get_command_argument(1, script)
  call get_command_argument(2, prefix)
  document = 0
  open (10, file=trim(script), status='old', action='read')
  do
    read (10, '(a)', iostat=ios) record
    if (ios /= 0) exit
    ! The quoted text, when there is one, ends the line.
    first = index(record, "'")
    last = index(record, "'", back=.true.)
    text = ' '
    tlen = 0
    if (first > 0 .and. last > first) then
      tlen = last - first - 1
      if (tlen > 0) text = record(first + 1:last - 1)
      record(first:) = ' '
    end if
    read (record, *) op
    select case (op)
    case (1)
      read (record, *) op, orientation, unit, units
      document = document + 1
      write (path, '(a,i5.5,a)') trim(prefix), document, '.eps'
      call connect_unit(unit, trim(path))
      call hplots(1, orientation, unit, units)
    case (0)
      read (record, *) op, i, x, y
      if (i == 0) then
        call hplots(0, 0, 0, 0)
      else
        call plot(x, y, 999)
      end if
    case (2)
      read (record, *) op, x, y, i
      call plot(x, y, i)
    case (3)
      read (record, *) op, x, y, i
      call xplot(x, y, i)
    case (4)
      read (record, *) op, x, y, i
      call origin(x, y, i)
    case (5)
      read (record, *) op, a
      call factor(a)
    case (6)
      call where(x, y, a)
    case (7)
      read (record, *) op, x, y, a, b
      call viewport(x, y, a, b)
    case (8)
      call newpage
    case (9)
      read (record, *) op, i, j
      call pen(i, j)
    case (10)
      read (record, *) op, i
      call newpen(i)
    case (11)
      read (record, *) op, i
      call color(i)
    case (12)
      read (record, *) op, x, y, a
      call rgbcolor(x, y, a)
    case (13)
      read (record, *) op, i
      a = rtone(i)
    case (14)
      read (record, *) op, i
      call dashln(i)
    case (15)
      read (record, *) op, x, y, a, b
      call rectangle(x, y, a, b)
    case (16)
      read (record, *) op, x, y, a, b, i
      call xrectangle(x, y, a, b, i)
    case (17)
      read (record, *) op, x, y, a, b
      call rect(x, y, a, b)
    case (18)
      read (record, *) op, x, y, a, b, i
      call xrect(x, y, a, b, i)
    case (19)
      read (record, *) op, x, y, r, s, e
      call arc(x, y, r, s, e)
    case (20)
      read (record, *) op, x, y, r
      call circle(x, y, r)
    case (21)
      read (record, *) op, x, y, r, s, e, i
      call xarc(x, y, r, s, e, i)
    case (22)
      read (record, *) op, x, y, r, i
      call xcircle(x, y, r, i)
    case (23)
      call fillup
    case (24)
      read (record, *) op, i, j
      call xfillup(i, j)
    case (25)
      read (record, *) op, x, y, h, a, n
      call symbol(x, y, h, text, a, n)
    case (26)
      read (record, *) op, x, y, h, a, i, n
      call symbol(x, y, h, i, a, n)
    case (27)
      read (record, *) op, x, y, i, h, j
      call csymbl(x, y, i, h, j)
    case (28)
      read (record, *) op, h, n
      call justfy(widths, h, text, n)
    case (29)
      read (record, *) op, x, y, h, a, k, n
      call xsymbol(x, y, h, text(1:tlen), a, n, k)
    case (30)
      read (record, *) op, i, j
      call hexstr(i, j)
    case (31)
      read (record, *) op, x, y, h, v, a, i
      call number(x, y, h, v, a, i)
    case (32)
      read (record, *) op, x, y, h, v, a, i, k
      call xnumber(x, y, h, v, a, i, k)
    case (33)
      read (record, *) op, x, y, r, a, s, e, n
      call axis(x, y, text(1:tlen), n, r, a, s, e)
    case (34)
      xs = 0.0
      ys = 0.0
      read (record, *) op, i, j, count, stride, (xs(1 + k * stride), k = 0, count - 1), &
          (ys(1 + k * stride), k = 0, count - 1)
      call scale(xs, 8.0, count, stride)
      call scale(ys, 8.0, count, stride)
      call line(xs, ys, count, stride, i, j)
    case (35)
      xs = 0.0
      ys = 0.0
      read (record, *) op, count, stride, (xs(1 + k * stride), k = 0, count - 1), &
          (ys(1 + k * stride), k = 0, count - 1)
      call scale(xs, 8.0, count, stride)
      call scale(ys, 8.0, count, stride)
      call dashl(xs, ys, count, stride)
    case (36)
      read (record, *) op, x, y, a
      call dashp(x, y, a)
    case (37)
      read (record, *) op, n
      call chrcod(text(1:tlen), n)
    case (38)
      read (record, *) op, i, j, n
      k = iand(i, j)
      k = indx(text(1:tlen), 'b')
    case (39)
      read (record, *) op, i
      call bbox_atend(i)
    case (40)
      read (record, *) op, i
      call axmode(i)
    case (41)
      read (record, *) op, i
      call hexchar(i, ch)
    end select
  end do
  close (10)
end program random_calls_fortran

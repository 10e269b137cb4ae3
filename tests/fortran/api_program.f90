! A legacy-style Fortran program: implicit interfaces, constants passed by
! reference, and the plot state read through its COMMON blocks.
program api_program
  implicit none
  real :: units_scale, pen_x, pen_y, origin_x, origin_y
  integer :: out_unit, orientation, unit_system
  integer :: bbox(4), move_pending, tone, color_index
  common /a00000/ units_scale, pen_x, pen_y
  common /p00000/ out_unit, orientation, unit_system
  common /p00001/ origin_x, origin_y
  common /l00001/ tone, color_index
  common /m00000/ bbox, move_pending
  integer :: font_offset, reuse_codes, codes_ready
  common /offset/ font_offset, reuse_codes, codes_ready
  real :: widths(432)
  common /iwid/ widths
  integer :: code_count, codes(354)
  common /ajust/ code_count, codes
  real :: x, y, f
  integer :: k
  character(len=80) :: line, last, expected

  call hplots(1, 1, 21, 0)
  call check(out_unit == 21 .and. orientation == 1 .and. unit_system == 0, 'open sets p00000')
  call check(abs(units_scale - 28.346457) < 1.0e-5, 'open sets units_scale')
  call plot(1.0, 1.0, 3)
  call check(move_pending == 1, 'a move leaves a move pending')
  call plot(2.0, 2.0, 2)
  call check(all(bbox == (/ 28, 28, 56, 56 /)), 'a drawn segment enters the bounding box')
  call where(x, y, f)
  call check(x == 2.0 .and. y == 2.0 .and. f == 1.0, 'where reports the pen and factor')
  call factor(2.0)
  f = 0.0
  call factor(f)
  call check(f == 2.0, 'factor reports the last factor')
  call check(abs(units_scale - 2.0 * 28.346457) < 1.0e-4, 'factor scales units_scale')
  call factor(1.0)
  call origin(1.0, 1.0, 0)
  call origin(x, y, -1)
  call check(abs(x - 1.0) < 1.0e-6 .and. abs(y - 1.0) < 1.0e-6, 'origin reports in user units')
  call check(abs(origin_x - 28.346457) < 1.0e-4, 'origin is kept in points')
  call newpen(3)
  call color(4)
  call check(color_index == 4, 'color sets the index')
  k = 12
  call color(k)
  call check(k == 0 .and. color_index == 0, 'an out-of-range colour is written back as 0')
  call check(widths(1) == 18.0 .and. widths(432) == 8.0, 'the width table is shared')
  call symbol(1.0, 3.0, 0.5, 'H\sub{2}O', 0.0, 9)
  call check(codes_ready == 2 .and. code_count == 5, 'symbol leaves its codes')
  call check(all(codes(1:5) == (/ 8, 1002, 55, 1003, 15 /)), 'the code list is shared')
  call symbol(1.0, 4.0, 0.5, '\co\A', 0.0, 5)
  call check(font_offset == 120, 'a font switch persists in /offset/')
  write (expected, '(a,4i5)') '%%BoundingBox:', bbox
  call plot(0.0, 0.0, 999)

  open (10, file='fort.21', status='old', action='read')
  do
    read (10, '(a)', end=1) line
    last = line
  end do
1 close (10)
  call check(last == expected, 'the trailer carries the box of /m00000/')
  print '(a)', 'fortran api: ok'

contains

  subroutine check(condition, what)
    logical, intent(in) :: condition
    character(len=*), intent(in) :: what
    if (.not. condition) then
      print '(2a)', 'fortran api: FAILED: ', what
      error stop 1
    end if
  end subroutine check

end program api_program

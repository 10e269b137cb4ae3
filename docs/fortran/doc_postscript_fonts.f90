! PostScript font text: the Fortran version of
! examples/doc_postscript_fonts.cpp. Writes fort.8.
program doc_postscript_fonts
  implicit none
  integer, parameter :: fonts(10) = [1, 2, 3, 4, 5, 6, 7, 11, 13, 14]
  character(len=21), parameter :: names(10) = [character(len=21) :: &
      'Times-Roman', 'Times-Bold', 'Times-Italic', 'Times-BoldItalic', &
      'Helvetica-Bold', 'Palatino-Italic', 'Courier', 'Helvetica', &
      'Helvetica-Oblique', 'Helvetica-BoldOblique']
  integer :: i
  real :: x, y
  call bbox_atend(1)
  call hplots(1, 1, 8, 0)
  call rgbcolor(1.0, 1.0, 1.0)
  call rect(0.0, 0.0, 16.0, 6.6)
  call color(0)
  do i = 1, 10
    x = merge(0.5, 6.0, i <= 5)
    y = 5.8 - 0.8 * real(mod(i - 1, 5))
    call xnumber(x, y, 0.35, real(fonts(i)), 0.0, -2, 1)
    call text(x + 0.8, y, trim(names(i)), fonts(i), 0.0)
  end do
  call xnumber(0.5, 1.4, 0.35, 20.0, 0.0, -2, 1)
  call text(1.3, 1.4, 'abgdpSW', 20, 0.0)
  call text(4.0, 1.4, '(typed as abgdpSW)', 1, 0.0)
  call text(0.5, 0.5, 'f(x) = sin(x) / x', 13, 0.0)
  call text(11.5, 1.0, 'at 30 degrees', 2, 30.0)
  call text(11.5, 5.8, 'xnumber, code 64:', 11, 0.0)
  call xnumber(11.5, 4.8, 0.5, 3.14159, 0.0, 64, 11)
  call hplots(0, 0, 8, 0)
contains
  subroutine text(x, y, s, font, angle)
    real, intent(in) :: x, y, angle
    character(len=*), intent(in) :: s
    integer, intent(in) :: font
    call xsymbol(x, y, 0.35, s, angle, len(s), font)
  end subroutine text
end program doc_postscript_fonts

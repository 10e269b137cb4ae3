! Stroke text: the Fortran version of examples/doc_stroke_text.cpp.
! Writes fort.8. Backslashes stand as written (no -fbackslash).
program doc_stroke_text
  implicit none
  character(len=*), parameter :: word = '\it\Justify'
  real :: m(4), x, y
  integer :: k
  call bbox_atend(1)
  call hplots(1, 1, 8, 0)
  call rgbcolor(1.0, 1.0, 1.0)
  call rect(0.0, 0.0, 17.0, 7.8)
  call color(0)
  call text(0.5, 7.0, 0.5, '\sim\Simplex \co\Complex \it\Italic \du\Duplex', 0.0)
  call text(0.5, 6.0, 0.5, '\co\\alpha\, \beta\, \OMEGA\: e\sup{i\pi\} = -1', 0.0)
  call text(0.5, 5.0, 0.5, '\sim\H\sub{2}O  x\sup{2\sup{n}}  \1407\ \1411\  O\bs\/', 0.0)
  call text(999.0, 999.0, 0.5, ' continues', 0.0)
  call plot(12.2, 1.0, 3)
  call plot(12.2, 4.4, 2)
  call justfy(m, 0.5, word, len(word))
  call text(12.2 - m(1), 3.6, 0.5, word, 0.0)
  call text(12.2 - m(2), 2.6, 0.5, word, 0.0)
  call text(12.2 - m(3), 1.6, 0.5, word, 0.0)
  call text(16.4, 0.6, 0.4, '\sim\at 90 degrees', 90.0)
  do k = 0, 21
    x = 0.7 + 0.75 * real(mod(k, 11))
    y = merge(3.8, 2.2, k < 11)
    call csymbl(x, y, 3, 0.35, k)
    call number(x - 0.1, y - 0.7, 0.15, real(k), 0.0, -2)
  end do
  call hplots(0, 0, 8, 0)
contains
  subroutine text(x, y, height, s, angle)
    real, intent(in) :: x, y, height, angle
    character(len=*), intent(in) :: s
    call symbol(x, y, height, s, angle, len(s))
  end subroutine text
end program doc_stroke_text

! Attributes: the Fortran version of examples/doc_attributes.cpp.
! Writes fort.8.
program doc_attributes
  implicit none
  integer :: i, tone
  real :: x, y
  call bbox_atend(1)
  call hplots(1, 1, 8, 0)
  call rgbcolor(1.0, 1.0, 1.0)
  call rect(0.0, 0.0, 15.5, 6.3)
  call color(0)
  call symbol(1.0, 5.7, 0.3, 'pen', 0.0, 3)
  call symbol(5.0, 5.7, 0.3, 'colour, tone 0 ... 6', 0.0, 20)
  call symbol(11.0, 5.7, 0.3, 'dashln', 0.0, 6)
  do i = 0, 7
    y = 5.1 - 0.6 * real(i)
    call number(0.3, y - 0.12, 0.25, real(i), 0.0, -1)
    call newpen(i)
    call line2(1.0, y, 4.0, y)
    call newpen(12)
    do tone = 0, 6
      call pen(-1, tone)
      call color(i)
      x = 5.0 + 0.8 * real(tone)
      call line2(x, y, x + 0.6, y)
    end do
    call newpen(2)
    call color(0)
    call dashln(i)
    call line2(11.0, y, 15.0, y)
    call dashln(-1)
  end do
  call rgbcolor(1.0, 0.5, 0.0)
  call line2(11.0, 0.4, 15.0, 0.4)
  call hplots(0, 0, 8, 0)
contains
  subroutine line2(x1, y1, x2, y2)
    real, intent(in) :: x1, y1, x2, y2
    call plot(x1, y1, 3)
    call plot(x2, y2, 2)
  end subroutine line2
end program doc_attributes

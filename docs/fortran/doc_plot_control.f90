! Plot control: the Fortran version of examples/doc_plot_control.cpp.
! Writes fort.8.
program doc_plot_control
  implicit none
  integer :: i
  real :: a
  call bbox_atend(1)
  call hplots(1, 1, 8, 0)
  call rgbcolor(1.0, 1.0, 1.0)
  call rect(0.0, 0.0, 14.0, 5.0)
  call color(0)
  call plot(0.5, 1.2, -3)
  call house
  call symbol(0.0, -0.8, 0.3, 'factor 1', 0.0, 8)
  call plot(3.0, 0.0, -3)
  call factor(0.5)
  call house
  call factor(1.0)
  call symbol(0.0, -0.8, 0.3, '0.5', 0.0, 3)
  call plot(2.0, 0.0, -3)
  call factor(1.4)
  call house
  call factor(1.0)
  call symbol(0.0, -0.8, 0.3, '1.4', 0.0, 3)
  call origin(8.5, 1.2, 0)
  call symbol(0.0, -0.8, 0.3, 'viewport', 0.0, 8)
  call viewport(0.0, 0.0, 5.0, 3.3)
  do i = 0, 23
    a = 0.2618 * real(i)
    call plot(2.5, 1.6, 3)
    call plot(2.5 + 6.0 * cos(a), 1.6 + 6.0 * sin(a), 2)
  end do
  call hplots(0, 0, 8, 0)
contains
  subroutine house
    real, parameter :: xs(6) = [0.0, 2.0, 2.0, 1.0, 0.0, 0.0]
    real, parameter :: ys(6) = [0.0, 0.0, 1.5, 2.5, 1.5, 0.0]
    integer :: k
    call plot(xs(1), ys(1), 3)
    do k = 2, 6
      call plot(xs(k), ys(k), 2)
    end do
  end subroutine house
end program doc_plot_control

! The document writer of the plotting package done the old way, for the
! Fortran baselines: every line is one formatted WRITE, with the same path
! rules (pQ, pL, pM after a second move and after every 1001st counted
! motion) and the same bounding-box rule as the library. First portrait plot
! in centimetres, zero origin, default clip window.
module classic_plot
  implicit none
  private
  public :: open_plot, xplot, close_plot

  integer, parameter :: u = 8
  real, parameter :: scale = 28.346457, ox = 0.0, oy = 0.0
  real, parameter :: cxmin = 0.0, cymin = 0.0, cxmax = 556.0, cymax = 797.0
  character(len=*), parameter :: fonts(13) = [character(len=40) :: &
       '/tR {/Times-Roman findfont', '/tI {/Times-Italic findfont', &
       '/tB {/Times-Bold findfont', '/tBI {/Times-BoldItalic findfont', &
       '/hV {/Helvetica-Bold findfont', '/pI {/Palatino-Italic findfont', &
       '/cR {/Courier findfont', '/hR {/Helvetica findfont', &
       '/hI {/Helvetica-Oblique findfont', '/hBI {/Helvetica-BoldOblique findfont', &
       '/sY {/Symbol findfont', '/kM {/Ryumin-Light-H findfont', &
       '/kG {/GothicBBB-Medium-H findfont']

  real :: penx = 0.0, peny = 0.0
  integer :: nplot = 0, mpend = 0
  integer :: bxmin = 0, bymin = 0, bxmax = 0, bymax = 0

contains

  subroutine open_plot(path)
    character(len=*), intent(in) :: path
    integer :: k
    open(unit=u, file=path, status='replace', action='write', form='formatted')
    write(u,'(a)') '%!PS-Adobe-2.0 EPSF-2.0'
    write(u,'(a)') '/pM {stroke newpath moveto} def'
    write(u,'(a)') '/pL {lineto} def'
    write(u,'(a)') '/pQ {moveto} def'
    write(u,'(a)') '/rM {rmoveto} def'
    write(u,'(a)') '/rL {rlineto} def'
    write(u,'(a)') '2 setlinejoin'
    do k = 1, size(fonts)
      write(u,'(a)') trim(fonts(k)) // ' '
      write(u,'(a)') ' exch scalefont setfont} def'
    end do
    write(u,'(a)') '5 5 translate '
    write(u,'(a)') 'gsave'
    ! Initial pen (1, tone 0) and colour 0.
    write(u,'(a)') ' stroke '
    write(u,'(1x,f5.2,a)') 0.2*1.0 + 0.1, ' setlinewidth'
    write(u,'(2f11.3,a)') penx*scale + ox, peny*scale + oy, ' pM'
    write(u,'(a)') ' stroke '
    write(u,'(3f5.2,a)') 0.0, 0.0, 0.0, ' setrgbcolor'
  end subroutine open_plot

  subroutine xplot(x, y, code)
    real, intent(in) :: x, y
    integer, intent(in) :: code
    real :: px, py
    px = scale*x + ox
    py = scale*y + oy
    if (code == 3 .and. mpend == 1) then
      write(u,'(2f11.3,a)') px, py, ' pM'
      mpend = 0
      nplot = 0
    else
      if (code == 3) then
        write(u,'(2f11.3,a)') px, py, ' pQ'
        mpend = 1
      else if (code == 2) then
        write(u,'(2f11.3,a)') px, py, ' pL'
        mpend = 0
      else
        mpend = 0
      end if
      nplot = nplot + 1
    end if
    if (nplot > 1000) then
      write(u,'(2f11.3,a)') px, py, ' pM'
      nplot = 0
    end if
    if (code == 2) call record_segment(px, py)
    penx = x
    peny = y
  end subroutine xplot

  subroutine record_segment(px, py)
    real, intent(in) :: px, py
    integer :: sx, sy, ex, ey, lox, loy, hix, hiy
    ! The start is truncated as computed in double precision, like the library.
    sx = int(dble(scale)*dble(penx) + dble(ox))
    sy = int(dble(scale)*dble(peny) + dble(oy))
    ex = int(px)
    ey = int(py)
    lox = min(ex, sx)
    loy = min(ey, sy)
    hix = max(sx, ex)
    hiy = max(sy, ey)
    if (cxmin > real(lox)) lox = int(cxmin)
    if (real(hix) > cxmax) hix = int(cxmax)
    if (cymin > real(loy)) loy = int(cymin)
    if (real(hiy) > cymax) hiy = int(cymax)
    if (bxmax == 0 .and. bymax == 0) then
      bxmin = lox
      bymin = loy
    else
      bxmin = min(bxmin, lox)
      bymin = min(bymin, loy)
    end if
    bxmax = max(bxmax, hix)
    bymax = max(bymax, hiy)
  end subroutine record_segment

  subroutine close_plot()
    write(u,'(a)') 'stroke'
    write(u,'(a)') 'showpage'
    write(u,'(a,4i5)') '%%BoundingBox:', bxmin, bymin, bxmax, bymax
    close(u)
  end subroutine close_plot

end module classic_plot

! Explicit interfaces for every public routine of the library, so modern
! Fortran code gets argument checking. Legacy code that calls the same
! routines with implicit interfaces links unchanged: the interfaces below
! name the very same external procedures.
module plume
  use, intrinsic :: iso_c_binding, only: c_char, c_float, c_int32_t
  implicit none
  private :: c_char, c_float, c_int32_t

  interface
    ! Plot control
    subroutine hplots(open, orientation, unit, units)
      integer, intent(in) :: open, orientation, unit, units
    end subroutine hplots
    subroutine plot(x, y, code)
      real, intent(in) :: x, y
      integer, intent(in) :: code
    end subroutine plot
    subroutine xplot(x, y, code)
      real, intent(in) :: x, y
      integer, intent(in) :: code
    end subroutine xplot
    ! No intent on arguments written back only for a query: setting calls
    ! pass constants.
    subroutine origin(x, y, mode)
      real :: x, y
      integer, intent(in) :: mode
    end subroutine origin
    subroutine factor(f)
      real :: f
    end subroutine factor
    subroutine where(x, y, f)
      real, intent(out) :: x, y, f
    end subroutine where
    subroutine viewport(x1, y1, x2, y2)
      real, intent(in) :: x1, y1, x2, y2
    end subroutine viewport
    subroutine newpage()
    end subroutine newpage
    subroutine bbox_atend(on)
      integer, intent(in) :: on
    end subroutine bbox_atend
    subroutine connect_unit(unit, path)
      integer, intent(in) :: unit
      character(len=*), intent(in) :: path
    end subroutine connect_unit
    ! PDF, SVG and PNG: 0 keeps the whole sheet, any other value crops each
    ! page to what is drawn; the PNG resolution in dots per inch.
    subroutine crop_pages(on)
      integer, intent(in) :: on
    end subroutine crop_pages
    subroutine raster_dpi(dpi)
      integer, intent(in) :: dpi
    end subroutine raster_dpi

    ! Attributes
    subroutine pen(pen_number, tone)
      integer, intent(in) :: pen_number, tone
    end subroutine pen
    subroutine newpen(pen_number)
      integer, intent(in) :: pen_number
    end subroutine newpen
    subroutine color(color_index)
      integer :: color_index
    end subroutine color
    subroutine rgbcolor(red, green, blue)
      real, intent(in) :: red, green, blue
    end subroutine rgbcolor
    real function rtone(tone)
      integer, intent(in) :: tone
    end function rtone
    subroutine dashln(pattern)
      integer, intent(in) :: pattern
    end subroutine dashln

    ! Shapes
    subroutine rectangle(x, y, width, height)
      real, intent(in) :: x, y, width, height
    end subroutine rectangle
    subroutine xrectangle(x, y, width, height, fill)
      real, intent(in) :: x, y, width, height
      integer, intent(in) :: fill
    end subroutine xrectangle
    subroutine rect(x1, y1, x2, y2)
      real, intent(in) :: x1, y1, x2, y2
    end subroutine rect
    subroutine xrect(x1, y1, x2, y2, fill)
      real, intent(in) :: x1, y1, x2, y2
      integer, intent(in) :: fill
    end subroutine xrect
    subroutine arc(x, y, radius, start_angle, end_angle)
      real, intent(in) :: x, y, radius, start_angle, end_angle
    end subroutine arc
    subroutine circle(x, y, radius)
      real, intent(in) :: x, y, radius
    end subroutine circle
    subroutine xarc(x, y, radius, start_angle, end_angle, fill)
      real, intent(in) :: x, y, radius, start_angle, end_angle
      integer, intent(in) :: fill
    end subroutine xarc
    subroutine xcircle(x, y, radius, fill)
      real, intent(in) :: x, y, radius
      integer, intent(in) :: fill
    end subroutine xcircle
    subroutine fillup()
    end subroutine fillup
    subroutine xfillup(color_index, tone)
      integer, intent(in) :: color_index, tone
    end subroutine xfillup

    ! Text
    subroutine chrcod(text, n)
      character(len=*), intent(in) :: text
      integer, intent(in) :: n
    end subroutine chrcod
    integer function indx(string, pattern)
      character(len=*), intent(in) :: string, pattern
    end function indx
    subroutine csymbl(x, y, pen, height, number)
      real, intent(in) :: x, y, height
      integer, intent(in) :: pen, number
    end subroutine csymbl
    subroutine xsymbol(x, y, height, text, angle, n, font)
      real, intent(in) :: x, y, height, angle
      character(len=*), intent(in) :: text
      integer, intent(in) :: n, font
    end subroutine xsymbol
    subroutine hexstr(i, j)
      integer, intent(in) :: i, j
    end subroutine hexstr
    subroutine hexchar(v, ch)
      integer, intent(in) :: v
      character(len=1), intent(inout) :: ch
    end subroutine hexchar

    ! Annotation
    subroutine number(x, y, height, value, angle, format_code)
      real, intent(in) :: x, y, height, value, angle
      integer, intent(in) :: format_code
    end subroutine number
    subroutine xnumber(x, y, height, value, angle, format_code, font)
      real, intent(in) :: x, y, height, value, angle
      integer, intent(in) :: format_code, font
    end subroutine xnumber
    subroutine axis(x, y, label, label_count, axis_length, angle, first_value, delta_value)
      real, intent(in) :: x, y, axis_length, angle, first_value, delta_value
      character(len=*), intent(in) :: label
      integer, intent(in) :: label_count
    end subroutine axis
    subroutine scale(values, axis_length, count, stride)
      real, intent(inout) :: values(*)
      real, intent(in) :: axis_length
      integer, intent(in) :: count, stride
    end subroutine scale
    subroutine line(xs, ys, count, stride, line_type, marker)
      real, intent(in) :: xs(*), ys(*)
      integer, intent(in) :: count, stride, line_type, marker
    end subroutine line
    subroutine dashl(xs, ys, count, stride)
      real, intent(in) :: xs(*), ys(*)
      integer, intent(in) :: count, stride
    end subroutine dashl
    subroutine dashp(x, y, dash_length)
      real, intent(in) :: x, y, dash_length
    end subroutine dashp
    subroutine axmode(mode)
      integer, intent(in) :: mode
    end subroutine axmode
  end interface

  ! Stroke text takes its characters as a character string or as integers
  ! holding four characters each; a negative count takes a marker number.
  interface symbol
    module procedure symbol_text, symbol_words, symbol_marker
  end interface symbol
  interface justfy
    module procedure justfy_text, justfy_words
  end interface justfy

contains

  subroutine symbol_text(x, y, height, text, angle, n)
    real, intent(in) :: x, y, height, angle
    character(len=*), intent(in) :: text
    integer, intent(in) :: n
    interface
      subroutine symbol_chars(x, y, height, text, angle, n) bind(c, name='symbol_')
        import :: c_char, c_float, c_int32_t
        real(c_float), intent(in) :: x, y, height, angle
        character(kind=c_char), intent(in) :: text(*)
        integer(c_int32_t), intent(in) :: n
      end subroutine symbol_chars
    end interface
    call symbol_chars(x, y, height, text, angle, n)
  end subroutine symbol_text

  subroutine symbol_words(x, y, height, text, angle, n)
    real, intent(in) :: x, y, height, angle
    integer, intent(in) :: text(*)
    integer, intent(in) :: n
    interface
      subroutine symbol_ints(x, y, height, text, angle, n) bind(c, name='symbol_')
        import :: c_float, c_int32_t
        real(c_float), intent(in) :: x, y, height, angle
        integer(c_int32_t), intent(in) :: text(*)
        integer(c_int32_t), intent(in) :: n
      end subroutine symbol_ints
    end interface
    call symbol_ints(x, y, height, text, angle, n)
  end subroutine symbol_words

  subroutine symbol_marker(x, y, height, marker, angle, n)
    real, intent(in) :: x, y, height, angle
    integer, intent(in) :: marker
    integer, intent(in) :: n
    call symbol_words(x, y, height, [marker], angle, n)
  end subroutine symbol_marker

  subroutine justfy_text(result, height, text, n)
    real, intent(out) :: result(4)
    real, intent(in) :: height
    character(len=*), intent(in) :: text
    integer, intent(in) :: n
    interface
      subroutine justfy_chars(result, height, text, n) bind(c, name='justfy_')
        import :: c_char, c_float, c_int32_t
        real(c_float), intent(out) :: result(4)
        real(c_float), intent(in) :: height
        character(kind=c_char), intent(in) :: text(*)
        integer(c_int32_t), intent(in) :: n
      end subroutine justfy_chars
    end interface
    call justfy_chars(result, height, text, n)
  end subroutine justfy_text

  subroutine justfy_words(result, height, text, n)
    real, intent(out) :: result(4)
    real, intent(in) :: height
    integer, intent(in) :: text(*)
    integer, intent(in) :: n
    interface
      subroutine justfy_ints(result, height, text, n) bind(c, name='justfy_')
        import :: c_float, c_int32_t
        real(c_float), intent(out) :: result(4)
        real(c_float), intent(in) :: height
        integer(c_int32_t), intent(in) :: text(*)
        integer(c_int32_t), intent(in) :: n
      end subroutine justfy_ints
    end interface
    call justfy_ints(result, height, text, n)
  end subroutine justfy_words

end module plume

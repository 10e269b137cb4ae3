c     a classic program in lower case: plots with no arguments, the end
c     with pend, and the routines that have nothing to draw called as such
c     programs call them (they must leave the picture alone).
      program plots0
      call plinitialize
      call plots
      call plotof(1)
      call ploton
      call gfont(3)
      call chart
      call plflush
      call pend
      call plclose
      end

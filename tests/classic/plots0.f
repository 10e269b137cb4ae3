c     a classic program in lower case: plots with no arguments, the end
c     with pend.
      program plots0
      call plots
      call chart
      call pend
      end

C     Plots with four arguments, the unit chosen again in inches, the end
C     with plote.
      Program Plots4
      Call Plots(0, 0, 8, 0)
      Call Gunit('in')
      Call Chart
      Call Plote
      End

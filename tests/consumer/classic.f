C     A classic plotter program: PLOTS with three arguments, a chart in
C     inches on the program's own OPEN of unit 8, a FRAME of the program's
C     own (which must be the one called), a coloured pen, NUMBER with
C     decimals, the end with PLOT and pen code 999.
      PROGRAM CLASSC
      OPEN(8, FILE='classic.eps')
      CALL PLOTS(0, 0, 0)
      CALL PLOT(1.0, 1.0, -3)
      CALL AXIS(0.0, 0.0, 'X', -1, 4.0, 0.0, 0.0, 1.0)
      CALL NEWPEN(2)
      CALL PLOT(0.0, 0.0, 3)
      CALL PLOT(4.0, 3.0, 2)
      CALL NUMBER(0.5, 3.5, 0.2, 25.0, 0.0, -1)
      CALL FRAME
      CALL PLOT(0.0, 0.0, 999)
      END
      SUBROUTINE FRAME
      WRITE(*, '(A)') 'OWN FRAME'
      END

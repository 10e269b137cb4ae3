C     A classic plotter program: PINITF naming its file, a chart in
C     inches, a FRAME of the program's own (which must be the one
C     called), a coloured pen, NUMBER with decimals, the end with PLOT and
C     pen code 999.
      PROGRAM CLASSC
      CALL PINITF('classic.eps')
      CALL PLOT(1.0, 1.0, -3)
      CALL AXIS(0.0, 0.0, 'X', -1, 4.0, 0.0, 0.0, 1.0)
      CALL NEWPEN(2)
      CALL PLOT(0.0, 0.0, 3)
      CALL PLOT(4.0, 3.0, 2)
      CALL NUMBER(0.5, 3.5, 0.2, 25.0, 0.0, -1)
      CALL FRAME
      CALL PLOT(0.0, 0.0, 999)
      END
C     Its FRAME marks the document with pen 5 (magenta).
      SUBROUTINE FRAME
      CALL NEWPEN(5)
      END

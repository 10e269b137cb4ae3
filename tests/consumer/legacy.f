C     A legacy Fortran program: fixed form, implicit interfaces, its own
C     OPEN of the unit the document continues, the bounding box read
C     through COMMON /M00000/.
      PROGRAM LEGACY
      INTEGER IBOX(4), MOVE
      COMMON /M00000/ IBOX, MOVE
      OPEN(23, FILE='legacy.eps')
      WRITE(23, '(A)') '% OPENED BY THE PROGRAM'
      CALL HPLOTS(1, 0, 23, 0)
      CALL PLOT(1.0, 1.0, 3)
      CALL PLOT(4.0, 3.0, 2)
      CALL NEWPEN(2)
      CALL PLOT(2.0, 5.0, 2)
      CALL SYMBOL(1.0, 6.0, 0.5, 'F77', 0.0, 3)
      IF (IBOX(3) .LE. IBOX(1)) STOP 1
      CALL PLOT(0.0, 0.0, 999)
      END

C     A chart as classic plotter programs draw it, in inches: scaled data
C     on two axes, a line with markers and a dashed line in coloured pens,
C     numbers with decimals, continued text, and a second frame with a
C     shaded box, a dashed outline and a pen of the program's own colour.
      SUBROUTINE CHART
      REAL X(12), Y(12)
      INTEGER I
      DO 10 I = 1, 10
        X(I) = 2.0 * FLOAT(I - 1)
        Y(I) = 0.3 * FLOAT(I - 1)**1.5
   10 CONTINUE
      CALL SCALE(X, 6.0, 10, 1)
      CALL GSCALE(Y, 4.0, 10, 1)
      CALL PLOT(1.0, 1.5, -3)
      CALL AXIS(0.0, 0.0, 'TIME (S)', -8, 6.0, 0.0, X(11), X(12))
      CALL AXIS(0.0, 0.0, 'DEPTH (M)', 9, 4.0, 90.0, Y(11), Y(12))
      CALL NEWPEN(2)
      CALL LINE(X, Y, 10, 1, 2, 3)
      CALL NEWPEN(3)
      CALL PLOT(0.0, 4.0, 3)
      CALL DASHL(X, Y, 10, 1)
      CALL NEWPEN(1)
      CALL SYMBOL(0.5, 4.6, 0.2, 'TIDE AT', 0.0, 7)
      CALL SYMBOL(999.0, 999.0, 0.2, ' STATION ', 0.0, 9)
      CALL NUMBER(999.0, 999.0, 0.2, 25.0, 0.0, -1)
      CALL NUMBER(0.5, 4.25, 0.14, 3.14159, 0.0, 2)
      CALL NUMBER(2.0, 4.25, 0.14, -0.5, 0.0, 1)
      CALL NUMBER(3.5, 4.25, 0.14, 1234.5, 0.0, -3)
      CALL FRAME
      CALL PLOT(1.0, 1.0, -3)
      CALL SHADE(0.0, 0.0, 2.0, 1.0, 3)
      CALL SETCOL(5, 0.0, 0.5, 0.25)
      CALL NEWPEN(5)
      CALL PLOT(0.0, 1.5, 3)
      CALL PLOTD(4.0, 1.5, 2)
      CALL PLOTD(4.0, 2.95, 2)
      CALL PLOT(0.0, 2.95, 2)
      CALL NEWPEN(4)
      CALL SYMBOL(0.0, 3.5, 0.3, 'PAGE 2', 0.0, 6)
      RETURN
      END

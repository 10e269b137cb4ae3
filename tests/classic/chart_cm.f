C     The chart of chart.f drawn through HPLOTS in centimetres, every
C     length the program gives multiplied by 2.54 (increments per unit
C     divided by it), pens as colours set explicitly, and the axes drawn
C     as their documented layout places them in an inch plot. With the
C     argument 'pdf' the document goes to chart.pdf instead of fort.8.
      PROGRAM CHARTC
      REAL X(12), Y(12), C
      INTEGER I
      CHARACTER*8 ARG
      PARAMETER (C = 2.54)
      CALL GET_COMMAND_ARGUMENT(1, ARG)
      IF (ARG .EQ. 'pdf') CALL CONNECT_UNIT(8, 'chart.pdf')
      CALL HPLOTS(1, 1, 8, 0)
      DO 10 I = 1, 10
        X(I) = 2.0 * FLOAT(I - 1)
        Y(I) = 0.3 * FLOAT(I - 1)**1.5
   10 CONTINUE
      CALL SCALE(X, 6.0, 10, 1)
      CALL SCALE(Y, 4.0, 10, 1)
      CALL PLOT(1.0*C, 1.5*C, -3)
      CALL INAXIS(0.0, 0.0, 'TIME (S)', -8, 6.0, 0.0, X(11), X(12))
      CALL INAXIS(0.0, 0.0, 'DEPTH (M)', 9, 4.0, 90.0, Y(11), Y(12))
      X(12) = X(12) / C
      Y(12) = Y(12) / C
      CALL RGBCOLOR(1.0, 0.0, 0.0)
      CALL PEN(1, -1)
      CALL LINE(X, Y, 10, 1, 2, 3)
      CALL RGBCOLOR(0.0, 1.0, 0.0)
      CALL PEN(1, -1)
      CALL PLOT(0.0, 4.0*C, 3)
      CALL DASHL(X, Y, 10, 1)
      CALL RGBCOLOR(0.0, 0.0, 0.0)
      CALL PEN(1, -1)
      CALL SYMBOL(0.5*C, 4.6*C, 0.2*C, 'TIDE AT', 0.0, 7)
      CALL SYMBOL(999.0, 999.0, 0.2*C, ' STATION ', 0.0, 9)
      CALL NUMBER(999.0, 999.0, 0.2*C, 25.0, 0.0, -2)
      CALL NUMBER(0.5*C, 4.25*C, 0.14*C, 3.14159, 0.0, 42)
      CALL NUMBER(2.0*C, 4.25*C, 0.14*C, -0.5, 0.0, 41)
      CALL NUMBER(3.5*C, 4.25*C, 0.14*C, 1200.0, 0.0, -4)
      CALL NEWPAGE
      CALL PLOT(1.0*C, 1.0*C, -3)
      CALL RGBCOLOR(0.6, 0.6, 0.6)
      CALL XRECTANGLE(0.0, 0.0, 2.0*C, 1.0*C, 1)
      CALL RGBCOLOR(0.0, 0.5, 0.25)
      CALL PEN(1, -1)
      CALL PLOT(0.0, 1.5*C, 3)
      CALL DASHP(4.0*C, 1.5*C, 0.254)
      CALL DASHP(4.0*C, 2.95*C, 0.254)
      CALL PLOT(0.0, 2.95*C, 2)
      CALL RGBCOLOR(0.0, 0.0, 1.0)
      CALL PEN(1, -1)
      CALL SYMBOL(0.0, 3.5*C, 0.3*C, 'PAGE 2', 0.0, 6)
      CALL HPLOTS(0, 0, 8, 0)
      END

C     An axis at angle 0 or 90 where the layout of an inch plot puts it
C     (ticks every inch, 0.07 inch long; numbers 0.105 cm high, 0.1 inch
C     before their tick and 0.15 - 0.05 inch off the axis; label 0.14 inch
C     high), drawn in centimetres. No power of ten.
      SUBROUTINE INAXIS(X0, Y0, LABEL, NC, AL, ANG, FV, DV)
      CHARACTER*(*) LABEL
      INTEGER NC, N, I, M
      REAL X0, Y0, AL, ANG, FV, DV, C, CS, SN, SIG, A, B, PX, PY
      PARAMETER (C = 2.54)
      CS = 1.0
      SN = 0.0
      IF (ANG .EQ. 90.0) THEN
        CS = 0.0
        SN = 1.0
      END IF
      SIG = 1.0
      M = NC
      IF (NC .LT. 0) THEN
        SIG = -1.0
        M = -NC
      END IF
      N = INT(AL + 1.0)
      DO 10 I = 1, N
        A = (FLOAT(I - 1) - 0.1) * C
        B = (0.15 * SIG - 0.05) * C
        CALL NUMBER(X0*C + A*CS - B*SN, Y0*C + A*SN + B*CS, 0.105,
     &              FV + FLOAT(I - 1) * DV, ANG, 62)
   10 CONTINUE
      A = (AL / 2.0 - 0.07 * FLOAT(M)) * C
      B = (0.325 * SIG - 0.075) * C
      CALL SYMBOL(X0*C + A*CS - B*SN, Y0*C + A*SN + B*CS, 0.14*C,
     &            LABEL, ANG, M)
      CALL PLOT((X0 + AL*CS)*C, (Y0 + AL*SN)*C, 3)
      DO 20 I = N, 1, -1
        PX = (X0 + FLOAT(I - 1) * CS) * C
        PY = (Y0 + FLOAT(I - 1) * SN) * C
        CALL PLOT(PX, PY, 2)
        CALL PLOT(PX - 0.07*SIG*C*SN, PY + 0.07*SIG*C*CS, 2)
        CALL PLOT(PX, PY, 2)
   20 CONTINUE
      RETURN
      END

C     A program with a FRAME of its own: it links, and its FRAME is the
C     one called (the document keeps a single page).
      PROGRAM OWNFRM
      CALL PLOTS(0, 0, 0)
      CALL PLOT(1.0, 1.0, 3)
      CALL PLOT(3.0, 2.0, 2)
      CALL FRAME
      CALL PLOTE
      END
      SUBROUTINE FRAME
      WRITE(*, '(A)') 'OWN FRAME'
      RETURN
      END

C     The same chart on a PDF file named by the program.
      PROGRAM PDFCHT
      CALL PINITF('chart.pdf')
      CALL CHART
      CALL PLOTE
      END

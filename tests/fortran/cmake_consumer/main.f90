! Connects unit 8 itself, then plots on it: the document follows its line.
program consumer
  open(8, file='mine.eps')
  write(8, '(a)') '% written by the program'
  call hplots(1, 1, 8, 0)
  call plot(1.0, 1.0, 3)
  call plot(3.0, 2.0, 2)
  call plot(0.0, 0.0, 999)
end program consumer

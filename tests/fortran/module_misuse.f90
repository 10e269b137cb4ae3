! Must not compile: integer coordinates where the interface wants reals.
program module_misuse
  use plume
  call plot(1, 2, 3)
end program module_misuse

# The bad-input corpus runs the trace plot program's binary.
if(TARGET corpus_test AND TARGET traceplot)
  add_dependencies(corpus_test traceplot)
endif()

# The fuzz regression test replays the trace harness too, which reads through
# the trace plot program's readers (driver/ without the program's main).
if(TARGET fuzz_regression_test)
  file(GLOB PLUME_FUZZ_REGRESSION_READERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/driver/*.cpp)
  list(FILTER PLUME_FUZZ_REGRESSION_READERS EXCLUDE REGEX "/traceplot\\.cpp$")
  target_sources(fuzz_regression_test PRIVATE ${PLUME_FUZZ_REGRESSION_READERS})
endif()

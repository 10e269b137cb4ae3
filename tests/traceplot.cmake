# The trace plot program. Its readers are compiled into the reader tests from
# driver/ (all but the program's main); the program itself is tested end to
# end through its binary; the gfortran runtime's READ is the readers' oracle.
file(GLOB TRACEPLOT_READER_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/driver/*.cpp)
list(FILTER TRACEPLOT_READER_SOURCES EXCLUDE REGEX "/traceplot\\.cpp$")

if(TARGET trace_reader_test)
  target_sources(trace_reader_test PRIVATE ${TRACEPLOT_READER_SOURCES})
endif()
if(TARGET traceplot_test AND TARGET traceplot)
  add_dependencies(traceplot_test traceplot)
endif()

if(PLUME_HAVE_FORTRAN)
  plume_add_test_executable(read_oracle_test
    ${CMAKE_CURRENT_LIST_DIR}/fortran/read_oracle_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fortran/read_oracle.f90
    ${TRACEPLOT_READER_SOURCES})
  set_target_properties(read_oracle_test PROPERTIES LINKER_LANGUAGE CXX)
endif()

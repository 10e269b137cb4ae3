# The formatter against the gfortran runtime: a Fortran oracle linked into a
# gtest executable of its own (the library itself never links the runtime).
if(PLUME_HAVE_FORTRAN)
  plume_add_test_executable(format_oracle_test
    ${CMAKE_CURRENT_LIST_DIR}/fortran/format_oracle_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fortran/format_oracle.f90)
  set_target_properties(format_oracle_test PROPERTIES LINKER_LANGUAGE CXX)
  target_include_directories(format_oracle_test PRIVATE ${PROJECT_SOURCE_DIR})
endif()

# gfortran as the oracle for the integer field read of numeric glyph codes:
# chrcod_test runs this program and compares every field it reads.
if(PLUME_HAVE_FORTRAN AND TARGET chrcod_test)
  add_executable(integer_field_oracle fortran/integer_field_oracle.f90)
  add_dependencies(chrcod_test integer_field_oracle)
  target_compile_definitions(chrcod_test PRIVATE
    PLUME_INTEGER_FIELD_ORACLE="$<TARGET_FILE:integer_field_oracle>")
endif()

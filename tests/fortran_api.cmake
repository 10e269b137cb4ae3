# A Fortran program calling the library through implicit interfaces and
# reading the shared records through COMMON blocks; its document must render.
if(PLUME_HAVE_FORTRAN)
  add_executable(fortran_api_program fortran/api_program.f90)
  target_link_libraries(fortran_api_program PRIVATE plume stdc++)
  set(api_dir ${CMAKE_CURRENT_BINARY_DIR}/work/fortran_api)
  file(MAKE_DIRECTORY ${api_dir})
  add_test(NAME FortranApi.LegacyProgramRunsAndReadsCommonBlocks COMMAND fortran_api_program
           WORKING_DIRECTORY ${api_dir})
  set_tests_properties(FortranApi.LegacyProgramRunsAndReadsCommonBlocks PROPERTIES
    FIXTURES_SETUP fortran_api_document PASS_REGULAR_EXPRESSION "fortran api: ok")
  if(PLUME_GHOSTSCRIPT)
    add_test(NAME FortranApi.DocumentRendersInGhostscript
             COMMAND ${PLUME_GHOSTSCRIPT} -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage fort.21
             WORKING_DIRECTORY ${api_dir})
    set_tests_properties(FortranApi.DocumentRendersInGhostscript PROPERTIES
      FIXTURES_REQUIRED fortran_api_document FAIL_REGULAR_EXPRESSION "Error")
  endif()
endif()

# The interface module: a modern program runs, and a call with wrong
# argument types is rejected at compile time.
if(PLUME_HAVE_FORTRAN)
  add_executable(fortran_module_program fortran/module_program.f90)
  target_link_libraries(fortran_module_program PRIVATE plume_fortran stdc++)
  add_test(NAME FortranModule.ExplicitInterfacesRun COMMAND fortran_module_program WORKING_DIRECTORY ${api_dir})
  set_tests_properties(FortranModule.ExplicitInterfacesRun PROPERTIES PASS_REGULAR_EXPRESSION "fortran module: ok")
  add_test(NAME FortranModule.WrongArgumentTypesDoNotCompile
           COMMAND ${CMAKE_Fortran_COMPILER} -fsyntax-only -I${PROJECT_BINARY_DIR}/fortran-modules
                   ${CMAKE_CURRENT_SOURCE_DIR}/fortran/module_misuse.f90
           WORKING_DIRECTORY ${api_dir})
  set_tests_properties(FortranModule.WrongArgumentTypesDoNotCompile PROPERTIES PASS_REGULAR_EXPRESSION "Type mismatch")
endif()

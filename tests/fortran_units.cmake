# Units a legacy Fortran program connected itself receive its documents, and
# unit 6 keeps the program's own lines in order. Built as such programs are:
# implicit interfaces, linked with plume_fortran (static archives by default).
if(PLUME_HAVE_FORTRAN)
  foreach(name connected_units unit6_order)
    add_executable(fortran_${name} fortran/${name}.f90 fortran/draw_on_unit.f90)
    target_link_libraries(fortran_${name} PRIVATE plume_fortran plume stdc++)
  endforeach()
  add_test(NAME FortranUnits.ConnectedUnitsReceiveTheDocument
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/fortran/connected_units.sh
                   $<TARGET_FILE:fortran_connected_units> $<TARGET_FILE:fortran_unit6_order>
                   ${CMAKE_CURRENT_BINARY_DIR}/work/fortran_units)
  set_tests_properties(FortranUnits.ConnectedUnitsReceiveTheDocument PROPERTIES
    PASS_REGULAR_EXPRESSION "connected units: ok")
endif()

# A unit the program opened on a .pdf, .svg or .png file gets that format;
# one opened for appending keeps the file's lines.
if(PLUME_HAVE_FORTRAN AND PLUME_HAVE_CAIRO)
  add_executable(fortran_unit_formats fortran/unit_formats.f90 fortran/draw_on_unit.f90)
  target_link_libraries(fortran_unit_formats PRIVATE plume_fortran plume stdc++)
  add_test(NAME FortranUnits.ExtensionGivesTheFormatAndAppendingKeepsTheFile
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/fortran/unit_formats.sh
                   $<TARGET_FILE:fortran_unit_formats> ${CMAKE_CURRENT_BINARY_DIR}/work/fortran_unit_formats)
  set_tests_properties(FortranUnits.ExtensionGivesTheFormatAndAppendingKeepsTheFile PROPERTIES
    PASS_REGULAR_EXPRESSION "unit formats: ok")
endif()

# A consumer of the installed tree (an Install test, like consumer.cmake):
# a Fortran-only CMake project finds the installed package and links the
# Fortran face, unit hook included, from the shared libraries.
if(PLUME_HAVE_FORTRAN)
  add_test(NAME Install.FortranOnlyCMakeProjectUsesThePackage
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/fortran/cmake_consumer.sh ${PROJECT_BINARY_DIR}
                   ${CMAKE_CURRENT_SOURCE_DIR}/fortran/cmake_consumer ${CMAKE_CURRENT_BINARY_DIR}/work/fortran_cmake_consumer)
  set_tests_properties(Install.FortranOnlyCMakeProjectUsesThePackage PROPERTIES
    PASS_REGULAR_EXPRESSION "fortran cmake consumer: ok" TIMEOUT 300)
endif()

# The shared library exports the public API and nothing else.
if(TARGET plume_shared)
  add_test(NAME Install.SharedLibraryExportsThePublicApiOnly
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/exports/check.sh $<TARGET_FILE:plume_shared>
                   ${PROJECT_SOURCE_DIR}/include/plume)
  set_tests_properties(Install.SharedLibraryExportsThePublicApiOnly PROPERTIES PASS_REGULAR_EXPRESSION "^exports: ")
endif()

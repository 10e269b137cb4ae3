# The shared library exports the public API and nothing else.
if(TARGET plume_shared)
  add_test(NAME Install.SharedLibraryExportsThePublicApiOnly
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/exports/check.sh $<TARGET_FILE:plume_shared>
                   ${PROJECT_SOURCE_DIR}/include/plume)
  set_tests_properties(Install.SharedLibraryExportsThePublicApiOnly PROPERTIES PASS_REGULAR_EXPRESSION "^exports: ")
endif()

# The classic library: the entry points of plume/classic.h, one object each.
if(TARGET plume_classic_shared)
  add_test(NAME Install.ClassicLibraryExportsItsEntryPointsOneObjectEach
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/exports/check_classic.sh $<TARGET_FILE:plume_classic_shared>
                   $<TARGET_FILE:plume_classic> ${PROJECT_SOURCE_DIR}/include/plume/classic.h)
  set_tests_properties(Install.ClassicLibraryExportsItsEntryPointsOneObjectEach PROPERTIES
    PASS_REGULAR_EXPRESSION "^classic exports: ")
endif()

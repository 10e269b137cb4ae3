# Consumers of the installed tree, one program per face, each built with the
# line the README documents: C and C++17 through plume.pc, C++ and Fortran
# through find_package(plume), Fortran through plume-fortran.pc.
if(TARGET plume_shared)
  add_test(NAME Install.ConsumersBuildAndDraw
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/consumer/check.sh ${PROJECT_BINARY_DIR}
                   ${CMAKE_CURRENT_SOURCE_DIR}/consumer ${CMAKE_CURRENT_BINARY_DIR}/work/consumer)
  set_tests_properties(Install.ConsumersBuildAndDraw PROPERTIES PASS_REGULAR_EXPRESSION "consumers: ok" TIMEOUT 300)
endif()

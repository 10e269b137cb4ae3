# Consumers of the installed tree: C and Fortran via pkg-config, C++ via
# find_package(plume).
add_test(NAME Install.ConsumersBuildAndDraw
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/consumer/check.sh ${PROJECT_BINARY_DIR}
                 ${CMAKE_CURRENT_SOURCE_DIR}/consumer ${CMAKE_CURRENT_BINARY_DIR}/work/consumer)
set_tests_properties(Install.ConsumersBuildAndDraw PROPERTIES PASS_REGULAR_EXPRESSION "consumers: ok" TIMEOUT 300)

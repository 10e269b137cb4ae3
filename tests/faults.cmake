# What is left on disk when a plotting program dies of a signal or the
# disk fills (tests/faults/run.sh).
add_executable(fault_plotter faults/fault_plotter.cpp)
target_link_libraries(fault_plotter PRIVATE plume)
if(PLUME_HAVE_CAIRO)
  set(plume_fault_mode "")
  if(PLUME_SANITIZE)
    set(plume_fault_mode sanitized)
  endif()
  add_test(NAME Faults.SignalsAndFullDiskLeaveTheDrawingOnDisk
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/faults/run.sh $<TARGET_FILE:fault_plotter>
                   ${CMAKE_CURRENT_BINARY_DIR}/work/faults ${plume_fault_mode})
  set_tests_properties(Faults.SignalsAndFullDiskLeaveTheDrawingOnDisk PROPERTIES
    PASS_REGULAR_EXPRESSION "faults: ok" FAIL_REGULAR_EXPRESSION "FAIL:" TIMEOUT 300)
endif()

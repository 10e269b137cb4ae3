# plume-section: reader tests in process, the program end to end through
# its binary. Fixtures come from independent writers: segyio's Python
# module (tools/make_segy_fixture.py), libmseed's msr_pack, and the test's
# own SAC writer from the published header layout.
if(TARGET plume_section_core)
  add_library(plume_section_test_support STATIC
    ${CMAKE_CURRENT_LIST_DIR}/section/sac_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/section/miniseed_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/section/fixtures.cpp)
  target_link_libraries(plume_section_test_support PUBLIC plume_test_support plume_section_core)

  foreach(name sac_writer_test readers_test program_test truncation_test drawing_test layout_test)
    plume_add_test_executable(section_${name} ${CMAKE_CURRENT_LIST_DIR}/section/${name}.cpp)
    target_link_libraries(section_${name} PRIVATE plume_section_test_support)
    add_dependencies(section_${name} plume-section)
  endforeach()
endif()

# The classic dialect's library, plume_classic: the Fortran entry points that
# classic plotter programs call besides the library's own (plots, pinitf,
# plote, frame, ...). Each is a source, so an object, of its own: a program
# that defines one of them itself still links. The dialect itself is in the
# main library (classic/dialect.cpp), which these forward to. The library
# brings plume_fortran, so that unit 8 continues a file the program opened.
file(GLOB PLUME_CLASSIC_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/classic/entry/*.cpp)
add_library(plume_classic STATIC ${PLUME_CLASSIC_SOURCES})
target_include_directories(plume_classic PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
set_target_properties(plume_classic PROPERTIES POSITION_INDEPENDENT_CODE ON)
if(PLUME_HAVE_FORTRAN)
  target_link_libraries(plume_classic PUBLIC plume_fortran)
  set(PLUME_CLASSIC_PC_REQUIRES "plume-fortran = ${PROJECT_VERSION}")
else()
  target_link_libraries(plume_classic PUBLIC plume)
  set(PLUME_CLASSIC_PC_REQUIRES "plume = ${PROJECT_VERSION}")
endif()
install(TARGETS plume_classic ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
if(TARGET plume_shared)
  add_library(plume_classic_shared SHARED $<TARGET_OBJECTS:plume_classic>)
  add_library(plume::plume_classic ALIAS plume_classic_shared)
  if(TARGET plume_fortran_shared)
    target_link_libraries(plume_classic_shared PUBLIC plume_fortran_shared)
  else()
    target_link_libraries(plume_classic_shared PUBLIC plume_shared)
  endif()
  set_target_properties(plume_classic_shared PROPERTIES OUTPUT_NAME plume_classic EXPORT_NAME plume_classic
    LINKER_LANGUAGE CXX VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  install(TARGETS plume_classic_shared EXPORT plumeTargets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/cmake/plume-classic.pc.in ${CMAKE_CURRENT_BINARY_DIR}/plume-classic.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/plume-classic.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

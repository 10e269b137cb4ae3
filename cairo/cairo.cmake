# PDF, SVG and PNG output through cairo, when it is installed (pkg-config
# cairo, cairo-pdf, cairo-svg, cairo-png, fontconfig); without it the library
# writes EPS only and reports the other formats as write failures.
option(PLUME_WITH_CAIRO "PDF, SVG and PNG output through cairo" ON)
set(PLUME_HAVE_CAIRO OFF)
if(PLUME_WITH_CAIRO)
  find_package(PkgConfig QUIET)
  if(PKG_CONFIG_FOUND)
    pkg_check_modules(PLUME_CAIRO IMPORTED_TARGET cairo cairo-pdf cairo-svg cairo-png fontconfig)
    if(PLUME_CAIRO_FOUND)
      set(PLUME_HAVE_CAIRO ON)
    endif()
  endif()
endif()
if(PLUME_HAVE_CAIRO)
  target_sources(plume PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/fonts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/interpreter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/render_sink.cpp)
  target_link_libraries(plume PRIVATE PkgConfig::PLUME_CAIRO)
  # A static libplume needs cairo at the final link too.
  string(APPEND PLUME_PC_REQUIRES_PRIVATE " cairo cairo-pdf cairo-svg cairo-png fontconfig")
  message(STATUS "plume: PDF, SVG and PNG output through cairo")
else()
  target_sources(plume PRIVATE ${CMAKE_CURRENT_LIST_DIR}/unavailable.cpp)
  message(STATUS "plume: cairo not found, EPS output only")
endif()

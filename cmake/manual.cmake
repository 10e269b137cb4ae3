# Manual pages: traceplot(1) as written in docs/, and the section 3 pages
# made from docs/ at build time by tools/md2man.cpp: plume(3) from the
# documentation's overview and its page on building and linking, and one
# page per family of routines, plume-<page>(3).
add_executable(plume_md2man tools/md2man.cpp)
set(PLUME_MAN_DIR ${CMAKE_CURRENT_BINARY_DIR}/man)
file(GLOB PLUME_DOC_PAGES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/docs/*.md)
# The programs' pages are section 1 pages of their own.
list(FILTER PLUME_DOC_PAGES EXCLUDE REGEX "/(README|traceplot|plume-section|linking)\\.md$")
set(PLUME_MAN_PAGES)
set(PLUME_FAMILY_REFERENCES)
foreach(page ${PLUME_DOC_PAGES})
  get_filename_component(stem ${page} NAME_WE)
  add_custom_command(OUTPUT ${PLUME_MAN_DIR}/plume-${stem}.3
    COMMAND plume_md2man ${PLUME_MAN_DIR}/plume-${stem}.3 plume-${stem} ${PROJECT_VERSION} "plume(3)" ${page}
    DEPENDS plume_md2man ${page} VERBATIM)
  list(APPEND PLUME_MAN_PAGES ${PLUME_MAN_DIR}/plume-${stem}.3)
  list(APPEND PLUME_FAMILY_REFERENCES "plume-${stem}(3)")
endforeach()
string(REPLACE ";" "," PLUME_FAMILY_REFERENCES "${PLUME_FAMILY_REFERENCES},traceplot(1),plume-section(1)")
add_custom_command(OUTPUT ${PLUME_MAN_DIR}/plume.3
  COMMAND plume_md2man ${PLUME_MAN_DIR}/plume.3 plume ${PROJECT_VERSION} "${PLUME_FAMILY_REFERENCES}"
          ${CMAKE_CURRENT_SOURCE_DIR}/docs/README.md ${CMAKE_CURRENT_SOURCE_DIR}/docs/linking.md
  DEPENDS plume_md2man ${CMAKE_CURRENT_SOURCE_DIR}/docs/README.md ${CMAKE_CURRENT_SOURCE_DIR}/docs/linking.md
  VERBATIM)
list(APPEND PLUME_MAN_PAGES ${PLUME_MAN_DIR}/plume.3)
file(MAKE_DIRECTORY ${PLUME_MAN_DIR})
add_custom_target(plume_manual_pages ALL DEPENDS ${PLUME_MAN_PAGES})
install(FILES ${PLUME_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)
install(FILES docs/traceplot.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

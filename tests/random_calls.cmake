# Random call sequences through the C and the Fortran face, every document
# rendered by Ghostscript (tests/fuzz/random_calls.sh). Label "randomized";
# a few minutes at most. PLUME_RANDOM_CALLS_SEED picks the seed.
if(PLUME_HAVE_FORTRAN AND PLUME_GHOSTSCRIPT)
  add_executable(random_calls_c fuzz/random_calls.c)
  target_link_libraries(random_calls_c PRIVATE plume stdc++ m)
  add_executable(random_calls_fortran fuzz/random_calls.f90)
  # Legacy calling: symbol takes a text or an integer marker.
  target_compile_options(random_calls_fortran PRIVATE -fallow-argument-mismatch)
  target_link_libraries(random_calls_fortran PRIVATE plume stdc++)
  # With cairo, pdftoppm and rsvg-convert, a sample of the documents is
  # also compared by pixels in every format.
  set(compare_args)
  find_program(PLUME_PDFTOPPM pdftoppm)
  find_program(PLUME_RSVG_CONVERT rsvg-convert)
  if(PLUME_HAVE_CAIRO AND PLUME_PDFTOPPM AND PLUME_RSVG_CONVERT)
    add_executable(compare_pages fuzz/compare_pages.cpp)
    target_link_libraries(compare_pages PRIVATE plume_render_support)
    set(compare_args 1500 $<TARGET_FILE:compare_pages> 30)
  endif()
  add_test(NAME RandomCalls.EveryDocumentRendersInBothFaces
           COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/random_calls.sh $<TARGET_FILE:random_calls_c>
                   $<TARGET_FILE:random_calls_fortran> ${PLUME_GHOSTSCRIPT}
                   ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/calls ${CMAKE_CURRENT_BINARY_DIR}/work/random_calls
                   ${compare_args})
  set_tests_properties(RandomCalls.EveryDocumentRendersInBothFaces PROPERTIES LABELS randomized TIMEOUT 600)
endif()

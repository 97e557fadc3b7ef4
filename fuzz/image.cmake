# The transition pattern script: arbitrary text parsed and drawn into a small image through the
# image function library (which reaches libblivo.so through the run-time binding).
tumbleroo_fuzz_target(transer_script SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/transer_script.cpp
                      LIBS tumbleroo_image)
foreach(target fuzz_transer_script fuzz_replay_transer_script)
  if(TARGET ${target})
    add_dependencies(${target} blivo)
  endif()
endforeach()
# The text renderer's font names, glyph names and box layout over arbitrary text.
tumbleroo_fuzz_target(text_layout SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/text_layout.cpp
                      LIBS tumbleroo_image)

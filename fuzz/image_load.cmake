# Image files: block files, bitmaps and pictures through the image objects' readers.
tumbleroo_fuzz_target(image_load SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/image_load.cpp
                      LIBS tumbleroo_image)
foreach(target fuzz_image_load fuzz_replay_image_load)
  if(TARGET ${target})
    add_dependencies(${target} blivo)
  endif()
endforeach()

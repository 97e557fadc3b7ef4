# The picture loader's GIF reader on its own.
tumbleroo_fuzz_target(gif_read SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/gif_read.cpp
                      LIBS tumbleroo_platform)

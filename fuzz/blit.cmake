# The blits: arbitrary rectangles and arguments on small guarded images.
tumbleroo_fuzz_target(blit_ops SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/blit_ops.cpp LIBS blivo_static)

# The drawing primitives: arbitrary coordinates, sizes and colours on small guarded images.
tumbleroo_fuzz_target(draw_ops SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/draw_ops.cpp LIBS blivo_static)

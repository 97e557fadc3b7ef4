# The scaling family: arbitrary rectangles, factors, radii and floats on small guarded images.
tumbleroo_fuzz_target(scale_ops SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/scale_ops.cpp LIBS blivo_static)

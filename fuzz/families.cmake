# The raw-buffer families: arbitrary descriptors, counts and surfaces on exactly sized guarded
# buffers, judged against an independent model of what each description covers.
tumbleroo_fuzz_target(families_ops SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/families_ops.cpp LIBS blivo_static)

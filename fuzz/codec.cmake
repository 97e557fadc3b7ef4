# The compressors: one target per bounded decoder and a round trip through every method.
foreach(name codec_lzss_decode codec_pair_decode codec_repeat_decode codec_roundtrip)
  tumbleroo_fuzz_target(${name} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp LIBS blivo_static)
endforeach()

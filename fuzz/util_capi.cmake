# The utility object's parsers of outside bytes: the scrambled text format, the numeric parser,
# and encoded data blocks (through the library's bounded decoders, linked directly).
foreach(name capi_scrambled_text capi_lval)
  tumbleroo_fuzz_target(${name} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp LIBS tumbleroo_util)
endforeach()
tumbleroo_fuzz_target(capi_encoded_block SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/capi_encoded_block.cpp
                      LIBS tumbleroo_util blivo_static)

# The utility parsers of outside bytes: pak archive directories (as raw bytes, and as plain index
# texts that the target scrambles itself), data record files, and the rectangle list text.
foreach(name pak_directory pak_index_text data_record rects_setting)
  tumbleroo_fuzz_target(${name} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp LIBS tumbleroo_util)
endforeach()

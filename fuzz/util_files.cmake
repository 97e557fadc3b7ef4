# The utility parsers of outside bytes: pak archive directories, data record files, and the
# rectangle list text.
foreach(name pak_directory data_record rects_setting)
  tumbleroo_fuzz_target(${name} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp LIBS tumbleroo_util)
endforeach()

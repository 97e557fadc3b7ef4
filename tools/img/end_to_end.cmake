# End-to-end check of tumbleroo-img, run by ctest: cmake -DTOOL=... -DWORK=... -DSUITE=... -P
# Converts a bitmap to block files in every mode and back, reads what info says, and checks the
# failures: bad command lines, missing, damaged and non-image files.
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/../end_to_end_support.cmake)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(src ${SUITE}/g/rgb24.bmp)

run(0 ${TOOL} info ${src})
expect_contains("${OUT}" "127 x 64, bitmap, 24 bits")

# Every mode round-trips: block file back to a 24-bit bitmap equal to the original's pixels.
run(0 ${TOOL} convert ${src} ${WORK}/ref.bmp)
foreach(mode -1 0 1 2 3)
  run(0 ${TOOL} convert ${src} ${WORK}/m${mode}.bbi --compress ${mode})
  run(0 ${TOOL} info ${WORK}/m${mode}.bbi)
  expect_contains("${OUT}" "127 x 64, block file")
  if(mode EQUAL -1)
    expect_contains("${OUT}" "stored")
  endif()
  run(0 ${TOOL} convert ${WORK}/m${mode}.bbi ${WORK}/back${mode}.bmp)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/ref.bmp ${WORK}/back${mode}.bmp
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "mode ${mode} did not round-trip")
  endif()
endforeach()
run(0 ${TOOL} convert ${SUITE}/g/rgb16.bmp ${WORK}/pic.bbi)
run(0 ${TOOL} info ${SUITE}/g/rgb16.bmp)
expect_contains("${OUT}" "picture")
run(0 ${TOOL} convert ${src} ${WORK}/alpha.bmp --alpha)
run(0 ${TOOL} info ${WORK}/alpha.bmp)
expect_contains("${OUT}" "32 bits")

# Failures: one line naming the file and the reason, exit 1.
file(WRITE ${WORK}/junk.png "this is no picture")
run(1 ${TOOL} info ${WORK}/junk.png)
expect_contains("${ERR}" "junk.png: not an image")
run(1 ${TOOL} info ${WORK}/missing.bmp)
expect_contains("${ERR}" "missing.bmp: cannot be opened")
run(1 ${TOOL} convert ${SUITE}/b/badrle.bmp ${WORK}/x.bbi)
run(1 ${TOOL} convert ${src} ${WORK}/no/such/folder/x.bbi)
expect_contains("${ERR}" "cannot be written")
run(2 ${TOOL})
run(2 ${TOOL} frobnicate)
run(2 ${TOOL} convert ${src})
run(2 ${TOOL} convert ${src} ${WORK}/y.bbi --compress 9)
run(2 ${TOOL} convert ${src} ${WORK}/y.bbi --bogus)

# Text: rendered by the game's renderer; a cache folder gets the glyphs, and a second run that
# loads them instead of rendering draws the same picture.
file(MAKE_DIRECTORY ${WORK}/glyphs)
run(0 ${TOOL} text "Ｒｅａｄｙ\\nAg" ${WORK}/text.bmp --font A --size 40 --cache ${WORK}/glyphs)
run(0 ${TOOL} info ${WORK}/text.bmp)
expect_contains("${OUT}" "bitmap, 32 bits")
file(GLOB glyphs ${WORK}/glyphs/*.bbi)
list(LENGTH glyphs count)
if(NOT count EQUAL 7)
  message(FATAL_ERROR "expected 7 cached glyphs, found ${count}")
endif()
run(0 ${TOOL} text "Ｒｅａｄｙ\\nAg" ${WORK}/again.bmp --font A --size 40 --cache ${WORK}/glyphs)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/text.bmp ${WORK}/again.bmp
                RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "cached glyphs drew a different picture")
endif()
run(0 ${TOOL} text "工事中" ${WORK}/big.bbi --font ことり --size 500 --blur 4)
run(1 ${TOOL} text "x" ${WORK}/x.bmp --cache ${WORK}/no-such-folder)
expect_contains("${ERR}" "the cache folder does not exist")
run(2 ${TOOL} text "x")
run(2 ${TOOL} text "x" ${WORK}/x.bmp --size 0)
run(2 ${TOOL} text "x" ${WORK}/x.bmp --blur)

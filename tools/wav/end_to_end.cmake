# End-to-end check of tumbleroo-wav, run by ctest: cmake -DTOOL=... -DWORK=... -DFIXTURES=... -P
# Reads a WAVE file, converts it to both containers and back, compares the bytes; then the
# refusals: a lying file, a missing one, bad command lines.
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/../end_to_end_support.cmake)

function(expect_one_line text)
  string(REGEX MATCHALL "\n" ends "${text}")
  list(LENGTH ends n)
  if(NOT n EQUAL 1)
    message(FATAL_ERROR "expected one line on stderr, got:\n${text}")
  endif()
endfunction()

function(expect_same a b)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${a} ${b} RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${a} and ${b} differ")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

run(0 ${TOOL} info ${FIXTURES}/ramp.wav)
expect_contains("${OUT}" "reader:   RIFF WAVE")
expect_contains("${OUT}" "format:   16-bit mono PCM")
expect_contains("${OUT}" "rate:     8000 Hz")
expect_contains("${OUT}" "blocks:   400")

run(0 ${TOOL} convert ${FIXTURES}/ramp.wav ${WORK}/ramp.w1)
run(0 ${TOOL} info ${WORK}/ramp.w1)
expect_contains("${OUT}" "reader:   <W1> container")
expect_contains("${OUT}" "blocks:   400")
run(0 ${TOOL} convert ${FIXTURES}/ramp.wav ${WORK}/ramp.w2 --w2)
if(NOT ERR STREQUAL "")
  message(FATAL_ERROR "the ramp should encode: ${ERR}")
endif()
run(0 ${TOOL} info ${WORK}/ramp.w2)
expect_contains("${OUT}" "reader:   <W2> encoded container")
file(SIZE ${WORK}/ramp.w1 plain)
file(SIZE ${WORK}/ramp.w2 packed)
if(NOT packed LESS plain)
  message(FATAL_ERROR "the encoded container (${packed}) is not smaller than the plain one (${plain})")
endif()

# Back to standard WAVE files: the same bytes as the original.
run(0 ${TOOL} convert ${WORK}/ramp.w1 ${WORK}/from_w1.wav)
expect_same(${FIXTURES}/ramp.wav ${WORK}/from_w1.wav)
run(0 ${TOOL} convert ${WORK}/ramp.w2 ${WORK}/from_w2.WAV)
expect_same(${FIXTURES}/ramp.wav ${WORK}/from_w2.WAV)
# Container to container keeps every byte.
run(0 ${TOOL} convert ${WORK}/ramp.w1 ${WORK}/again.w1)
expect_same(${WORK}/ramp.w1 ${WORK}/again.w1)
run(0 ${TOOL} convert ${WORK}/ramp.w2 ${WORK}/again.w2 --w2)
expect_same(${WORK}/ramp.w2 ${WORK}/again.w2)

# Refusals.
run(1 ${TOOL} info ${FIXTURES}/three_channels.wav)
expect_one_line("${ERR}")
expect_contains("${ERR}" "not a wave the game can play")
run(1 ${TOOL} info ${WORK}/missing.wav)
expect_one_line("${ERR}")
run(1 ${TOOL} convert ${FIXTURES}/ramp.wav ${WORK}/x.wav --w2)
expect_one_line("${ERR}")
run(1 ${TOOL} convert ${FIXTURES}/ramp.wav ${WORK}/no/such/folder/x.w1)
expect_one_line("${ERR}")
run(1 ${TOOL})
expect_one_line("${ERR}")
expect_contains("${ERR}" "usage: tumbleroo-wav")
run(1 ${TOOL} convert ${FIXTURES}/ramp.wav)
run(1 ${TOOL} convert a b --w3)

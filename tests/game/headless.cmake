# Headless rounds from the command line, run by ctest:
#   cmake -DPROGRAM=... -DWORK=... -DSOURCE=... -P headless.cmake
# One line per round in the documented form, the same lines for the same seed, a recording that
# replays to the same lines, and recordings that are refused with their reason.
cmake_minimum_required(VERSION 3.25)
set(ENV{SDL_VIDEODRIVER} dummy)
set(ENV{SDL_AUDIODRIVER} dummy)
include(${CMAKE_CURRENT_LIST_DIR}/../../tools/end_to_end_support.cmake)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# The round lines without the timing line.
function(round_lines text out)
  string(REGEX REPLACE "rounds [0-9]+ steps [0-9]+ seconds [0-9.]+\n$" "" rounds "${text}")
  set(${out} "${rounds}" PARENT_SCOPE)
endfunction()

run(0 ${PROGRAM} --headless --rounds 3 --seed 11 --mode 0)
set(first "${OUT}")
if(NOT first MATCHES "^(round [1-3] mode [1-7] winner ([1-4]|none|cut) steps [0-9]+\n)(round [1-3] mode [1-7] winner ([1-4]|none|cut) steps [0-9]+\n)(round [1-3] mode [1-7] winner ([1-4]|none|cut) steps [0-9]+\n)rounds 3 steps [0-9]+ seconds [0-9]+\\.[0-9]+\n$")
  message(FATAL_ERROR "unexpected headless output:\n${first}")
endif()
run(0 ${PROGRAM} --headless --rounds 3 --seed 11 --record ${WORK}/run.tbrp)
round_lines("${first}" expected)
round_lines("${OUT}" again)
if(NOT expected STREQUAL again)
  message(FATAL_ERROR "the same seed gave other rounds:\n${expected}\n---\n${again}")
endif()
run(0 ${PROGRAM} --headless --replay ${WORK}/run.tbrp)
round_lines("${OUT}" replayed)
if(NOT expected STREQUAL replayed)
  message(FATAL_ERROR "the replay gave other rounds:\n${expected}\n---\n${replayed}")
endif()
run(0 ${PROGRAM} --headless --rounds 1 --seed 11 --mode 6)
expect_contains("${OUT}" "round 1 mode 6 winner ")

# Refused recordings: cut short, from another version, not a recording at all, missing.
execute_process(COMMAND head -c 300 ${WORK}/run.tbrp OUTPUT_FILE ${WORK}/short.tbrp)
run(1 ${PROGRAM} --headless --replay ${WORK}/short.tbrp)
expect_contains("${ERR}" "the recording is damaged")
run(1 ${PROGRAM} --headless --replay ${SOURCE}/fuzz/corpus/match_tape/foreign_version.tbrp)
expect_contains("${ERR}" "the recording is from another version of Tumbleroo")
file(WRITE ${WORK}/text.tbrp "round 1 mode 1 winner 1 steps 10\n")
run(1 ${PROGRAM} --headless --replay ${WORK}/text.tbrp)
expect_contains("${ERR}" "not a Tumbleroo recording")
run(1 ${PROGRAM} --headless --replay ${WORK}/none.tbrp)
expect_contains("${ERR}" "cannot read")

# Options out of range or without --headless.
foreach(args IN ITEMS "--headless;--mode;8" "--headless;--rounds;0" "--rounds;2" "--mode;3"
                      "--headless;--replay;${WORK}/run.tbrp;--seed;3")
  run(2 ${PROGRAM} ${args})
  expect_contains("${ERR}" "tumbleroo: ")
endforeach()
file(REMOVE_RECURSE ${WORK})

# A round recorded headless, replayed in the window (dummy video driver) while the window records
# it again: the window shows the same round (the same line), draws frames of it, goes back to
# the menu by itself, and its own recording replays headless to the same line.
#   cmake -DPROGRAM=... -DWORK=... -P window_replay.cmake
cmake_minimum_required(VERSION 3.25)
set(ENV{SDL_VIDEODRIVER} dummy)
set(ENV{SDL_AUDIODRIVER} dummy)
include(${CMAKE_CURRENT_LIST_DIR}/../../tools/end_to_end_support.cmake)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# A short round (seed 40: mode 3, about 210 steps).
run(0 ${PROGRAM} --headless --rounds 1 --seed 40 --record ${WORK}/round.tbrp)
string(REGEX MATCH "round 1 mode [1-7] winner ([1-4]|none) steps ([0-9]+)" line "${OUT}")
if(NOT line)
  message(FATAL_ERROR "no round line:\n${OUT}")
endif()
math(EXPR frames "${CMAKE_MATCH_2} + 200")

run(0 ${PROGRAM} --replay ${WORK}/round.tbrp --record ${WORK}/window.tbrp --frames ${frames}
    --shot 100:${WORK}/round.png --shot ${frames}:${WORK}/last.bmp)
expect_contains("${OUT}" "${line}\n")
foreach(picture round.png last.bmp)
  if(NOT EXISTS ${WORK}/${picture})
    message(FATAL_ERROR "the window did not save ${picture}")
  endif()
endforeach()

run(0 ${PROGRAM} --headless --replay ${WORK}/window.tbrp)
expect_contains("${OUT}" "${line}\n")

# A replay takes its seed from the recording.
run(2 ${PROGRAM} --replay ${WORK}/round.tbrp --seed 5)
expect_contains("${ERR}" "takes the seed from the recording")

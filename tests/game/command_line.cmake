# The program's command line and start-up failures, run by ctest:
#   cmake -DPROGRAM=... -DWORK=... -P command_line.cmake
# Refused options print the usage and exit 2; a start that fails shows the documented message,
# names its cause on stderr and exits 1.
cmake_minimum_required(VERSION 3.25)

# No display: message boxes go to stderr instead of waiting for a click.
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
set(ENV{SDL_VIDEODRIVER} dummy)
set(ENV{SDL_AUDIODRIVER} dummy)

include(${CMAKE_CURRENT_LIST_DIR}/../../tools/end_to_end_support.cmake)

# Values out of range, not numbers, missing, and options nobody knows.
foreach(args IN ITEMS "--frames;0" "--frames;-1" "--frames;2147483648"
                      "--frames;99999999999999999999" "--frames;12x" "--frames" "--frames="
                      "--bogus" "-x" "--version=1" "stray")
  run(2 ${PROGRAM} ${args})
  expect_contains("${ERR}" "tumbleroo: ")
  expect_contains("${ERR}" "usage: tumbleroo")
endforeach()
run(2 ${PROGRAM} --frames 0)
expect_contains("${ERR}" "--frames takes a whole number from 1 to 2147483647")
run(2 ${PROGRAM} --frames)
expect_contains("${ERR}" "--frames needs a value")
run(2 ${PROGRAM} --bogus)
expect_contains("${ERR}" "unknown option: --bogus")

run(0 ${PROGRAM} --help)
expect_contains("${OUT}" "--frames N")
run(0 ${PROGRAM} --version)
expect_contains("${OUT}" "tumbleroo ")
run(0 ${PROGRAM} --frames=2)

# The video system cannot start: the documented message, and the driver and SDL's words.
set(ENV{SDL_VIDEODRIVER} no-such-driver)
run(1 ${PROGRAM} --frames 1)
expect_contains("${ERR}" "起動できません")
expect_contains("${ERR}" "DirectX7の初期化に失敗しました")
expect_contains("${ERR}" "video driver \"no-such-driver\"")
set(ENV{SDL_VIDEODRIVER} dummy)

# The pixel library is missing beside the program: the documented message, the file tried and
# the loader's words.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${PROGRAM} DESTINATION ${WORK})
get_filename_component(name ${PROGRAM} NAME)
run(1 ${WORK}/${name} --frames 1)
expect_contains("${ERR}" "BLIVO.DLLがインストールされていません")
expect_contains("${ERR}" "tried ${WORK}/libblivo.so")
file(REMOVE_RECURSE ${WORK})

# The match recording parser (the parser alone: no devices needed).
tumbleroo_fuzz_target(match_tape
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/match_tape.cpp ${PROJECT_SOURCE_DIR}/src/game/CMatchTape.cpp
  LIBS tumbleroo_util)

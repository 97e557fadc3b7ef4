# The sound layer's parser of outside bytes: the wave scan over RIFF WAVE files and the game's
# containers (the encoded one through the library's bounded decoders, linked directly).
tumbleroo_fuzz_target(wave_scan SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/wave_scan.cpp
                      LIBS tumbleroo_sound blivo_static)

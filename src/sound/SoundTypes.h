// The sound layer's constants: buffer capability flags, play flags, status bits and results in
// the values the sound classes have always used, so callers can pass the same numbers.
#pragma once

#include <cstdint>

namespace sound {

// Buffer capabilities.
inline constexpr uint32_t DSBCAPS_STATIC = 8;
inline constexpr uint32_t DSBCAPS_CTRL3D = 16;
inline constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 32;
inline constexpr uint32_t DSBCAPS_CTRLPAN = 64;
inline constexpr uint32_t DSBCAPS_CTRLVOLUME = 128;
inline constexpr uint32_t DSBCAPS_GLOBALFOCUS = 0x8000;
inline constexpr uint32_t DSBCAPS_GETCURRENTPOSITION2 = 0x10000;

// Play flags.
inline constexpr uint32_t DSBPLAY_LOOPING = 1;

// Status bits.
inline constexpr uint32_t DSBSTATUS_PLAYING = 1;
inline constexpr uint32_t DSBSTATUS_BUFFERLOST = 2;
inline constexpr uint32_t DSBSTATUS_LOOPING = 4;

// Ranges of the buffer controls.
inline constexpr int32_t DSBVOLUME_MIN = -10000;
inline constexpr int32_t DSBVOLUME_MAX = 0;
inline constexpr int32_t DSBPAN_LEFT = -10000;
inline constexpr int32_t DSBPAN_RIGHT = 10000;
inline constexpr int32_t DSBFREQUENCY_ORIGINAL = 0;
inline constexpr int32_t DSBFREQUENCY_MIN = 100;
inline constexpr int32_t DSBFREQUENCY_MAX = 100000;
inline constexpr int32_t DSBSIZE_MIN = 4;
inline constexpr int32_t DSBSIZE_MAX = 0x0FFFFFFF;

// Results of buffer operations.
enum class SoundResult : int32_t {
  kOk = 0,
  kBufferLost,      // the buffer's device went away; recreate it
  kControlUnavail,  // the buffer was made without that control
  kInvalidParam,
};

}  // namespace sound

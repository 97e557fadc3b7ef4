// IAudioOutput: where the mixer's sound goes. The SDL device is the real one; tests put in a
// fake that they pull samples from by hand.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "sound/CMixer.h"

namespace sound {

class IAudioOutput {
 public:
  // Fills `frames` frames of the opened format into the given bytes.
  using Fill = std::function<void(uint8_t* out, int32_t frames)>;

  virtual ~IAudioOutput() = default;
  // Opens the device for `format` and starts pulling through fill (possibly from another
  // thread). periodFrames receives the frames taken per pull. False when no device is there.
  virtual bool Open(const MixFormat& format, Fill fill, int32_t& periodFrames) = 0;
  // Stops pulling; fill is not called after this returns.
  virtual void Close() = 0;
  // True when the opened device has gone away (unplugged, server gone).
  [[nodiscard]] virtual bool Lost() = 0;
};

// The SDL2 audio device.
std::unique_ptr<IAudioOutput> MakeSdlAudioOutput();

}  // namespace sound

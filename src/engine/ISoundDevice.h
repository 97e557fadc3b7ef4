// The sound device as the engine sees it: started by the frame controller at Connect when
// sound is wanted, released by the engine root. The sound module implements it.
#pragma once

#include <cstdint>

namespace engine {

class ISoundDevice {
 public:
  virtual ~ISoundDevice() = default;
  // Primary format: sample rate, bits per sample, channels.
  virtual void Start(int32_t hz, int32_t bits, int32_t channels) = 0;
  // The release half of spLib::DirectSoundExit (the engine root raises TerminateSound first).
  virtual void Stop() = 0;
  [[nodiscard]] virtual bool Started() const = 0;
};

}  // namespace engine

// CFramePacer: the frame controller's pacing. Each frame it works out how long to sleep so that
// frames start every SleepFrame sixtieths of a second, carrying at most 7 ms of lateness into
// the next frame. Pure arithmetic on the times it is given.
#pragma once

#include <cstdint>

namespace engine {

class CFramePacer {
 public:
  static constexpr double kSixtieth = 16.666666666;
  static constexpr uint32_t kMaxCarry = 7;

  // One frame at time `now` for a frame length of `frames` sixtieths (at least 1); returns the
  // milliseconds to sleep now (0 for none).
  uint32_t Pace(int32_t frames, uint32_t now);

  [[nodiscard]] uint32_t Base() const { return m_base; }

 private:
  double m_accumulator = 0.0;
  uint32_t m_base = 0;
};

}  // namespace engine

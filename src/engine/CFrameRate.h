// CFrameRate: the frame controller's rate count. GetFPS is the number of frames counted in the
// last whole second; GetFPSA the number of 60 Hz logic steps owed this frame, at most 6 and at
// most what the frame's own length allows. Pure arithmetic on the times it is given.
#pragma once

#include <cstdint>

namespace engine {

class CFrameRate {
 public:
  static constexpr int32_t kMaxSteps = 6;

  // One frame at time `t` (milliseconds).
  void Step(uint32_t t);

  [[nodiscard]] int32_t GetFPS() const { return m_fps; }
  [[nodiscard]] int32_t GetFPSA() const { return m_fpsA; }

 private:
  uint32_t m_last = 0;
  int64_t m_msAccumulator = 0;
  int32_t m_counter = 0;
  int32_t m_fps = 0;
  float m_stepAccumulator = 0.0f;
  int32_t m_fpsA = 0;
};

}  // namespace engine

// Frame-rate arithmetic. The measured rate is snapped (120 and above, 58..62, 10 and below) so
// that a steady display gives a whole number of steps per frame.
#include "engine/CFrameRate.h"

#include <algorithm>
#include <cmath>

namespace engine {

void CFrameRate::Step(uint32_t t) {
  if (t < m_last) m_last = t;
  const uint32_t dt = t - m_last;
  m_last = t;
  m_msAccumulator += dt;
  if (m_msAccumulator >= 1000) {
    m_msAccumulator = 0;
    m_fps = m_counter;
    m_counter = 0;
  }
  if (m_counter < INT32_MAX) ++m_counter;

  int32_t r = m_fps;
  if (r >= 120)
    r = 120;
  else if (r >= 58 && r <= 62)
    r = 60;
  else if (r <= 10)
    r = 10;
  m_stepAccumulator += 60.0f / static_cast<float>(r);
  m_fpsA = 0;
  for (int i = 0; i < kMaxSteps; ++i) {
    if (m_stepAccumulator >= 1.0f) {
      m_stepAccumulator -= 1.0f;
      ++m_fpsA;
    }
  }
  const double d = static_cast<double>(std::clamp<uint32_t>(dt, 10, 90));
  const auto limit = static_cast<int32_t>(std::lrint(d / 16.66 + 1.0));
  if (m_fpsA > limit) m_fpsA = limit;
}

}  // namespace engine

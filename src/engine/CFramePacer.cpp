// Frame pacing arithmetic.
#include "engine/CFramePacer.h"

#include <cmath>

namespace engine {

uint32_t CFramePacer::Pace(int32_t frames, uint32_t now) {
  const double period = static_cast<double>(frames) * kSixtieth;
  if (m_accumulator >= period) m_accumulator -= period;
  m_accumulator += period;
  const auto budget = static_cast<uint32_t>(std::floor(m_accumulator));

  if (now < m_base) m_base = now;  // first frame or timer wrap
  const uint32_t elapsed = now - m_base;
  uint32_t sleep = 0;
  if (static_cast<int64_t>(budget) - elapsed - 1 >= 0) sleep = budget - elapsed - 1;
  if (elapsed >= budget) {
    const uint32_t late = elapsed - budget;
    m_base = late < kMaxCarry ? now - late : now - kMaxCarry;
  }
  m_base += budget;
  return sleep;
}

}  // namespace engine

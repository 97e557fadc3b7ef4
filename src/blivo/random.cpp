// MT19937 and the GetRandom/SetRandomSeed exports.
#include "random.h"

#include "blivo.h"

namespace blivo {

void CMersenne::Seed(uint32_t seed) {
  uint32_t s = seed;
  for (uint32_t& word : m_state) {
    word = s & 0xFFFF0000u;
    s = 69069u * s + 1u;
    word |= (s & 0xFFFF0000u) >> 16;
    s = 69069u * s + 1u;
  }
  m_position = kWords;
}

void CMersenne::Generate() {
  constexpr int kMiddle = 397;
  constexpr uint32_t kMatrix = 0x9908B0DFu, kUpper = 0x80000000u, kLower = 0x7FFFFFFFu;
  auto twist = [](uint32_t a, uint32_t b, uint32_t m) {
    const uint32_t y = (a & kUpper) | (b & kLower);
    return m ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
  };
  int k = 0;
  for (; k < kWords - kMiddle; ++k) m_state[k] = twist(m_state[k], m_state[k + 1], m_state[k + kMiddle]);
  for (; k < kWords - 1; ++k)
    m_state[k] = twist(m_state[k], m_state[k + 1], m_state[k + kMiddle - kWords]);
  m_state[kWords - 1] = twist(m_state[kWords - 1], m_state[0], m_state[kMiddle - 1]);
  m_position = 0;
}

uint32_t CMersenne::Next() {
  if (m_position >= kWords) {
    if (m_position == kWords + 1) Seed(kDefaultSeed);
    Generate();
  }
  uint32_t y = m_state[m_position++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

CMersenne& SharedRandom() {
  static CMersenne generator;
  return generator;
}

}  // namespace blivo

extern "C" {

BLIVO_API int32_t GetRandom(int32_t a) {
  const uint32_t value = blivo::SharedRandom().Next();
  const auto range = static_cast<uint32_t>(a);
  return range == 0 ? 0 : static_cast<int32_t>(value % range);
}

BLIVO_API int32_t SetRandomSeed(uint32_t seed) {
  blivo::SharedRandom().Seed(seed);
  return 0;
}

}  // extern "C"

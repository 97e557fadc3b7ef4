// The library's MT19937 generator with its documented seeding (69069 recurrence, two steps a word).
#pragma once

#include <array>
#include <cstdint>

namespace blivo {

class CMersenne {
 public:
  static constexpr int kWords = 624;
  static constexpr uint32_t kDefaultSeed = 4357;

  void Seed(uint32_t seed);
  uint32_t Next();
  // The 624 state words, as the stream form of std::mt19937 lists them.
  const std::array<uint32_t, kWords>& State() const { return m_state; }
  // Takes a full state; the next call regenerates the block.
  void SetState(const std::array<uint32_t, kWords>& state) {
    m_state = state;
    m_position = kWords;
  }

 private:
  void Generate();

  std::array<uint32_t, kWords> m_state{};
  int m_position = kWords + 1;  // never seeded
};

CMersenne& SharedRandom();

}  // namespace blivo

// Scalar helpers of the resampling and blur kernels: a pixel widened to four 16-bit fields of
// one 64-bit word (so four channel sums take one addition), and exact division of those sums
// by a small count with one multiply per channel. Header-only.
#pragma once

#include <cstdint>

namespace blivo {

// Internal linkage: the vector files compile their own copies for their instruction set.
namespace {

// 0xAARRGGBB -> 0x00AA00RR00GG00BB.
inline uint64_t Widen16(uint32_t p) {
  const uint64_t v = p;
  return (v & 0xFFu) | ((v & 0xFF00u) << 8) | ((v & 0xFF0000u) << 16) | ((v & 0xFF000000u) << 24);
}

// ceil(2^32 / n): floor(s * M >> 32) == floor(s / n) for s < 2^16 and 1 <= n <= 255, since
// the error s * (M / 2^32 - 1 / n) < 2^-16 stays below the 1 / n gap to the next integer.
inline constexpr uint64_t MagicOf(uint32_t n) { return ((uint64_t{1} << 32) + n - 1) / n; }

struct MagicTable {
  uint64_t v[256];
  constexpr MagicTable() : v{} {
    for (uint32_t n = 1; n < 256; ++n) v[n] = MagicOf(n);
  }
};
inline constexpr MagicTable kMagic{};

inline uint32_t DivSmall(uint32_t s, uint32_t n) {
  return static_cast<uint32_t>((s * kMagic.v[n]) >> 32);
}

// Each 16-bit field (a channel sum below 2^16) divided by n, packed back to 0xAARRGGBB.
inline uint32_t DivFields16(uint64_t sum, uint32_t n) {
  const uint64_t m = kMagic.v[n];
  const auto field = [&](int k) {
    return static_cast<uint32_t>((((sum >> (16 * k)) & 0xFFFFu) * m) >> 32);
  };
  return (field(3) << 24) | (field(2) << 16) | (field(1) << 8) | field(0);
}

}  // namespace

}  // namespace blivo

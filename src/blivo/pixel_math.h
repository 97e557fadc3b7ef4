// Per-pixel arithmetic on packed 0xAARRGGBB words shared by every pixel family: two-lane
// weighted blends, saturating byte sums, the fraction-to-weight rule and the saturation filter.
// Header-only and scalar; the vector kernels reproduce these results bit for bit.
#pragma once

#include <cmath>
#include <cstdint>

namespace blivo {

// Internal linkage: the vector files compile their own copies for their instruction set.
namespace {

inline constexpr uint32_t kLaneRB = 0x00FF00FFu;
inline constexpr uint32_t kLaneAG = 0xFF00FF00u;

inline uint32_t ByteOf(uint32_t p, int k) { return (p >> (8 * k)) & 0xFFu; }
inline uint32_t AlphaOf(uint32_t p) { return p >> 24; }
inline uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

// Two-lane weighted sum: per byte (p1 * w1 + p2 * w2) >> 8. Needs w1 + w2 <= 256 so that no
// 16-bit lane overflows.
inline uint32_t Mix2(uint32_t p1, uint32_t w1, uint32_t p2, uint32_t w2) {
  const uint32_t rb = (p1 & kLaneRB) * w1 + (p2 & kLaneRB) * w2;
  const uint32_t ag = ((p1 >> 8) & kLaneRB) * w1 + ((p2 >> 8) & kLaneRB) * w2;
  return (ag & kLaneAG) | ((rb >> 8) & kLaneRB);
}

// Per byte (from * (256 - k) + to * k) >> 8 for 0 <= k <= 256: k 0 gives from, 256 gives to.
inline uint32_t Lerp256(uint32_t from, uint32_t to, uint32_t k) {
  return Mix2(from, 256u - k, to, k);
}

// A fraction as an 8.8 weight: clamped to 0..1 (NaN counts as 0), then trunc(f * 256).
inline uint32_t FractionWeight(float f) {
  if (!(f > 0.0f)) return 0;  // also NaN
  if (f >= 1.0f) return 256;
  return static_cast<uint32_t>(f * 256.0f);
}

// Saturating per-byte operations, alpha included.
inline uint32_t AddSat(uint32_t d, uint32_t s) {
  // Byte sums with the carry out of each byte turned into 0xFF.
  const uint32_t sum = (d & 0x7F7F7F7Fu) + (s & 0x7F7F7F7Fu);
  const uint32_t high = (d | s) & 0x80808080u;        // where a top bit is present
  const uint32_t carry = ((d & s) | (high & sum)) & 0x80808080u;  // byte overflowed
  const uint32_t fill = (carry >> 7) * 0xFFu;
  return ((sum ^ high) | fill);
}
inline uint32_t SubSat(uint32_t d, uint32_t s) {
  uint32_t out = 0;
  for (int k = 0; k < 32; k += 8) {
    const uint32_t a = (d >> k) & 0xFFu, b = (s >> k) & 0xFFu;
    out |= (a > b ? a - b : 0u) << k;
  }
  return out;
}
inline uint32_t AbsDiff(uint32_t d, uint32_t s) {
  uint32_t out = 0;
  for (int k = 0; k < 32; k += 8) {
    const uint32_t a = (d >> k) & 0xFFu, b = (s >> k) & 0xFFu;
    out |= (a > b ? a - b : b - a) << k;
  }
  return out;
}
inline uint32_t MinBytes(uint32_t d, uint32_t s) {
  uint32_t out = 0;
  for (int k = 0; k < 32; k += 8) {
    const uint32_t a = (d >> k) & 0xFFu, b = (s >> k) & 0xFFu;
    out |= (a < b ? a : b) << k;
  }
  return out;
}
inline uint32_t MaxBytes(uint32_t d, uint32_t s) {
  uint32_t out = 0;
  for (int k = 0; k < 32; k += 8) {
    const uint32_t a = (d >> k) & 0xFFu, b = (s >> k) & 0xFFu;
    out |= (a > b ? a : b) << k;
  }
  return out;
}

// Each byte the truncated mean, low bits dropped before adding.
inline uint32_t HalfMean(uint32_t a, uint32_t b) {
  return ((a >> 1) & 0x7F7F7F7Fu) + ((b >> 1) & 0x7F7F7F7Fu);
}

// Per byte floor((a + b + c + d) / 4), alpha included.
inline uint32_t Mean4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  const uint32_t rb = (a & kLaneRB) + (b & kLaneRB) + (c & kLaneRB) + (d & kLaneRB);
  const uint32_t ag =
      ((a >> 8) & kLaneRB) + ((b >> 8) & kLaneRB) + ((c >> 8) & kLaneRB) + ((d >> 8) & kLaneRB);
  return ((ag << 6) & kLaneAG) | ((rb >> 2) & kLaneRB);
}

// floor(x / 255) for 0 <= x <= 65535, without a division.
inline uint32_t Div255(uint32_t x) { return (x * 0x8081u) >> 23; }

// The alpha-fade table entry: trunc(i * opacity * (1/255 as float) * 256), at most 256.
// opacity must already be in 0..1.
inline uint32_t FadeWeight(uint32_t i, float opacity) {
  const float v = static_cast<float>(i) * opacity * 0.003921569f * 256.0f;
  const uint32_t k = static_cast<uint32_t>(v);
  return k > 256u ? 256u : k;
}

// Moves the colour bytes toward (saturation < 1) or away from (> 1) their grey value; alpha
// kept. saturation is clamped to 0..256 (NaN counts as 0); exactly 1 leaves p unchanged.
inline uint32_t Saturate(uint32_t p, float saturation) {
  float s = saturation;
  bool clamped = false;
  if (!(s >= 0.0f)) {
    s = 0.0f;
    clamped = true;
  } else if (s > 256.0f) {
    s = 256.0f;
    clamped = true;
  }
  if (!clamped && s == 1.0f) return p;
  const int32_t level = static_cast<int32_t>(s * 1024.0f);
  const int32_t r = static_cast<int32_t>(ByteOf(p, 2));
  const int32_t g = static_cast<int32_t>(ByteOf(p, 1));
  const int32_t b = static_cast<int32_t>(ByteOf(p, 0));
  const int32_t grey = ((1024 - level) / 3) * (r + g + b) >> 10;
  auto channel = [&](int32_t c) -> uint32_t {
    const int32_t v = grey + ((level * c) >> 10);
    return v < 0 ? 0u : (v > 255 ? 255u : static_cast<uint32_t>(v));
  };
  return (p & 0xFF000000u) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

}  // namespace

}  // namespace blivo

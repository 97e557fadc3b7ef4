// Closed forms of the integer line stepping used by the line primitives, so that a line can be
// reduced to the steps that land inside an image without walking the steps outside it.
#pragma once

#include <cstdint>

namespace blivo::draw {

// Smallest and largest i in [lo, hi] with gmin <= g(i) <= gmax, for g non-decreasing in i.
// Returns false when there is none.
template <class G>
bool StepRange(int64_t lo, int64_t hi, int64_t gmin, int64_t gmax, G g, int64_t& first,
               int64_t& last) {
  if (lo > hi || gmin > gmax) return false;
  int64_t a = lo, b = hi + 1;
  while (a < b) {
    const int64_t m = a + (b - a) / 2;
    if (g(m) >= gmin) b = m; else a = m + 1;
  }
  first = a;
  a = lo;
  b = hi + 1;
  while (a < b) {
    const int64_t m = a + (b - a) / 2;
    if (g(m) > gmax) b = m; else a = m + 1;
  }
  last = a - 1;
  return first <= last;
}

// The offsets g(i) along one axis keep coordinate c1 + s * g(i) inside [0, size - 1] exactly
// when gmin <= g(i) <= gmax.
inline void AxisBounds(int64_t c1, int64_t s, int64_t size, int64_t& gmin, int64_t& gmax) {
  if (s > 0) {
    gmin = -c1;
    gmax = size - 1 - c1;
  } else {
    gmin = c1 - (size - 1);
    gmax = c1;
  }
}

// The DDA of the plain line: after step i (1..n) the offset along an axis of extent a is
// floor((n / 2 + i * a) / n). Fits 64 bits: i, a < 2^32.
inline int64_t DdaOffset(uint64_t half, uint64_t i, uint64_t a, uint64_t n) {
  return static_cast<int64_t>((half + i * a) / n);
}

// The gradient line steps before drawing and while the error exceeds n: point i (0..n) has
// offset max(0, ceil(T / n) - 1) with T = n / 2 + (i + 1) * a.
inline int64_t GradOffset(uint64_t half, uint64_t i, uint64_t a, uint64_t n) {
  const uint64_t t = half + (i + 1) * a;
  return t == 0 ? 0 : static_cast<int64_t>((t - 1) / n);
}

}  // namespace blivo::draw

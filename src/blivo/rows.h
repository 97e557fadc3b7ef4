// Raw row rectangles of the older families: the check that keeps a routine inside the rows its
// caller describes, byte-addressed row access, and RGB565 channel arithmetic.
#pragma once

#include <cstdint>
#include <cstring>

namespace blivo::rows {

enum class Fit { kEmpty, kOk, kBad };

// rows rows of rowBytes bytes, stride bytes apart. Bad for negative sizes, a stride that would
// step back into the previous row, or a span beyond INT32_MAX bytes; empty when there is no work.
inline Fit Check(int64_t rowBytes, int64_t stride, int64_t rows) {
  if (rowBytes < 0 || rows < 0) return Fit::kBad;
  if (rowBytes == 0 || rows == 0) return Fit::kEmpty;
  if (rowBytes > INT32_MAX) return Fit::kBad;
  if (rows == 1) return Fit::kOk;
  if (stride < rowBytes) return Fit::kBad;
  // (rows - 1) * stride + rowBytes <= INT32_MAX, asked without forming the product.
  return rows - 1 > (INT32_MAX - rowBytes) / stride ? Fit::kBad : Fit::kOk;
}

// Both must fit; one bad check refuses, an empty one means no work.
inline Fit Both(Fit a, Fit b) {
  if (a == Fit::kBad || b == Fit::kBad) return Fit::kBad;
  if (a == Fit::kEmpty || b == Fit::kEmpty) return Fit::kEmpty;
  return Fit::kOk;
}

template <typename T>
inline T* At(void* base, int64_t stride, int64_t y) {
  return reinterpret_cast<T*>(static_cast<uint8_t*>(base) + stride * y);
}
template <typename T>
inline const T* At(const void* base, int64_t stride, int64_t y) {
  return reinterpret_cast<const T*>(static_cast<const uint8_t*>(base) + stride * y);
}

// Unaligned loads and stores: raw buffers come at any address.
inline uint32_t Load32(const void* p) {
  uint32_t v = 0;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store32(void* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline uint16_t Load16(const void* p) {
  uint16_t v = 0;
  std::memcpy(&v, p, 2);
  return v;
}
inline void Store16(void* p, uint16_t v) { std::memcpy(p, &v, 2); }
inline int16_t LoadS16(const void* p) { return static_cast<int16_t>(Load16(p)); }

// ---- RGB565 -------------------------------------------------------------------------------------

struct Rgb565 {
  int32_t r, g, b;
};
inline Rgb565 Split565(uint16_t p) { return {p >> 11, (p >> 5) & 63, p & 31}; }
inline uint16_t Join565(int32_t r, int32_t g, int32_t b) {
  return static_cast<uint16_t>((r << 11) | (g << 5) | b);
}
inline uint16_t To565(uint32_t argb) {
  return Join565(static_cast<int32_t>((argb >> 19) & 31), static_cast<int32_t>((argb >> 10) & 63),
                 static_cast<int32_t>((argb >> 3) & 31));
}
inline int32_t Min(int32_t a, int32_t b) { return a < b ? a : b; }
inline int32_t Max(int32_t a, int32_t b) { return a > b ? a : b; }
inline uint16_t Add565(uint16_t d, uint16_t s) {
  const Rgb565 x = Split565(d), y = Split565(s);
  return Join565(Min(31, x.r + y.r), Min(63, x.g + y.g), Min(31, x.b + y.b));
}
inline uint16_t Sub565(uint16_t d, uint16_t s) {
  const Rgb565 x = Split565(d), y = Split565(s);
  return Join565(Max(0, x.r - y.r), Max(0, x.g - y.g), Max(0, x.b - y.b));
}
// Per channel floor((d + s) / 2): the low bit of each channel drops out of the xor before the
// shift.
inline uint16_t Half565(uint16_t d, uint16_t s) {
  return static_cast<uint16_t>((d & s) + (((d ^ s) & 0xF7DEu) >> 1));
}
inline uint16_t Lerp565(uint16_t d, uint16_t c, int32_t level) {
  const Rgb565 x = Split565(d), y = Split565(c);
  const int32_t k = 256 - level;
  return Join565((x.r * k + y.r * level) >> 8, (x.g * k + y.g * level) >> 8,
                 (x.b * k + y.b * level) >> 8);
}

// Per byte floor((d + s) / 2), all four bytes.
inline uint32_t Half8888(uint32_t d, uint32_t s) {
  return (d & s) + (((d ^ s) & 0xFEFEFEFEu) >> 1);
}

// The alpha rule of the families: a = 0 keeps d, 255 gives s, else (s * a + d * (255 - a)) >> 8,
// on one byte.
inline uint32_t AlphaByte(uint32_t s, uint32_t d, uint32_t a) {
  if (a == 0) return d;
  if (a == 255) return s;
  return (s * a + d * (255u - a)) >> 8;
}

}  // namespace blivo::rows

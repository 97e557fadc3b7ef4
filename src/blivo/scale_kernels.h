// Kernels of the scaling family on already clipped rectangles: a scalar reference per operation
// (the truth) and the vector variants that must match it byte for byte. The exports in scale.cpp,
// resample.cpp and blur.cpp clip, then call the active table's kernel. Relies on bbi.h.
#pragma once

#include <cstdint>

#include "bbi.h"

namespace blivo {

// True when the bytes of the two clipped rectangles share memory. Vector kernels read ahead of
// the reference's order, so they are only used when this is false or when the two rectangles
// start at the same address with the same stride (each pixel then depends only on its own
// row or column, which both orders read before writing).
bool RectsOverlap(const Image& a, int32_t ax, int32_t ay, int32_t aw, int32_t ah, const Image& b,
                  int32_t bx, int32_t by, int32_t bw, int32_t bh);
bool SameOrigin(const Image& a, int32_t ax, int32_t ay, const Image& b, int32_t bx, int32_t by);

// Nearest-pixel scaled copy at full opacity (k = 256).
void ExpandCopy_Ref(const Image& dst, const Image& src, const ScaledRect& r);
void ExpandCopy_Sse2(const Image& dst, const Image& src, const ScaledRect& r);
void ExpandCopy_Avx2(const Image& dst, const Image& src, const ScaledRect& r);

// Box resampling; num, den in 1..128.
void UScale_Ref(const Image& dst, const Image& src, const BlitRect& r, int32_t num, int32_t den);
void VScale_Ref(const Image& dst, const Image& src, const BlitRect& r, int32_t num, int32_t den);
void UScale_Sse2(const Image& dst, const Image& src, const BlitRect& r, int32_t num, int32_t den);
void VScale_Sse2(const Image& dst, const Image& src, const BlitRect& r, int32_t num, int32_t den);
void UScale_Avx2(const Image& dst, const Image& src, const BlitRect& r, int32_t num, int32_t den);
void VScale_Avx2(const Image& dst, const Image& src, const BlitRect& r, int32_t num, int32_t den);

// Box blur; radius in 1..127 and at most size / 2 - 1.
void UBlur_Ref(const Image& dst, const Image& src, const BlitRect& r, int32_t radius);
void VBlur_Ref(const Image& dst, const Image& src, const BlitRect& r, int32_t radius);
void UBlur_Sse2(const Image& dst, const Image& src, const BlitRect& r, int32_t radius);
void VBlur_Sse2(const Image& dst, const Image& src, const BlitRect& r, int32_t radius);
void UBlur_Avx2(const Image& dst, const Image& src, const BlitRect& r, int32_t radius);
void VBlur_Avx2(const Image& dst, const Image& src, const BlitRect& r, int32_t radius);

using ExpandFn = void (*)(const Image& dst, const Image& src, const ScaledRect& r);
using ScaleFn = void (*)(const Image& dst, const Image& src, const BlitRect& r, int32_t num,
                         int32_t den);
using BlurFn = void (*)(const Image& dst, const Image& src, const BlitRect& r, int32_t radius);

struct ScaleKernels {
  const char* name;
  ExpandFn expandCopy;
  ScaleFn uScale, vScale;
  BlurFn uBlur, vBlur;
};
extern const ScaleKernels kScale_Ref, kScale_Sse2, kScale_Avx2;

// The table in use (kernels.cpp).
const ScaleKernels& ActiveScaleKernels();

// Helpers of the instruction-set files below have internal linkage, so every file keeps its
// own copy compiled for its own instruction set.
namespace {

// Row y of an image (Image::Row would be one shared copy for every instruction set).
inline uint32_t* RowOf(const Image& img, int32_t y) {
  return reinterpret_cast<uint32_t*>(img.pixels + static_cast<intptr_t>(y) * img.stride);
}

// floor(s / n) for 0 <= s <= 65535 and 1 <= n <= 255 as trunc((s + 0.5) * (1/n as float)):
// the half keeps every quotient at least 1/512 away from an integer, far more than the float
// error, so the vector kernels divide with one multiply. kRcp.v[n] = 1/n as float.
struct RcpTable {
  float v[256];
  constexpr RcpTable() : v{} {
    for (int n = 1; n < 256; ++n) v[n] = 1.0f / static_cast<float>(n);
  }
};
inline constexpr RcpTable kRcp{};

// The contributions of one box-resampling output: source pixels first..last (in sample order)
// with weights headWeight for first, num for the middle ones and tailWeight for last (first ==
// last uses headWeight alone); count virtual samples in all. False when output i has none.
struct BoxSpan {
  int32_t first, last, headWeight, tailWeight, count;
};
inline bool BoxSpanOf(int32_t i, int32_t num, int32_t den, int64_t samples, BoxSpan& b) {
  const int64_t v0 = static_cast<int64_t>(i) * den;
  if (v0 >= samples) return false;
  int64_t v1 = v0 + den;  // exclusive
  if (v1 > samples) v1 = samples;
  b.first = static_cast<int32_t>(v0 / num);
  b.last = static_cast<int32_t>((v1 - 1) / num);
  b.count = static_cast<int32_t>(v1 - v0);
  if (b.first == b.last) {
    b.headWeight = b.count;
    b.tailWeight = 0;
  } else {
    b.headWeight = static_cast<int32_t>((static_cast<int64_t>(b.first) + 1) * num - v0);
    b.tailWeight = static_cast<int32_t>(v1 - static_cast<int64_t>(b.last) * num);
  }
  return true;
}

// The outputs of one box-resampling line in processing order (forwards for reductions,
// backwards otherwise), without a division per output: spans repeat every num outputs shifted
// by den source pixels, so the first num are computed once. Only a reduction's last, partial
// group needs BoxSpanOf, and the walk stops at the first output without samples.
class BoxWalk {
 public:
  BoxWalk(int32_t n, int32_t num, int32_t den)
      : m_n(n), m_num(num), m_den(den), m_samples(static_cast<int64_t>(n) * num),
        m_forward(num < den) {
    const int64_t unlimited = static_cast<int64_t>(num) * den * 2;
    for (int32_t m = 0; m < num; ++m) BoxSpanOf(m, num, den, unlimited, m_pattern[m]);
    Reset();
  }
  void Reset() {
    if (m_forward) {
      m_i = 0;
      m_m = 0;
      m_shift = 0;
    } else {
      m_i = m_n - 1;
      m_m = m_i % m_num;
      m_shift = (m_i / m_num) * m_den;
    }
  }
  // The next output index and its span; false when the line is done.
  bool Next(int32_t& i, BoxSpan& b) {
    if (m_forward ? m_i >= m_n : m_i < 0) return false;
    i = m_i;
    const int64_t end = (static_cast<int64_t>(m_i) + 1) * m_den;
    if (end <= m_samples) {
      b = m_pattern[m_m];
      b.first += m_shift;
      b.last += m_shift;
    } else if (!BoxSpanOf(m_i, m_num, m_den, m_samples, b)) {
      m_i = m_forward ? m_n : -1;  // no samples from here on
      return false;
    }
    if (m_forward) {
      ++m_i;
      if (++m_m == m_num) {
        m_m = 0;
        m_shift += m_den;
      }
    } else {
      --m_i;
      if (--m_m < 0) {
        m_m = m_num - 1;
        m_shift -= m_den;
      }
    }
    return true;
  }

 private:
  int32_t m_n, m_num, m_den;
  int64_t m_samples;
  bool m_forward;
  int32_t m_i = 0, m_m = 0, m_shift = 0;
  BoxSpan m_pattern[128];
};

}  // namespace

}  // namespace blivo

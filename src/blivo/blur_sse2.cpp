// SSE2 box blur with running sums. Rows (U): one pixel's four channel sums in one register,
// one add and one subtract per pixel. Columns (V): eight pixels across at a time, 16-bit sums
// (at most 255 * 255), walking down the rows. Division by the window size through float
// reciprocals (see kRcp). A ring of source values keeps same-image calls exact.
#include <emmintrin.h>

#include "scale_kernels.h"

namespace blivo {

namespace {

inline __m128i Widen(uint32_t p, __m128i zero) {
  const __m128i b = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(p)), zero);
  return _mm_unpacklo_epi16(b, zero);
}

inline uint32_t Average(__m128i sum, float rcp) {
  const __m128 f = _mm_add_ps(_mm_cvtepi32_ps(sum), _mm_set1_ps(0.5f));
  const __m128i q = _mm_cvttps_epi32(_mm_mul_ps(f, _mm_set1_ps(rcp)));
  const __m128i p = _mm_packs_epi32(q, q);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(p, p)));
}

inline __m128i DivLanes(__m128i sum, __m128 rcp) {
  const __m128 f = _mm_add_ps(_mm_cvtepi32_ps(sum), _mm_set1_ps(0.5f));
  return _mm_cvttps_epi32(_mm_mul_ps(f, rcp));
}

}  // namespace

void UBlur_Sse2(const Image& dst, const Image& src, const BlitRect& r, int32_t radius) {
  const __m128i zero = _mm_setzero_si128();
  const int32_t n = r.w, rad = radius;
  uint32_t ring[256];
  for (int32_t j = 0; j < r.h; ++j) {
    uint32_t* d = RowOf(dst, r.dy + j) + r.dx;
    const uint32_t* s = RowOf(src, r.sy + j) + r.sx;
    __m128i sum = zero;
    for (int32_t k = 0; k <= rad; ++k) {  // rad < n / 2
      ring[k] = s[k];
      sum = _mm_add_epi32(sum, Widen(s[k], zero));
    }
    int32_t i = 0;
    // Left edge: the window grows.
    for (; i <= rad; ++i) {
      if (i > 0) {
        const uint32_t p = s[i + rad];
        ring[(i + rad) & 255] = p;
        sum = _mm_add_epi32(sum, Widen(p, zero));
      }
      d[i] = Average(sum, kRcp.v[i + rad + 1]);
    }
    // Interior: full window of 2 rad + 1.
    const float full = kRcp.v[2 * rad + 1];
    for (; i + rad < n; ++i) {
      const uint32_t p = s[i + rad];
      const uint32_t old = ring[(i - rad - 1) & 255];
      ring[(i + rad) & 255] = p;
      sum = _mm_sub_epi32(_mm_add_epi32(sum, Widen(p, zero)), Widen(old, zero));
      d[i] = Average(sum, full);
    }
    // Right edge: the window shrinks.
    for (; i < n; ++i) {
      sum = _mm_sub_epi32(sum, Widen(ring[(i - rad - 1) & 255], zero));
      d[i] = Average(sum, kRcp.v[n - i + rad]);
    }
  }
}

void VBlur_Sse2(const Image& dst, const Image& src, const BlitRect& r, int32_t radius) {
  const __m128i zero = _mm_setzero_si128();
  const int32_t n = r.h, rad = radius;
  const int32_t wide = r.w & ~3;
  __m128i ring[256];
  auto row = [&](int32_t k, int32_t x) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(RowOf(src, r.sy + k) + r.sx + x));
  };
  for (int32_t x = 0; x < wide; x += 4) {
    __m128i lo = zero, hi = zero;  // 16-bit sums of pixels 0-1 and 2-3
    auto add = [&](__m128i p) {
      lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(p, zero));
      hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(p, zero));
    };
    auto sub = [&](__m128i p) {
      lo = _mm_sub_epi16(lo, _mm_unpacklo_epi8(p, zero));
      hi = _mm_sub_epi16(hi, _mm_unpackhi_epi8(p, zero));
    };
    auto put = [&](int32_t i, float rcpValue) {
      const __m128 rcp = _mm_set1_ps(rcpValue);
      const __m128i q0 = DivLanes(_mm_unpacklo_epi16(lo, zero), rcp);
      const __m128i q1 = DivLanes(_mm_unpackhi_epi16(lo, zero), rcp);
      const __m128i q2 = DivLanes(_mm_unpacklo_epi16(hi, zero), rcp);
      const __m128i q3 = DivLanes(_mm_unpackhi_epi16(hi, zero), rcp);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(RowOf(dst, r.dy + i) + r.dx + x),
                       _mm_packus_epi16(_mm_packs_epi32(q0, q1), _mm_packs_epi32(q2, q3)));
    };
    for (int32_t k = 0; k <= rad; ++k) {
      ring[k] = row(k, x);
      add(ring[k]);
    }
    int32_t i = 0;
    for (; i <= rad; ++i) {
      if (i > 0) {
        ring[(i + rad) & 255] = row(i + rad, x);
        add(ring[(i + rad) & 255]);
      }
      put(i, kRcp.v[i + rad + 1]);
    }
    const float full = kRcp.v[2 * rad + 1];
    for (; i + rad < n; ++i) {
      const __m128i p = row(i + rad, x);
      sub(ring[(i - rad - 1) & 255]);
      ring[(i + rad) & 255] = p;
      add(p);
      put(i, full);
    }
    for (; i < n; ++i) {
      sub(ring[(i - rad - 1) & 255]);
      put(i, kRcp.v[n - i + rad]);
    }
  }
  if (wide < r.w) {
    const BlitRect rest{r.dx + wide, r.dy, r.w - wide, r.h, r.sx + wide, r.sy};
    VBlur_Ref(dst, src, rest, radius);
  }
}

}  // namespace blivo

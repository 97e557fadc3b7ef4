// SSE2 row kernels of the drawing primitives: four pixels per step, the reference for the tail.
// Every result equals the scalar reference byte for byte.
#include <emmintrin.h>

#include "draw_kernels.h"

namespace blivo::draw {

namespace {

inline __m128i MaskedVec(__m128i p, __m128i colour, __m128i mask) {
  return _mm_or_si128(_mm_andnot_si128(mask, colour), _mm_and_si128(p, mask));
}

// Per byte (left * (256 - k) + right * k) >> 8 for four pixels with weights k (int32 lanes).
inline __m128i Lerp4(__m128i left16, __m128i right16, __m128i k32) {
  const __m128i k16 = _mm_packs_epi32(k32, k32);
  const __m128i kk = _mm_unpacklo_epi16(k16, k16);
  const __m128i kLo = _mm_unpacklo_epi32(kk, kk);  // pixels 0, 1
  const __m128i kHi = _mm_unpackhi_epi32(kk, kk);  // pixels 2, 3
  const __m128i full = _mm_set1_epi16(256);
  const __m128i lo = _mm_srli_epi16(
      _mm_add_epi16(_mm_mullo_epi16(left16, _mm_sub_epi16(full, kLo)),
                    _mm_mullo_epi16(right16, kLo)),
      8);
  const __m128i hi = _mm_srli_epi16(
      _mm_add_epi16(_mm_mullo_epi16(left16, _mm_sub_epi16(full, kHi)),
                    _mm_mullo_epi16(right16, kHi)),
      8);
  return _mm_packus_epi16(lo, hi);
}

}  // namespace

void FillSpan_Sse2(uint32_t* row, int32_t n, uint32_t colour, uint32_t mask) {
  const __m128i c = _mm_set1_epi32(static_cast<int32_t>(colour));
  int32_t i = 0;
  if (mask == 0) {
    for (; i + 4 <= n; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), c);
  } else {
    const __m128i m = _mm_set1_epi32(static_cast<int32_t>(mask));
    for (; i + 4 <= n; i += 4) {
      auto* p = reinterpret_cast<__m128i*>(row + i);
      _mm_storeu_si128(p, MaskedVec(_mm_loadu_si128(p), c, m));
    }
  }
  FillSpan_Ref(row + i, n - i, colour, mask);
}

void BoxSpan_Sse2(uint32_t* row, int32_t n, const uint16_t* k, uint32_t left, uint32_t right,
                  uint32_t mask) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i left16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int32_t>(left)), zero);
  const __m128i right16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int32_t>(right)), zero);
  const __m128i m = _mm_set1_epi32(static_cast<int32_t>(mask));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i k32 =
        _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(k + i)), zero);
    auto* p = reinterpret_cast<__m128i*>(row + i);
    _mm_storeu_si128(p, MaskedVec(_mm_loadu_si128(p), Lerp4(left16, right16, k32), m));
  }
  BoxSpan_Ref(row + i, n - i, k + i, left, right, mask);
}

void GradSpan_Sse2(uint32_t* row, int32_t n, const float* fx, const float* gx, const float* left,
                   const float* right) {
  // Channel-planar: four pixels of one channel per register, the same products and sum as the
  // reference, then the four channels shifted into place.
  __m128 l[4], r[4];
  for (int c = 0; c < 4; ++c) {
    l[c] = _mm_set1_ps(left[c]);
    r[c] = _mm_set1_ps(right[c]);
  }
  const __m128i low = _mm_set1_epi32(0xFF);
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128 f = _mm_loadu_ps(fx + i);
    const __m128 g = _mm_loadu_ps(gx + i);
    __m128i out = _mm_setzero_si128();
    for (int c = 0; c < 4; ++c) {
      const __m128i v = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(l[c], g), _mm_mul_ps(r[c], f)));
      out = _mm_or_si128(out, _mm_sll_epi32(_mm_and_si128(v, low), _mm_cvtsi32_si128(8 * c)));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), out);
  }
  GradSpan_Ref(row + i, n - i, fx + i, gx + i, left, right);
}

const DrawKernels kDraw_Sse2{"sse2", FillSpan_Sse2, BoxSpan_Sse2, GradSpan_Sse2};

}  // namespace blivo::draw

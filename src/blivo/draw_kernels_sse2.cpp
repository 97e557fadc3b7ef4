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
  // Columns past the last count as the last (weight 256), as in the reference.
  const __m128i k16 = _mm_min_epi16(_mm_packs_epi32(k32, k32), _mm_set1_epi16(256));
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

void BoxSpan_Sse2(uint32_t* row, int32_t n, int32_t i0, int32_t denom, uint32_t left,
                  uint32_t right, uint32_t mask) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i left16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int32_t>(left)), zero);
  const __m128i right16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int32_t>(right)), zero);
  const __m128i m = _mm_set1_epi32(static_cast<int32_t>(mask));
  const __m128 d = _mm_set1_ps(static_cast<float>(denom));
  const __m128 scale = _mm_set1_ps(256.0f);
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i k = zero;
    if (denom != 0) {
      const __m128i col = _mm_add_epi32(_mm_set1_epi32(i0 + i), _mm_setr_epi32(0, 1, 2, 3));
      k = _mm_cvttps_epi32(_mm_mul_ps(_mm_div_ps(_mm_cvtepi32_ps(col), d), scale));
    }
    auto* p = reinterpret_cast<__m128i*>(row + i);
    _mm_storeu_si128(p, MaskedVec(_mm_loadu_si128(p), Lerp4(left16, right16, k), m));
  }
  BoxSpan_Ref(row + i, n - i, i0 + i, denom, left, right, mask);
}

void GradSpan_Sse2(uint32_t* row, int32_t n, int32_t num0, float denom, const float* left,
                   const float* right) {
  const __m128 l = _mm_loadu_ps(left);
  const __m128 r = _mm_loadu_ps(right);
  const __m128 d = _mm_set1_ps(denom);
  const __m128 one = _mm_set1_ps(1.0f);
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i num = _mm_add_epi32(_mm_set1_epi32(num0 + i), _mm_setr_epi32(0, 1, 2, 3));
    const __m128 fx = _mm_div_ps(_mm_cvtepi32_ps(num), d);
    __m128i px[4];
    for (int j = 0; j < 4; ++j) {
      __m128 f = fx;
      switch (j) {  // shuffle needs a constant lane
        case 0: f = _mm_shuffle_ps(fx, fx, 0x00); break;
        case 1: f = _mm_shuffle_ps(fx, fx, 0x55); break;
        case 2: f = _mm_shuffle_ps(fx, fx, 0xAA); break;
        default: f = _mm_shuffle_ps(fx, fx, 0xFF); break;
      }
      const __m128 g = _mm_sub_ps(one, f);
      px[j] = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(l, g), _mm_mul_ps(r, f)));
    }
    const __m128i out = _mm_packus_epi16(_mm_packs_epi32(px[0], px[1]), _mm_packs_epi32(px[2], px[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), out);
  }
  GradSpan_Ref(row + i, n - i, num0 + i, denom, left, right);
}

}  // namespace blivo::draw

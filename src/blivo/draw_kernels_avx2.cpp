// AVX2 row kernels of the drawing primitives: eight pixels per step, the reference for the tail.
// Products and sums stay separate instructions so the results equal the scalar reference.
#include <immintrin.h>

#include "draw_kernels.h"

#ifdef __clang__
#pragma clang fp contract(off)
#endif

namespace blivo::draw {

namespace {

inline __m256i MaskedVec(__m256i p, __m256i colour, __m256i mask) {
  return _mm256_or_si256(_mm256_andnot_si256(mask, colour), _mm256_and_si256(p, mask));
}

}  // namespace

void FillSpan_Avx2(uint32_t* row, int32_t n, uint32_t colour, uint32_t mask) {
  const __m256i c = _mm256_set1_epi32(static_cast<int32_t>(colour));
  int32_t i = 0;
  if (mask == 0) {
    for (; i + 8 <= n; i += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i), c);
  } else {
    const __m256i m = _mm256_set1_epi32(static_cast<int32_t>(mask));
    for (; i + 8 <= n; i += 8) {
      auto* p = reinterpret_cast<__m256i*>(row + i);
      _mm256_storeu_si256(p, MaskedVec(_mm256_loadu_si256(p), c, m));
    }
  }
  FillSpan_Ref(row + i, n - i, colour, mask);
}

void BoxSpan_Avx2(uint32_t* row, int32_t n, int32_t i0, int32_t denom, uint32_t left,
                  uint32_t right, uint32_t mask) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i left16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int32_t>(left)), zero);
  const __m256i right16 =
      _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int32_t>(right)), zero);
  const __m256i m = _mm256_set1_epi32(static_cast<int32_t>(mask));
  const __m256 d = _mm256_set1_ps(static_cast<float>(denom));
  const __m256 scale = _mm256_set1_ps(256.0f);
  const __m256i full = _mm256_set1_epi16(256);
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i k = zero;
    if (denom != 0) {
      const __m256i col =
          _mm256_add_epi32(_mm256_set1_epi32(i0 + i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
      k = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_div_ps(_mm256_cvtepi32_ps(col), d), scale));
    }
    // Per 128-bit lane: pixels 0,1 | 4,5 in kLo and 2,3 | 6,7 in kHi, matching the byte unpacks.
    const __m256i k16 = _mm256_min_epi16(_mm256_packs_epi32(k, k), full);  // at most 256
    const __m256i kk = _mm256_unpacklo_epi16(k16, k16);
    const __m256i kLo = _mm256_unpacklo_epi32(kk, kk);
    const __m256i kHi = _mm256_unpackhi_epi32(kk, kk);
    const __m256i lo = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(left16, _mm256_sub_epi16(full, kLo)),
                         _mm256_mullo_epi16(right16, kLo)),
        8);
    const __m256i hi = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(left16, _mm256_sub_epi16(full, kHi)),
                         _mm256_mullo_epi16(right16, kHi)),
        8);
    auto* p = reinterpret_cast<__m256i*>(row + i);
    _mm256_storeu_si256(p, MaskedVec(_mm256_loadu_si256(p), _mm256_packus_epi16(lo, hi), m));
  }
  BoxSpan_Ref(row + i, n - i, i0 + i, denom, left, right, mask);
}

void GradSpan_Avx2(uint32_t* row, int32_t n, int32_t num0, float denom, const float* left,
                   const float* right) {
  const __m128 l4 = _mm_loadu_ps(left);
  const __m128 r4 = _mm_loadu_ps(right);
  const __m256 l = _mm256_set_m128(l4, l4);
  const __m256 r = _mm256_set_m128(r4, r4);
  const __m256 d = _mm256_set1_ps(denom);
  const __m256 one = _mm256_set1_ps(1.0f);
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i num =
        _mm256_add_epi32(_mm256_set1_epi32(num0 + i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    const __m256 fx = _mm256_div_ps(_mm256_cvtepi32_ps(num), d);
    __m256i px[4];  // pixels 2j in the low lane, 2j + 1 in the high lane
    for (int j = 0; j < 4; ++j) {
      const __m256i pick = _mm256_setr_epi32(2 * j, 2 * j, 2 * j, 2 * j, 2 * j + 1, 2 * j + 1,
                                             2 * j + 1, 2 * j + 1);
      const __m256 f = _mm256_permutevar8x32_ps(fx, pick);
      const __m256 g = _mm256_sub_ps(one, f);
      px[j] = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(l, g), _mm256_mul_ps(r, f)));
    }
    // Lanes now hold pixels 0,2,4,6 | 1,3,5,7; the permute restores their order.
    const __m256i packed = _mm256_packus_epi16(_mm256_packs_epi32(px[0], px[1]),
                                               _mm256_packs_epi32(px[2], px[3]));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i),
                        _mm256_permutevar8x32_epi32(packed, order));
  }
  GradSpan_Ref(row + i, n - i, num0 + i, denom, left, right);
}

}  // namespace blivo::draw

// AVX2 row kernels of the drawing primitives: eight pixels per step, the reference for the tail.
// Products and sums stay separate instructions so the results equal the scalar reference.
#include <immintrin.h>

#include "draw_kernels.h"

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

void BoxSpan_Avx2(uint32_t* row, int32_t n, const uint16_t* k, uint32_t left, uint32_t right,
                  uint32_t mask) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i left16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int32_t>(left)), zero);
  const __m256i right16 =
      _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int32_t>(right)), zero);
  const __m256i m = _mm256_set1_epi32(static_cast<int32_t>(mask));
  const __m256i full = _mm256_set1_epi16(256);
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    // Weights of pixels 0..3 in the low lane and 4..7 in the high lane, as 32-bit values.
    const __m256i k32 =
        _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(k + i)));
    // Per 128-bit lane: pixels 0,1 | 4,5 in kLo and 2,3 | 6,7 in kHi, matching the byte unpacks.
    const __m256i k16 = _mm256_packs_epi32(k32, k32);
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
  BoxSpan_Ref(row + i, n - i, k + i, left, right, mask);
}

void GradSpan_Avx2(uint32_t* row, int32_t n, const float* fx, const float* gx, const float* left,
                   const float* right) {
  // Channel-planar, eight pixels of one channel per register.
  __m256 l[4], r[4];
  for (int c = 0; c < 4; ++c) {
    l[c] = _mm256_set1_ps(left[c]);
    r[c] = _mm256_set1_ps(right[c]);
  }
  const __m256i low = _mm256_set1_epi32(0xFF);
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256 f = _mm256_loadu_ps(fx + i);
    const __m256 g = _mm256_loadu_ps(gx + i);
    __m256i out = _mm256_setzero_si256();
    for (int c = 0; c < 4; ++c) {
      const __m256i v =
          _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(l[c], g), _mm256_mul_ps(r[c], f)));
      out = _mm256_or_si256(out, _mm256_sll_epi32(_mm256_and_si256(v, low), _mm_cvtsi32_si128(8 * c)));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i), out);
  }
  GradSpan_Ref(row + i, n - i, fx + i, gx + i, left, right);
}

const DrawKernels kDraw_Avx2{"avx2", FillSpan_Avx2, BoxSpan_Avx2, GradSpan_Avx2};

}  // namespace blivo::draw

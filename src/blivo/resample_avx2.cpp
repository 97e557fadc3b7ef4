// AVX2 box resampling of columns: eight pixels at a time down the rows with 16-bit weighted
// sums and float-reciprocal division. Rows keep the SSE2 kernel (one output pixel per step
// gains nothing from wider registers).
#include <immintrin.h>

#include "scale_kernels.h"

namespace blivo {

namespace {

inline __m256i DivLanes(__m256i sum, __m256 rcp) {
  const __m256 f = _mm256_add_ps(_mm256_cvtepi32_ps(sum), _mm256_set1_ps(0.5f));
  return _mm256_cvttps_epi32(_mm256_mul_ps(f, rcp));
}

}  // namespace

void UScale_Avx2(const Image& dst, const Image& src, const BlitRect& r, int32_t num,
                 int32_t den) {
  UScale_Sse2(dst, src, r, num, den);
}

void VScale_Avx2(const Image& dst, const Image& src, const BlitRect& r, int32_t num,
                 int32_t den) {
  const int64_t samples = static_cast<int64_t>(r.h) * num;
  const bool forward = num < den;
  const int32_t wide = r.w & ~7;
  const __m256i zero = _mm256_setzero_si256();
  for (int32_t n = 0; n < r.h; ++n) {
    const int32_t i = forward ? n : r.h - 1 - n;
    BoxSpan b{};
    if (!BoxSpanOf(i, num, den, samples, b)) continue;
    const __m256 rcp = _mm256_set1_ps(kRcp.v[b.count]);
    uint32_t* d = dst.Row(r.dy + i) + r.dx;
    for (int32_t x = 0; x < wide; x += 8) {
      // lo: pixels 0-1 and 4-5, hi: 2-3 and 6-7 (unpack works within 128-bit lanes).
      __m256i lo = zero, hi = zero;
      for (int32_t k = b.first; k <= b.last; ++k) {
        const int32_t wgt = k == b.first ? b.headWeight : (k == b.last ? b.tailWeight : num);
        const __m256i wv = _mm256_set1_epi16(static_cast<int16_t>(wgt));
        const __m256i p = _mm256_loadu_si256(
            reinterpret_cast<const __m256i*>(src.Row(r.sy + k) + r.sx + x));
        lo = _mm256_add_epi16(lo, _mm256_mullo_epi16(_mm256_unpacklo_epi8(p, zero), wv));
        hi = _mm256_add_epi16(hi, _mm256_mullo_epi16(_mm256_unpackhi_epi8(p, zero), wv));
      }
      const __m256i q0 = DivLanes(_mm256_unpacklo_epi16(lo, zero), rcp);
      const __m256i q1 = DivLanes(_mm256_unpackhi_epi16(lo, zero), rcp);
      const __m256i q2 = DivLanes(_mm256_unpacklo_epi16(hi, zero), rcp);
      const __m256i q3 = DivLanes(_mm256_unpackhi_epi16(hi, zero), rcp);
      // Packs also work within lanes, which puts every pixel back in place.
      const __m256i out =
          _mm256_packus_epi16(_mm256_packs_epi32(q0, q1), _mm256_packs_epi32(q2, q3));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x), out);
    }
  }
  if (wide < r.w) {
    const BlitRect rest{r.dx + wide, r.dy, r.w - wide, r.h, r.sx + wide, r.sy};
    VScale_Sse2(dst, src, rest, num, den);
  }
}

}  // namespace blivo

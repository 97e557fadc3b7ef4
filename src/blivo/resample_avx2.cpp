// AVX2 box resampling: columns eight pixels at a time down the rows, rows two at a time side
// by side; 16-bit weighted sums and float-reciprocal division. Outputs go in the reference's
// order, so a same-origin call in place reads every pixel before it is overwritten.
#include <immintrin.h>

#include "scale_kernels.h"

namespace blivo {

namespace {

inline __m256i DivLanes(__m256i sum, __m256 rcp) {
  const __m256 f = _mm256_add_ps(_mm256_cvtepi32_ps(sum), _mm256_set1_ps(0.5f));
  return _mm256_cvttps_epi32(_mm256_mul_ps(f, rcp));
}

}  // namespace

// Two rows at a time: their pixels side by side in one register (16-bit channels), sharing
// every span computation.
void UScale_Avx2(const Image& dst, const Image& src, const BlitRect& r, int32_t num,
                 int32_t den) {
  BoxWalk walk(r.w, num, den);
  const int32_t pairs = r.h & ~1;
  const __m128i full = _mm_set1_epi16(static_cast<int16_t>(num));
  for (int32_t j = 0; j < pairs; j += 2) {
    uint32_t* da = RowOf(dst, r.dy + j) + r.dx;
    uint32_t* db = RowOf(dst, r.dy + j + 1) + r.dx;
    const uint32_t* sa = RowOf(src, r.sy + j) + r.sx;
    const uint32_t* sb = RowOf(src, r.sy + j + 1) + r.sx;
    auto pix = [&](int32_t k) {
      const uint64_t both = (static_cast<uint64_t>(sb[k]) << 32) | sa[k];
      return _mm_cvtepu8_epi16(_mm_cvtsi64_si128(static_cast<long long>(both)));
    };
    walk.Reset();
    int32_t i = 0;
    BoxSpan b{};
    while (walk.Next(i, b)) {
      __m128i acc =
          _mm_mullo_epi16(pix(b.first), _mm_set1_epi16(static_cast<int16_t>(b.headWeight)));
      for (int32_t k = b.first + 1; k < b.last; ++k)
        acc = _mm_add_epi16(acc, _mm_mullo_epi16(pix(k), full));
      if (b.last != b.first)
        acc = _mm_add_epi16(acc, _mm_mullo_epi16(pix(b.last), _mm_set1_epi16(static_cast<int16_t>(
                                                                  b.tailWeight))));
      const __m256i q = DivLanes(_mm256_cvtepu16_epi32(acc), _mm256_set1_ps(kRcp.v[b.count]));
      const __m256i w = _mm256_packs_epi32(q, q);
      const __m256i p = _mm256_packus_epi16(w, w);
      da[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(p)));
      db[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm256_extracti128_si256(p, 1)));
    }
  }
  if (pairs < r.h) {
    const BlitRect rest{r.dx, r.dy + pairs, r.w, r.h - pairs, r.sx, r.sy + pairs};
    UScale_Sse2(dst, src, rest, num, den);
  }
}

void VScale_Avx2(const Image& dst, const Image& src, const BlitRect& r, int32_t num,
                 int32_t den) {
  BoxWalk walk(r.h, num, den);
  const int32_t wide = r.w & ~7;
  const __m256i zero = _mm256_setzero_si256();
  int32_t i = 0;
  BoxSpan b{};
  while (walk.Next(i, b)) {
    const __m256 rcp = _mm256_set1_ps(kRcp.v[b.count]);
    uint32_t* d = RowOf(dst, r.dy + i) + r.dx;
    for (int32_t x = 0; x < wide; x += 8) {
      // lo: pixels 0-1 and 4-5, hi: 2-3 and 6-7 (unpack works within 128-bit lanes).
      __m256i lo = zero, hi = zero;
      for (int32_t k = b.first; k <= b.last; ++k) {
        const int32_t wgt = k == b.first ? b.headWeight : (k == b.last ? b.tailWeight : num);
        const __m256i wv = _mm256_set1_epi16(static_cast<int16_t>(wgt));
        const __m256i p = _mm256_loadu_si256(
            reinterpret_cast<const __m256i*>(RowOf(src, r.sy + k) + r.sx + x));
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

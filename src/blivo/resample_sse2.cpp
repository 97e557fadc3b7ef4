// SSE2 box resampling. Columns (V): four pixels at a time down the rows, 16-bit weighted sums
// (at most 255 * 128), divided through float reciprocals. Rows (U): one output pixel at a time
// with its four channels in one register. Outputs go in the reference's order, so a
// same-origin call in place reads every pixel before it is overwritten.
#include <emmintrin.h>

#include "scale_kernels.h"
#include "scale_math.h"

namespace blivo {

namespace {

// Four 32-bit channel sums -> floor(sum / count) as four 32-bit lanes.
inline __m128i DivLanes(__m128i sum, __m128 rcp) {
  const __m128 f = _mm_add_ps(_mm_cvtepi32_ps(sum), _mm_set1_ps(0.5f));
  return _mm_cvttps_epi32(_mm_mul_ps(f, rcp));
}

}  // namespace

void UScale_Sse2(const Image& dst, const Image& src, const BlitRect& r, int32_t num,
                 int32_t den) {
  BoxWalk walk(r.w, num, den);
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi16(static_cast<int16_t>(num));
  for (int32_t j = 0; j < r.h; ++j) {
    uint32_t* d = RowOf(dst, r.dy + j) + r.dx;
    const uint32_t* s = RowOf(src, r.sy + j) + r.sx;
    auto pix = [&](int32_t k) {
      return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(s[k])), zero);
    };
    walk.Reset();
    int32_t i = 0;
    BoxSpan b{};
    while (walk.Next(i, b)) {
      __m128i acc = _mm_mullo_epi16(pix(b.first), _mm_set1_epi16(static_cast<int16_t>(b.headWeight)));
      for (int32_t k = b.first + 1; k < b.last; ++k)
        acc = _mm_add_epi16(acc, _mm_mullo_epi16(pix(k), full));
      if (b.last != b.first)
        acc = _mm_add_epi16(
            acc, _mm_mullo_epi16(pix(b.last), _mm_set1_epi16(static_cast<int16_t>(b.tailWeight))));
      const __m128i q = DivLanes(_mm_unpacklo_epi16(acc, zero), _mm_set1_ps(kRcp.v[b.count]));
      const __m128i p = _mm_packus_epi16(_mm_packs_epi32(q, q), zero);
      d[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(p));
    }
  }
}

void VScale_Sse2(const Image& dst, const Image& src, const BlitRect& r, int32_t num,
                 int32_t den) {
  BoxWalk walk(r.h, num, den);
  const int32_t wide = r.w & ~3;
  const __m128i zero = _mm_setzero_si128();
  int32_t i = 0;
  BoxSpan b{};
  while (walk.Next(i, b)) {
    const __m128 rcp = _mm_set1_ps(kRcp.v[b.count]);
    uint32_t* d = RowOf(dst, r.dy + i) + r.dx;
    for (int32_t x = 0; x < wide; x += 4) {
      __m128i lo = zero, hi = zero;
      for (int32_t k = b.first; k <= b.last; ++k) {
        const int32_t wgt = k == b.first ? b.headWeight : (k == b.last ? b.tailWeight : num);
        const __m128i wv = _mm_set1_epi16(static_cast<int16_t>(wgt));
        const __m128i p =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(RowOf(src, r.sy + k) + r.sx + x));
        lo = _mm_add_epi16(lo, _mm_mullo_epi16(_mm_unpacklo_epi8(p, zero), wv));
        hi = _mm_add_epi16(hi, _mm_mullo_epi16(_mm_unpackhi_epi8(p, zero), wv));
      }
      const __m128i q0 = DivLanes(_mm_unpacklo_epi16(lo, zero), rcp);
      const __m128i q1 = DivLanes(_mm_unpackhi_epi16(lo, zero), rcp);
      const __m128i q2 = DivLanes(_mm_unpacklo_epi16(hi, zero), rcp);
      const __m128i q3 = DivLanes(_mm_unpackhi_epi16(hi, zero), rcp);
      const __m128i out = _mm_packus_epi16(_mm_packs_epi32(q0, q1), _mm_packs_epi32(q2, q3));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), out);
    }
  }
  if (wide < r.w) {
    const BlitRect rest{r.dx + wide, r.dy, r.w - wide, r.h, r.sx + wide, r.sy};
    VScale_Ref(dst, src, rest, num, den);
  }
}

}  // namespace blivo

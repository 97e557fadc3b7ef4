// AVX2 box blur with running sums. Rows (U): two rows at a time, one per 128-bit half, so
// the two sums advance side by side. Columns (V): eight pixels across at a time with 16-bit
// sums. Division by the window size through float reciprocals (see kRcp); rings of source
// values keep same-image calls exact.
#include <immintrin.h>

#include "scale_kernels.h"

namespace blivo {

namespace {

// Pixel a into lanes 0..3, pixel b into lanes 4..7, one channel per 32-bit lane.
inline __m256i Widen2(uint32_t a, uint32_t b) {
  const uint64_t both = (static_cast<uint64_t>(b) << 32) | a;
  return _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(static_cast<long long>(both)));
}

inline __m256i DivLanes(__m256i sum, __m256 rcp) {
  const __m256 f = _mm256_add_ps(_mm256_cvtepi32_ps(sum), _mm256_set1_ps(0.5f));
  return _mm256_cvttps_epi32(_mm256_mul_ps(f, rcp));
}

inline void Put2(uint32_t* da, uint32_t* db, __m256i sum, float rcp) {
  const __m256i q = DivLanes(sum, _mm256_set1_ps(rcp));
  const __m256i w = _mm256_packs_epi32(q, q);
  const __m256i b = _mm256_packus_epi16(w, w);
  *da = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(b)));
  *db = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm256_extracti128_si256(b, 1)));
}

}  // namespace

void UBlur_Avx2(const Image& dst, const Image& src, const BlitRect& r, int32_t radius) {
  const int32_t n = r.w, rad = radius;
  const int32_t pairs = r.h & ~1;
  uint32_t ringA[256], ringB[256];
  for (int32_t j = 0; j < pairs; j += 2) {
    uint32_t* da = RowOf(dst, r.dy + j) + r.dx;
    uint32_t* db = RowOf(dst, r.dy + j + 1) + r.dx;
    const uint32_t* sa = RowOf(src, r.sy + j) + r.sx;
    const uint32_t* sb = RowOf(src, r.sy + j + 1) + r.sx;
    __m256i sum = _mm256_setzero_si256();
    for (int32_t k = 0; k <= rad; ++k) {
      ringA[k] = sa[k];
      ringB[k] = sb[k];
      sum = _mm256_add_epi32(sum, Widen2(sa[k], sb[k]));
    }
    int32_t i = 0;
    for (; i <= rad; ++i) {
      if (i > 0) {
        const int32_t in = i + rad;
        ringA[in & 255] = sa[in];
        ringB[in & 255] = sb[in];
        sum = _mm256_add_epi32(sum, Widen2(sa[in], sb[in]));
      }
      Put2(da + i, db + i, sum, kRcp.v[i + rad + 1]);
    }
    const float full = kRcp.v[2 * rad + 1];
    for (; i + rad < n; ++i) {
      const int32_t in = i + rad, out = (i - rad - 1) & 255;
      const uint32_t pa = sa[in], pb = sb[in];
      const __m256i old = Widen2(ringA[out], ringB[out]);
      ringA[in & 255] = pa;
      ringB[in & 255] = pb;
      sum = _mm256_sub_epi32(_mm256_add_epi32(sum, Widen2(pa, pb)), old);
      Put2(da + i, db + i, sum, full);
    }
    for (; i < n; ++i) {
      const int32_t out = (i - rad - 1) & 255;
      sum = _mm256_sub_epi32(sum, Widen2(ringA[out], ringB[out]));
      Put2(da + i, db + i, sum, kRcp.v[n - i + rad]);
    }
  }
  if (pairs < r.h) {
    const BlitRect rest{r.dx, r.dy + pairs, r.w, r.h - pairs, r.sx, r.sy + pairs};
    UBlur_Sse2(dst, src, rest, radius);
  }
}

void VBlur_Avx2(const Image& dst, const Image& src, const BlitRect& r, int32_t radius) {
  const __m256i zero = _mm256_setzero_si256();
  const int32_t n = r.h, rad = radius;
  const int32_t wide = r.w & ~7;
  __m256i ring[256];
  auto row = [&](int32_t k, int32_t x) {
    return _mm256_loadu_si256(
        reinterpret_cast<const __m256i*>(RowOf(src, r.sy + k) + r.sx + x));
  };
  for (int32_t x = 0; x < wide; x += 8) {
    __m256i lo = zero, hi = zero;
    auto add = [&](__m256i p) {
      lo = _mm256_add_epi16(lo, _mm256_unpacklo_epi8(p, zero));
      hi = _mm256_add_epi16(hi, _mm256_unpackhi_epi8(p, zero));
    };
    auto sub = [&](__m256i p) {
      lo = _mm256_sub_epi16(lo, _mm256_unpacklo_epi8(p, zero));
      hi = _mm256_sub_epi16(hi, _mm256_unpackhi_epi8(p, zero));
    };
    auto put = [&](int32_t i, float rcpValue) {
      const __m256 rcp = _mm256_set1_ps(rcpValue);
      const __m256i q0 = DivLanes(_mm256_unpacklo_epi16(lo, zero), rcp);
      const __m256i q1 = DivLanes(_mm256_unpackhi_epi16(lo, zero), rcp);
      const __m256i q2 = DivLanes(_mm256_unpacklo_epi16(hi, zero), rcp);
      const __m256i q3 = DivLanes(_mm256_unpackhi_epi16(hi, zero), rcp);
      _mm256_storeu_si256(
          reinterpret_cast<__m256i*>(RowOf(dst, r.dy + i) + r.dx + x),
          _mm256_packus_epi16(_mm256_packs_epi32(q0, q1), _mm256_packs_epi32(q2, q3)));
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
      const __m256i p = row(i + rad, x);
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
    VBlur_Sse2(dst, src, rest, radius);
  }
}

}  // namespace blivo

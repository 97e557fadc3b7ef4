// LayerBlend, AVX2 body: eight pixels at a time, the same integer rule as the reference (bytes
// equal). Weights go up to 256, so they are spread to 16-bit lanes by words, not bytes; the
// fade weight is computed with the reference's float steps in the same order.
#include <immintrin.h>

#include "image/LayerBlend_kernels.h"

namespace image::layerblend {

namespace {

// The tone step on eight pixels in 32-bit lanes: saturation, then the levels table.
struct Tone {
  explicit Tone(const Prepared& prepared) : q(prepared) {
    greyK = _mm256_set1_epi32(q.greyK);
    level = _mm256_set1_epi32(q.level);
  }
  __m256i Apply(__m256i p) const {
    const __m256i byte = _mm256_set1_epi32(0xFF), zero = _mm256_setzero_si256();
    __m256i c[3] = {_mm256_and_si256(p, byte), _mm256_and_si256(_mm256_srli_epi32(p, 8), byte),
                    _mm256_and_si256(_mm256_srli_epi32(p, 16), byte)};
    if (q.saturate) {
      const __m256i sum = _mm256_add_epi32(_mm256_add_epi32(c[0], c[1]), c[2]);
      const __m256i grey = _mm256_srai_epi32(_mm256_mullo_epi32(greyK, sum), 10);
      for (__m256i& v : c) {
        v = _mm256_add_epi32(grey, _mm256_srai_epi32(_mm256_mullo_epi32(level, v), 10));
        v = _mm256_min_epi32(_mm256_max_epi32(v, zero), byte);
      }
    }
    if (q.levels) {
      for (int ch = 0; ch < 3; ++ch) c[ch] = _mm256_i32gather_epi32(q.lut[ch], c[ch], 4);
    }
    return _mm256_or_si256(
        _mm256_and_si256(p, _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u))),
        _mm256_or_si256(_mm256_slli_epi32(c[2], 16),
                        _mm256_or_si256(_mm256_slli_epi32(c[1], 8), c[0])));
  }
  const Prepared& q;
  __m256i greyK, level;
};

}  // namespace

void BlendRowsAvx2(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                   int32_t w, int32_t h, const Prepared& q) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i srcMask = _mm256_set1_epi32(static_cast<int32_t>(q.srcMask));
  const __m256i base = _mm256_set1_epi32(static_cast<int32_t>(q.base));
  const __m256i dstMask = _mm256_set1_epi32(static_cast<int32_t>(q.dstMask));
  const __m256i alphaByte = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
  const __m256i constK = _mm256_set1_epi32(static_cast<int32_t>(q.k));
  const __m256i c256 = _mm256_set1_epi16(256);
  const __m256i max256 = _mm256_set1_epi32(256);
  const __m256 opacity = _mm256_set1_ps(q.opacity);
  const __m256 inv255 = _mm256_set1_ps(0.003921569f);
  const __m256 f256 = _mm256_set1_ps(256.0f);
  // Read once: the stores below could alias q as far as the compiler knows.
  const bool srcAlpha = q.srcAlpha, add = q.add, tone = q.saturate || q.levels;
  const bool fadeIsAlpha = q.fadeIsAlpha;
  const __m256i c255 = _mm256_set1_epi32(255);
  const bool useDstMask = q.dstMask != 0;
  const Tone toner(q);
  for (int32_t y = 0; y < h; ++y) {
    auto* d = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + int64_t{y} * dstStride);
    const auto* s = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(src) +
                                                      int64_t{y} * srcStride);
    int32_t x = 0;
    for (; x + 8 <= w; x += 8) {
      __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + x));
      p = _mm256_or_si256(_mm256_and_si256(p, srcMask), base);
      __m256i wt = constK;
      if (srcAlpha) {
        const __m256i ai = _mm256_srli_epi32(p, 24);
        if (fadeIsAlpha) {
          // Full opacity: the weight is the alpha, and 256 for 255.
          wt = _mm256_sub_epi32(ai, _mm256_cmpeq_epi32(ai, c255));
        } else {
          // trunc(alpha * opacity * (1/255) * 256), at most 256: the reference's table.
          const __m256 a = _mm256_cvtepi32_ps(ai);
          const __m256 v = _mm256_mul_ps(_mm256_mul_ps(_mm256_mul_ps(a, opacity), inv255), f256);
          wt = _mm256_min_epi32(_mm256_cvttps_epi32(v), max256);
        }
        if (_mm256_testz_si256(wt, wt)) continue;  // nothing of the layer shows here
      }
      if (tone) p = toner.Apply(p);
      const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + x));
      // Weight per 16-bit lane: each pixel's four words.
      const __m256i w2 = _mm256_or_si256(wt, _mm256_slli_epi32(wt, 16));
      const __m256i wLo = _mm256_unpacklo_epi32(w2, w2), wHi = _mm256_unpackhi_epi32(w2, w2);
      const __m256i nwLo = _mm256_sub_epi16(c256, wLo), nwHi = _mm256_sub_epi16(c256, wHi);
      const __m256i pLo = _mm256_unpacklo_epi8(p, zero), pHi = _mm256_unpackhi_epi8(p, zero);
      const __m256i dLo = _mm256_unpacklo_epi8(dv, zero), dHi = _mm256_unpackhi_epi8(dv, zero);
      const __m256i spLo = _mm256_mullo_epi16(pLo, wLo), spHi = _mm256_mullo_epi16(pHi, wHi);
      const __m256i mixLo =
          _mm256_srli_epi16(_mm256_add_epi16(spLo, _mm256_mullo_epi16(dLo, nwLo)), 8);
      const __m256i mixHi =
          _mm256_srli_epi16(_mm256_add_epi16(spHi, _mm256_mullo_epi16(dHi, nwHi)), 8);
      __m256i res = _mm256_packus_epi16(mixLo, mixHi);
      if (add) {
        const __m256i scaled =
            _mm256_packus_epi16(_mm256_srli_epi16(spLo, 8), _mm256_srli_epi16(spHi, 8));
        res = _mm256_blendv_epi8(_mm256_adds_epu8(dv, scaled), res, alphaByte);
      }
      if (useDstMask)
        res = _mm256_or_si256(_mm256_andnot_si256(dstMask, res), _mm256_and_si256(dv, dstMask));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x), res);
    }
    for (; x < w; ++x) d[x] = BlendPixel(d[x], s[x], q);
  }
}

}  // namespace image::layerblend

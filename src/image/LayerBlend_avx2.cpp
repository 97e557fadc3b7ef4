// LayerBlend, AVX2 body: eight pixels at a time in 16-bit lanes, the same integer rule as the
// reference (bytes equal); the row's tail goes through the reference pixel by pixel.
#include <immintrin.h>

#include "image/LayerBlend_kernels.h"

namespace image::layerblend {

namespace {

// (x + 128 + ((x + 128) >> 8)) >> 8 per 16-bit lane: x / 255 rounded.
inline __m256i Div255x16(__m256i x) {
  x = _mm256_add_epi16(x, _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(x, _mm256_srli_epi16(x, 8)), 8);
}

// The tone step of the reference on eight pixels in 32-bit lanes: saturation, then the
// per-channel mapping of black and white to the two border colours.
struct Tone {
  explicit Tone(const Prepared& q) : q(q) {
    satK = _mm256_set1_epi32(q.satK);
    satL = _mm256_set1_epi32(q.satL);
    for (int ch = 0; ch < 3; ++ch) {
      // The reference's table is linear: lo + c * (hi - lo) / 255; read its ends back.
      lo[ch] = _mm256_set1_epi32(q.lut[ch][0]);
      range[ch] = _mm256_set1_epi32(int32_t{q.lut[ch][255]} - q.lut[ch][0]);
    }
  }
  __m256i Apply(__m256i sv) const {
    const __m256i byte = _mm256_set1_epi32(0xFF);
    __m256i c[3] = {_mm256_and_si256(sv, byte), _mm256_and_si256(_mm256_srli_epi32(sv, 8), byte),
                    _mm256_and_si256(_mm256_srli_epi32(sv, 16), byte)};
    const __m256i zero = _mm256_setzero_si256();
    if (q.saturate) {
      const __m256i sum = _mm256_add_epi32(_mm256_add_epi32(c[0], c[1]), c[2]);
      const __m256i grey = _mm256_srai_epi32(_mm256_mullo_epi32(satK, sum), 10);
      for (__m256i& v : c) {
        v = _mm256_add_epi32(grey, _mm256_srai_epi32(_mm256_mullo_epi32(satL, v), 10));
        v = _mm256_min_epi32(_mm256_max_epi32(v, zero), byte);
      }
    }
    if (q.levels) {
      const __m256i c127 = _mm256_set1_epi32(127), one = _mm256_set1_epi32(1);
      for (int ch = 0; ch < 3; ++ch) {
        const __m256i n = _mm256_mullo_epi32(c[ch], range[ch]);
        // (|n| + 127) / 255 exactly (|n| + 127 stays below 65535), the sign put back.
        const __m256i x = _mm256_add_epi32(_mm256_abs_epi32(n), c127);
        __m256i step = _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(x, one),
                                                          _mm256_srli_epi32(x, 8)), 8);
        step = _mm256_sign_epi32(step, n);
        c[ch] = _mm256_min_epi32(_mm256_max_epi32(_mm256_add_epi32(lo[ch], step), zero), byte);
      }
    }
    return _mm256_or_si256(
        _mm256_and_si256(sv, _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u))),
        _mm256_or_si256(_mm256_slli_epi32(c[2], 16), _mm256_or_si256(_mm256_slli_epi32(c[1], 8), c[0])));
  }
  const Prepared& q;
  __m256i satK, satL, lo[3], range[3];
};

}  // namespace

void BlendRowsAvx2(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                   int32_t w, int32_t h, const Prepared& q) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i srcMask = _mm256_set1_epi32(static_cast<int32_t>(q.srcMask));
  const __m256i base = _mm256_set1_epi32(static_cast<int32_t>(q.base));
  const __m256i dstMask = _mm256_set1_epi32(static_cast<int32_t>(q.dstMask));
  const __m256i alphaByte = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
  const __m256i opacity = _mm256_set1_epi32(static_cast<int32_t>(q.opacity));
  const __m256i c255 = _mm256_set1_epi16(255);
  const __m256i c128 = _mm256_set1_epi32(128);
  // Spreads byte 0 of each pixel to its four bytes.
  const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, 4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 12, 0,
                                          0, 0, 0, 4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 12);
  const bool useDstMask = q.dstMask != 0;
  const bool tone = q.saturate || q.levels;
  const Tone toner(q);
  for (int32_t y = 0; y < h; ++y) {
    auto* d = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + int64_t{y} * dstStride);
    const auto* s = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(src) +
                                                      int64_t{y} * srcStride);
    int32_t x = 0;
    for (; x + 8 <= w; x += 8) {
      __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + x));
      sv = _mm256_or_si256(_mm256_and_si256(sv, srcMask), base);
      __m256i a = opacity;
      if (q.srcAlpha) {
        __m256i t = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srli_epi32(sv, 24), opacity), c128);
        a = _mm256_srli_epi32(_mm256_add_epi32(t, _mm256_srli_epi32(t, 8)), 8);
        if (_mm256_testz_si256(a, a)) continue;  // nothing of the layer shows here
      }
      if (tone) sv = toner.Apply(sv);
      const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + x));
      const __m256i a8 = _mm256_shuffle_epi8(a, spread);
      const __m256i aLo = _mm256_unpacklo_epi8(a8, zero), aHi = _mm256_unpackhi_epi8(a8, zero);
      const __m256i naLo = _mm256_sub_epi16(c255, aLo), naHi = _mm256_sub_epi16(c255, aHi);
      const __m256i dLo = _mm256_unpacklo_epi8(dv, zero), dHi = _mm256_unpackhi_epi8(dv, zero);
      // Mixing; its alpha byte (source alpha taken as 255) is the coverage in both modes.
      const __m256i sm = _mm256_or_si256(sv, alphaByte);
      const __m256i smLo = _mm256_unpacklo_epi8(sm, zero), smHi = _mm256_unpackhi_epi8(sm, zero);
      const __m256i mixLo = Div255x16(
          _mm256_add_epi16(_mm256_mullo_epi16(smLo, aLo), _mm256_mullo_epi16(dLo, naLo)));
      const __m256i mixHi = Div255x16(
          _mm256_add_epi16(_mm256_mullo_epi16(smHi, aHi), _mm256_mullo_epi16(dHi, naHi)));
      __m256i res = _mm256_packus_epi16(mixLo, mixHi);
      if (q.add) {
        const __m256i wLo = Div255x16(_mm256_mullo_epi16(smLo, aLo));
        const __m256i wHi = Div255x16(_mm256_mullo_epi16(smHi, aHi));
        const __m256i sum = _mm256_adds_epu8(dv, _mm256_packus_epi16(wLo, wHi));
        res = _mm256_blendv_epi8(sum, res, alphaByte);
      }
      if (useDstMask) res = _mm256_or_si256(_mm256_andnot_si256(dstMask, res),
                                            _mm256_and_si256(dv, dstMask));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x), res);
    }
    for (; x < w; ++x) d[x] = BlendPixel(d[x], s[x], q);
  }
}

}  // namespace image::layerblend

// The software device's sprite spans in AVX2: four pixels per register in 16-bit lanes, the
// same expressions as the plain loop (diffuse rounding in float, round(x / 255) by the
// add-and-shift identity), so every pixel equals the reference. Built with -mavx2 and called
// only when the processor has it.
#include <immintrin.h>

#include <cstdint>

#include "present/RgbSpan.h"

namespace present::rgbspan {

namespace {

// Sums stay below 65536, where ((x + 128) + ((x + 128) >> 8)) >> 8 is exactly round(x / 255).
inline __m256i Div255x16(__m256i x) {
  const __m256i t = _mm256_add_epi16(x, _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

// Diffuse of pixel i as four 32-bit lanes B, G, R, A, by the plain loop's expression.
inline __m128i DiffuseAt(const Span& s, float fi) {
  const __m128 v = _mm_add_ps(_mm_add_ps(_mm_loadu_ps(s.start),
                                         _mm_mul_ps(_mm_loadu_ps(s.step), _mm_set1_ps(fi))),
                              _mm_set1_ps(0.5f));
  return _mm_cvttps_epi32(v);
}

template <ColorOp kOp, FastBlend kBlend>
void SpanPointAvx2(const Pipeline& p, const Span& s, const uint32_t* row, ColorOp alphaOp) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i c255 = _mm256_set1_epi16(255);
  const __m256i alphaLanes = _mm256_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0);
  __m256i flatD = zero;
  if (p.flatColor) {
    const __m128i d = _mm_packs_epi32(DiffuseAt(s, 0), _mm_setzero_si128());
    flatD = _mm256_broadcastq_epi64(d);
    flatD = _mm256_min_epi16(_mm256_max_epi16(flatD, zero), c255);
  }
  const bool unitStep = s.step[4] == 1.0f && s.start[4] == __builtin_floorf(s.start[4]);
  const auto u0 = static_cast<int32_t>(s.start[4]);
  for (int32_t i = 0; i < s.count; i += 4) {
    const int32_t n = s.count - i < 4 ? s.count - i : 4;
    // The tail repeats its last pixel in the unused lanes, which are never stored.
    float f[4];
    for (int k = 0; k < 4; ++k) f[k] = static_cast<float>(i + (k < n ? k : n - 1));
    __m128i t8;
    if (unitStep && n == 4) {
      t8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + u0 + i));
    } else {
      uint32_t t[4];
      for (int k = 0; k < 4; ++k) t[k] = row[static_cast<int32_t>(s.start[4] + s.step[4] * f[k])];
      t8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t));
    }
    const __m256i t = _mm256_cvtepu8_epi16(t8);
    __m256i d = flatD;
    if (!p.flatColor) {
      const __m128i d01 = _mm_packs_epi32(DiffuseAt(s, f[0]), DiffuseAt(s, f[1]));
      const __m128i d23 = _mm_packs_epi32(DiffuseAt(s, f[2]), DiffuseAt(s, f[3]));
      d = _mm256_set_m128i(d23, d01);
      d = _mm256_min_epi16(_mm256_max_epi16(d, zero), c255);
    }
    __m256i c;
    if constexpr (kOp == ColorOp::SelectArg1) c = t;
    else if constexpr (kOp == ColorOp::SelectArg2) c = d;
    else if constexpr (kOp == ColorOp::Modulate) c = Div255x16(_mm256_mullo_epi16(t, d));
    else if constexpr (kOp == ColorOp::Add) c = _mm256_min_epi16(_mm256_add_epi16(t, d), c255);
    else
      c = _mm256_min_epi16(
          _mm256_max_epi16(_mm256_sub_epi16(_mm256_add_epi16(t, d), _mm256_set1_epi16(128)), zero),
          c255);
    const __m256i a = alphaOp == ColorOp::SelectArg1   ? t
                      : alphaOp == ColorOp::SelectArg2 ? d
                                                       : Div255x16(_mm256_mullo_epi16(t, d));
    c = _mm256_blendv_epi8(c, a, alphaLanes);
    uint32_t* out = s.dst + i;
    uint32_t tail[4] = {0, 0, 0, 0};
    uint32_t* io = out;
    if (n < 4) {
      for (int k = 0; k < n; ++k) tail[k] = out[k];
      io = tail;
    }
    __m256i result;
    if constexpr (kBlend == FastBlend::None) {
      result = c;
    } else {
      __m256i sa = _mm256_shufflelo_epi16(c, _MM_SHUFFLE(3, 3, 3, 3));
      sa = _mm256_shufflehi_epi16(sa, _MM_SHUFFLE(3, 3, 3, 3));
      const __m256i dst =
          _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(io)));
      if constexpr (kBlend == FastBlend::Alpha) {
        result = Div255x16(_mm256_add_epi16(_mm256_mullo_epi16(c, sa),
                                            _mm256_mullo_epi16(dst, _mm256_sub_epi16(c255, sa))));
      } else {
        result = _mm256_min_epi16(_mm256_add_epi16(dst, Div255x16(_mm256_mullo_epi16(c, sa))),
                                  c255);
      }
    }
    // Packing works per 128-bit half: pixels 0, 1 and 2, 3 land in quadwords 0 and 2.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(result, zero),
                                                    _MM_SHUFFLE(3, 1, 2, 0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(io), _mm256_castsi256_si128(packed));
    if (n < 4)
      for (int k = 0; k < n; ++k) out[k] = tail[k];
  }
}

template <FastBlend kBlend>
SpanPointFn PickOp(ColorOp op) {
  switch (op) {
    case ColorOp::SelectArg1: return SpanPointAvx2<ColorOp::SelectArg1, kBlend>;
    case ColorOp::SelectArg2: return SpanPointAvx2<ColorOp::SelectArg2, kBlend>;
    case ColorOp::Modulate: return SpanPointAvx2<ColorOp::Modulate, kBlend>;
    case ColorOp::Add: return SpanPointAvx2<ColorOp::Add, kBlend>;
    case ColorOp::AddSigned: return SpanPointAvx2<ColorOp::AddSigned, kBlend>;
    default: return nullptr;
  }
}

}  // namespace

SpanPointFn PickSpanAvx2(FastBlend blend, ColorOp op) {
  return blend == FastBlend::None    ? PickOp<FastBlend::None>(op)
         : blend == FastBlend::Alpha ? PickOp<FastBlend::Alpha>(op)
                                     : PickOp<FastBlend::AlphaAdd>(op);
}

}  // namespace present::rgbspan

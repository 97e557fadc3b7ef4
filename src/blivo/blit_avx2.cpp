// AVX2 row kernels of the hot blits: eight pixels per step with unaligned loads and stores, the
// rest of the row through the scalar per-pixel rules, so no byte outside the row is touched.
// The same arithmetic as the SSE2 kernels, twice as wide.
#include <immintrin.h>

#include "blit_kernels.h"
#include "pixel_math.h"

namespace blivo {
namespace {

inline __m256i Load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
inline void Store(uint32_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
inline __m256i Splat(uint32_t v) { return _mm256_set1_epi32(static_cast<int32_t>(v)); }
inline __m256i Select(__m256i mask, __m256i yes, __m256i no) {
  return _mm256_blendv_epi8(no, yes, mask);
}
// Each pixel's alpha byte into both 16-bit halves of its word, as a blend weight.
inline __m256i AlphaWeight(__m256i p) {
  const __m256i spread = _mm256_setr_epi8(3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1,
                                          3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1);
  return _mm256_shuffle_epi8(p, spread);
}

// Per byte (s * w + d * (256 - w)) >> 8 with w (<= 256) in both 16-bit halves of each pixel.
// Only valid where the exact per-channel sum fits 16 bits, which every caller guarantees.
inline __m256i Mix(__m256i d, __m256i s, __m256i w, bool minusD) {
  const __m256i lane = Splat(kLaneRB);
  const __m256i drb = _mm256_and_si256(d, lane), srb = _mm256_and_si256(s, lane);
  const __m256i dag = _mm256_srli_epi16(d, 8), sag = _mm256_srli_epi16(s, 8);
  __m256i trb = _mm256_slli_epi16(drb, 8), tag = _mm256_slli_epi16(dag, 8);
  if (minusD) {  // weights sum to 255: d * 255 = (d << 8) - d
    trb = _mm256_sub_epi16(trb, drb);
    tag = _mm256_sub_epi16(tag, dag);
  }
  trb = _mm256_add_epi16(trb, _mm256_mullo_epi16(_mm256_sub_epi16(srb, drb), w));
  tag = _mm256_add_epi16(tag, _mm256_mullo_epi16(_mm256_sub_epi16(sag, dag), w));
  return _mm256_or_si256(_mm256_srli_epi16(trb, 8), _mm256_and_si256(tag, Splat(kLaneAG)));
}

inline __m256i BothHalves(__m256i v) { return _mm256_or_si256(v, _mm256_slli_epi32(v, 16)); }

template <class Vec, class Px>
inline void Row(uint32_t* d, const uint32_t* s, int32_t n, Vec vec, Px px) {
  int32_t i = 0;
  // Two blocks per step, both read before either is written: safe because the caller never
  // hands over a destination that starts inside the source span.
  for (; i + 16 <= n; i += 16) {
    const __m256i r0 = vec(Load(d + i), Load(s + i));
    const __m256i r1 = vec(Load(d + i + 8), Load(s + i + 8));
    Store(d + i, r0);
    Store(d + i + 8, r1);
  }
  for (; i + 8 <= n; i += 8) Store(d + i, vec(Load(d + i), Load(s + i)));
  for (; i < n; ++i) d[i] = px(d[i], s[i]);
}

void Add_Avx2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  Row(d, s, n, [](__m256i a, __m256i b) { return _mm256_adds_epu8(a, b); }, AddSat);
}
void Sub_Avx2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  Row(d, s, n, [](__m256i a, __m256i b) { return _mm256_subs_epu8(a, b); }, SubSat);
}
void HalfBlend_Avx2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  Row(
      d, s, n,
      [](__m256i a, __m256i b) {
        const __m256i m = Splat(0x7F7F7F7Fu);
        return _mm256_add_epi32(_mm256_and_si256(_mm256_srli_epi32(a, 1), m),
                             _mm256_and_si256(_mm256_srli_epi32(b, 1), m));
      },
      [](uint32_t a, uint32_t b) { return HalfMean(b, a); });
}
void Keying_Avx2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs& args) {
  const uint32_t key = args.key;
  const __m256i k = Splat(key);
  Row(
      d, s, n, [k](__m256i a, __m256i b) { return Select(_mm256_cmpeq_epi32(b, k), a, b); },
      [key](uint32_t a, uint32_t b) { return b != key ? b : a; });
}
void Blend_Avx2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  Row(
      d, s, n,
      [](__m256i a, __m256i b) {
        const __m256i w = AlphaWeight(b);
        const __m256i mixed = Mix(a, b, w, true);
        const __m256i keep = _mm256_cmpeq_epi32(w, _mm256_setzero_si256());
        const __m256i copy = _mm256_cmpeq_epi32(w, Splat(0x00FF00FFu));
        return Select(copy, b, Select(keep, a, mixed));
      },
      BlendPixel);
}
void BlendMmx_Avx2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  Row(
      d, s, n,
      [](__m256i a, __m256i b) {
        __m256i w = AlphaWeight(b);
        w = _mm256_sub_epi16(w, _mm256_cmpeq_epi16(w, Splat(0x00FF00FFu)));  // 255 -> 256
        return Mix(a, b, w, false);
      },
      BlendMmxPixel);
}
template <int kMode>  // 0: single-precision chain, 1: one multiply, 2: the weight is sa
void TrueBlendRow_Avx2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs& args) {
  const __m256 opacity = _mm256_set1_ps(args.opacity);
  const __m256 inv255 = _mm256_set1_ps(0.003921569f);
  const __m256 scale = _mm256_set1_ps(256.0f);
  const __m256i mul = Splat(args.fadeMul * 0x00010001u);
  const uint16_t* fade = args.fade;
  Row(
      d, s, n,
      [=](__m256i a, __m256i b) {
        const __m256i sa = _mm256_srli_epi32(b, 24), da = _mm256_srli_epi32(a, 24);
        __m256i w;  // the fade weight of sa, in both 16-bit halves
        if constexpr (kMode == 2) {
          w = AlphaWeight(b);
        } else if constexpr (kMode == 1) {
          w = _mm256_mulhi_epu16(AlphaWeight(b), mul);
        } else {
          // The same three single-precision products as the table, in the same order; at
          // most 256 for an opacity of at most 1.
          __m256 f = _mm256_mul_ps(_mm256_cvtepi32_ps(sa), opacity);
          f = _mm256_mul_ps(_mm256_mul_ps(f, inv255), scale);
          w = _mm256_shuffle_epi8(_mm256_cvttps_epi32(f),
                                  _mm256_setr_epi8(0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13,
                                                   0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13));
        }
        const __m256i colour = Mix(a, b, w, false);
        const __m256i x = _mm256_mullo_epi16(_mm256_sub_epi32(Splat(255), da), sa);
        const __m256i q = _mm256_srli_epi32(_mm256_mulhi_epu16(x, Splat(0x8081u)), 7);
        const __m256i alpha = _mm256_slli_epi32(_mm256_add_epi32(da, q), 24);
        const __m256i blended = Select(Splat(0xFF000000u), alpha, colour);
        // A transparent source keeps d by the formula itself (weight 0, no alpha added). Copy
        // where sa is 255, or d is transparent and sa is not: sa + 254 * (da == 0) > 254.
        const __m256i clear = _mm256_and_si256(_mm256_cmpeq_epi32(da, _mm256_setzero_si256()), Splat(254));
        const __m256i copy = _mm256_cmpgt_epi32(_mm256_add_epi32(sa, clear), Splat(254));
        return Select(copy, b, blended);
      },
      [fade](uint32_t a, uint32_t b) { return TrueBlendPixel(a, b, fade); });
}

void TrueBlend_Avx2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs& args) {
  if (args.fadeMul == 65536)
    TrueBlendRow_Avx2<2>(d, s, n, args);
  else if (args.fadeMul != 0)
    TrueBlendRow_Avx2<1>(d, s, n, args);
  else
    TrueBlendRow_Avx2<0>(d, s, n, args);
}
void Alpha_Avx2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs& args) {
  const uint32_t flags = args.flags;
  Row(
      d, s, n,
      [flags](__m256i a, __m256i b) {
        __m256i m = _mm256_srli_epi32(b, 24);
        const __m256i o = _mm256_srli_epi32(a, 24);
        if (flags & kAlphaSubtract) m = _mm256_sub_epi32(o, m);
        if (flags & kAlphaInvert) m = _mm256_sub_epi32(Splat(255), m);
        if (flags & kAlphaKeepMin) m = Select(_mm256_cmpgt_epi32(o, m), m, o);
        if (flags & kAlphaKeepMax) m = Select(_mm256_cmpgt_epi32(m, o), m, o);
        return _mm256_or_si256(_mm256_and_si256(a, Splat(0x00FFFFFFu)), _mm256_slli_epi32(m, 24));
      },
      [flags](uint32_t a, uint32_t b) { return AlphaPixel(a, b, flags); });
}

// Adjacent pixel pairs of x0:x1 summed, in order. The shuffles work inside 128-bit halves, so
// the sums come out as pairs (0 1 4 5 | 2 3 6 7) and one 64-bit permute puts them in order.
inline __m256i PairSums(__m256i x0, __m256i x1) {
  const __m256 a = _mm256_castsi256_ps(x0), b = _mm256_castsi256_ps(x1);
  const __m256i sums =
      _mm256_add_epi32(_mm256_castps_si256(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0))),
                       _mm256_castps_si256(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1))));
  return _mm256_permute4x64_epi64(sums, _MM_SHUFFLE(3, 1, 2, 0));
}

void HalfSize_Avx2(uint32_t* d, const uint32_t* s0, const uint32_t* s1, int32_t n) {
  const __m256i lane = Splat(kLaneRB);
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i a0 = Load(s0 + 2 * i), a1 = Load(s0 + 2 * i + 8);
    const __m256i b0 = Load(s1 + 2 * i), b1 = Load(s1 + 2 * i + 8);
    const __m256i rb = PairSums(_mm256_add_epi32(_mm256_and_si256(a0, lane), _mm256_and_si256(b0, lane)),
                                _mm256_add_epi32(_mm256_and_si256(a1, lane), _mm256_and_si256(b1, lane)));
    const __m256i ag = PairSums(_mm256_add_epi32(_mm256_srli_epi16(a0, 8), _mm256_srli_epi16(b0, 8)),
                                _mm256_add_epi32(_mm256_srli_epi16(a1, 8), _mm256_srli_epi16(b1, 8)));
    Store(d + i, _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(rb, 2), lane),
                              _mm256_and_si256(_mm256_slli_epi32(ag, 6), Splat(kLaneAG))));
  }
  for (; i < n; ++i) d[i] = Mean4(s0[2 * i], s0[2 * i + 1], s1[2 * i], s1[2 * i + 1]);
}

void Fill_Avx2(uint32_t* d, int32_t n, uint32_t colour, uint32_t mask) {
  const uint32_t c = colour & ~mask;
  const __m256i cv = Splat(c), mv = Splat(mask);
  int32_t i = 0;
  if (mask == 0) {
    for (; i + 16 <= n; i += 16) {
      Store(d + i, cv);
      Store(d + i + 8, cv);
    }
    for (; i + 8 <= n; i += 8) Store(d + i, cv);
    for (; i < n; ++i) d[i] = c;
    return;
  }
  for (; i + 8 <= n; i += 8) Store(d + i, _mm256_or_si256(cv, _mm256_and_si256(Load(d + i), mv)));
  for (; i < n; ++i) d[i] = c | (d[i] & mask);
}

}  // namespace

const BlitKernels kBlit_Avx2 = {
    "avx2",       Add_Avx2,   Sub_Avx2,      HalfBlend_Avx2, Keying_Avx2, Blend_Avx2,
    BlendMmx_Avx2, TrueBlend_Avx2, Alpha_Avx2, HalfSize_Avx2, Fill_Avx2,
};

}  // namespace blivo

// SSE2 row kernels of the hot blits: four pixels per step with unaligned loads and stores, the
// rest of the row through the scalar per-pixel rules, so no byte outside the row is touched.
// Blends use the two-lane layout in 16-bit halves: t = (d << 8) + (s - d) * w, exact mod 2^16.
#include <emmintrin.h>

#include "blit_kernels.h"
#include "pixel_math.h"

namespace blivo {
namespace {

inline __m128i Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline __m128i Splat(uint32_t v) { return _mm_set1_epi32(static_cast<int32_t>(v)); }
inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// Per byte (s * w + d * (256 - w)) >> 8 with w (<= 256) in both 16-bit halves of each pixel.
// Only valid where the exact per-channel sum fits 16 bits, which every caller guarantees.
inline __m128i Mix(__m128i d, __m128i s, __m128i w, bool minusD) {
  const __m128i lane = Splat(kLaneRB);
  const __m128i drb = _mm_and_si128(d, lane), srb = _mm_and_si128(s, lane);
  const __m128i dag = _mm_srli_epi16(d, 8), sag = _mm_srli_epi16(s, 8);
  __m128i trb = _mm_slli_epi16(drb, 8), tag = _mm_slli_epi16(dag, 8);
  if (minusD) {  // weights sum to 255: d * 255 = (d << 8) - d
    trb = _mm_sub_epi16(trb, drb);
    tag = _mm_sub_epi16(tag, dag);
  }
  trb = _mm_add_epi16(trb, _mm_mullo_epi16(_mm_sub_epi16(srb, drb), w));
  tag = _mm_add_epi16(tag, _mm_mullo_epi16(_mm_sub_epi16(sag, dag), w));
  return _mm_or_si128(_mm_srli_epi16(trb, 8), _mm_and_si128(tag, Splat(kLaneAG)));
}

inline __m128i BothHalves(__m128i v) { return _mm_or_si128(v, _mm_slli_epi32(v, 16)); }

template <class Vec, class Px>
inline void Row(uint32_t* d, const uint32_t* s, int32_t n, Vec vec, Px px) {
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) Store(d + i, vec(Load(d + i), Load(s + i)));
  for (; i < n; ++i) d[i] = px(d[i], s[i]);
}

void Add_Sse2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  Row(d, s, n, [](__m128i a, __m128i b) { return _mm_adds_epu8(a, b); }, AddSat);
}
void Sub_Sse2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  Row(d, s, n, [](__m128i a, __m128i b) { return _mm_subs_epu8(a, b); }, SubSat);
}
void HalfBlend_Sse2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  Row(
      d, s, n,
      [](__m128i a, __m128i b) {
        const __m128i m = Splat(0x7F7F7F7Fu);
        return _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(a, 1), m),
                             _mm_and_si128(_mm_srli_epi32(b, 1), m));
      },
      [](uint32_t a, uint32_t b) { return HalfMean(b, a); });
}
void Keying_Sse2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs& args) {
  const uint32_t key = args.key;
  const __m128i k = Splat(key);
  Row(
      d, s, n, [k](__m128i a, __m128i b) { return Select(_mm_cmpeq_epi32(b, k), a, b); },
      [key](uint32_t a, uint32_t b) { return b != key ? b : a; });
}
void Blend_Sse2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  Row(
      d, s, n,
      [](__m128i a, __m128i b) {
        const __m128i alpha = _mm_srli_epi32(b, 24);
        const __m128i mixed = Mix(a, b, BothHalves(alpha), true);
        const __m128i keep = _mm_cmpeq_epi32(alpha, _mm_setzero_si128());
        const __m128i copy = _mm_cmpeq_epi32(alpha, Splat(255));
        return Select(copy, b, Select(keep, a, mixed));
      },
      BlendPixel);
}
void BlendMmx_Sse2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  Row(
      d, s, n,
      [](__m128i a, __m128i b) {
        __m128i alpha = _mm_srli_epi32(b, 24);
        alpha = _mm_sub_epi32(alpha, _mm_cmpeq_epi32(alpha, Splat(255)));  // 255 -> 256
        return Mix(a, b, BothHalves(alpha), false);
      },
      BlendMmxPixel);
}
void TrueBlend_Sse2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs& args) {
  const __m128 opacity = _mm_set1_ps(args.opacity);
  const __m128 inv255 = _mm_set1_ps(0.003921569f);
  const __m128 scale = _mm_set1_ps(256.0f);
  const bool identity = args.fadeMul == 65536;
  const bool mulMode = args.fadeMul != 0 && args.fadeMul < 65536;
  const __m128i mul = Splat(args.fadeMul * 0x00010001u);
  const uint16_t* fade = args.fade;
  Row(
      d, s, n,
      [=](__m128i a, __m128i b) {
        const __m128i sa = _mm_srli_epi32(b, 24), da = _mm_srli_epi32(a, 24);
        // The same three single-precision products as the table, in the same order.
        __m128i w;  // the fade weight of sa, in both 16-bit halves
        if (identity) {
          w = BothHalves(sa);
        } else if (mulMode) {
          w = _mm_mulhi_epu16(BothHalves(sa), mul);
        } else {
          __m128 f = _mm_mul_ps(_mm_cvtepi32_ps(sa), opacity);
          f = _mm_mul_ps(_mm_mul_ps(f, inv255), scale);
          w = BothHalves(_mm_min_epi16(_mm_cvttps_epi32(f), Splat(256)));
        }
        const __m128i colour = _mm_and_si128(Mix(a, b, w, false), Splat(0x00FFFFFFu));
        const __m128i x = _mm_mullo_epi16(_mm_sub_epi32(Splat(255), da), sa);
        const __m128i q = _mm_srli_epi32(_mm_mulhi_epu16(x, Splat(0x8081u)), 7);
        const __m128i blended = _mm_or_si128(colour, _mm_slli_epi32(_mm_add_epi32(da, q), 24));
        // A transparent source keeps d by the formula itself (weight 0, no alpha added), but it
        // must not be copied onto a transparent destination.
        const __m128i zero = _mm_setzero_si128();
        const __m128i copy = _mm_andnot_si128(
            _mm_cmpeq_epi32(sa, zero),
            _mm_or_si128(_mm_cmpeq_epi32(sa, Splat(255)), _mm_cmpeq_epi32(da, zero)));
        return Select(copy, b, blended);
      },
      [fade](uint32_t a, uint32_t b) { return TrueBlendPixel(a, b, fade); });
}
void Alpha_Sse2(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs& args) {
  const uint32_t flags = args.flags;
  Row(
      d, s, n,
      [flags](__m128i a, __m128i b) {
        __m128i m = _mm_srli_epi32(b, 24);
        const __m128i o = _mm_srli_epi32(a, 24);
        if (flags & kAlphaSubtract) m = _mm_sub_epi32(o, m);
        if (flags & kAlphaInvert) m = _mm_sub_epi32(Splat(255), m);
        if (flags & kAlphaKeepMin) m = Select(_mm_cmpgt_epi32(o, m), m, o);
        if (flags & kAlphaKeepMax) m = Select(_mm_cmpgt_epi32(m, o), m, o);
        return _mm_or_si128(_mm_and_si128(a, Splat(0x00FFFFFFu)), _mm_slli_epi32(m, 24));
      },
      [flags](uint32_t a, uint32_t b) { return AlphaPixel(a, b, flags); });
}

// Adjacent pixel pairs of x0:x1 summed: [x0[0]+x0[1], x0[2]+x0[3], x1[0]+x1[1], x1[2]+x1[3]].
inline __m128i PairSums(__m128i x0, __m128i x1) {
  const __m128 a = _mm_castsi128_ps(x0), b = _mm_castsi128_ps(x1);
  return _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0))),
                       _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1))));
}

void HalfSize_Sse2(uint32_t* d, const uint32_t* s0, const uint32_t* s1, int32_t n) {
  const __m128i lane = Splat(kLaneRB);
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i a0 = Load(s0 + 2 * i), a1 = Load(s0 + 2 * i + 4);
    const __m128i b0 = Load(s1 + 2 * i), b1 = Load(s1 + 2 * i + 4);
    const __m128i rb = PairSums(_mm_add_epi32(_mm_and_si128(a0, lane), _mm_and_si128(b0, lane)),
                                _mm_add_epi32(_mm_and_si128(a1, lane), _mm_and_si128(b1, lane)));
    const __m128i ag = PairSums(_mm_add_epi32(_mm_srli_epi16(a0, 8), _mm_srli_epi16(b0, 8)),
                                _mm_add_epi32(_mm_srli_epi16(a1, 8), _mm_srli_epi16(b1, 8)));
    Store(d + i, _mm_or_si128(_mm_and_si128(_mm_srli_epi32(rb, 2), lane),
                              _mm_and_si128(_mm_slli_epi32(ag, 6), Splat(kLaneAG))));
  }
  for (; i < n; ++i) d[i] = Mean4(s0[2 * i], s0[2 * i + 1], s1[2 * i], s1[2 * i + 1]);
}

void Fill_Sse2(uint32_t* d, int32_t n, uint32_t colour, uint32_t mask) {
  const uint32_t c = colour & ~mask;
  const __m128i cv = Splat(c), mv = Splat(mask);
  int32_t i = 0;
  if (mask == 0) {
    for (; i + 8 <= n; i += 8) {
      Store(d + i, cv);
      Store(d + i + 4, cv);
    }
    for (; i + 4 <= n; i += 4) Store(d + i, cv);
    for (; i < n; ++i) d[i] = c;
    return;
  }
  for (; i + 4 <= n; i += 4) Store(d + i, _mm_or_si128(cv, _mm_and_si128(Load(d + i), mv)));
  for (; i < n; ++i) d[i] = c | (d[i] & mask);
}

}  // namespace

const BlitKernels kBlit_Sse2 = {
    "sse2",       Add_Sse2,   Sub_Sse2,      HalfBlend_Sse2, Keying_Sse2, Blend_Sse2,
    BlendMmx_Sse2, TrueBlend_Sse2, Alpha_Sse2, HalfSize_Sse2, Fill_Sse2,
};

}  // namespace blivo

// SSE2 row kernels of the raw families: four pixels per step, the reference for the tail and
// for sources that partly overlap the destination.
#include <emmintrin.h>

#include "row_kernels.h"

namespace blivo::rowk {

void Copy_Sse2(void* dst, const void* src, int64_t n) {
  if (PartlyOverlap(dst, src, n * 4)) return Copy_Ref(dst, src, n);
  auto* d = static_cast<uint8_t*>(dst);
  const auto* s = static_cast<const uint8_t*>(src);
  int64_t i = 0;
  for (; i + 4 <= n; i += 4)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * i)));
  Copy_Ref(d + 4 * i, s + 4 * i, n - i);
}

void Combine_Sse2(void* dst, const void* a, const void* b, int64_t n, const Combine& op) {
  if (PartlyOverlap(dst, a, n * 4) || PartlyOverlap(dst, b, n * 4))
    return Combine_Ref(dst, a, b, n, op);
  auto* d = static_cast<uint8_t*>(dst);
  const auto* pa = static_cast<const uint8_t*>(a);
  const auto* pb = static_cast<const uint8_t*>(b);
  const __m128i darkA = _mm_set1_epi32(static_cast<int32_t>(op.darkA));
  const __m128i darkB = _mm_set1_epi32(static_cast<int32_t>(op.darkB));
  const __m128i flipB = _mm_set1_epi32(static_cast<int32_t>(op.flipB));
  int64_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i x =
        _mm_subs_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pa + 4 * i)), darkA);
    const __m128i y = _mm_subs_epu8(
        _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + 4 * i)), flipB), darkB);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i),
                     op.subtract ? _mm_subs_epu8(x, y) : _mm_adds_epu8(x, y));
  }
  Combine_Ref(d + 4 * i, pa + 4 * i, pb + 4 * i, n - i, op);
}

const RowKernels kRows_Sse2{"sse2", Copy_Sse2, Combine_Sse2};

}  // namespace blivo::rowk

// AVX2 row kernels of the raw families: eight pixels per step, the reference for the tail and
// for sources that partly overlap the destination.
#include <immintrin.h>

#include "row_kernels.h"

namespace blivo::rowk {

void Copy_Avx2(void* dst, const void* src, int64_t n) {
  if (PartlyOverlap(dst, src, n * 4)) return Copy_Ref(dst, src, n);
  auto* d = static_cast<uint8_t*>(dst);
  const auto* s = static_cast<const uint8_t*>(src);
  int64_t i = 0;
  for (; i + 8 <= n; i += 8)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * i),
                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * i)));
  Copy_Ref(d + 4 * i, s + 4 * i, n - i);
}

void Combine_Avx2(void* dst, const void* a, const void* b, int64_t n, const Combine& op) {
  if (PartlyOverlap(dst, a, n * 4) || PartlyOverlap(dst, b, n * 4))
    return Combine_Ref(dst, a, b, n, op);
  auto* d = static_cast<uint8_t*>(dst);
  const auto* pa = static_cast<const uint8_t*>(a);
  const auto* pb = static_cast<const uint8_t*>(b);
  const __m256i darkA = _mm256_set1_epi32(static_cast<int32_t>(op.darkA));
  const __m256i darkB = _mm256_set1_epi32(static_cast<int32_t>(op.darkB));
  const __m256i flipB = _mm256_set1_epi32(static_cast<int32_t>(op.flipB));
  int64_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i x = _mm256_subs_epu8(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pa + 4 * i)), darkA);
    const __m256i y = _mm256_subs_epu8(
        _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(pb + 4 * i)), flipB),
        darkB);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * i),
                        op.subtract ? _mm256_subs_epu8(x, y) : _mm256_adds_epu8(x, y));
  }
  Combine_Ref(d + 4 * i, pa + 4 * i, pb + 4 * i, n - i, op);
}

const RowKernels kRows_Avx2{"avx2", Copy_Avx2, Combine_Avx2};

}  // namespace blivo::rowk

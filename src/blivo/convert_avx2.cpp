// Vector row kernel of the 24-to-32-bit conversion: sixteen pixels (48 bytes) a step, the
// tail by the reference loop, so no byte past the row is read.
#include <immintrin.h>

#include "convert_kernels.h"

namespace blivo {

void To32From24_Avx2(uint32_t* out, const uint8_t* in, int32_t n) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
  int32_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const uint8_t* p = in + 3 * i;
    const __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i a2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    auto* o = reinterpret_cast<__m128i*>(out + i);
    _mm_storeu_si128(o, _mm_shuffle_epi8(a0, spread));
    _mm_storeu_si128(o + 1, _mm_shuffle_epi8(_mm_alignr_epi8(a1, a0, 12), spread));
    _mm_storeu_si128(o + 2, _mm_shuffle_epi8(_mm_alignr_epi8(a2, a1, 8), spread));
    _mm_storeu_si128(o + 3, _mm_shuffle_epi8(_mm_srli_si128(a2, 4), spread));
  }
  To32From24_Ref(out + i, in + 3 * i, n - i);
}

const ConvertKernels kConvert_Avx2{"avx2", To32From24_Avx2};

}  // namespace blivo

// AVX2 nearest-pixel scaled copy at full opacity: 2x enlargement by pixel doubling in 256-bit
// stores, equal widths by row copy, other ratios by gathering through a column table; repeated
// source rows are copied from the previous destination row. The caller guarantees no overlap.
#include <immintrin.h>

#include <cstring>

#include "scale_kernels.h"

namespace blivo {

void ExpandCopy_Avx2(const Image& dst, const Image& src, const ScaledRect& r) {
  alignas(32) int32_t cols[8192 + 8];
  const bool doubling = r.dw == 2 * r.sw;
  const bool equal = r.dw == r.sw;
  if (!doubling && !equal) {
    int64_t colAcc = 0;
    int32_t col = 0;
    for (int32_t i = 0; i < r.dw; ++i) {
      while (colAcc >= r.dw) {
        colAcc -= r.dw;
        ++col;
      }
      cols[i] = col;
      colAcc += r.sw;
    }
  }
  const size_t rowBytes = static_cast<size_t>(r.dw) * 4;
  int64_t rowAcc = 0;
  int32_t srcRow = r.sy, lastRow = -1;
  for (int32_t j = 0; j < r.dh; ++j) {
    while (rowAcc >= r.dh) {
      rowAcc -= r.dh;
      ++srcRow;
    }
    rowAcc += r.sh;
    uint32_t* d = RowOf(dst, r.dy + j) + r.dx;
    if (srcRow == lastRow) {
      std::memcpy(d, RowOf(dst, r.dy + j - 1) + r.dx, rowBytes);
      continue;
    }
    lastRow = srcRow;
    const uint32_t* s = RowOf(src, srcRow) + r.sx;
    if (equal) {
      std::memcpy(d, s, rowBytes);
    } else if (doubling) {
      int32_t i = 0;
      for (; i + 8 <= r.sw; i += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 4));
        const __m256i lo = _mm256_set_m128i(_mm_unpackhi_epi32(a, a), _mm_unpacklo_epi32(a, a));
        const __m256i hi = _mm256_set_m128i(_mm_unpackhi_epi32(b, b), _mm_unpacklo_epi32(b, b));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 2 * i), lo);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 2 * i + 8), hi);
      }
      for (; i < r.sw; ++i) d[2 * i] = d[2 * i + 1] = s[i];
    } else {
      const auto* base = reinterpret_cast<const int*>(s);
      int32_t i = 0;
      for (; i + 8 <= r.dw; i += 8) {
        const __m256i idx = _mm256_load_si256(reinterpret_cast<const __m256i*>(cols + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                            _mm256_i32gather_epi32(base, idx, 4));
      }
      for (; i < r.dw; ++i) d[i] = s[cols[i]];
    }
  }
}

const ScaleKernels kScale_Avx2{"avx2", ExpandCopy_Avx2, UScale_Avx2, VScale_Avx2,
                               UBlur_Avx2, VBlur_Avx2};

}  // namespace blivo

// SSE2 nearest-pixel scaled copy at full opacity: 2x enlargement by pixel doubling, equal
// widths by row copy, other ratios from a column table; a destination row whose source row is
// the previous one's is copied from that row. The caller guarantees no overlap.
#include <emmintrin.h>

#include <cstring>

#include "scale_kernels.h"

namespace blivo {

void ExpandCopy_Sse2(const Image& dst, const Image& src, const ScaledRect& r) {
  // Column table: the same exact stepping as the reference, once per call.
  uint16_t cols[8192];
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
      cols[i] = static_cast<uint16_t>(col);
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
      for (; i + 4 <= r.sw; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 2 * i), _mm_unpacklo_epi32(v, v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 2 * i + 4), _mm_unpackhi_epi32(v, v));
      }
      for (; i < r.sw; ++i) d[2 * i] = d[2 * i + 1] = s[i];
    } else {
      for (int32_t i = 0; i < r.dw; ++i) d[i] = s[cols[i]];
    }
  }
}

const ScaleKernels kScale_Sse2{"sse2", ExpandCopy_Sse2, UScale_Sse2, VScale_Sse2,
                               UBlur_Sse2, VBlur_Sse2};

}  // namespace blivo

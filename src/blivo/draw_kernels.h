// Row kernels shared by the drawing primitives: solid and masked spans, four-corner gradient
// spans and single-precision gradient spans. Each has a scalar reference (the truth) and SSE2 and
// AVX2 versions that give the same bytes; Pick* chooses from blivo::HostIsa().
#pragma once

#include <cstdint>

namespace blivo::draw {

// row[0..n) = colour (mask 0) or (colour & ~mask) | (row & mask).
using FillSpanFn = void (*)(uint32_t* row, int32_t n, uint32_t colour, uint32_t mask);

// Four-corner gradient: pixel i of the span sits at column i0 + i of a rectangle whose last
// column is denom (0 for a one-column rectangle); k = trunc(float(column) / float(denom) * 256),
// colour = left toward right by k (two lanes), then the masked write. i0 + n - 1 <= INT32_MAX.
using BoxSpanFn = void (*)(uint32_t* row, int32_t n, int32_t i0, int32_t denom, uint32_t left,
                           uint32_t right, uint32_t mask);

// Single-precision gradient: pixel i has numerator num0 + i and fx = float(num) / denom (denom
// != 0); each byte c = trunc(left[c] * (1 - fx) + right[c] * fx). Channels in byte order (B, G,
// R, A). num0 + n - 1 <= INT32_MAX.
using GradSpanFn = void (*)(uint32_t* row, int32_t n, int32_t num0, float denom,
                            const float* left, const float* right);

struct Kernels {
  FillSpanFn fill;
  BoxSpanFn box;
  GradSpanFn grad;
};

void FillSpan_Ref(uint32_t* row, int32_t n, uint32_t colour, uint32_t mask);
void BoxSpan_Ref(uint32_t* row, int32_t n, int32_t i0, int32_t denom, uint32_t left,
                 uint32_t right, uint32_t mask);
void GradSpan_Ref(uint32_t* row, int32_t n, int32_t num0, float denom, const float* left,
                  const float* right);

void FillSpan_Sse2(uint32_t* row, int32_t n, uint32_t colour, uint32_t mask);
void BoxSpan_Sse2(uint32_t* row, int32_t n, int32_t i0, int32_t denom, uint32_t left,
                  uint32_t right, uint32_t mask);
void GradSpan_Sse2(uint32_t* row, int32_t n, int32_t num0, float denom, const float* left,
                   const float* right);

void FillSpan_Avx2(uint32_t* row, int32_t n, uint32_t colour, uint32_t mask);
void BoxSpan_Avx2(uint32_t* row, int32_t n, int32_t i0, int32_t denom, uint32_t left,
                  uint32_t right, uint32_t mask);
void GradSpan_Avx2(uint32_t* row, int32_t n, int32_t num0, float denom, const float* left,
                   const float* right);

inline constexpr Kernels kRefKernels{FillSpan_Ref, BoxSpan_Ref, GradSpan_Ref};
inline constexpr Kernels kSse2Kernels{FillSpan_Sse2, BoxSpan_Sse2, GradSpan_Sse2};
inline constexpr Kernels kAvx2Kernels{FillSpan_Avx2, BoxSpan_Avx2, GradSpan_Avx2};

// The best set this machine allows after BLIVO_DISABLE.
const Kernels& HostKernels();

// Masked write of one pixel.
inline uint32_t Masked(uint32_t p, uint32_t colour, uint32_t mask) {
  return (colour & ~mask) | (p & mask);
}

}  // namespace blivo::draw

// Row kernels shared by the drawing primitives: solid and masked spans, four-corner gradient
// spans and single-precision gradient spans. Each has a scalar reference (the truth) and SSE2 and
// AVX2 versions that give the same bytes, gathered in one table per instruction set.
#pragma once

#include <cstdint>

namespace blivo::draw {

// row[0..n) = colour (mask 0) or (colour & ~mask) | (row & mask).
using FillSpanFn = void (*)(uint32_t* row, int32_t n, uint32_t colour, uint32_t mask);

// Four-corner gradient: pixel i = left toward right by weight k[i] (0..256, two lanes), then the
// masked write. The weights depend only on the column, so callers compute them once per box.
using BoxSpanFn = void (*)(uint32_t* row, int32_t n, const uint16_t* k, uint32_t left,
                           uint32_t right, uint32_t mask);

// Single-precision gradient: each byte c of pixel i = trunc(left[c] * gx[i] + right[c] * fx[i]),
// channels in byte order (B, G, R, A); fx and gx = 1 - fx likewise computed once per box.
using GradSpanFn = void (*)(uint32_t* row, int32_t n, const float* fx, const float* gx,
                            const float* left, const float* right);

// Column weights of the four-corner box: k = trunc(float(i0 + i) / float(denom) * 256), at most
// 256, and 0 for a one-column box (denom 0).
void BoxWeights(uint16_t* k, int32_t n, int32_t i0, int32_t denom);
// Column fractions of the gradient box: fx = float(num0 + i) / denom, gx = 1 - fx.
void GradFractions(float* fx, float* gx, int32_t n, int64_t num0, float denom);

// Columns per batch of precomputed weights (kept on the stack).
inline constexpr int32_t kBatch = 1024;

struct DrawKernels {
  const char* name;
  FillSpanFn fill;
  BoxSpanFn box;
  GradSpanFn grad;
};

void FillSpan_Ref(uint32_t* row, int32_t n, uint32_t colour, uint32_t mask);
void BoxSpan_Ref(uint32_t* row, int32_t n, const uint16_t* k, uint32_t left, uint32_t right,
                 uint32_t mask);
void GradSpan_Ref(uint32_t* row, int32_t n, const float* fx, const float* gx,
                  const float* left, const float* right);

void FillSpan_Sse2(uint32_t* row, int32_t n, uint32_t colour, uint32_t mask);
void BoxSpan_Sse2(uint32_t* row, int32_t n, const uint16_t* k, uint32_t left, uint32_t right,
                  uint32_t mask);
void GradSpan_Sse2(uint32_t* row, int32_t n, const float* fx, const float* gx,
                   const float* left, const float* right);

void FillSpan_Avx2(uint32_t* row, int32_t n, uint32_t colour, uint32_t mask);
void BoxSpan_Avx2(uint32_t* row, int32_t n, const uint16_t* k, uint32_t left, uint32_t right,
                  uint32_t mask);
void GradSpan_Avx2(uint32_t* row, int32_t n, const float* fx, const float* gx,
                   const float* left, const float* right);

extern const DrawKernels kDraw_Ref, kDraw_Sse2, kDraw_Avx2;

// The table in use (kernels.cpp): the best this machine allows after BLIVO_DISABLE.
const DrawKernels& ActiveDrawKernels();

namespace {

// Masked write of one pixel.
inline uint32_t Masked(uint32_t p, uint32_t colour, uint32_t mask) {
  return (colour & ~mask) | (p & mask);
}

}  // namespace

}  // namespace blivo::draw

// Row kernels of the hot blits: a scalar reference (the truth) and SSE2 / AVX2 tables, one of
// which kernels.cpp makes active once from the host's instruction sets.
// Kernels see one clipped row at a time; the exports do the clipping (bbi.h).
#pragma once

#include <cstdint>

namespace blivo {

// Per-call constants a row kernel may need.
struct RowArgs {
  uint32_t key = 0;       // keying: the source's pixel (0,0)
  float opacity = 1.0f;   // true blend: already clamped to 0..1
  const uint16_t* fade = nullptr;  // true blend: FadeWeight(i, opacity) for i = 0..255
  uint32_t fadeMul = 0;            // true blend: see FadeMultiplier
  uint32_t flags = 0;     // alpha: kAlpha* bits
};

inline constexpr uint32_t kAlphaKeepMax = 1u, kAlphaKeepMin = 2u, kAlphaInvert = 4u,
                          kAlphaSubtract = 8u;

// d[0..n) combined with s[0..n), n > 0. d and s may be the same row (d == s) or rows of one
// block with d < s; the caller gives the rows to the reference when d lies inside s's span.
using RowFn = void (*)(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs& a);
// n destination pixels from 2n pixels of each of two source rows.
using HalfFn = void (*)(uint32_t* d, const uint32_t* s0, const uint32_t* s1, int32_t n);
// d = (colour & ~mask) | (d & mask) over n pixels (mask 0 is a plain fill).
using FillFn = void (*)(uint32_t* d, int32_t n, uint32_t colour, uint32_t mask);

struct BlitKernels {
  const char* name;
  RowFn add, sub, halfBlend, keying, blend, blendMmx, trueBlend, alpha;
  HalfFn halfSize;
  FillFn fill;
};

extern const BlitKernels kBlit_Ref, kBlit_Sse2, kBlit_Avx2;

// The table in use (kernels.cpp). Tests and benchmarks may swap it; ReloadIsa chooses again.
const BlitKernels& ActiveBlitKernels();
void UseBlitKernels(const BlitKernels& kernels);

namespace {

// True when writing d[0..n) forwards would overwrite a part of s[0..n) not yet read, which only
// the scalar reference handles pixel by pixel.
inline bool ForwardHazard(const void* d, const void* s, int32_t n) {
  const auto di = reinterpret_cast<uintptr_t>(d), si = reinterpret_cast<uintptr_t>(s);
  return di > si && di - si < static_cast<uintptr_t>(n) * 4u;
}

}  // namespace

// A multiplier m with fade[i] == (i * m) >> 16 for every i in 0..254 (alpha 255 is always a
// copy), so vector kernels can weigh by one multiply instead of the single-precision chain:
// 65536 when the table is the identity (opacity 1), 0 when no 16-bit multiplier reproduces it.
uint32_t FadeMultiplier(const uint16_t* fade);

// Scalar per-pixel rules shared by the reference rows and the vector kernels' heads and tails.
uint32_t BlendPixel(uint32_t d, uint32_t s);
uint32_t BlendMmxPixel(uint32_t d, uint32_t s);
uint32_t TrueBlendPixel(uint32_t d, uint32_t s, const uint16_t* fade);
uint32_t AlphaPixel(uint32_t d, uint32_t s, uint32_t flags);

}  // namespace blivo

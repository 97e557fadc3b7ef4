// The software device's span records, shared by its span kernels (plain C++, SSE2 in
// CRgbDevice.cpp, AVX2 in CRgbDevice_avx2.cpp). Plain data only: nothing here is compiled
// with one instruction set and called from code built for another.
#pragma once

#include <cstdint>

#include "present/CRgbDevice.h"
#include "present/RgbPixel.h"

namespace present::rgbspan {

// Attributes: 0..3 diffuse B, G, R, A (0..255), 4..5 stage-0 texel u, v, 6..7 stage-1 u, v.
constexpr int kAttrs = 8;

// What a span needs: per attribute its value at the span's first pixel and its step per pixel.
struct Span {
  uint32_t* dst = nullptr;
  int32_t count = 0;
  float start[kAttrs] = {};
  float step[kAttrs] = {};
};

struct Pipeline {
  const RenderState* state = nullptr;
  const CRgbDevice::TexelView* tex[2] = {nullptr, nullptr};
  rgb::Px factor;
  bool flatColor = false;  // corners of one colour: the diffuse is the same everywhere
  CRgbDevice::SpanPath path = CRgbDevice::SpanPath::Reference;
};

// The blend pairs the sprite spans are specialised for.
enum class FastBlend { None, Alpha, AlphaAdd };

// A sprite span along one texture row; alphaOp is stage 0's alpha operation.
using SpanPointFn = void (*)(const Pipeline&, const Span&, const uint32_t* row, ColorOp alphaOp);

// The AVX2 kernel for a colour operation and blend, or null when there is none; call only when
// the processor has AVX2.
SpanPointFn PickSpanAvx2(FastBlend blend, ColorOp op);

}  // namespace present::rgbspan

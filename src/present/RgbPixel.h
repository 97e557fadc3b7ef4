// The software device's per-pixel arithmetic: stage operations, texture taps and blending on
// 8-bit channels. Shared by the span loops; the reference for every other implementation.
#pragma once

#include <algorithm>
#include <cstdint>

#include "present/CIMDevice.h"

namespace present::rgb {

// round(x / 255) for x >= 0 (x / 255 is never exactly half way, 255 being odd).
inline int32_t Div255(int32_t x) { return (x + 127) / 255; }
inline int32_t Mul(int32_t a, int32_t b) { return Div255(a * b); }
inline int32_t Clamp255(int32_t v) { return std::clamp(v, 0, 255); }

// Channels in B, G, R, A order, the byte order of 0xAARRGGBB in memory.
struct Px {
  int32_t c[4] = {0, 0, 0, 0};
};

inline Px Unpack(uint32_t argb) {
  Px p;
  p.c[0] = static_cast<int32_t>(argb & 0xFFu);
  p.c[1] = static_cast<int32_t>((argb >> 8) & 0xFFu);
  p.c[2] = static_cast<int32_t>((argb >> 16) & 0xFFu);
  p.c[3] = static_cast<int32_t>(argb >> 24);
  return p;
}

inline uint32_t Pack(const Px& p) {
  return static_cast<uint32_t>(p.c[0]) | static_cast<uint32_t>(p.c[1]) << 8 |
         static_cast<uint32_t>(p.c[2]) << 16 | static_cast<uint32_t>(p.c[3]) << 24;
}

// One stage operation on one channel. `blendAlpha` is the alpha that the two blending
// operations weigh by (texture alpha or factor alpha).
inline int32_t Combine(ColorOp op, int32_t a1, int32_t a2, int32_t blendAlpha) {
  switch (op) {
    case ColorOp::Disable:
    case ColorOp::SelectArg1: return a1;
    case ColorOp::SelectArg2: return a2;
    case ColorOp::Modulate: return Mul(a1, a2);
    case ColorOp::Modulate2x: return std::min(255, Div255(2 * a1 * a2));
    case ColorOp::Modulate4x: return std::min(255, Div255(4 * a1 * a2));
    case ColorOp::Add: return std::min(255, a1 + a2);
    case ColorOp::Subtract: return std::max(0, a1 - a2);
    case ColorOp::AddSigned: return Clamp255(a1 + a2 - 128);
    case ColorOp::BlendTextureAlpha:
    case ColorOp::BlendFactorAlpha: return Div255(a1 * blendAlpha + a2 * (255 - blendAlpha));
  }
  return a1;
}

inline const Px& Arg(StageArg arg, const Px& texel, const Px& diffuse, const Px& current,
                     const Px& factor) {
  switch (arg) {
    case StageArg::Texture: return texel;
    case StageArg::Diffuse: return diffuse;
    case StageArg::Current: return current;
    case StageArg::Factor: return factor;
  }
  return texel;
}

// One texture stage: `current` is what the previous stage made (the diffuse colour for stage 0).
inline Px RunStage(const StageState& s, const Px& texel, const Px& diffuse, const Px& current,
                   const Px& factor) {
  if (s.colorOp == ColorOp::Disable) return current;
  const Px& c1 = Arg(s.colorArg1, texel, diffuse, current, factor);
  const Px& c2 = Arg(s.colorArg2, texel, diffuse, current, factor);
  const int32_t colorBlendAlpha = s.colorOp == ColorOp::BlendFactorAlpha ? factor.c[3] : texel.c[3];
  Px out;
  for (int i = 0; i < 3; ++i) out.c[i] = Combine(s.colorOp, c1.c[i], c2.c[i], colorBlendAlpha);
  const Px& a1 = Arg(s.alphaArg1, texel, diffuse, current, factor);
  const Px& a2 = Arg(s.alphaArg2, texel, diffuse, current, factor);
  const int32_t alphaBlendAlpha = s.alphaOp == ColorOp::BlendFactorAlpha ? factor.c[3] : texel.c[3];
  out.c[3] = s.alphaOp == ColorOp::Disable
                 ? current.c[3]
                 : Combine(s.alphaOp, a1.c[3], a2.c[3], alphaBlendAlpha);
  return out;
}

inline int32_t Factor(BlendFactor f, const Px& src, const Px& dst, int channel) {
  switch (f) {
    case BlendFactor::Zero: return 0;
    case BlendFactor::One: return 255;
    case BlendFactor::SrcAlpha: return src.c[3];
    case BlendFactor::InvSrcAlpha: return 255 - src.c[3];
    case BlendFactor::SrcColor: return src.c[channel];
    case BlendFactor::InvSrcColor: return 255 - src.c[channel];
    case BlendFactor::DestColor: return dst.c[channel];
    case BlendFactor::InvDestColor: return 255 - dst.c[channel];
  }
  return 0;
}

// The frame-buffer blend on all four channels (alpha by the same factors).
inline uint32_t Blend(BlendFactor srcF, BlendFactor dstF, const Px& src, uint32_t dstArgb) {
  const Px dst = Unpack(dstArgb);
  Px out;
  for (int i = 0; i < 4; ++i)
    out.c[i] = std::min(255, Div255(src.c[i] * Factor(srcF, src, dst, i) +
                                    dst.c[i] * Factor(dstF, src, dst, i)));
  return Pack(out);
}

}  // namespace present::rgb

// LayerBlend's internals shared by the reference and the AVX2 file.
#pragma once

#include <cstdint>

#include "image/LayerBlend.h"

namespace image::layerblend {

struct Prepared {
  uint32_t opacity = 255;
  bool srcAlpha = false;
  bool add = false;
  bool saturate = false;
  bool levels = false;
  int32_t satL = 1024;
  int32_t satK = 0;
  uint32_t srcMask = 0xFFFFFFFFu;
  uint32_t base = 0;
  uint32_t dstMask = 0;
  uint8_t lut[3][256] = {};
};

// x / 255 rounded, exact for x in 0 .. 255 * 255 + 255.
inline uint32_t Div255(uint32_t x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

Prepared Prepare(const LayerBlendParams& p);
uint32_t BlendPixel(uint32_t d, uint32_t s, const Prepared& q);
void BlendRowsRef(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                  int32_t w, int32_t h, const Prepared& q);
// Needs AVX2.
void BlendRowsAvx2(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                   int32_t w, int32_t h, const Prepared& q);

}  // namespace image::layerblend

// LayerBlend's internals shared by the reference and the AVX2 file.
#pragma once

#include <cstdint>

#include "image/LayerBlend.h"

namespace image::layerblend {

struct Prepared {
  float opacity = 1.0f;     // clamped to 0..1
  uint32_t k = 256;         // trunc(opacity * 256)
  bool srcAlpha = false;
  bool add = false;
  bool saturate = false;
  int32_t level = 1024;     // trunc(saturation * 1024)
  int32_t greyK = 0;        // (1024 - level) / 3
  bool levels = false;
  uint32_t srcMask = 0xFFFFFFFFu;
  uint32_t base = 0;
  uint32_t dstMask = 0;
  uint32_t fade[256] = {};  // the weight of each source alpha
  bool fadeIsAlpha = false; // fade[a] is a, and 256 for 255 (full opacity)
  int32_t lut[3][256] = {}; // the levels step per channel (blue, green, red)
};

Prepared Prepare(const LayerBlendParams& p);
uint32_t BlendPixel(uint32_t d, uint32_t s, const Prepared& q);
void BlendRowsRef(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                  int32_t w, int32_t h, const Prepared& q);
// Needs AVX2.
void BlendRowsAvx2(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                   int32_t w, int32_t h, const Prepared& q);

}  // namespace image::layerblend

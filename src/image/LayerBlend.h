// LayerBlend: the image function library's layer composition, the rule by which a layer image
// is laid over a target (opacity, alpha, additive mode, colour intensity, colour bounds and the
// bit masks). A plain per-pixel reference and a fast path (AVX2 when the processor has it,
// else the reference) that must agree with it byte for byte. Self-contained.
#pragma once

#include <cstdint>

namespace image {

// The nine composition settings of one layer.
struct LayerBlendParams {
  float Blend = 1.0f;            // opacity 0..1 (clamped)
  bool ApplySrcAlpha = false;    // multiply the opacity by the (masked) source alpha
  bool ApplySrcAdd = false;      // add the weighted source instead of mixing towards it
  float Vivit = 1.0f;            // saturation: 0 grey, 1 unchanged, > 1 stronger (0..256)
  uint32_t BlackBorder = 0;      // colour that source black maps to
  uint32_t WhiteBorder = 0xFFFFFF;  // colour that source white maps to
  uint32_t DstMask = 0;          // bits of the target that stay as they were
  uint32_t SrcMask = 0xFFFFFFFFu;   // bits taken from the layer image
  uint32_t SrcBaseColor = 0;     // fills the bits outside SrcMask
};

// Per pixel, with s the layer pixel and d the target pixel:
//   s' = (s & SrcMask) | (SrcBaseColor & ~SrcMask)
//   RGB of s' go through the saturation rule of the library's filtered conversion (Vivit), then
//     each channel c becomes Black + c * (White - Black) / 255 (rounded), per channel;
//   a  = round(Blend * 255), times s'.A / 255 when ApplySrcAlpha (rounded);
//   RGB: mix  d + (s' - d) * a / 255, or add  min(255, d + s' * a / 255);
//   A:   d.A + (255 - d.A) * a / 255 (the target's coverage grows, "over");
//   out = (result & ~DstMask) | (d & DstMask).
// Strides are in bytes. Nothing outside the w x h block is touched.
void LayerBlendRef(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                   int32_t w, int32_t h, const LayerBlendParams& p);
// Same result as the reference; picks the fastest path for these settings.
void LayerBlendRect(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                    int32_t w, int32_t h, const LayerBlendParams& p);
// "ref" or "avx2": what LayerBlendRect uses on this machine (TUMBLEROO_LAYER_REF=1 forces ref).
const char* LayerBlendPath();

}  // namespace image

// LayerBlend: the image function library's layer composition: the per-pixel rule of the
// library's general copy with colour processing (BBIExpandChooseBlt at equal sizes, without
// inverted bits, alpha sums or ignoring the target), applied to every layer. The library hands
// some plain settings over to simpler copies that drop the opacity or the alpha weight; a layer
// needs the full rule every time. A plain per-pixel reference and a fast path (AVX2 when the
// processor has it) that must agree with it byte for byte. Self-contained.
#pragma once

#include <cstdint>
#include <memory>

namespace image {

// The nine composition settings of one layer.
struct LayerBlendParams {
  float Blend = 1.0f;            // opacity 0..1 (clamped)
  bool ApplySrcAlpha = false;    // multiply the opacity by the (masked) source alpha
  bool ApplySrcAdd = false;      // add the weighted source instead of mixing towards it
  float Vivit = 1.0f;            // saturation: 0 grey, 1 unchanged, above 1 stronger (0..256)
  uint32_t BlackBorder = 0;      // per channel: at or below it the channel becomes 0
  uint32_t WhiteBorder = 0xFFFFFF;  // per channel: at or above it the channel becomes 255
  uint32_t DstMask = 0;          // bits of the target that stay as they were
  uint32_t SrcMask = 0xFFFFFFFFu;   // bits taken from the layer image
  uint32_t SrcBaseColor = 0;     // fills the bits outside SrcMask
};

// Per pixel, with s the layer pixel and d the target pixel:
//   p = (s & SrcMask) | (SrcBaseColor & ~SrcMask)
//   saturation (Vivit, the library's filtered-conversion rule) and levels (each colour channel
//     c: 0 at or below Black, 255 at or above White, (c - Black) * 255 / (White - Black) between)
//   w = trunc(p.A * Blend / 255 * 256) (at most 256) with ApplySrcAlpha, else trunc(Blend * 256)
//   every byte (p * w + d * (256 - w)) >> 8; with ApplySrcAdd the colour bytes are instead
//     min(255, d + (p * w >> 8))
//   out = (d & DstMask) | (result & ~DstMask)
// Strides are in bytes. Nothing outside the w x h block is touched.
void LayerBlendRef(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                   int32_t w, int32_t h, const LayerBlendParams& p);
// Same result as the reference; picks the fastest path for these settings.
void LayerBlendRect(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                    int32_t w, int32_t h, const LayerBlendParams& p);
namespace layerblend {
struct Prepared;
}

// The settings turned into their tables once, for composing many rectangles.
class LayerBlendPlan {
 public:
  explicit LayerBlendPlan(const LayerBlendParams& p);
  ~LayerBlendPlan();
  LayerBlendPlan(LayerBlendPlan&&) noexcept;
  LayerBlendPlan& operator=(LayerBlendPlan&&) noexcept;
  // As LayerBlendRect.
  void Apply(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride, int32_t w,
             int32_t h) const;

 private:
  std::unique_ptr<layerblend::Prepared> m_prepared;
};

// "ref" or "avx2": what LayerBlendRect uses on this machine (TUMBLEROO_LAYER_REF=1 forces ref).
const char* LayerBlendPath();

}  // namespace image

// LayerBlend: the reference composition and the choice of the fast path.
#include "image/LayerBlend.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "image/LayerBlend_kernels.h"

namespace image {

namespace layerblend {

Prepared Prepare(const LayerBlendParams& p) {
  Prepared q;
  const float blend = std::isnan(p.Blend) ? 0.0f : std::clamp(p.Blend, 0.0f, 1.0f);
  q.opacity = static_cast<uint32_t>(std::lrint(blend * 255.0f));
  q.srcAlpha = p.ApplySrcAlpha;
  q.add = p.ApplySrcAdd;
  q.srcMask = p.SrcMask;
  q.base = p.SrcBaseColor & ~p.SrcMask;
  q.dstMask = p.DstMask;
  float vivit = std::isnan(p.Vivit) ? 0.0f : std::clamp(p.Vivit, 0.0f, 256.0f);
  q.saturate = vivit != 1.0f;
  q.satL = static_cast<int32_t>(vivit * 1024.0f);
  q.satK = (1024 - q.satL) / 3;
  q.levels = (p.BlackBorder & 0xFFFFFFu) != 0 || (p.WhiteBorder & 0xFFFFFFu) != 0xFFFFFFu;
  if (!q.levels) return q;
  for (int ch = 0; ch < 3; ++ch) {
    const int32_t lo = static_cast<int32_t>((p.BlackBorder >> (8 * ch)) & 0xFF);
    const int32_t hi = static_cast<int32_t>((p.WhiteBorder >> (8 * ch)) & 0xFF);
    for (int32_t c = 0; c < 256; ++c) {
      const int32_t n = c * (hi - lo);
      const int32_t step = n >= 0 ? (n + 127) / 255 : -((-n + 127) / 255);
      q.lut[ch][c] = static_cast<uint8_t>(std::clamp(lo + step, 0, 255));
    }
  }
  return q;
}

}  // namespace layerblend

namespace {

using layerblend::Div255;
using layerblend::Prepared;

uint32_t Tone(uint32_t s, const Prepared& q) {
  int32_t c[3] = {static_cast<int32_t>(s & 0xFF), static_cast<int32_t>((s >> 8) & 0xFF),
                  static_cast<int32_t>((s >> 16) & 0xFF)};
  if (q.saturate) {
    const int32_t grey = (q.satK * (c[0] + c[1] + c[2])) >> 10;
    for (int32_t& v : c) v = std::clamp(grey + ((q.satL * v) >> 10), 0, 255);
  }
  if (q.levels) {
    for (int ch = 0; ch < 3; ++ch) c[ch] = q.lut[ch][c[ch]];
  }
  return (s & 0xFF000000u) | static_cast<uint32_t>(c[2]) << 16 |
         static_cast<uint32_t>(c[1]) << 8 | static_cast<uint32_t>(c[0]);
}

}  // namespace

namespace layerblend {

uint32_t BlendPixel(uint32_t d, uint32_t s, const Prepared& q) {
  s = (s & q.srcMask) | q.base;
  const uint32_t a = q.srcAlpha ? Div255((s >> 24) * q.opacity) : q.opacity;
  if (a == 0) return d;
  if (q.saturate || q.levels) s = Tone(s, q);
  uint32_t out = 0;
  for (int ch = 0; ch < 3; ++ch) {
    const uint32_t sc = (s >> (8 * ch)) & 0xFF, dc = (d >> (8 * ch)) & 0xFF;
    const uint32_t v = q.add ? std::min<uint32_t>(255, dc + Div255(sc * a))
                             : Div255(sc * a + dc * (255 - a));
    out |= v << (8 * ch);
  }
  const uint32_t da = d >> 24;
  out |= Div255(255 * a + da * (255 - a)) << 24;
  return (out & ~q.dstMask) | (d & q.dstMask);
}

void BlendRowsRef(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                  int32_t w, int32_t h, const Prepared& q) {
  for (int32_t y = 0; y < h; ++y) {
    auto* d = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + int64_t{y} * dstStride);
    const auto* s = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(src) +
                                                      int64_t{y} * srcStride);
    for (int32_t x = 0; x < w; ++x) d[x] = BlendPixel(d[x], s[x], q);
  }
}

}  // namespace layerblend

void LayerBlendRef(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                   int32_t w, int32_t h, const LayerBlendParams& p) {
  if (dst == nullptr || src == nullptr || w <= 0 || h <= 0) return;
  const Prepared q = layerblend::Prepare(p);
  layerblend::BlendRowsRef(dst, dstStride, src, srcStride, w, h, q);
}

namespace {

bool UseAvx2() {
  static const bool use = [] {
    const char* env = std::getenv("TUMBLEROO_LAYER_REF");
    if (env != nullptr && env[0] == '1') return false;
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
  }();
  return use;
}

}  // namespace

const char* LayerBlendPath() { return UseAvx2() ? "avx2" : "ref"; }

void LayerBlendRect(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                    int32_t w, int32_t h, const LayerBlendParams& p) {
  if (dst == nullptr || src == nullptr || w <= 0 || h <= 0) return;
  const Prepared q = layerblend::Prepare(p);
  if (q.opacity == 0) return;
  const bool plainCopy = q.opacity == 255 && !q.srcAlpha && !q.add && !q.saturate &&
                         !q.levels && q.srcMask == 0xFFFFFFFFu && q.dstMask == 0;
  if (plainCopy) {
    // An opaque layer: its colours, full coverage.
    for (int32_t y = 0; y < h; ++y) {
      auto* d = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + int64_t{y} * dstStride);
      const auto* s = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(src) +
                                                        int64_t{y} * srcStride);
      for (int32_t x = 0; x < w; ++x) d[x] = s[x] | 0xFF000000u;
    }
    return;
  }
  if (UseAvx2()) {
    layerblend::BlendRowsAvx2(dst, dstStride, src, srcStride, w, h, q);
    return;
  }
  layerblend::BlendRowsRef(dst, dstStride, src, srcStride, w, h, q);
}

}  // namespace image

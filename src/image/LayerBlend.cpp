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
  float opacity = p.Blend;
  if (!(opacity > 0.0f)) opacity = 0.0f;  // NaN too
  if (opacity > 1.0f) opacity = 1.0f;
  q.opacity = opacity;
  q.k = opacity >= 1.0f ? 256u : static_cast<uint32_t>(opacity * 256.0f);
  for (uint32_t i = 0; i < 256; ++i) {
    const auto v = static_cast<uint32_t>(static_cast<float>(i) * opacity * 0.003921569f * 256.0f);
    q.fade[i] = std::min(v, 256u);
  }
  q.fadeIsAlpha = true;
  for (uint32_t i = 0; i < 256; ++i) q.fadeIsAlpha &= q.fade[i] == (i == 255 ? 256u : i);
  q.srcAlpha = p.ApplySrcAlpha;
  q.add = p.ApplySrcAdd;
  q.srcMask = p.SrcMask;
  q.base = p.SrcBaseColor & ~p.SrcMask;
  q.dstMask = p.DstMask;
  float s = p.Vivit;
  bool clamped = false;
  if (!(s >= 0.0f)) {
    s = 0.0f;
    clamped = true;
  } else if (s > 256.0f) {
    s = 256.0f;
    clamped = true;
  }
  q.saturate = clamped || s != 1.0f;
  q.level = static_cast<int32_t>(s * 1024.0f);
  q.greyK = (1024 - q.level) / 3;
  q.levels = (p.BlackBorder & 0xFFFFFFu) != 0 || (p.WhiteBorder & 0xFFFFFFu) != 0xFFFFFFu;
  for (int ch = 0; ch < 3; ++ch) {
    const int32_t lo = static_cast<int32_t>((p.BlackBorder >> (8 * ch)) & 0xFF);
    const int32_t hi = static_cast<int32_t>((p.WhiteBorder >> (8 * ch)) & 0xFF);
    for (int32_t c = 0; c < 256; ++c) {
      int32_t v = 0;
      if (lo == hi && c == lo) v = 255 - c;
      else if (c <= lo) v = 0;
      else if (c >= hi) v = 255;
      else v = (c - lo) * 255 / (hi - lo);
      q.lut[ch][c] = v;
    }
  }
  return q;
}

uint32_t Tone(uint32_t p, const Prepared& q) {
  int32_t c[3] = {static_cast<int32_t>(p & 0xFF), static_cast<int32_t>((p >> 8) & 0xFF),
                  static_cast<int32_t>((p >> 16) & 0xFF)};
  if (q.saturate) {
    const int32_t grey = (q.greyK * (c[0] + c[1] + c[2])) >> 10;
    for (int32_t& v : c) v = std::clamp(grey + ((q.level * v) >> 10), 0, 255);
  }
  if (q.levels) {
    for (int ch = 0; ch < 3; ++ch) c[ch] = q.lut[ch][c[ch]];
  }
  return (p & 0xFF000000u) | static_cast<uint32_t>(c[2]) << 16 |
         static_cast<uint32_t>(c[1]) << 8 | static_cast<uint32_t>(c[0]);
}

uint32_t BlendPixel(uint32_t d, uint32_t s, const Prepared& q) {
  uint32_t p = (s & q.srcMask) | q.base;
  const uint32_t w = q.srcAlpha ? q.fade[p >> 24] : q.k;
  if (w == 0) return d;
  if (q.saturate || q.levels) p = Tone(p, q);
  uint32_t res = 0;
  for (int ch = 0; ch < 32; ch += 8) {
    const uint32_t pc = (p >> ch) & 0xFF, dc = (d >> ch) & 0xFF;
    uint32_t v = 0;
    if (q.add && ch < 24) v = std::min(255u, dc + ((pc * w) >> 8));
    else v = (pc * w + dc * (256 - w)) >> 8;
    res |= v << ch;
  }
  return (d & q.dstMask) | (res & ~q.dstMask);
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
  const layerblend::Prepared q = layerblend::Prepare(p);
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

namespace {

void ApplyPrepared(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                   int32_t w, int32_t h, const layerblend::Prepared& q) {
  if (dst == nullptr || src == nullptr || w <= 0 || h <= 0) return;
  if (!q.srcAlpha && q.k == 0) return;
  const bool plainCopy = q.k == 256 && !q.srcAlpha && !q.add && !q.saturate && !q.levels &&
                         q.srcMask == 0xFFFFFFFFu && q.dstMask == 0;
  if (plainCopy) {
    for (int32_t y = 0; y < h; ++y)
      std::memcpy(reinterpret_cast<uint8_t*>(dst) + int64_t{y} * dstStride,
                  reinterpret_cast<const uint8_t*>(src) + int64_t{y} * srcStride,
                  static_cast<size_t>(w) * 4);
    return;
  }
  if (UseAvx2()) {
    layerblend::BlendRowsAvx2(dst, dstStride, src, srcStride, w, h, q);
    return;
  }
  layerblend::BlendRowsRef(dst, dstStride, src, srcStride, w, h, q);
}

}  // namespace

void LayerBlendRect(uint32_t* dst, int32_t dstStride, const uint32_t* src, int32_t srcStride,
                    int32_t w, int32_t h, const LayerBlendParams& p) {
  if (dst == nullptr || src == nullptr || w <= 0 || h <= 0) return;
  ApplyPrepared(dst, dstStride, src, srcStride, w, h, layerblend::Prepare(p));
}

LayerBlendPlan::LayerBlendPlan(const LayerBlendParams& p)
    : m_prepared(std::make_unique<layerblend::Prepared>(layerblend::Prepare(p))) {}
LayerBlendPlan::~LayerBlendPlan() = default;
LayerBlendPlan::LayerBlendPlan(LayerBlendPlan&&) noexcept = default;
LayerBlendPlan& LayerBlendPlan::operator=(LayerBlendPlan&&) noexcept = default;

void LayerBlendPlan::Apply(uint32_t* dst, int32_t dstStride, const uint32_t* src,
                           int32_t srcStride, int32_t w, int32_t h) const {
  ApplyPrepared(dst, dstStride, src, srcStride, w, h, *m_prepared);
}

}  // namespace image

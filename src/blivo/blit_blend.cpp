// The blending blits: half blend, source-alpha blend (both paths), alpha compositing with an
// opacity, cross-fades, the keyed fade, destination-alpha rules, and dwColorBlend.
#include <cmath>

#include "blit_walk.h"
#include "blivo.h"
#include "pixel_math.h"

namespace {

using namespace blivo;

// An opacity or fraction argument: false for NaN or negative (the call does nothing), else
// clamped to at most 1.
bool AcceptFraction(float f, float& out) {
  if (std::isnan(f) || f < 0.0f) return false;
  out = f > 1.0f ? 1.0f : f;
  return true;
}

void BuildFade(uint16_t (&fade)[256], float opacity) {
  for (uint32_t i = 0; i < 256; ++i) fade[i] = static_cast<uint16_t>(FadeWeight(i, opacity));
}

}  // namespace

extern "C" {

BLIVO_API int32_t BBIBltHalfBlend(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                                  int32_t h, int32_t sx, int32_t sy) {
  return BlitRows(dst, src, dx, dy, w, h, sx, sy, ActiveBlitKernels().halfBlend,
                  kBlit_Ref.halfBlend);
}

BLIVO_API int32_t BBIBltBlend(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                              int32_t h, int32_t sx, int32_t sy, int32_t useMMX) {
  const BlitKernels& k = ActiveBlitKernels();
  const BlitKernels& ref = kBlit_Ref;
  return useMMX != 0 ? BlitRows(dst, src, dx, dy, w, h, sx, sy, k.blendMmx, ref.blendMmx)
                     : BlitRows(dst, src, dx, dy, w, h, sx, sy, k.blend, ref.blend);
}

BLIVO_API int32_t BBIBltTrueBlend(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                                  int32_t h, int32_t sx, int32_t sy, float opacity) {
  Walk walk;
  if (!ClipWalk(dst, src, dx, dy, w, h, sx, sy, walk)) return kNothing;
  RowArgs args;
  if (!AcceptFraction(opacity, args.opacity)) return kNothing;
  uint16_t fade[256];
  BuildFade(fade, args.opacity);
  args.fade = fade;
  args.fadeMul = FadeMultiplier(fade);
  WalkRows(walk, ActiveBlitKernels().trueBlend, kBlit_Ref.trueBlend, args);
  return kDone;
}

BLIVO_API int32_t BBIFlip(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                          int32_t h, int32_t sx, int32_t sy, float fraction) {
  float f = 0.0f;
  if (!AcceptFraction(fraction, f)) return kNothing;
  const uint32_t k = static_cast<uint32_t>(f * 256.0f);
  return BlitPixels(dst, src, dx, dy, w, h, sx, sy,
                    [k](uint32_t d, uint32_t s) { return Lerp256(d, s, k); });
}

BLIVO_API int32_t BBIFlipBlend(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                               int32_t h, int32_t sx, int32_t sy, float fraction) {
  float f = 0.0f;
  if (!AcceptFraction(fraction, f)) return kNothing;
  uint16_t fade[256];
  BuildFade(fade, f);
  return BlitPixels(dst, src, dx, dy, w, h, sx, sy,
                    [&fade](uint32_t d, uint32_t s) { return Lerp256(d, s, fade[AlphaOf(s)]); });
}

BLIVO_API int32_t BBIBltKeyingFX(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                                 int32_t h, int32_t sx, int32_t sy, int32_t useKey,
                                 int32_t level) {
  Walk walk;
  if (!ClipWalk(dst, src, dx, dy, w, h, sx, sy, walk)) return kNothing;
  if (level <= 0) return kDone;
  if (level > 254) {
    if (useKey != 0)
      KeyingWalk(walk);
    else
      CopyWalk(walk);
    return kDone;
  }
  const uint32_t k = static_cast<uint32_t>(level);
  if (useKey == 0) {
    WalkPixels(walk, [k](uint32_t d, uint32_t s) { return Lerp256(d, s, k); });
  } else {
    const uint32_t key = walk.s.At(0, 0);
    WalkPixels(walk,
               [k, key](uint32_t d, uint32_t s) { return s != key ? Lerp256(d, s, k) : d; });
  }
  return kDone;
}

BLIVO_API int32_t BBIBltAlpha(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                              int32_t h, int32_t sx, int32_t sy, int32_t keepMax,
                              int32_t keepMin, int32_t invert, int32_t subtract) {
  RowArgs args;
  args.flags = (keepMax ? kAlphaKeepMax : 0u) | (keepMin ? kAlphaKeepMin : 0u) |
               (invert ? kAlphaInvert : 0u) | (subtract ? kAlphaSubtract : 0u);
  return BlitRows(dst, src, dx, dy, w, h, sx, sy, ActiveBlitKernels().alpha,
                  kBlit_Ref.alpha, args);
}

BLIVO_API uint32_t dwColorBlend(uint32_t colour1, uint32_t colour2, float fraction) {
  return Lerp256(colour1, colour2, FractionWeight(fraction));
}

}  // extern "C"

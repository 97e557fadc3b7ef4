// Stencil wipes: BBIStencilFlip (hard edge) and BBIStencilFlipLE (soft edge) move a destination
// toward a source where a stencil image's alpha is below a level; the rectangle is clipped
// against all three images with bbi.h's rule.
#include <cmath>
#include <cstdint>

#include "bbi.h"
#include "blivo.h"
#include "pixel_math.h"

namespace blivo::draw {
namespace {

// Clips (dx, dy, w, h) against dst, src and stencil, moving the paired positions alike.
bool ClipThree(const Image& dst, const Image& src, const Image& sten, int32_t& dx, int32_t& dy,
               int32_t& w, int32_t& h, int32_t& sx, int32_t& sy, int32_t& tx, int32_t& ty) {
  if (!dst.Valid() || !src.Valid() || !sten.Valid()) return false;
  // Each clip moves the other two positions by the same amount.
  const int32_t dx0 = dx, dy0 = dy;
  if (!ClipRect(dst.width, dst.height, dx, dy, w, h, sx, sy)) return false;
  int64_t tx64 = static_cast<int64_t>(tx) + (static_cast<int64_t>(dx) - dx0);
  int64_t ty64 = static_cast<int64_t>(ty) + (static_cast<int64_t>(dy) - dy0);
  const int32_t sx0 = sx, sy0 = sy;
  if (!ClipRect(src.width, src.height, sx, sy, w, h, dx, dy)) return false;
  tx64 += static_cast<int64_t>(sx) - sx0;
  ty64 += static_cast<int64_t>(sy) - sy0;
  if (tx64 < INT32_MIN || tx64 > INT32_MAX || ty64 < INT32_MIN || ty64 > INT32_MAX) return false;
  tx = static_cast<int32_t>(tx64);
  ty = static_cast<int32_t>(ty64);
  const int32_t tx0 = tx, ty0 = ty;
  int32_t ox = 0, oy = 0;
  if (!ClipRect(sten.width, sten.height, tx, ty, w, h, ox, oy)) return false;
  // The stencil clip moved its own origin by (tx - tx0, ty - ty0): move the other two alike.
  dx += tx - tx0;
  dy += ty - ty0;
  sx += tx - tx0;
  sy += ty - ty0;
  return true;
}

template <class F>
int32_t Stencil(void* dstBlock, void* srcBlock, void* stenBlock, int32_t dx, int32_t dy, int32_t w,
                int32_t h, int32_t sx, int32_t sy, int32_t tx, int32_t ty, float fraction,
                F pixel) {
  if (!(fraction >= 0.0f)) return kNothing;  // negative or NaN
  const Image dst = View(dstBlock), src = View(srcBlock), sten = View(stenBlock);
  if (!ClipThree(dst, src, sten, dx, dy, w, h, sx, sy, tx, ty)) return kNothing;
  const float f = fraction > 1.0f ? 1.0f : fraction;
  for (int32_t j = 0; j < h; ++j) {
    uint32_t* d = dst.Row(dy + j) + dx;
    const uint32_t* s = src.Row(sy + j) + sx;
    const uint32_t* t = sten.Row(ty + j) + tx;
    for (int32_t i = 0; i < w; ++i) d[i] = pixel(d[i], s[i], t[i] >> 24, f);
  }
  return kDone;
}

}  // namespace
}  // namespace blivo::draw

extern "C" {

BLIVO_API int32_t BBIStencilFlip(void* dst, void* src, void* stencil, int32_t dx, int32_t dy,
                                 int32_t w, int32_t h, int32_t sx, int32_t sy, int32_t tx,
                                 int32_t ty, float fraction) {
  return blivo::draw::Stencil(dst, src, stencil, dx, dy, w, h, sx, sy, tx, ty, fraction,
                              [](uint32_t d, uint32_t s, uint32_t t, float f) {
                                const uint32_t level = static_cast<uint32_t>(f * 256.0f);
                                return t < level ? s : d;
                              });
}

BLIVO_API int32_t BBIStencilFlipLE(void* dst, void* src, void* stencil, int32_t dx, int32_t dy,
                                   int32_t w, int32_t h, int32_t sx, int32_t sy, int32_t tx,
                                   int32_t ty, float fraction) {
  return blivo::draw::Stencil(dst, src, stencil, dx, dy, w, h, sx, sy, tx, ty, fraction,
                              [](uint32_t d, uint32_t s, uint32_t t, float f) {
                                const int32_t level = static_cast<int32_t>(f * 288.0f);
                                int32_t k = (level - static_cast<int32_t>(t)) * 8;
                                if (k <= 0) return d;
                                if (k >= 256) return s;
                                return blivo::Lerp256(d, s, static_cast<uint32_t>(k));
                              });
}

}  // extern "C"

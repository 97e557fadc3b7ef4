// Box blur along rows (BBIBltUBlur) and columns (BBIBltVBlur): the scalar reference, the
// exports and their choice of kernel. A running sum per channel makes the cost independent of
// the radius; a 256-pixel ring keeps the source values a same-image call overwrites.
#include "blivo.h"
#include "bbi.h"
#include "cpu.h"
#include "scale_kernels.h"
#include "scale_math.h"

namespace blivo {

namespace {

// One line of n pixels: at(k) reads source k, put(i, p) writes output i. Source k + r is read
// into the ring before output k is written.
template <typename At, typename Put>
void BlurLine(int32_t n, int32_t r, At at, Put put) {
  uint32_t ring[256];
  uint64_t sum = 0;
  for (int32_t k = 0; k <= r && k < n; ++k) {
    ring[k & 255] = at(k);
    sum += Widen16(ring[k & 255]);
  }
  for (int32_t i = 0; i < n; ++i) {
    if (i > 0) {
      const int32_t in = i + r, out = i - r - 1;
      if (in < n) {
        ring[in & 255] = at(in);
        sum += Widen16(ring[in & 255]);
      }
      if (out >= 0) sum -= Widen16(ring[out & 255]);
    }
    const int32_t lo = i - r < 0 ? 0 : i - r;
    const int32_t hi = i + r > n - 1 ? n - 1 : i + r;
    put(i, DivFields16(sum, static_cast<uint32_t>(hi - lo + 1)));
  }
}

}  // namespace

void UBlur_Ref(const Image& dst, const Image& src, const BlitRect& r, int32_t radius) {
  for (int32_t j = 0; j < r.h; ++j) {
    uint32_t* d = dst.Row(r.dy + j) + r.dx;
    const uint32_t* s = src.Row(r.sy + j) + r.sx;
    BlurLine(
        r.w, radius, [s](int32_t k) { return s[k]; }, [d](int32_t i, uint32_t p) { d[i] = p; });
  }
}

void VBlur_Ref(const Image& dst, const Image& src, const BlitRect& r, int32_t radius) {
  for (int32_t x = 0; x < r.w; ++x) {
    BlurLine(
        r.h, radius, [&](int32_t k) { return src.At(r.sx + x, r.sy + k); },
        [&](int32_t i, uint32_t p) { dst.At(r.dx + x, r.dy + i) = p; });
  }
}

namespace {

int32_t Blur(void* dstBlock, const void* srcBlock, BlitRect r, int32_t radius, bool vertical,
             BlurFn ScaleKernels::*kernel) {
  const Image dst = View(dstBlock);
  const Image src = View(srcBlock);
  if (!ClipBlit(dst, src, r)) return kNothing;
  int32_t limit = (vertical ? r.h : r.w) / 2 - 1;
  if (limit > 127) limit = 127;
  if (radius > limit) radius = limit;
  if (radius < 1) return BBIBlt(dstBlock, srcBlock, r.dx, r.dy, r.w, r.h, r.sx, r.sy);
  const bool vector = !RectsOverlap(dst, r.dx, r.dy, r.w, r.h, src, r.sx, r.sy, r.w, r.h) ||
                      SameOrigin(dst, r.dx, r.dy, src, r.sx, r.sy);
  ((vector ? ActiveScaleKernels() : kScale_Ref).*kernel)(dst, src, r, radius);
  return kDone;
}

}  // namespace

}  // namespace blivo

using namespace blivo;

extern "C" BLIVO_API int32_t BBIBltUBlur(void* dst, const void* src, int32_t dx, int32_t dy,
                                         int32_t w, int32_t h, int32_t sx, int32_t sy,
                                         int32_t radius) {
  return Blur(dst, src, BlitRect{dx, dy, w, h, sx, sy}, radius, false,
              &ScaleKernels::uBlur);
}

extern "C" BLIVO_API int32_t BBIBltVBlur(void* dst, const void* src, int32_t dx, int32_t dy,
                                         int32_t w, int32_t h, int32_t sx, int32_t sy,
                                         int32_t radius) {
  return Blur(dst, src, BlitRect{dx, dy, w, h, sx, sy}, radius, true,
              &ScaleKernels::vBlur);
}

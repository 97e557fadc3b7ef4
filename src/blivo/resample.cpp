// Box resampling along rows (BBIBltUScale) and columns (BBIBltVScale): the scalar reference,
// the exports and their choice of kernel. Relies on bbi.h, pixel_math.h and cpu.h.
#include "blivo.h"
#include "bbi.h"
#include "cpu.h"
#include "pixel_math.h"
#include "scale_kernels.h"
#include "scale_math.h"

namespace blivo {

namespace {

// One output pixel: the weighted samples of its span, read just before the write.
template <typename At>
uint32_t BoxPixel(const BoxSpan& b, int32_t num, At at) {
  uint64_t sum = Widen16(at(b.first)) * static_cast<uint32_t>(b.headWeight);
  for (int32_t k = b.first + 1; k < b.last; ++k)
    sum += Widen16(at(k)) * static_cast<uint32_t>(num);
  if (b.last != b.first) sum += Widen16(at(b.last)) * static_cast<uint32_t>(b.tailWeight);
  return DivFields16(sum, static_cast<uint32_t>(b.count));
}

}  // namespace

void UScale_Ref(const Image& dst, const Image& src, const BlitRect& r, int32_t num, int32_t den) {
  BoxWalk walk(r.w, num, den);  // reductions forwards, enlargements backwards
  for (int32_t j = 0; j < r.h; ++j) {
    uint32_t* d = dst.Row(r.dy + j) + r.dx;
    const uint32_t* s = src.Row(r.sy + j) + r.sx;
    walk.Reset();
    int32_t i = 0;
    BoxSpan b{};
    while (walk.Next(i, b)) {
      d[i] = BoxPixel(b, num, [s](int32_t k) { return s[k]; });
    }
  }
}

void VScale_Ref(const Image& dst, const Image& src, const BlitRect& r, int32_t num, int32_t den) {
  BoxWalk walk(r.h, num, den);
  for (int32_t x = 0; x < r.w; ++x) {
    walk.Reset();
    int32_t i = 0;
    BoxSpan b{};
    while (walk.Next(i, b)) {
      dst.At(r.dx + x, r.dy + i) =
          BoxPixel(b, num, [&](int32_t k) { return src.At(r.sx + x, r.sy + k); });
    }
  }
}

namespace {

int32_t Resample(void* dstBlock, const void* srcBlock, BlitRect r, int32_t num, int32_t den,
                 ScaleFn ScaleKernels::*kernel) {
  const Image dst = View(dstBlock);
  const Image src = View(srcBlock);
  if (num > 128) num = 128;
  if (den > 128) den = 128;
  if (num <= 0 || den <= 0) return kNothing;
  if (!ClipBlit(dst, src, r)) return kNothing;
  const bool vector = !RectsOverlap(dst, r.dx, r.dy, r.w, r.h, src, r.sx, r.sy, r.w, r.h) ||
                      SameOrigin(dst, r.dx, r.dy, src, r.sx, r.sy);
  ((vector ? ActiveScaleKernels() : kScale_Ref).*kernel)(dst, src, r, num, den);
  return kDone;
}

}  // namespace

}  // namespace blivo

using namespace blivo;

extern "C" BLIVO_API int32_t BBIBltUScale(void* dst, const void* src, int32_t dx, int32_t dy,
                                          int32_t w, int32_t h, int32_t sx, int32_t sy,
                                          int32_t num, int32_t den) {
  return Resample(dst, src, BlitRect{dx, dy, w, h, sx, sy}, num, den,
                  &ScaleKernels::uScale);
}

extern "C" BLIVO_API int32_t BBIBltVScale(void* dst, const void* src, int32_t dx, int32_t dy,
                                          int32_t w, int32_t h, int32_t sx, int32_t sy,
                                          int32_t num, int32_t den) {
  return Resample(dst, src, BlitRect{dx, dy, w, h, sx, sy}, num, den,
                  &ScaleKernels::vScale);
}

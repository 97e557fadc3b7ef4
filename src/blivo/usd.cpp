// The Usd family: raw 32-bit row blits described by addresses, strides, a width and a row count.
// The saturating members share the row kernels; the rest are scalar loops.
#include "blivo.h"
#include "pixel_math.h"
#include "row_kernels.h"
#include "rows_walk.h"

namespace blivo::usd {
namespace {

using rows::Fit;
using rows::Load32;
using rows::Store32;

// d = op(d, s) on every row through the host combine kernel. The saturating members return 1
// whatever happened, which is what their callers have always been given.
int32_t Saturating(void* dst, const void* src, int32_t dstStride, int32_t srcStride, int32_t width,
                   int32_t count, const rowk::Combine& op, bool darkenDst) {
  const rowk::CombineFn combine = rowk::ActiveRowKernels().combine;
  rowk::Combine k = op;
  if (darkenDst) {
    k.darkA = op.darkB;
    k.darkB = 0;
  }
  rows::WalkTwo(dst, src, dstStride, srcStride, width, count, 4, 4,
                [&](uint8_t* d, const uint8_t* s, int32_t) { combine(d, d, s, width, k); });
  return kNothing;
}

rowk::Combine Darkened(uint32_t colour, bool complement, bool subtract) {
  rowk::Combine op;
  op.darkB = ~colour;
  op.flipB = complement ? 0xFFFFFFFFu : 0u;
  op.subtract = subtract;
  return op;
}

// Per pixel d = fn(d, s), 32-bit both.
template <typename F>
int32_t Each(void* dst, const void* src, int32_t dstStride, int32_t srcStride, int32_t width,
             int32_t count, F fn) {
  return rows::Result(rows::WalkTwo(dst, src, dstStride, srcStride, width, count, 4, 4,
                                    [&](uint8_t* d, const uint8_t* s, int32_t) {
                                      for (int32_t x = 0; x < width; ++x)
                                        Store32(d + 4 * x,
                                                fn(Load32(d + 4 * x), Load32(s + 4 * x)));
                                    }));
}

uint32_t AlphaRule(uint32_t d, uint32_t s, uint32_t weights) {
  uint32_t out = d & 0xFF000000u;
  for (int k = 0; k < 24; k += 8)
    out |= rows::AlphaByte((s >> k) & 0xFFu, (d >> k) & 0xFFu, (weights >> k) & 0xFFu) << k;
  return out;
}

// n x n box mean of 32-bit pixels: width x count destination pixels (pixelBytes 4 or 2).
int32_t Reduce(void* dst, const void* src, int32_t dstStride, int32_t srcStride, int32_t width,
               int32_t count, int32_t n, bool to565) {
  const Fit fit = rows::Both(rows::Check(int64_t{width} * (to565 ? 2 : 4), dstStride, count),
                             rows::Check(int64_t{width} * 4 * n, srcStride, int64_t{count} * n));
  if (fit != Fit::kOk) return rows::Result(fit);
  if (dst == nullptr || src == nullptr) return kNothing;
  const uint32_t shift = n == 2 ? 2 : 4;
  for (int32_t y = 0; y < count; ++y) {
    uint8_t* d = rows::At<uint8_t>(dst, dstStride, y);
    for (int32_t x = 0; x < width; ++x) {
      uint32_t sum[4] = {0, 0, 0, 0};
      for (int32_t j = 0; j < n; ++j) {
        const uint8_t* s = rows::At<uint8_t>(src, srcStride, int64_t{y} * n + j);
        for (int32_t i = 0; i < n; ++i) {
          const uint32_t p = Load32(s + 4 * (int64_t{x} * n + i));
          for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xFFu;
        }
      }
      const uint32_t mean =
          Pack(sum[3] >> shift, sum[2] >> shift, sum[1] >> shift, sum[0] >> shift);
      if (to565)
        rows::Store16(d + 2 * x, rows::To565(mean));
      else
        Store32(d + 4 * x, mean);
    }
  }
  return kDone;
}

}  // namespace

// Shared with the Bv family's reductions.
int32_t BoxReduce(void* dst, const void* src, int32_t dstStride, int32_t srcStride, int32_t width,
                  int32_t count, int32_t n) {
  return Reduce(dst, src, dstStride, srcStride, width, count, n, false);
}

}  // namespace blivo::usd

using blivo::kDone;
using blivo::kNothing;
namespace usd = blivo::usd;
namespace rows = blivo::rows;

extern "C" {

BLIVO_API int32_t UsdADD(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                         int32_t width, int32_t rows) {
  return usd::Saturating(dst, src, dstStride, srcStride, width, rows, {}, false);
}
BLIVO_API int32_t UsdSUB(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                         int32_t width, int32_t rows) {
  return usd::Saturating(dst, src, dstStride, srcStride, width, rows, {0, 0, 0, true}, false);
}
BLIVO_API int32_t UsdXORADD(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                            int32_t width, int32_t rows) {
  return usd::Saturating(dst, src, dstStride, srcStride, width, rows, {0, 0, ~0u, false}, false);
}
BLIVO_API int32_t UsdXORSUB(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                            int32_t width, int32_t rows) {
  return usd::Saturating(dst, src, dstStride, srcStride, width, rows, {0, 0, ~0u, true}, false);
}
BLIVO_API int32_t UsdBrendADD(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows, uint32_t colour) {
  return usd::Saturating(dst, src, dstStride, srcStride, width, rows,
                         usd::Darkened(colour, false, false), false);
}
BLIVO_API int32_t UsdBrendSUB(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows, uint32_t colour) {
  return usd::Saturating(dst, src, dstStride, srcStride, width, rows,
                         usd::Darkened(colour, false, true), false);
}
BLIVO_API int32_t UsdBrendXORADD(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                                 int32_t width, int32_t rows, uint32_t colour) {
  return usd::Saturating(dst, src, dstStride, srcStride, width, rows,
                         usd::Darkened(colour, true, false), false);
}
BLIVO_API int32_t UsdBrendXORSUB(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                                 int32_t width, int32_t rows, uint32_t colour) {
  return usd::Saturating(dst, src, dstStride, srcStride, width, rows,
                         usd::Darkened(colour, true, true), false);
}
BLIVO_API int32_t UsdBrendALTADD(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                                 int32_t width, int32_t rows, uint32_t colour) {
  return usd::Saturating(dst, src, dstStride, srcStride, width, rows,
                         usd::Darkened(colour, false, false), true);
}
BLIVO_API int32_t UsdBrendALTSUB(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                                 int32_t width, int32_t rows, uint32_t colour) {
  return usd::Saturating(dst, src, dstStride, srcStride, width, rows,
                         usd::Darkened(colour, false, true), true);
}

BLIVO_API int32_t UsdCopy(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                          int32_t width, int32_t rows) {
  const auto copy = blivo::rowk::ActiveRowKernels().copy;
  return rows::Result(
      rows::WalkTwo(dst, src, dstStride, srcStride, width, rows, 4, 4,
                    [&](uint8_t* d, const uint8_t* s, int32_t) { copy(d, s, width); }));
}
BLIVO_API int32_t UsdCopyPentium(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                                 int32_t width, int32_t rows) {
  return rows::Result(rows::WalkTwo(
      dst, src, dstStride, srcStride, width, rows, 4, 4,
      [&](uint8_t* d, const uint8_t* s, int32_t) { blivo::rowk::Copy_Ref(d, s, width); }));
}

BLIVO_API int32_t UsdAlpha(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                           int32_t width, int32_t rows) {
  return usd::Each(dst, src, dstStride, srcStride, width, rows, [](uint32_t d, uint32_t s) {
    return usd::AlphaRule(d, s, (s >> 24) * 0x010101u);
  });
}
BLIVO_API int32_t UsdAlphaFast(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                               int32_t width, int32_t rows) {
  return usd::Each(dst, src, dstStride, srcStride, width, rows, [](uint32_t d, uint32_t s) {
    const uint32_t a = s >> 24, w = a + (a >> 7);
    return (d & 0xFF000000u) | (blivo::Mix2(s, w, d, 256u - w) & 0x00FFFFFFu);
  });
}
BLIVO_API int32_t UsdRGBAlpha(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows, uint32_t weights) {
  return usd::Each(dst, src, dstStride, srcStride, width, rows,
                   [weights](uint32_t d, uint32_t s) { return usd::AlphaRule(d, s, weights); });
}
BLIVO_API int32_t UsdSTDAlpha(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows, int32_t alpha) {
  const uint32_t weights = blivo::Clamp255(alpha) * 0x010101u;
  return usd::Each(dst, src, dstStride, srcStride, width, rows,
                   [weights](uint32_t d, uint32_t s) { return usd::AlphaRule(d, s, weights); });
}

BLIVO_API int32_t UsdColorDown(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                               int32_t width, int32_t rows) {
  return rows::Result(rows::WalkTwo(dst, src, dstStride, srcStride, width, rows, 2, 4,
                                    [&](uint8_t* d, const uint8_t* s, int32_t) {
                                      for (int32_t x = 0; x < width; ++x)
                                        rows::Store16(d + 2 * x,
                                                      rows::To565(rows::Load32(s + 4 * x)));
                                    }));
}

BLIVO_API int32_t UsdColorFill(void* dst, int32_t dstStride, int32_t width, int32_t rows,
                               uint32_t colour) {
  return rows::Result(rows::WalkOne(dst, dstStride, width, rows, 4, [&](uint8_t* d, int32_t) {
    for (int32_t x = 0; x < width; ++x) rows::Store32(d + 4 * x, colour);
  }));
}

BLIVO_API int32_t UsdPaletteBlt(void* dst, const void* index, const void* palette,
                                int32_t dstStride, int32_t indexStride, int32_t width,
                                int32_t rows) {
  const auto fit = rows::Both(rows::Check(int64_t{width} * 4, dstStride, rows),
                              rows::Check(width, indexStride, rows));
  if (fit == rows::Fit::kOk && palette == nullptr) return kNothing;
  return rows::Result(rows::WalkTwo(dst, index, dstStride, indexStride, width, rows, 4, 1,
                                    [&](uint8_t* d, const uint8_t* s, int32_t) {
                                      const auto* pal = static_cast<const uint8_t*>(palette);
                                      for (int32_t x = 0; x < width; ++x)
                                        rows::Store32(d + 4 * x, rows::Load32(pal + 4 * s[x]));
                                    }));
}

BLIVO_API int32_t UsdMosaicBlt(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                               int32_t width, int32_t rows, int32_t size) {
  const auto fit = rows::Both(rows::Check(int64_t{width} * 4, dstStride, rows),
                              rows::Check(int64_t{width} * 4, srcStride, rows));
  if (fit == rows::Fit::kBad || size <= 0) return kNothing;
  if (fit == rows::Fit::kEmpty) return kDone;
  if (dst == nullptr || src == nullptr) return kNothing;
  // Rows are written top to bottom and each block's top row first, so in place (dst == src)
  // the corner pixel is read before anything of its block is overwritten.
  for (int32_t y = 0; y < rows; ++y) {
    const int32_t top = y - y % size;
    const uint8_t* s = rows::At<uint8_t>(src, srcStride, top);
    uint8_t* d = rows::At<uint8_t>(dst, dstStride, y);
    for (int32_t x = 0; x < width; x += size) {
      const uint32_t corner = rows::Load32(s + 4 * int64_t{x});
      const int32_t end = size < width - x ? x + size : width;
      for (int32_t i = x; i < end; ++i) rows::Store32(d + 4 * int64_t{i}, corner);
    }
  }
  return kDone;
}
BLIVO_API int32_t UsdMosaic(void* buffer, int32_t stride, int32_t width, int32_t rows,
                            int32_t size) {
  return UsdMosaicBlt(buffer, buffer, stride, stride, width, rows, size);
}

BLIVO_API int32_t UsdXOR(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                         int32_t width, int32_t rows) {
  return usd::Each(dst, src, dstStride, srcStride, width, rows,
                   [](uint32_t d, uint32_t s) { return d ^ s; });
}
BLIVO_API int32_t UsdShiftXOR(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows, int32_t shift) {
  const uint32_t n = static_cast<uint32_t>(shift) & 31u;
  return usd::Each(dst, src, dstStride, srcStride, width, rows,
                   [n](uint32_t d, uint32_t s) { return d ^ (s << n); });
}

BLIVO_API int32_t UsdSwapTopBottom(void* buffer, int32_t stride, int32_t width, int32_t rows) {
  const rows::Fit fit = rows::Check(int64_t{width} * 4, stride, rows);
  if (fit != rows::Fit::kOk) return rows::Result(fit);
  if (buffer == nullptr) return kNothing;
  for (int32_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
    uint8_t* a = rows::At<uint8_t>(buffer, stride, top);
    uint8_t* b = rows::At<uint8_t>(buffer, stride, bottom);
    for (int64_t i = 0; i < int64_t{width} * 4; ++i) {
      const uint8_t t = a[i];
      a[i] = b[i];
      b[i] = t;
    }
  }
  return kDone;
}

BLIVO_API int32_t UsdAreas(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                           int32_t width, int32_t rows) {
  return usd::Reduce(dst, src, dstStride, srcStride, width, rows, 2, false);
}
BLIVO_API int32_t UsdAntiAreas16(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                                 int32_t width, int32_t rows) {
  return usd::Reduce(dst, src, dstStride, srcStride, width, rows, 2, true);
}

}  // extern "C"

// Mirrors, quarter-turn rotation and the scaled copies (nearest-pixel expansion with fading,
// alpha blending, gradient recolouring, colour processing and smoothing). Every scaled export
// clips with ClipScaled (bbi.h) first and then walks the destination with integer
// accumulators. Relies on bbi.h, pixel_math.h, cpu.h and the core blits for hand-overs.
#include <cstdlib>

#include "bbi.h"
#include "blivo.h"
#include "cpu.h"
#include "pixel_math.h"
#include "scale_kernels.h"

namespace blivo {

namespace {

struct Span {
  uintptr_t lo, hi;  // [lo, hi)
};

Span BytesOf(const Image& img, int32_t x, int32_t y, int32_t w, int32_t h) {
  const auto base = reinterpret_cast<intptr_t>(img.pixels);
  const intptr_t first = base + static_cast<intptr_t>(y) * img.stride + intptr_t{x} * 4;
  const intptr_t last = base + static_cast<intptr_t>(y + h - 1) * img.stride + intptr_t{x} * 4;
  const intptr_t lo = first < last ? first : last;
  const intptr_t hi = (first < last ? last : first) + intptr_t{w} * 4;
  return Span{static_cast<uintptr_t>(lo), static_cast<uintptr_t>(hi)};
}

}  // namespace

bool RectsOverlap(const Image& a, int32_t ax, int32_t ay, int32_t aw, int32_t ah, const Image& b,
                  int32_t bx, int32_t by, int32_t bw, int32_t bh) {
  const Span sa = BytesOf(a, ax, ay, aw, ah), sb = BytesOf(b, bx, by, bw, bh);
  return sa.lo < sb.hi && sb.lo < sa.hi;
}

bool SameOrigin(const Image& a, int32_t ax, int32_t ay, const Image& b, int32_t bx, int32_t by) {
  return a.stride == b.stride && &a.At(ax, ay) == &b.At(bx, by);
}

// Visits the clipped scaled rectangle with exact integer stepping: destination (dx + i, dy + j)
// gets op(d, s, srcCol, srcRow) for source pixel (sx + floor(i * sw / dw), sy + floor(j * sh /
// dh)), rows from the top, pixels from the left.
template <typename Op>
void ExpandVisit(const Image& dst, const Image& src, const ScaledRect& r, Op op) {
  int64_t rowAcc = 0;
  int32_t srcRow = r.sy;
  for (int32_t j = 0; j < r.dh; ++j) {
    while (rowAcc >= r.dh) {
      rowAcc -= r.dh;
      ++srcRow;
    }
    uint32_t* d = dst.Row(r.dy + j) + r.dx;
    const uint32_t* s = src.Row(srcRow);
    int64_t colAcc = 0;
    int32_t srcCol = r.sx;
    for (int32_t i = 0; i < r.dw; ++i) {
      while (colAcc >= r.dw) {
        colAcc -= r.dw;
        ++srcCol;
      }
      d[i] = op(d[i], s[srcCol], srcCol, srcRow, i, j);
      colAcc += r.sw;
    }
    rowAcc += r.sh;
  }
}

void ExpandCopy_Ref(const Image& dst, const Image& src, const ScaledRect& r) {
  ExpandVisit(dst, src, r,
              [](uint32_t, uint32_t s, int32_t, int32_t, int32_t, int32_t) { return s; });
}

const ScaleKernels kScale_Ref{"reference", ExpandCopy_Ref, UScale_Ref, VScale_Ref, UBlur_Ref,
                              VBlur_Ref};

namespace {

void FadeTable(float opacity, uint32_t (&v)[256]) {
  for (uint32_t i = 0; i < 256; ++i) v[i] = FadeWeight(i, opacity);
}

// Opacity as the expansion family takes it: negative or NaN refused, above 1 counts as 1.
bool TakeOpacity(float& opacity) {
  if (!(opacity >= 0.0f)) return false;
  if (opacity > 1.0f) opacity = 1.0f;
  return true;
}

void ExpandCopyBest(const Image& dst, const Image& src, const ScaledRect& r) {
  // The vector kernels keep a column table on the stack, sized for the widest real image.
  if (r.dw <= 8192 && !RectsOverlap(dst, r.dx, r.dy, r.dw, r.dh, src, r.sx, r.sy, r.sw, r.sh)) {
    return ActiveScaleKernels().expandCopy(dst, src, r);
  }
  ExpandCopy_Ref(dst, src, r);
}

uint32_t Levels(uint32_t p, uint32_t low, uint32_t high) {
  uint32_t out = p & 0xFF000000u;
  for (int k = 0; k < 3; ++k) {
    const int32_t c = static_cast<int32_t>(ByteOf(p, k));
    const int32_t lo = static_cast<int32_t>(ByteOf(low, k));
    const int32_t hi = static_cast<int32_t>(ByteOf(high, k));
    int32_t v = 0;
    if (lo == hi && c == lo)
      v = 255 - c;
    else if (c <= lo)
      v = 0;
    else if (c >= hi)
      v = 255;
    else
      v = (c - lo) * 255 / (hi - lo);
    out |= static_cast<uint32_t>(v) << (8 * k);
  }
  return out;
}

// Recolouring by the colour mask: the masked bits from s, the others from colour, with the
// bits of invertMask taken inverted from s.
inline uint32_t MaskColour(uint32_t s, uint32_t colourMask, uint32_t colour, uint32_t invert) {
  if (colourMask == 0xFFFFFFFFu) return s;
  return (s & colourMask) | (~colourMask & ((~s & invert) | colour));
}

// Weighting of the processed pixel against d (addColour: colour bytes scaled instead of blended;
// addAlpha: alpha scaled), then the saturating additions.
inline uint32_t WeighAndAdd(uint32_t s, uint32_t d, uint32_t q, bool addColour, bool addAlpha) {
  uint32_t res = s;
  if (q != 256) {
    const uint32_t blend = Mix2(s, q, d, 256u - q);
    const uint32_t scale = Mix2(s, q, 0, 0);
    const uint32_t colour = addColour ? scale : blend;
    const uint32_t alpha = addAlpha ? scale : blend;
    res = (colour & 0x00FFFFFFu) | (alpha & 0xFF000000u);
  }
  if (addColour) res = (AddSat(d, res) & 0x00FFFFFFu) | (res & 0xFF000000u);
  if (addAlpha) {
    uint32_t a = AlphaOf(d) + AlphaOf(res);
    if (a > 255) a = 255;
    res = (res & 0x00FFFFFFu) | (a << 24);
  }
  return res;
}

const int8_t kNeighbours[20][2] = {
    {1, 0},  {-1, 0}, {0, 1},  {0, -1}, {1, 1},  {-1, -1}, {1, -1}, {-1, 1}, {2, 0},  {-2, 0},
    {0, 2},  {0, -2}, {2, 1},  {-2, -1}, {1, 2}, {-1, -2}, {2, -1}, {-2, 1}, {1, -2}, {-1, 2}};

// Per byte floor((a + b) / 2).
inline uint32_t Avg2(uint32_t a, uint32_t b) { return (a & b) + (((a ^ b) >> 1) & 0x7F7F7F7Fu); }

}  // namespace

}  // namespace blivo

using namespace blivo;

extern "C" BLIVO_API int32_t BBIMirror(void* image) {
  const Image img = View(image);
  if (!img.Valid()) return kNothing;
  for (int32_t y = 0; y < img.height; ++y) {
    uint32_t* row = img.Row(y);
    for (int32_t a = 0, b = img.width - 1; a < b; ++a, --b) {
      const uint32_t t = row[a];
      row[a] = row[b];
      row[b] = t;
    }
  }
  return kDone;
}

extern "C" BLIVO_API int32_t BBIVMirror(void* image) {
  const Image img = View(image);
  if (!img.Valid()) return kNothing;
  for (int32_t a = 0, b = img.height - 1; a < b; ++a, --b) {
    uint32_t* ra = img.Row(a);
    uint32_t* rb = img.Row(b);
    for (int32_t x = 0; x < img.width; ++x) {
      const uint32_t t = ra[x];
      ra[x] = rb[x];
      rb[x] = t;
    }
  }
  return kDone;
}

extern "C" BLIVO_API int32_t BBIRotation(void* dstBlock, const void* srcBlock, int32_t type) {
  if (type < 0 || type > 2) return kDone;
  const Image dst = View(dstBlock);
  const Image src = View(srcBlock);
  if (!dst.Valid() || !src.Valid()) return kNothing;
  const int32_t W = src.width, H = src.height;
  if (type == 1 ? (dst.width != W || dst.height != H) : (dst.width != H || dst.height != W))
    return kNothing;
  if (SameOrigin(dst, 0, 0, src, 0, 0)) {
    // One image: turn it by swapping pixel pairs (half turn) or cycling four (square quarter
    // turns), so no pixel is overwritten before it is read.
    if (type == 1) {
      for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
          const int64_t a = int64_t{y} * W + x, b = int64_t{H - 1 - y} * W + (W - 1 - x);
          if (a >= b) return kDone;
          const uint32_t t = dst.At(x, y);
          dst.At(x, y) = dst.At(W - 1 - x, H - 1 - y);
          dst.At(W - 1 - x, H - 1 - y) = t;
        }
      }
      return kDone;
    }
    const int32_t n = W;  // square: W == H here
    for (int32_t y = 0; y < n / 2; ++y) {
      for (int32_t x = y; x < n - 1 - y; ++x) {
        uint32_t& p0 = dst.At(x, y);
        uint32_t& p1 = dst.At(n - 1 - y, x);
        uint32_t& p2 = dst.At(n - 1 - x, n - 1 - y);
        uint32_t& p3 = dst.At(y, n - 1 - x);
        const uint32_t t = p0;
        if (type == 0) {  // (x, y) -> (n - 1 - y, x)
          p0 = p3;
          p3 = p2;
          p2 = p1;
          p1 = t;
        } else {  // (x, y) -> (y, n - 1 - x)
          p0 = p1;
          p1 = p2;
          p2 = p3;
          p3 = t;
        }
      }
    }
    return kDone;
  }
  for (int32_t y = 0; y < H; ++y) {
    const uint32_t* s = src.Row(y);
    for (int32_t x = 0; x < W; ++x) {
      if (type == 0)
        dst.At(H - 1 - y, x) = s[x];
      else if (type == 1)
        dst.At(W - 1 - x, H - 1 - y) = s[x];
      else
        dst.At(y, W - 1 - x) = s[x];
    }
  }
  return kDone;
}

extern "C" BLIVO_API int32_t BBIExpandBlt(void* dstBlock, const void* srcBlock, int32_t dx,
                                          int32_t dy, int32_t dw, int32_t dh, int32_t sx,
                                          int32_t sy, int32_t sw, int32_t sh, float opacity) {
  const Image dst = View(dstBlock);
  const Image src = View(srcBlock);
  ScaledRect r{dx, dy, dw, dh, sx, sy, sw, sh};
  if (!ClipScaled(dst, src, r)) return kNothing;
  if (!TakeOpacity(opacity)) return kNothing;
  const uint32_t k = FractionWeight(opacity);
  if (k == 256) {
    ExpandCopyBest(dst, src, r);
    return kDone;
  }
  ExpandVisit(dst, src, r, [k](uint32_t d, uint32_t s, int32_t, int32_t, int32_t, int32_t) {
    return Lerp256(d, s, k);
  });
  return kDone;
}

extern "C" BLIVO_API int32_t BBIExpandBlendBlt(void* dstBlock, const void* srcBlock, int32_t dx,
                                               int32_t dy, int32_t dw, int32_t dh, int32_t sx,
                                               int32_t sy, int32_t sw, int32_t sh,
                                               float opacity) {
  const Image dst = View(dstBlock);
  const Image src = View(srcBlock);
  ScaledRect r{dx, dy, dw, dh, sx, sy, sw, sh};
  if (!ClipScaled(dst, src, r)) return kNothing;
  if (!TakeOpacity(opacity)) return kNothing;
  uint32_t v[256];
  FadeTable(opacity, v);
  ExpandVisit(dst, src, r, [&v](uint32_t d, uint32_t s, int32_t, int32_t, int32_t, int32_t) {
    return Lerp256(d, s, v[AlphaOf(s)]);
  });
  return kDone;
}

extern "C" BLIVO_API int32_t BBIExpandColorBlt(void* dstBlock, const void* srcBlock, int32_t dx,
                                               int32_t dy, int32_t dw, int32_t dh, int32_t sx,
                                               int32_t sy, int32_t sw, int32_t sh, float opacity,
                                               uint32_t keepMask, uint32_t colourMask,
                                               uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                                               int32_t useAlpha) {
  const Image dst = View(dstBlock);
  const Image src = View(srcBlock);
  ScaledRect r{dx, dy, dw, dh, sx, sy, sw, sh};
  if (!ClipScaled(dst, src, r)) return kNothing;
  if (!TakeOpacity(opacity)) return kNothing;
  const uint32_t k = FractionWeight(opacity);
  uint32_t v[256];
  FadeTable(opacity, v);
  // Fractions of a 1-pixel side are 0 / 0, a NaN, which FractionWeight counts as 0.
  const float rowDen = static_cast<float>(r.dh - 1), colDen = static_cast<float>(r.dw - 1);
  int32_t lastRow = -1;
  uint32_t left = 0, right = 0;
  ExpandVisit(dst, src, r, [&](uint32_t d, uint32_t s, int32_t, int32_t, int32_t i, int32_t j) {
    if (j != lastRow) {
      const uint32_t kv = FractionWeight(static_cast<float>(j) / rowDen);
      left = Lerp256(c1, c3, kv);
      right = Lerp256(c2, c4, kv);
      lastRow = j;
    }
    uint32_t p = s;
    if (colourMask != 0xFFFFFFFFu) {
      const uint32_t grad = Lerp256(left, right, FractionWeight(static_cast<float>(i) / colDen));
      p = (s & colourMask) | (grad & ~colourMask);
    }
    const uint32_t w = useAlpha ? v[AlphaOf(p)] : k;
    const uint32_t res = Lerp256(d, p, w);
    return (res & ~keepMask) | (d & keepMask);
  });
  return kDone;
}

extern "C" BLIVO_API int32_t BBIExpandChooseBlt(
    void* dstBlock, const void* srcBlock, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
    int32_t sx, int32_t sy, int32_t sw, int32_t sh, float opacity, float saturation,
    uint32_t levelLow, uint32_t levelHigh, uint32_t keepMask, uint32_t colourMask,
    uint32_t colour, uint32_t invertMask, int32_t useAlpha, int32_t addColour, int32_t addAlpha,
    int32_t ignoreDest) {
  const Image dst = View(dstBlock);
  const Image src = View(srcBlock);
  ScaledRect r{dx, dy, dw, dh, sx, sy, sw, sh};
  if (!ClipScaled(dst, src, r)) return kNothing;
  if (!(opacity > 0.0f)) opacity = 0.0f;  // also NaN
  if (opacity > 1.0f) opacity = 1.0f;
  const uint32_t k = FractionWeight(opacity);
  if (k == 0 && ignoreDest == 0) return kNothing;
  const bool levels = (levelLow & 0x00FFFFFFu) != 0 || (levelHigh & 0x00FFFFFFu) != 0x00FFFFFFu;
  const bool processing =
      saturation != 1.0f || levels || addColour != 0 || addAlpha != 0 || ignoreDest != 0;
  uint32_t v[256];
  FadeTable(opacity, v);

  if (!processing) {
    const bool sameSize = r.dw == r.sw && r.dh == r.sh;
    if (colourMask == 0xFFFFFFFFu && keepMask == 0) {
      if (!sameSize)
        return useAlpha ? BBIExpandBlendBlt(dstBlock, srcBlock, r.dx, r.dy, r.dw, r.dh, r.sx,
                                            r.sy, r.sw, r.sh, opacity)
                        : BBIExpandBlt(dstBlock, srcBlock, r.dx, r.dy, r.dw, r.dh, r.sx, r.sy,
                                       r.sw, r.sh, opacity);
      return useAlpha ? BBIBltBlend(dstBlock, srcBlock, r.dx, r.dy, r.dw, r.dh, r.sx, r.sy, 0)
                      : BBIBlt(dstBlock, srcBlock, r.dx, r.dy, r.dw, r.dh, r.sx, r.sy);
    }
    if (sameSize && colourMask == 0xFF000000u && keepMask == 0 && invertMask == 0) {
      const uint32_t rgb = colour & 0x00FFFFFFu;
      for (int32_t j = 0; j < r.dh; ++j) {
        uint32_t* d = dst.Row(r.dy + j) + r.dx;
        const uint32_t* s = src.Row(r.sy + j) + r.sx;
        for (int32_t i = 0; i < r.dw; ++i) d[i] = (s[i] & 0xFF000000u) | rgb;
      }
      return kDone;
    }
    ExpandVisit(dst, src, r, [&](uint32_t d, uint32_t s, int32_t, int32_t, int32_t, int32_t) {
      const uint32_t p = MaskColour(s, colourMask, colour, invertMask);
      const uint32_t q = useAlpha ? v[AlphaOf(p)] : k;
      const uint32_t res = q == 256 ? p : Mix2(p, q, d, 256u - q);
      return (d & keepMask) | (res & ~keepMask);
    });
    return kDone;
  }

  ExpandVisit(dst, src, r, [&](uint32_t dOld, uint32_t s, int32_t, int32_t, int32_t, int32_t) {
    const uint32_t d = ignoreDest ? s : dOld;
    uint32_t p = MaskColour(s, colourMask, colour, invertMask);
    p = Saturate(p, saturation);
    if (levels) p = Levels(p, levelLow, levelHigh);
    const uint32_t q = useAlpha ? v[AlphaOf(p)] : k;
    const uint32_t res = WeighAndAdd(p, d, q, addColour != 0, addAlpha != 0);
    return (d & keepMask) | (res & ~keepMask);
  });
  return kBadMode;
}

extern "C" BLIVO_API int32_t BBILinearBlt(void* dstBlock, const void* srcBlock, int32_t dx,
                                          int32_t dy, int32_t dw, int32_t dh, int32_t sx,
                                          int32_t sy, int32_t sw, int32_t sh) {
  const Image dst = View(dstBlock);
  const Image src = View(srcBlock);
  ScaledRect r{dx, dy, dw, dh, sx, sy, sw, sh};
  if (!ClipScaled(dst, src, r)) return kNothing;
  int32_t n = (r.sw / r.dw + r.sh / r.dh + 5) & ~3;
  if (n > 16) n = 20;
  const int32_t x0 = r.sx, x1 = r.sx + r.sw, y0 = r.sy, y1 = r.sy + r.sh;
  ExpandVisit(dst, src, r,
              [&](uint32_t, uint32_t s, int32_t col, int32_t row, int32_t, int32_t) {
                uint32_t acc = s;
                for (int32_t k = 0; k < n; ++k) {
                  const int32_t x = col + kNeighbours[k][0], y = row + kNeighbours[k][1];
                  if (x >= x0 && x < x1 && y >= y0 && y < y1) acc = Avg2(acc, src.At(x, y));
                }
                return acc;
              });
  return kDone;
}

extern "C" BLIVO_API int32_t BBILinear(void* image, int32_t count) {
  const Image img = View(image);
  if (!img.Valid() || count < 1 || count > 20) return kNothing;
  const int32_t W = img.width, H = img.height;
  // The rows above the current one are already smoothed: keep their old values (and the
  // current row's) in a ring of three rows. Rows below are still untouched in the image.
  auto* saved = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(W) * 3 * 4));
  if (saved == nullptr) return kNothing;
  auto old = [&](int32_t x, int32_t y, int32_t cur) -> uint32_t {
    if (y > cur) return img.At(x, y);
    return saved[static_cast<size_t>(y % 3) * W + x];
  };
  for (int32_t y = 0; y < H; ++y) {
    uint32_t* keep = saved + static_cast<size_t>(y % 3) * W;
    uint32_t* row = img.Row(y);
    for (int32_t x = 0; x < W; ++x) keep[x] = row[x];
    for (int32_t x = 0; x < W; ++x) {
      uint32_t acc = keep[x];
      for (int32_t k = 0; k < count; ++k) {
        const int32_t nx = x + kNeighbours[k][0], ny = y + kNeighbours[k][1];
        if (nx >= 0 && nx < W && ny >= 0 && ny < H) acc = Avg2(acc, old(nx, ny, y));
      }
      row[x] = acc;
    }
  }
  std::free(saved);
  return kDone;
}

// Runs and lines: BBIFlipLineX/Y, BBIDrawLine, BBIDotThick, BBIDrawGradationLine and the
// anti-aliased BBIDrawAlphaLine. Lines are reduced to the steps that land inside the image
// (draw_step.h) before any pixel is visited; relies on bbi.h, pixel_math.h and draw_kernels.h.
#include <cmath>
#include <cstdint>

#include "bbi.h"
#include "blivo.h"
#include "draw_kernels.h"
#include "draw_step.h"
#include "alpha_line.h"
#include "pixel_math.h"

namespace blivo::draw {
namespace {

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }

// Calls visit(i, x, y) for the plain DDA's points i = 1..n that lie inside img, in step order.
template <class F>
void VisitDda(const Image& img, int64_t x1, int64_t y1, int64_t x2, int64_t y2, F visit) {
  const uint64_t ax = static_cast<uint64_t>(Abs64(x2 - x1));
  const uint64_t ay = static_cast<uint64_t>(Abs64(y2 - y1));
  const uint64_t n = ax > ay ? ax : ay;
  if (n == 0) return;
  const uint64_t half = n / 2;
  const int64_t sx = x1 < x2 ? 1 : -1;
  const int64_t sy = y1 < y2 ? 1 : -1;
  auto gx = [&](int64_t i) { return DdaOffset(half, static_cast<uint64_t>(i), ax, n); };
  auto gy = [&](int64_t i) { return DdaOffset(half, static_cast<uint64_t>(i), ay, n); };
  int64_t gxMin = 0, gxMax = 0, gyMin = 0, gyMax = 0;
  AxisBounds(x1, sx, img.width, gxMin, gxMax);
  AxisBounds(y1, sy, img.height, gyMin, gyMax);
  int64_t xFirst = 0, xLast = 0, first = 0, last = 0;
  if (!StepRange(1, static_cast<int64_t>(n), gxMin, gxMax, gx, xFirst, xLast)) return;
  if (!StepRange(xFirst, xLast, gyMin, gyMax, gy, first, last)) return;
  // Resume the stepping at `first`; within [first, last] every point is inside.
  const uint64_t f = static_cast<uint64_t>(first);
  uint64_t ex = (half + f * ax) % n;
  uint64_t ey = (half + f * ay) % n;
  int64_t x = x1 + sx * gx(first);
  int64_t y = y1 + sy * gy(first);
  for (int64_t i = first;; ++i) {
    visit(i, static_cast<int32_t>(x), static_cast<int32_t>(y));
    if (i == last) break;
    ex += ax;
    if (ex >= n) {
      ex -= n;
      x += sx;
    }
    ey += ay;
    if (ey >= n) {
      ey -= n;
      y += sy;
    }
  }
}

bool Inside(const Image& img, int64_t x, int64_t y) {
  return x >= 0 && y >= 0 && x < img.width && y < img.height;
}

// Source-alpha blend of colour at coverage weight (0..256).
void BlendCovered(const Image& img, int64_t x, int64_t y, uint32_t colour, uint32_t weight) {
  if (!Inside(img, x, y)) return;
  const uint32_t a = ((colour >> 24) * weight) >> 8;
  if (a == 0) return;
  const uint32_t s = (colour & 0x00FFFFFFu) | (a << 24);
  uint32_t& d = img.At(static_cast<int32_t>(x), static_cast<int32_t>(y));
  d = a == 255 ? s : Mix2(s, a, d, 255u - a);
}

}  // namespace

// Shared with the raw-buffer lines of the older families.
int32_t AlphaLine(const Image& img, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                  uint32_t startColour, uint32_t endColour) {
  if (!img.Valid()) return kNothing;
  const int64_t dx = static_cast<int64_t>(x2) - x1;
  const int64_t dy = static_cast<int64_t>(y2) - y1;
  if (dx == 0 && dy == 0) {
    BlendCovered(img, x1, y1, startColour, 256);
    return kDone;
  }
  const bool alongX = Abs64(dx) >= Abs64(dy);
  // Major axis: a (from a1, extent da, image size), minor axis b.
  const int64_t a1 = alongX ? x1 : y1, da = alongX ? dx : dy;
  const int64_t b1 = alongX ? y1 : x1, db = alongX ? dy : dx;
  const int64_t size = alongX ? img.width : img.height;
  int64_t lo = da > 0 ? a1 : a1 + da;
  int64_t hi = da > 0 ? a1 + da : a1;
  if (lo < 0) lo = 0;
  if (hi > size - 1) hi = size - 1;
  for (int64_t a = lo; a <= hi; ++a) {
    const double t = static_cast<double>(a - a1) / static_cast<double>(da);
    const double b = static_cast<double>(b1) + t * static_cast<double>(db);
    const double bFloor = std::floor(b);
    uint32_t w1 = static_cast<uint32_t>((b - bFloor) * 256.0);
    if (w1 > 255u) w1 = 255u;
    uint32_t k = static_cast<uint32_t>(t * 256.0);
    if (k > 256u) k = 256u;
    const uint32_t colour = blivo::Lerp256(startColour, endColour, k);
    const int64_t bi = static_cast<int64_t>(bFloor);
    if (alongX) {
      BlendCovered(img, a, bi, colour, 256u - w1);
      BlendCovered(img, a, bi + 1, colour, w1);
    } else {
      BlendCovered(img, bi, a, colour, 256u - w1);
      BlendCovered(img, bi + 1, a, colour, w1);
    }
  }
  return kDone;
}

}  // namespace blivo::draw

using blivo::Image;
using blivo::kDone;
using blivo::kNothing;
namespace draw = blivo::draw;

extern "C" {

BLIVO_API int32_t BBIFlipLineX(void* image, int32_t x, int32_t y, int32_t count, uint32_t colour) {
  const Image img = blivo::View(image);
  if (!img.Valid() || y < 0 || y >= img.height || count <= 0) return kNothing;
  const int64_t a = x < 0 ? 0 : x;
  const int64_t b = static_cast<int64_t>(x) + count < img.width
                        ? static_cast<int64_t>(x) + count
                        : static_cast<int64_t>(img.width);
  if (a >= b) return kNothing;
  draw::ActiveDrawKernels().fill(img.Row(y) + a, static_cast<int32_t>(b - a), colour, 0);
  return kDone;
}

BLIVO_API int32_t BBIFlipLineY(void* image, int32_t x, int32_t y, int32_t count, uint32_t colour) {
  const Image img = blivo::View(image);
  if (!img.Valid() || x < 0 || x >= img.width || count <= 0) return kNothing;
  const int64_t a = y < 0 ? 0 : y;
  const int64_t b = static_cast<int64_t>(y) + count < img.height
                        ? static_cast<int64_t>(y) + count
                        : static_cast<int64_t>(img.height);
  if (a >= b) return kNothing;
  for (int64_t r = a; r < b; ++r) img.At(x, static_cast<int32_t>(r)) = colour;
  return kDone;
}

BLIVO_API int32_t BBIDrawLine(void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                              uint32_t mask, uint32_t colour) {
  const Image img = blivo::View(image);
  if (!img.Valid()) return kNothing;
  draw::VisitDda(img, x1, y1, x2, y2, [&](int64_t, int32_t x, int32_t y) {
    uint32_t& p = img.At(x, y);
    p = draw::Masked(p, colour, mask);
  });
  if (draw::Inside(img, x2, y2)) {
    uint32_t& p = img.At(x2, y2);
    p = draw::Masked(p, colour, mask);
  }
  return kDone;
}

BLIVO_API int32_t BBIDotThick(void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                              uint32_t mask, uint32_t colour) {
  const Image img = blivo::View(image);
  if (!img.Valid()) return kNothing;
  draw::VisitDda(img, x1, y1, x2, y2, [&](int64_t, int32_t x, int32_t y) {
    int same = 0;
    if (x > 0 && img.At(x - 1, y) == colour) ++same;
    if (x + 1 < img.width && img.At(x + 1, y) == colour) ++same;
    if (y > 0 && img.At(x, y - 1) == colour) ++same;
    if (y + 1 < img.height && img.At(x, y + 1) == colour) ++same;
    if (same > 2) {
      uint32_t& p = img.At(x, y);
      p = draw::Masked(p, colour, mask);
    }
  });
  return kDone;
}

BLIVO_API int32_t BBIDrawGradationLine(void* image, void* ramp, int32_t x1, int32_t y1, int32_t x2,
                                       int32_t y2) {
  const Image img = blivo::View(image);
  const Image pen = blivo::View(ramp);
  if (!img.Valid() || !pen.Valid() || pen.width < 2) return kNothing;
  const uint32_t start = pen.At(0, 0);
  const uint32_t end = pen.At(1, 0);
  const int64_t ax = draw::Abs64(static_cast<int64_t>(x2) - x1);
  const int64_t ay = draw::Abs64(static_cast<int64_t>(y2) - y1);
  const uint64_t n = static_cast<uint64_t>(ax > ay ? ax : ay);
  if (n == 0) {
    if (draw::Inside(img, x1, y1)) img.At(x1, y1) = start;
    return kDone;
  }
  const uint64_t half = n / 2;
  const int64_t sx = x1 < x2 ? 1 : -1;
  const int64_t sy = y1 < y2 ? 1 : -1;
  const uint64_t uax = static_cast<uint64_t>(ax), uay = static_cast<uint64_t>(ay);
  auto gx = [&](int64_t i) { return draw::GradOffset(half, static_cast<uint64_t>(i), uax, n); };
  auto gy = [&](int64_t i) { return draw::GradOffset(half, static_cast<uint64_t>(i), uay, n); };
  int64_t gxMin = 0, gxMax = 0, gyMin = 0, gyMax = 0;
  draw::AxisBounds(x1, sx, img.width, gxMin, gxMax);
  draw::AxisBounds(y1, sy, img.height, gyMin, gyMax);
  int64_t xFirst = 0, xLast = 0, first = 0, last = 0;
  if (!draw::StepRange(0, static_cast<int64_t>(n), gxMin, gxMax, gx, xFirst, xLast) ||
      !draw::StepRange(xFirst, xLast, gyMin, gyMax, gy, first, last))
    return kDone;
  float s[4], e[4];
  for (int c = 0; c < 4; ++c) {
    s[c] = static_cast<float>(blivo::ByteOf(start, c));
    e[c] = static_cast<float>(blivo::ByteOf(end, c));
  }
  const float nf = static_cast<float>(n);
  int64_t cx = gx(first), cy = gy(first);
  const uint64_t f0 = static_cast<uint64_t>(first);
  uint64_t ex = half + (f0 + 1) * uax - static_cast<uint64_t>(cx) * n;
  uint64_t ey = half + (f0 + 1) * uay - static_cast<uint64_t>(cy) * n;
  int64_t x = x1 + sx * cx;
  int64_t y = y1 + sy * cy;
  for (int64_t i = first;; ++i) {
    const float f = static_cast<float>(i) / nf;
    const float g = 1.0f - f;
    uint32_t out = 0;
    for (int c = 0; c < 4; ++c) {
      const float v = f * e[c] + g * s[c];
      out |= (static_cast<uint32_t>(static_cast<int32_t>(v)) & 0xFFu) << (8 * c);
    }
    img.At(static_cast<int32_t>(x), static_cast<int32_t>(y)) = out;
    if (i == last) break;
    ex += uax;
    if (ex > n) {
      ex -= n;
      x += sx;
    }
    ey += uay;
    if (ey > n) {
      ey -= n;
      y += sy;
    }
  }
  return kDone;
}

BLIVO_API int32_t BBIDrawAlphaLine(void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                   uint32_t startColour, uint32_t endColour) {
  return blivo::draw::AlphaLine(blivo::View(image), x1, y1, x2, y2, startColour, endColour);
}

}  // extern "C"

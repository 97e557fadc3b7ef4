// Filled shapes: BBIDrawColorFill, BBIDrawBox, BBIDrawColorTile, the triangles and the circle
// outline BBIDrawPolaCircle. Rectangles clip with bbi.h's rule; triangles and circles are bounded
// to the image before scanning, with wide integers for their edge and distance tests.
#include <cmath>
#include <cstdint>

#include "bbi.h"
#include "blivo.h"
#include "draw_kernels.h"
#include "pixel_math.h"

namespace blivo::draw {
namespace {

__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

int64_t Min3(int64_t a, int64_t b, int64_t c) { return a < b ? (a < c ? a : c) : (b < c ? b : c); }
int64_t Max3(int64_t a, int64_t b, int64_t c) { return a > b ? (a > c ? a : c) : (b > c ? b : c); }

int32_t Triangle(void* image, int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t x3,
                 int64_t y3, uint32_t mask, uint32_t colour, bool withEdges) {
  const Image img = View(image);
  if (!img.Valid()) return kNothing;
  int64_t left = Min3(x1, x2, x3), right = Max3(x1, x2, x3);
  int64_t top = Min3(y1, y2, y3), bottom = Max3(y1, y2, y3);
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  if (right > img.width - 1) right = img.width - 1;
  if (bottom > img.height - 1) bottom = img.height - 1;
  if (left > right || top > bottom) return kNothing;
  // Edge function of edge A->B at P: (Bx - Ax)(Py - Ay) - (By - Ay)(Px - Ax). Differences fit
  // 33 bits, products 66: 128-bit arithmetic throughout.
  struct Edge {
    Int128 ex, ey;  // Bx - Ax, By - Ay
    int64_t ax, ay;
    Int128 At(int64_t px, int64_t py) const { return ex * (py - ay) - ey * (px - ax); }
  };
  const Edge edges[3] = {{x2 - x1, y2 - y1, x1, y1}, {x3 - x2, y3 - y2, x2, y2},
                         {x1 - x3, y1 - y3, x3, y3}};
  const Int128 area = edges[0].At(x3, y3);
  if (area == 0) return kDone;  // three points on a line enclose nothing
  const int sign = area > 0 ? 1 : -1;
  for (int64_t y = top; y <= bottom; ++y) {
    Int128 e[3];
    for (int k = 0; k < 3; ++k) e[k] = edges[k].At(left, y) * sign;
    Int128 step[3];
    for (int k = 0; k < 3; ++k) step[k] = -edges[k].ey * sign;
    uint32_t* row = img.Row(static_cast<int32_t>(y));
    for (int64_t x = left; x <= right; ++x) {
      const bool in = withEdges ? (e[0] >= 0 && e[1] >= 0 && e[2] >= 0)
                                : (e[0] > 0 && e[1] > 0 && e[2] > 0);
      if (in) row[x] = Masked(row[x], colour, mask);
      for (int k = 0; k < 3; ++k) e[k] += step[k];
    }
  }
  return kDone;
}

// Largest m with m * m <= v, for v < 2^100.
uint64_t ISqrt(UInt128 v) {
  uint64_t m = static_cast<uint64_t>(std::sqrt(static_cast<long double>(v)));
  while (static_cast<UInt128>(m) * m > v) --m;
  while (static_cast<UInt128>(m + 1) * (m + 1) <= v) ++m;
  return m;
}

}  // namespace
}  // namespace blivo::draw

using blivo::Image;
using blivo::kDone;
using blivo::kNothing;
namespace draw = blivo::draw;

extern "C" {

BLIVO_API int32_t BBIDrawColorFill(void* image, int32_t x, int32_t y, int32_t w, int32_t h,
                                   uint32_t mask, uint32_t colour) {
  const Image img = blivo::View(image);
  blivo::Rect r{x, y, w, h};
  if (!blivo::ClipOne(img, r)) return kNothing;
  const draw::FillSpanFn fill = draw::ActiveDrawKernels().fill;
  for (int32_t j = 0; j < r.h; ++j) fill(img.Row(r.y + j) + r.x, r.w, colour, mask);
  return kDone;
}

BLIVO_API int32_t BBIDrawBox(void* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t mask,
                             uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft,
                             uint32_t bottomRight) {
  const Image img = blivo::View(image);
  blivo::Rect r{x, y, w, h};
  if (!blivo::ClipOne(img, r)) return kNothing;
  // Inside the rectangle every offset is below w (or h), so it fits 32 bits.
  const int32_t i0 = static_cast<int32_t>(static_cast<int64_t>(r.x) - x);
  const int32_t j0 = static_cast<int32_t>(static_cast<int64_t>(r.y) - y);
  const int32_t rowDenom = h - 1;
  const draw::BoxSpanFn span = draw::ActiveDrawKernels().box;
  // Column weights are the same on every row: computed once per batch of columns.
  uint16_t k[draw::kBatch];
  for (int32_t c0 = 0; c0 < r.w; c0 += draw::kBatch) {
    const int32_t n = r.w - c0 < draw::kBatch ? r.w - c0 : draw::kBatch;
    draw::BoxWeights(k, n, i0 + c0, w - 1);
    for (int32_t j = 0; j < r.h; ++j) {
      uint32_t kv = 0;
      if (rowDenom != 0) {
        const float v = static_cast<float>(j0 + j) / static_cast<float>(rowDenom);
        kv = static_cast<uint32_t>(v * 256.0f);
        if (kv > 256u) kv = 256u;
      }
      const uint32_t left = blivo::Lerp256(topLeft, bottomLeft, kv);
      const uint32_t right = blivo::Lerp256(topRight, bottomRight, kv);
      span(img.Row(r.y + j) + r.x + c0, n, k, left, right, mask);
    }
  }
  return kDone;
}

BLIVO_API int32_t BBIDrawColorTile(void* image, int32_t x, int32_t y, int32_t w, int32_t h,
                                   uint32_t mask, int32_t tileW, int32_t tileH, uint32_t c0,
                                   uint32_t c1, uint32_t c2, uint32_t c3) {
  const Image img = blivo::View(image);
  blivo::Rect r{x, y, w, h};
  if (!blivo::ClipOne(img, r)) return kNothing;
  if (tileW <= 0) tileW = 1;
  if (tileH <= 0) tileH = 1;
  const uint32_t colours[4] = {c0, c1, c2, c3};
  const draw::FillSpanFn fill = draw::ActiveDrawKernels().fill;
  for (int32_t py = r.y; py < r.y + r.h; ++py) {
    const uint32_t* pair = colours + ((py / tileH) & 1) * 2;
    uint32_t* row = img.Row(py);
    // Runs of one tile column at a time.
    int32_t px = r.x;
    const int32_t end = r.x + r.w;
    while (px < end) {
      const int32_t tile = px / tileW;
      const int64_t tileEnd = (static_cast<int64_t>(tile) + 1) * tileW;
      const int32_t runEnd = tileEnd < end ? static_cast<int32_t>(tileEnd) : end;
      fill(row + px, runEnd - px, pair[tile & 1], mask);
      px = runEnd;
    }
  }
  return kDone;
}

BLIVO_API int32_t BBIDrawTriangle(void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                  int32_t x3, int32_t y3, uint32_t mask, uint32_t colour) {
  return draw::Triangle(image, x1, y1, x2, y2, x3, y3, mask, colour, false);
}

BLIVO_API int32_t BBIDrawTriangleA(void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                   int32_t x3, int32_t y3, uint32_t mask, uint32_t colour) {
  return draw::Triangle(image, x1, y1, x2, y2, x3, y3, mask, colour, true);
}

BLIVO_API int32_t BBIDrawPolaCircle(void* image, int32_t cx, int32_t cy, int32_t radius,
                                    uint32_t mask, uint32_t colour) {
  const Image img = blivo::View(image);
  if (!img.Valid() || radius < 0) return kNothing;
  const int64_t r = radius;
  int64_t top = cy - r, bottom = cy + r;
  if (top < 0) top = 0;
  if (bottom > img.height - 1) bottom = img.height - 1;
  if (top > bottom || static_cast<int64_t>(cx) + r < 0 || static_cast<int64_t>(cx) - r >= img.width)
    return kNothing;
  using U = draw::UInt128;
  const U outer = static_cast<U>(2 * r + 1) * static_cast<U>(2 * r + 1);
  const U inner = r == 0 ? 0 : static_cast<U>(2 * r - 1) * static_cast<U>(2 * r - 1);
  const draw::FillSpanFn fill = draw::ActiveDrawKernels().fill;
  for (int64_t y = top; y <= bottom; ++y) {
    const int64_t dy = y - cy;
    const U dy4 = static_cast<U>(4) * static_cast<U>(dy < 0 ? -dy : dy) *
                  static_cast<U>(dy < 0 ? -dy : dy);
    if (dy4 >= outer) continue;
    // Largest dx with 4 dx^2 < outer - dy4, smallest with 4 dx^2 >= inner - dy4.
    const int64_t dxOut = static_cast<int64_t>(draw::ISqrt((outer - dy4 - 1) / 4));
    int64_t dxIn = 0;
    if (inner > dy4) {
      const U need = (inner - dy4 + 3) / 4;  // dx^2 >= ceil((inner - dy4) / 4)
      dxIn = static_cast<int64_t>(draw::ISqrt(need - 1)) + 1;
    }
    if (dxIn > dxOut) continue;
    uint32_t* row = img.Row(static_cast<int32_t>(y));
    // Two runs: [cx - dxOut, cx - dxIn] and [cx + dxIn, cx + dxOut].
    const int64_t runs[2][2] = {{cx - dxOut, cx - dxIn}, {cx + dxIn, cx + dxOut}};
    for (int k = 0; k < 2; ++k) {
      int64_t a = runs[k][0], b = runs[k][1];
      if (k == 1 && dxIn == 0) a = static_cast<int64_t>(cx) + 1;  // centre: in the first run
      if (a < 0) a = 0;
      if (b > img.width - 1) b = img.width - 1;
      if (a <= b) fill(row + a, static_cast<int32_t>(b - a + 1), colour, mask);
    }
  }
  return kDone;
}

}  // extern "C"

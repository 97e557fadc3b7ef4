// Lines, quadrilateral maps, bump lighting and region trimming of the older families. Each
// clips before it visits a pixel: lines through the shared anti-aliased line, maps and bumps by
// the blit rules, so the work is bounded by the images whatever the coordinates.
#include <cmath>
#include <initializer_list>

#include "alpha_line.h"
#include "bbi.h"
#include "blivo.h"
#include "pixel_math.h"
#include "rows_walk.h"

namespace {

using blivo::Image;
using blivo::kDone;
using blivo::kNothing;
namespace rows = blivo::rows;

// Inverse bilinear position of point (px, py) in the quadrilateral q (top-left, top-right,
// bottom-right, bottom-left); false when it lies outside or the quadrilateral is degenerate.
bool InverseBilinear(const double* q, double px, double py, double& u, double& v) {
  auto cross = [](double ax, double ay, double bx, double by) { return ax * by - ay * bx; };
  const double ex = q[2] - q[0], ey = q[3] - q[1];
  const double fx = q[6] - q[0], fy = q[7] - q[1];
  const double gx = q[0] - q[2] + q[4] - q[6], gy = q[1] - q[3] + q[5] - q[7];
  const double hx = px - q[0], hy = py - q[1];
  const double k2 = cross(gx, gy, fx, fy);
  const double k1 = cross(ex, ey, fx, fy) + cross(hx, hy, gx, gy);
  const double k0 = cross(hx, hy, ex, ey);
  auto uFor = [&](double vv, double& uu) {
    const double dx = ex + gx * vv, dy = ey + gy * vv;
    if (std::fabs(dx) >= std::fabs(dy)) {
      if (dx == 0.0) return false;
      uu = (hx - fx * vv) / dx;
    } else {
      uu = (hy - fy * vv) / dy;
    }
    return true;
  };
  auto inside = [](double t) { return t >= 0.0 && t < 1.0; };
  const double scale = std::fabs(k1) + std::fabs(k0) + 1.0;
  if (std::fabs(k2) <= 1e-12 * scale) {
    if (k1 == 0.0) return false;
    v = -k0 / k1;
    return inside(v) && uFor(v, u) && inside(u);
  }
  const double disc = k1 * k1 - 4.0 * k0 * k2;
  if (!(disc >= 0.0)) return false;
  const double w = std::sqrt(disc);
  for (const double root : {(-k1 - w) / (2.0 * k2), (-k1 + w) / (2.0 * k2)}) {
    double uu = 0.0;
    if (inside(root) && uFor(root, uu) && inside(uu)) {
      v = root;
      u = uu;
      return true;
    }
  }
  return false;
}

int32_t MapQuad(void* dst, const void* src, const int32_t* quad, int32_t sx, int32_t sy, int32_t sw,
                int32_t sh, bool blend) {
  const Image d = blivo::View(dst), s = blivo::View(src);
  if (quad == nullptr || !d.Valid() || !s.Valid()) return kNothing;
  int32_t ox = 0, oy = 0;
  if (!blivo::ClipRect(s.width, s.height, sx, sy, sw, sh, ox, oy)) return kNothing;
  double q[8];
  int64_t x0 = quad[0], x1 = quad[0], y0 = quad[1], y1 = quad[1];
  for (int k = 0; k < 8; ++k) q[k] = quad[k];
  for (int k = 2; k < 8; k += 2) {
    x0 = quad[k] < x0 ? quad[k] : x0;
    x1 = quad[k] > x1 ? quad[k] : x1;
    y0 = quad[k + 1] < y0 ? quad[k + 1] : y0;
    y1 = quad[k + 1] > y1 ? quad[k + 1] : y1;
  }
  if (x0 < 0) x0 = 0;
  if (y0 < 0) y0 = 0;
  if (x1 > d.width - 1) x1 = d.width - 1;
  if (y1 > d.height - 1) y1 = d.height - 1;
  for (int64_t y = y0; y <= y1; ++y) {
    for (int64_t x = x0; x <= x1; ++x) {
      double u = 0.0, v = 0.0;
      if (!InverseBilinear(q, static_cast<double>(x) + 0.5, static_cast<double>(y) + 0.5, u, v))
        continue;
      int32_t i = static_cast<int32_t>(u * sw), j = static_cast<int32_t>(v * sh);
      i = i >= sw ? sw - 1 : i;
      j = j >= sh ? sh - 1 : j;
      const uint32_t p = s.At(sx + i, sy + j);
      uint32_t& out = d.At(static_cast<int32_t>(x), static_cast<int32_t>(y));
      if (!blend) {
        out = p;
        continue;
      }
      const uint32_t a = p >> 24;
      uint32_t mixed = out & 0xFF000000u;
      for (int k = 0; k < 24; k += 8)
        mixed |= rows::AlphaByte((p >> k) & 0xFFu, (out >> k) & 0xFFu, a) << k;
      out = mixed;
    }
  }
  return kDone;
}

int64_t Abs(int64_t v) { return v < 0 ? -v : v; }

// The bump rule for one pixel: d lit by the light seen through the normal (nx, ny) from
// (lx, ly), the pixel's offset from the light.
uint32_t Lit(uint32_t d, int64_t nx, int64_t ny, int64_t lx, int64_t ly) {
  const int64_t far = Abs(lx - nx) > Abs(ly - ny) ? Abs(lx - nx) : Abs(ly - ny);
  const uint32_t i = far >= 255 ? 0u : static_cast<uint32_t>(255 - far);
  uint32_t out = d & 0xFF000000u;
  for (int k = 0; k < 24; k += 8) out |= blivo::Div255(((d >> k) & 0xFFu) * i) << k;
  return out;
}

int64_t Clamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

extern "C" {

BLIVO_API int32_t TrueLine(void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                           uint32_t colour) {
  return blivo::draw::AlphaLine(blivo::View(image), x1, y1, x2, y2, colour, colour);
}

BLIVO_API int32_t TrueLines(void* image, const int32_t* points, int32_t count, uint32_t colour) {
  const Image img = blivo::View(image);
  if (count < 0 || (count > 0 && points == nullptr) || !img.Valid()) return kNothing;
  for (int32_t k = 1; k < count; ++k)
    blivo::draw::AlphaLine(img, points[2 * k - 2], points[2 * k - 1], points[2 * k],
                           points[2 * k + 1], colour, colour);
  return kDone;
}

BLIVO_API int32_t GrLiBlt(void* dst, const void* src, const int32_t* quad, int32_t sx, int32_t sy,
                          int32_t sw, int32_t sh) {
  return MapQuad(dst, src, quad, sx, sy, sw, sh, false);
}
BLIVO_API int32_t GrLiBlt32(void* dst, const void* src, const int32_t* quad, int32_t sx, int32_t sy,
                            int32_t sw, int32_t sh) {
  return MapQuad(dst, src, quad, sx, sy, sw, sh, true);
}

BLIVO_API int32_t SuperBump(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy, int32_t lightX, int32_t lightY) {
  const Image d = blivo::View(dst), s = blivo::View(src);
  blivo::BlitRect r{dx, dy, w, h, sx, sy};
  if (!blivo::ClipBlit(d, s, r)) return kNothing;
  auto height = [&](int64_t x, int64_t y) {
    const uint32_t p = s.At(static_cast<int32_t>(Clamp(x, 0, s.width - 1)),
                            static_cast<int32_t>(Clamp(y, 0, s.height - 1)));
    return static_cast<int64_t>((((p >> 16) & 0xFFu) + 2 * ((p >> 8) & 0xFFu) + (p & 0xFFu)) >> 2);
  };
  for (int32_t j = 0; j < r.h; ++j) {
    for (int32_t i = 0; i < r.w; ++i) {
      const int64_t x = int64_t{r.sx} + i, y = int64_t{r.sy} + j;
      uint32_t& out = d.At(r.dx + i, r.dy + j);
      out = Lit(out, height(x + 1, y) - height(x - 1, y), height(x, y + 1) - height(x, y - 1),
                int64_t{r.dx} + i - lightX, int64_t{r.dy} + j - lightY);
    }
  }
  return kDone;
}

BLIVO_API int32_t UsdAlphaBump(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                               int32_t width, int32_t rows, int32_t lightX, int32_t lightY) {
  const rows::Fit fit = rows::Both(rows::Check(int64_t{width} * 4, dstStride, rows),
                                   rows::Check(int64_t{width} * 4, srcStride, rows));
  if (fit != rows::Fit::kOk) return rows::Result(fit);
  if (dst == nullptr || src == nullptr) return kNothing;
  auto height = [&](int64_t x, int64_t y) {
    const uint8_t* p =
        rows::At<uint8_t>(src, srcStride, Clamp(y, 0, rows - 1)) + 4 * Clamp(x, 0, width - 1);
    return static_cast<int64_t>(p[3]);
  };
  for (int32_t y = 0; y < rows; ++y) {
    uint8_t* row = rows::At<uint8_t>(dst, dstStride, y);
    for (int32_t x = 0; x < width; ++x) {
      rows::Store32(
          row + 4 * int64_t{x},
          Lit(rows::Load32(row + 4 * int64_t{x}), height(x + 1, y) - height(x - 1, y),
              height(x, y + 1) - height(x, y - 1), int64_t{x} - lightX, int64_t{y} - lightY));
    }
  }
  return kDone;
}

BLIVO_API int32_t TrimRgn(int32_t* rect, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (rect == nullptr) return kNothing;
  int64_t x = rect[0], y = rect[1], w = rect[2], h = rect[3], ox = rect[4], oy = rect[5];
  if (x < left) {
    w -= int64_t{left} - x;
    ox += int64_t{left} - x;
    x = left;
  }
  if (x + w > right) w = int64_t{right} - x;
  if (y < top) {
    h -= int64_t{top} - y;
    oy += int64_t{top} - y;
    y = top;
  }
  if (y + h > bottom) h = int64_t{bottom} - y;
  if (w <= 0 || h <= 0) return kNothing;
  if (ox < INT32_MIN || ox > INT32_MAX || oy < INT32_MIN || oy > INT32_MAX) return kNothing;
  const int64_t out[6] = {x, y, w, h, ox, oy};
  for (int k = 0; k < 6; ++k) rect[k] = static_cast<int32_t>(out[k]);
  return kDone;
}

}  // extern "C"

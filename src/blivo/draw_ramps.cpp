// Ramp and gradient boxes: BBIDrawMultiplyLineBox, BBIDrawExclusiveLineBox, BBIDrawLineCircle and
// BBIDrawGradationBox. The box runs inclusively between two corners in either order; only its
// part inside the image is visited. Fractions are single precision, as the ramps are defined.
#include <cmath>
#include <cstdint>

#include "bbi.h"
#include "blivo.h"
#include "draw_kernels.h"
#include "pixel_math.h"

namespace blivo::draw {
namespace {

// The part of the inclusive box between the corners that lies inside img.
struct BoxWalk {
  int64_t xa, xb, ya, yb;  // inclusive, inside the image
  float xDen, yDen;        // x2 - x1 and y2 - y1, a zero counting as 1
};

bool Walk(const Image& img, int32_t x1, int32_t y1, int32_t x2, int32_t y2, BoxWalk& w) {
  w.xa = x1 < x2 ? x1 : x2;
  w.xb = x1 < x2 ? x2 : x1;
  w.ya = y1 < y2 ? y1 : y2;
  w.yb = y1 < y2 ? y2 : y1;
  if (w.xa < 0) w.xa = 0;
  if (w.ya < 0) w.ya = 0;
  if (w.xb > img.width - 1) w.xb = img.width - 1;
  if (w.yb > img.height - 1) w.yb = img.height - 1;
  const int64_t dx = static_cast<int64_t>(x2) - x1, dy = static_cast<int64_t>(y2) - y1;
  w.xDen = dx == 0 ? 1.0f : static_cast<float>(dx);
  w.yDen = dy == 0 ? 1.0f : static_cast<float>(dy);
  return w.xa <= w.xb && w.ya <= w.yb;
}

// Index trunc((R - 1) * f) for 0 <= f <= 1, kept inside the ramp.
int32_t RampIndex(int32_t width, float f) {
  const float v = static_cast<float>(width - 1) * f;
  if (!(v > 0.0f)) return 0;
  const int32_t i = static_cast<int32_t>(v);
  return i > width - 1 ? width - 1 : i;
}

enum class RampOp { kMultiply, kExclusive };

int32_t LineBox(void* image, void* ramp, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                RampOp op) {
  const Image img = View(image);
  const Image pen = View(ramp);
  if (!img.Valid() || !pen.Valid() || pen.width < 2 || pen.height < 2) return kNothing;
  BoxWalk w;
  if (!Walk(img, x1, y1, x2, y2, w)) return kDone;
  for (int64_t y = w.ya; y <= w.yb; ++y) {
    const float fy = static_cast<float>(y - y1) / w.yDen;
    const uint32_t v = pen.At(RampIndex(pen.width, fy), 1);
    uint32_t* row = img.Row(static_cast<int32_t>(y));
    for (int64_t x = w.xa; x <= w.xb; ++x) {
      const float fx = static_cast<float>(x - x1) / w.xDen;
      const uint32_t hz = pen.At(RampIndex(pen.width, fx), 0);
      uint32_t out = 0;
      for (int c = 0; c < 4; ++c) {
        const uint32_t a = ByteOf(hz, c), b = ByteOf(v, c);
        uint32_t r = 0;
        if (op == RampOp::kMultiply) {
          r = Div255(a * b);
        } else {
          r = a + b < 256u ? a + b : 510u - (a + b);
        }
        out |= r << (8 * c);
      }
      row[x] = out;
    }
  }
  return kDone;
}

}  // namespace
}  // namespace blivo::draw

using blivo::Image;
using blivo::kDone;
using blivo::kNothing;
namespace draw = blivo::draw;

extern "C" {

BLIVO_API int32_t BBIDrawMultiplyLineBox(void* image, void* ramp, int32_t x1, int32_t y1,
                                         int32_t x2, int32_t y2) {
  return draw::LineBox(image, ramp, x1, y1, x2, y2, draw::RampOp::kMultiply);
}

BLIVO_API int32_t BBIDrawExclusiveLineBox(void* image, void* ramp, int32_t x1, int32_t y1,
                                          int32_t x2, int32_t y2) {
  return draw::LineBox(image, ramp, x1, y1, x2, y2, draw::RampOp::kExclusive);
}

BLIVO_API int32_t BBIDrawLineCircle(void* image, void* ramp, int32_t x1, int32_t y1, int32_t x2,
                                    int32_t y2) {
  const Image img = blivo::View(image);
  const Image pen = blivo::View(ramp);
  if (!img.Valid() || !pen.Valid() || pen.width < 2) return kNothing;
  draw::BoxWalk w;
  if (!draw::Walk(img, x1, y1, x2, y2, w)) return kDone;
  const float last = static_cast<float>(pen.width - 1);
  const uint32_t* ramp0 = pen.Row(0);
  for (int64_t y = w.ya; y <= w.yb; ++y) {
    const float v = 2.0f * (static_cast<float>(y - y1) / w.yDen) - 1.0f;
    uint32_t* row = img.Row(static_cast<int32_t>(y));
    for (int64_t x = w.xa; x <= w.xb; ++x) {
      const float u = 2.0f * (static_cast<float>(x - x1) / w.xDen) - 1.0f;
      const float r = std::sqrt(u * u + v * v);
      if (!(r <= 1.0f)) continue;
      int32_t i = static_cast<int32_t>((1.0f - r) * last);
      if (i > pen.width - 1) i = pen.width - 1;
      row[x] = ramp0[i];
    }
  }
  return kDone;
}

BLIVO_API int32_t BBIDrawGradationBox(void* image, void* ramp, int32_t x1, int32_t y1, int32_t x2,
                                      int32_t y2) {
  const Image img = blivo::View(image);
  const Image pen = blivo::View(ramp);
  if (!img.Valid() || !pen.Valid() || pen.width < 2 || pen.height < 2) return kNothing;
  draw::BoxWalk w;
  if (!draw::Walk(img, x1, y1, x2, y2, w)) return kDone;
  float tl[4], tr[4], bl[4], br[4];
  for (int c = 0; c < 4; ++c) {
    tl[c] = static_cast<float>(blivo::ByteOf(pen.At(0, 0), c));
    tr[c] = static_cast<float>(blivo::ByteOf(pen.At(1, 0), c));
    bl[c] = static_cast<float>(blivo::ByteOf(pen.At(0, 1), c));
    br[c] = static_cast<float>(blivo::ByteOf(pen.At(1, 1), c));
  }
  const int32_t width = static_cast<int32_t>(w.xb - w.xa + 1);
  const draw::GradSpanFn span = draw::ActiveDrawKernels().grad;
  // Column fractions are the same on every row: computed once per batch of columns.
  float fx[draw::kBatch], gx[draw::kBatch];
  for (int32_t c0 = 0; c0 < width; c0 += draw::kBatch) {
    const int32_t n = width - c0 < draw::kBatch ? width - c0 : draw::kBatch;
    draw::GradFractions(fx, gx, n, w.xa + c0 - x1, w.xDen);
    for (int64_t y = w.ya; y <= w.yb; ++y) {
      const float fy = static_cast<float>(y - y1) / w.yDen;
      const float gy = 1.0f - fy;
      float left[4], right[4];
      for (int c = 0; c < 4; ++c) {
        left[c] = gy * tl[c] + fy * bl[c];
        right[c] = gy * tr[c] + fy * br[c];
      }
      span(img.Row(static_cast<int32_t>(y)) + w.xa + c0, n, fx, gx, left, right);
    }
  }
  return kDone;
}

}  // extern "C"

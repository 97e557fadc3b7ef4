// The Bv family (sample mixing and pixel-format moves on raw buffers), the sample format
// converter SeFormat, the alpha expansion tables and the one-axis area reductions.
#include <cstring>

#include "alpha_line.h"
#include "blivo.h"
#include "pixel_math.h"
#include "row_kernels.h"
#include "rows_walk.h"

namespace blivo::usd {
int32_t BoxReduce(void* dst, const void* src, int32_t dstStride, int32_t srcStride, int32_t width,
                  int32_t count, int32_t n);
}

namespace {

using blivo::kDone;
using blivo::kNothing;
namespace rows = blivo::rows;

int16_t Clamp16(int32_t v) {
  return static_cast<int16_t>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}
int32_t Volume(int32_t v) { return v < 0 ? 0 : (v > 256 ? 256 : v); }

// count items of at most itemBytes in any buffer; fn(i) does item i. 1 for a negative count,
// one whose bytes pass INT32_MAX, or a null buffer when there is work.
template <typename F>
int32_t Items(int32_t count, int32_t itemBytes, const void* a, const void* b, F fn) {
  if (count < 0 || count > INT32_MAX / itemBytes || (count > 0 && (a == nullptr || b == nullptr)))
    return kNothing;
  for (int32_t i = 0; i < count; ++i) fn(int64_t{i});
  return kDone;
}

// Stereo frames of signed 16-bit samples: fn(d, s) per channel.
template <typename F>
int32_t Frames(void* dst, const void* src, int32_t count, F fn) {
  auto* d = static_cast<uint8_t*>(dst);
  const auto* s = static_cast<const uint8_t*>(src);
  return Items(count, 4, dst, src, [&](int64_t i) {
    for (int64_t c = 2 * i; c < 2 * i + 2; ++c)
      rows::Store16(d + 2 * c,
                    static_cast<uint16_t>(fn(rows::LoadS16(d + 2 * c), rows::LoadS16(s + 2 * c))));
  });
}

// One 32-bit unit in, one pixel of outBytes out.
template <typename F>
int32_t Pixels(void* dst, const void* src, int32_t count, int32_t inBytes, int32_t outBytes, F fn) {
  auto* d = static_cast<uint8_t*>(dst);
  const auto* s = static_cast<const uint8_t*>(src);
  return Items(count, inBytes > outBytes ? inBytes : outBytes, dst, src,
               [&](int64_t i) { fn(d + outBytes * i, s + inBytes * i); });
}

uint16_t To4444(uint32_t p) {
  return static_cast<uint16_t>(((p >> 16) & 0xF000u) | ((p >> 12) & 0x0F00u) |
                               ((p >> 8) & 0x00F0u) | ((p >> 4) & 0x000Fu));
}

void Expand(void* dst, const void* src, int32_t count, uint32_t (*lane)(uint32_t a, int32_t arg),
            int32_t arg, int32_t* result) {
  *result = Pixels(dst, src, count, 4, 8, [&](uint8_t* d, const uint8_t* s) {
    const uint64_t v = lane(rows::Load32(s) >> 24, arg) * 0x0001000100010001ull;
    std::memcpy(d, &v, 8);
  });
}

// One-axis reduction by n along x (alongX) or y: width x count destination pixels.
int32_t AxisAreas(void* dst, const void* src, int32_t dstStride, int32_t srcStride, int32_t width,
                  int32_t count, bool alongX, int32_t n) {
  const int64_t srcWidth = alongX ? int64_t{width} * n : width;
  const int64_t srcRows = alongX ? count : int64_t{count} * n;
  const rows::Fit fit = rows::Both(rows::Check(int64_t{width} * 4, dstStride, count),
                                   rows::Check(srcWidth * 4, srcStride, srcRows));
  if (fit != rows::Fit::kOk) return rows::Result(fit);
  if (dst == nullptr || src == nullptr) return kNothing;
  for (int32_t y = 0; y < count; ++y) {
    uint8_t* d = rows::At<uint8_t>(dst, dstStride, y);
    for (int32_t x = 0; x < width; ++x) {
      uint32_t p[4] = {0, 0, 0, 0};
      for (int32_t k = 0; k < n; ++k) {
        const int64_t sx = alongX ? int64_t{x} * n + k : x;
        const int64_t sy = alongX ? y : int64_t{y} * n + k;
        p[k] = rows::Load32(rows::At<uint8_t>(src, srcStride, sy) + 4 * sx);
      }
      rows::Store32(d + 4 * x,
                    n == 2 ? rows::Half8888(p[0], p[1]) : blivo::Mean4(p[0], p[1], p[2], p[3]));
    }
  }
  return kDone;
}

}  // namespace

extern "C" {

BLIVO_API int32_t BvMov(void* dst, const void* src, int32_t count) {
  return RastaRizeCopyMMX(dst, src, count);
}
BLIVO_API int32_t BvZro(void* dst, const void*, int32_t count) {
  if (count < 0 || count > INT32_MAX / 4 || (count > 0 && dst == nullptr)) return kNothing;
  if (count > 0) std::memset(dst, 0, static_cast<size_t>(count) * 4);
  return kDone;
}
BLIVO_API int32_t BvAdd(void* dst, const void* src, int32_t count) {
  return Frames(dst, src, count, [](int32_t d, int32_t s) { return Clamp16(d + s); });
}
BLIVO_API int32_t BvLow(void* dst, const void* src, int32_t count) {
  // C division truncates toward zero, which is trunc(0.75 * s) exactly.
  return Frames(dst, src, count, [](int32_t, int32_t s) { return (s * 3) / 4; });
}
BLIVO_API int32_t BvRid(void* dst, const void* src, int32_t count, int32_t volume) {
  const int32_t v = Volume(volume);
  return Frames(dst, src, count, [v](int32_t d, int32_t s) { return Clamp16(d + ((s * v) >> 8)); });
}
BLIVO_API int32_t BvMusic(void* dst, const void* src, int32_t count, int32_t leftVolume,
                          int32_t rightVolume, int32_t srcMono) {
  const int32_t vol[2] = {Volume(leftVolume), Volume(rightVolume)};
  auto* d = static_cast<uint8_t*>(dst);
  const auto* s = static_cast<const uint8_t*>(src);
  return Items(count, 4, dst, src, [&](int64_t i) {
    for (int64_t c = 0; c < 2; ++c) {
      const int32_t in = rows::LoadS16(s + 2 * (srcMono != 0 ? i : 2 * i + c));
      uint8_t* out = d + 2 * (2 * i + c);
      rows::Store16(out, static_cast<uint16_t>(Clamp16(rows::LoadS16(out) + ((in * vol[c]) >> 8))));
    }
  });
}

BLIVO_API int32_t BvAlphaDown16From16(void* dst, const void* src, int32_t count) {
  return Pixels(dst, src, count, 2, 2, [](uint8_t* d, const uint8_t* s) {
    const rows::Rgb565 c = rows::Split565(rows::Load16(s));
    rows::Store16(
        d, static_cast<uint16_t>(0xF000u | ((c.r >> 1) << 8) | ((c.g >> 2) << 4) | (c.b >> 1)));
  });
}
BLIVO_API int32_t BvAlphaDown16From32(void* dst, const void* src, int32_t count) {
  return Pixels(dst, src, count, 4, 2,
                [](uint8_t* d, const uint8_t* s) { rows::Store16(d, To4444(rows::Load32(s))); });
}
BLIVO_API int32_t BvColorDown16From32(void* dst, const void* src, int32_t count) {
  return Pixels(dst, src, count, 4, 2, [](uint8_t* d, const uint8_t* s) {
    rows::Store16(d, rows::To565(rows::Load32(s)));
  });
}
BLIVO_API int32_t BvAlphaShift32From32(void* dst, const void* src, int32_t count) {
  return Pixels(dst, src, count, 4, 4, [](uint8_t* d, const uint8_t* s) {
    rows::Store32(d, (rows::Load32(d) & 0x00FFFFFFu) | (rows::Load32(s) << 24));
  });
}
BLIVO_API int32_t BvBltTo32From24(void* dst, const void* src, int32_t count) {
  return Pixels(dst, src, count, 3, 4, [](uint8_t* d, const uint8_t* s) {
    rows::Store32(d, 0xFF000000u | (uint32_t{s[2]} << 16) | (uint32_t{s[1]} << 8) | s[0]);
  });
}
BLIVO_API int32_t BvAlphaMask(void* dst, const void* src, int32_t count) {
  return Pixels(dst, src, count, 4, 4, [](uint8_t* d, const uint8_t* s) {
    const uint32_t p = rows::Load32(d);
    const uint32_t a = blivo::Div255((p >> 24) * (rows::Load32(s) >> 24));
    rows::Store32(d, (p & 0x00FFFFFFu) | (a << 24));
  });
}

BLIVO_API int32_t BvSwapTopAndBottom(void* buffer, int32_t stride, int32_t rows) {
  const rows::Fit fit = rows::Check(stride, stride, rows);
  if (fit != rows::Fit::kOk) return rows::Result(fit);
  if (buffer == nullptr) return kNothing;
  for (int32_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
    uint8_t* a = rows::At<uint8_t>(buffer, stride, top);
    uint8_t* b = rows::At<uint8_t>(buffer, stride, bottom);
    for (int32_t i = 0; i < stride; ++i) {
      const uint8_t t = a[i];
      a[i] = b[i];
      b[i] = t;
    }
  }
  return kDone;
}

BLIVO_API int32_t BvCreateAlphaPalette(void* palette, uint32_t colour) {
  if (palette == nullptr) return kNothing;
  auto* p = static_cast<uint8_t*>(palette);
  for (uint32_t i = 0; i < 256; ++i) rows::Store32(p + 4 * i, (i << 24) | (colour & 0x00FFFFFFu));
  return kDone;
}

BLIVO_API int32_t BvAntiAreas2(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                               int32_t width, int32_t rows) {
  return blivo::usd::BoxReduce(dst, src, dstStride, srcStride, width, rows, 2);
}
BLIVO_API int32_t BvAntiAreas4(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                               int32_t width, int32_t rows) {
  return blivo::usd::BoxReduce(dst, src, dstStride, srcStride, width, rows, 4);
}

BLIVO_API int32_t BvTrueLine(void* buffer, int32_t stride, int32_t width, int32_t height,
                             int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
  const rows::Fit fit = rows::Check(int64_t{width} * 4, stride, height);
  if (fit != rows::Fit::kOk) return rows::Result(fit);
  // The line writes whole 32-bit pixels in place, so they must be aligned.
  if (buffer == nullptr || reinterpret_cast<uintptr_t>(buffer) % 4 != 0 || stride % 4 != 0)
    return kNothing;
  blivo::Image img;
  img.pixels = static_cast<uint8_t*>(buffer);
  img.width = width;
  img.height = height;
  img.stride = stride;
  return blivo::draw::AlphaLine(img, x1, y1, x2, y2, colour, colour);
}

BLIVO_API int32_t ExpandTableMMX(void* table) {
  if (table == nullptr) return kNothing;
  auto* t = static_cast<uint8_t*>(table);
  for (uint64_t a = 0; a < 256; ++a) {
    const uint64_t v = a * 0x0001000100010001ull;
    std::memcpy(t + 8 * a, &v, 8);
  }
  return kDone;
}
BLIVO_API int32_t ExpandAlphaMMX(void* dst, const void* src, int32_t count) {
  int32_t result = kNothing;
  Expand(
      dst, src, count, [](uint32_t a, int32_t) { return a; }, 0, &result);
  return result;
}
BLIVO_API int32_t ExpandAlphaMMXCluc(void* dst, const void* src, int32_t count) {
  int32_t result = kNothing;
  Expand(
      dst, src, count, [](uint32_t a, int32_t) { return 255u - a; }, 0, &result);
  return result;
}
BLIVO_API int32_t ExpandAlphaSTDMMX(void* dst, const void* src, int32_t count, int32_t opacity) {
  int32_t result = kNothing;
  Expand(
      dst, src, count, [](uint32_t a, int32_t o) { return blivo::Div255(a * blivo::Clamp255(o)); },
      opacity, &result);
  return result;
}

BLIVO_API int32_t LibTrUAreas(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows) {
  return AxisAreas(dst, src, dstStride, srcStride, width, rows, true, 2);
}
BLIVO_API int32_t LibTrVAreas(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows) {
  return AxisAreas(dst, src, dstStride, srcStride, width, rows, false, 2);
}
BLIVO_API int32_t LibTrDoubleUAreas(void* dst, const void* src, int32_t dstStride,
                                    int32_t srcStride, int32_t width, int32_t rows) {
  return AxisAreas(dst, src, dstStride, srcStride, width, rows, true, 4);
}
BLIVO_API int32_t LibTrDoubleVAreas(void* dst, const void* src, int32_t dstStride,
                                    int32_t srcStride, int32_t width, int32_t rows) {
  return AxisAreas(dst, src, dstStride, srcStride, width, rows, false, 4);
}

BLIVO_API int32_t SeFormat(void* dst, const void* src, int32_t count, int32_t bits,
                           int32_t channels) {
  if ((bits != 8 && bits != 16) || (channels != 1 && channels != 2)) return kNothing;
  auto* d = static_cast<uint8_t*>(dst);
  const auto* s = static_cast<const uint8_t*>(src);
  const int64_t bytes = bits / 8;
  return Items(count, 4, dst, src, [&](int64_t i) {
    int32_t sample[2] = {0, 0};
    for (int64_t c = 0; c < channels; ++c) {
      const uint8_t* p = s + (i * channels + c) * bytes;
      sample[c] = bits == 8 ? (int32_t{*p} - 128) * 256 : rows::LoadS16(p);
    }
    if (channels == 1) sample[1] = sample[0];
    rows::Store16(d + 4 * i, static_cast<uint16_t>(sample[0]));
    rows::Store16(d + 4 * i + 2, static_cast<uint16_t>(sample[1]));
  });
}

}  // extern "C"

// The BBI record seen from inside the library: offsets, header fields, pixel access and the
// clipping rules every blit shares. Header-only; relies on nothing but the C++ runtime.
#pragma once

#include <cstdint>
#include <cstring>

#include "blivo/bbi_record.h"

namespace blivo {

// Block layout written by the image objects (one home: include/blivo/bbi_record.h).
inline constexpr int kHeadOffsetAt = BLIVO_BBI_HEAD_OFFSET_AT;
inline constexpr int kPictOffsetAt = BLIVO_BBI_PICT_OFFSET_AT;
inline constexpr int kDefaultHeadOffset = BLIVO_BBI_HEAD;
inline constexpr int kDefaultPictOffset = BLIVO_BBI_PICT;

// Header fields, by byte offset from the header.
inline constexpr int kFieldWidth = BLIVO_BBI_WIDTH;
inline constexpr int kFieldHeight = BLIVO_BBI_HEIGHT;
inline constexpr int kFieldXLen = BLIVO_BBI_XLEN;
inline constexpr int kFieldXFormat = BLIVO_BBI_XFORMAT;
inline constexpr int kFieldDataLen = BLIVO_BBI_DATALEN;
inline constexpr int kFieldDataFormat = BLIVO_BBI_DATAFORMAT;
inline constexpr int kFieldDataResult = BLIVO_BBI_DATARESULT;
inline constexpr int kFieldTag = BLIVO_BBI_TAG;  // "32bits"

inline int16_t LoadI16(const void* p) {
  int16_t v = 0;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void StoreI16(void* p, int16_t v) { std::memcpy(p, &v, sizeof v); }
inline uint32_t LoadU32(const void* p) {
  uint32_t v = 0;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void StoreU32(void* p, uint32_t v) { std::memcpy(p, &v, sizeof v); }

// A decoded view of one BBI block. The library reads only the two offsets, width, height and
// XLen, always as signed 16-bit values.
struct Image {
  uint8_t* pixels = nullptr;  // pixel (0,0)
  int32_t width = 0;
  int32_t height = 0;
  int32_t stride = 0;  // XLen, bytes from one row to the next

  uint32_t* Row(int32_t y) const {
    return reinterpret_cast<uint32_t*>(pixels + static_cast<intptr_t>(y) * stride);
  }
  uint32_t& At(int32_t x, int32_t y) const { return Row(y)[x]; }
  bool Valid() const { return pixels != nullptr && width > 0 && height > 0; }
};

inline Image View(void* block) {
  Image img;
  if (block == nullptr) return img;
  auto* base = static_cast<uint8_t*>(block);
  const int32_t head = LoadI16(base + kHeadOffsetAt);
  const int32_t pict = LoadI16(base + kPictOffsetAt);
  img.pixels = base + pict;
  img.width = LoadI16(base + head + kFieldWidth);
  img.height = LoadI16(base + head + kFieldHeight);
  img.stride = LoadI16(base + head + kFieldXLen);
  return img;
}
inline Image View(const void* block) { return View(const_cast<void*>(block)); }

// Writes the standard header: offsets 4 and 24, stride (w + pad) * 4, tag "32bits".
// blockSize must be at least BlockSize(w, h, pad).
inline int32_t BlockSize(int32_t w, int32_t h, int32_t pad) {
  return (w + pad) * h * 4 + kDefaultPictOffset;
}
inline void WriteHeader(void* block, int32_t w, int32_t h, int32_t pad) {
  BlivoWriteBBIHeader(block, w, h, pad);
}

// Clips one rectangle against a W x H image, moving the paired position of the other image by
// the same amount. Arithmetic is 64-bit so that no argument, however extreme, overflows; the
// results always fit 32 bits again. Returns false when the rectangle is empty.
inline bool ClipRect(int32_t W, int32_t H, int32_t& x, int32_t& y, int32_t& w, int32_t& h,
                     int32_t& ox, int32_t& oy) {
  int64_t X = x, Y = y, Wd = w, Ht = h, OX = ox, OY = oy;
  if (X < 0) {
    Wd += X;
    OX -= X;
    X = 0;
  }
  if (X + Wd > W) Wd = W - X;
  if (Y < 0) {
    Ht += Y;
    OY -= Y;
    Y = 0;
  }
  if (Y + Ht > H) Ht = H - Y;
  if (Wd <= 0 || Ht <= 0) return false;
  // Non-empty: 0 <= X < W and 0 < Wd <= W - X, so these fit. The paired position may be far off;
  // the second clip of a blit pulls it back into its own image or reports empty.
  if (OX < INT32_MIN || OX > INT32_MAX || OY < INT32_MIN || OY > INT32_MAX) return false;
  x = static_cast<int32_t>(X);
  y = static_cast<int32_t>(Y);
  w = static_cast<int32_t>(Wd);
  h = static_cast<int32_t>(Ht);
  ox = static_cast<int32_t>(OX);
  oy = static_cast<int32_t>(OY);
  return true;
}

// A clipped two-image rectangle: w x h pixels read at (sx, sy), written at (dx, dy).
struct BlitRect {
  int32_t dx, dy, w, h, sx, sy;
};

// The two-image rule: clip against the destination, then against the source.
inline bool ClipBlit(const Image& dst, const Image& src, BlitRect& r) {
  if (!dst.Valid() || !src.Valid()) return false;
  if (!ClipRect(dst.width, dst.height, r.dx, r.dy, r.w, r.h, r.sx, r.sy)) return false;
  return ClipRect(src.width, src.height, r.sx, r.sy, r.w, r.h, r.dx, r.dy);
}

// A clipped one-image rectangle.
struct Rect {
  int32_t x, y, w, h;
};

inline bool ClipOne(const Image& img, Rect& r) {
  if (!img.Valid()) return false;
  int32_t ox = 0, oy = 0;
  return ClipRect(img.width, img.height, r.x, r.y, r.w, r.h, ox, oy);
}

// A scaled pair: dw x dh destination pixels at (dx, dy) drawn from sw x sh source pixels at
// (sx, sy).
struct ScaledRect {
  int32_t dx, dy, dw, dh, sx, sy, sw, sh;
};

// Trunc toward zero, saturated to 32 bits: a partner pushed that far lies outside every image
// and the other pass then reports it empty.
inline int64_t TruncSat32(double v) {
  if (!(v > -2147483648.0)) return INT32_MIN;  // also NaN
  if (v >= 2147483647.0) return INT32_MAX;
  return static_cast<int64_t>(v);
}

// One pass of the scaled rule: clips (x, y, w, h) against a W x H image and moves the partner
// rectangle by the same fraction of its own size. Horizontal ratio in double, vertical ratio
// rounded to float, both kept as the original rounding sequence. False when anything is empty.
inline bool ClipScaledSide(int32_t W, int32_t H, int32_t& x, int32_t& y, int32_t& w, int32_t& h,
                           int32_t& ox, int32_t& oy, int32_t& ow, int32_t& oh) {
  if (w <= 0 || h <= 0 || ow <= 0 || oh <= 0) return false;
  int64_t X = x, Y = y, Wd = w, Ht = h, OX = ox, OY = oy, OW = ow, OH = oh;
  const double rx = static_cast<double>(ow) / static_cast<double>(w);
  if (X < 0) {
    OX = TruncSat32(static_cast<double>(OX) - rx * static_cast<double>(X));
    OW = TruncSat32(static_cast<double>(OW) + rx * static_cast<double>(X));
    Wd += X;
    X = 0;
  }
  if (X + Wd > W) {
    OW = TruncSat32(static_cast<double>(OW) + rx * static_cast<double>(W - X - Wd));
    Wd = W - X;
  }
  const double ry = static_cast<float>(static_cast<double>(oh) / static_cast<double>(h));
  if (Y < 0) {
    OY = TruncSat32(static_cast<double>(OY) - ry * static_cast<double>(Y));
    OH = TruncSat32(static_cast<double>(OH) + ry * static_cast<double>(Y));
    Ht += Y;
    Y = 0;
  }
  if (Y + Ht > H) {
    OH = TruncSat32(static_cast<double>(OH) + ry * static_cast<double>(H - Y - Ht));
    Ht = H - Y;
  }
  if (Wd <= 0 || Ht <= 0 || OW <= 0 || OH <= 0) return false;
  x = static_cast<int32_t>(X);
  y = static_cast<int32_t>(Y);
  w = static_cast<int32_t>(Wd);
  h = static_cast<int32_t>(Ht);
  ox = static_cast<int32_t>(OX);
  oy = static_cast<int32_t>(OY);
  ow = static_cast<int32_t>(OW);
  oh = static_cast<int32_t>(OH);
  return true;
}

// The scaled two-image rule: against the source (destination as partner), then against the
// destination (source as partner). Any size that is or becomes zero or negative gives false.
// The last check is the guarantee that the sampling loops stay inside both images whatever the
// rounding did.
inline bool ClipScaled(const Image& dst, const Image& src, ScaledRect& r) {
  if (!dst.Valid() || !src.Valid()) return false;
  if (!ClipScaledSide(src.width, src.height, r.sx, r.sy, r.sw, r.sh, r.dx, r.dy, r.dw, r.dh))
    return false;
  if (!ClipScaledSide(dst.width, dst.height, r.dx, r.dy, r.dw, r.dh, r.sx, r.sy, r.sw, r.sh))
    return false;
  auto inside = [](int32_t p, int32_t n, int32_t limit) {
    return p >= 0 && n > 0 && static_cast<int64_t>(p) + n <= limit;
  };
  return inside(r.dx, r.dw, dst.width) && inside(r.dy, r.dh, dst.height) &&
         inside(r.sx, r.sw, src.width) && inside(r.sy, r.sh, src.height);
}

// Colour components given as separate arguments are clamped to 0..255.
inline uint32_t Clamp255(int32_t v) {
  return v < 0 ? 0u : (v > 255 ? 255u : static_cast<uint32_t>(v));
}

// Result codes.
inline constexpr int32_t kDone = 0;
inline constexpr int32_t kNothing = 1;
inline constexpr int32_t kBadMode = 2;

}  // namespace blivo

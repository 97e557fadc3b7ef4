// The Au family: conversions between 0xAARRGGBB pixels and a described surface layout (bytes
// per pixel, pitch and channel masks), and writes and blends of BBI rectangles into a locked
// surface. Every descriptor is checked before a byte is touched.
#include "bbi.h"
#include "blivo.h"
#include "rows.h"

namespace {

using blivo::kDone;
using blivo::kNothing;
namespace rows = blivo::rows;

// One channel of a surface: its position and width in bits (0 when absent).
struct Channel {
  uint32_t shift = 0;
  uint32_t bits = 0;
};

bool MakeChannel(uint32_t mask, int32_t bytesPerPixel, Channel& c) {
  c = {};
  if (mask == 0) return true;
  const auto shift = static_cast<uint32_t>(__builtin_ctz(mask));
  const uint32_t run = mask >> shift;
  if ((run & (run + 1)) != 0) return false;  // not contiguous
  c.shift = shift;
  c.bits = static_cast<uint32_t>(__builtin_popcount(mask));
  return c.bits <= 8 && shift + c.bits <= static_cast<uint32_t>(bytesPerPixel) * 8;
}

struct Format {
  int32_t bytes = 0;
  Channel ch[4];      // alpha, red, green, blue: the byte order of a packed pixel from the top
  uint32_t used = 0;  // the union of the masks; other bits of a surface pixel are left alone
};

// Checks a surface: sizes, pitch against the row, pixel size, masks. kBad when malformed.
rows::Fit Describe(const BlivoSurface* s, Format& f) {
  if (s == nullptr || s->bytesPerPixel < 1 || s->bytesPerPixel > 4) return rows::Fit::kBad;
  f.bytes = s->bytesPerPixel;
  const uint32_t masks[4] = {s->alphaMask, s->redMask, s->greenMask, s->blueMask};
  for (int k = 0; k < 4; ++k)
    if (!MakeChannel(masks[k], f.bytes, f.ch[k])) return rows::Fit::kBad;
  f.used = s->alphaMask | s->redMask | s->greenMask | s->blueMask;
  if (s->width < 0 || s->height < 0) return rows::Fit::kBad;
  return rows::Check(int64_t{s->width} * f.bytes, s->pitch, s->height);
}

uint32_t LoadRaw(const uint8_t* p, int32_t bytes) {
  uint32_t v = 0;
  for (int32_t k = 0; k < bytes; ++k) v |= uint32_t{p[k]} << (8 * k);
  return v;
}
void StoreRaw(uint8_t* p, int32_t bytes, uint32_t v) {
  for (int32_t k = 0; k < bytes; ++k) p[k] = static_cast<uint8_t>(v >> (8 * k));
}

// 0xAARRGGBB to the surface's pixel: each channel's top bits.
uint32_t Encode(const Format& f, uint32_t argb) {
  uint32_t out = 0;
  for (int k = 0; k < 4; ++k) {
    const Channel& c = f.ch[k];
    if (c.bits == 0) continue;
    const uint32_t byte = (argb >> (24 - 8 * k)) & 0xFFu;
    out |= (byte >> (8 - c.bits)) << c.shift;
  }
  return out;
}

// The surface's pixel to 0xAARRGGBB: channels widened by repeating their bits, an absent alpha 255.
uint32_t Decode(const Format& f, uint32_t raw) {
  uint32_t out = 0;
  for (int k = 0; k < 4; ++k) {
    const Channel& c = f.ch[k];
    uint32_t byte = k == 0 ? 255u : 0u;
    if (c.bits != 0) {
      const uint32_t v = (raw >> c.shift) & ((1u << c.bits) - 1u);
      byte = v << (8 - c.bits);
      for (uint32_t filled = c.bits; filled < 8; filled += c.bits) byte |= byte >> c.bits;
      byte &= 0xFFu;
    }
    out |= byte << (24 - 8 * k);
  }
  return out;
}

// A clipped BBI rectangle into the surface through fn(surfacePixel, imagePixel).
template <typename F>
int32_t IntoSurface(void* surface, const BlivoSurface* desc, const void* image, int32_t dx,
                    int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy, F fn) {
  Format f;
  if (Describe(desc, f) != rows::Fit::kOk || surface == nullptr || image == nullptr)
    return kNothing;
  blivo::Image target;
  target.pixels = static_cast<uint8_t*>(surface);
  target.width = desc->width;
  target.height = desc->height;
  target.stride = desc->pitch;
  const blivo::Image src = blivo::View(image);
  blivo::BlitRect r{dx, dy, w, h, sx, sy};
  if (!blivo::ClipBlit(target, src, r)) return kNothing;
  for (int32_t j = 0; j < r.h; ++j) {
    uint8_t* row = rows::At<uint8_t>(surface, desc->pitch, int64_t{r.dy} + j);
    const uint8_t* in = src.pixels + int64_t{src.stride} * (r.sy + j);
    for (int32_t i = 0; i < r.w; ++i) {
      uint8_t* p = row + (int64_t{r.dx} + i) * f.bytes;
      const uint32_t raw = LoadRaw(p, f.bytes);
      StoreRaw(p, f.bytes,
               (raw & ~f.used) | fn(f, raw, rows::Load32(in + 4 * (int64_t{r.sx} + i))));
    }
  }
  return kDone;
}

}  // namespace

extern "C" {

BLIVO_API int32_t AuFormatPixel(void* dst, const BlivoSurface* dstDesc, const void* src,
                                const BlivoSurface* srcDesc, int32_t, int32_t flags) {
  const bool self = (flags & 1) != 0;
  Format fd, fs;
  const rows::Fit dFit = Describe(dstDesc, fd);
  if (dFit == rows::Fit::kBad || fd.bytes != 4) return kNothing;
  int32_t w = dstDesc->width, h = dstDesc->height;
  if (!self) {
    const rows::Fit sFit = Describe(srcDesc, fs);
    if (sFit == rows::Fit::kBad || fs.bytes != 4) return kNothing;
    if (srcDesc->width < w) w = srcDesc->width;
    if (srcDesc->height < h) h = srcDesc->height;
  }
  if (w == 0 || h == 0) return kDone;
  if (dst == nullptr || (!self && src == nullptr)) return kNothing;
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* d = rows::At<uint8_t>(dst, dstDesc->pitch, y);
    const uint8_t* s = self ? d : rows::At<uint8_t>(src, srcDesc->pitch, y);
    for (int32_t x = 0; x < w; ++x) rows::Store32(d + 4 * x, uint32_t{s[4 * x + 3]} * 0x01010101u);
  }
  return kDone;
}

BLIVO_API int32_t AuFormatMap(void* dst, const BlivoSurface* dstDesc, const void* src,
                              int32_t srcStride) {
  Format f;
  const rows::Fit fit = Describe(dstDesc, f);
  if (fit == rows::Fit::kBad) return kNothing;
  const rows::Fit sFit = rows::Check(int64_t{dstDesc->width} * 4, srcStride, dstDesc->height);
  if (fit == rows::Fit::kEmpty || sFit == rows::Fit::kEmpty) return kDone;
  if (sFit == rows::Fit::kBad || dst == nullptr || src == nullptr) return kNothing;
  for (int32_t y = 0; y < dstDesc->height; ++y) {
    uint8_t* d = rows::At<uint8_t>(dst, dstDesc->pitch, y);
    const uint8_t* s = rows::At<uint8_t>(src, srcStride, y);
    for (int32_t x = 0; x < dstDesc->width; ++x)
      StoreRaw(d + int64_t{x} * f.bytes, f.bytes, Encode(f, rows::Load32(s + 4 * int64_t{x})));
  }
  return kDone;
}

BLIVO_API int32_t AuFormatFromDIB(void* dst, int32_t dstStride, const void* src,
                                  const BlivoSurface* srcDesc) {
  Format f;
  const rows::Fit fit = Describe(srcDesc, f);
  if (fit == rows::Fit::kBad) return kNothing;
  const rows::Fit dFit = rows::Check(int64_t{srcDesc->width} * 4, dstStride, srcDesc->height);
  if (fit == rows::Fit::kEmpty || dFit == rows::Fit::kEmpty) return kDone;
  if (dFit == rows::Fit::kBad || dst == nullptr || src == nullptr) return kNothing;
  const int32_t h = srcDesc->height;
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* d = rows::At<uint8_t>(dst, dstStride, y);
    const uint8_t* s = rows::At<uint8_t>(src, srcDesc->pitch, h - 1 - y);
    for (int32_t x = 0; x < srcDesc->width; ++x)
      rows::Store32(d + 4 * int64_t{x}, Decode(f, LoadRaw(s + int64_t{x} * f.bytes, f.bytes)));
  }
  return kDone;
}

BLIVO_API int32_t AuDDSWrite(void* surface, const BlivoSurface* desc, const void* image, int32_t dx,
                             int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return IntoSurface(surface, desc, image, dx, dy, w, h, sx, sy,
                     [](const Format& f, uint32_t, uint32_t s) { return Encode(f, s); });
}

BLIVO_API int32_t AuDDSBrend(void* surface, const BlivoSurface* desc, const void* image, int32_t dx,
                             int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return IntoSurface(surface, desc, image, dx, dy, w, h, sx, sy,
                     [](const Format& f, uint32_t raw, uint32_t s) {
                       const uint32_t d = Decode(f, raw), a = s >> 24;
                       uint32_t out = d & 0xFF000000u;
                       for (int k = 0; k < 24; k += 8)
                         out |= rows::AlphaByte((s >> k) & 0xFFu, (d >> k) & 0xFFu, a) << k;
                       return Encode(f, out);
                     });
}

}  // extern "C"

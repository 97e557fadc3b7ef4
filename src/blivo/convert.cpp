// Conversions between BBI rows and the pixel formats of bitmaps and display surfaces: bottom-up
// 8/24/32-bit bitmaps into a BBI, 32-bit rows out to 16/24/32-bit runs, with optional fade,
// saturation and curve filtering.
#include <cstring>

#include "bbi.h"
#include "convert_kernels.h"
#include "cpu.h"
#include "blivo.h"
#include "pixel_math.h"

namespace {

using namespace blivo;

inline uint16_t To565(uint32_t p) {
  return static_cast<uint16_t>(((p >> 8) & 0xF800u) | ((p >> 5) & 0x07E0u) | ((p >> 3) & 0x001Fu));
}
inline uint16_t To555(uint32_t p) {
  return static_cast<uint16_t>(((p >> 9) & 0x7C00u) | ((p >> 6) & 0x03E0u) | ((p >> 3) & 0x001Fu));
}
inline uint16_t To444(uint32_t p) {
  return static_cast<uint16_t>(((p >> 16) & 0xF000u) | ((p >> 12) & 0x0F00u) |
                               ((p >> 8) & 0x00F0u) | ((p >> 4) & 0x000Fu));
}

inline void Put16(uint8_t* out, int32_t i, uint16_t v) { std::memcpy(out + 2 * i, &v, 2); }
inline void Put24(uint8_t* out, int32_t i, uint32_t p) {
  out[3 * i] = static_cast<uint8_t>(p);
  out[3 * i + 1] = static_cast<uint8_t>(p >> 8);
  out[3 * i + 2] = static_cast<uint8_t>(p >> 16);
}

enum class Format { k555, k565, k888, k4444, k8888, kNone };

Format FormatOf(int32_t code) {
  switch (code) {
    case 555: return Format::k555;
    case 565: return Format::k565;
    case 888: return Format::k888;
    case 4444: return Format::k4444;
    case 8888: return Format::k8888;
    default: return Format::kNone;
  }
}

// Writes count pixels, each passed through filter first.
template <class Filter>
void WriteRun(uint8_t* out, const uint8_t* in, int32_t count, Format format, Filter filter) {
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t p = filter(LoadU32(in + 4 * static_cast<size_t>(i)));
    switch (format) {
      case Format::k555: Put16(out, i, To555(p)); break;
      case Format::k565: Put16(out, i, To565(p)); break;
      case Format::k888: Put24(out, i, p); break;
      case Format::k4444: Put16(out, i, To444(p)); break;
      case Format::k8888: StoreU32(out + 4 * static_cast<size_t>(i), p); break;
      case Format::kNone: return;
    }
  }
}

bool RunArgsOk(const void* dst, const void* src, int32_t count) {
  return count >= 0 && (count == 0 || (dst != nullptr && src != nullptr));
}

// A bottom-up bitmap into the whole image: image row y takes stored row height - 1 - y.
template <class Row>
int32_t FromBitmap(void* image, const void* bits, int32_t stride, int32_t bytesPerPixel,
                   Row convertRow) {
  const Image img = View(image);
  if (!img.Valid() || bits == nullptr) return kNothing;
  if (static_cast<int64_t>(stride) < static_cast<int64_t>(img.width) * bytesPerPixel)
    return kNothing;
  const auto* base = static_cast<const uint8_t*>(bits);
  for (int32_t y = 0; y < img.height; ++y) {
    const uint8_t* stored = base + static_cast<size_t>(img.height - 1 - y) * static_cast<size_t>(stride);
    convertRow(img.Row(y), stored, img.width);
  }
  return kDone;
}

}  // namespace

void blivo::To32From24_Ref(uint32_t* out, const uint8_t* in, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    out[i] = static_cast<uint32_t>(in[3 * i]) | static_cast<uint32_t>(in[3 * i + 1]) << 8 |
             static_cast<uint32_t>(in[3 * i + 2]) << 16;
}

const blivo::ConvertKernels blivo::kConvert_Ref{"reference", blivo::To32From24_Ref};

extern "C" {

BLIVO_API int32_t BBIBltTo32from8(void* image, const void* bits, const void* palette,
                                  int32_t stride) {
  if (palette == nullptr) return kNothing;
  const auto* pal = static_cast<const uint8_t*>(palette);
  return FromBitmap(image, bits, stride, 1, [pal](uint32_t* out, const uint8_t* in, int32_t n) {
    for (int32_t i = 0; i < n; ++i) out[i] = LoadU32(pal + 4u * in[i]);
  });
}

BLIVO_API int32_t BBIBltTo32from24(void* image, const void* bits, int32_t stride) {
  return FromBitmap(image, bits, stride, 3, ActiveConvertKernels().to32From24);
}

BLIVO_API int32_t BBIBltTo32from32(void* image, const void* bits, int32_t stride) {
  return FromBitmap(image, bits, stride, 4, [](uint32_t* out, const uint8_t* in, int32_t n) {
    std::memmove(out, in, static_cast<size_t>(n) * 4u);
  });
}

BLIVO_API int32_t BBIBltTo16As565(void* dst16, const void* src32, int32_t count) {
  if (!RunArgsOk(dst16, src32, count)) return kNothing;
  WriteRun(static_cast<uint8_t*>(dst16), static_cast<const uint8_t*>(src32), count,
           Format::k565, [](uint32_t p) { return p; });
  return kDone;
}

BLIVO_API int32_t BBIBltTo16As555(void* dst16, const void* src32, int32_t count) {
  if (!RunArgsOk(dst16, src32, count)) return kNothing;
  WriteRun(static_cast<uint8_t*>(dst16), static_cast<const uint8_t*>(src32), count,
           Format::k555, [](uint32_t p) { return p; });
  return kDone;
}

BLIVO_API int32_t BBIBltTo16As444(void* dst16, const void* src32, int32_t count) {
  if (!RunArgsOk(dst16, src32, count)) return kNothing;
  WriteRun(static_cast<uint8_t*>(dst16), static_cast<const uint8_t*>(src32), count,
           Format::k4444, [](uint32_t p) { return p; });
  return kDone;
}

BLIVO_API int32_t BBIBltTo24As888(void* dst, const void* src32, int32_t count) {
  if (!RunArgsOk(dst, src32, count)) return kNothing;
  WriteRun(static_cast<uint8_t*>(dst), static_cast<const uint8_t*>(src32), count, Format::k888,
           [](uint32_t p) { return p; });
  return kDone;
}

BLIVO_API int32_t BBIBltToX(void* dst, const void* src32, int32_t count, int32_t format,
                            uint32_t colour, float fraction) {
  const Format f = FormatOf(format);
  if (f == Format::kNone) return kBadMode;
  if (!RunArgsOk(dst, src32, count)) return kNothing;
  const uint32_t k = FractionWeight(fraction);
  WriteRun(static_cast<uint8_t*>(dst), static_cast<const uint8_t*>(src32), count, f,
           [colour, k](uint32_t p) { return Lerp256(colour, p, k); });
  return kDone;
}

BLIVO_API int32_t BBIBltToF(void* dst, const void* src32, int32_t count, int32_t format,
                            uint32_t colour, float fraction, float saturation, int32_t useTable,
                            const void* table) {
  const Format f = FormatOf(format);
  if (f == Format::kNone) return kBadMode;
  if (!RunArgsOk(dst, src32, count)) return kNothing;
  if (useTable != 0 && table == nullptr) return kNothing;
  const auto* curve = useTable != 0 ? static_cast<const uint8_t*>(table) : nullptr;
  const uint32_t k = FractionWeight(fraction);
  WriteRun(static_cast<uint8_t*>(dst), static_cast<const uint8_t*>(src32), count, f,
           [=](uint32_t p) {
             p = Saturate(p, saturation);
             if (curve != nullptr)
               p = (p & 0xFF000000u) | static_cast<uint32_t>(curve[512 + ByteOf(p, 2)]) << 16 |
                   static_cast<uint32_t>(curve[256 + ByteOf(p, 1)]) << 8 | curve[ByteOf(p, 0)];
             return Lerp256(colour, p, k);
           });
  return kDone;
}

}  // extern "C"

// One-image operations (clears, masked fills, colour keying into alpha) and the image
// comparison. Clears run through the kernel table's fill.
#include "bbi.h"
#include "blit_kernels.h"
#include "blivo.h"
#include "pixel_math.h"

namespace {

using namespace blivo;

int32_t FillImage(void* image, uint32_t colour, uint32_t mask) {
  const Image img = View(image);
  if (!img.Valid()) return kNothing;
  const FillFn fill = ActiveBlitKernels().fill;
  for (int32_t y = 0; y < img.height; ++y) fill(img.Row(y), img.width, colour, mask);
  return kDone;
}

uint32_t Colour(int32_t r, int32_t g, int32_t b, int32_t a) {
  return Pack(Clamp255(a), Clamp255(r), Clamp255(g), Clamp255(b));
}

}  // namespace

extern "C" {

BLIVO_API int32_t BBIClear(void* image, int32_t r, int32_t g, int32_t b, int32_t a) {
  return FillImage(image, Colour(r, g, b, a), 0);
}

BLIVO_API int32_t BBIClearRGB(void* image, int32_t r, int32_t g, int32_t b) {
  return FillImage(image, Colour(r, g, b, 0), 0xFF000000u);
}

BLIVO_API int32_t BBIClearMask(void* image, int32_t r, int32_t g, int32_t b, int32_t a,
                               uint32_t mask) {
  return FillImage(image, Colour(r, g, b, a), mask);
}

BLIVO_API int32_t BBIBltColor(void* image, int32_t x, int32_t y, int32_t w, int32_t h,
                              uint32_t mask, uint32_t xorValue, uint32_t colour) {
  const Image img = View(image);
  Rect r{x, y, w, h};
  if (!ClipOne(img, r)) return kNothing;
  const bool plain = mask == 0 && xorValue == 0;
  const FillFn fill = ActiveBlitKernels().fill;
  for (int32_t j = 0; j < r.h; ++j) {
    uint32_t* row = img.Row(r.y + j) + r.x;
    if (plain) {
      fill(row, r.w, colour, 0);
    } else {
      const uint32_t keep = colour & ~mask;
      for (int32_t i = 0; i < r.w; ++i) row[i] = keep | (mask & (xorValue ^ row[i]));
    }
  }
  return kDone;
}

BLIVO_API int32_t BBIKeying(void* image, uint32_t keyColour) {
  const Image img = View(image);
  if (!img.Valid()) return kNothing;
  const uint32_t key = keyColour & 0x00FFFFFFu;
  for (int32_t y = 0; y < img.height; ++y) {
    uint32_t* row = img.Row(y);
    for (int32_t i = 0; i < img.width; ++i) {
      const uint32_t c = row[i] & 0x00FFFFFFu;
      row[i] = c == key ? c : (c | 0xFF000000u);
    }
  }
  return kDone;
}

BLIVO_API int32_t BBICompare(const void* image1, const void* image2, int32_t mode) {
  const Image a = View(image1), b = View(image2);
  if (!a.Valid() || !b.Valid() || a.width != b.width || a.height != b.height) return kNothing;
  uint32_t mask = 0;  // bits compared between the images
  uint32_t want = 0;  // for the one-image modes: the alpha every pixel must have
  switch (mode) {
    case 0: mask = 0xFFFFFFFFu; break;
    case 1: mask = 0x00FFFFFFu; break;
    case 2: mask = 0xFF000000u; break;
    case 4: want = 0x00000000u; break;
    case 5: want = 0xFF000000u; break;
    default: return kBadMode;
  }
  const bool alone = mode >= 4;
  for (int32_t y = 0; y < a.height; ++y) {
    const uint32_t* ra = a.Row(y);
    const uint32_t* rb = b.Row(y);
    for (int32_t i = 0; i < a.width; ++i) {
      const bool fails = alone ? (ra[i] & 0xFF000000u) != want : ((ra[i] ^ rb[i]) & mask) != 0;
      if (fails) return kNothing;
    }
  }
  return kDone;
}

}  // extern "C"

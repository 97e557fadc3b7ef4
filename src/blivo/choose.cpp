// Channel routing between two images over their overlap from (0, 0): any byte of either image
// to any channel (BBIChooseRGBA), and alpha/grey exchange (BBIChooseCA, BBIChooseCATR).
// Every pixel's bytes are read before any is written, so both images may be the same.
#include "bbi.h"
#include "blivo.h"
#include "pixel_math.h"

namespace blivo {

namespace {

// Byte positions of the code's channel (0 red, 1 green, 2 blue, 3 alpha) in 0xAARRGGBB.
constexpr int kShiftOf[4] = {16, 8, 0, 24};

template <typename Op>
int32_t OverPairs(void* dstBlock, const void* srcBlock, Op op) {
  const Image dst = View(dstBlock);
  const Image src = View(srcBlock);
  if (!dst.Valid() || !src.Valid()) return kNothing;
  const int32_t w = dst.width < src.width ? dst.width : src.width;
  const int32_t h = dst.height < src.height ? dst.height : src.height;
  for (int32_t y = 0; y < h; ++y) {
    uint32_t* d = dst.Row(y);
    const uint32_t* s = src.Row(y);
    for (int32_t x = 0; x < w; ++x) d[x] = op(d[x], s[x]);
  }
  return kDone;
}

inline uint32_t Pick(uint32_t d, uint32_t s, int32_t code) {
  const uint32_t from = (code & 4) ? d : s;
  return (from >> kShiftOf[code & 3]) & 0xFFu;
}

// Grey of the colour bytes: (R + G + B) / 3, or the weighted trunc(0.2125 R + 0.7154 G +
// 0.0721 B) computed exactly in integers.
inline uint32_t GreyMean(uint32_t p) { return (ByteOf(p, 2) + ByteOf(p, 1) + ByteOf(p, 0)) / 3; }
inline uint32_t GreyWeighted(uint32_t p) {
  return (2125u * ByteOf(p, 2) + 7154u * ByteOf(p, 1) + 721u * ByteOf(p, 0)) / 10000u;
}

template <uint32_t (*Grey)(uint32_t)>
int32_t ChooseCA(void* dst, const void* src, int32_t flags1, int32_t flags2) {
  const bool alphaToColour = (flags1 & 1) != 0 && (flags2 & 1) != 0;
  const bool valueFromDst = (flags1 & 2) != 0;
  const bool keptFromDst = (flags2 & 2) != 0;
  return OverPairs(dst, src, [=](uint32_t d, uint32_t s) {
    const uint32_t from = valueFromDst ? d : s;
    const uint32_t kept = keptFromDst ? d : s;
    if (alphaToColour) return (kept & 0xFF000000u) | (AlphaOf(from) * 0x010101u);
    return (kept & 0x00FFFFFFu) | (Grey(from) << 24);
  });
}

}  // namespace

}  // namespace blivo

using namespace blivo;

extern "C" BLIVO_API int32_t BBIChooseRGBA(void* dst, const void* src, int32_t rCode,
                                           int32_t gCode, int32_t bCode, int32_t aCode) {
  return OverPairs(dst, src, [=](uint32_t d, uint32_t s) {
    return Pack(Pick(d, s, aCode), Pick(d, s, rCode), Pick(d, s, gCode), Pick(d, s, bCode));
  });
}

extern "C" BLIVO_API int32_t BBIChooseCA(void* dst, const void* src, int32_t flags1,
                                         int32_t flags2) {
  return ChooseCA<GreyMean>(dst, src, flags1, flags2);
}

extern "C" BLIVO_API int32_t BBIChooseCATR(void* dst, const void* src, int32_t flags1,
                                           int32_t flags2) {
  return ChooseCA<GreyWeighted>(dst, src, flags1, flags2);
}

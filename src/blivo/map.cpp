// Colour maps: every pixel's bytes looked up in per-channel curves held as the rows of a map
// image, the row chosen by alpha, colour sum or position. Clipped as every two-image blit.
#include "blit_walk.h"
#include "blivo.h"
#include "pixel_math.h"

namespace {

using namespace blivo;

enum class Lookup { kSource, kDest };
enum class RowBy { kFirst, kAlpha, kColour, kX, kY };

// The four curves of one map row, applied to the bytes of v. keepAlpha leaves byte 3 as old's.
inline uint32_t Apply(const uint32_t* mapRow, uint32_t v, bool keepAlpha, uint32_t old) {
  const uint32_t b = ByteOf(mapRow[ByteOf(v, 0)], 0);
  const uint32_t g = ByteOf(mapRow[ByteOf(v, 1)], 1);
  const uint32_t r = ByteOf(mapRow[ByteOf(v, 2)], 2);
  const uint32_t a = keepAlpha ? AlphaOf(old) : ByteOf(mapRow[ByteOf(v, 3)], 3);
  return Pack(a, r, g, b);
}

// Truncated n * (rows - 1) / den: the floating-point quotient of two integers far below 2^53
// truncates exactly as the integer division does.
inline int32_t Pick(int64_t n, int32_t last, int64_t den) {
  return static_cast<int32_t>(n * last / den);
}

int32_t RunMap(void* dst, const void* src, const void* map, int32_t dx, int32_t dy, int32_t w,
               int32_t h, int32_t sx, int32_t sy, Lookup lookup, RowBy by, bool keepAlpha) {
  const Image m = View(map);
  if (!m.Valid() || m.width < 256) return kNothing;
  Walk walk;
  if (!ClipWalk(dst, src, dx, dy, w, h, sx, sy, walk)) return kNothing;
  const int32_t last = m.height - 1;
  for (int32_t j = 0; j < walk.r.h; ++j) {
    uint32_t* d = walk.DstRow(j);
    const uint32_t* s = walk.SrcRow(j);
    for (int32_t i = 0; i < walk.r.w; ++i) {
      const uint32_t sp = s[i], dp = d[i];
      int32_t row = 0;
      switch (by) {
        case RowBy::kFirst: break;
        case RowBy::kAlpha: row = Pick(AlphaOf(sp), last, 255); break;
        case RowBy::kColour:
          row = Pick(ByteOf(sp, 0) + ByteOf(sp, 1) + ByteOf(sp, 2), last, 765);
          break;
        case RowBy::kX: row = walk.r.w > 1 ? Pick(i, last, walk.r.w - 1) : 0; break;
        case RowBy::kY: row = walk.r.h > 1 ? Pick(j, last, walk.r.h - 1) : 0; break;
      }
      d[i] = Apply(m.Row(row), lookup == Lookup::kSource ? sp : dp, keepAlpha, dp);
    }
  }
  return kDone;
}

}  // namespace

extern "C" {

BLIVO_API int32_t BBIMapUC(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                           int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return RunMap(dst, src, map, dx, dy, w, h, sx, sy, Lookup::kSource, RowBy::kFirst, false);
}
BLIVO_API int32_t BBIMapUCVA(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return RunMap(dst, src, map, dx, dy, w, h, sx, sy, Lookup::kSource, RowBy::kAlpha, false);
}
BLIVO_API int32_t BBIMapUDVA(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return RunMap(dst, src, map, dx, dy, w, h, sx, sy, Lookup::kDest, RowBy::kAlpha, false);
}
BLIVO_API int32_t BBIMapMCUCVA(void* dst, const void* src, const void* map, int32_t dx,
                               int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return RunMap(dst, src, map, dx, dy, w, h, sx, sy, Lookup::kSource, RowBy::kAlpha, true);
}
BLIVO_API int32_t BBIMapMCUDVA(void* dst, const void* src, const void* map, int32_t dx,
                               int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return RunMap(dst, src, map, dx, dy, w, h, sx, sy, Lookup::kDest, RowBy::kAlpha, true);
}
BLIVO_API int32_t BBIMapUCVC(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return RunMap(dst, src, map, dx, dy, w, h, sx, sy, Lookup::kSource, RowBy::kColour, false);
}
BLIVO_API int32_t BBIMapUDVC(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return RunMap(dst, src, map, dx, dy, w, h, sx, sy, Lookup::kDest, RowBy::kColour, false);
}
BLIVO_API int32_t BBIMapUCVX(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return RunMap(dst, src, map, dx, dy, w, h, sx, sy, Lookup::kSource, RowBy::kX, false);
}
BLIVO_API int32_t BBIMapUCVY(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return RunMap(dst, src, map, dx, dy, w, h, sx, sy, Lookup::kSource, RowBy::kY, false);
}

}  // extern "C"

// The plain two-image blits: copy, saturating and per-byte rules, keying, depth tests and the
// 2 x 2 reduction. Hot ones run through the kernel table (blit_kernels.h).
#include <cstring>

#include "blit_walk.h"
#include "blivo.h"
#include "cpu.h"
#include "pixel_math.h"

namespace blivo {

void CopyRow(uint32_t* d, const uint32_t* s, int32_t n) {
  if (!ForwardHazard(d, s, n)) {
    // No pixel is read after being written, so any copy order gives the same words.
    std::memmove(d, s, static_cast<size_t>(n) * 4u);
    return;
  }
  // The destination starts inside the source span: the walk re-reads what it wrote, which
  // repeats the first (d - s) pixels along the row. Volatile keeps this a true walk.
  volatile uint32_t* vd = d;
  const volatile uint32_t* vs = s;
  for (int32_t i = 0; i < n; ++i) vd[i] = vs[i];
}

void CopyWalk(const Walk& walk) {
  // Whole rows of two unpadded images lie back to back: one copy does them all, unless the
  // destination starts inside the source span, where only the row walk gives the right words.
  const int64_t rowBytes = int64_t{walk.r.w} * 4;
  if (walk.d.stride == rowBytes && walk.s.stride == rowBytes && walk.r.h > 1) {
    uint32_t* d = walk.DstRow(0);
    const uint32_t* s = walk.SrcRow(0);
    const int64_t total = rowBytes * walk.r.h;
    const auto di = reinterpret_cast<uintptr_t>(d), si = reinterpret_cast<uintptr_t>(s);
    if (!(di > si && static_cast<int64_t>(di - si) < total)) {
      std::memmove(d, s, static_cast<size_t>(total));
      return;
    }
  }
  for (int32_t j = 0; j < walk.r.h; ++j) CopyRow(walk.DstRow(j), walk.SrcRow(j), walk.r.w);
}

void KeyingWalk(const Walk& walk) {
  RowArgs args;
  args.key = walk.s.At(0, 0);
  WalkRows(walk, ActiveBlitKernels().keying, kBlit_Ref.keying, args);
}

namespace {

bool Overlaps(const void* a, int64_t aBytes, const void* b, int64_t bBytes) {
  const auto ai = reinterpret_cast<uintptr_t>(a), bi = reinterpret_cast<uintptr_t>(b);
  return ai < bi + static_cast<uint64_t>(bBytes) && bi < ai + static_cast<uint64_t>(aBytes);
}

}  // namespace

}  // namespace blivo

using namespace blivo;

extern "C" {

BLIVO_API int32_t BBIBlt(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                         int32_t h, int32_t sx, int32_t sy) {
  Walk walk;
  if (!ClipWalk(dst, src, dx, dy, w, h, sx, sy, walk)) return kNothing;
  CopyWalk(walk);
  return kDone;
}

BLIVO_API int32_t BBIBltAdd(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy) {
  // The switch only picks the loop; both give the same pixels.
  const bool vector = MmxSwitch() == 1 && CpuClass() >= 4;
  const RowFn ref = kBlit_Ref.add;
  return BlitRows(dst, src, dx, dy, w, h, sx, sy, vector ? ActiveBlitKernels().add : ref, ref);
}

BLIVO_API int32_t BBIBltSub(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy) {
  return BlitRows(dst, src, dx, dy, w, h, sx, sy, ActiveBlitKernels().sub,
                  kBlit_Ref.sub);
}

BLIVO_API int32_t BBIBltXor(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy) {
  return BlitPixels(dst, src, dx, dy, w, h, sx, sy, AbsDiff);
}

BLIVO_API int32_t BBIBltNot(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy) {
  return BlitPixels(dst, src, dx, dy, w, h, sx, sy, [](uint32_t, uint32_t s) { return ~s; });
}

BLIVO_API int32_t BBIBltMin(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy) {
  return BlitPixels(dst, src, dx, dy, w, h, sx, sy, MinBytes);
}

BLIVO_API int32_t BBIBltMax(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy) {
  return BlitPixels(dst, src, dx, dy, w, h, sx, sy, MaxBytes);
}

BLIVO_API int32_t BBIBltKeying(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                               int32_t h, int32_t sx, int32_t sy) {
  Walk walk;
  if (!ClipWalk(dst, src, dx, dy, w, h, sx, sy, walk)) return kNothing;
  KeyingWalk(walk);
  return kDone;
}

BLIVO_API int32_t BBIBltShiftAlpha(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                                   int32_t h, int32_t sx, int32_t sy) {
  return BlitPixels(dst, src, dx, dy, w, h, sx, sy,
                    [](uint32_t, uint32_t s) { return AlphaOf(s) * 0x01010101u; });
}

BLIVO_API int32_t BBIBltShiftBlock(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                                   int32_t h, int32_t sx, int32_t sy) {
  return BlitPixels(dst, src, dx, dy, w, h, sx, sy, [](uint32_t d, uint32_t s) {
    return s > 0x80u ? ((~d & 0x007FC0C0u) | 0x00800000u) : d;
  });
}

BLIVO_API int32_t BBIDepth(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                           int32_t h, int32_t sx, int32_t sy) {
  return BlitPixels(dst, src, dx, dy, w, h, sx, sy,
                    [](uint32_t d, uint32_t s) { return s > (d | 0x00FFFFFFu) ? s : d; });
}

BLIVO_API int32_t BBIDepthMask(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                               int32_t h, int32_t sx, int32_t sy, uint32_t mask) {
  return BlitPixels(dst, src, dx, dy, w, h, sx, sy, [mask](uint32_t d, uint32_t s) {
    return s > (d | 0x00FFFFFFu) ? ((s & ~mask) | (d & mask)) : d;
  });
}

BLIVO_API int32_t BBIBltHalfSize(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                                 int32_t h, int32_t sx, int32_t sy) {
  const Image d = View(dst), s = View(src);
  if (!d.Valid() || !s.Valid()) return kNothing;
  if (dx < 0 || dy < 0 || sx < 0 || sy < 0 || w <= 0 || h <= 0) return kNothing;
  const int64_t w64 = w, h64 = h;
  if (dx + w64 > d.width || dy + h64 > d.height) return kNothing;
  if (sx + 2 * w64 > s.width || sy + 2 * h64 > s.height) return kNothing;
  const HalfFn fast = ActiveBlitKernels().halfSize, ref = kBlit_Ref.halfSize;
  const int64_t readBytes = 2 * w64 * 4;
  for (int32_t j = 0; j < h; ++j) {
    uint32_t* out = d.Row(dy + j) + dx;
    const uint32_t* s0 = s.Row(sy + 2 * j) + sx;
    const uint32_t* s1 = s.Row(sy + 2 * j + 1) + sx;
    // Writing over the start of the row being read is safe in any order; other overlaps are
    // left to the pixel-by-pixel walk.
    const bool hazard = (out != s0 && Overlaps(out, w64 * 4, s0, readBytes)) ||
                        (out != s1 && Overlaps(out, w64 * 4, s1, readBytes));
    (hazard ? ref : fast)(out, s0, s1, w);
  }
  return kDone;
}

}  // extern "C"

// The skeleton every two-image blit shares: clip with the two-image rule, then hand each clipped
// row to a per-pixel rule or a row kernel. Relies on bbi.h (clipping) and blit_kernels.h.
#pragma once

#include <cstdint>

#include "bbi.h"
#include "blit_kernels.h"

namespace blivo {

// A clipped two-image blit ready to walk.
struct Walk {
  Image d, s;
  BlitRect r{};

  uint32_t* DstRow(int32_t j) const { return d.Row(r.dy + j) + r.dx; }
  const uint32_t* SrcRow(int32_t j) const { return s.Row(r.sy + j) + r.sx; }
};

inline bool ClipWalk(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w, int32_t h,
                     int32_t sx, int32_t sy, Walk& walk) {
  walk.d = View(dst);
  walk.s = View(src);
  walk.r = BlitRect{dx, dy, w, h, sx, sy};
  return ClipBlit(walk.d, walk.s, walk.r);
}

// d = px(d, s) for every pixel, rows top to bottom, each left to right.
template <class Px>
void WalkPixels(const Walk& walk, Px px) {
  for (int32_t j = 0; j < walk.r.h; ++j) {
    uint32_t* d = walk.DstRow(j);
    const uint32_t* s = walk.SrcRow(j);
    for (int32_t i = 0; i < walk.r.w; ++i) d[i] = px(d[i], s[i]);
  }
}

// Every row through a kernel, or through the reference where the rows overlap so that only a
// pixel-by-pixel walk gives the documented result.
inline void WalkRows(const Walk& walk, RowFn fast, RowFn ref, const RowArgs& args) {
  for (int32_t j = 0; j < walk.r.h; ++j) {
    uint32_t* d = walk.DstRow(j);
    const uint32_t* s = walk.SrcRow(j);
    (ForwardHazard(d, s, walk.r.w) ? ref : fast)(d, s, walk.r.w, args);
  }
}

// The same for a whole two-image blit: clip, walk, result.
inline int32_t BlitRows(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w, int32_t h,
                        int32_t sx, int32_t sy, RowFn fast, RowFn ref,
                        const RowArgs& args = RowArgs{}) {
  Walk walk;
  if (!ClipWalk(dst, src, dx, dy, w, h, sx, sy, walk)) return kNothing;
  WalkRows(walk, fast, ref, args);
  return kDone;
}

template <class Px>
int32_t BlitPixels(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w, int32_t h,
                   int32_t sx, int32_t sy, Px px) {
  Walk walk;
  if (!ClipWalk(dst, src, dx, dy, w, h, sx, sy, walk)) return kNothing;
  WalkPixels(walk, px);
  return kDone;
}

// Copies one clipped row; a forward overlap repeats pixels as a left-to-right walk does.
void CopyRow(uint32_t* d, const uint32_t* s, int32_t n);
// BBIBlt and BBIBltKeying on an already clipped walk (the keyed fade hands over to them).
void CopyWalk(const Walk& walk);
void KeyingWalk(const Walk& walk);

}  // namespace blivo

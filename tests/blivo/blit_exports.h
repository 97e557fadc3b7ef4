// Every two-image blit and colour map as one uniform call, with its extra arguments drawn from
// a small parameter set, so tests and the fuzz target can drive them all with one rectangle.
#pragma once

#include <cstdint>
#include <iterator>

#include "blivo.h"

namespace blittest {

// Extra arguments a blit may take; each export uses the ones it needs.
struct Extras {
  int32_t flag = 0, level = 0, flags4 = 0;
  uint32_t mask = 0;
  float fraction = 0.0f;
  const void* map = nullptr;
};

using AnyBlit = int32_t (*)(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy, const Extras& e);

struct NamedBlit {
  const char* name;
  AnyBlit fn;
};

#define BLITTEST_PLAIN(name)                                                                  \
  {#name, [](void* d, const void* s, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx, \
             int32_t sy, const Extras&) { return name(d, s, dx, dy, w, h, sx, sy); }}
#define BLITTEST_MAP(name)                                                                    \
  {#name, [](void* d, const void* s, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx, \
             int32_t sy, const Extras& e) { return name(d, s, e.map, dx, dy, w, h, sx, sy); }}

inline const NamedBlit kAllBlits[] = {
    BLITTEST_PLAIN(BBIBlt),
    BLITTEST_PLAIN(BBIBltAdd),
    BLITTEST_PLAIN(BBIBltSub),
    BLITTEST_PLAIN(BBIBltXor),
    BLITTEST_PLAIN(BBIBltNot),
    BLITTEST_PLAIN(BBIBltMin),
    BLITTEST_PLAIN(BBIBltMax),
    BLITTEST_PLAIN(BBIBltKeying),
    BLITTEST_PLAIN(BBIBltHalfBlend),
    BLITTEST_PLAIN(BBIBltShiftAlpha),
    BLITTEST_PLAIN(BBIBltShiftBlock),
    BLITTEST_PLAIN(BBIBltHalfSize),
    BLITTEST_PLAIN(BBIDepth),
    {"BBIBltKeyingFX",
     [](void* d, const void* s, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx,
        int32_t sy, const Extras& e) {
       return BBIBltKeyingFX(d, s, dx, dy, w, h, sx, sy, e.flag, e.level);
     }},
    {"BBIBltBlend",
     [](void* d, const void* s, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx,
        int32_t sy, const Extras& e) { return BBIBltBlend(d, s, dx, dy, w, h, sx, sy, e.flag); }},
    {"BBIBltTrueBlend",
     [](void* d, const void* s, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx,
        int32_t sy, const Extras& e) {
       return BBIBltTrueBlend(d, s, dx, dy, w, h, sx, sy, e.fraction);
     }},
    {"BBIBltAlpha",
     [](void* d, const void* s, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx,
        int32_t sy, const Extras& e) {
       return BBIBltAlpha(d, s, dx, dy, w, h, sx, sy, e.flags4 & 1, e.flags4 & 2, e.flags4 & 4,
                          e.flags4 & 8);
     }},
    {"BBIDepthMask",
     [](void* d, const void* s, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx,
        int32_t sy, const Extras& e) { return BBIDepthMask(d, s, dx, dy, w, h, sx, sy, e.mask); }},
    {"BBIFlip",
     [](void* d, const void* s, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx,
        int32_t sy, const Extras& e) { return BBIFlip(d, s, dx, dy, w, h, sx, sy, e.fraction); }},
    {"BBIFlipBlend",
     [](void* d, const void* s, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx,
        int32_t sy, const Extras& e) {
       return BBIFlipBlend(d, s, dx, dy, w, h, sx, sy, e.fraction);
     }},
    BLITTEST_MAP(BBIMapUC),
    BLITTEST_MAP(BBIMapUCVA),
    BLITTEST_MAP(BBIMapUDVA),
    BLITTEST_MAP(BBIMapMCUCVA),
    BLITTEST_MAP(BBIMapMCUDVA),
    BLITTEST_MAP(BBIMapUCVC),
    BLITTEST_MAP(BBIMapUDVC),
    BLITTEST_MAP(BBIMapUCVX),
    BLITTEST_MAP(BBIMapUCVY),
};

#undef BLITTEST_PLAIN
#undef BLITTEST_MAP

inline constexpr size_t kBlitCount = std::size(kAllBlits);

}  // namespace blittest

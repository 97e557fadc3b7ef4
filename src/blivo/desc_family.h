// The descriptor blits shared by the Hi (RGB565) and Tr (32-bit) families: one walker over the
// described rectangle, parameterised by the pixel's arithmetic.
#pragma once

#include <cstdint>

#include "bbi.h"
#include "blivo.h"
#include "rows.h"

namespace blivo::desc {

enum class Member {
  kMov, kMovAdd, kMovSub, kMovHalf, kCmp, kCmpHalf, kColorFill, kColorRect, kColorTile, kFeed,
  kSted, kStencil, kColorStencil, kPalette
};

// Members that do not read the source.
inline bool ReadsSource(Member m) {
  return m != Member::kColorFill && m != Member::kColorRect && m != Member::kColorTile &&
         m != Member::kFeed;
}

// P supplies: Pixel, kBytes, Load, Store, Add, Sub, Half, Lerp, Narrow (a packed argument as a
// pixel), SameKey, and Rows (a whole-row fast path for Mov/MovAdd/MovSub, or false to decline).
template <typename P>
int32_t Run(Member m, void* dst, const void* src, const BlivoDescriptor* d) {
  using Pixel = typename P::Pixel;
  if (d == nullptr) return kNothing;
  const int32_t n = d->count, count = d->rows;
  const bool readsSource = ReadsSource(m);
  const int64_t srcBytes = m == Member::kPalette ? 1 : P::kBytes;
  rows::Fit fit = rows::Check(int64_t{n} * P::kBytes, d->dstStride, count);
  if (readsSource) fit = rows::Both(fit, rows::Check(int64_t{n} * srcBytes, d->srcStride, count));
  if (fit == rows::Fit::kBad) return kNothing;
  if (fit == rows::Fit::kEmpty) return kDone;
  if (dst == nullptr || (readsSource && src == nullptr)) return kNothing;
  if (m == Member::kPalette && d->palette == nullptr) return kNothing;

  const Pixel colour = P::Narrow(d->colour);
  const Pixel key = P::Narrow(d->key);
  const int32_t level = d->level < 0 ? 0 : (d->level > 256 ? 256 : d->level);
  const auto* palette = static_cast<const uint8_t*>(d->palette);
  for (int32_t y = 0; y < count; ++y) {
    uint8_t* dr = rows::At<uint8_t>(dst, d->dstStride, y);
    const uint8_t* sr = readsSource ? rows::At<uint8_t>(src, d->srcStride, y) : nullptr;
    if (P::Rows(m, dr, sr, n)) continue;
    for (int32_t x = 0; x < n; ++x) {
      uint8_t* dp = dr + int64_t{x} * P::kBytes;
      const Pixel s = readsSource && m != Member::kPalette
                          ? P::Load(sr + int64_t{x} * P::kBytes)
                          : Pixel{0};
      const Pixel old = P::Load(dp);
      Pixel out = old;
      switch (m) {
        case Member::kMov: out = s; break;
        case Member::kMovAdd: out = P::Add(old, s); break;
        case Member::kMovSub: out = P::Sub(old, s); break;
        case Member::kMovHalf: out = P::Half(old, s); break;
        case Member::kCmp: if (!P::SameKey(s, key)) out = s; break;
        case Member::kCmpHalf: if (!P::SameKey(s, key)) out = P::Half(old, s); break;
        case Member::kColorFill: out = colour; break;
        case Member::kColorRect:
          if (y == 0 || y == count - 1 || x == 0 || x == n - 1) out = colour;
          break;
        case Member::kColorTile: if (((x + y) & 1) == 0) out = colour; break;
        case Member::kFeed: out = P::Lerp(old, colour, level); break;
        case Member::kSted: if (!P::SameKey(old, key)) out = s; break;
        case Member::kStencil: if (!P::SameKey(s, key)) out = colour; break;
        case Member::kColorStencil: if (!P::SameKey(s, key)) out = P::Half(old, colour); break;
        case Member::kPalette: out = P::Load(palette + int64_t{sr[x]} * P::kBytes); break;
      }
      P::Store(dp, out);
    }
  }
  return kDone;
}

}  // namespace blivo::desc

// The exports of one family: P##Mov ... P##Palette over the traits T.
#define BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, name, member)                                  \
  BLIVO_API int32_t P##name(void* dst, const void* src, int32_t, const BlivoDescriptor* desc) { \
    return blivo::desc::Run<T>(blivo::desc::Member::member, dst, src, desc);                \
  }
#define BLIVO_DEFINE_DESCRIPTOR_FAMILY(P, T)                              \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, Mov, kMov)                         \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, MovAdd, kMovAdd)                   \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, MovSub, kMovSub)                   \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, MovHalf, kMovHalf)                 \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, CMP, kCmp)                         \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, CMPHalf, kCmpHalf)                 \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, ColorFill, kColorFill)             \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, ColorRect, kColorRect)             \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, ColorTile, kColorTile)             \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, Feed, kFeed)                       \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, Sted, kSted)                       \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, Stencil, kStencil)                 \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, ColorStencil, kColorStencil)       \
  BLIVO_DEFINE_DESCRIPTOR_MEMBER(P, T, Palette, kPalette)

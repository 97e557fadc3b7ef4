// Scalar reference rows of the hot blits: the truth the vector kernels are tested against.
#include "blit_kernels.h"

#include <algorithm>

#include "pixel_math.h"

namespace blivo {

uint32_t BlendPixel(uint32_t d, uint32_t s) {
  const uint32_t a = AlphaOf(s);
  if (a == 0) return d;
  if (a == 255) return s;
  return Mix2(s, a, d, 255u - a);
}

uint32_t BlendMmxPixel(uint32_t d, uint32_t s) {
  // floor(a * 256 / 255) is a itself below 255 and 256 at 255.
  const uint32_t a = AlphaOf(s);
  const uint32_t f = a == 255 ? 256u : a;
  return Mix2(s, f, d, 256u - f);
}

uint32_t TrueBlendPixel(uint32_t d, uint32_t s, const uint16_t* fade) {
  const uint32_t sa = AlphaOf(s), da = AlphaOf(d);
  if (sa == 0) return d;
  if (sa == 255 || da == 0) return s;
  const uint32_t v = fade[sa];
  const uint32_t colour = Mix2(s, v, d, 256u - v) & 0x00FFFFFFu;
  return ((da + Div255((255u - da) * sa)) << 24) | colour;
}

uint32_t AlphaPixel(uint32_t d, uint32_t s, uint32_t flags) {
  int32_t m = static_cast<int32_t>(AlphaOf(s));
  const int32_t o = static_cast<int32_t>(AlphaOf(d));
  if (flags & kAlphaSubtract) m = o - m;
  if (flags & kAlphaInvert) m = 255 - m;
  if ((flags & kAlphaKeepMin) && m >= o) m = o;
  if ((flags & kAlphaKeepMax) && o >= m) m = o;
  return (d & 0x00FFFFFFu) | ((static_cast<uint32_t>(m) & 0xFFu) << 24);
}

uint32_t FadeMultiplier(const uint16_t* fade) {
  bool identity = true;
  for (uint32_t i = 0; i < 255; ++i) identity = identity && fade[i] == i;
  if (identity) return 65536;
  if (fade[0] != 0) return 0;
  // The exact set of m with floor(i * m / 65536) == fade[i] is an interval for each i.
  int64_t lo = 1, hi = 65535;
  for (int64_t i = 1; i < 255; ++i) {
    const int64_t v = fade[i];
    lo = std::max(lo, (v * 65536 + i - 1) / i);
    hi = std::min(hi, ((v + 1) * 65536 + i - 1) / i - 1);
  }
  return lo <= hi ? static_cast<uint32_t>(lo) : 0u;
}

namespace {

// Every row walks left to right reading s[i] just before writing d[i], so overlapping rows
// behave exactly as the documented visiting order says.
void Add_Ref(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  for (int32_t i = 0; i < n; ++i) d[i] = AddSat(d[i], s[i]);
}
void Sub_Ref(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  for (int32_t i = 0; i < n; ++i) d[i] = SubSat(d[i], s[i]);
}
void HalfBlend_Ref(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  for (int32_t i = 0; i < n; ++i) d[i] = HalfMean(s[i], d[i]);
}
void Keying_Ref(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs& a) {
  for (int32_t i = 0; i < n; ++i) {
    const uint32_t p = s[i];
    if (p != a.key) d[i] = p;
  }
}
void Blend_Ref(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  for (int32_t i = 0; i < n; ++i) d[i] = BlendPixel(d[i], s[i]);
}
void BlendMmx_Ref(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs&) {
  for (int32_t i = 0; i < n; ++i) d[i] = BlendMmxPixel(d[i], s[i]);
}
void TrueBlend_Ref(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs& a) {
  for (int32_t i = 0; i < n; ++i) d[i] = TrueBlendPixel(d[i], s[i], a.fade);
}
void Alpha_Ref(uint32_t* d, const uint32_t* s, int32_t n, const RowArgs& a) {
  for (int32_t i = 0; i < n; ++i) d[i] = AlphaPixel(d[i], s[i], a.flags);
}
void HalfSize_Ref(uint32_t* d, const uint32_t* s0, const uint32_t* s1, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    d[i] = Mean4(s0[2 * i], s0[2 * i + 1], s1[2 * i], s1[2 * i + 1]);
}
void Fill_Ref(uint32_t* d, int32_t n, uint32_t colour, uint32_t mask) {
  const uint32_t c = colour & ~mask;
  if (mask == 0) {
    for (int32_t i = 0; i < n; ++i) d[i] = c;
  } else {
    for (int32_t i = 0; i < n; ++i) d[i] = c | (d[i] & mask);
  }
}

}  // namespace

const BlitKernels kBlit_Ref = {
    "reference",       Add_Ref,   Sub_Ref,      HalfBlend_Ref, Keying_Ref, Blend_Ref,
    BlendMmx_Ref, TrueBlend_Ref, Alpha_Ref, HalfSize_Ref, Fill_Ref,
};

}  // namespace blivo

#include "image/LayerBlend.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "image/LayerBlend_kernels.h"

namespace {

using image::LayerBlendParams;

uint32_t One(uint32_t d, uint32_t s, const LayerBlendParams& p) {
  image::LayerBlendRef(&d, 4, &s, 4, 1, 1, p);
  return d;
}

TEST(LayerBlend, RuleCases) {
  LayerBlendParams plain;
  LayerBlendParams half;
  half.Blend = 0.5f;
  LayerBlendParams alpha;
  alpha.ApplySrcAlpha = true;
  LayerBlendParams add;
  add.ApplySrcAdd = true;
  LayerBlendParams keepBlue;
  keepBlue.DstMask = 0x000000FF;
  LayerBlendParams text;  // alpha shown in one colour
  text.ApplySrcAlpha = true;
  text.SrcMask = 0xFF000000u;
  text.SrcBaseColor = 0xFFFFC0A0u;
  LayerBlendParams grey;
  grey.Vivit = 0.0f;
  LayerBlendParams sepia;
  sepia.BlackBorder = 0x605020;
  sepia.WhiteBorder = 0xFFFFFF;
  LayerBlendParams none;
  none.Blend = 0.0f;
  struct Case {
    const char* name;
    const LayerBlendParams* p;
    uint32_t d, s, want;
  } cases[] = {
      {"opaque copy", &plain, 0x00123456, 0x00ABCDEF, 0xFFABCDEF},
      {"half", &half, 0x00000000, 0x00FFFFFF, 0x80808080},
      {"half over white", &half, 0xFFFFFFFF, 0x00000000, 0xFF7F7F7F},
      {"source alpha 0 keeps target", &alpha, 0x11223344, 0x00FFFFFF, 0x11223344},
      {"source alpha 255", &alpha, 0x11223344, 0xFF102030, 0xFF102030},
      {"source alpha 128", &alpha, 0x00000000, 0x80FF0000, 0x80800000},
      {"add saturates", &add, 0x00F01010, 0x00201010, 0xFFFF2020},
      {"dst mask keeps blue", &keepBlue, 0x000000AA, 0x00112233, 0xFF1122AA},
      {"text colour from alpha", &text, 0xFF000000, 0xFF000000, 0xFFFFC0A0},
      {"text colour, no coverage", &text, 0xFF000000, 0x00FFFFFF, 0xFF000000},
      {"vivit 0 is grey", &grey, 0, 0x00FF0000, 0xFF545454},
      {"levels: black to the border", &sepia, 0, 0x00000000, 0xFF605020},
      {"levels: white stays white", &sepia, 0, 0x00FFFFFF, 0xFFFFFFFF},
      {"levels: middle", &sepia, 0, 0x00808080, 0xFFB0A890},
      {"blend 0 leaves the target", &none, 0x12345678, 0xFFFFFFFF, 0x12345678},
  };
  for (const Case& c : cases) EXPECT_EQ(One(c.d, c.s, *c.p), c.want) << c.name;
}

// The fast path against the reference: random settings, sizes and offsets, bytes equal.
TEST(LayerBlend, FastPathEqualsReference) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    auto pick = [&](std::initializer_list<uint32_t> v) {
      return *(v.begin() + rng() % v.size());
    };
    LayerBlendParams p;
    p.Blend = pick({0, 1, 2, 3}) == 0 ? 1.0f : static_cast<float>(rng() % 256) / 255.0f;
    p.ApplySrcAlpha = rng() % 2;
    p.ApplySrcAdd = rng() % 3 == 0;
    p.Vivit = rng() % 4 == 0 ? static_cast<float>(rng() % 300) / 100.0f : 1.0f;
    p.BlackBorder = rng() % 4 == 0 ? rng() & 0xFFFFFF : 0;
    p.WhiteBorder = rng() % 4 == 0 ? rng() & 0xFFFFFF : 0xFFFFFF;
    p.DstMask = pick({0, 0, 0xFF000000u, 0x00FF00FFu, static_cast<uint32_t>(rng())});
    p.SrcMask = pick({0xFFFFFFFFu, 0xFF000000u, static_cast<uint32_t>(rng())});
    p.SrcBaseColor = pick({0, 0xFFFFFFu, static_cast<uint32_t>(rng())});
    const int32_t w = 1 + static_cast<int32_t>(rng() % 70), h = 1 + static_cast<int32_t>(rng() % 5);
    const int32_t stride = w + static_cast<int32_t>(rng() % 3);
    std::vector<uint32_t> src(static_cast<size_t>(stride * h) + 2), a(src.size()), b;
    for (auto& v : src)
      v = pick({0, 0xFFFFFFFFu, 0xFF000000u, 0x00FFFFFFu, static_cast<uint32_t>(rng())});
    for (auto& v : a) v = pick({0, 0xFFFFFFFFu, static_cast<uint32_t>(rng())});
    b = a;
    const size_t off = rng() % 2;
    image::LayerBlendRef(a.data() + off, stride * 4, src.data() + off, stride * 4, w, h, p);
    image::LayerBlendRect(b.data() + off, stride * 4, src.data() + off, stride * 4, w, h, p);
    ASSERT_EQ(a, b) << "seed " << seed << " path " << image::LayerBlendPath();
  }
}

}  // namespace

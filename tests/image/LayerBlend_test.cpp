#include "image/LayerBlend.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "image/CmgBBI.h"
#include "image/CmgBBIFunction.h"
#include "util/CApi.h"

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
  LayerBlendParams levels;
  levels.BlackBorder = 0x605020;
  LayerBlendParams none;
  none.Blend = 0.0f;
  struct Case {
    const char* name;
    const LayerBlendParams* p;
    uint32_t d, s, want;
  } cases[] = {
      {"opaque copy", &plain, 0x00123456, 0x00ABCDEF, 0x00ABCDEF},
      {"half", &half, 0x00000000, 0x00FFFFFF, 0x007F7F7F},
      {"half over white", &half, 0xFFFFFFFF, 0x00000000, 0x7F7F7F7F},
      {"source alpha 0 keeps the target", &alpha, 0x11223344, 0x00FFFFFF, 0x11223344},
      {"source alpha 255 replaces it", &alpha, 0x11223344, 0xFF102030, 0xFF102030},
      {"source alpha 128 weighs 128/256", &alpha, 0x00000000, 0x80FF0000, 0x407F0000},
      {"add saturates the colour", &add, 0x00F01010, 0x00201010, 0x00FF2020},
      {"dst mask keeps blue", &keepBlue, 0x000000AA, 0x00112233, 0x001122AA},
      {"text colour from alpha", &text, 0xFF000000, 0xFF000000, 0xFFFFC0A0},
      {"text colour, no coverage", &text, 0xFF000000, 0x00FFFFFF, 0xFF000000},
      {"saturation 0 is grey", &grey, 0, 0x00FF8040, 0x00949494},
      {"levels: at or below black is 0", &levels, 0, 0x005F5020, 0x00000000},
      {"levels: white stays white", &levels, 0, 0x00FFFFFF, 0x00FFFFFF},
      {"levels: stretched between", &levels, 0, 0x00808080, 0x0033456D},
      {"blend 0 leaves the target", &none, 0x12345678, 0xFFFFFFFF, 0x12345678},
  };
  for (const Case& c : cases) EXPECT_EQ(One(c.d, c.s, *c.p), c.want) << c.name;
}

LayerBlendParams RandomParams(std::mt19937& rng) {
  auto pick = [&](std::initializer_list<uint32_t> v) { return *(v.begin() + rng() % v.size()); };
  LayerBlendParams p;
  p.Blend = rng() % 3 == 0 ? 1.0f : static_cast<float>(rng() % 300) / 255.0f;
  p.ApplySrcAlpha = rng() % 2;
  p.ApplySrcAdd = rng() % 3 == 0;
  p.Vivit = rng() % 3 == 0 ? static_cast<float>(rng() % 300) / 100.0f : 1.0f;
  p.BlackBorder = rng() % 3 == 0 ? rng() & 0xFFFFFF : 0;
  p.WhiteBorder = rng() % 3 == 0 ? rng() & 0xFFFFFF : 0xFFFFFF;
  p.DstMask = pick({0, 0, 0xFF000000u, 0x00FF00FFu, static_cast<uint32_t>(rng())});
  p.SrcMask = pick({0xFFFFFFFFu, 0xFF000000u, static_cast<uint32_t>(rng())});
  p.SrcBaseColor = pick({0, 0xFFFFFFu, static_cast<uint32_t>(rng())});
  return p;
}

uint32_t RandomPixel(std::mt19937& rng) {
  switch (rng() % 5) {
    case 0: return 0;
    case 1: return 0xFFFFFFFFu;
    case 2: return 0x00FFFFFFu | (rng() & 0xFF000000u);
    default: return static_cast<uint32_t>(rng());
  }
}

// The fast path against the reference: random settings, sizes and offsets, bytes equal.
TEST(LayerBlend, FastPathEqualsReference) {
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    std::mt19937 rng(seed);
    const LayerBlendParams p = RandomParams(rng);
    const int32_t w = 1 + static_cast<int32_t>(rng() % 70), h = 1 + static_cast<int32_t>(rng() % 5);
    const int32_t stride = w + static_cast<int32_t>(rng() % 3);
    std::vector<uint32_t> src(static_cast<size_t>(stride * h) + 2), a(src.size()), b;
    for (auto& v : src) v = RandomPixel(rng);
    for (auto& v : a) v = RandomPixel(rng);
    b = a;
    const size_t off = rng() % 2;
    image::LayerBlendRef(a.data() + off, stride * 4, src.data() + off, stride * 4, w, h, p);
    image::LayerBlendRect(b.data() + off, stride * 4, src.data() + off, stride * 4, w, h, p);
    ASSERT_EQ(a, b) << "seed " << seed << " path " << image::LayerBlendPath();
  }
}

// The rule is the pixel library's general copy with colour processing: wherever the library
// takes that path (saturation, levels or addition in use), both give the same bytes.
TEST(LayerBlend, EqualsTheLibrarysProcessingCopy) {
  util::CApi api;
  image::CmgBBIFunction functions(&api);
  int32_t compared = 0;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    std::mt19937 rng(seed);
    LayerBlendParams p = RandomParams(rng);
    if (p.Vivit == 1.0f && !p.ApplySrcAdd) p.Vivit = 0.5f;  // make the library process
    if (!(p.Blend > 0.0f)) p.Blend = 0.25f;
    const int32_t w = 1 + static_cast<int32_t>(rng() % 40), h = 1 + static_cast<int32_t>(rng() % 4);
    image::CmgBBI dst, src;
    dst.CreateBBI(w, h);
    src.CreateBBI(w, h);
    for (int32_t i = 0; i < w * h; ++i) {
      dst.Pixels()[i] = RandomPixel(rng);
      src.Pixels()[i] = RandomPixel(rng);
    }
    std::vector<uint32_t> mine(dst.Pixels(), dst.Pixels() + w * h);
    image::LayerBlendRect(mine.data(), w * 4, src.Pixels(), w * 4, w, h, p);
    const int32_t result = functions.BBIExpandChooseBlt(
        dst, src, 0, 0, w, h, 0, 0, w, h, p.Blend, p.Vivit, p.BlackBorder, p.WhiteBorder,
        p.DstMask, p.SrcMask, p.SrcBaseColor, 0, p.ApplySrcAlpha ? 1 : 0, p.ApplySrcAdd ? 1 : 0,
        0, 0);
    ASSERT_EQ(result, 2) << "seed " << seed << ": the library did not process";
    ASSERT_EQ(mine, std::vector<uint32_t>(dst.Pixels(), dst.Pixels() + w * h)) << "seed " << seed;
    ++compared;
  }
  EXPECT_EQ(compared, 200);
}

}  // namespace

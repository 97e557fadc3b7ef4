// Scaled clipping and the expansion family: sampling, fading, blending, gradient recolouring,
// colour processing and smoothing, with guard bytes around every image.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "blivo.h"
#include "scale_fixture.h"

namespace {

using scaletest::FromPixels;
using scaletest::GuardedImage;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(ScaledClip, Table) {
  struct Case {
    const char* name;
    blivo::ScaledRect in;
    bool ok;
    blivo::ScaledRect out;
  } const cases[] = {
      // Destination 10 x 10, source 4 x 4 throughout.
      {"inside", {1, 2, 8, 8, 0, 0, 4, 4}, true, {1, 2, 8, 8, 0, 0, 4, 4}},
      // Left edge: ratio 4 / 8, two pixels cut, the source moves by one.
      {"dest left", {-2, 0, 8, 8, 0, 0, 4, 4}, true, {0, 0, 6, 8, 1, 0, 3, 4}},
      // Right edge: 3 of 8 cut, source width trunc(4 - 1.5) = 2.
      {"dest right", {5, 0, 8, 8, 0, 0, 4, 4}, true, {5, 0, 5, 8, 0, 0, 2, 4}},
      // Source left edge: ratio 8 / 4, the destination moves by 4.
      {"source left", {0, 0, 8, 8, -2, 0, 4, 4}, true, {4, 0, 4, 8, 0, 0, 2, 4}},
      {"source top", {0, 0, 8, 8, 0, -2, 4, 4}, true, {0, 4, 8, 4, 0, 0, 4, 2}},
      {"zero width", {0, 0, 0, 8, 0, 0, 4, 4}, false, {}},
      {"zero source height", {0, 0, 8, 8, 0, 0, 4, 0}, false, {}},
      {"negative width", {0, 0, -8, 8, 0, 0, 4, 4}, false, {}},
      {"negative source width", {0, 0, 8, 8, 0, 0, -4, 4}, false, {}},
      {"right of image", {10, 0, 8, 8, 0, 0, 4, 4}, false, {}},
      {"source below", {0, 0, 8, 8, 0, 4, 4, 4}, false, {}},
      {"extreme positions", {INT32_MIN, INT32_MIN, 8, 8, INT32_MAX, 0, 4, 4}, false, {}},
      // The left cut leaves trunc(4 - 4 * (2^31 - 1) / (2^31 - 1)) = 0 source columns.
      {"extreme sizes", {INT32_MIN + 1, 0, INT32_MAX, 8, 0, 0, 4, 4}, false, {}},
      // Horizontal ratios are kept in double: 2 / 6 * 3 is exactly 1, so one source column
      // survives a cut of 3 of 6.
      {"double ratio", {-3, 0, 6, 6, 0, 0, 2, 2}, true, {0, 0, 3, 6, 1, 0, 1, 2}},
      // The vertical ratio is rounded to float first: 2 / 6 * 3 becomes 1.00000003 and the
      // remaining source height trunc(0.99999997) = 0 empties the rectangle.
      {"float ratio", {0, -3, 6, 6, 0, 0, 2, 2}, false, {}},
  };
  GuardedImage dst(10, 10), src(4, 4);
  for (const Case& c : cases) {
    blivo::ScaledRect r = c.in;
    const bool ok = blivo::ClipScaled(dst.View(), src.View(), r);
    ASSERT_EQ(ok, c.ok) << c.name;
    if (!ok) continue;
    EXPECT_EQ(r.dx, c.out.dx) << c.name;
    EXPECT_EQ(r.dy, c.out.dy) << c.name;
    EXPECT_EQ(r.dw, c.out.dw) << c.name;
    EXPECT_EQ(r.dh, c.out.dh) << c.name;
    EXPECT_EQ(r.sx, c.out.sx) << c.name;
    EXPECT_EQ(r.sy, c.out.sy) << c.name;
    EXPECT_EQ(r.sw, c.out.sw) << c.name;
    EXPECT_EQ(r.sh, c.out.sh) << c.name;
  }
}

TEST(ExpandBlt, TwoByTwoOntoFourByFourRepeatsBlocks) {
  const GuardedImage src = FromPixels(2, 2, {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004});
  GuardedImage dst(4, 4);
  dst.Fill(0);
  ASSERT_EQ(BBIExpandBlt(dst.Block(), src.Block(), 0, 0, 4, 4, 0, 0, 2, 2, 1.0f), 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.At(x, y), src.At(x / 2, y / 2)) << x << "," << y;
  EXPECT_TRUE(dst.GuardsIntact());
}

TEST(ExpandBlt, OntoOnePixelTakesTopLeft) {
  const GuardedImage src = FromPixels(2, 2, {0x11223344, 0x55667788, 0x99AABBCC, 0xDDEEFF00});
  GuardedImage dst(1, 1);
  ASSERT_EQ(BBIExpandBlt(dst.Block(), src.Block(), 0, 0, 1, 1, 0, 0, 2, 2, 1.0f), 0);
  EXPECT_EQ(dst.At(0, 0), 0x11223344u);
}

TEST(ExpandBlt, HalfOpacityOverBlackHalvesEveryByte) {
  const GuardedImage src = FromPixels(2, 1, {0xFF7F0301, 0x80FE0203});
  GuardedImage dst(4, 2);
  dst.Fill(0);
  ASSERT_EQ(BBIExpandBlt(dst.Block(), src.Block(), 0, 0, 4, 2, 0, 0, 2, 1, 0.5f), 0);
  EXPECT_EQ(dst.At(0, 0), 0x7F3F0100u);
  EXPECT_EQ(dst.At(3, 1), 0x407F0101u);
}

TEST(ExpandBlt, ClippedEdgesFollowTheScaledRule) {
  // "double ratio" of the clip table: destination columns 0..2 sample source column 1.
  const GuardedImage src = FromPixels(2, 2, {1, 2, 3, 4});
  GuardedImage dst(10, 10);
  dst.Fill(0);
  ASSERT_EQ(BBIExpandBlt(dst.Block(), src.Block(), -3, 0, 6, 6, 0, 0, 2, 2, 1.0f), 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const uint32_t want = (x < 3 && y < 6) ? (y < 3 ? 2u : 4u) : 0u;
      EXPECT_EQ(dst.At(x, y), want) << x << "," << y;
    }
  // "float ratio": the same cut vertically leaves nothing.
  dst.Fill(0);
  EXPECT_EQ(BBIExpandBlt(dst.Block(), src.Block(), 0, -3, 6, 6, 0, 0, 2, 2, 1.0f), 1);
  EXPECT_EQ(dst.Pixels(), std::vector<uint32_t>(100, 0u));
}

TEST(ExpandBlt, RefusalsTouchNothing) {
  struct Case {
    int32_t dx, dy, dw, dh, sx, sy, sw, sh;
    float opacity;
  } const cases[] = {
      {0, 0, 4, 4, 0, 0, 2, 2, -0.1f},     {0, 0, 4, 4, 0, 0, 2, 2, kNaN},
      {0, 0, 4, 4, 0, 0, 2, 2, -kInf},     {0, 0, 0, 4, 0, 0, 2, 2, 1.0f},
      {0, 0, 4, 4, 0, 0, 0, 2, 1.0f},      {0, 0, 4, -4, 0, 0, 2, 2, 1.0f},
      {0, 0, 4, 4, 0, 0, 2, INT32_MIN, 1.0f}, {INT32_MAX, 0, 4, 4, 0, 0, 2, 2, 1.0f},
      {0, 0, INT32_MAX, INT32_MAX, INT32_MIN, 0, 2, 2, 1.0f},
      {-4, -4, 4, 4, 0, 0, 2, 2, 1.0f},
  };
  const GuardedImage src = FromPixels(2, 2, {1, 2, 3, 4});
  for (const Case& c : cases) {
    GuardedImage dst(4, 4);
    dst.Fill(0x5A5A5A5A);
    EXPECT_EQ(BBIExpandBlt(dst.Block(), src.Block(), c.dx, c.dy, c.dw, c.dh, c.sx, c.sy, c.sw,
                           c.sh, c.opacity),
              1)
        << c.dx << " " << c.dw << " " << c.sw << " " << c.sh << " " << c.opacity;
    EXPECT_EQ(dst.Pixels(), std::vector<uint32_t>(16, 0x5A5A5A5Au));
    EXPECT_TRUE(dst.GuardsIntact());
  }
}

TEST(ExpandBlt, OpacityAboveOneCopies) {
  const GuardedImage src = FromPixels(1, 1, {0x80402010});
  for (float opacity : {1.0f, 1.5f, kInf}) {
    GuardedImage dst(2, 2);
    dst.Fill(0xFFFFFFFF);
    ASSERT_EQ(BBIExpandBlt(dst.Block(), src.Block(), 0, 0, 2, 2, 0, 0, 1, 1, opacity), 0);
    EXPECT_EQ(dst.Pixels(), std::vector<uint32_t>(4, 0x80402010u)) << opacity;
  }
}

// Independent model: every destination pixel samples source (sx + i * sw / dw, ...).
TEST(ExpandBlt, MatchesFloorSamplingForRandomRects) {
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    std::mt19937 rng(seed);
    const int32_t sw = 1 + rng() % 40, sh = 1 + rng() % 30;
    const int32_t dw = 1 + rng() % 90, dh = 1 + rng() % 70;
    GuardedImage src(sw + 3, sh + 2, rng() % 3), dst(dw + 5, dh + 1, rng() % 3);
    src.Randomize(rng);
    dst.Fill(0);
    const int32_t sx = rng() % 4, sy = rng() % 3, dx = rng() % 6, dy = rng() % 2;
    const int32_t rsw = sw + 3 - sx < sw ? sw + 3 - sx : sw;
    const int32_t rsh = sh + 2 - sy < sh ? sh + 2 - sy : sh;
    const int32_t rdw = dw + 5 - dx < dw ? dw + 5 - dx : dw;
    const int32_t rdh = dh + 1 - dy < dh ? dh + 1 - dy : dh;
    ASSERT_EQ(BBIExpandBlt(dst.Block(), src.Block(), dx, dy, rdw, rdh, sx, sy, rsw, rsh, 1.0f),
              0)
        << "seed " << seed;
    for (int32_t j = 0; j < rdh; ++j)
      for (int32_t i = 0; i < rdw; ++i) {
        const int32_t x = sx + static_cast<int32_t>(int64_t{i} * rsw / rdw);
        const int32_t y = sy + static_cast<int32_t>(int64_t{j} * rsh / rdh);
        ASSERT_EQ(dst.At(dx + i, dy + j), src.At(x, y)) << "seed " << seed << " " << i << "," << j;
      }
    ASSERT_TRUE(dst.GuardsIntact()) << "seed " << seed;
  }
}

TEST(ExpandBlendBlt, AlphaWeights) {
  // Weights: alpha 255 at opacity 1 gives 256 (the float 1/255 lies slightly above it), so an
  // opaque pixel is copied; alpha 0 keeps d; opacity 0.5 halves alpha 255 to 128.
  const GuardedImage src = FromPixels(3, 1, {0xFF102030, 0x00FFFFFF, 0x80FF0000});
  GuardedImage dst(3, 1);
  dst.Fill(0x40404040);
  ASSERT_EQ(BBIExpandBlendBlt(dst.Block(), src.Block(), 0, 0, 3, 1, 0, 0, 3, 1, 1.0f), 0);
  EXPECT_EQ(dst.At(0, 0), 0xFF102030u);
  EXPECT_EQ(dst.At(1, 0), 0x40404040u);
  // alpha 0x80: V = trunc(128.5) = 128; per byte (s * 128 + 0x40 * 128) >> 8.
  EXPECT_EQ(dst.At(2, 0), 0x609F2020u);

  dst.Fill(0);
  ASSERT_EQ(BBIExpandBlendBlt(dst.Block(), src.Block(), 0, 0, 3, 1, 0, 0, 3, 1, 0.5f), 0);
  EXPECT_EQ(dst.At(0, 0), 0x7F081018u);
  EXPECT_EQ(BBIExpandBlendBlt(dst.Block(), src.Block(), 0, 0, 3, 1, 0, 0, 3, 1, kNaN), 1);
}

TEST(ExpandColorBlt, FourCornerGradient) {
  const GuardedImage src = FromPixels(1, 1, {0xFF000000});
  GuardedImage dst(2, 2);
  dst.Fill(0);
  ASSERT_EQ(BBIExpandColorBlt(dst.Block(), src.Block(), 0, 0, 2, 2, 0, 0, 1, 1, 1.0f, 0,
                              0xFF000000u, 0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0x00FFFFFFu, 0),
            0);
  EXPECT_EQ(dst.At(0, 0), 0xFFFF0000u);  // c1
  EXPECT_EQ(dst.At(1, 0), 0xFF00FF00u);  // c2
  EXPECT_EQ(dst.At(0, 1), 0xFF0000FFu);  // c3
  EXPECT_EQ(dst.At(1, 1), 0xFFFFFFFFu);  // c4

  // Three columns: the middle one blends 128 / 256 of the way; one row (0 / 0 is NaN)
  // counts as the top edge, so c3 and c4 do not enter.
  GuardedImage row(3, 1);
  row.Fill(0);
  ASSERT_EQ(BBIExpandColorBlt(row.Block(), src.Block(), 0, 0, 3, 1, 0, 0, 1, 1, 1.0f, 0,
                              0xFF000000u, 0x00000000u, 0x00FF00FFu, 0x00FFFFFFu, 0x00FFFFFFu, 0),
            0);
  EXPECT_EQ(row.At(0, 0), 0xFF000000u);
  EXPECT_EQ(row.At(1, 0), 0xFF7F007Fu);
  EXPECT_EQ(row.At(2, 0), 0xFFFF00FFu);
}

TEST(ExpandColorBlt, KeepMaskAndFullColourMask) {
  const GuardedImage src = FromPixels(1, 1, {0x80112233});
  GuardedImage dst(2, 1);
  dst.Fill(0x44556677);
  // colourMask -1: the source as it is; keepMask keeps the destination's blue byte.
  ASSERT_EQ(BBIExpandColorBlt(dst.Block(), src.Block(), 0, 0, 2, 1, 0, 0, 1, 1, 1.0f,
                              0x000000FFu, 0xFFFFFFFFu, 0, 0, 0, 0, 0),
            0);
  EXPECT_EQ(dst.At(0, 0), 0x80112277u);
  EXPECT_EQ(dst.At(1, 0), 0x80112277u);
}

struct ChooseArgs {
  float opacity = 1.0f, saturation = 1.0f;
  uint32_t levelLow = 0, levelHigh = 0xFFFFFF, keepMask = 0, colourMask = 0xFFFFFFFFu,
           colour = 0, invertMask = 0;
  int32_t useAlpha = 0, addColour = 0, addAlpha = 0, ignoreDest = 0;
};

int32_t Choose(GuardedImage& dst, const GuardedImage& src, int32_t dw, int32_t dh, int32_t sw,
               int32_t sh, const ChooseArgs& a) {
  return BBIExpandChooseBlt(dst.Block(), src.Block(), 0, 0, dw, dh, 0, 0, sw, sh, a.opacity,
                            a.saturation, a.levelLow, a.levelHigh, a.keepMask, a.colourMask,
                            a.colour, a.invertMask, a.useAlpha, a.addColour, a.addAlpha,
                            a.ignoreDest);
}

TEST(ExpandChooseBlt, HandsOverWithoutProcessing) {
  std::mt19937 rng(7);
  GuardedImage src(3, 3);
  src.Randomize(rng);
  GuardedImage a(6, 6), b(6, 6);
  a.Randomize(rng);
  b = a;
  // Sizes differ: BBIExpandBlt / BBIExpandBlendBlt with the opacity.
  ChooseArgs args;
  args.opacity = 0.5f;
  ASSERT_EQ(Choose(a, src, 6, 6, 3, 3, args), 0);
  ASSERT_EQ(BBIExpandBlt(b.Block(), src.Block(), 0, 0, 6, 6, 0, 0, 3, 3, 0.5f), 0);
  EXPECT_TRUE(a.SamePixels(b));
  args.useAlpha = 1;
  ASSERT_EQ(Choose(a, src, 6, 6, 3, 3, args), 0);
  ASSERT_EQ(BBIExpandBlendBlt(b.Block(), src.Block(), 0, 0, 6, 6, 0, 0, 3, 3, 0.5f), 0);
  EXPECT_TRUE(a.SamePixels(b));
  // Equal sizes: BBIBltBlend's plain path (useAlpha) or BBIBlt, the opacity not applied.
  ASSERT_EQ(Choose(a, src, 3, 3, 3, 3, args), 0);
  ASSERT_EQ(BBIBltBlend(b.Block(), src.Block(), 0, 0, 3, 3, 0, 0, 0), 0);
  EXPECT_TRUE(a.SamePixels(b));
  args.useAlpha = 0;
  ASSERT_EQ(Choose(a, src, 3, 3, 3, 3, args), 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(a.At(x, y), src.At(x, y));
}

TEST(ExpandChooseBlt, RecolouringCopyKeepsSourceAlpha) {
  const GuardedImage src = FromPixels(2, 1, {0x80123456, 0x00FFFFFF});
  GuardedImage dst(2, 1);
  dst.Fill(0xFFFFFFFF);
  ChooseArgs args;
  args.colourMask = 0xFF000000u;
  args.colour = 0xAB102030u;
  ASSERT_EQ(Choose(dst, src, 2, 1, 2, 1, args), 0);
  EXPECT_EQ(dst.At(0, 0), 0x80102030u);
  EXPECT_EQ(dst.At(1, 0), 0x00102030u);
}

TEST(ExpandChooseBlt, GeneralMaskedCopy) {
  // Scaled, colour from the mask with inverted green, blended at k = 128, alpha kept from d.
  const GuardedImage src = FromPixels(1, 1, {0xFF20F040});
  GuardedImage dst(2, 1);
  dst.Fill(0x10000000);
  ChooseArgs args;
  args.opacity = 0.5f;
  args.colourMask = 0xFF0000FFu;
  args.invertMask = 0x0000FF00u;
  args.colour = 0x00600000u;
  args.keepMask = 0xFF000000u;
  ASSERT_EQ(Choose(dst, src, 2, 1, 1, 1, args), 0);
  // s' = 0xFF000040 | (0x00000F00 | 0x00600000) = 0xFF600F40; blend with 0x10000000 at 128:
  // R 0x30, G 0x07, B 0x20; alpha from d.
  EXPECT_EQ(dst.At(0, 0), 0x10300720u);
  EXPECT_EQ(dst.At(1, 0), 0x10300720u);
}

TEST(ExpandChooseBlt, ProcessingRules) {
  struct Case {
    const char* name;
    ChooseArgs args;
    uint32_t s, d, want;
  };
  ChooseArgs add;
  add.addColour = 1;
  ChooseArgs addA;
  addA.addAlpha = 1;
  ChooseArgs addHalf;
  addHalf.addColour = 1;
  addHalf.opacity = 0.5f;
  ChooseArgs ignore;
  ignore.ignoreDest = 1;
  ignore.opacity = 0.0f;
  ChooseArgs lv;
  lv.levelLow = 0x00404040;
  lv.levelHigh = 0x00C0C0C0;
  ChooseArgs eq;
  eq.levelLow = 0x00808080;
  eq.levelHigh = 0x00808080;
  ChooseArgs grey;
  grey.saturation = 0.0f;
  ChooseArgs greyKeep = grey;
  greyKeep.keepMask = 0xFF000000u;
  const Case cases[] = {
      // Q = 256: colour bytes saturate-add onto d, alpha is the source's.
      {"add colour", add, 0x80208080, 0x10F08040, 0x80FFFFC0},
      {"add alpha", addA, 0x80208080, 0x10F08040, 0x90208080},
      // Q = 128: colour bytes scaled to half (0x10, 0x40, 0x40) then added; alpha blended.
      {"add colour half", addHalf, 0x80208080, 0x10F08040, 0x48FFC080},
      // ignoreDest: d is the source pixel; weight 0 leaves it as it is.
      {"ignore dest", ignore, 0x12345678, 0xFFFFFFFF, 0x12345678},
      // Levels 0x40..0xC0: 0x80 -> 64 * 255 / 128 = 127, 0x30 -> 0, 0xD0 -> 255.
      {"levels", lv, 0x77803040, 0, 0x777F0000},
      // lo == hi: the byte equal to both becomes 255 - c, below 0, above 255.
      {"equal levels", eq, 0x11807F81, 0, 0x117F00FF},
      // Saturation 0: grey = 341 * (R + G + B) >> 10, alpha kept.
      {"grey", grey, 0xAAFF0000, 0, 0xAA545454},
      {"grey keep alpha", greyKeep, 0xAAFF0000, 0x33000000, 0x33545454},
  };
  for (const Case& c : cases) {
    GuardedImage dst(1, 1);
    dst.Fill(c.d);
    const GuardedImage src = FromPixels(1, 1, {c.s});
    ASSERT_EQ(Choose(dst, src, 1, 1, 1, 1, c.args), 2) << c.name;
    EXPECT_EQ(dst.At(0, 0), c.want) << c.name << std::hex << " got " << dst.At(0, 0);
  }
}

TEST(ExpandChooseBlt, RefusesZeroWeight) {
  const GuardedImage src = FromPixels(1, 1, {0xFFFFFFFF});
  for (float opacity : {0.0f, -1.0f, kNaN, 0.003f}) {
    GuardedImage dst(2, 2);
    dst.Fill(7);
    ChooseArgs args;
    args.opacity = opacity;
    EXPECT_EQ(Choose(dst, src, 2, 2, 1, 1, args), 1) << opacity;
    EXPECT_EQ(dst.Pixels(), std::vector<uint32_t>(4, 7u));
  }
}

TEST(LinearBlt, NeighbourOrderAndUniformity) {
  // Same size: n = 1 + 1 + 5 -> 4 neighbours, averaged in the order right, left, down, up.
  auto centre = [](uint32_t r, uint32_t l, uint32_t d, uint32_t u) {
    const GuardedImage src = FromPixels(3, 3, {0, u, 0, l, 0, r, 0, d, 0});
    GuardedImage dst(3, 3);
    EXPECT_EQ(BBILinearBlt(dst.Block(), src.Block(), 0, 0, 3, 3, 0, 0, 3, 3), 0);
    return dst.At(1, 1);
  };
  EXPECT_EQ(centre(128, 0, 0, 0), 8u);
  EXPECT_EQ(centre(0, 128, 0, 0), 16u);
  EXPECT_EQ(centre(0, 0, 128, 0), 32u);
  EXPECT_EQ(centre(0, 0, 0, 128), 64u);

  GuardedImage src(5, 5), dst(11, 9);
  src.Fill(0x80FF4001);
  ASSERT_EQ(BBILinearBlt(dst.Block(), src.Block(), 0, 0, 11, 9, 0, 0, 5, 5), 0);
  EXPECT_EQ(dst.Pixels(), std::vector<uint32_t>(99, 0x80FF4001u));
  EXPECT_TRUE(dst.GuardsIntact());
}

TEST(Linear, SmoothsFromTheOriginalValues) {
  // Two neighbours (right, left). Pixel 2 averages with its left neighbour's old 0, not the
  // smoothed 32.
  GuardedImage img = FromPixels(3, 1, {0, 0, 128});
  ASSERT_EQ(BBILinear(img.Block(), 2), 0);
  EXPECT_EQ(img.Pixels(), (std::vector<uint32_t>{0, 32, 64}));
  // Four neighbours down a column: the lower pixel uses the upper one's old value.
  GuardedImage col = FromPixels(1, 3, {0, 0, 128});
  ASSERT_EQ(BBILinear(col.Block(), 4), 0);
  EXPECT_EQ(col.Pixels(), (std::vector<uint32_t>{0, 32, 64}));
  EXPECT_EQ(BBILinear(col.Block(), 0), 1);
  EXPECT_EQ(BBILinear(col.Block(), 21), 1);
  EXPECT_TRUE(col.GuardsIntact());
}

}  // namespace

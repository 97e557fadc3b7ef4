// Ramp boxes and the gradient box: the documented byte rules, corner colours, refusal of small
// ramps, reversed corners and boxes reaching far outside the image.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "blit_test_image.h"
#include "blivo.h"

namespace {

using blittest::TestImage;

using RampExport = int32_t (*)(void*, void*, int32_t, int32_t, int32_t, int32_t);

TEST(LineBoxes, DocumentedBytes) {
  struct Case {
    RampExport fn;
    uint32_t h, v, want;
  } const cases[] = {
      {BBIDrawExclusiveLineBox, 0xC8C8C8C8u, 0xC8C8C8C8u, 0x6E6E6E6Eu},  // 200 + 200 -> 110
      {BBIDrawExclusiveLineBox, 0x00FF1080u, 0xFF00207Fu, 0xFFFF30FFu},  // sums below 256 kept
      {BBIDrawExclusiveLineBox, 0xFFFFFFFFu, 0xFFFFFFFFu, 0x00000000u},  // 510 - 510
      {BBIDrawMultiplyLineBox, 0xFFFFFFFFu, 0x80808080u, 0x80808080u},   // 255 * 128 / 255
      {BBIDrawMultiplyLineBox, 0x7F010203u, 0x7FFEFDFCu, 0x3F000102u},   // 756/255 -> 2
  };
  for (const Case& c : cases) {
    TestImage ramp(4, 2);
    for (int32_t x = 0; x < 4; ++x) {
      ramp.Set(x, 0, c.h);
      ramp.Set(x, 1, c.v);
    }
    TestImage img(3, 3, 1);
    EXPECT_EQ(c.fn(img.Block(), ramp.Block(), 0, 0, 2, 2), 0);
    EXPECT_EQ(img.Pixels(), std::vector<uint32_t>(9, c.want)) << std::hex << c.h << " " << c.v;
    EXPECT_TRUE(img.GuardsIntact());
  }
}

TEST(LineBoxes, RampIndexFollowsFractions) {
  // Row 0 holds 0, 1, 2, 3 in blue and row 1 is all 255: the multiply keeps row 0's entry.
  // Box from x = 3 down to x = 0 (reversed): fx = (x - 3) / -3, index trunc(3 fx) = 3 - x.
  TestImage ramp(4, 2), img(4, 1);
  for (int32_t x = 0; x < 4; ++x) {
    ramp.Set(x, 0, static_cast<uint32_t>(x));
    ramp.Set(x, 1, 0xFFFFFFFFu);
  }
  BBIDrawMultiplyLineBox(img.Block(), ramp.Block(), 3, 0, 0, 0);
  EXPECT_EQ(img.Pixels(), (std::vector<uint32_t>{3, 2, 1, 0}));
  // A box of one column: zero denominator counts as 1, fx = 0 -> index 0.
  img.Fill(0xEEu);
  BBIDrawMultiplyLineBox(img.Block(), ramp.Block(), 2, 0, 2, 0);
  EXPECT_EQ(img.Pixels(), (std::vector<uint32_t>{0xEE, 0xEE, 0, 0xEE}));
}

TEST(LineBoxes, SmallRampsRefusedAndFarBoxesBounded) {
  TestImage img(4, 4, 1), narrow(1, 2), flat(4, 1), ok(4, 2);
  ok.Fill(0xFFFFFFFFu);
  EXPECT_EQ(BBIDrawMultiplyLineBox(img.Block(), narrow.Block(), 0, 0, 3, 3), 1);
  EXPECT_EQ(BBIDrawExclusiveLineBox(img.Block(), flat.Block(), 0, 0, 3, 3), 1);
  EXPECT_EQ(BBIDrawLineCircle(img.Block(), narrow.Block(), 0, 0, 3, 3), 1);  // width 1
  EXPECT_EQ(img.Pixels(), std::vector<uint32_t>(16, 0u));
  EXPECT_EQ(BBIDrawLineCircle(img.Block(), flat.Block(), 0, 0, 3, 3), 0);  // height 1 is enough
  for (RampExport fn : {BBIDrawMultiplyLineBox, BBIDrawExclusiveLineBox, BBIDrawLineCircle,
                        BBIDrawGradationBox}) {
    EXPECT_EQ(fn(img.Block(), ok.Block(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), 0);
    EXPECT_EQ(fn(img.Block(), ok.Block(), INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN), 0);
    EXPECT_EQ(fn(img.Block(), ok.Block(), 10, 10, 20, 20), 0);
    EXPECT_TRUE(img.GuardsIntact());
  }
}

TEST(LineCircle, RadialRampInsideTheEllipse) {
  // Ramp 0..10 in blue over 11 entries; a 11 x 11 box centred at (5, 5).
  TestImage ramp(11, 1), img(11, 11);
  for (int32_t x = 0; x < 11; ++x) ramp.Set(x, 0, static_cast<uint32_t>(x));
  img.Fill(0xABCDEFu);
  EXPECT_EQ(BBIDrawLineCircle(img.Block(), ramp.Block(), 0, 0, 10, 10), 0);
  EXPECT_EQ(img.Get(5, 5), 10u);        // centre: the last entry
  EXPECT_EQ(img.Get(0, 5), 0u);         // rim: r = 1, the first entry
  EXPECT_EQ(img.Get(0, 0), 0xABCDEFu);  // corner: r > 1, left
  // (8, 5): u = 0.6, r = 0.6, index trunc(0.4 * 10) = 3 (4 in exact arithmetic; the single-
  // precision product 0.39999998 * 10 truncates to 3).
  const float u = 2.0f * (8.0f / 10.0f) - 1.0f;
  EXPECT_EQ(img.Get(8, 5), static_cast<uint32_t>((1.0f - std::sqrt(u * u)) * 10.0f));
}

TEST(GradationBox, CornersAndBilinearMiddle) {
  TestImage ramp(2, 2), img(5, 5, 1);
  ramp.Set(0, 0, 0xFF000000u);  // top-left
  ramp.Set(1, 0, 0xFFFF0000u);  // top-right
  ramp.Set(0, 1, 0x000000FFu);  // bottom-left
  ramp.Set(1, 1, 0x00FFFFFFu);  // bottom-right
  EXPECT_EQ(BBIDrawGradationBox(img.Block(), ramp.Block(), 0, 0, 4, 4), 0);
  EXPECT_EQ(img.Get(0, 0), 0xFF000000u);
  EXPECT_EQ(img.Get(4, 0), 0xFFFF0000u);
  EXPECT_EQ(img.Get(0, 4), 0x000000FFu);
  EXPECT_EQ(img.Get(4, 4), 0x00FFFFFFu);
  // Centre: fx = fy = 0.5; alpha 127.5 -> 127, red 127.5 -> 127, green 63.75 -> 63, blue 127.5.
  EXPECT_EQ(img.Get(2, 2), 0x7F7F3F7Fu);
  EXPECT_TRUE(img.GuardsIntact());
  // Reversed corners mirror the picture.
  TestImage mirrored(5, 5);
  BBIDrawGradationBox(mirrored.Block(), ramp.Block(), 4, 4, 0, 0);
  EXPECT_EQ(mirrored.Get(4, 4), 0xFF000000u);
  EXPECT_EQ(mirrored.Get(0, 0), 0x00FFFFFFu);
  // A 1 x 2 ramp is refused and draws nothing.
  TestImage thin(1, 2), untouched(3, 3);
  EXPECT_EQ(BBIDrawGradationBox(untouched.Block(), thin.Block(), 0, 0, 2, 2), 1);
  EXPECT_EQ(untouched.Pixels(), std::vector<uint32_t>(9, 0u));
}

TEST(GradationBox, FarCornerUsesWideNumerators) {
  // Corners far apart: only the image's columns are visited, the fraction computed from the
  // true distance. From x1 = -2^31 to x2 = 2^31 - 1 every image column has fx near 0.5.
  TestImage ramp(2, 2), img(4, 1);
  ramp.Set(0, 0, 0x00000000u);
  ramp.Set(1, 0, 0x000000FEu);
  ramp.Set(0, 1, 0x00000000u);
  ramp.Set(1, 1, 0x000000FEu);
  EXPECT_EQ(BBIDrawGradationBox(img.Block(), ramp.Block(), INT32_MIN, 0, INT32_MAX, 0), 0);
  EXPECT_EQ(img.Pixels(), std::vector<uint32_t>(4, 127u));
}

}  // namespace

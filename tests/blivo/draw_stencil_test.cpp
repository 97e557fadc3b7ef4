// Stencil wipes: the level rule of the hard edge, the soft edge's weights, fraction limits and
// the three-image clip with its paired positions.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "blit_test_image.h"
#include "blivo.h"

namespace {

using blittest::TestImage;

constexpr uint32_t kOld = 0xFF000000u, kNew = 0xFFFFFFFFu;

// A 1-row stencil whose alphas are 0, 64, 127, 128, 200, 255.
TestImage Stencil() {
  TestImage t(6, 1);
  const uint32_t a[6] = {0, 64, 127, 128, 200, 255};
  for (int32_t x = 0; x < 6; ++x) t.Set(x, 0, a[x] << 24 | 0x123456u);
  return t;
}

TEST(StencilFlip, LevelFromFraction) {
  struct Case {
    float fraction;
    int32_t result;
    std::vector<uint32_t> want;
  } const cases[] = {
      {0.0f, 0, {kOld, kOld, kOld, kOld, kOld, kOld}},
      {0.5f, 0, {kNew, kNew, kNew, kOld, kOld, kOld}},  // level 128: alpha < 128
      {1.0f, 0, {kNew, kNew, kNew, kNew, kNew, kNew}},  // level 256
      {7.0f, 0, {kNew, kNew, kNew, kNew, kNew, kNew}},  // above 1 counts as 1
      {-0.1f, 1, {kOld, kOld, kOld, kOld, kOld, kOld}},
      {std::nanf(""), 1, {kOld, kOld, kOld, kOld, kOld, kOld}},
  };
  for (const Case& c : cases) {
    TestImage dst(6, 1, 1), src(6, 1);
    TestImage sten = Stencil();
    dst.Fill(kOld);
    src.Fill(kNew);
    EXPECT_EQ(BBIStencilFlip(dst.Block(), src.Block(), sten.Block(), 0, 0, 6, 1, 0, 0, 0, 0,
                             c.fraction), c.result) << c.fraction;
    EXPECT_EQ(dst.Pixels(), c.want) << c.fraction;
    EXPECT_TRUE(dst.GuardsIntact());
  }
}

TEST(StencilFlipLE, SoftBandWeights) {
  // fraction 0.5: P = 144; k = (144 - t) * 8 clamped to 0..256: t 0, 64 -> 256 (the source);
  // 127 -> 136, each colour byte (255 * 136) >> 8 = 135; 128 -> 128, 127; 200, 255 -> 0.
  TestImage dst(6, 1), src(6, 1);
  TestImage sten = Stencil();
  dst.Fill(kOld);
  src.Fill(kNew);
  EXPECT_EQ(BBIStencilFlipLE(dst.Block(), src.Block(), sten.Block(), 0, 0, 6, 1, 0, 0, 0, 0, 0.5f), 0);
  EXPECT_EQ(dst.Pixels(),
            (std::vector<uint32_t>{kNew, kNew, 0xFF878787u, 0xFF7F7F7Fu, kOld, kOld}));
}

TEST(StencilFlip, ClipsAgainstAllThreeImages) {
  // Destination 4 x 1 at dx = -1, source read from sx = 2, stencil from tx = 1: the clip on the
  // destination moves source and stencil by one; the stencil (3 wide) then limits the width.
  TestImage dst(4, 1), src(8, 1), sten(3, 1);
  for (int32_t x = 0; x < 8; ++x) src.Set(x, 0, 0xA0u + static_cast<uint32_t>(x));
  dst.Fill(kOld);
  EXPECT_EQ(BBIStencilFlip(dst.Block(), src.Block(), sten.Block(), -1, 0, 10, 1, 2, 0, 1, 0, 1.0f), 0);
  // Destination x = 0 pairs with source 3 and stencil 2; stencil 3 would be outside.
  EXPECT_EQ(dst.Pixels(), (std::vector<uint32_t>{0xA3u, kOld, kOld, kOld}));
  EXPECT_EQ(BBIStencilFlip(dst.Block(), src.Block(), sten.Block(), 0, 0, 4, 1, 0, 0, INT32_MIN,
                           INT32_MAX, 1.0f), 1);
  EXPECT_EQ(BBIStencilFlipLE(dst.Block(), src.Block(), sten.Block(), INT32_MAX, 0, INT32_MAX, 1,
                             0, 0, 0, 0, 1.0f), 1);
}

}  // namespace

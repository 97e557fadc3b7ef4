// The generator's kit: supersampled shapes reduce without darkening their edges, keyed
// finishing leaves only the key and opaque-enough art, text lands inside its layer.
#include "CAssetKit.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using assets::CAssetKit;

TEST(AssetKit, ReducingKeepsEdgeColoursStraight) {
  CAssetKit kit;
  const struct { uint32_t colour; } cases[] = {{0xFFFF0000u}, {0xFF2A1E3Au}, {0xFFC4C4C4u}};
  for (const auto& c : cases) {
    assets::CmgBBI img = kit.Image(64, 64, 0);
    kit.Disc(img, 32, 32, 20, c.colour);
    kit.Reduce(img, 4);
    ASSERT_EQ(img.Width(), 16);
    ASSERT_EQ(img.height(), 16);
    int32_t partial = 0;
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < 16; ++x) {
        const uint32_t p = img.dwGetPixel(x, y);
        const uint32_t a = p >> 24;
        if (a == 0) {
          EXPECT_EQ(p, 0u);
          continue;
        }
        if (a < 255) ++partial;
        // The colour of an edge pixel is the disc's, not a mix with the black background
        // (within the rounding of the coverage-weighted average, larger at low coverage).
        const int tolerance = 2 + static_cast<int>(384 / a);
        for (int shift = 0; shift < 24; shift += 8)
          EXPECT_NEAR(static_cast<int>((p >> shift) & 0xFF),
                      static_cast<int>((c.colour >> shift) & 0xFF), tolerance)
              << std::hex << p << " at " << std::dec << x << "," << y;
      }
    EXPECT_GT(partial, 8);  // the edge really is soft
  }
}

TEST(AssetKit, KeyedFinishLeavesOnlyKeyAndArt) {
  CAssetKit kit;
  assets::CmgBBI img = kit.Image(4, 1, 0);
  img.dwSetPixel(0, 0, 0x7FFF0000u);  // under half coverage: background
  img.dwSetPixel(1, 0, 0x80FF0000u);  // art, alpha kept
  img.dwSetPixel(2, 0, 0xFF000000u);  // black art must not read as the key
  img.dwSetPixel(3, 0, 0x00123456u);  // invisible colour: background
  CAssetKit::FinishKeyed(img);
  EXPECT_EQ(img.dwGetPixel(0, 0), assets::kKey);
  EXPECT_EQ(img.dwGetPixel(1, 0), 0x80FF0000u);
  EXPECT_EQ(img.dwGetPixel(2, 0), 0xFF010101u);
  EXPECT_EQ(img.dwGetPixel(3, 0), assets::kKey);
}

TEST(AssetKit, TextLayerIsCentredInItsBox) {
  CAssetKit kit;
  assets::CmgBBI layer = kit.TextLayer(200, 50, "スタート", "D", 30, 0xFF102030u);
  int32_t left = 200, right = -1, top = 50, bottom = -1;
  for (int32_t y = 0; y < 50; ++y)
    for (int32_t x = 0; x < 200; ++x) {
      const uint32_t p = layer.dwGetPixel(x, y);
      if ((p >> 24) < 128) continue;
      EXPECT_EQ(p & 0xFFFFFFu, 0x102030u);
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  ASSERT_GE(right, 0) << "no ink";
  // Four full-width characters of 30 px: about 120 px of ink, centred.
  EXPECT_NEAR((left + right) / 2, 100, 8);
  EXPECT_NEAR((top + bottom) / 2, 25, 8);
  EXPECT_GT(right - left, 90);
}

}  // namespace

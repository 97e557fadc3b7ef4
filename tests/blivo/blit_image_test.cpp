// One-image operations, the comparison and dwColorBlend.
#include <gtest/gtest.h>

#include <limits>

#include "blit_test_image.h"
#include "blivo.h"

namespace {

using blittest::TestImage;

TEST(BlitImage, ClearsClampAndCoverOnlyPixels) {
  TestImage img(5, 3, 2);  // padded rows: padding must stay untouched
  img.Fill(0x80112233u);
  ASSERT_EQ(BBIClear(img.Block(), 300, -4, 16, 128), 0);
  EXPECT_EQ(img.Get(4, 2), 0x80FF0010u);
  ASSERT_EQ(BBIClearRGB(img.Block(), 1, 2, 3), 0);
  EXPECT_EQ(img.Get(0, 0), 0x80010203u);
  ASSERT_EQ(BBIClearMask(img.Block(), 0, 0, 0, 255, 0x00FFFFFFu), 0);  // set alpha only
  EXPECT_EQ(img.Get(2, 1), 0xFF010203u);
  EXPECT_TRUE(img.GuardsIntact());
  EXPECT_EQ(BBIClear(nullptr, 1, 2, 3, 4), 1);
}

TEST(BlitImage, BltColorPlainAndMaskedXor) {
  TestImage img(4, 4);
  img.Fill(0x0F0F0F0Fu);
  ASSERT_EQ(BBIBltColor(img.Block(), -1, 3, 3, 5, 0, 0, 0xDEADBEEFu), 0);  // clipped to 2 x 1
  EXPECT_EQ(img.Get(0, 3), 0xDEADBEEFu);
  EXPECT_EQ(img.Get(1, 3), 0xDEADBEEFu);
  EXPECT_EQ(img.Get(2, 3), 0x0F0F0F0Fu);
  // Inside the mask the pixel is xor'ed; outside it takes the colour.
  ASSERT_EQ(BBIBltColor(img.Block(), 0, 0, 1, 1, 0x0000FFFFu, 0x000000FFu, 0x12345678u), 0);
  EXPECT_EQ(img.Get(0, 0), 0x12340FF0u);
  // Mask 0 with an xor value: colour everywhere (mask bits select nothing).
  ASSERT_EQ(BBIBltColor(img.Block(), 1, 0, 1, 1, 0, 0xFFu, 0x12345678u), 0);
  EXPECT_EQ(img.Get(1, 0), 0x12345678u);
  EXPECT_EQ(BBIBltColor(img.Block(), 4, 0, 1, 1, 0, 0, 0), 1);
  EXPECT_EQ(BBIBltColor(img.Block(), 0, 0, INT32_MIN, INT32_MAX, 0, 0, 0), 1);
}

TEST(BlitImage, KeyingSetsAlphaByLow24Bits) {
  TestImage img(3, 1);
  img.Set(0, 0, 0xFFFF00FFu);
  img.Set(1, 0, 0x00FF00FFu);
  img.Set(2, 0, 0x00FF00FEu);
  ASSERT_EQ(BBIKeying(img.Block(), 0x12FF00FFu), 0);  // key's alpha is ignored
  EXPECT_EQ(img.Pixels(), (std::vector<uint32_t>{0x00FF00FFu, 0x00FF00FFu, 0xFFFF00FEu}));
}

TEST(BlitImage, CompareModes) {
  TestImage a(3, 2), b(3, 2), other(2, 3);
  a.Fill(0xFF102030u);
  b.Fill(0xFF102030u);
  struct Case {
    uint32_t bPixel;  // b's pixel (2,1)
    uint32_t aPixel;  // a's pixel (2,1)
    int32_t mode, want;
  } const cases[] = {
      {0xFF102030u, 0xFF102030u, 0, 0}, {0x80102030u, 0xFF102030u, 0, 1},
      {0x80102030u, 0xFF102030u, 1, 0}, {0xFF102031u, 0xFF102030u, 1, 1},
      {0xFF000000u, 0xFF102030u, 2, 0}, {0xFE102030u, 0xFF102030u, 2, 1},
      {0xFF102030u, 0xFF102030u, 5, 0}, {0xFF102030u, 0xFE102030u, 5, 1},
      {0xFF102030u, 0xFF102030u, 4, 1}, {0xFF102030u, 0xFF102030u, 3, 2},
      {0xFF102030u, 0xFF102030u, 6, 2}, {0xFF102030u, 0xFF102030u, -1, 2},
  };
  for (const Case& c : cases) {
    a.Set(2, 1, c.aPixel);
    b.Set(2, 1, c.bPixel);
    EXPECT_EQ(BBICompare(a.Block(), b.Block(), c.mode), c.want) << c.mode << std::hex << c.bPixel;
  }
  TestImage clear(3, 2);
  EXPECT_EQ(BBICompare(clear.Block(), a.Block(), 4), 0);  // image2 only gives the size
  for (int32_t mode : {0, 1, 2, 3, 4, 5, 9}) {
    EXPECT_EQ(BBICompare(a.Block(), other.Block(), mode), 1) << mode;
  }
  EXPECT_EQ(BBICompare(a.Block(), nullptr, 0), 1);
}

TEST(BlitImage, ColorBlend) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    uint32_t c1, c2;
    float f;
    uint32_t want;
  } const cases[] = {
      {0x000000FFu, 0xFF000000u, 0.5f, 0x7F00007Fu},
      {0x00000000u, 0xFFFFFFFFu, 0.25f, 0x3F3F3F3Fu},  // (255 * 64) >> 8 = 63
      {0x12345678u, 0x9ABCDEF0u, 1.0f, 0x9ABCDEF0u},
      {0x12345678u, 0x9ABCDEF0u, 0.0f, 0x12345678u},
      {0x12345678u, 0x9ABCDEF0u, 5.0f, 0x9ABCDEF0u},
      {0x12345678u, 0x9ABCDEF0u, -5.0f, 0x12345678u},
      {0x12345678u, 0x9ABCDEF0u, nan, 0x12345678u},
  };
  for (const Case& c : cases) EXPECT_EQ(dwColorBlend(c.c1, c.c2, c.f), c.want) << c.f;
}

}  // namespace

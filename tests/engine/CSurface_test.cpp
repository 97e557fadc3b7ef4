#include "engine/CSurface.h"

#include <gtest/gtest.h>

namespace {

using engine::CSurface;
using engine::PixelFormat;

TEST(CSurface, FormatCodesFollowTheMasks) {
  struct Case {
    PixelFormat format;
    int32_t code;
  } cases[] = {
      {PixelFormat::Argb8888(), 8888}, {PixelFormat::Xrgb8888(), 8888},
      {PixelFormat::Rgb888(), 888},    {PixelFormat::Rgb565(), 565},
      {PixelFormat::Rgb555(), 555},    {PixelFormat::Argb1555(), 555},
      {PixelFormat::Argb4444(), 4444}, {{32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000}, 0},
      {{16, 0x1F, 0x7E0, 0xF800, 0}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(engine::FormatCode(c.format), c.code) << c.format.bits;
}

TEST(CSurface, PixelsRoundTripThroughEveryLayout) {
  struct Case {
    PixelFormat format;
    uint32_t in, out;
  } cases[] = {
      {PixelFormat::Argb8888(), 0x80123456, 0x80123456},
      {PixelFormat::Xrgb8888(), 0x80123456, 0x00123456},
      {PixelFormat::Rgb888(), 0xFFABCDEF, 0x00ABCDEF},
      // 5/6-bit channels widen by repeating their top bits, so white stays white.
      {PixelFormat::Rgb565(), 0xFFFFFFFF, 0x00FFFFFF},
      {PixelFormat::Rgb565(), 0x00F80400, 0x00FF0400},
      {PixelFormat::Rgb555(), 0x00087F08, 0x00087B08},
      {PixelFormat::Argb4444(), 0x8F1F2F3F, 0x88112233},
  };
  for (const Case& c : cases) {
    CSurface s(3, 2, c.format);
    s.WritePixel(2, 1, c.in);
    EXPECT_EQ(s.ReadPixel(2, 1), c.out) << std::hex << c.in << " bits " << std::dec << c.format.bits;
    EXPECT_EQ(s.ReadPixel(0, 0), 0u);
  }
}

TEST(CSurface, PitchIsWholeWordsAndOutsideIsIgnored) {
  CSurface s(3, 2, PixelFormat::Rgb888());
  EXPECT_EQ(s.Pitch(), 12);
  s.WritePixel(3, 0, 0xFFFFFFFF);
  s.WritePixel(-1, 0, 0xFFFFFFFF);
  s.WritePixel(0, 2, 0xFFFFFFFF);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(s.ReadPixel(x, y), 0u);
  EXPECT_EQ(s.ReadPixel(5, 5), 0u);
}

TEST(CSurface, LockUnlockVersionAndLoss) {
  CSurface s(0, -4, PixelFormat::Argb8888(), true);
  EXPECT_EQ(s.Width(), 1);
  EXPECT_EQ(s.Height(), 1);
  EXPECT_TRUE(s.IsTexture());
  const uint32_t v0 = s.Version();
  uint8_t* p = s.Lock();
  ASSERT_NE(p, nullptr);
  p[0] = 7;
  s.Unlock();
  EXPECT_GT(s.Version(), v0);
  EXPECT_EQ(s.ReadPixel(0, 0), 7u);
  s.Lose();
  EXPECT_EQ(s.Lock(), nullptr);
  EXPECT_EQ(s.ReadPixel(0, 0), 0u);
  EXPECT_TRUE(s.Restore());
  EXPECT_FALSE(s.Lost());
  EXPECT_EQ(s.ReadPixel(0, 0), 0u);  // a restored surface starts empty
}

TEST(CSurface, ImpossibleSizeIsLostNotAllocated) {
  CSurface s(1 << 20, 1 << 20, PixelFormat::Argb8888());
  EXPECT_TRUE(s.Lost());
  EXPECT_EQ(s.Width(), 1);
}

}  // namespace

// The Au family: alpha replication, conversions to and from described surfaces (16, 24 and
// 32 bits, bottom-up bitmaps), malformed descriptors, and clipped writes and blends of BBI
// rectangles into a surface.
#include <gtest/gtest.h>

#include <climits>

#include "blit_test_image.h"
#include "blivo.h"
#include "families_fixture.h"

namespace {

using famtest::RawRows;

BlivoSurface Surface(int32_t w, int32_t h, int32_t pitch, int32_t bytes, uint32_t r, uint32_t g,
                     uint32_t b, uint32_t a) {
  return BlivoSurface{w, h, pitch, bytes, r, g, b, a};
}
const BlivoSurface k8888 = Surface(3, 2, 16, 4, 0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u);

TEST(AuFormatPixel, ReplicatesAlpha) {
  RawRows dst(3, 2, 4, 16, 0), src(3, 2, 4, 16, 0);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x) {
      src.Set(x, y, static_cast<uint32_t>(0x10 * (x + 3 * y)) << 24 | 0x123456u);
      dst.Set(x, y, 0xAB000000u);
    }
  EXPECT_EQ(AuFormatPixel(dst.Data(), &k8888, src.Data(), &k8888, 0, 0), 0);
  EXPECT_EQ(dst.Get(2, 1), 0x50505050u);
  EXPECT_EQ(dst.Get(0, 0), 0u);
  // Bit 0: the destination's own alpha; the source is not read.
  dst.Fill(0xAB000000u);
  EXPECT_EQ(AuFormatPixel(dst.Data(), &k8888, nullptr, nullptr, 0, 1), 0);
  EXPECT_EQ(dst.Get(1, 1), 0xABABABABu);
  // Only the overlap of two sizes.
  BlivoSurface narrow = k8888;
  narrow.width = 1;
  dst.Fill(0);
  EXPECT_EQ(AuFormatPixel(dst.Data(), &k8888, src.Data(), &narrow, 0, 0), 0);
  EXPECT_EQ(dst.Get(1, 0), 0u);
  EXPECT_EQ(dst.Get(0, 1), 0x30303030u);
  EXPECT_TRUE(dst.GuardsIntact());
}

TEST(AuFormatPixel, RefusesOtherPixelSizesAndBadDescriptors) {
  RawRows dst(3, 2, 4, 16, 0);
  const auto snapshot = dst.Snapshot();
  const BlivoSurface rgb24 = Surface(3, 2, 12, 3, 0xFF0000u, 0xFF00u, 0xFFu, 0);
  EXPECT_EQ(AuFormatPixel(dst.Data(), &rgb24, dst.Data(), &k8888, 0, 0), 1);
  EXPECT_EQ(AuFormatPixel(dst.Data(), &k8888, dst.Data(), &rgb24, 0, 0), 1);
  BlivoSurface bad = k8888;
  bad.pitch = 8;  // shorter than a row
  EXPECT_EQ(AuFormatPixel(dst.Data(), &bad, nullptr, nullptr, 0, 1), 1);
  bad = k8888;
  bad.height = -1;
  EXPECT_EQ(AuFormatPixel(dst.Data(), &bad, nullptr, nullptr, 0, 1), 1);
  bad = k8888;
  bad.redMask = 0x00FF00FFu;  // not one run of bits
  EXPECT_EQ(AuFormatPixel(dst.Data(), &bad, nullptr, nullptr, 0, 1), 1);
  EXPECT_EQ(AuFormatPixel(dst.Data(), nullptr, nullptr, nullptr, 0, 1), 1);
  EXPECT_EQ(AuFormatPixel(nullptr, &k8888, nullptr, nullptr, 0, 1), 1);
  EXPECT_EQ(dst.Snapshot(), snapshot);
}

TEST(AuFormat, MapAndBackThroughSurfaces) {
  const uint32_t pixels[2][2] = {{0xFFFF8040u, 0x80000000u}, {0x00123456u, 0xFFFFFFFFu}};
  struct Case {
    const char* name;
    BlivoSurface surface;
    uint32_t back[2][2];  // after the round trip
  } const cases[] = {
      {"RGB565",
       Surface(2, 2, 6, 2, 0xF800u, 0x07E0u, 0x1Fu, 0),
       {{0xFFFF8242u, 0xFF000000u}, {0xFF103452u, 0xFFFFFFFFu}}},
      {"ARGB1555",
       Surface(2, 2, 4, 2, 0x7C00u, 0x03E0u, 0x1Fu, 0x8000u),
       {{0xFFFF8442u, 0xFF000000u}, {0x00103152u, 0xFFFFFFFFu}}},
      {"RGB888",
       Surface(2, 2, 8, 3, 0xFF0000u, 0xFF00u, 0xFFu, 0),
       {{0xFFFF8040u, 0xFF000000u}, {0xFF123456u, 0xFFFFFFFFu}}},
      {"ABGR8888",
       Surface(2, 2, 8, 4, 0xFFu, 0xFF00u, 0xFF0000u, 0xFF000000u),
       {{0xFFFF8040u, 0x80000000u}, {0x00123456u, 0xFFFFFFFFu}}},
  };
  for (const Case& c : cases) {
    RawRows surface(2, 2, c.surface.bytesPerPixel, c.surface.pitch, 1);
    ASSERT_EQ(AuFormatMap(surface.Data(), &c.surface, pixels, 8), 0) << c.name;
    ASSERT_TRUE(surface.GuardsIntact()) << c.name;
    // FromDIB reads the bottom row first: the round trip comes back upside down.
    uint32_t back[2][2] = {};
    ASSERT_EQ(AuFormatFromDIB(back, 8, surface.Data(), &c.surface), 0) << c.name;
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x)
        EXPECT_EQ(back[1 - y][x], c.back[y][x])
            << c.name << " at " << x << "," << y << std::hex << " got " << back[1 - y][x];
  }
  uint16_t one = 0;
  const BlivoSurface wide = Surface(1, 1, 2, 2, 0xFFF0u, 0, 0, 0);  // 12-bit channel
  EXPECT_EQ(AuFormatMap(&one, &wide, pixels, 4), 1);
  const BlivoSurface outside = Surface(1, 1, 2, 2, 0x1F0000u, 0, 0, 0);  // beyond two bytes
  EXPECT_EQ(AuFormatMap(&one, &outside, pixels, 4), 1);
  const BlivoSurface fine = Surface(1, 1, 2, 2, 0xF800u, 0x07E0u, 0x1Fu, 0);
  EXPECT_EQ(AuFormatMap(&one, &fine, pixels, -4), 0);  // one row: the stride is not used
  uint32_t sink = 0;
  EXPECT_EQ(AuFormatFromDIB(&sink, 0, nullptr, &fine), 1);
  EXPECT_EQ(one, 0xFC08u);
}

TEST(AuDDS, ClippedWriteAndBlend) {
  blittest::TestImage img(3, 3, 1);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 3; ++x) img.Set(x, y, 0xFF000000u | static_cast<uint32_t>(16 * y + x));
  // A 4 x 2 RGB888 surface with a spare byte at each row end, kept by every write.
  const BlivoSurface s = Surface(4, 2, 13, 3, 0xFF0000u, 0xFF00u, 0xFFu, 0);
  RawRows surface(4, 2, 3, 13, 2);
  surface.Fill(0x777777u);
  // dx -1 moves the source origin right by one; the right edge cuts the width.
  EXPECT_EQ(AuDDSWrite(surface.Data(), &s, img.Block(), -1, 1, 10, 10, 0, 0), 0);
  EXPECT_EQ(surface.Get(0, 1), 0x000001u);
  EXPECT_EQ(surface.Get(1, 1), 0x000002u);
  EXPECT_EQ(surface.Get(2, 1), 0x777777u);  // the source ran out
  EXPECT_EQ(surface.Get(0, 0), 0x777777u);
  EXPECT_TRUE(surface.GuardsIntact());
  EXPECT_EQ(AuDDSWrite(surface.Data(), &s, img.Block(), 4, 0, 1, 1, 0, 0), 1);
  EXPECT_EQ(AuDDSWrite(surface.Data(), &s, img.Block(), INT32_MIN, 0, INT32_MAX, 1, 0, 0), 1);

  img.Set(0, 0, 0x80FF0000u);
  EXPECT_EQ(AuDDSBrend(surface.Data(), &s, img.Block(), 3, 0, 1, 1, 0, 0), 0);
  EXPECT_EQ(surface.Get(3, 0), 0xBA3B3Bu);  // red (255*128 + 0x77*127)>>8, others (0x77*127)>>8
  EXPECT_TRUE(surface.GuardsIntact());
  BlivoSurface bad = s;
  bad.pitch = 11;
  EXPECT_EQ(AuDDSBrend(surface.Data(), &bad, img.Block(), 0, 0, 1, 1, 0, 0), 1);
}

}  // namespace

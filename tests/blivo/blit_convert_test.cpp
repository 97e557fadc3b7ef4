// Conversions from bottom-up bitmaps and to 16/24/32-bit runs, and the colour-map family.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "blit_test_image.h"
#include "blivo.h"
#include "convert_kernels.h"
#include "cpu.h"

#include <random>

namespace {

using blittest::TestImage;

TEST(Convert, FromBottomUpBitmaps) {
  TestImage img(3, 2, 1);
  // 8-bit: rows padded to 4 bytes; the first stored row is the image's bottom row.
  const uint8_t bits8[] = {2, 1, 0, 0xEE, 0, 0, 255, 0xEE};
  std::vector<uint32_t> palette(256, 0);
  palette[0] = 0x11111111u;
  palette[1] = 0x22222222u;
  palette[2] = 0x33333333u;
  palette[255] = 0x80FFFFFFu;
  ASSERT_EQ(BBIBltTo32from8(img.Block(), bits8, palette.data(), 4), 0);
  EXPECT_EQ(img.Pixels(), (std::vector<uint32_t>{0x11111111u, 0x11111111u, 0x80FFFFFFu,
                                                 0x33333333u, 0x22222222u, 0x11111111u}));
  // 24-bit: B, G, R triples, alpha 0.
  const uint8_t bits24[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE,
                            0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0xEE, 0xEE, 0xEE};
  ASSERT_EQ(BBIBltTo32from24(img.Block(), bits24, 12), 0);
  EXPECT_EQ(img.Pixels(), (std::vector<uint32_t>{0x00302010u, 0x00605040u, 0x00908070u,
                                                 0x00030201u, 0x00060504u, 0x00090807u}));
  const uint32_t bits32[] = {1, 2, 3, 4, 5, 6};
  ASSERT_EQ(BBIBltTo32from32(img.Block(), bits32, 12), 0);
  EXPECT_EQ(img.Pixels(), (std::vector<uint32_t>{4, 5, 6, 1, 2, 3}));
  EXPECT_TRUE(img.GuardsIntact());
  // A stride shorter than a row, or a missing buffer, is refused.
  EXPECT_EQ(BBIBltTo32from24(img.Block(), bits24, 8), 1);
  EXPECT_EQ(BBIBltTo32from8(img.Block(), bits8, nullptr, 4), 1);
  EXPECT_EQ(BBIBltTo32from32(img.Block(), nullptr, 12), 1);
}

TEST(Convert, FixedFormatRuns) {
  const uint32_t src[] = {0x00FF8040u, 0xA1B2C3D4u};
  uint16_t out16[3] = {0xBEEF, 0xBEEF, 0xBEEF};
  ASSERT_EQ(BBIBltTo16As565(out16, src, 1), 0);
  EXPECT_EQ(out16[0], 0xFC08);  // 11111 100000 01000
  EXPECT_EQ(out16[1], 0xBEEF);
  ASSERT_EQ(BBIBltTo16As555(out16, src, 1), 0);
  EXPECT_EQ(out16[0], 0x7E08);  // 11111 10000 01000
  ASSERT_EQ(BBIBltTo16As444(out16, src + 1, 1), 0);
  EXPECT_EQ(out16[0], 0xABCD);
  uint8_t out24[7] = {0, 0, 0, 0, 0, 0, 0xEE};
  ASSERT_EQ(BBIBltTo24As888(out24, src, 2), 0);
  EXPECT_EQ(std::vector<uint8_t>(out24, out24 + 7),
            (std::vector<uint8_t>{0x40, 0x80, 0xFF, 0xD4, 0xC3, 0xB2, 0xEE}));
  EXPECT_EQ(BBIBltTo16As565(out16, src, 0), 0);
  EXPECT_EQ(BBIBltTo16As565(out16, src, -1), 1);
  EXPECT_EQ(BBIBltTo24As888(nullptr, src, 1), 1);
}

TEST(Convert, FadedRuns) {
  const uint32_t src[] = {0xFFFFFFFFu};
  uint32_t out = 0;
  struct Case {
    float fraction;
    uint32_t want;
  } const cases[] = {{0.5f, 0x7F7F7F7Fu}, {1.0f, 0xFFFFFFFFu}, {0.0f, 0x00000000u},
                     {2.0f, 0xFFFFFFFFu}, {std::numeric_limits<float>::quiet_NaN(), 0u}};
  for (const Case& c : cases) {
    ASSERT_EQ(BBIBltToX(&out, src, 1, 8888, 0x00000000u, c.fraction), 0);
    EXPECT_EQ(out, c.want) << c.fraction;
  }
  uint16_t out16 = 0xBEEF;
  EXPECT_EQ(BBIBltToX(&out16, src, 1, 556, 0, 1.0f), 2);
  EXPECT_EQ(out16, 0xBEEF);
  ASSERT_EQ(BBIBltToX(&out16, src, 1, 4444, 0x00000000u, 0.5f), 0);
  EXPECT_EQ(out16, 0x7777);
}

TEST(Convert, FilteredRuns) {
  struct Case {
    uint32_t p;
    float saturation;
    uint32_t want;
  } const cases[] = {
      // Grey: (1024 / 3) * 255 >> 10 = 84.
      {0x80FF0000u, 0.0f, 0x80545454u},
      {0x80FF0000u, -3.0f, 0x80545454u},  // clamped to 0
      // Strengthened: grey = -341 * 288 >> 10 = -96; R = -96 + 256, G = -96 + 192, B = -96 + 128.
      {0x00806040u, 2.0f, 0x00A06020u},
      // Weakened: grey = 170 * 288 >> 10 = 47; R = 47 + 64, G = 47 + 48, B = 47 + 32.
      {0x00806040u, 0.5f, 0x006F5F4Fu},
      {0x00806040u, 1.0f, 0x00806040u},
      {0x00FF0000u, 2.0f, 0x00FF0000u},  // R clamped to 255, G and B to 0
  };
  for (const Case& c : cases) {
    uint32_t out = 0;
    ASSERT_EQ(BBIBltToF(&out, &c.p, 1, 8888, 0, 1.0f, c.saturation, 0, nullptr), 0);
    EXPECT_EQ(out, c.want) << c.saturation;
  }
  // Curves: blue inverted, green doubled (capped), red zeroed; alpha kept; then the fade.
  std::vector<uint8_t> table(768);
  for (int v = 0; v < 256; ++v) {
    table[v] = static_cast<uint8_t>(255 - v);
    table[256 + v] = static_cast<uint8_t>(v * 2 > 255 ? 255 : v * 2);
    table[512 + v] = 0;
  }
  const uint32_t p = 0x7F804010u;
  uint32_t out = 0;
  ASSERT_EQ(BBIBltToF(&out, &p, 1, 8888, 0, 1.0f, 1.0f, 1, table.data()), 0);
  EXPECT_EQ(out, 0x7F0080EFu);
  ASSERT_EQ(BBIBltToF(&out, &p, 1, 8888, 0xFFFFFFFFu, 0.0f, 1.0f, 1, table.data()), 0);
  EXPECT_EQ(out, 0xFFFFFFFFu);  // fraction 0 gives the colour
  EXPECT_EQ(BBIBltToF(&out, &p, 1, 8888, 0, 1.0f, 1.0f, 1, nullptr), 1);
  EXPECT_EQ(BBIBltToF(&out, &p, 1, 1, 0, 1.0f, 1.0f, 0, nullptr), 2);
}

// A map whose row r adds r to every channel (capped), so the chosen row is visible.
TestImage RampMap(int32_t rows) {
  TestImage map(256, rows);
  for (int32_t r = 0; r < rows; ++r)
    for (uint32_t v = 0; v < 256; ++v) {
      const uint32_t c = v + static_cast<uint32_t>(r) > 255 ? 255 : v + static_cast<uint32_t>(r);
      map.Set(static_cast<int32_t>(v), r, c * 0x01010101u);
    }
  return map;
}

using MapExport = int32_t (*)(void*, const void*, const void*, int32_t, int32_t, int32_t,
                              int32_t, int32_t, int32_t);

TEST(ColourMap, RowChoiceAndLookups) {
  const TestImage map = RampMap(11);  // rows 0..10
  struct Case {
    const char* name;
    MapExport fn;
    uint32_t d, s, want;
  } const cases[] = {
      {"UC uses row 0", BBIMapUC, 0x01010101u, 0xFF102030u, 0xFF102030u},
      // row = trunc(a * 10 / 255): a 255 -> 10, a 128 -> 5.
      {"UCVA", BBIMapUCVA, 0x01010101u, 0xFF102030u, 0xFF1A2A3Au},
      {"UCVA mid alpha", BBIMapUCVA, 0x01010101u, 0x80102030u, 0x85152535u},
      {"UDVA looks up d", BBIMapUDVA, 0x01020304u, 0x80102030u, 0x06070809u},
      {"MCUCVA keeps d alpha", BBIMapMCUCVA, 0x42000000u, 0x80102030u, 0x42152535u},
      {"MCUDVA", BBIMapMCUDVA, 0x42020304u, 0xFF102030u, 0x420C0D0Eu},
      // Colour sum 0x10 + 0x20 + 0x30 = 96: trunc(96 * 10 / 765) = 1.
      {"UCVC", BBIMapUCVC, 0u, 0x00102030u, 0x01112131u},
      {"UDVC", BBIMapUDVC, 0x01020304u, 0x00FFFFFFu, 0x0B0C0D0Eu},
  };
  for (const Case& c : cases) {
    TestImage dst(1, 1), src(1, 1);
    dst.Set(0, 0, c.d);
    src.Set(0, 0, c.s);
    ASSERT_EQ(c.fn(dst.Block(), src.Block(), map.Block(), 0, 0, 1, 1, 0, 0), 0) << c.name;
    EXPECT_EQ(dst.Get(0, 0), c.want) << c.name << std::hex << " got " << dst.Get(0, 0);
  }
}

TEST(ColourMap, PositionRowsSpanTheClippedRectangle) {
  const TestImage map = RampMap(3);
  TestImage dst(6, 5), src(6, 5);
  // Columns 1..5 after clipping (dx -1): rows trunc(i * 2 / 4) = 0, 0, 1, 1, 2.
  ASSERT_EQ(BBIMapUCVX(dst.Block(), src.Block(), map.Block(), -1, 0, 6, 1, 0, 0), 0);
  std::vector<uint32_t> row;
  for (int32_t x = 0; x < 6; ++x) row.push_back(dst.Get(x, 0) & 0xFF);
  EXPECT_EQ(row, (std::vector<uint32_t>{0, 0, 1, 1, 2, 0}));
  ASSERT_EQ(BBIMapUCVY(dst.Block(), src.Block(), map.Block(), 5, 0, 1, 5, 0, 0), 0);
  std::vector<uint32_t> column;
  for (int32_t y = 0; y < 5; ++y) column.push_back(dst.Get(5, y) & 0xFF);
  EXPECT_EQ(column, (std::vector<uint32_t>{0, 0, 1, 1, 2}));
  ASSERT_EQ(BBIMapUCVX(dst.Block(), src.Block(), map.Block(), 0, 4, 1, 1, 0, 0), 0);
  EXPECT_EQ(dst.Get(0, 4), 0u);  // a one-pixel span takes row 0
}

TEST(ColourMap, RefusesSmallMaps) {
  TestImage narrow(255, 4), dst(2, 2), src(2, 2);
  dst.Fill(7);
  EXPECT_EQ(BBIMapUC(dst.Block(), src.Block(), narrow.Block(), 0, 0, 2, 2, 0, 0), 1);
  EXPECT_EQ(BBIMapUC(dst.Block(), src.Block(), nullptr, 0, 0, 2, 2, 0, 0), 1);
  const TestImage map = RampMap(1);
  EXPECT_EQ(BBIMapUCVA(dst.Block(), src.Block(), map.Block(), 2, 0, 2, 2, 0, 0), 1);
  EXPECT_EQ(dst.Pixels(), (std::vector<uint32_t>(4, 7)));
}

}  // namespace

namespace {

// The vector row kernel of the 24-bit conversion against the plain loop: every width around
// its 16-pixel step, inputs ending exactly at the row (a guard page would catch an overread;
// here the bytes after the row are poisoned and must not show up).
TEST(Convert, To32From24VectorRowsEqualReference) {
  if (!blivo::HostIsa().avx2) GTEST_SKIP() << "no AVX2 on this machine";
  std::mt19937 rng(7);
  for (int32_t n = 0; n <= 67; ++n) {
    std::vector<uint8_t> in(static_cast<size_t>(3 * n) + 64);
    for (uint8_t& b : in) b = static_cast<uint8_t>(rng());
    std::vector<uint32_t> ref(static_cast<size_t>(n) + 4, 0xDEADBEEF), vec = ref;
    blivo::To32From24_Ref(ref.data(), in.data(), n);
    blivo::To32From24_Avx2(vec.data(), in.data(), n);
    ASSERT_EQ(ref, vec) << "width " << n;
  }
}

}  // namespace

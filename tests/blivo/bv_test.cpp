// The Bv family and its neighbours on worked cases: sample mixing and its saturation, the run
// count encoding of the moves, pixel-format reductions, flips, reductions, alpha expansion,
// sample format conversion, and the raw-buffer line against the BBI line.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "blit_test_image.h"
#include "blivo.h"
#include "families_fixture.h"

namespace {

using famtest::RawRows;

TEST(BvSamples, MixingSaturatesAndLowers) {
  struct Case {
    int16_t d, s, add, low;
  } const cases[] = {
      {30000, 10000, 32767, 7500},  {-30000, -10000, -32768, -7500},
      {0, 1000, 1000, 750},         {5, -3, 2, -2},
      {32767, 32767, 32767, 24575}, {-32768, -32768, -32768, -24576},
      {100, -100, 0, -75},
  };
  for (const Case& c : cases) {
    int16_t frame[2] = {c.d, c.d}, src[2] = {c.s, c.s};
    ASSERT_EQ(BvAdd(frame, src, 1), 0);
    EXPECT_EQ(frame[0], c.add) << c.d << " + " << c.s;
    EXPECT_EQ(frame[1], c.add);
    ASSERT_EQ(BvLow(frame, src, 1), 0);
    EXPECT_EQ(frame[0], c.low) << "0.75 * " << c.s;
    EXPECT_EQ(frame[1], c.low);
  }
  // Frames are two samples: count 1 touches exactly two.
  int16_t three[3] = {1, 2, 3}, from[3] = {1000, 1000, 1000};
  EXPECT_EQ(BvLow(three, from, 1), 0);
  EXPECT_EQ(three[2], 3);
}

TEST(BvSamples, VolumesAndMono) {
  int16_t dst[4] = {100, 100, 32000, -32000};
  const int16_t src[4] = {1000, -1000, 32767, -32768};
  EXPECT_EQ(BvRid(dst, src, 2, 128), 0);  // (s * 128) >> 8 added, saturating
  EXPECT_EQ(dst[0], 600);
  EXPECT_EQ(dst[1], -400);
  EXPECT_EQ(dst[2], 32767);
  EXPECT_EQ(dst[3], -32768);
  int16_t again[2] = {0, 0};
  EXPECT_EQ(BvRid(again, src, 1, 9999), 0);  // volume clamped to 256: the sample itself
  EXPECT_EQ(again[0], 1000);
  EXPECT_EQ(again[1], -1000);

  int16_t music[4] = {0, 0, 0, 0};
  const int16_t mono[2] = {512, -512};
  EXPECT_EQ(BvMusic(music, mono, 2, 256, 128, 1), 0);
  EXPECT_EQ((std::vector<int16_t>(music, music + 4)), (std::vector<int16_t>{512, 256, -512, -256}));
  int16_t stereo[2] = {0, 0};
  const int16_t pair[2] = {400, 800};
  EXPECT_EQ(BvMusic(stereo, pair, 1, -5, 64, 0), 0);  // left volume clamped to 0
  EXPECT_EQ(stereo[0], 0);
  EXPECT_EQ(stereo[1], 200);
}

TEST(BvMoves, RunCountEncodingAndRefusals) {
  for (int32_t count = 0; count <= 9; ++count) {
    std::vector<uint32_t> dst(11, 0xAAAAAAAAu), src(11, 0x12345678u);
    ASSERT_EQ(BvMov(dst.data(), src.data(), count), 0);
    for (int32_t i = 0; i < 11; ++i) EXPECT_EQ(dst[i], i < count ? 0x12345678u : 0xAAAAAAAAu);
    ASSERT_EQ(BvZro(dst.data(), nullptr, count), 0);
    for (int32_t i = 0; i < 11; ++i) EXPECT_EQ(dst[i], i < count ? 0u : 0xAAAAAAAAu);
  }
  uint32_t one = 7;
  using CountFn = int32_t (*)(void*, const void*, int32_t);
  for (CountFn fn :
       {CountFn{BvMov}, CountFn{BvZro}, CountFn{BvAdd}, CountFn{BvLow},
        CountFn{BvAlphaDown16From16}, CountFn{BvAlphaDown16From32}, CountFn{BvColorDown16From32},
        CountFn{BvAlphaShift32From32}, CountFn{BvBltTo32From24}, CountFn{BvAlphaMask},
        CountFn{ExpandAlphaMMX}, CountFn{ExpandAlphaMMXCluc}}) {
    EXPECT_EQ(fn(&one, &one, -1), 1);
    EXPECT_EQ(fn(&one, &one, INT32_MIN), 1);
    EXPECT_EQ(fn(&one, &one, INT32_MAX), 1);  // more bytes than a buffer can hold
    EXPECT_EQ(fn(nullptr, &one, 1), 1);
    EXPECT_EQ(fn(nullptr, nullptr, 0), 0);
  }
  EXPECT_EQ(one, 7u);
}

TEST(BvPixels, FormatReductions) {
  const uint32_t px[2] = {0x8FF0A05Fu, 0x00000000u};
  uint16_t out[2] = {};
  EXPECT_EQ(BvAlphaDown16From32(out, px, 2), 0);
  EXPECT_EQ(out[0], 0x8FA5u);
  EXPECT_EQ(out[1], 0u);
  EXPECT_EQ(BvColorDown16From32(out, px, 1), 0);
  EXPECT_EQ(out[0], static_cast<uint16_t>((0xF0 >> 3) << 11 | (0xA0 >> 2) << 5 | (0x5F >> 3)));
  const uint16_t rgb[1] = {static_cast<uint16_t>((31 << 11) | (32 << 5) | 3)};
  EXPECT_EQ(BvAlphaDown16From16(out, rgb, 1), 0);
  EXPECT_EQ(out[0], 0xFF81u);  // opaque, 31 -> 15, 32 -> 8, 3 -> 1

  uint32_t d[2] = {0x11223344u, 0xFF00FF00u};
  const uint32_t s[2] = {0x000000ABu, 0x80FFFFFFu};
  EXPECT_EQ(BvAlphaShift32From32(d, s, 2), 0);
  EXPECT_EQ(d[0], 0xAB223344u);
  EXPECT_EQ(d[1], 0xFF00FF00u);
  EXPECT_EQ(BvAlphaMask(d, s, 2), 0);  // alpha * s.A / 255
  EXPECT_EQ(d[0], 0x00223344u);
  EXPECT_EQ(d[1], 0x8000FF00u);

  const uint8_t bgr[7] = {0x01, 0x02, 0x03, 0xFD, 0xFE, 0xFF, 0x99};
  uint32_t wide[3] = {0, 0, 0xDEADBEEFu};
  EXPECT_EQ(BvBltTo32From24(wide, bgr, 2), 0);
  EXPECT_EQ(wide[0], 0xFF030201u);
  EXPECT_EQ(wide[1], 0xFFFFFEFDu);
  EXPECT_EQ(wide[2], 0xDEADBEEFu);

  uint32_t palette[256];
  EXPECT_EQ(BvCreateAlphaPalette(palette, 0x99ABCDEFu), 0);
  EXPECT_EQ(palette[0], 0x00ABCDEFu);
  EXPECT_EQ(palette[128], 0x80ABCDEFu);
  EXPECT_EQ(palette[255], 0xFFABCDEFu);
  EXPECT_EQ(BvCreateAlphaPalette(nullptr, 0), 1);
}

TEST(BvPixels, SwapAndReductions) {
  RawRows rows(3, 3, 1, 3, 1);  // byte rows: a stride of any size flips
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 3; ++x) rows.Set(x, y, static_cast<uint32_t>(10 * y + x));
  EXPECT_EQ(BvSwapTopAndBottom(rows.Data(), 3, 3), 0);
  EXPECT_EQ(rows.Get(0, 0), 20u);
  EXPECT_EQ(rows.Get(2, 2), 2u);
  EXPECT_EQ(rows.Get(1, 1), 11u);
  EXPECT_TRUE(rows.GuardsIntact());
  EXPECT_EQ(BvSwapTopAndBottom(rows.Data(), -3, 3), 1);
  EXPECT_EQ(BvSwapTopAndBottom(rows.Data(), INT32_MAX, 3), 1);
  EXPECT_EQ(BvSwapTopAndBottom(nullptr, 3, 3), 1);

  // 4 x 4 block: bytes 0..15 in the blue channel; mean 7 (floor of 120 / 16).
  uint32_t block[4][4];
  for (uint32_t i = 0; i < 16; ++i) block[i / 4][i % 4] = 0xFF000000u | i;
  uint32_t four = 0, two[2][2] = {};
  EXPECT_EQ(BvAntiAreas4(&four, block, 4, 16, 1, 1), 0);
  EXPECT_EQ(four, 0xFF000007u);
  EXPECT_EQ(BvAntiAreas2(two, block, 8, 16, 2, 2), 0);
  EXPECT_EQ(two[0][0], 0xFF000002u);                     // (0 + 1 + 4 + 5) / 4
  EXPECT_EQ(two[1][1], 0xFF00000Cu);                     // (10 + 11 + 14 + 15) / 4
  EXPECT_EQ(BvAntiAreas4(&four, block, 4, 8, 1, 1), 1);  // source rows would overlap

  uint32_t u[4][2] = {}, v[2][4] = {}, du[4] = {}, dv[4] = {};
  EXPECT_EQ(LibTrUAreas(u, block, 8, 16, 2, 4), 0);
  EXPECT_EQ(u[3][1], 0xFF00000Eu);  // (14 + 15) / 2
  EXPECT_EQ(LibTrVAreas(v, block, 16, 16, 4, 2), 0);
  EXPECT_EQ(v[1][3], 0xFF00000Du);  // (11 + 15) / 2
  EXPECT_EQ(LibTrDoubleUAreas(du, block, 4, 16, 1, 4), 0);
  EXPECT_EQ(du[2], 0xFF000009u);  // (8 + 9 + 10 + 11) / 4
  EXPECT_EQ(LibTrDoubleVAreas(dv, block, 16, 16, 4, 1), 0);
  EXPECT_EQ(dv[1], 0xFF000007u);  // (1 + 5 + 9 + 13) / 4
  EXPECT_EQ(LibTrVAreas(v, block, 16, 15, 4, 2), 1);
}

TEST(BvPixels, AlphaExpansion) {
  uint64_t table[256];
  EXPECT_EQ(ExpandTableMMX(table), 0);
  EXPECT_EQ(table[0], 0u);
  EXPECT_EQ(table[0xAB], 0x00AB00AB00AB00ABull);
  const uint32_t px[2] = {0x80FFFFFFu, 0xFF000000u};
  uint64_t out[2] = {};
  EXPECT_EQ(ExpandAlphaMMX(out, px, 2), 0);
  EXPECT_EQ(out[0], 0x0080008000800080ull);
  EXPECT_EQ(ExpandAlphaMMXCluc(out, px, 2), 0);
  EXPECT_EQ(out[0], 0x007F007F007F007Full);
  EXPECT_EQ(out[1], 0u);
  EXPECT_EQ(ExpandAlphaSTDMMX(out, px, 2, 128), 0);
  EXPECT_EQ(out[0], 0x0040004000400040ull);  // 128 * 128 / 255 = 64
  EXPECT_EQ(out[1], 0x0080008000800080ull);
  EXPECT_EQ(ExpandAlphaSTDMMX(out, px, 1, 1000), 0);  // opacity clamped to 255
  EXPECT_EQ(out[0], 0x0080008000800080ull);
}

TEST(SeFormat, EveryFormatAndRefusals) {
  const uint8_t mono8[2] = {0, 255};
  const uint8_t stereo8[4] = {128, 129, 0, 255};
  const int16_t mono16[2] = {-5, 32767};
  const int16_t stereo16[4] = {1, 2, 3, 4};
  struct Case {
    const void* src;
    int32_t bits, channels;
    std::vector<int16_t> want;
  } const cases[] = {
      {mono8, 8, 1, {-32768, -32768, 32512, 32512}},
      {stereo8, 8, 2, {0, 256, -32768, 32512}},
      {mono16, 16, 1, {-5, -5, 32767, 32767}},
      {stereo16, 16, 2, {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    int16_t out[5] = {9, 9, 9, 9, 9};
    ASSERT_EQ(SeFormat(out, c.src, 2, c.bits, c.channels), 0) << c.bits << "/" << c.channels;
    EXPECT_EQ((std::vector<int16_t>(out, out + 4)), c.want) << c.bits << "/" << c.channels;
    EXPECT_EQ(out[4], 9);
  }
  int16_t out[2] = {9, 9};
  for (auto [bits, channels] : {std::pair{24, 1}, {8, 3}, {16, 0}, {0, 2}, {-8, 1}})
    EXPECT_EQ(SeFormat(out, stereo16, 1, bits, channels), 1) << bits << "/" << channels;
  EXPECT_EQ(SeFormat(out, stereo16, -1, 16, 2), 1);
  EXPECT_EQ(SeFormat(out, nullptr, 1, 16, 2), 1);
  EXPECT_EQ(out[0], 9);
}

// The raw-buffer line is the BBI line on the same pixels.
TEST(BvTrueLine, SameAsTheImageLine) {
  blittest::TestImage img(9, 7, 2);
  RawRows raw(9, 7, 4, 9 * 4 + 8);
  const int32_t lines[][4] = {
      {-3, -2, 12, 9}, {0, 6, 8, 0}, {4, -100, 5, 100}, {INT32_MIN, 3, INT32_MAX, 4}};
  for (const auto& l : lines) {
    ASSERT_EQ(TrueLine(img.Block(), l[0], l[1], l[2], l[3], 0xC0FF8000u), 0);
    ASSERT_EQ(BvTrueLine(raw.Data(), raw.Stride(), 9, 7, l[0], l[1], l[2], l[3], 0xC0FF8000u), 0);
  }
  for (int32_t y = 0; y < 7; ++y)
    for (int32_t x = 0; x < 9; ++x) ASSERT_EQ(raw.Get(x, y), img.Get(x, y)) << x << "," << y;
  EXPECT_TRUE(raw.GuardsIntact());
  EXPECT_TRUE(img.GuardsIntact());
  EXPECT_EQ(BvTrueLine(raw.Data(), 8, 9, 7, 0, 0, 1, 1, 0), 1);  // stride shorter than a row
  EXPECT_EQ(BvTrueLine(raw.Data() + 1, raw.Stride(), 9, 7, 0, 0, 1, 1, 0), 1);  // misaligned
  EXPECT_EQ(BvTrueLine(raw.Data(), raw.Stride(), 0, 7, 0, 0, 1, 1, 0), 0);
}

}  // namespace

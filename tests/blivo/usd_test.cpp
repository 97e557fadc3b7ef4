// The Usd family: each saturating member against its per-byte rule on padded, misaligned rows;
// the refusals that keep a routine inside the rows it was given; the copies, blends,
// conversions, mosaics and reductions on worked cases.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "blivo.h"
#include "families_fixture.h"

namespace {

using famtest::PerByte;
using famtest::RawRows;

uint32_t Sat(int32_t v) { return v < 0 ? 0u : (v > 255 ? 255u : static_cast<uint32_t>(v)); }
int32_t Dark(uint32_t s, uint32_t k) {
  return static_cast<int32_t>(Sat(static_cast<int32_t>(s) - (255 - static_cast<int32_t>(k))));
}

using SatFn = int32_t (*)(void*, const void*, int32_t, int32_t, int32_t, int32_t, uint32_t);
struct SatMember {
  const char* name;
  SatFn fn;
  uint32_t (*rule)(uint32_t d, uint32_t s, uint32_t k);  // one byte
};

#define SAT_PLAIN(name)                                                                \
  [](void* d, const void* s, int32_t ds, int32_t ss, int32_t w, int32_t r, uint32_t) { \
    return name(d, s, ds, ss, w, r);                                                   \
  }
#define SAT_COLOUR(name)                                                                 \
  [](void* d, const void* s, int32_t ds, int32_t ss, int32_t w, int32_t r, uint32_t k) { \
    return name(d, s, ds, ss, w, r, k);                                                  \
  }

const SatMember kSaturating[] = {
    {"UsdADD", SAT_PLAIN(UsdADD), [](uint32_t d, uint32_t s, uint32_t) { return Sat(d + s); }},
    {"UsdSUB", SAT_PLAIN(UsdSUB),
     [](uint32_t d, uint32_t s, uint32_t) { return Sat(int32_t(d) - int32_t(s)); }},
    {"UsdXORADD", SAT_PLAIN(UsdXORADD),
     [](uint32_t d, uint32_t s, uint32_t) { return Sat(d + (255 - s)); }},
    {"UsdXORSUB", SAT_PLAIN(UsdXORSUB),
     [](uint32_t d, uint32_t s, uint32_t) { return Sat(int32_t(d) - int32_t(255 - s)); }},
    {"UsdBrendADD", SAT_COLOUR(UsdBrendADD),
     [](uint32_t d, uint32_t s, uint32_t k) { return Sat(int32_t(d) + Dark(s, k)); }},
    {"UsdBrendSUB", SAT_COLOUR(UsdBrendSUB),
     [](uint32_t d, uint32_t s, uint32_t k) { return Sat(int32_t(d) - Dark(s, k)); }},
    {"UsdBrendXORADD", SAT_COLOUR(UsdBrendXORADD),
     [](uint32_t d, uint32_t s, uint32_t k) { return Sat(int32_t(d) + Dark(255 - s, k)); }},
    {"UsdBrendXORSUB", SAT_COLOUR(UsdBrendXORSUB),
     [](uint32_t d, uint32_t s, uint32_t k) { return Sat(int32_t(d) - Dark(255 - s, k)); }},
    {"UsdBrendALTADD", SAT_COLOUR(UsdBrendALTADD),
     [](uint32_t d, uint32_t s, uint32_t k) { return Sat(Dark(d, k) + int32_t(s)); }},
    {"UsdBrendALTSUB", SAT_COLOUR(UsdBrendALTSUB),
     [](uint32_t d, uint32_t s, uint32_t k) { return Sat(Dark(d, k) - int32_t(s)); }},
};

TEST(UsdSaturating, WorkedCases) {
  uint32_t d = 0x80808080u, s = 0x80808080u;
  EXPECT_EQ(UsdADD(&d, &s, 4, 4, 1, 1), 1);
  EXPECT_EQ(d, 0xFFFFFFFFu);
  d = 0x80808080u;
  EXPECT_EQ(UsdSUB(&d, &s, 4, 4, 1, 1), 1);
  EXPECT_EQ(d, 0u);
  // Darkening by 0x40 takes 0xBF off every source byte: 0x80 -> 0, 0xFF -> 0x40.
  d = 0x10101010u, s = 0xFF80FF80u;
  EXPECT_EQ(UsdBrendADD(&d, &s, 4, 4, 1, 1, 0x40404040u), 1);
  EXPECT_EQ(d, 0x50105010u);
  d = 0xFF80FF80u, s = 0x10101010u;
  EXPECT_EQ(UsdBrendALTSUB(&d, &s, 4, 4, 1, 1, 0x40404040u), 1);
  EXPECT_EQ(d, 0x30003000u);
}

// Every member on padded rows at odd byte offsets, widths across the vector block size, against
// its per-byte rule; the padding between rows stays untouched.
TEST(UsdSaturating, EveryMemberFollowsItsRule) {
  std::mt19937 rng(11);
  for (const SatMember& m : kSaturating) {
    for (int seed = 1; seed <= 12; ++seed) {
      const int32_t w = static_cast<int32_t>(rng() % 19),
                    rows = 1 + static_cast<int32_t>(rng() % 4);
      RawRows dst(w, rows, 4, w * 4 + 4 * static_cast<int32_t>(rng() % 3), seed % 4);
      RawRows src(w, rows, 4, w * 4 + static_cast<int32_t>(rng() % 9), (seed * 3) % 5);
      dst.Randomize(rng);
      src.Randomize(rng);
      const uint32_t k = blittest::TestImage::RandomPixel(rng);
      RawRows before = dst;
      ASSERT_EQ(m.fn(dst.Data(), src.Data(), dst.Stride(), src.Stride(), w, rows, k), 1) << m.name;
      for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < w; ++x) {
          const uint32_t want = PerByte(
              before.Get(x, y), src.Get(x, y),
              [&](uint32_t a, uint32_t b, int c) { return m.rule(a, b, (k >> (8 * c)) & 0xFFu); });
          ASSERT_EQ(dst.Get(x, y), want) << m.name << " seed " << seed << " at " << x << "," << y;
        }
      ASSERT_TRUE(dst.GuardsIntact()) << m.name << " seed " << seed;
    }
  }
}

// Descriptions that would reach outside the rows: nothing is touched.
struct Refusal {
  const char* why;
  int32_t dstStride, srcStride, width, rows;
  bool nullDst, nullSrc;
};
const Refusal kRefusals[] = {
    {"negative width", 16, 16, -1, 2, false, false},
    {"negative rows", 16, 16, 4, -1, false, false},
    {"destination stride shorter than a row", 12, 16, 4, 2, false, false},
    {"source stride shorter than a row", 16, 12, 4, 2, false, false},
    {"negative stride", -16, 16, 4, 2, false, false},
    {"span beyond 2^31 bytes", INT32_MAX, 16, 4, 3, false, false},
    {"row beyond 2^31 bytes", INT32_MAX, INT32_MAX, INT32_MAX, 1, false, false},
    {"width times four overflows", 16, 16, INT32_MAX / 2, 1, false, false},
    {"extreme rows", 16, 16, 4, INT32_MAX, false, false},
    {"null destination", 16, 16, 4, 2, true, false},
    {"null source", 16, 16, 4, 2, false, true},
};

TEST(UsdRows, RefusalsTouchNothing) {
  RawRows dst(4, 2, 4, 16), src(4, 2, 4, 16);
  std::mt19937 rng(3);
  dst.Randomize(rng);
  src.Randomize(rng);
  const auto snapshot = dst.Snapshot();
  for (const Refusal& r : kRefusals) {
    void* d = r.nullDst ? nullptr : dst.Data();
    const void* s = r.nullSrc ? nullptr : src.Data();
    for (const SatMember& m : kSaturating)
      EXPECT_EQ(m.fn(d, s, r.dstStride, r.srcStride, r.width, r.rows, 0x80808080u), 1)
          << m.name << ": " << r.why;
    EXPECT_EQ(UsdCopy(d, s, r.dstStride, r.srcStride, r.width, r.rows), 1) << r.why;
    EXPECT_EQ(UsdCopyPentium(d, s, r.dstStride, r.srcStride, r.width, r.rows), 1) << r.why;
    EXPECT_EQ(UsdAlpha(d, s, r.dstStride, r.srcStride, r.width, r.rows), 1) << r.why;
    EXPECT_EQ(UsdXOR(d, s, r.dstStride, r.srcStride, r.width, r.rows), 1) << r.why;
    EXPECT_EQ(UsdMosaicBlt(d, s, r.dstStride, r.srcStride, r.width, r.rows, 2), 1) << r.why;
    EXPECT_EQ(UsdAreas(d, s, r.dstStride, r.srcStride, r.width, r.rows), 1) << r.why;
    EXPECT_EQ(UsdAlphaBump(d, s, r.dstStride, r.srcStride, r.width, r.rows, 0, 0), 1) << r.why;
    if (!r.nullSrc && r.srcStride == r.dstStride) {
      EXPECT_EQ(UsdSwapTopBottom(d, r.dstStride, r.width, r.rows), 1) << r.why;
    }
    ASSERT_EQ(dst.Snapshot(), snapshot) << r.why;
  }
  // No work is not a refusal, and needs no buffer.
  EXPECT_EQ(UsdCopy(nullptr, nullptr, 0, 0, 0, 5), 0);
  EXPECT_EQ(UsdCopy(nullptr, nullptr, -4, 0, 5, 0), 0);
  EXPECT_EQ(UsdColorFill(nullptr, 0, 0, 0, 0), 0);
  // One row needs no stride at all.
  EXPECT_EQ(UsdColorFill(dst.Data(), 0, 4, 1, 0x12345678u), 0);
  EXPECT_EQ(dst.Get(3, 0), 0x12345678u);
  EXPECT_TRUE(dst.GuardsIntact());
}

TEST(UsdRows, CopiesAgreeAndHonourStrides) {
  std::mt19937 rng(5);
  for (int seed = 1; seed <= 20; ++seed) {
    const int32_t w = static_cast<int32_t>(rng() % 23), rows = 1 + static_cast<int32_t>(rng() % 3);
    RawRows src(w, rows, 4, w * 4 + 8, seed % 3);
    RawRows a(w, rows, 4, w * 4 + 4, 1), b(w, rows, 4, w * 4 + 4, 1);
    src.Randomize(rng);
    ASSERT_EQ(UsdCopy(a.Data(), src.Data(), a.Stride(), src.Stride(), w, rows), 0);
    ASSERT_EQ(UsdCopyPentium(b.Data(), src.Data(), b.Stride(), src.Stride(), w, rows), 0);
    ASSERT_EQ(RastaRizeCopyFour(b.Data(), src.Data(), b.Stride(), src.Stride(), w, rows), 0);
    for (int32_t y = 0; y < rows; ++y)
      for (int32_t x = 0; x < w; ++x) {
        ASSERT_EQ(a.Get(x, y), src.Get(x, y)) << "seed " << seed;
        ASSERT_EQ(b.Get(x, y), src.Get(x, y)) << "seed " << seed;
      }
    ASSERT_TRUE(a.GuardsIntact() && b.GuardsIntact()) << "seed " << seed;
  }
}

TEST(UsdRows, AlphaBlends) {
  struct Case {
    const char* name;
    uint32_t d, s, want;
  };
  // d = 0x40_0000FF (alpha 0x40 kept), s = red at alpha a.
  auto run = [](int which, uint32_t d, uint32_t s) {
    switch (which) {
      case 0:
        UsdAlpha(&d, &s, 4, 4, 1, 1);
        break;
      case 1:
        UsdAlphaFast(&d, &s, 4, 4, 1, 1);
        break;
      case 2:
        UsdSTDAlpha(&d, &s, 4, 4, 1, 1, 128);
        break;
      default:
        UsdRGBAlpha(&d, &s, 4, 4, 1, 1, 0x00FF8000u);
        break;
    }
    return d;
  };
  EXPECT_EQ(run(0, 0x400000FFu, 0x00FF0000u), 0x400000FFu);  // a = 0 keeps d
  EXPECT_EQ(run(0, 0x400000FFu, 0xFFFF0000u), 0x40FF0000u);  // a = 255 gives s, alpha kept
  EXPECT_EQ(run(0, 0x400000FFu, 0x80FF0000u), 0x407F007Eu);  // (255*128)>>8, (255*127)>>8
  EXPECT_EQ(run(1, 0x400000FFu, 0xFFFF0000u), 0x40FF0000u);  // w = 256
  EXPECT_EQ(run(1, 0x400000FFu, 0x80FF0000u), 0x4080007Eu);  // w = 129
  EXPECT_EQ(run(1, 0x400000FFu, 0x00FF0000u), 0x400000FFu);
  EXPECT_EQ(run(2, 0x400000FFu, 0x00FF0000u), 0x407F007Eu);  // constant 128, source alpha unused
  EXPECT_EQ(run(3, 0x401020FFu, 0x00FF4000u),
            0x40FF2FFFu);  // red 255: s; green 128: (64*128 + 32*127)>>8; blue 0: d
  uint32_t d = 0x400000FFu, s = 0x80FF0000u;
  UsdSTDAlpha(&d, &s, 4, 4, 1, 1, 999);  // clamped to 255
  EXPECT_EQ(d, 0x40FF0000u);
}

TEST(UsdRows, ConversionsFillsAndPalettes) {
  uint32_t src[3] = {0xFFFF8040u, 0x00000000u, 0x12FFFFFFu};
  uint16_t out[3] = {};
  EXPECT_EQ(UsdColorDown(out, src, 6, 12, 3, 1), 0);
  EXPECT_EQ(out[0], 0xFC08u);
  EXPECT_EQ(out[1], 0x0000u);
  EXPECT_EQ(out[2], 0xFFFFu);

  RawRows fill(3, 2, 4, 16, 2);
  EXPECT_EQ(UsdColorFill(fill.Data(), fill.Stride(), 3, 2, 0xCAFEBABEu), 0);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(fill.Get(x, y), 0xCAFEBABEu);
  EXPECT_TRUE(fill.GuardsIntact());

  uint32_t palette[256];
  for (uint32_t i = 0; i < 256; ++i) palette[i] = 0xFF000000u | i * 0x010101u;
  const uint8_t index[2][3] = {{0, 255, 7}, {9, 9, 128}};
  RawRows pal(2, 2, 4, 12, 1);
  EXPECT_EQ(UsdPaletteBlt(pal.Data(), index, palette, pal.Stride(), 3, 2, 2), 0);
  EXPECT_EQ(pal.Get(0, 0), 0xFF000000u);
  EXPECT_EQ(pal.Get(1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(pal.Get(0, 1), 0xFF090909u);
  EXPECT_EQ(pal.Get(1, 1), 0xFF090909u);
  EXPECT_EQ(UsdPaletteBlt(pal.Data(), index, nullptr, pal.Stride(), 3, 2, 2), 1);
  EXPECT_EQ(UsdPaletteBlt(pal.Data(), index, palette, pal.Stride(), 1, 2, 2),
            1);  // index stride < row
  EXPECT_TRUE(pal.GuardsIntact());
}

TEST(UsdRows, MosaicXorSwap) {
  // 5 x 3 in blocks of 2: corners (0,0), (2,0), (4,0), (0,2), (2,2), (4,2).
  RawRows img(5, 3, 4, 24, 3), copy(5, 3, 4, 20, 0);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 5; ++x) img.Set(x, y, static_cast<uint32_t>(10 * y + x));
  EXPECT_EQ(UsdMosaicBlt(copy.Data(), img.Data(), copy.Stride(), img.Stride(), 5, 3, 2), 0);
  EXPECT_EQ(UsdMosaic(img.Data(), img.Stride(), 5, 3, 2), 0);
  const uint32_t want[3][5] = {{0, 0, 2, 2, 4}, {0, 0, 2, 2, 4}, {20, 20, 22, 22, 24}};
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 5; ++x) {
      EXPECT_EQ(img.Get(x, y), want[y][x]) << x << "," << y;
      EXPECT_EQ(copy.Get(x, y), want[y][x]) << x << "," << y;
    }
  EXPECT_EQ(UsdMosaic(img.Data(), img.Stride(), 5, 3, 0), 1);
  EXPECT_EQ(UsdMosaic(img.Data(), img.Stride(), 5, 3, INT32_MAX), 0);  // one block: all (0,0)
  EXPECT_EQ(img.Get(4, 2), 0u);

  uint32_t d[2] = {0xF0F0F0F0u, 0x1u}, s[2] = {0xFFFF0000u, 0x80000001u};
  EXPECT_EQ(UsdXOR(d, s, 8, 8, 2, 1), 0);
  EXPECT_EQ(d[0], 0x0F0FF0F0u);
  EXPECT_EQ(d[1], 0x80000000u);
  EXPECT_EQ(UsdShiftXOR(d, s, 8, 8, 2, 1, 36), 0);  // shift 36 & 31 = 4
  EXPECT_EQ(d[0], 0x0F0FF0F0u ^ 0xFFF00000u);
  EXPECT_EQ(d[1], 0x80000000u ^ 0x00000010u);

  RawRows rows(2, 3, 4, 12, 1);
  for (int32_t y = 0; y < 3; ++y) rows.Set(0, y, static_cast<uint32_t>(y)), rows.Set(1, y, 7u);
  EXPECT_EQ(UsdSwapTopBottom(rows.Data(), rows.Stride(), 1, 3), 0);  // only the first pixel
  EXPECT_EQ(rows.Get(0, 0), 2u);
  EXPECT_EQ(rows.Get(0, 1), 1u);
  EXPECT_EQ(rows.Get(0, 2), 0u);
  EXPECT_TRUE(rows.GuardsIntact());
}

TEST(UsdRows, AreaReductions) {
  // 4 x 2 source, two destination pixels: floor means per byte, alpha included.
  const uint32_t src[2][4] = {{0x00000000u, 0x04040404u, 0xFFFFFFFFu, 0xFFFFFFFFu},
                              {0x01010101u, 0x02020202u, 0xFFFFFFFFu, 0xFCFCFCFCu}};
  uint32_t out[2] = {};
  EXPECT_EQ(UsdAreas(out, src, 8, 16, 2, 1), 0);
  EXPECT_EQ(out[0], 0x01010101u);  // (0 + 4 + 1 + 2) / 4 = 1
  EXPECT_EQ(out[1], 0xFEFEFEFEu);  // (255 * 3 + 252) / 4 = 254
  uint16_t out16[2] = {};
  EXPECT_EQ(UsdAntiAreas16(out16, src, 4, 16, 2, 1), 0);
  EXPECT_EQ(out16[0], 0x0000u);
  EXPECT_EQ(out16[1], 0xFFFFu);
  // The source must hold twice the rows: a stride that makes them overlap is refused.
  EXPECT_EQ(UsdAreas(out, src, 8, 12, 2, 1), 1);
}

}  // namespace

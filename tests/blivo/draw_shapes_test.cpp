// Filled shapes: rectangle fills and their clip results, the four-corner box, the check pattern,
// triangle coverage with and without edges, the circle outline, and the row kernels of every
// instruction set against the scalar reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>

#include "blit_test_image.h"
#include "blivo.h"
#include "cpu.h"
#include "draw_kernels.h"
#include "draw_test_art.h"
#include "pixel_math.h"

namespace {

using blittest::TestImage;
using drawtest::Art;

constexpr uint32_t kInk = 0xFF102030u;
const drawtest::Legend kLegend = {{'.', 0u}, {'#', kInk}};

TEST(ColorFill, ClipsAndReports) {
  struct Case {
    int32_t x, y, w, h;
    int32_t result;
    std::vector<std::string> art;
  } const cases[] = {
      {1, 1, 2, 1, 0, {"....", ".##.", "...."}},
      {-5, -5, 7, 6, 0, {"##..", "....", "...."}},
      {2, 1, INT32_MAX, INT32_MAX, 0, {"....", "..##", "..##"}},
      {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 1, {"....", "....", "...."}},
      {4, 0, 3, 3, 1, {"....", "....", "...."}},  // entirely to the right
      {0, 0, 0, 3, 1, {"....", "....", "...."}},
      {0, 0, -3, 3, 1, {"....", "....", "...."}},
      {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, 1, {"....", "....", "...."}},
  };
  for (const Case& c : cases) {
    TestImage img(4, 3, 1);
    EXPECT_EQ(BBIDrawColorFill(img.Block(), c.x, c.y, c.w, c.h, 0, kInk), c.result) << c.x;
    EXPECT_EQ(Art(img, kLegend), c.art) << c.x << "," << c.y << " " << c.w << "x" << c.h;
    EXPECT_TRUE(img.GuardsIntact());
  }
}

TEST(ColorFill, MaskKeepsMaskedBits) {
  TestImage img(9, 2);
  img.Fill(0x80AABBCCu);
  BBIDrawColorFill(img.Block(), 0, 0, 9, 2, 0xFF000000u, 0x11223344u);
  EXPECT_EQ(img.Pixels(), std::vector<uint32_t>(18, 0x80223344u));
  BBIDrawColorFill(img.Block(), 0, 0, 9, 2, 0x00FF00FFu, 0xFFFFFFFFu);
  EXPECT_EQ(img.Pixels(), std::vector<uint32_t>(18, 0xFF22FF44u));
}

TEST(DrawBox, CornersAndEdgesTakeTheirColours) {
  const uint32_t tl = 0xFF000000u, tr = 0xFFFF0000u, bl = 0x0000FF00u, br = 0x000000FFu;
  TestImage img(5, 3, 1);
  EXPECT_EQ(BBIDrawBox(img.Block(), 0, 0, 5, 3, 0, tl, tr, bl, br), 0);
  EXPECT_EQ(img.Get(0, 0), tl);
  EXPECT_EQ(img.Get(4, 0), tr);
  EXPECT_EQ(img.Get(0, 2), bl);
  EXPECT_EQ(img.Get(4, 2), br);
  // Middle column u = 0.5 -> k = 128, top row: red (255 * 128) >> 8 = 127, alpha 255.
  EXPECT_EQ(img.Get(2, 0), 0xFF7F0000u);
  // Middle row v = 0.5: left = alpha 127 green 127, right = alpha 127 red 127 blue 127; centre
  // k = 128: red, green, blue (127 * 128) >> 8 = 63, alpha (127*128 + 127*128) >> 8 = 127.
  EXPECT_EQ(img.Get(0, 1), 0x7F007F00u);
  EXPECT_EQ(img.Get(4, 1), 0x7F7F007Fu);
  EXPECT_EQ(img.Get(2, 1), 0x7F3F3F3Fu);
  EXPECT_TRUE(img.GuardsIntact());
}

TEST(DrawBox, GradientSpansTheUnclippedRectangle) {
  // A 9-wide ramp from x = -4: column 4 of the rectangle is image column 0, k = 128.
  TestImage img(3, 1);
  BBIDrawBox(img.Block(), -4, 0, 9, 1, 0, 0u, 0x00FF0000u, 0u, 0x00FF0000u);
  EXPECT_EQ(img.Get(0, 0), 0x007F0000u);
  // One column: u = 0 everywhere; one row: v = 0.
  TestImage one(1, 1);
  BBIDrawBox(one.Block(), 0, 0, 1, 1, 0, 0x01020304u, 0xFFu, 0xFF00u, 0xFF0000u);
  EXPECT_EQ(one.Get(0, 0), 0x01020304u);
  // Masked: alpha kept.
  one.Set(0, 0, 0x42000000u);
  BBIDrawBox(one.Block(), 0, 0, 1, 1, 0xFF000000u, 0xFF020304u, 0, 0, 0);
  EXPECT_EQ(one.Get(0, 0), 0x42020304u);
  EXPECT_EQ(BBIDrawBox(one.Block(), 1, 0, 1, 1, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(BBIDrawBox(one.Block(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, 0, 0, 0), 1);
}

TEST(ColorTile, AnchoredAtImageOrigin) {
  const uint32_t c[4] = {0xA0u, 0xA1u, 0xA2u, 0xA3u};
  for (int32_t start : {0, 3, 5, -7}) {
    TestImage img(16, 16, 1);
    EXPECT_EQ(BBIDrawColorTile(img.Block(), start, start, 40, 40, 0, 8, 8, c[0], c[1], c[2], c[3]), 0);
    const int32_t s = start < 0 ? 0 : start;
    for (int32_t y = s; y < 16; ++y)
      for (int32_t x = s; x < 16; ++x)
        ASSERT_EQ(img.Get(x, y), c[((y / 8) & 1) * 2 + ((x / 8) & 1)]) << x << "," << y;
    EXPECT_TRUE(img.GuardsIntact());
  }
  // Tile sizes of 0 or less count as 1: a one-pixel checkerboard.
  TestImage img(3, 2);
  BBIDrawColorTile(img.Block(), 0, 0, 3, 2, 0, 0, -5, 1, 2, 3, 4);
  EXPECT_EQ(img.Pixels(), (std::vector<uint32_t>{1, 2, 1, 3, 4, 3}));
  EXPECT_EQ(BBIDrawColorTile(img.Block(), 0, 0, 0, 2, 0, 1, 1, 1, 2, 3, 4), 1);
  EXPECT_EQ(BBIDrawColorTile(img.Block(), 3, 0, 2, 2, 0, 1, 1, 1, 2, 3, 4), 1);
}

TEST(Triangle, EdgesLeftOrIncluded) {
  // Right triangle (0,0), (6,0), (0,6): edge pixels are those with x = 0, y = 0 or x + y = 6.
  TestImage strict(8, 7), with(8, 7);
  EXPECT_EQ(BBIDrawTriangle(strict.Block(), 0, 0, 6, 0, 0, 6, 0, kInk), 0);
  EXPECT_EQ(BBIDrawTriangleA(with.Block(), 0, 6, 6, 0, 0, 0, 0, kInk), 0);  // other orientation
  EXPECT_EQ(Art(strict, kLegend), (std::vector<std::string>{
                                      "........",
                                      ".####...",
                                      ".###....",
                                      ".##.....",
                                      ".#......",
                                      "........",
                                      "........",
                                  }));
  EXPECT_EQ(Art(with, kLegend), (std::vector<std::string>{
                                    "#######.",
                                    "######..",
                                    "#####...",
                                    "####....",
                                    "###.....",
                                    "##......",
                                    "#.......",
                                }));
}

TEST(Triangle, DegenerateAndFarCorners) {
  TestImage img(6, 6, 1);
  EXPECT_EQ(BBIDrawTriangleA(img.Block(), 0, 0, 2, 2, 5, 5, 0, kInk), 0);  // on one line
  EXPECT_EQ(img.Pixels(), std::vector<uint32_t>(36, 0u));
  EXPECT_EQ(BBIDrawTriangle(img.Block(), 10, 10, 20, 10, 10, 20, 0, kInk), 1);  // misses
  // Corners at the ends of the coordinate range: the edge from (MIN, MIN) to (MAX, MAX) is the
  // diagonal x = y, so the strict triangle takes x > y and the closed one x >= y.
  EXPECT_EQ(BBIDrawTriangle(img.Block(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX,
                            INT32_MAX, 0, kInk), 0);
  TestImage closed(6, 6, 1);
  EXPECT_EQ(BBIDrawTriangleA(closed.Block(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX,
                             INT32_MAX, 0, kInk), 0);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 6; ++x) {
      EXPECT_EQ(img.Get(x, y), x > y ? kInk : 0u) << x << "," << y;
      EXPECT_EQ(closed.Get(x, y), x >= y ? kInk : 0u) << x << "," << y;
    }
  EXPECT_TRUE(img.GuardsIntact());
  EXPECT_TRUE(closed.GuardsIntact());
}

TEST(PolaCircle, RoundedDistanceRing) {
  TestImage img(7, 7, 1);
  EXPECT_EQ(BBIDrawPolaCircle(img.Block(), 3, 3, 2, 0, kInk), 0);
  // d^2 in [2.25, 6.25): (0,2),(1,2),(2,2),(2,1) and their mirrors; (2,2) has d^2 = 8: no.
  EXPECT_EQ(Art(img, kLegend), (std::vector<std::string>{
                                   ".......",
                                   "..###..",
                                   ".#...#.",
                                   ".#...#.",
                                   ".#...#.",
                                   "..###..",
                                   ".......",
                               }));
  TestImage dot(3, 3);
  BBIDrawPolaCircle(dot.Block(), 1, 1, 0, 0, kInk);
  EXPECT_EQ(Art(dot, kLegend), (std::vector<std::string>{"...", ".#.", "..."}));
  EXPECT_EQ(BBIDrawPolaCircle(dot.Block(), 1, 1, -1, 0, kInk), 1);
  // Huge circles whose rims cross the image look straight there: the top of one is row 4, the
  // right side of the other column 4. A circle whose box ends left of the image returns 1.
  TestImage big(8, 8, 1);
  EXPECT_EQ(BBIDrawPolaCircle(big.Block(), 4, INT32_MAX, INT32_MAX - 4, 0, kInk), 0);
  EXPECT_EQ(BBIDrawPolaCircle(big.Block(), -1000000000, 4, 1000000004, 0, kInk), 0);
  EXPECT_EQ(BBIDrawPolaCircle(big.Block(), INT32_MIN, INT32_MIN, INT32_MAX, 0, kInk), 1);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x)
      EXPECT_EQ(big.Get(x, y), x == 4 || y == 4 ? kInk : 0u) << x << "," << y;
  EXPECT_TRUE(big.GuardsIntact());
}

// Row kernels: every instruction set against the reference, byte for byte.
TEST(DrawKernels, VectorSetsMatchReference) {
  namespace d = blivo::draw;
  const blivo::Isa isa = blivo::HostIsa();
  std::vector<const d::DrawKernels*> sets;
  if (isa.sse2) sets.push_back(&d::kDraw_Sse2);
  if (isa.avx2) sets.push_back(&d::kDraw_Avx2);
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    const int32_t n = static_cast<int32_t>(rng() % 300);
    const int32_t offset = static_cast<int32_t>(rng() % 4);
    std::vector<uint32_t> base(static_cast<size_t>(n + offset + 4));
    for (uint32_t& p : base) p = TestImage::RandomPixel(rng);
    const uint32_t colour = TestImage::RandomPixel(rng);
    const uint32_t left = TestImage::RandomPixel(rng), right = TestImage::RandomPixel(rng);
    const uint32_t mask = rng() % 2 ? 0u : TestImage::RandomPixel(rng);
    // Weights as a box computes them (0 and 256 included), fractions as a gradient box does,
    // rising or falling.
    std::vector<uint16_t> k(static_cast<size_t>(n) + 1);
    const int32_t denom = static_cast<int32_t>(rng() % 4 == 0 ? 0 : n + rng() % 3000);
    const int32_t i0 = denom > 0 && rng() % 2 ? std::max(0, denom - n + 1) : 0;  // ends at denom
    d::BoxWeights(k.data(), n, i0, denom);
    std::vector<float> fx(static_cast<size_t>(n) + 1), gx(static_cast<size_t>(n) + 1);
    const bool rising = rng() % 2 != 0;
    const int64_t num0 = rising ? rng() % 1001 : -static_cast<int64_t>(rng() % 1001) - n;
    d::GradFractions(fx.data(), gx.data(), n, num0, rising ? 1000.0f + n : -1000.0f - n);
    float lf[4], rf[4];
    for (int c = 0; c < 4; ++c) {
      lf[c] = static_cast<float>(rng() % 25600) / 100.0f;
      rf[c] = static_cast<float>(rng() % 25600) / 100.0f;
    }
    auto run = [&](const d::DrawKernels& set, int which) {
      std::vector<uint32_t> row = base;
      uint32_t* p = row.data() + offset;
      if (which == 0) set.fill(p, n, colour, mask);
      if (which == 1) set.box(p, n, k.data(), left, right, mask);
      if (which == 2) set.grad(p, n, fx.data(), gx.data(), lf, rf);
      return row;
    };
    for (int which = 0; which < 3; ++which) {
      const std::vector<uint32_t> want = run(d::kDraw_Ref, which);
      for (const d::DrawKernels* set : sets)
        ASSERT_EQ(run(*set, which), want) << "seed " << seed << " kernel " << which
                                          << " " << set->name;
    }
  }
  if (!isa.avx2) GTEST_SKIP() << "no AVX2 here: only the SSE2 kernels were compared";
}

TEST(DrawKernels, BoxWeightsAndReferenceBlend) {
  // Column c of a rectangle whose last column is 4: k = trunc(c / 4 * 256).
  uint16_t k[5];
  blivo::draw::BoxWeights(k, 5, 0, 4);
  EXPECT_EQ((std::vector<uint16_t>(k, k + 5)), (std::vector<uint16_t>{0, 64, 128, 192, 256}));
  std::vector<uint32_t> row(5, 0u);
  blivo::draw::BoxSpan_Ref(row.data(), 5, k, 0x00000000u, 0xFFFFFFFFu, 0);
  EXPECT_EQ(row, (std::vector<uint32_t>{0x00000000u, 0x3F3F3F3Fu, 0x7F7F7F7Fu, 0xBFBFBFBFu,
                                        0xFFFFFFFFu}));
}

// The exports give the same pixels whichever instruction set the library picks.
TEST(DrawKernels, ExportsAgreeAcrossInstructionSets) {
  auto draw = [](uint32_t seed) {
    std::mt19937 rng(seed);
    TestImage img(1100, 7, 1), ramp(2, 2);
    img.Randomize(rng);
    ramp.Randomize(rng);
    auto c = [&] { return static_cast<int32_t>(rng() % 1400) - 150; };
    const uint32_t mask = seed % 2 ? 0u : 0xFF00FF00u;
    BBIDrawColorFill(img.Block(), c(), -1, c() + 600, 3, mask, 0x89ABCDEFu);
    BBIDrawBox(img.Block(), c(), 1, 1200 + c(), 5, mask, rng(), rng(), rng(), rng());
    BBIDrawGradationBox(img.Block(), ramp.Block(), c(), 2, c(), 6);
    EXPECT_TRUE(img.GuardsIntact());
    return img.Pixels();
  };
  // Whatever happens, later tests see the machine's own instruction sets again.
  struct Restore {
    ~Restore() {
      unsetenv("BLIVO_DISABLE");
      blivo::ReloadIsa();
    }
  } restore;
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    setenv("BLIVO_DISABLE", "avx2,sse2", 1);
    blivo::ReloadIsa();
    const std::vector<uint32_t> want = draw(seed);
    for (const char* off : {"avx2", ""}) {
      setenv("BLIVO_DISABLE", off, 1);
      blivo::ReloadIsa();
      ASSERT_EQ(draw(seed), want) << "seed " << seed << " disabled '" << off << "'";
    }
  }
  if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 here: only SSE2 was compared";
}

}  // namespace

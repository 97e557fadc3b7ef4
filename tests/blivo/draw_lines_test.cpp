// Runs and lines: the documented examples, golden pictures, the stepping rule checked against a
// plain walk of every step, and lines from far outside the image that must be cut short.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>

#include "blit_test_image.h"
#include "blivo.h"
#include "draw_test_art.h"

namespace {

using blittest::TestImage;
using drawtest::Art;

constexpr uint32_t kInk = 0xFF102030u;
const drawtest::Legend kLegend = {{'.', 0u}, {'#', kInk}};

bool InImage(const TestImage& img, int64_t x, int64_t y) {
  return x >= 0 && y >= 0 && x < img.Width() && y < img.Height();
}

// The plain line walked step by step, every point tested on its own.
void WalkLine(TestImage& img, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t mask,
              uint32_t colour) {
  const int64_t ax = std::llabs(x2 - x1), ay = std::llabs(y2 - y1);
  const int64_t n = ax > ay ? ax : ay;
  const int64_t sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int64_t ex = n / 2, ey = n / 2, x = x1, y = y1;
  auto put = [&](int64_t px, int64_t py) {
    if (!InImage(img, px, py)) return;
    const uint32_t p = img.Get(static_cast<int32_t>(px), static_cast<int32_t>(py));
    img.Set(static_cast<int32_t>(px), static_cast<int32_t>(py), (colour & ~mask) | (p & mask));
  };
  for (int64_t i = 0; i < n; ++i) {
    ex += ax;
    while (ex >= n) { ex -= n; x += sx; }
    ey += ay;
    while (ey >= n) { ey -= n; y += sy; }
    put(x, y);
  }
  put(x2, y2);
}

// The gradient line walked step by step.
void WalkGradient(TestImage& img, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t s,
                  uint32_t e) {
  const int64_t dx = std::llabs(x2 - x1), dy = std::llabs(y2 - y1);
  const int64_t n = dx > dy ? dx : dy;
  const int64_t sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int64_t ex = n / 2, ey = n / 2, x = x1, y = y1;
  for (int64_t i = 0; i <= n; ++i) {
    ex += dx;
    while (ex > n) { ex -= n; x += sx; }
    ey += dy;
    while (ey > n) { ey -= n; y += sy; }
    if (!InImage(img, x, y)) continue;
    const float f = n == 0 ? static_cast<float>(i) : static_cast<float>(i) / static_cast<float>(n);
    uint32_t out = 0;
    for (int c = 0; c < 4; ++c) {
      const float v = f * static_cast<float>((e >> (8 * c)) & 0xFF) +
                      (1.0f - f) * static_cast<float>((s >> (8 * c)) & 0xFF);
      out |= (static_cast<uint32_t>(v) & 0xFFu) << (8 * c);
    }
    img.Set(static_cast<int32_t>(x), static_cast<int32_t>(y), out);
  }
}

TEST(FlipLine, ClipsTheRun) {
  struct Case {
    bool alongX;
    int32_t x, y, count;
    int32_t result;
    std::vector<std::string> art;
  } const cases[] = {
      {true, -2, 1, 5, 0, {".....", "###..", "....."}},  // documented: pixels 0..2
      {true, 3, 0, 100, 0, {"...##", ".....", "....."}},
      {true, 0, 3, 5, 1, {".....", ".....", "....."}},   // row below the image
      {true, 5, 0, 5, 1, {".....", ".....", "....."}},   // starts past the right edge
      {true, 0, 0, 0, 1, {".....", ".....", "....."}},
      {true, INT32_MIN, 2, INT32_MAX, 1, {".....", ".....", "....."}},  // ends at -1
      {true, INT32_MAX, 2, INT32_MAX, 1, {".....", ".....", "....."}},
      {true, -1, 2, INT32_MAX, 0, {".....", ".....", "#####"}},
      {false, 1, -1, 3, 0, {".#...", ".#...", "....."}},
      {false, 4, 1, 9, 0, {".....", "....#", "....#"}},
      {false, -1, 0, 3, 1, {".....", ".....", "....."}},
      {false, 0, INT32_MIN, INT32_MAX, 1, {".....", ".....", "....."}},
  };
  for (const Case& c : cases) {
    TestImage img(5, 3, 1);
    const int32_t r = c.alongX ? BBIFlipLineX(img.Block(), c.x, c.y, c.count, kInk)
                               : BBIFlipLineY(img.Block(), c.x, c.y, c.count, kInk);
    EXPECT_EQ(r, c.result) << c.x << "," << c.y << " count " << c.count;
    EXPECT_EQ(Art(img, kLegend), c.art) << c.x << "," << c.y << " count " << c.count;
    EXPECT_TRUE(img.GuardsIntact());
  }
}

TEST(DrawLine, DocumentedPoints) {
  TestImage img(5, 4);
  EXPECT_EQ(BBIDrawLine(img.Block(), 0, 0, 3, 0, 0, kInk), 0);
  EXPECT_EQ(BBIDrawLine(img.Block(), 2, 2, 2, 2, 0, kInk), 0);
  EXPECT_EQ(Art(img, kLegend), (std::vector<std::string>{".###.", ".....", "..#..", "....."}));
}

TEST(DrawLine, GoldenShallowAndSteep) {
  // n = 5, errors start at 2: x steps every step, y when the sum reaches 5 (steps 2 and 5... as
  // (2 + 2i) / 5 = 0,1,1,2,2 for i = 1..5).
  TestImage img(7, 6);
  BBIDrawLine(img.Block(), 0, 0, 5, 2, 0, kInk);
  BBIDrawLine(img.Block(), 6, 5, 6, 3, 0, kInk);  // vertical, upwards: (6,4), (6,3)
  EXPECT_EQ(Art(img, kLegend), (std::vector<std::string>{
                                   ".#.....",
                                   "..##...",
                                   "....##.",
                                   "......#",
                                   "......#",
                                   ".......",
                               }));
}

TEST(DrawLine, MaskKeepsAlpha) {
  TestImage img(3, 1);
  img.Fill(0x7F000000u);
  BBIDrawLine(img.Block(), 0, 0, 2, 0, 0xFF000000u, 0xFF123456u);
  EXPECT_EQ(img.Get(0, 0), 0x7F000000u);  // start point not drawn
  EXPECT_EQ(img.Get(1, 0), 0x7F123456u);
  EXPECT_EQ(img.Get(2, 0), 0x7F123456u);
}

TEST(DrawLine, MatchesStepByStepWalk) {
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    std::mt19937 rng(seed);
    const int32_t w = 1 + static_cast<int32_t>(rng() % 23), h = 1 + static_cast<int32_t>(rng() % 19);
    auto coord = [&] { return static_cast<int32_t>(rng() % 161) - 70; };
    const int32_t x1 = coord(), y1 = coord(), x2 = coord(), y2 = coord();
    const uint32_t mask = (seed % 3 == 0) ? 0xFF0000FFu : 0u;
    TestImage got(w, h, 2), want(w, h, 2);
    got.Randomize(rng);
    want.SetPixels(got.Pixels());
    BBIDrawLine(got.Block(), x1, y1, x2, y2, mask, kInk);
    WalkLine(want, x1, y1, x2, y2, mask, kInk);
    ASSERT_EQ(got.Pixels(), want.Pixels()) << "seed " << seed;
    ASSERT_TRUE(got.GuardsIntact()) << "seed " << seed;
  }
}

TEST(DrawLine, FarEndpointsAreCutNotWalked) {
  // From one corner of the coordinate space to the other: x = y all along, so the diagonal of
  // the image is drawn; walking 2^32 steps would not finish.
  TestImage img(6, 4, 1);
  EXPECT_EQ(BBIDrawLine(img.Block(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, kInk), 0);
  EXPECT_EQ(Art(img, kLegend), (std::vector<std::string>{"#.....", ".#....", "..#...", "...#.."}));
  // Horizontal through row 2, and lines that miss entirely.
  BBIDrawLine(img.Block(), INT32_MAX, 2, INT32_MIN, 2, 0, kInk);
  BBIDrawLine(img.Block(), INT32_MIN, -1, INT32_MAX, -1, 0, kInk);
  BBIDrawLine(img.Block(), INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, 0, kInk);
  BBIDotThick(img.Block(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, kInk);
  EXPECT_EQ(Art(img, kLegend), (std::vector<std::string>{"#.....", ".#....", "######", "...#.."}));
  EXPECT_TRUE(img.GuardsIntact());
}

TEST(DrawLine, FarLinesMatchTheWalkInsideTheImage) {
  // Long lines (a few million steps, still walkable) from outside through the image.
  std::mt19937 rng(7);
  for (int k = 0; k < 6; ++k) {
    auto far = [&] { return static_cast<int32_t>(rng() % 4000001) - 2000000; };
    int32_t x1 = far(), y1 = far();
    // Aim through the image: the end mirrors the start about a point inside it.
    const int32_t px = static_cast<int32_t>(rng() % 16), py = static_cast<int32_t>(rng() % 12);
    const int32_t x2 = 2 * px - x1, y2 = 2 * py - y1;
    TestImage got(16, 12), want(16, 12);
    BBIDrawLine(got.Block(), x1, y1, x2, y2, 0, kInk);
    WalkLine(want, x1, y1, x2, y2, 0, kInk);
    EXPECT_EQ(got.Pixels(), want.Pixels()) << x1 << "," << y1 << " -> " << x2 << "," << y2;
  }
}

TEST(DotThick, FillsOnlyWellSurroundedGaps) {
  // The diagonal walk visits (1,1), (2,2), (3,3): (1,1) has four inked neighbours, (2,2) two,
  // (3,3) none; the end point is not added.
  const drawtest::Legend legend = kLegend;
  TestImage img(5, 5);
  drawtest::Paint(img,
                  {
                      ".#...",
                      "#.#..",
                      ".#...",
                      ".....",
                      ".....",
                  },
                  legend);
  EXPECT_EQ(BBIDotThick(img.Block(), 0, 0, 3, 3, 0, kInk), 0);
  EXPECT_EQ(Art(img, legend), (std::vector<std::string>{
                                  ".#...",
                                  "###..",
                                  ".#...",
                                  ".....",
                                  ".....",
                              }));
  // A later point counts the ones written before it: a gap column between two inked columns
  // has two inked neighbours per point, until its top point is inked.
  TestImage col(3, 4);
  drawtest::Paint(col, {"#.#", "#.#", "#.#", "..."}, legend);
  BBIDotThick(col.Block(), 1, -1, 1, 3, 0, kInk);
  // (1,0): left, right = 2, above outside -> no. (1,1): left, right, above? not yet -> 2 -> no.
  EXPECT_EQ(Art(col, legend), (std::vector<std::string>{"#.#", "#.#", "#.#", "..."}));
  col.Set(1, 0, kInk);
  BBIDotThick(col.Block(), 1, -1, 1, 3, 0, kInk);
  // Now (1,1) sees left, right and above; then (1,2) sees (1,1) written just before.
  EXPECT_EQ(Art(col, legend), (std::vector<std::string>{"###", "###", "###", "..."}));
}

TEST(GradationLine, DocumentedPoints) {
  TestImage ramp(2, 1), img(6, 2);
  ramp.Set(0, 0, 0x00000000u);
  ramp.Set(1, 0, 0xFF3060F0u);
  EXPECT_EQ(BBIDrawGradationLine(img.Block(), ramp.Block(), 0, 0, 3, 0), 0);
  EXPECT_EQ(img.Get(0, 0), 0u);
  EXPECT_EQ(img.Get(1, 0), 0x00000000u);  // f = 0: the start colour
  // f = 1/3 and 2/3 of each byte, truncated: 0xFF * 1/3 = 85, 0x30 -> 16, 0x60 -> 32, 0xF0 -> 80.
  EXPECT_EQ(img.Get(2, 0), 0x55102050u);
  EXPECT_EQ(img.Get(3, 0), 0xAA2040A0u);
  EXPECT_EQ(img.Get(4, 0), 0xFF3060F0u);  // f = 1: the end colour, one step past the end
  EXPECT_EQ(img.Get(5, 0), 0u);
  // Length zero: the start point in the start colour.
  TestImage dot(3, 3);
  ramp.Set(0, 0, 0x11223344u);
  BBIDrawGradationLine(dot.Block(), ramp.Block(), 1, 1, 1, 1);
  EXPECT_EQ(dot.Get(1, 1), 0x11223344u);
  // A ramp of one pixel is refused.
  TestImage thin(1, 1);
  EXPECT_EQ(BBIDrawGradationLine(img.Block(), thin.Block(), 0, 0, 3, 0), 1);
}

TEST(GradationLine, MatchesStepByStepWalk) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    const int32_t w = 1 + static_cast<int32_t>(rng() % 20), h = 1 + static_cast<int32_t>(rng() % 20);
    auto coord = [&] { return static_cast<int32_t>(rng() % 121) - 50; };
    const int32_t x1 = coord(), y1 = coord(), x2 = coord(), y2 = coord();
    TestImage ramp(2, 1);
    ramp.Randomize(rng);
    TestImage got(w, h, 1), want(w, h, 1);
    BBIDrawGradationLine(got.Block(), ramp.Block(), x1, y1, x2, y2);
    WalkGradient(want, x1, y1, x2, y2, ramp.Get(0, 0), ramp.Get(1, 0));
    ASSERT_EQ(got.Pixels(), want.Pixels()) << "seed " << seed;
    ASSERT_TRUE(got.GuardsIntact()) << "seed " << seed;
  }
  TestImage ramp(2, 1), img(8, 8, 1);
  ramp.Set(1, 0, 0xFFFFFFFFu);
  EXPECT_EQ(BBIDrawGradationLine(img.Block(), ramp.Block(), INT32_MIN, INT32_MIN, INT32_MAX,
                                 INT32_MAX), 0);
  EXPECT_TRUE(img.GuardsIntact());
}

TEST(AlphaLine, CoverageSplitsBetweenTwoPixels) {
  // A horizontal line lies on its pixels: full coverage, the colour replaces them.
  TestImage img(5, 3);
  EXPECT_EQ(BBIDrawAlphaLine(img.Block(), 0, 1, 4, 1, 0xFF808080u, 0xFF808080u), 0);
  for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(img.Get(x, 1), 0xFF808080u) << x;
  EXPECT_EQ(img.Get(2, 0), 0u);
  EXPECT_EQ(img.Get(2, 2), 0u);
  // Half-way between rows 0 and 1 at x = 1 (slope 1/2): weight 128 each, alpha 127, on black
  // each colour byte (255 * 127) >> 8 = 126 and the alpha byte (127 * 127) >> 8 = 63.
  TestImage half(3, 2);
  BBIDrawAlphaLine(half.Block(), 0, 0, 2, 1, 0xFFFFFFFFu, 0xFFFFFFFFu);
  EXPECT_EQ(half.Get(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(half.Get(1, 0), 0x3F7E7E7Eu);
  EXPECT_EQ(half.Get(1, 1), 0x3F7E7E7Eu);
  EXPECT_EQ(half.Get(2, 1), 0xFFFFFFFFu);
  // Transparent colour leaves everything; far-off ends stay inside.
  TestImage clear(4, 4, 1);
  BBIDrawAlphaLine(clear.Block(), 0, 0, 3, 3, 0x00FFFFFFu, 0x00FFFFFFu);
  EXPECT_EQ(clear.Pixels(), std::vector<uint32_t>(16, 0u));
  BBIDrawAlphaLine(clear.Block(), INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, 0xFFFFFFFFu, 0xFF000000u);
  EXPECT_TRUE(clear.GuardsIntact());
}

}  // namespace

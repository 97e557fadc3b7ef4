// Flood fill and colour replacement: documented cases, a maze whose corridors must be followed
// without leaking through corners, a differential run against a plain breadth-first fill, and
// the outline modes judged on the picture before the call.
#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <random>

#include "blit_test_image.h"
#include "blivo.h"
#include "draw_test_art.h"

namespace {

using blittest::TestImage;
using drawtest::Art;

constexpr uint32_t kWall = 0xFF000000u, kFloor = 0xFFFFFFFFu, kPaint = 0xFF00FF00u;
const drawtest::Legend kLegend = {{'#', kWall}, {'.', kFloor}, {'o', kPaint}};

TEST(Paint, SeedRules) {
  TestImage img(3, 3, 1);
  img.Fill(kPaint);
  int32_t box[4] = {-1, -1, -1, -1};
  EXPECT_EQ(BBIPaint(img.Block(), 1, 1, kPaint, &box[0], &box[1], &box[2], &box[3]), 1);
  EXPECT_EQ(box[0], -1);  // untouched on refusal
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 3}, {INT32_MIN, INT32_MAX}})
    EXPECT_EQ(BBIPaint(img.Block(), x, y, kFloor, nullptr, nullptr, nullptr, nullptr), 1);
  // A one-pixel island: that pixel, a 1 x 1 box.
  img.Set(2, 0, kFloor);
  EXPECT_EQ(BBIPaint(img.Block(), 2, 0, kWall, &box[0], &box[1], &box[2], &box[3]), 0);
  EXPECT_EQ(img.Get(2, 0), kWall);
  EXPECT_EQ(img.Get(1, 0), kPaint);
  EXPECT_EQ((std::vector<int32_t>{box[0], box[1], box[2], box[3]}), (std::vector<int32_t>{2, 0, 2, 0}));
  EXPECT_TRUE(img.GuardsIntact());
}

TEST(Paint, FollowsMazeCorridorsOnly) {
  const std::vector<std::string> maze = {
      "###########",
      "#...#.....#",
      "#.#.#.###.#",
      "#.#...#...#",
      "#.#####.###",
      "#.#...#...#",
      "#...#.#.#.#",
      "#####...#..",
      "#..#######.",
      "#..#.....#.",
      "####.....#.",
  };
  TestImage img(11, 11, 2);
  drawtest::Paint(img, maze, kLegend);
  int32_t box[4] = {};
  EXPECT_EQ(BBIPaint(img.Block(), 1, 1, kPaint, &box[0], &box[1], &box[2], &box[3]), 0);
  // The pocket at the lower left and the room at the bottom touch the corridors only at corners
  // or not at all; the channel at the right edge is reached through (9,7), (10,7).
  EXPECT_EQ(Art(img, kLegend), (std::vector<std::string>{
                                   "###########",
                                   "#ooo#ooooo#",
                                   "#o#o#o###o#",
                                   "#o#ooo#ooo#",
                                   "#o#####o###",
                                   "#o#ooo#ooo#",
                                   "#ooo#o#o#o#",
                                   "#####ooo#oo",
                                   "#..#######o",
                                   "#..#.....#o",
                                   "####.....#o",
                               }));
  EXPECT_EQ((std::vector<int32_t>{box[0], box[1], box[2], box[3]}),
            (std::vector<int32_t>{1, 1, 10, 10}));
  EXPECT_TRUE(img.GuardsIntact());
}

// Plain breadth-first fill, one pixel at a time.
void FloodReference(TestImage& img, int32_t sx, int32_t sy, uint32_t colour) {
  const uint32_t old = img.Get(sx, sy);
  if (old == colour) return;
  std::deque<std::pair<int32_t, int32_t>> todo{{sx, sy}};
  img.Set(sx, sy, colour);
  while (!todo.empty()) {
    auto [x, y] = todo.front();
    todo.pop_front();
    const int32_t nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
    for (int k = 0; k < 4; ++k) {
      if (nx[k] < 0 || ny[k] < 0 || nx[k] >= img.Width() || ny[k] >= img.Height()) continue;
      if (img.Get(nx[k], ny[k]) != old) continue;
      img.Set(nx[k], ny[k], colour);
      todo.push_back({nx[k], ny[k]});
    }
  }
}

TEST(Paint, MatchesBreadthFirstFill) {
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    std::mt19937 rng(seed);
    const int32_t w = 1 + static_cast<int32_t>(rng() % 60), h = 1 + static_cast<int32_t>(rng() % 60);
    TestImage got(w, h, 1), want(w, h, 1);
    const uint32_t density = 2 + rng() % 5;  // walls one pixel in `density`
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) got.Set(x, y, rng() % density == 0 ? kWall : kFloor);
    want.SetPixels(got.Pixels());
    const int32_t x = static_cast<int32_t>(rng() % static_cast<uint32_t>(w));
    const int32_t y = static_cast<int32_t>(rng() % static_cast<uint32_t>(h));
    int32_t box[4] = {};
    const int32_t r = BBIPaint(got.Block(), x, y, kPaint, &box[0], &box[1], &box[2], &box[3]);
    FloodReference(want, x, y, kPaint);
    ASSERT_EQ(r, 0) << "seed " << seed;
    ASSERT_EQ(got.Pixels(), want.Pixels()) << "seed " << seed;
    // The reported box is the filled pixels' bounding box.
    int32_t l = w, t = h, rr = -1, b = -1;
    for (int32_t py = 0; py < h; ++py)
      for (int32_t px = 0; px < w; ++px)
        if (want.Get(px, py) == kPaint) {
          l = std::min(l, px); t = std::min(t, py); rr = std::max(rr, px); b = std::max(b, py);
        }
    ASSERT_EQ((std::vector<int32_t>{box[0], box[1], box[2], box[3]}), (std::vector<int32_t>{l, t, rr, b}))
        << "seed " << seed;
  }
}

TEST(Paint, LargeSerpentineFinishes) {
  // A serpentine of 300 corridors: deep for a recursive fill, fine for a span stack.
  const int32_t w = 601, h = 600;
  TestImage img(w, h);
  img.Fill(kFloor);
  for (int32_t x = 1; x < w; x += 2)
    for (int32_t y = 0; y < h; ++y)
      if ((x / 2) % 2 == 0 ? y != h - 1 : y != 0) img.Set(x, y, kWall);
  EXPECT_EQ(BBIPaint(img.Block(), 0, 0, kPaint, nullptr, nullptr, nullptr, nullptr), 0);
  for (int32_t x = 0; x < w; x += 2) {
    ASSERT_EQ(img.Get(x, h / 2), kPaint) << x;
  }
}

TEST(PaintChoose, Modes) {
  // Key '.' (floor); a key square inside walls, and a wall pixel inside the square.
  const std::vector<std::string> before = {
      "######",
      "#....#",
      "#.##.#",
      "#....#",
      "######",
  };
  const drawtest::Legend legend = {{'#', kWall}, {'.', kFloor}, {'a', 0xA}, {'c', 0xC}, {'d', 0xD}};
  struct Case {
    int32_t mode;
    int32_t result;
    std::vector<std::string> after;
  } const cases[] = {
      {0, 0, {"######", "#aaaa#", "#a##a#", "#aaaa#", "######"}},
      {1, 0, {"aaaaaa", "a....a", "a.aa.a", "a....a", "aaaaaa"}},
      // Mode 2: walls beside floor -> c, other walls -> a, floor beside walls -> d.
      {2, 0, {"acccca", "cddddc", "cdccdc", "cddddc", "acccca"}},
      // Mode 3: floor beside a wall (every floor pixel here) -> a.
      {3, 0, {"######", "#aaaa#", "#a##a#", "#aaaa#", "######"}},
      // Mode 4: walls beside floor -> a; image corners see no floor.
      {4, 0, {"#aaaa#", "a....a", "a.aa.a", "a....a", "#aaaa#"}},
      {5, 2, before},
      {-1, 2, before},
  };
  for (const Case& c : cases) {
    TestImage img(6, 5, 1);
    drawtest::Paint(img, before, legend);
    EXPECT_EQ(BBIPaintChoose(img.Block(), c.mode, 0xA, kFloor, 0xC, 0xD), c.result) << c.mode;
    EXPECT_EQ(Art(img, legend), c.after) << "mode " << c.mode;
    EXPECT_TRUE(img.GuardsIntact());
  }
}

TEST(PaintChoose, InnerRingOfAKeySquare) {
  // Documented: mode 3 on a key square inside another colour changes only its outermost ring.
  TestImage img(7, 7);
  img.Fill(kWall);
  for (int32_t y = 1; y < 6; ++y)
    for (int32_t x = 1; x < 6; ++x) img.Set(x, y, kFloor);
  BBIPaintChoose(img.Block(), 3, kPaint, kFloor, 0, 0);
  EXPECT_EQ(Art(img, kLegend), (std::vector<std::string>{
                                   "#######",
                                   "#ooooo#",
                                   "#o...o#",
                                   "#o...o#",
                                   "#o...o#",
                                   "#ooooo#",
                                   "#######",
                               }));
}

}  // namespace

#include "present/CQuadrangle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/EngineFakes.h"
#include "engine/spLib.h"
#include "util/CApi.h"

namespace {

using present::CQuadrangle;

struct Picture {
  Picture(int32_t w, int32_t h) : width(w), height(h), pixels(static_cast<size_t>(w * h)) {
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        pixels[static_cast<size_t>(y * w + x)] =
            0xFF000000u | static_cast<uint32_t>(x & 0xFF) << 16 | static_cast<uint32_t>(y & 0xFF) << 8 | 0x40;
  }
  int32_t width, height;
  std::vector<uint32_t> pixels;
};

TEST(CQuadrangleGrid, CellSizeCellCountAndEndCount) {
  struct Case {
    int32_t w, h, cx, cy;
    float sx, sy;
    int32_t cw, ch, gx, gy, end;
  } cases[] = {
      {800, 600, 24, 18, 1.0f, 1.0f, 34, 34, 23, 17, 35},   // the closing wipe
      {800, 600, 0, -3, 1.0f, 1.0f, 800, 600, 1, 1, 601},   // clamped to one cell each way
      {800, 600, 100, 100, 1.0f, 1.0f, 20, 15, 40, 40, 16}, // clamped to 40
      {800, 600, 8, 6, 0.0f, 0.0f, 100, 100, 8, 6, 1001},   // no shrinking: 1000 + 1
      {800, 600, 8, 6, 0.0f, 4.0f, 100, 100, 8, 6, 26},     // only sy
      {800, 600, 8, 6, 3.0f, 0.0f, 100, 100, 8, 6, 34},     // 33.33 -> 33, only sx
      {800, 600, 8, 6, 0.001f, 0.001f, 100, 100, 8, 6, 1001},  // limited to 1000
      {100, 100, 8, 8, 2.0f, 2.0f, 13, 13, 7, 7, 7},        // 6.5 rounds to even
      {1, 1, 5, 5, 1.0f, 1.0f, 2, 2, 0, 0, 3},              // cells at least 2 wide
  };
  for (const Case& c : cases) {
    Picture pic(c.w, c.h);
    util::CApi api;
    CQuadrangle q(nullptr, &api);
    q.Target(pic.pixels.data(), c.w, c.h, c.w * 4);
    q.SplitRgnRand(c.cx, c.cy, c.sx, c.sy, 10.0f);
    EXPECT_EQ(q.CellWidth(), c.cw) << c.w << " " << c.cx;
    EXPECT_EQ(q.CellHeight(), c.ch) << c.h << " " << c.cy;
    EXPECT_EQ(q.CellsX(), c.gx);
    EXPECT_EQ(q.CellsY(), c.gy);
    EXPECT_EQ(q.CellCount(), (c.gx + 1) * (c.gy + 1));
    EXPECT_EQ(q.EndCount(), c.end) << c.sx << " " << c.sy;
    EXPECT_TRUE(q.Efects());
  }
}

TEST(CQuadrangle, CellsMoveByTheirVelocityAndAccelerate) {
  Picture pic(100, 100);
  util::CApi api;
  CQuadrangle q(nullptr, &api);
  q.Target(pic.pixels.data(), 100, 100, 400);
  // No spread: every cell heads straight up (a quarter turn) at (r + 0.05) * speed.
  q.SplitRgnAngle(2, 2, 2.0f, 2.0f, 10.0f, 1.5707964f, 0.0f, 0.5f, 1.0f);
  const std::vector<CQuadrangle::Cell> start = q.Cells();
  q.DoCompose();
  q.DoCompose();
  ASSERT_EQ(q.Cells().size(), start.size());
  for (size_t i = 0; i < start.size(); ++i) {
    const CQuadrangle::Cell& a = start[i];
    const CQuadrangle::Cell& b = q.Cells()[i];
    EXPECT_GE(a.v, 0.5f);
    EXPECT_NEAR(a.vx, 0.0f, 1e-3f);
    EXPECT_NEAR(a.vy, -a.v, 1e-4f);
    // Two steps: position += v, then v += acceleration; the corner follows the shrink by halves.
    EXPECT_NEAR(b.x, a.x + 2 * a.vx + 0.5f + 2 * 1.0f, 1e-3f);
    EXPECT_NEAR(b.y, a.y + 2 * a.vy + 1.0f + 2 * 1.0f, 1e-3f);
    EXPECT_NEAR(b.vy, a.vy + 2.0f, 1e-4f);
    EXPECT_FLOAT_EQ(b.w, a.w - 4.0f);
  }
}

TEST(CQuadrangle, RingCellsMoveAwayFromTheCentre) {
  Picture pic(200, 200);
  util::CApi api;
  CQuadrangle q(nullptr, &api);
  q.Target(pic.pixels.data(), 200, 200, 800);
  q.SplitRgnRing(4, 4, 1.0f, 1.0f, 40.0f, 0.5f, 0.5f, 0.0f, 0.0f);
  for (const CQuadrangle::Cell& c : q.Cells()) {
    const float px = c.x + c.w / 2 - 100, py = c.y + c.h / 2 - 100;
    EXPECT_GE(c.vx * px + c.vy * py, -1e-3f);  // never towards the centre
    EXPECT_LE(c.v, 0.0f);
  }
}

TEST(CQuadrangle, OnlyTheClipAreaIsDrawnAndTheWipeEndsInBlack) {
  Picture pic(64, 48);
  const std::vector<uint32_t> before = pic.pixels;
  util::CApi api;
  api.Randomize(7);
  CQuadrangle q(nullptr, &api);
  q.Target(pic.pixels.data(), 64, 48, 256);
  q.Clipper(8, 4, 40, 30);
  q.SplitRgnRand(4, 3, 1.0f, 1.0f, 3.0f);
  EXPECT_EQ(q.EndCount(), 11);  // cells of 10 x 10
  int32_t frames = 0;
  while (q.Efects()) {
    q.DoCompose();
    ++frames;
  }
  EXPECT_EQ(frames, 11);
  for (int32_t y = 0; y < 48; ++y)
    for (int32_t x = 0; x < 64; ++x) {
      const size_t i = static_cast<size_t>(y * 64 + x);
      const bool inside = x >= 8 && x < 48 && y >= 4 && y < 34;
      EXPECT_EQ(pic.pixels[i], inside ? 0xFF000000u : before[i]) << x << "," << y;
    }
}

TEST(CQuadrangle, CrossShowsTheNextPictureUnderTheCells) {
  Picture pic(40, 40);
  image::CmgBBI after;
  after.CreateBBI(40, 40);
  std::fill(after.Pixels(), after.Pixels() + 1600, 0xFF336699u);
  util::CApi api;
  CQuadrangle q(nullptr, &api);
  q.Target(pic.pixels.data(), 40, 40, 160);
  q.SplitRgnStatic(2, 2, 2.0f, 2.0f, 0.5f, 0.5f);
  q.DoComposeCross(after);
  // Static cells shrink about their centres: the corners show the next picture, centres the old.
  EXPECT_EQ(pic.pixels[0], 0xFF336699u);
  EXPECT_EQ(pic.pixels[10 * 40 + 10], 0xFF0A0A40u);
  while (q.Efects()) q.DoComposeCross(after, true);
  for (uint32_t p : pic.pixels) ASSERT_EQ(p, 0xFF336699u);
}

TEST(CQuadrangle, WithEfectsTheCellsFadeWithTheRemainingFrames) {
  Picture pic(40, 40);
  util::CApi api;
  CQuadrangle q(nullptr, &api);
  q.Target(pic.pixels.data(), 40, 40, 160);
  q.SplitRgnStatic(2, 2, 2.0f, 2.0f, 0.5f, 0.5f);
  ASSERT_EQ(q.EndCount(), 11);
  q.DoCompose(true);
  // Frame 1 of 11: the cell keeps 255 * 10 / 11 = 231 of 255 over black.
  EXPECT_EQ(pic.pixels[10 * 40 + 10], 0xFF09093Au);
  q.DoCompose(false);
  EXPECT_EQ(pic.pixels[10 * 40 + 10], 0xFF0A0A40u);
}

TEST(CQuadrangle, TheEngineRootsEventsDropThePicture) {
  enginetest::FakeClock clock;
  engine::spLib root(enginetest::PassingServices(clock, nullptr, nullptr));
  for (int which = 0; which < 2; ++which) {
    Picture pic(32, 32);
    CQuadrangle q(&root);
    q.Target(pic.pixels.data(), 32, 32, 128);
    q.SplitRgnRand(2, 2, 1.0f, 1.0f, 5.0f);
    ASSERT_TRUE(q.HasPicture());
    if (which == 0) root.ViderMemoryOver.Raise();
    else root.TerminateDraw.Raise();
    EXPECT_FALSE(q.HasPicture());
    EXPECT_FALSE(q.HasTarget());
    const std::vector<uint32_t> kept = pic.pixels;
    q.DoCompose();
    EXPECT_EQ(pic.pixels, kept);
    EXPECT_EQ(q.FrameCount(), 1);
  }
}

}  // namespace

// Box resampling and box blur against independent models (virtual samples, windowed sums),
// their worked examples, in-place use, argument limits and guard bytes.
#include <gtest/gtest.h>

#include <vector>

#include "blivo.h"
#include "scale_fixture.h"

namespace {

using scaletest::FromPixels;
using scaletest::GuardedImage;

using Line = std::vector<uint32_t>;

uint32_t Channel(uint32_t p, int k) { return (p >> (8 * k)) & 0xFFu; }

// Every pixel num times in a row of virtual samples; output i averages samples
// i * den .. (i + 1) * den - 1 that exist; outputs without samples stay as they were.
Line ModelScale(const Line& in, const Line& before, int num, int den) {
  std::vector<uint32_t> samples;
  for (uint32_t p : in)
    for (int k = 0; k < num; ++k) samples.push_back(p);
  Line out = before;
  for (size_t i = 0; i < in.size(); ++i) {
    const size_t v0 = i * den;
    if (v0 >= samples.size()) break;
    const size_t v1 = std::min(samples.size(), v0 + den);
    uint32_t px = 0;
    for (int c = 0; c < 4; ++c) {
      uint32_t sum = 0;
      for (size_t v = v0; v < v1; ++v) sum += Channel(samples[v], c);
      px |= (sum / static_cast<uint32_t>(v1 - v0)) << (8 * c);
    }
    out[i] = px;
  }
  return out;
}

// Output i: floor of the mean of pixels max(0, i - r) .. min(n - 1, i + r).
Line ModelBlur(const Line& in, int r) {
  const int n = static_cast<int>(in.size());
  Line out(in.size());
  for (int i = 0; i < n; ++i) {
    const int lo = std::max(0, i - r), hi = std::min(n - 1, i + r);
    uint32_t px = 0;
    for (int c = 0; c < 4; ++c) {
      uint32_t sum = 0;
      for (int k = lo; k <= hi; ++k) sum += Channel(in[k], c);
      px |= (sum / static_cast<uint32_t>(hi - lo + 1)) << (8 * c);
    }
    out[i] = px;
  }
  return out;
}

Line RowOf(const GuardedImage& img, int x, int y, int n) {
  Line v;
  for (int i = 0; i < n; ++i) v.push_back(img.At(x + i, y));
  return v;
}
Line ColOf(const GuardedImage& img, int x, int y, int n) {
  Line v;
  for (int i = 0; i < n; ++i) v.push_back(img.At(x, y + i));
  return v;
}

TEST(UScale, QuarterOfEightGivesTwoAverages) {
  GuardedImage img = FromPixels(8, 1, {0, 4, 8, 12, 0x04000000, 0x04000000, 0x04000000, 7});
  ASSERT_EQ(BBIBltUScale(img.Block(), img.Block(), 0, 0, 8, 1, 0, 0, 1, 4), 0);
  // (0 + 4 + 8 + 12) / 4 = 6; the second group: alpha 3 * 4 / 4 = 3, blue 7 / 4 = 1; the six
  // outputs past the samples keep their values.
  EXPECT_EQ(img.Pixels(), (Line{6, 0x03000001, 8, 12, 0x04000000, 0x04000000, 0x04000000, 7}));
  EXPECT_TRUE(img.GuardsIntact());
}

TEST(UScale, DoublingInPlace) {
  GuardedImage img = FromPixels(4, 1, {10, 20, 0, 0});
  ASSERT_EQ(BBIBltUScale(img.Block(), img.Block(), 0, 0, 4, 1, 0, 0, 2, 1), 0);
  EXPECT_EQ(img.Pixels(), (Line{10, 10, 20, 20}));
  GuardedImage col = FromPixels(1, 4, {10, 20, 0, 0});
  ASSERT_EQ(BBIBltVScale(col.Block(), col.Block(), 0, 0, 1, 4, 0, 0, 2, 1), 0);
  EXPECT_EQ(col.Pixels(), (Line{10, 10, 20, 20}));
}

TEST(UScale, FactorLimits) {
  struct Case {
    int32_t num, den, result;
  } const cases[] = {{0, 1, 1}, {1, 0, 1}, {-3, 2, 1}, {2, INT32_MIN, 1}, {1000, 1000, 0}};
  for (const Case& c : cases) {
    GuardedImage img = FromPixels(3, 1, {1, 2, 3});
    EXPECT_EQ(BBIBltUScale(img.Block(), img.Block(), 0, 0, 3, 1, 0, 0, c.num, c.den), c.result);
    EXPECT_EQ(BBIBltVScale(img.Block(), img.Block(), 0, 0, 3, 1, 0, 0, c.num, c.den), c.result);
    EXPECT_EQ(img.Pixels(), (Line{1, 2, 3})) << c.num << "/" << c.den;  // 128 / 128 is identity
  }
}

// Random rows and columns, separate images and in place, against the virtual-sample model.
TEST(UScale, MatchesVirtualSampleModel) {
  for (uint32_t seed = 1; seed <= 150; ++seed) {
    std::mt19937 rng(seed);
    const int w = 1 + rng() % 37, h = 1 + rng() % 23;
    const int num = 1 + rng() % (rng() % 2 ? 6 : 128), den = 1 + rng() % (rng() % 2 ? 6 : 128);
    const bool inPlace = rng() % 2;
    const bool vertical = rng() % 2;
    GuardedImage src(w + 2, h + 2, rng() % 2), dst(w + 3, h + 1, rng() % 3);
    src.Randomize(rng);
    dst.Randomize(rng);
    GuardedImage& out = inPlace ? src : dst;
    const GuardedImage before = out;
    const GuardedImage original = src;
    const int sx = rng() % 3, sy = rng() % 3;
    const int dx = inPlace ? sx : rng() % 4, dy = inPlace ? sy : rng() % 2;
    // Pick a rectangle inside both images.
    const int cw = std::min({w, out.Width() - dx, src.Width() - sx});
    const int ch = std::min({h, out.Height() - dy, src.Height() - sy});
    const int32_t res =
        vertical ? BBIBltVScale(out.Block(), src.Block(), dx, dy, cw, ch, sx, sy, num, den)
                 : BBIBltUScale(out.Block(), src.Block(), dx, dy, cw, ch, sx, sy, num, den);
    ASSERT_EQ(res, 0) << "seed " << seed;
    if (!vertical) {
      for (int j = 0; j < ch; ++j)
        ASSERT_EQ(RowOf(out, dx, dy + j, cw),
                  ModelScale(RowOf(original, sx, sy + j, cw), RowOf(before, dx, dy + j, cw), num,
                             den))
            << "seed " << seed << " row " << j;
    } else {
      for (int i = 0; i < cw; ++i)
        ASSERT_EQ(ColOf(out, dx + i, dy, ch),
                  ModelScale(ColOf(original, sx + i, sy, ch), ColOf(before, dx + i, dy, ch), num,
                             den))
            << "seed " << seed << " column " << i;
    }
    ASSERT_TRUE(out.GuardsIntact()) << "seed " << seed;
  }
}

TEST(UBlur, RadiusOneExample) {
  GuardedImage img = FromPixels(5, 1, {0, 0, 255, 0, 0});
  ASSERT_EQ(BBIBltUBlur(img.Block(), img.Block(), 0, 0, 5, 1, 0, 0, 1), 0);
  EXPECT_EQ(img.Pixels(), (Line{0, 85, 85, 85, 0}));
  GuardedImage col = FromPixels(1, 5, {0, 0, 255u << 24, 0, 0});
  ASSERT_EQ(BBIBltVBlur(col.Block(), col.Block(), 0, 0, 1, 5, 0, 0, 1), 0);
  EXPECT_EQ(col.Pixels(), (Line{0, 85u << 24, 85u << 24, 85u << 24, 0}));
}

TEST(UBlur, RadiusLimits) {
  // Six pixels: the radius is limited to 6 / 2 - 1 = 2 whatever is asked.
  const Line row{255, 0, 0, 0, 0, 255};
  for (int32_t radius : {2, 3, 127, 1000, INT32_MAX}) {
    GuardedImage img = FromPixels(6, 1, row);
    ASSERT_EQ(BBIBltUBlur(img.Block(), img.Block(), 0, 0, 6, 1, 0, 0, radius), 0);
    EXPECT_EQ(img.Pixels(), ModelBlur(row, 2)) << radius;
  }
  // Below 1, and for rows of fewer than 4 pixels, a plain copy.
  for (int32_t radius : {0, -5, INT32_MIN}) {
    const GuardedImage src = FromPixels(6, 1, row);
    GuardedImage dst(6, 1);
    ASSERT_EQ(BBIBltUBlur(dst.Block(), src.Block(), 0, 0, 6, 1, 0, 0, radius), 0);
    EXPECT_EQ(dst.Pixels(), row) << radius;
  }
  GuardedImage three = FromPixels(3, 1, {255, 0, 0});
  ASSERT_EQ(BBIBltUBlur(three.Block(), three.Block(), 0, 0, 3, 1, 0, 0, 5), 0);
  EXPECT_EQ(three.Pixels(), (Line{255, 0, 0}));
}

TEST(UBlur, EmptyClipTouchesNothing) {
  GuardedImage src(4, 4), dst(4, 4);
  dst.Fill(9);
  EXPECT_EQ(BBIBltUBlur(dst.Block(), src.Block(), 4, 0, 4, 4, 0, 0, 1), 1);
  EXPECT_EQ(BBIBltVBlur(dst.Block(), src.Block(), 0, -4, 4, 4, 0, 0, 1), 1);
  EXPECT_EQ(BBIBltUBlur(dst.Block(), src.Block(), 0, 0, 4, 4, INT32_MIN, 0, 1), 1);
  EXPECT_EQ(dst.Pixels(), Line(16, 9u));
}

// Random lines, separate images and in place, against the windowed-sum model, including
// radii near the 127 limit on long lines.
TEST(UBlur, MatchesWindowedSum) {
  for (uint32_t seed = 1; seed <= 120; ++seed) {
    std::mt19937 rng(seed);
    const bool longLine = seed % 5 == 0;
    const int w = longLine ? 250 + rng() % 100 : 1 + rng() % 40;
    const int h = 1 + rng() % 9;
    const bool inPlace = rng() % 2, vertical = rng() % 2;
    const int requested = longLine ? 100 + rng() % 40 : rng() % 25;
    GuardedImage src(vertical ? h : w, vertical ? w : h, rng() % 2);
    GuardedImage dst(vertical ? h : w, vertical ? w : h, rng() % 2);
    src.Randomize(rng);
    GuardedImage& out = inPlace ? src : dst;
    const GuardedImage original = src;
    const int32_t res =
        vertical ? BBIBltVBlur(out.Block(), src.Block(), 0, 0, h, w, 0, 0, requested)
                 : BBIBltUBlur(out.Block(), src.Block(), 0, 0, w, h, 0, 0, requested);
    ASSERT_EQ(res, 0) << "seed " << seed;
    const int radius = std::min({requested, w / 2 - 1, 127});
    for (int j = 0; j < h; ++j) {
      const Line in = vertical ? ColOf(original, j, 0, w) : RowOf(original, 0, j, w);
      const Line got = vertical ? ColOf(out, j, 0, w) : RowOf(out, 0, j, w);
      ASSERT_EQ(got, radius < 1 ? in : ModelBlur(in, radius)) << "seed " << seed << " line " << j;
    }
    ASSERT_TRUE(out.GuardsIntact()) << "seed " << seed;
  }
}

}  // namespace

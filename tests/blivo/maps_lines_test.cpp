// Region trimming, polylines, quadrilateral maps and bump lighting: worked cases, agreement
// with the blits and lines they generalise, and extreme coordinates that must stay bounded.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "bbi.h"
#include "blit_test_image.h"
#include "blivo.h"

namespace {

using blittest::TestImage;

TEST(TrimRgn, IsClipRectWithBounds) {
  // Against the region [0, 10) x [0, 8) it is ClipRect on a 10 x 8 image, extremes included.
  std::mt19937 rng(4);
  const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -20, -1, 0, 1, 7, 9, 10, 11, INT32_MAX};
  for (int i = 0; i < 4000; ++i) {
    int32_t in[6];
    for (int32_t& v : in)
      v = rng() % 3 == 0 ? extremes[rng() % 11] : static_cast<int32_t>(rng() % 30) - 12;
    int32_t got[6] = {in[0], in[1], in[2], in[3], in[4], in[5]};
    int32_t x = in[0], y = in[1], w = in[2], h = in[3], ox = in[4], oy = in[5];
    const bool ok = blivo::ClipRect(10, 8, x, y, w, h, ox, oy);
    ASSERT_EQ(TrimRgn(got, 0, 0, 10, 8), ok ? 0 : 1) << i;
    const int32_t want[6] = {x, y, w, h, ox, oy};
    for (int k = 0; k < 6; ++k) ASSERT_EQ(got[k], ok ? want[k] : in[k]) << i << " field " << k;
  }
  // A region away from the origin.
  int32_t r[6] = {0, 0, 10, 10, 100, 200};
  EXPECT_EQ(TrimRgn(r, 3, 4, 8, 6), 0);
  EXPECT_EQ((std::vector<int32_t>(r, r + 6)), (std::vector<int32_t>{3, 4, 5, 2, 103, 204}));
  int32_t e[6] = {0, 0, 5, 5, 0, 0};
  EXPECT_EQ(TrimRgn(e, 5, 0, 5, 10), 1);  // empty region
  EXPECT_EQ(TrimRgn(e, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX), 1);
  EXPECT_EQ(TrimRgn(nullptr, 0, 0, 1, 1), 1);
}

TEST(TrueLines, AreSuccessiveLines) {
  TestImage a(12, 9, 1), b(12, 9, 1);
  const int32_t points[] = {-4, 2, 6, 7, 11, -3, 3, 3, 3, 3, INT32_MAX, INT32_MIN};
  ASSERT_EQ(TrueLines(a.Block(), points, 6, 0xA0112233u), 0);
  for (int k = 1; k < 6; ++k)
    TrueLine(b.Block(), points[2 * k - 2], points[2 * k - 1], points[2 * k], points[2 * k + 1],
             0xA0112233u);
  EXPECT_EQ(a.Pixels(), b.Pixels());
  EXPECT_TRUE(a.GuardsIntact());
  EXPECT_EQ(TrueLines(a.Block(), points, 1, 0), 0);  // one point: no segment
  EXPECT_EQ(TrueLines(a.Block(), nullptr, 2, 0), 1);
  EXPECT_EQ(TrueLines(a.Block(), points, -1, 0), 1);
  EXPECT_EQ(a.Pixels(), b.Pixels());
}

TEST(GrLiBlt, AxisAlignedQuadsAreBlitsAndScales) {
  std::mt19937 rng(8);
  TestImage src(6, 5, 1);
  src.Randomize(rng);
  // The quad covering (1,1)..(5,4) exactly copies the source rectangle (2,1) 4 x 3.
  TestImage a(8, 6, 0), b(8, 6, 0);
  const int32_t quad[8] = {1, 1, 5, 1, 5, 4, 1, 4};
  ASSERT_EQ(GrLiBlt(a.Block(), src.Block(), quad, 2, 1, 4, 3), 0);
  ASSERT_EQ(BBIBlt(b.Block(), src.Block(), 1, 1, 4, 3, 2, 1), 0);
  EXPECT_EQ(a.Pixels(), b.Pixels());
  // Twice the size: each source pixel covers a 2 x 2 block.
  TestImage big(8, 6, 2);
  const int32_t twice[8] = {0, 0, 8, 0, 8, 6, 0, 6};
  ASSERT_EQ(GrLiBlt(big.Block(), src.Block(), twice, 0, 0, 4, 3), 0);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 8; ++x)
      ASSERT_EQ(big.Get(x, y), src.Get(x / 2, y / 2)) << x << "," << y;
  // Mirrored corners mirror the picture.
  TestImage mirror(4, 3, 0);
  const int32_t flipped[8] = {4, 0, 0, 0, 0, 3, 4, 3};
  ASSERT_EQ(GrLiBlt(mirror.Block(), src.Block(), flipped, 0, 0, 4, 3), 0);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 4; ++x) ASSERT_EQ(mirror.Get(x, y), src.Get(3 - x, y)) << x << "," << y;
  EXPECT_TRUE(big.GuardsIntact());
}

TEST(GrLiBlt, BlendAndExtremes) {
  TestImage src(2, 2, 0), dst(5, 5, 1);
  src.Fill(0x80FF0000u);
  dst.Fill(0xFF0000FFu);
  const int32_t quad[8] = {0, 0, 2, 0, 2, 2, 0, 2};
  ASSERT_EQ(GrLiBlt32(dst.Block(), src.Block(), quad, 0, 0, 2, 2), 0);
  EXPECT_EQ(dst.Get(1, 1), 0xFF7F007Eu);
  EXPECT_EQ(dst.Get(2, 2), 0xFF0000FFu);
  // Huge and degenerate quadrilaterals cost no more than the destination and write inside it.
  const int32_t wild[][8] = {
      {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MAX},
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 5, 5, 0, 0, 5, 5},
      {-3, 7, 9, -2, 4, 12, INT32_MAX, 0},
      {0, 0, 5, 0, 0, 5, 5, 5},  // bow tie
  };
  for (const auto& q : wild) {
    EXPECT_EQ(GrLiBlt(dst.Block(), src.Block(), q, 0, 0, 2, 2), 0);
    EXPECT_EQ(GrLiBlt32(dst.Block(), src.Block(), q, -5, -5, INT32_MAX, INT32_MAX), 0);
  }
  EXPECT_TRUE(dst.GuardsIntact());
  EXPECT_EQ(GrLiBlt(dst.Block(), src.Block(), quad, 2, 0, 1, 1), 1);  // source rectangle empty
  EXPECT_EQ(GrLiBlt(dst.Block(), src.Block(), nullptr, 0, 0, 1, 1), 1);
}

TEST(Bump, FlatMapsLightByDistance) {
  TestImage flat(5, 5, 0), lit(5, 5, 1);
  flat.Fill(0xFF808080u);
  lit.Fill(0x80FFFFFFu);
  ASSERT_EQ(SuperBump(lit.Block(), flat.Block(), 0, 0, 5, 5, 0, 0, 2, 2), 0);
  // Flat heights: the normal is zero, i = 255 - max(|dx|, |dy|) from the light.
  EXPECT_EQ(lit.Get(2, 2), 0x80FFFFFFu);
  EXPECT_EQ(lit.Get(0, 1), 0x80FDFDFDu);
  EXPECT_EQ(lit.Get(4, 4), 0x80FDFDFDu);
  // Far from the light everything goes black, alpha kept.
  ASSERT_EQ(SuperBump(lit.Block(), flat.Block(), 0, 0, 5, 5, 0, 0, INT32_MIN, INT32_MAX), 0);
  EXPECT_EQ(lit.Get(3, 3), 0x80000000u);
  EXPECT_TRUE(lit.GuardsIntact());
  EXPECT_EQ(SuperBump(lit.Block(), flat.Block(), 5, 0, 1, 1, 0, 0, 0, 0), 1);

  // A slope to the right (heights 0, 40, 80 ...) leans the light by the height difference.
  TestImage slope(3, 1, 0), out(3, 1, 0);
  for (int32_t x = 0; x < 3; ++x)
    slope.Set(x, 0, 0xFF000000u | static_cast<uint32_t>(40 * x) * 0x010101u);
  out.Fill(0xFFFFFFFFu);
  ASSERT_EQ(SuperBump(out.Block(), slope.Block(), 0, 0, 3, 1, 0, 0, 1, 0), 0);
  // Middle pixel: nx = 80 - 0 = 80, lx = 0: i = 255 - 80.
  EXPECT_EQ(out.Get(1, 0), 0xFF000000u | (255u - 80u) * 0x010101u);

  // The raw version takes its heights from the source alpha.
  uint32_t heights[3] = {0x00000000u, 0x28000000u, 0x50000000u}, row[3] = {~0u, ~0u, ~0u};
  ASSERT_EQ(UsdAlphaBump(row, heights, 12, 12, 3, 1, 1, 0), 0);
  EXPECT_EQ(row[1], 0xFF000000u | (255u - 80u) * 0x010101u);
}

}  // namespace

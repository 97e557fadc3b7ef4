// Keying with softened staircase edges, checked with the edge table the image functions build
// (made here from its own rule), and the keyed rewrite. Expected alphas are worked out by hand
// from the run rule: a run counts from the pixel where the opaque side steps out.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "blit_test_image.h"
#include "blivo.h"

namespace {

using blittest::TestImage;

constexpr uint32_t kBack = 0x00000000u;  // key colour (alpha ignored)
constexpr uint32_t kWhite = 0x00FFFFFFu;

// 128 rows of 128 bytes: row r - 1 holds 32 * (pair sum) / r for the values 2r - 1, ..., 1.
std::vector<uint8_t> EdgeTable() {
  std::vector<uint8_t> t(16385, 0);
  for (int r = 1; r <= 128; ++r) {
    size_t at = static_cast<size_t>(128 * (r - 1));
    const float inv = 1.0f / static_cast<float>(r);
    for (int v = 2 * r - 1; v >= 1; v -= 4) {
      const int sum = v + (v >= 3 ? v - 2 : 0);
      t[at++] = static_cast<uint8_t>(std::lrint(static_cast<float>(32 * sum) * inv));
    }
  }
  return t;
}

void Draw(TestImage& img, const std::vector<std::string>& rows) {
  for (int32_t y = 0; y < img.Height(); ++y)
    for (int32_t x = 0; x < img.Width(); ++x)
      img.Set(x, y, rows[static_cast<size_t>(y)][static_cast<size_t>(x)] == '#' ? kWhite : kBack);
}

std::vector<std::vector<uint32_t>> Alphas(const TestImage& img) {
  std::vector<std::vector<uint32_t>> out;
  for (int32_t y = 0; y < img.Height(); ++y) {
    out.emplace_back();
    for (int32_t x = 0; x < img.Width(); ++x) out.back().push_back(img.Get(x, y) >> 24);
  }
  return out;
}

TEST(AntiAreas, TableRowsAsDocumented) {
  const std::vector<uint8_t> t = EdgeTable();
  EXPECT_EQ(t[0], 32);
  EXPECT_EQ(t[128], 64);
  EXPECT_EQ(t[256], 85);
  EXPECT_EQ(t[257], 11);
}

TEST(AntiAreas, StraightEdgesAndCornersStayHard) {
  const std::vector<uint8_t> table = EdgeTable();
  TestImage img(8, 6, 1);
  Draw(img, {"........", ".######.", ".######.", ".######.", "........", "........"});
  img.Set(0, 0, 0x7F000000u);  // key pixels lose their alpha whatever it was
  EXPECT_EQ(BBIAntiAreas(img.Block(), table.data(), 0xFF000000u), 0);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      const bool in = x >= 1 && x <= 6 && y >= 1 && y <= 3;
      EXPECT_EQ(img.Get(x, y), in ? 0xFFFFFFFFu : 0x00000000u) << x << "," << y;
    }
  EXPECT_TRUE(img.GuardsIntact());
}

TEST(AntiAreas, StepSoftensTheLowerRunAndTheRiser) {
  const std::vector<uint8_t> table = EdgeTable();
  TestImage img(8, 4, 1);
  Draw(img, {"........", "####....", "########", "########"});
  img.Set(2, 1, 0x000010u);
  img.Set(3, 2, 0x000030u);
  EXPECT_EQ(BBIAntiAreas(img.Block(), table.data(), kBack), 0);
  // Row 2 from x = 4 is a run of 4 stepped at its left: row L = 3 of the table (r = 7 in the
  // building rule: pairs 13+11, 9+7, 5+3 and the single 1 -> 110, 73, 37, 5). The riser (3,1)
  // is a run of one in its column with a transparent diagonal: 32.
  EXPECT_EQ(Alphas(img), (std::vector<std::vector<uint32_t>>{
                             {0, 0, 0, 0, 0, 0, 0, 0},
                             {255, 255, 255, 32, 0, 0, 0, 0},
                             {255, 255, 255, 255, 110, 73, 37, 5},
                             {255, 255, 255, 255, 255, 255, 255, 255},
                         }));
  // Lowered pixels take the mean of their opaque edge neighbours: (3,1) of (2,1) and (3,2);
  // (4,2) of (3,2), (5,2) and (4,3); the others of white only.
  EXPECT_EQ(img.Get(3, 1) & 0xFFFFFFu, 0x000020u);
  EXPECT_EQ(img.Get(4, 2) & 0xFFFFFFu, 0xAAAABAu);
  EXPECT_EQ(img.Get(5, 2) & 0xFFFFFFu, 0xFFFFFFu);
  EXPECT_EQ(img.Get(2, 1) & 0xFFFFFFu, 0x000010u);  // unlowered pixels keep their colour
  EXPECT_TRUE(img.GuardsIntact());
}

TEST(AntiAreas, DentIsSplitBetweenItsTwoSteps) {
  const std::vector<uint8_t> table = EdgeTable();
  TestImage img(8, 3);
  Draw(img, {"........", "##....##", "########"});
  BBIAntiAreas(img.Block(), table.data(), kBack);
  // The floor of the dent (4 pixels) is stepped at both ends: each half is a run of 2 (85, 11)
  // counted from its own end; the two risers are runs of one beside a transparent corner.
  EXPECT_EQ(Alphas(img), (std::vector<std::vector<uint32_t>>{
                             {0, 0, 0, 0, 0, 0, 0, 0},
                             {255, 32, 0, 0, 0, 0, 32, 255},
                             {255, 255, 85, 11, 11, 85, 255, 255},
                         }));
}

TEST(AntiAreas, DiagonalStaircaseAndEnclosedNotch) {
  const std::vector<uint8_t> table = EdgeTable();
  TestImage img(5, 5);
  Draw(img, {"#....", "##...", "###..", "####.", "#####"});
  BBIAntiAreas(img.Block(), table.data(), kBack);
  // Every diagonal pixel is a one-pixel step with a transparent diagonal neighbour: 32 (the top
  // one, (0,0), is stepped from below in its column). The pixels behind the diagonal and the
  // bottom-left corner, whose edges are the border only, stay opaque.
  for (int32_t k = 0; k < 5; ++k) EXPECT_EQ(img.Get(k, k) >> 24, 32u) << k;
  for (int32_t k = 1; k < 5; ++k) EXPECT_EQ(img.Get(k - 1, k) >> 24, 255u) << k;
  EXPECT_EQ(img.Get(0, 4) >> 24, 255u);
  // A one-pixel notch in a flat top, all four diagonals of the pixel below it opaque: 96.
  TestImage notch(5, 4);
  Draw(notch, {"##.##", "#####", "#####", "#####"});
  BBIAntiAreas(notch.Block(), table.data(), kBack);
  EXPECT_EQ(notch.Get(2, 1) >> 24, 96u);
  EXPECT_EQ(notch.Get(2, 0) >> 24, 0u);
}

TEST(AntiAreas, RefusesWithoutTable) {
  TestImage img(2, 2);
  img.Fill(0x12345678u);
  EXPECT_EQ(BBIAntiAreas(img.Block(), nullptr, 0), 1);
  EXPECT_EQ(img.Pixels(), std::vector<uint32_t>(4, 0x12345678u));
}

TEST(KeyingEfect, KeyedRewrite) {
  TestImage img(3, 1);
  img.Set(0, 0, 0x80FF00FFu);
  img.Set(1, 0, 0x12FF00FEu);
  img.Set(2, 0, 0x00FF00FFu);
  // The keying of the blit family: key colour alpha 0, others alpha 255, colours kept.
  EXPECT_EQ(BBIKeyingEfect(img.Block(), 0xFFFF00FFu, 0x00FFFFFFu, 0, 0x00FFFFFFu, 0xFF000000u,
                           0x00FFFFFFu), 0);
  EXPECT_EQ(img.Pixels(), (std::vector<uint32_t>{0x00FF00FFu, 0xFFFF00FEu, 0x00FF00FFu}));
  // Compare alpha only: fully transparent pixels become a colour, the rest black.
  EXPECT_EQ(BBIKeyingEfect(img.Block(), 0, 0xFF000000u, 0x00102030u, 0, 0xFF000000u, 0), 0);
  EXPECT_EQ(img.Pixels(), (std::vector<uint32_t>{0x00102030u, 0xFF000000u, 0x00102030u}));
  EXPECT_EQ(BBIKeyingEfect(nullptr, 0, 0, 0, 0, 0, 0), 1);
}

}  // namespace

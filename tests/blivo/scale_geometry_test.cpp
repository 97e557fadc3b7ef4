// Mirrors, rotation and channel routing.
#include <gtest/gtest.h>

#include "blivo.h"
#include "scale_fixture.h"

namespace {

using scaletest::FromPixels;
using scaletest::GuardedImage;

using Line = std::vector<uint32_t>;

TEST(Mirror, RowsAndColumns) {
  GuardedImage img = FromPixels(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}, 1);
  ASSERT_EQ(BBIMirror(img.Block()), 0);
  EXPECT_EQ(img.Pixels(), (Line{3, 2, 1, 6, 5, 4, 9, 8, 7}));
  // Odd height: the middle row stays.
  ASSERT_EQ(BBIVMirror(img.Block()), 0);
  EXPECT_EQ(img.Pixels(), (Line{9, 8, 7, 6, 5, 4, 3, 2, 1}));
  GuardedImage even = FromPixels(2, 2, {1, 2, 3, 4});
  ASSERT_EQ(BBIVMirror(even.Block()), 0);
  EXPECT_EQ(even.Pixels(), (Line{3, 4, 1, 2}));
  EXPECT_TRUE(img.GuardsIntact());
  EXPECT_EQ(BBIMirror(nullptr), 1);
  EXPECT_EQ(BBIVMirror(nullptr), 1);
}

TEST(Rotation, QuarterTurnsMapPixels) {
  // 3 x 2 source:  1 2 3
  //                4 5 6
  const GuardedImage src = FromPixels(3, 2, {1, 2, 3, 4, 5, 6});
  GuardedImage cw(2, 3), ccw(2, 3), half(3, 2);
  ASSERT_EQ(BBIRotation(cw.Block(), src.Block(), 0), 0);
  EXPECT_EQ(cw.Pixels(), (Line{4, 1, 5, 2, 6, 3}));
  ASSERT_EQ(BBIRotation(ccw.Block(), src.Block(), 2), 0);
  EXPECT_EQ(ccw.Pixels(), (Line{3, 6, 2, 5, 1, 4}));
  ASSERT_EQ(BBIRotation(half.Block(), src.Block(), 1), 0);
  EXPECT_EQ(half.Pixels(), (Line{6, 5, 4, 3, 2, 1}));
}

TEST(Rotation, TurnsUndoEachOther) {
  std::mt19937 rng(3);
  GuardedImage src(5, 3, 1);
  src.Randomize(rng);
  GuardedImage a(3, 5), b(5, 3), c(5, 3), d(5, 3);
  ASSERT_EQ(BBIRotation(a.Block(), src.Block(), 0), 0);
  ASSERT_EQ(BBIRotation(b.Block(), a.Block(), 2), 0);
  EXPECT_TRUE(b.SamePixels(src));
  ASSERT_EQ(BBIRotation(c.Block(), src.Block(), 1), 0);
  ASSERT_EQ(BBIRotation(d.Block(), c.Block(), 1), 0);
  EXPECT_TRUE(d.SamePixels(src));
  EXPECT_TRUE(a.GuardsIntact() && b.GuardsIntact() && c.GuardsIntact() && d.GuardsIntact());
}

TEST(Rotation, SizesAndTypes) {
  const GuardedImage src = FromPixels(3, 2, {1, 2, 3, 4, 5, 6});
  GuardedImage same(3, 2), turned(2, 3);
  same.Fill(0);
  turned.Fill(0);
  EXPECT_EQ(BBIRotation(same.Block(), src.Block(), 0), 1);
  EXPECT_EQ(BBIRotation(same.Block(), src.Block(), 2), 1);
  EXPECT_EQ(BBIRotation(turned.Block(), src.Block(), 1), 1);
  EXPECT_EQ(BBIRotation(same.Block(), src.Block(), 3), 0);
  EXPECT_EQ(BBIRotation(same.Block(), src.Block(), -1), 0);
  EXPECT_EQ(same.Pixels(), Line(6, 0u));
  EXPECT_EQ(turned.Pixels(), Line(6, 0u));
}

TEST(Rotation, SameImageTurnsInPlace) {
  for (int type : {0, 1, 2}) {
    for (int n : {1, 2, 3, 4, 5}) {
      std::mt19937 rng(static_cast<uint32_t>(n * 10 + type));
      GuardedImage img(n, n, 1);
      img.Randomize(rng);
      GuardedImage want(n, n);
      ASSERT_EQ(BBIRotation(want.Block(), img.Block(), type), 0);
      ASSERT_EQ(BBIRotation(img.Block(), img.Block(), type), 0);
      EXPECT_TRUE(img.SamePixels(want)) << "type " << type << " size " << n;
      EXPECT_TRUE(img.GuardsIntact());
    }
  }
  // Half turn of a non-square image in place.
  GuardedImage wide = FromPixels(3, 2, {1, 2, 3, 4, 5, 6});
  ASSERT_EQ(BBIRotation(wide.Block(), wide.Block(), 1), 0);
  EXPECT_EQ(wide.Pixels(), (Line{6, 5, 4, 3, 2, 1}));
}

// Golden pictures of an L: scaled by 5/3 x 4/3 (columns 0,0,1,1,2; rows 0,0,1,2), turned
// clockwise, mirrored both ways.
TEST(GoldenPictures, ScaledTurnedMirrored) {
  using Art = std::vector<std::string>;
  const GuardedImage ell = scaletest::FromArt({"#..", "#..", "###"});
  GuardedImage scaled(5, 4);
  scaled.Fill(0);
  ASSERT_EQ(BBIExpandBlt(scaled.Block(), ell.Block(), 0, 0, 5, 4, 0, 0, 3, 3, 1.0f), 0);
  EXPECT_EQ(scaletest::ToArt(scaled), (Art{"##...", "##...", "##...", "#####"}));
  GuardedImage turned(3, 3);
  ASSERT_EQ(BBIRotation(turned.Block(), ell.Block(), 0), 0);
  EXPECT_EQ(scaletest::ToArt(turned), (Art{"###", "#..", "#.."}));
  GuardedImage flipped = ell;
  ASSERT_EQ(BBIMirror(flipped.Block()), 0);
  EXPECT_EQ(scaletest::ToArt(flipped), (Art{"..#", "..#", "###"}));
  ASSERT_EQ(BBIVMirror(flipped.Block()), 0);
  EXPECT_EQ(scaletest::ToArt(flipped), (Art{"###", "..#", "..#"}));
  EXPECT_TRUE(scaled.GuardsIntact() && turned.GuardsIntact() && flipped.GuardsIntact());
}

TEST(ChooseRGBA, RoutesBytes) {
  // Red into alpha, colours kept.
  GuardedImage img = FromPixels(2, 1, {0x00AB1234, 0xFF000000});
  ASSERT_EQ(BBIChooseRGBA(img.Block(), img.Block(), 0, 1, 2, 0), 0);
  EXPECT_EQ(img.Pixels(), (Line{0xABAB1234, 0x00000000}));
  // Colour from dst, alpha from src.
  GuardedImage dst = FromPixels(2, 1, {0x11223344, 0x55667788});
  const GuardedImage src = FromPixels(2, 1, {0xAA000000, 0xBBFFFFFF});
  ASSERT_EQ(BBIChooseRGBA(dst.Block(), src.Block(), 4, 5, 6, 3), 0);
  EXPECT_EQ(dst.Pixels(), (Line{0xAA223344, 0xBB667788}));
  // Swapped channels from both images: red <- dst blue, green <- src alpha, blue <- dst red,
  // alpha <- src green. Bits above 2 are ignored.
  GuardedImage d2 = FromPixels(1, 1, {0x11223344});
  const GuardedImage s2 = FromPixels(1, 1, {0xAABBCCDD});
  ASSERT_EQ(BBIChooseRGBA(d2.Block(), s2.Block(), 6, 3, 4, 1 | 8), 0);
  EXPECT_EQ(d2.At(0, 0), 0xCC44AA22u);
}

TEST(ChooseRGBA, OverlapFromOrigin) {
  GuardedImage dst(3, 1), src(1, 2);
  dst.Fill(0x01020304);
  src.Fill(0xFFFFFFFF);
  ASSERT_EQ(BBIChooseRGBA(dst.Block(), src.Block(), 0, 1, 2, 3), 0);
  EXPECT_EQ(dst.Pixels(), (Line{0xFFFFFFFF, 0x01020304, 0x01020304}));
  EXPECT_TRUE(dst.GuardsIntact() && src.GuardsIntact());
  EXPECT_EQ(BBIChooseRGBA(dst.Block(), nullptr, 0, 1, 2, 3), 1);
}

TEST(ChooseCA, FlagTable) {
  // dst 0x40 10 20 30 (grey 0x20), src 0x80 30 60 90 (grey 0x60).
  struct Case {
    int32_t f1, f2;
    uint32_t want;
  } const cases[] = {
      {1, 1, 0x80808080},  // src alpha to colour, src alpha kept
      {0, 0, 0x60306090},  // src grey to alpha, src colour kept
      {1, 0, 0x60306090},
      {0, 1, 0x60306090},
      {2, 0, 0x20306090},  // grey of dst, colour of src
      {0, 2, 0x60102030},  // grey of src, colour of dst
      {3, 3, 0x40404040},  // dst alpha to colour, dst alpha kept
      {1, 3, 0x40808080},  // src alpha to colour, dst alpha kept
  };
  for (const Case& c : cases) {
    GuardedImage dst = FromPixels(1, 1, {0x40102030});
    const GuardedImage src = FromPixels(1, 1, {0x80306090});
    ASSERT_EQ(BBIChooseCA(dst.Block(), src.Block(), c.f1, c.f2), 0);
    EXPECT_EQ(dst.At(0, 0), c.want) << c.f1 << "," << c.f2 << std::hex << " " << dst.At(0, 0);
  }
}

TEST(ChooseCATR, WeightedGrey) {
  GuardedImage img = FromPixels(4, 1, {0x00FFFFFF, 0x00FF0000, 0x0000FF00, 0x000000FF});
  ASSERT_EQ(BBIChooseCATR(img.Block(), img.Block(), 0, 0), 0);
  // 0.2125 + 0.7154 + 0.0721 = 1 exactly: white stays 255.
  EXPECT_EQ(img.At(0, 0) >> 24, 255u);
  EXPECT_EQ(img.At(1, 0) >> 24, 54u);   // 54.1875
  EXPECT_EQ(img.At(2, 0) >> 24, 182u);  // 182.427
  EXPECT_EQ(img.At(3, 0) >> 24, 18u);   // 18.3855
  EXPECT_EQ(img.At(1, 0) & 0xFFFFFFu, 0xFF0000u);
}

}  // namespace

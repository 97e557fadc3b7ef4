// A small scene of overlapping, partly clipped blits compared with golden images written by an
// independent model of the rules (tests/blivo/blit_golden.py). A mismatch writes a diff image
// (PPM, changed pixels white) beside the test binary's working folder.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "blit_test_image.h"
#include "blivo.h"

namespace {

using blittest::TestImage;

void FillLcg(TestImage& img, uint32_t seed) {
  uint32_t x = seed;
  for (int32_t y = 0; y < img.Height(); ++y)
    for (int32_t i = 0; i < img.Width(); ++i) {
      x = x * 1103515245u + 12345u;
      img.Set(i, y, x);
    }
}

std::vector<uint32_t> ReadGolden(const std::string& name) {
  std::ifstream in(std::string(TUMBLEROO_SOURCE_DIR) + "/tests/data/golden/" + name,
                   std::ios::binary);
  std::vector<uint32_t> out;
  uint8_t b[4];
  while (in.read(reinterpret_cast<char*>(b), 4))
    out.push_back(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
  return out;
}

void ExpectGolden(const TestImage& img, const std::string& name) {
  const std::vector<uint32_t> want = ReadGolden(name);
  const std::vector<uint32_t> got = img.Pixels();
  ASSERT_EQ(want.size(), got.size()) << name << " missing or of another size";
  if (want == got) return;
  std::ofstream diff(name + ".diff.ppm", std::ios::binary);
  diff << "P6\n" << img.Width() << " " << img.Height() << "\n255\n";
  for (size_t i = 0; i < got.size(); ++i) {
    const char c = want[i] == got[i] ? 0 : static_cast<char>(255);
    diff << c << c << c;
  }
  ADD_FAILURE() << name << " differs from its golden image; see " << name << ".diff.ppm";
}

TEST(BlitGolden, OverlappingClippedScene) {
  TestImage a(16, 12), b(16, 12, 1);
  FillLcg(a, 1);
  FillLcg(b, 2);
  b.Set(3, 3, b.Get(0, 0));
  TestImage& d = a;
  EXPECT_EQ(BBIBltBlend(d.Block(), b.Block(), 2, 1, 10, 8, 3, 2, 0), 0);
  EXPECT_EQ(BBIBltTrueBlend(d.Block(), b.Block(), -3, 4, 12, 12, 0, 0, 0.6f), 0);
  EXPECT_EQ(BBIBltAdd(d.Block(), b.Block(), 5, 0, 20, 3, 0, 9), 0);
  EXPECT_EQ(BBIBltHalfBlend(d.Block(), b.Block(), 0, 6, 7, 7, 9, 5), 0);
  EXPECT_EQ(BBIBltBlend(d.Block(), b.Block(), 8, 2, 8, 9, 0, 0, 1), 0);
  EXPECT_EQ(BBIBltKeying(d.Block(), b.Block(), 1, 1, 5, 5, 0, 0), 0);
  ExpectGolden(d, "blit_scene.bin");
  TestImage half(8, 6, 2);
  EXPECT_EQ(BBIBltHalfSize(half.Block(), d.Block(), 0, 0, 8, 6, 0, 0), 0);
  ExpectGolden(half, "blit_scene_half.bin");
  EXPECT_TRUE(d.GuardsIntact() && half.GuardsIntact() && b.GuardsIntact());
}

}  // namespace

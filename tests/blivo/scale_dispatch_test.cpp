// The exports' choice of kernel: every instruction-set setting gives the same pixels, and calls
// whose rectangles share memory in other ways than an in-place call keep the visiting order.
#include <gtest/gtest.h>

#include <cstdlib>

#include "blivo.h"
#include "cpu.h"
#include "scale_fixture.h"

namespace {

using scaletest::GuardedImage;

class IsaSetting {
 public:
  explicit IsaSetting(const char* disable) {
    if (disable)
      setenv("BLIVO_DISABLE", disable, 1);
    else
      unsetenv("BLIVO_DISABLE");
    blivo::ReloadIsa();
  }
  ~IsaSetting() {
    unsetenv("BLIVO_DISABLE");
    blivo::ReloadIsa();
  }
};

// Runs every hot export once on copies of the same images and returns the results.
std::vector<std::vector<uint32_t>> RunAll(uint32_t seed) {
  std::mt19937 rng(seed);
  GuardedImage src(37, 29, 1);
  src.Randomize(rng);
  std::vector<std::vector<uint32_t>> out;
  auto fresh = [&] {
    GuardedImage d(41, 31, 2);
    std::mt19937 fill(seed + 1000);
    d.Randomize(fill);
    return d;
  };
  {
    GuardedImage d = fresh();
    EXPECT_EQ(BBIExpandBlt(d.Block(), src.Block(), -3, 1, 60, 40, 2, 1, 30, 20, 1.0f), 0);
    out.push_back(d.Pixels());
    EXPECT_EQ(BBIExpandBlt(d.Block(), src.Block(), 1, 2, 33, 17, 0, 3, 25, 11, 1.0f), 0);
    out.push_back(d.Pixels());
    EXPECT_TRUE(d.GuardsIntact());
  }
  for (int32_t radius : {1, 5, 12}) {
    GuardedImage d = fresh();
    EXPECT_EQ(BBIBltUBlur(d.Block(), src.Block(), 1, 1, 35, 27, 0, 0, radius), 0);
    EXPECT_EQ(BBIBltVBlur(d.Block(), d.Block(), 0, 0, 40, 30, 0, 0, radius), 0);
    out.push_back(d.Pixels());
    EXPECT_TRUE(d.GuardsIntact());
  }
  for (int32_t num : {1, 3, 7}) {
    GuardedImage d = fresh();
    EXPECT_EQ(BBIBltUScale(d.Block(), src.Block(), 2, 0, 33, 29, 1, 0, num, 4), 0);
    EXPECT_EQ(BBIBltVScale(d.Block(), d.Block(), 0, 0, 41, 31, 0, 0, 4, num), 0);
    out.push_back(d.Pixels());
    EXPECT_TRUE(d.GuardsIntact());
  }
  return out;
}

TEST(ScaleDispatch, EveryInstructionSetGivesTheSamePixels) {
  for (uint32_t seed = 1; seed <= 5; ++seed) {
    std::vector<std::vector<uint32_t>> reference;
    {
      IsaSetting off("avx2,sse2");
      reference = RunAll(seed);
    }
    for (const char* disable : {"avx2", static_cast<const char*>(nullptr)}) {
      IsaSetting setting(disable);
      EXPECT_EQ(RunAll(seed), reference) << "seed " << seed << " disable "
                                         << (disable ? disable : "none");
    }
  }
  if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 here: only SSE2 was compared";
}

// A scaled copy inside one image whose rectangles overlap: each destination pixel reads the
// image as it is at that moment, rows from the top, pixels from the left.
TEST(ScaleDispatch, OverlappingExpandKeepsVisitingOrder) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    GuardedImage img(24, 20, rng() % 2);
    img.Randomize(rng);
    std::vector<uint32_t> model = img.Pixels();
    const int32_t sx = rng() % 6, sy = rng() % 6, sw = 1 + rng() % 10, sh = 1 + rng() % 10;
    const int32_t dx = sx + static_cast<int32_t>(rng() % 5) - 2;
    const int32_t dy = sy + static_cast<int32_t>(rng() % 5) - 2;
    const int32_t dw = 1 + rng() % 16, dh = 1 + rng() % 12;
    if (dx < 0 || dy < 0) continue;
    for (int32_t j = 0; j < dh; ++j)
      for (int32_t i = 0; i < dw; ++i) {
        const int32_t x = sx + i * sw / dw, y = sy + j * sh / dh;
        model[static_cast<size_t>(dy + j) * 24 + dx + i] = model[static_cast<size_t>(y) * 24 + x];
      }
    ASSERT_EQ(BBIExpandBlt(img.Block(), img.Block(), dx, dy, dw, dh, sx, sy, sw, sh, 1.0f), 0)
        << "seed " << seed;
    ASSERT_EQ(img.Pixels(), model) << "seed " << seed;
    ASSERT_TRUE(img.GuardsIntact());
  }
}

}  // namespace

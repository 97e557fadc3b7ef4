// A fixed seed makes every draw reproducible: the object's generator, Shuffle's reseeding and
// the pixel library's generator.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "util/CApi.h"

namespace {

using util::CApi;

struct Draws {
  std::vector<int32_t> rnd, library;
  std::vector<int32_t> shuffled;
  bool operator==(const Draws&) const = default;
};

Draws DrawWith(uint32_t seed) {
  CApi api;
  api.FixSeed(seed);
  Draws d;
  for (int i = 0; i < 20; ++i) d.rnd.push_back(api.Math_Rnd(0, 1000000));
  for (int i = 0; i < 20; ++i) d.library.push_back(CApi::Rnd(0, 1000000));
  d.shuffled.resize(50);
  std::iota(d.shuffled.begin(), d.shuffled.end(), 0);
  api.Shuffle(d.shuffled);
  return d;
}

TEST(CApiSeed, FixedSeedRepeatsEveryDraw) {
  const Draws a = DrawWith(99), b = DrawWith(99), c = DrawWith(100);
  EXPECT_EQ(a, b);
  EXPECT_NE(a.rnd, c.rnd);
  EXPECT_NE(a.shuffled, c.shuffled);
  if (a.library == std::vector<int32_t>(20, 0))
    GTEST_SKIP() << "the pixel library is not bound here";
  EXPECT_NE(a.library, c.library);
}

}  // namespace

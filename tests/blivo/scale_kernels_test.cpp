// Every vector kernel of the scaling family against the scalar reference: random sizes,
// paddings, offsets and factors, byte-equal pixels and untouched guard bytes, seed printed.
#include <gtest/gtest.h>

#include <cmath>

#include "scale_fixture.h"
#include "scale_kernels.h"
#include "scale_math.h"

namespace {

using scaletest::GuardedImage;

bool HasSse2() { return __builtin_cpu_supports("sse2"); }
bool HasAvx2() { return __builtin_cpu_supports("avx2"); }

#define SKIP_WITHOUT_AVX2() \
  if (!HasAvx2()) GTEST_SKIP() << "no AVX2 here: only the SSE2 kernels were compared"

// The float-reciprocal division the vector kernels use is exact over its whole range, and so
// is the integer magic of the reference.
TEST(ScaleMath, DivisionsAreExact) {
  for (uint32_t n = 1; n < 256; ++n) {
    for (uint32_t s = 0; s <= 65535; ++s) {
      const uint32_t want = s / n;
      const auto viaFloat =
          static_cast<uint32_t>((static_cast<float>(s) + 0.5f) * blivo::kRcp.v[n]);
      if (viaFloat != want || blivo::DivSmall(s, n) != want)
        FAIL() << s << " / " << n << ": float " << viaFloat << " magic " << blivo::DivSmall(s, n);
    }
  }
}

// The stepped spans equal the directly computed ones, in processing order, on long lines where
// the pattern repeats many times.
TEST(ScaleMath, BoxWalkMatchesDirectSpans) {
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    std::mt19937 rng(seed);
    const int32_t n = 1 + rng() % 700;
    const int32_t num = 1 + rng() % (seed % 2 ? 8 : 128), den = 1 + rng() % (seed % 3 ? 8 : 128);
    const int64_t samples = int64_t{n} * num;
    std::vector<int32_t> order;
    for (int32_t k = 0; k < n; ++k) order.push_back(num < den ? k : n - 1 - k);
    blivo::BoxWalk walk(n, num, den);
    for (int pass = 0; pass < 2; ++pass) {  // and again after Reset
      walk.Reset();
      size_t at = 0;
      int32_t i = 0;
      blivo::BoxSpan got{};
      while (walk.Next(i, got)) {
        ASSERT_LT(at, order.size()) << "seed " << seed;
        ASSERT_EQ(i, order[at]) << "seed " << seed;
        blivo::BoxSpan want{};
        ASSERT_TRUE(blivo::BoxSpanOf(i, num, den, samples, want)) << "seed " << seed;
        ASSERT_EQ(got.first, want.first) << "seed " << seed << " i " << i;
        ASSERT_EQ(got.last, want.last) << "seed " << seed << " i " << i;
        ASSERT_EQ(got.headWeight, want.headWeight) << "seed " << seed << " i " << i;
        ASSERT_EQ(got.tailWeight, want.tailWeight) << "seed " << seed << " i " << i;
        ASSERT_EQ(got.count, want.count) << "seed " << seed << " i " << i;
        ++at;
      }
      // Every output with samples was visited, and no other.
      size_t withSamples = 0;
      for (int32_t k = 0; k < n; ++k) withSamples += int64_t{k} * den < samples ? 1 : 0;
      ASSERT_EQ(at, withSamples) << "seed " << seed;
    }
  }
}

struct Case {
  GuardedImage src, dst;
  int32_t sx, sy, dx, dy;
};

Case RandomSetup(std::mt19937& rng, int maxW, int maxH) {
  const int sw = 1 + rng() % maxW, sh = 1 + rng() % maxH;
  const int dw = 1 + rng() % maxW, dh = 1 + rng() % maxH;
  Case s{GuardedImage(sw, sh, rng() % 3), GuardedImage(dw, dh, rng() % 3), 0, 0, 0, 0};
  s.src.Randomize(rng);
  s.dst.Randomize(rng);
  s.sx = rng() % sw;
  s.sy = rng() % sh;
  s.dx = rng() % dw;
  s.dy = rng() % dh;
  return s;
}

template <typename Fn>
void Compare(uint32_t seed, const Case& base, Fn run) {
  GuardedImage want = base.dst;
  run(want, blivo::kScale_Ref);
  if (HasSse2()) {
    GuardedImage got = base.dst;
    run(got, blivo::kScale_Sse2);
    ASSERT_TRUE(got.SamePixels(want)) << "sse2, seed " << seed;
    ASSERT_TRUE(got.GuardsIntact()) << "sse2, seed " << seed;
  }
  if (HasAvx2()) {
    GuardedImage got = base.dst;
    run(got, blivo::kScale_Avx2);
    ASSERT_TRUE(got.SamePixels(want)) << "avx2, seed " << seed;
    ASSERT_TRUE(got.GuardsIntact()) << "avx2, seed " << seed;
  }
}

TEST(ScaleKernels, ExpandCopy) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    Case s = RandomSetup(rng, 70, 20);
    blivo::ScaledRect r{s.dx, s.dy, 0, 0, s.sx, s.sy, 0, 0};
    r.sw = 1 + rng() % (s.src.Width() - s.sx);
    r.sh = 1 + rng() % (s.src.Height() - s.sy);
    const int maxDw = s.dst.Width() - s.dx, maxDh = s.dst.Height() - s.dy;
    switch (rng() % 3) {
      case 0:  // doubling when it fits
        r.dw = std::min(maxDw, 2 * r.sw);
        break;
      case 1:
        r.dw = std::min(maxDw, r.sw);
        break;
      default:
        r.dw = 1 + rng() % maxDw;
    }
    r.dh = 1 + rng() % maxDh;
    ASSERT_NO_FATAL_FAILURE(Compare(seed, s, [&](GuardedImage& dst, const blivo::ScaleKernels& k) {
      k.expandCopy(dst.View(), s.src.View(), r);
    }));
  }
  SKIP_WITHOUT_AVX2();
}

// Separate images and the same image at the same origin, the two cases the exports give to the
// vector kernels. One of kernel (num, den) or blur (radius) is set.
void ResampleOrBlur(int maxW, int maxH, blivo::ScaleFn blivo::ScaleKernels::*scale,
                    blivo::BlurFn blivo::ScaleKernels::*blur, bool vertical) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    Case s = RandomSetup(rng, maxW, maxH);
    const bool inPlace = rng() % 3 == 0;
    blivo::BlitRect r{s.dx, s.dy, 0, 0, s.sx, s.sy};
    if (inPlace) {
      s.dst = s.src;
      r.dx = r.sx;
      r.dy = r.sy;
    }
    r.w = 1 + rng() % std::min(s.dst.Width() - r.dx, s.src.Width() - r.sx);
    r.h = 1 + rng() % std::min(s.dst.Height() - r.dy, s.src.Height() - r.sy);
    int32_t a = 1 + rng() % (rng() % 2 ? 5 : 128), b = 1 + rng() % (rng() % 2 ? 5 : 128);
    if (blur != nullptr) {
      const int32_t line = vertical ? r.h : r.w;
      if (line < 4) continue;
      a = 1 + rng() % std::min(line / 2 - 1, 127);
    }
    ASSERT_NO_FATAL_FAILURE(Compare(seed, s, [&](GuardedImage& dst, const blivo::ScaleKernels& k) {
      const GuardedImage& src = inPlace ? dst : s.src;
      if (blur != nullptr)
        (k.*blur)(dst.View(), src.View(), r, a);
      else
        (k.*scale)(dst.View(), src.View(), r, a, b);
    }));
  }
}

TEST(ScaleKernels, UScale) {
  ASSERT_NO_FATAL_FAILURE(ResampleOrBlur(60, 9, &blivo::ScaleKernels::uScale, nullptr, false));
  SKIP_WITHOUT_AVX2();
}

TEST(ScaleKernels, VScale) {
  ASSERT_NO_FATAL_FAILURE(ResampleOrBlur(40, 60, &blivo::ScaleKernels::vScale, nullptr, true));
  SKIP_WITHOUT_AVX2();
}

TEST(ScaleKernels, UBlur) {
  ASSERT_NO_FATAL_FAILURE(ResampleOrBlur(300, 9, nullptr, &blivo::ScaleKernels::uBlur, false));
  SKIP_WITHOUT_AVX2();
}

TEST(ScaleKernels, VBlur) {
  ASSERT_NO_FATAL_FAILURE(ResampleOrBlur(40, 300, nullptr, &blivo::ScaleKernels::vBlur, true));
  SKIP_WITHOUT_AVX2();
}

}  // namespace

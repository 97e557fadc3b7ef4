// The RastaRize row kernels: the MMX and Pentium members byte for byte against each other over
// every run-count encoding, alignment and overlap; the vector row kernels against their scalar
// references; the two-row darkened combinations on worked cases; counts that are refused.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "blit_test_image.h"
#include "blivo.h"
#include "cpu.h"
#include "row_kernels.h"

namespace {

using RowFn = int32_t (*)(void*, const void*, int32_t);
struct Pair {
  const char* name;
  RowFn mmx, pentium;
};
const Pair kPairs[] = {
    {"Copy", RastaRizeCopyMMX, RastaRizeCopyPentium},
    {"Add", RastaRizeAddMMX, RastaRizeAddPentium},
    {"Sub", RastaRizeSubMMX, RastaRizeSubPentium},
};

std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t n) {
  std::vector<uint8_t> v(n);
  for (auto& b : v) {
    const uint32_t pick = rng() % 6;
    b = static_cast<uint8_t>(pick == 0 ? 0x00 : pick == 1 ? 0xFF : pick == 2 ? 0x80 : rng());
  }
  return v;
}

// One buffer holds both rows so that overlaps of every distance can be tried: src at byte
// offset so, dst at byte offset do (any alignment), count units each.
TEST(RastaRize, MmxAndPentiumMembersAgree) {
  std::mt19937 rng(1);
  for (const Pair& p : kPairs) {
    for (int seed = 1; seed <= 300; ++seed) {
      const int32_t count = static_cast<int32_t>(rng() % 40);
      const size_t so = rng() % 80, dOff = rng() % 80;
      const std::vector<uint8_t> start = RandomBytes(rng, 80 + 4 * 40 + 8);
      std::vector<uint8_t> a = start, b = start;
      ASSERT_EQ(p.mmx(a.data() + dOff, a.data() + so, count), 0);
      ASSERT_EQ(p.pentium(b.data() + dOff, b.data() + so, count), 0);
      ASSERT_EQ(a, b) << p.name << " seed " << seed << " count " << count << " src " << so
                      << " dst " << dOff;
      // Only the destination's count units changed.
      for (size_t i = 0; i < start.size(); ++i)
        if (i < dOff || i >= dOff + 4 * static_cast<size_t>(count)) {
          ASSERT_EQ(a[i], start[i]) << p.name << " seed " << seed << " byte " << i;
        }
    }
  }
}

TEST(RastaRize, RunCountEncodingCoversEveryUnit) {
  for (int32_t count = 0; count <= 9; ++count) {
    std::vector<uint32_t> dst(12, 0x01010101u), src(12, 0x80808080u);
    ASSERT_EQ(RastaRizeAddMMX(dst.data(), src.data(), count), 0);
    for (int32_t i = 0; i < 12; ++i)
      EXPECT_EQ(dst[i], i < count ? 0x81818181u : 0x01010101u) << "count " << count;
  }
}

TEST(RastaRize, RefusedCounts) {
  uint32_t d[2] = {5, 6}, s[2] = {7, 8};
  for (const Pair& p : kPairs) {
    EXPECT_EQ(p.mmx(d, s, -1), 1) << p.name;
    EXPECT_EQ(p.pentium(d, s, INT32_MIN), 1) << p.name;
    EXPECT_EQ(p.mmx(nullptr, s, 2), 1) << p.name;
    EXPECT_EQ(p.pentium(d, nullptr, 2), 1) << p.name;
    EXPECT_EQ(p.mmx(nullptr, nullptr, 0), 0) << p.name;
    EXPECT_EQ(p.mmx(d, s, INT32_MAX / 4 + 1), 1) << p.name;  // more bytes than a row can hold
    EXPECT_EQ(p.pentium(d, s, INT32_MAX), 1) << p.name;
  }
  EXPECT_EQ(RastaRizeBrendADD(d, s, s, 0, -4), 1);
  EXPECT_EQ(RastaRizeBrendSUB(d, s, nullptr, 0, 1), 1);
  EXPECT_EQ(d[0], 5u);
  EXPECT_EQ(d[1], 6u);
}

TEST(RastaRize, DarkenedCombinations) {
  // colour 0x40 in every byte darkens by 0xBF: 0xFF -> 0x40, 0xC0 -> 0x01, <= 0xBF -> 0.
  const uint32_t a = 0x20FFC010u, b = 0xFF40C0FFu, k = 0x40404040u;
  struct Case {
    const char* name;
    int32_t (*fn)(void*, const void*, const void*, uint32_t, int32_t);
    uint32_t want;
  } const cases[] = {
      {"BrendADD", RastaRizeBrendADD, 0x60FFC150u},        // a + dark(b) = a + 0x40000140
      {"BrendSUB", RastaRizeBrendSUB, 0x00FFBF00u},        // a - 0x40000140
      {"BrendALTADD", RastaRizeBrendALTADD, 0xFF80C1FFu},  // dark(a) = 0x00400100, + b
      {"BrendALTSUB", RastaRizeBrendALTSUB, 0x00000000u},
  };
  for (const Case& c : cases) {
    uint32_t out[3] = {0xDEADBEEFu, 0xDEADBEEFu, 0xDEADBEEFu};
    const uint32_t src1[2] = {a, a}, src2[2] = {b, b};
    ASSERT_EQ(c.fn(out, src1, src2, k, 2), 0) << c.name;
    EXPECT_EQ(out[0], c.want) << c.name;
    EXPECT_EQ(out[1], c.want) << c.name;
    EXPECT_EQ(out[2], 0xDEADBEEFu) << c.name;
  }
  // A white colour leaves the rows as they are: a plain saturating add.
  uint32_t out = 0;
  const uint32_t one = 0x01020304u, two = 0xFF000102u;
  EXPECT_EQ(RastaRizeBrendADD(&out, &one, &two, 0xFFFFFFFFu, 1), 0);
  EXPECT_EQ(out, 0xFF020406u);
}

// The vector kernels this machine can run.
std::vector<blivo::rowk::RowKernels> VectorKernels() {
  std::vector<blivo::rowk::RowKernels> out;
  if (__builtin_cpu_supports("sse2")) out.push_back(blivo::rowk::kRows_Sse2);
  if (__builtin_cpu_supports("avx2")) out.push_back(blivo::rowk::kRows_Avx2);
  return out;
}

// The vector kernels against their references over random operations, sizes and overlaps.
TEST(RowKernels, VectorKernelsMatchReference) {
  const std::vector<blivo::rowk::RowKernels> sets = VectorKernels();
  ASSERT_FALSE(sets.empty());
  std::mt19937 rng(7);
  for (int seed = 1; seed <= 400; ++seed) {
    blivo::rowk::Combine op;
    op.darkA = rng() % 3 == 0 ? blittest::TestImage::RandomPixel(rng) : 0u;
    op.darkB = rng() % 3 == 0 ? blittest::TestImage::RandomPixel(rng) : 0u;
    op.flipB = rng() % 2 ? 0xFFFFFFFFu : 0u;
    op.subtract = rng() % 2 != 0;
    const int64_t n = rng() % 53;
    const size_t ao = rng() % 64, bo = rng() % 64, dOff = rng() % 64;
    const std::vector<uint8_t> start = RandomBytes(rng, 64 + 4 * 53);
    std::vector<uint8_t> want = start;
    blivo::rowk::Combine_Ref(want.data() + dOff, want.data() + ao, want.data() + bo, n, op);
    for (const blivo::rowk::RowKernels& k : sets) {
      std::vector<uint8_t> x = start;
      k.combine(x.data() + dOff, x.data() + ao, x.data() + bo, n, op);
      ASSERT_EQ(x, want) << "seed " << seed;
    }
    want = start;
    blivo::rowk::Copy_Ref(want.data() + dOff, want.data() + ao, n);
    for (const blivo::rowk::RowKernels& k : sets) {
      std::vector<uint8_t> x = start;
      k.copy(x.data() + dOff, x.data() + ao, n);
      ASSERT_EQ(x, want) << "copy seed " << seed;
    }
  }
  if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 here: only the SSE2 kernels were compared";
}

// The switch that forces the plain loops reaches the row kernels too.
TEST(RowKernels, DisableSwitchForcesReferences) {
  setenv("BLIVO_DISABLE", "avx2,sse2", 1);
  blivo::ReloadIsa();
  EXPECT_EQ(blivo::rowk::ActiveRowKernels().copy, &blivo::rowk::Copy_Ref);
  EXPECT_EQ(blivo::rowk::ActiveRowKernels().combine, &blivo::rowk::Combine_Ref);
  setenv("BLIVO_DISABLE", "avx2", 1);
  blivo::ReloadIsa();
  EXPECT_EQ(blivo::rowk::ActiveRowKernels().combine, &blivo::rowk::Combine_Sse2);
  unsetenv("BLIVO_DISABLE");
  blivo::ReloadIsa();
  if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 here: its choice was not checked";
  EXPECT_EQ(blivo::rowk::ActiveRowKernels().combine, &blivo::rowk::Combine_Avx2);
}

}  // namespace

// Differential tests: every vector kernel table against the scalar reference, pixel for pixel,
// on random rows (odd lengths, misaligned starts, bytes heavy in 0x00 and 0xFF, guard words on
// both sides) and through the exports on random padded images and rectangles, overlapping
// same-image blits included. A failure names the table, the operation and the seed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "blit_kernels.h"
#include "cpu.h"
#include "blit_test_image.h"
#include "blivo.h"
#include "pixel_math.h"

namespace {

using blivo::BlitKernels;
using blivo::RowArgs;
using blittest::TestImage;

constexpr int kSeeds = 300;
constexpr uint32_t kGuardWord = 0xA5A5A5A5u;

std::vector<const BlitKernels*> VectorTables() {
  std::vector<const BlitKernels*> out;
  __builtin_cpu_init();
  if (__builtin_cpu_supports("sse2")) out.push_back(&blivo::kBlit_Sse2);
  if (__builtin_cpu_supports("avx2")) out.push_back(&blivo::kBlit_Avx2);
  return out;
}

// A row of n pixels at a random misalignment inside a buffer with guard words on both sides.
struct GuardedRow {
  std::vector<uint32_t> words;
  int32_t start = 0, n = 0;
  GuardedRow(std::mt19937& rng, int32_t count) : words(static_cast<size_t>(count) + 24, kGuardWord) {
    n = count;
    start = 8 + static_cast<int32_t>(rng() % 8);
    for (int32_t i = 0; i < n; ++i) words[static_cast<size_t>(start + i)] = TestImage::RandomPixel(rng);
  }
  uint32_t* Data() { return words.data() + start; }
  bool Guarded() const {
    for (int32_t i = 0; i < static_cast<int32_t>(words.size()); ++i)
      if ((i < start || i >= start + n) && words[static_cast<size_t>(i)] != kGuardWord) return false;
    return true;
  }
};

struct RowOp {
  const char* name;
  blivo::RowFn BlitKernels::*fn;
};

TEST(BlitSimd, RowKernelsMatchReference) {
  const RowOp ops[] = {
      {"add", &BlitKernels::add},         {"sub", &BlitKernels::sub},
      {"halfBlend", &BlitKernels::halfBlend}, {"keying", &BlitKernels::keying},
      {"blend", &BlitKernels::blend},     {"blendMmx", &BlitKernels::blendMmx},
      {"trueBlend", &BlitKernels::trueBlend}, {"alpha", &BlitKernels::alpha},
  };
  ASSERT_FALSE(VectorTables().empty());  // every x86-64 has SSE2
  const BlitKernels& ref = blivo::kBlit_Ref;
  const float opacities[] = {0.0f, 1.0f, 0.5f, 0.3333f, 0.999f, 0.0039f, 0.75f, 0.9961f, 0.1f};
  for (const BlitKernels* table : VectorTables()) {
    for (const RowOp& op : ops) {
      for (int seed = 1; seed <= kSeeds; ++seed) {
        std::mt19937 rng(static_cast<uint32_t>(seed));
        const int32_t n = 1 + static_cast<int32_t>(rng() % 70);
        GuardedRow d(rng, n), s(rng, n);
        uint16_t fade[256];
        RowArgs args;
        args.key = s.Data()[rng() % static_cast<uint32_t>(n)];
        args.opacity = opacities[static_cast<size_t>(seed) % std::size(opacities)];
        for (uint32_t i = 0; i < 256; ++i)
          fade[i] = static_cast<uint16_t>(blivo::FadeWeight(i, args.opacity));
        args.fade = fade;
        // Every fourth seed takes the single-precision path the multiplier normally replaces.
        args.fadeMul = seed % 4 == 0 ? 0u : blivo::FadeMultiplier(fade);
        args.flags = static_cast<uint32_t>(seed) & 15u;
        std::vector<uint32_t> want(d.Data(), d.Data() + n);
        (ref.*op.fn)(want.data(), s.Data(), n, args);
        (table->*op.fn)(d.Data(), s.Data(), n, args);
        ASSERT_EQ(std::vector<uint32_t>(d.Data(), d.Data() + n), want)
            << table->name << " " << op.name << " seed " << seed << " n " << n;
        ASSERT_TRUE(d.Guarded() && s.Guarded()) << table->name << " " << op.name << " seed " << seed;
      }
    }
  }
  if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 here: only the SSE2 kernels were compared";
}

TEST(BlitSimd, HalfSizeAndFillMatchReference) {
  const BlitKernels& ref = blivo::kBlit_Ref;
  for (const BlitKernels* table : VectorTables()) {
    for (int seed = 1; seed <= kSeeds; ++seed) {
      std::mt19937 rng(static_cast<uint32_t>(seed));
      const int32_t n = 1 + static_cast<int32_t>(rng() % 40);
      GuardedRow d(rng, n), s0(rng, 2 * n), s1(rng, 2 * n);
      std::vector<uint32_t> want(d.Data(), d.Data() + n);
      ref.halfSize(want.data(), s0.Data(), s1.Data(), n);
      table->halfSize(d.Data(), s0.Data(), s1.Data(), n);
      ASSERT_EQ(std::vector<uint32_t>(d.Data(), d.Data() + n), want)
          << table->name << " halfSize seed " << seed;
      ASSERT_TRUE(d.Guarded()) << table->name << " halfSize seed " << seed;

      const uint32_t colour = TestImage::RandomPixel(rng);
      const uint32_t mask = (seed % 3 == 0) ? 0u : TestImage::RandomPixel(rng);
      std::vector<uint32_t> wantFill(d.Data(), d.Data() + n);
      ref.fill(wantFill.data(), n, colour, mask);
      table->fill(d.Data(), n, colour, mask);
      ASSERT_EQ(std::vector<uint32_t>(d.Data(), d.Data() + n), wantFill)
          << table->name << " fill seed " << seed;
      ASSERT_TRUE(d.Guarded()) << table->name << " fill seed " << seed;
    }
  }
  if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 here: only the SSE2 kernels were compared";
}

using Export = int32_t (*)(void*, const void*, int32_t, int32_t, int32_t, int32_t, int32_t,
                           int32_t);

struct ExportOp {
  const char* name;
  Export fn;
};

const ExportOp kExports[] = {
    {"Add", [](void* d, const void* s, int32_t a, int32_t b, int32_t c, int32_t e, int32_t f,
               int32_t g) {
       MMX(1);
       const int32_t r = BBIBltAdd(d, s, a, b, c, e, f, g);
       MMX(0);
       return r;
     }},
    {"Sub", BBIBltSub},
    {"HalfBlend", BBIBltHalfBlend},
    {"Keying", BBIBltKeying},
    {"Blend", [](void* d, const void* s, int32_t a, int32_t b, int32_t c, int32_t e, int32_t f,
                 int32_t g) { return BBIBltBlend(d, s, a, b, c, e, f, g, 0); }},
    {"BlendMmx", [](void* d, const void* s, int32_t a, int32_t b, int32_t c, int32_t e,
                    int32_t f, int32_t g) { return BBIBltBlend(d, s, a, b, c, e, f, g, 1); }},
    {"TrueBlend", [](void* d, const void* s, int32_t a, int32_t b, int32_t c, int32_t e,
                     int32_t f, int32_t g) { return BBIBltTrueBlend(d, s, a, b, c, e, f, g, 0.7f); }},
    {"Alpha", [](void* d, const void* s, int32_t a, int32_t b, int32_t c, int32_t e, int32_t f,
                 int32_t g) { return BBIBltAlpha(d, s, a, b, c, e, f, g, 1, 0, 1, 1); }},
    {"HalfSize", BBIBltHalfSize},
    {"Blt", BBIBlt},
};

TEST(BlitSimd, ExportsMatchReferenceOnRandomRectangles) {
  const BlitKernels& ref = blivo::kBlit_Ref;
  for (const BlitKernels* table : VectorTables()) {
    for (const ExportOp& op : kExports) {
      for (int seed = 1; seed <= kSeeds / 3; ++seed) {
        std::mt19937 rng(static_cast<uint32_t>(seed));
        const int32_t dw = 1 + static_cast<int32_t>(rng() % 40), dh = 1 + static_cast<int32_t>(rng() % 9);
        const int32_t sw = 1 + static_cast<int32_t>(rng() % 40), sh = 1 + static_cast<int32_t>(rng() % 9);
        const int32_t pad = static_cast<int32_t>(rng() % 3);
        TestImage d1(dw, dh, pad), s(sw, sh, static_cast<int32_t>(rng() % 3));
        d1.Randomize(rng);
        s.Randomize(rng);
        TestImage d2(dw, dh, pad);
        d2.SetPixels(d1.Pixels());
        auto coord = [&](int32_t span) { return static_cast<int32_t>(rng() % static_cast<uint32_t>(span + 8)) - 4; };
        const int32_t dx = coord(dw), dy = coord(dh), w = coord(45), h = coord(12);
        const int32_t sx = coord(sw), sy = coord(sh);
        // Half the seeds blit an image onto itself, overlapping in every direction.
        const bool self = seed % 2 == 0;
        blivo::UseBlitKernels(ref);
        const int32_t r1 = op.fn(d1.Block(), self ? d1.Block() : s.Block(), dx, dy, w, h, sx, sy);
        blivo::UseBlitKernels(*table);
        const int32_t r2 = op.fn(d2.Block(), self ? d2.Block() : s.Block(), dx, dy, w, h, sx, sy);
        blivo::ReloadIsa();
        ASSERT_EQ(r1, r2) << table->name << " " << op.name << " seed " << seed;
        ASSERT_EQ(d1.Pixels(), d2.Pixels()) << table->name << " " << op.name << " seed " << seed;
        ASSERT_TRUE(d1.GuardsIntact() && d2.GuardsIntact() && s.GuardsIntact())
            << table->name << " " << op.name << " seed " << seed;
      }
    }
  }
  if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 here: only the SSE2 kernels were compared";
}

}  // namespace

namespace {

TEST(BlitSimd, TableFollowsTheDisableSwitch) {
  struct Case {
    const char* disable;
    const char* want;  // when the host has both instruction sets
  } const cases[] = {{"avx2,sse2", "reference"}, {"avx2", "sse2"}, {"", "avx2"}};
  __builtin_cpu_init();
  if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "needs a machine with AVX2";
  for (const Case& c : cases) {
    setenv("BLIVO_DISABLE", c.disable, 1);
    blivo::ReloadIsa();
    EXPECT_STREQ(blivo::ActiveBlitKernels().name, c.want) << c.disable;
  }
  unsetenv("BLIVO_DISABLE");
  blivo::ReloadIsa();
}

}  // namespace

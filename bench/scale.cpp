// The scaling family on 800 x 600 images: 2x nearest expansion beside pixman's nearest-filter
// scaling (SRC through a 0.5 transform on the very same buffers), box blur at radius 2 and 16
// (the cost must not depend on the radius) and box resampling, each as reference, SSE2 and
// AVX2 kernels. Items are destination pixels.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <random>
#include <vector>

#include "BenchFrame.h"
#include "bbi.h"
#include "blivo.h"
#include "scale_kernels.h"

namespace {

constexpr int32_t kW = 800, kH = 600;

struct Frame : BenchFrame {
  using BenchFrame::BenchFrame;
};

Frame& Dst() {
  static Frame f(kW, kH, 1);
  return f;
}
Frame& Src() {
  static Frame f(kW, kH, 2);
  return f;
}
Frame& Half() {
  static Frame f(kW / 2, kH / 2, 3);
  return f;
}

void Count(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * int64_t{kW} * kH);
}

bool Supported(benchmark::State& state, int isa) {
  if ((isa == 1 && !__builtin_cpu_supports("sse2")) ||
      (isa == 2 && !__builtin_cpu_supports("avx2"))) {
    state.SkipWithError("instruction set not available");
    return false;
  }
  return true;
}

// ---- 2x nearest expansion ----------------------------------------------------------------------

void BM_ExpandBlt2x(benchmark::State& state) {
  const int isa = static_cast<int>(state.range(0));
  if (!Supported(state, isa)) return;
  const auto fn = isa == 0 ? blivo::ExpandCopy_Ref
                           : (isa == 1 ? blivo::ExpandCopy_Sse2 : blivo::ExpandCopy_Avx2);
  const blivo::ScaledRect r{0, 0, kW, kH, 0, 0, kW / 2, kH / 2};
  for (auto _ : state) {
    fn(Dst().View(), Half().View(), r);
    benchmark::ClobberMemory();
  }
  Count(state);
}
BENCHMARK(BM_ExpandBlt2x)->Arg(0)->Arg(1)->Arg(2)->ArgName("ref_sse2_avx2");

void BM_ExpandBlt2x_Export(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        BBIExpandBlt(Dst().Block(), Half().Block(), 0, 0, kW, kH, 0, 0, kW / 2, kH / 2, 1.0f));
    benchmark::ClobberMemory();
  }
  Count(state);
}
BENCHMARK(BM_ExpandBlt2x_Export);

void BM_PixmanNearest2x(benchmark::State& state) {
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
  pixman_image_set_transform(Half().pix, &t);
  pixman_image_set_filter(Half().pix, PIXMAN_FILTER_NEAREST, nullptr, 0);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, Half().pix, nullptr, Dst().pix, 0, 0, 0, 0, 0, 0, kW,
                             kH);
    benchmark::ClobberMemory();
  }
  pixman_image_set_transform(Half().pix, nullptr);
  Count(state);
}
BENCHMARK(BM_PixmanNearest2x);

// ---- Box blur ----------------------------------------------------------------------------------

using BlurFn = void (*)(const blivo::Image&, const blivo::Image&, const blivo::BlitRect&,
                        int32_t);

void Blur(benchmark::State& state, const BlurFn (&fns)[3]) {
  const int isa = static_cast<int>(state.range(0));
  const int32_t radius = static_cast<int32_t>(state.range(1));
  if (!Supported(state, isa)) return;
  const blivo::BlitRect r{0, 0, kW, kH, 0, 0};
  for (auto _ : state) {
    fns[isa](Dst().View(), Src().View(), r, radius);
    benchmark::ClobberMemory();
  }
  Count(state);
}

void BM_UBlur(benchmark::State& state) {
  static const BlurFn fns[3] = {blivo::UBlur_Ref, blivo::UBlur_Sse2, blivo::UBlur_Avx2};
  Blur(state, fns);
}
void BM_VBlur(benchmark::State& state) {
  static const BlurFn fns[3] = {blivo::VBlur_Ref, blivo::VBlur_Sse2, blivo::VBlur_Avx2};
  Blur(state, fns);
}
BENCHMARK(BM_UBlur)->ArgsProduct({{0, 1, 2}, {2, 16}})->ArgNames({"isa", "radius"});
BENCHMARK(BM_VBlur)->ArgsProduct({{0, 1, 2}, {2, 16}})->ArgNames({"isa", "radius"});

// ---- Box resampling ----------------------------------------------------------------------------

using ScaleFn = void (*)(const blivo::Image&, const blivo::Image&, const blivo::BlitRect&,
                         int32_t, int32_t);

void Resample(benchmark::State& state, const ScaleFn (&fns)[3]) {
  const int isa = static_cast<int>(state.range(0));
  const int32_t num = static_cast<int32_t>(state.range(1));
  const int32_t den = static_cast<int32_t>(state.range(2));
  if (!Supported(state, isa)) return;
  const blivo::BlitRect r{0, 0, kW, kH, 0, 0};
  for (auto _ : state) {
    fns[isa](Dst().View(), Src().View(), r, num, den);
    benchmark::ClobberMemory();
  }
  Count(state);
}

void BM_UScale(benchmark::State& state) {
  static const ScaleFn fns[3] = {blivo::UScale_Ref, blivo::UScale_Sse2, blivo::UScale_Avx2};
  Resample(state, fns);
}
void BM_VScale(benchmark::State& state) {
  static const ScaleFn fns[3] = {blivo::VScale_Ref, blivo::VScale_Sse2, blivo::VScale_Avx2};
  Resample(state, fns);
}
// 1/4 (the glyph reduction) and 3/2 (an enlargement with uneven spans).
BENCHMARK(BM_UScale)->ArgsProduct({{0, 1, 2}, {1}, {4}})->Args({0, 3, 2})->Args({1, 3, 2})
    ->ArgNames({"isa", "num", "den"});
BENCHMARK(BM_VScale)->ArgsProduct({{0, 1, 2}, {1}, {4}})->Args({0, 3, 2})->Args({2, 3, 2})
    ->ArgNames({"isa", "num", "den"});

}  // namespace

BENCHMARK_MAIN();

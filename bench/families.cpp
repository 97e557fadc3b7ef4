// The raw-row families' hot kernels on 800 x 600 rows beside their peers: UsdADD and
// RastaRizeAdd against pixman's saturating ADD on the very same pixels, UsdCopy against memcpy,
// and the reference and vector row kernels side by side. Items are pixels.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>

#include "BenchFrame.h"
#include "blivo.h"
#include "row_kernels.h"

namespace {

constexpr int32_t kW = 800, kH = 600, kStride = kW * 4;

BenchFrame& Dst() {
  static BenchFrame f(kW, kH, 1);
  return f;
}
BenchFrame& Src() {
  static BenchFrame f(kW, kH, 2);
  return f;
}

void Pixels(benchmark::State& state) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kW * kH);
}

void BM_PixmanAdd(benchmark::State& state) {
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_ADD, Src().pix, nullptr, Dst().pix, 0, 0, 0, 0, 0, 0, kW,
                             kH);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
BENCHMARK(BM_PixmanAdd);

void BM_UsdADD(benchmark::State& state) {
  for (auto _ : state) {
    UsdADD(Dst().Pixels(), Src().Pixels(), kStride, kStride, kW, kH);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
BENCHMARK(BM_UsdADD);

void BM_UsdBrendADD(benchmark::State& state) {
  for (auto _ : state) {
    UsdBrendADD(Dst().Pixels(), Src().Pixels(), kStride, kStride, kW, kH, 0x80808080u);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
BENCHMARK(BM_UsdBrendADD);

// One call over the whole frame as a single run: the MMX and Pentium members.
template <int32_t (*Fn)(void*, const void*, int32_t)>
void BM_RastaRize(benchmark::State& state) {
  for (auto _ : state) {
    Fn(Dst().Pixels(), Src().Pixels(), kW * kH);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
BENCHMARK(BM_RastaRize<RastaRizeAddMMX>)->Name("BM_RastaRizeAddMMX");
BENCHMARK(BM_RastaRize<RastaRizeAddPentium>)->Name("BM_RastaRizeAddPentium");
BENCHMARK(BM_RastaRize<RastaRizeCopyMMX>)->Name("BM_RastaRizeCopyMMX");
BENCHMARK(BM_RastaRize<RastaRizeCopyPentium>)->Name("BM_RastaRizeCopyPentium");

void BM_Memcpy(benchmark::State& state) {
  for (auto _ : state) {
    std::memcpy(Dst().Pixels(), Src().Pixels(), size_t{kW} * kH * 4);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
BENCHMARK(BM_Memcpy);

void BM_UsdCopy(benchmark::State& state) {
  for (auto _ : state) {
    UsdCopy(Dst().Pixels(), Src().Pixels(), kStride, kStride, kW, kH);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
BENCHMARK(BM_UsdCopy);

// The combine kernel row by row: reference, SSE2 and AVX2.
template <blivo::rowk::CombineFn Fn>
void BM_CombineRows(benchmark::State& state) {
  const blivo::rowk::Combine op{0x7F7F7F7Fu, 0, 0, false};
  for (auto _ : state) {
    for (int32_t y = 0; y < kH; ++y)
      Fn(Dst().Pixels() + y * kW, Dst().Pixels() + y * kW, Src().Pixels() + y * kW, kW, op);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
BENCHMARK(BM_CombineRows<blivo::rowk::Combine_Ref>)->Name("BM_CombineRows_Ref");
BENCHMARK(BM_CombineRows<blivo::rowk::Combine_Sse2>)->Name("BM_CombineRows_Sse2");
BENCHMARK(BM_CombineRows<blivo::rowk::Combine_Avx2>)->Name("BM_CombineRows_Avx2");

}  // namespace

BENCHMARK_MAIN();

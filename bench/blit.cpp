// The hot blits on 800 x 600 images beside memcpy and pixman (pixman_image_composite32 on the
// very same pixel buffers), and each blit's reference, SSE2 and AVX2 kernels side by side.
// Items are pixels, so the reported rate is pixels per second.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <random>
#include <vector>

#include "BenchFrame.h"
#include "bbi.h"
#include "blit_kernels.h"
#include "cpu.h"
#include "blivo.h"

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

void Pixels(benchmark::State& state, int64_t perIteration = int64_t{kW} * kH) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * perIteration);
}

// ---- Peers -----------------------------------------------------------------------------------

void BM_Memcpy(benchmark::State& state) {
  for (auto _ : state) {
    std::memcpy(Dst().Pixels(), Src().Pixels(), size_t{kW} * kH * 4);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
BENCHMARK(BM_Memcpy);

void Pixman(benchmark::State& state, pixman_op_t op) {
  for (auto _ : state) {
    pixman_image_composite32(op, Src().pix, nullptr, Dst().pix, 0, 0, 0, 0, 0, 0, kW, kH);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
void BM_PixmanSrc(benchmark::State& state) { Pixman(state, PIXMAN_OP_SRC); }
void BM_PixmanAdd(benchmark::State& state) { Pixman(state, PIXMAN_OP_ADD); }
void BM_PixmanOver(benchmark::State& state) { Pixman(state, PIXMAN_OP_OVER); }
BENCHMARK(BM_PixmanSrc);
BENCHMARK(BM_PixmanAdd);
BENCHMARK(BM_PixmanOver);

// ---- Exports, through the table chosen for this machine ------------------------------------------

void BM_BBIBlt(benchmark::State& state) {
  for (auto _ : state) {
    BBIBlt(Dst().Block(), Src().Block(), 0, 0, kW, kH, 0, 0);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
BENCHMARK(BM_BBIBlt);

void BM_BBIBltAdd(benchmark::State& state) {
  MMX(1);
  for (auto _ : state) {
    BBIBltAdd(Dst().Block(), Src().Block(), 0, 0, kW, kH, 0, 0);
    benchmark::ClobberMemory();
  }
  MMX(0);
  Pixels(state);
}
BENCHMARK(BM_BBIBltAdd);

void BM_BBIBltBlend(benchmark::State& state) {
  const int32_t useMmx = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    BBIBltBlend(Dst().Block(), Src().Block(), 0, 0, kW, kH, 0, 0, useMmx);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
BENCHMARK(BM_BBIBltBlend)->Arg(0)->Arg(1);

// Opacity in percent: 100 (weights equal to alpha) and 75 (weights by a multiplier).
void BM_BBIBltTrueBlend(benchmark::State& state) {
  const float opacity = static_cast<float>(state.range(0)) / 100.0f;
  for (auto _ : state) {
    BBIBltTrueBlend(Dst().Block(), Src().Block(), 0, 0, kW, kH, 0, 0, opacity);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
BENCHMARK(BM_BBIBltTrueBlend)->Arg(75)->Arg(100);

void BM_BBIBltHalfSize(benchmark::State& state) {
  for (auto _ : state) {
    BBIBltHalfSize(Half().Block(), Src().Block(), 0, 0, kW / 2, kH / 2, 0, 0);
    benchmark::ClobberMemory();
  }
  Pixels(state);  // source pixels read
}
BENCHMARK(BM_BBIBltHalfSize);

// ---- Reference, SSE2 and AVX2 kernels of each hot operation ------------------------------------

const blivo::BlitKernels* Table(int64_t which) {
  switch (which) {
    case 0: return &blivo::kBlit_Ref;
    case 1: return blivo::HostIsa().sse2 ? &blivo::kBlit_Sse2 : nullptr;
    default: return blivo::HostIsa().avx2 ? &blivo::kBlit_Avx2 : nullptr;
  }
}

template <class Call>
void Isa(benchmark::State& state, Call call) {
  const blivo::BlitKernels* table = Table(state.range(0));
  if (table == nullptr) {
    state.SkipWithError("instruction set not available");
    return;
  }
  state.SetLabel(table->name);
  blivo::UseBlitKernels(*table);
  MMX(1);
  for (auto _ : state) {
    call();
    benchmark::ClobberMemory();
  }
  MMX(0);
  blivo::ReloadIsa();
  Pixels(state);
}

#define BLIT_ISA(name, expr)                          \
  void BM_Isa_##name(benchmark::State& state) {       \
    Isa(state, [] { expr; });                         \
  }                                                   \
  BENCHMARK(BM_Isa_##name)->Arg(0)->Arg(1)->Arg(2)

BLIT_ISA(Add, BBIBltAdd(Dst().Block(), Src().Block(), 0, 0, kW, kH, 0, 0));
BLIT_ISA(Sub, BBIBltSub(Dst().Block(), Src().Block(), 0, 0, kW, kH, 0, 0));
BLIT_ISA(HalfBlend, BBIBltHalfBlend(Dst().Block(), Src().Block(), 0, 0, kW, kH, 0, 0));
BLIT_ISA(Keying, BBIBltKeying(Dst().Block(), Src().Block(), 0, 0, kW, kH, 0, 0));
BLIT_ISA(Blend, BBIBltBlend(Dst().Block(), Src().Block(), 0, 0, kW, kH, 0, 0, 0));
BLIT_ISA(BlendMmx, BBIBltBlend(Dst().Block(), Src().Block(), 0, 0, kW, kH, 0, 0, 1));
BLIT_ISA(TrueBlend, BBIBltTrueBlend(Dst().Block(), Src().Block(), 0, 0, kW, kH, 0, 0, 0.75f));
BLIT_ISA(Alpha, BBIBltAlpha(Dst().Block(), Src().Block(), 0, 0, kW, kH, 0, 0, 1, 0, 0, 0));
BLIT_ISA(HalfSize, BBIBltHalfSize(Half().Block(), Src().Block(), 0, 0, kW / 2, kH / 2, 0, 0));
BLIT_ISA(Clear, BBIClear(Dst().Block(), 1, 2, 3, 4));

}  // namespace

BENCHMARK_MAIN();

// Drawing primitives on an 800 x 600 image: lines, the solid fill and the gradient boxes with
// each instruction set (forced through BLIVO_DISABLE), and flood fill; pixman_fill, a solid
// composite and a linear-gradient composite on the same pixels are the peers. Items are pixels.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "BenchFrame.h"
#include "bbi.h"
#include "blivo.h"
#include "cpu.h"

namespace {

constexpr int32_t kW = 800, kH = 600;

struct Frame : BenchFrame {
  Frame() : BenchFrame(kW, kH, 0) {}
};

Frame& Dst() {
  static Frame f;
  return f;
}

void Pixels(benchmark::State& state, int64_t perIteration = int64_t{kW} * kH) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * perIteration);
}

// Runs body with the instruction sets limited as BLIVO_DISABLE says, then restores them.
template <class F>
void WithIsa(benchmark::State& state, const char* disable, F body) {
  if (disable) setenv("BLIVO_DISABLE", disable, 1); else unsetenv("BLIVO_DISABLE");
  blivo::ReloadIsa();
  body(state);
  unsetenv("BLIVO_DISABLE");
  blivo::ReloadIsa();
}

const char* const kRef = "avx2,sse2";
const char* const kSse2 = "avx2";
const char* const kAvx2 = nullptr;

// ---- Lines ------------------------------------------------------------------------------------

void BM_DrawLine(benchmark::State& state) {
  // 256 lines between random points of a frame twice the image's size: some cross it, some
  // are cut at its edges, a few miss it.
  std::mt19937 rng(5);
  std::vector<int32_t> pts(256 * 4);
  for (size_t i = 0; i < pts.size(); ++i)
    pts[i] = static_cast<int32_t>(rng() % (i % 2 ? 2 * kH : 2 * kW)) - (i % 2 ? kH / 2 : kW / 2);
  int64_t steps = 0;
  for (size_t i = 0; i < pts.size(); i += 4)
    steps += std::max(std::abs(pts[i + 2] - pts[i]), std::abs(pts[i + 3] - pts[i + 1]));
  for (auto _ : state) {
    for (size_t i = 0; i < pts.size(); i += 4)
      BBIDrawLine(Dst().Block(), pts[i], pts[i + 1], pts[i + 2], pts[i + 3], 0, 0xFF00FF00u);
    benchmark::ClobberMemory();
  }
  Pixels(state, steps);  // steps of the lines, inside the image or not
}
BENCHMARK(BM_DrawLine);

void BM_DrawLineFarEnds(benchmark::State& state) {
  for (auto _ : state) {
    BBIDrawLine(Dst().Block(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0xFFFFFFFFu);
    benchmark::ClobberMemory();
  }
  Pixels(state, kH);
}
BENCHMARK(BM_DrawLineFarEnds);

// ---- Fills ------------------------------------------------------------------------------------

void Fill(benchmark::State& state) {
  for (auto _ : state) {
    BBIDrawColorFill(Dst().Block(), 0, 0, kW, kH, 0, 0xFF336699u);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
void BM_DrawColorFill_Ref(benchmark::State& s) { WithIsa(s, kRef, Fill); }
void BM_DrawColorFill_Sse2(benchmark::State& s) { WithIsa(s, kSse2, Fill); }
void BM_DrawColorFill_Avx2(benchmark::State& s) { WithIsa(s, kAvx2, Fill); }
BENCHMARK(BM_DrawColorFill_Ref);
BENCHMARK(BM_DrawColorFill_Sse2);
BENCHMARK(BM_DrawColorFill_Avx2);

void MaskedFill(benchmark::State& state) {
  for (auto _ : state) {
    BBIDrawColorFill(Dst().Block(), 0, 0, kW, kH, 0xFF000000u, 0xFF336699u);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
void BM_DrawColorFillMasked_Ref(benchmark::State& s) { WithIsa(s, kRef, MaskedFill); }
void BM_DrawColorFillMasked_Avx2(benchmark::State& s) { WithIsa(s, kAvx2, MaskedFill); }
BENCHMARK(BM_DrawColorFillMasked_Ref);
BENCHMARK(BM_DrawColorFillMasked_Avx2);

void BM_PixmanFill(benchmark::State& state) {
  for (auto _ : state) {
    pixman_fill(Dst().Pixels(), kW, 32, 0, 0, kW, kH, 0xFF336699u);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
BENCHMARK(BM_PixmanFill);

void BM_PixmanCompositeSolid(benchmark::State& state) {
  const pixman_color_t colour{0x3333, 0x6666, 0x9999, 0xFFFF};
  pixman_image_t* solid = pixman_image_create_solid_fill(&colour);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, solid, nullptr, Dst().pix, 0, 0, 0, 0, 0, 0, kW, kH);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(solid);
  Pixels(state);
}
BENCHMARK(BM_PixmanCompositeSolid);

// ---- Gradients --------------------------------------------------------------------------------

void Box(benchmark::State& state) {
  for (auto _ : state) {
    BBIDrawBox(Dst().Block(), 0, 0, kW, kH, 0, 0xFF000000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
void BM_DrawBox_Ref(benchmark::State& s) { WithIsa(s, kRef, Box); }
void BM_DrawBox_Sse2(benchmark::State& s) { WithIsa(s, kSse2, Box); }
void BM_DrawBox_Avx2(benchmark::State& s) { WithIsa(s, kAvx2, Box); }
BENCHMARK(BM_DrawBox_Ref);
BENCHMARK(BM_DrawBox_Sse2);
BENCHMARK(BM_DrawBox_Avx2);

void GradBox(benchmark::State& state) {
  std::vector<uint8_t> ramp(static_cast<size_t>(blivo::BlockSize(2, 2, 0)));
  blivo::WriteHeader(ramp.data(), 2, 2, 0);
  auto* px = reinterpret_cast<uint32_t*>(ramp.data() + blivo::kDefaultPictOffset);
  px[0] = 0xFF000000u;
  px[1] = 0xFFFF0000u;
  px[2] = 0xFF00FF00u;
  px[3] = 0xFF0000FFu;
  for (auto _ : state) {
    BBIDrawGradationBox(Dst().Block(), ramp.data(), 0, 0, kW - 1, kH - 1);
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
void BM_DrawGradationBox_Ref(benchmark::State& s) { WithIsa(s, kRef, GradBox); }
void BM_DrawGradationBox_Sse2(benchmark::State& s) { WithIsa(s, kSse2, GradBox); }
void BM_DrawGradationBox_Avx2(benchmark::State& s) { WithIsa(s, kAvx2, GradBox); }
BENCHMARK(BM_DrawGradationBox_Ref);
BENCHMARK(BM_DrawGradationBox_Sse2);
BENCHMARK(BM_DrawGradationBox_Avx2);

void BM_PixmanLinearGradient(benchmark::State& state) {
  // A two-stop horizontal gradient: less work than the four-corner box, the nearest peer.
  const pixman_point_fixed_t p1{0, 0}, p2{pixman_int_to_fixed(kW - 1), 0};
  const pixman_gradient_stop_t stops[2] = {{0, {0, 0, 0, 0xFFFF}}, {pixman_fixed_1, {0xFFFF, 0, 0, 0xFFFF}}};
  pixman_image_t* grad = pixman_image_create_linear_gradient(&p1, &p2, stops, 2);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, grad, nullptr, Dst().pix, 0, 0, 0, 0, 0, 0, kW, kH);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(grad);
  Pixels(state);
}
BENCHMARK(BM_PixmanLinearGradient);

// ---- Flood fill -------------------------------------------------------------------------------

void BM_Paint(benchmark::State& state) {
  // The whole image is one region; alternate the colour so every iteration fills all of it.
  BBIDrawColorFill(Dst().Block(), 0, 0, kW, kH, 0, 0xFF000000u);
  uint32_t colour = 0xFFFFFFFFu;
  for (auto _ : state) {
    BBIPaint(Dst().Block(), kW / 2, kH / 2, colour, nullptr, nullptr, nullptr, nullptr);
    colour ^= 0x00FFFFFFu;
    benchmark::ClobberMemory();
  }
  Pixels(state);
}
BENCHMARK(BM_Paint);

void BM_PaintMaze(benchmark::State& state) {
  // Vertical walls every other column, open alternately at the top and bottom: one serpentine.
  auto* px = Dst().Pixels();
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) {
      const bool wall = x % 2 == 1 && ((x / 2) % 2 == 0 ? y != kH - 1 : y != 0);
      px[y * kW + x] = wall ? 0xFF000000u : 0xFF808080u;
    }
  uint32_t colour = 0xFFFFFFFFu;
  for (auto _ : state) {
    BBIPaint(Dst().Block(), 0, 0, colour, nullptr, nullptr, nullptr, nullptr);
    colour = colour == 0xFFFFFFFFu ? 0xFF808080u : 0xFFFFFFFFu;
    benchmark::ClobberMemory();
  }
  Pixels(state, int64_t{kW / 2} * kH);
}
BENCHMARK(BM_PaintMaze);

}  // namespace

BENCHMARK_MAIN();

// The image function library at screen size: transition patterns (what a wipe costs to set up)
// and the drop shadow of a menu label, beside pixman drawing the same radial cells.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include "image/CmgBBIFunction.h"
#include "util/CApi.h"

namespace {

using image::CmgBBI;
using image::CmgBBIFunction;

constexpr int32_t kW = 800;
constexpr int32_t kH = 600;

void RunScript(benchmark::State& state, const char* script, bool alpha) {
  util::CApi api;
  CmgBBIFunction fn(&api);
  CmgBBI target;
  target.CreateBBI(kW, kH);
  for (auto _ : state) {
    const int32_t n = alpha ? fn.TranserAlpha(target, script) : fn.Transer(target, script);
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

void BM_TranserBox(benchmark::State& state) {
  RunScript(state, "[BOX 80,60,#800,#080,#008,#888]", false);
}
BENCHMARK(BM_TranserBox);

void BM_TranserCircle(benchmark::State& state) {
  RunScript(state, "[CIRCLE 80,60,#888,#000]", false);
}
BENCHMARK(BM_TranserCircle);

// The peer: the same grid of radial cells as pixman radial gradients (an ellipse per cell
// through a scaling transform), composited with SRC.
void BM_PixmanRadialCells(benchmark::State& state) {
  CmgBBI target;
  target.CreateBBI(kW, kH);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, target.Pixels(),
                                                 target.XLen());
  pixman_gradient_stop_t stops[2] = {{pixman_int_to_fixed(0), {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}},
                                     {pixman_int_to_fixed(1), {0, 0, 0, 0xFFFF}}};
  pixman_point_fixed_t centre = {pixman_int_to_fixed(40), pixman_int_to_fixed(40)};
  pixman_image_t* grad =
      pixman_image_create_radial_gradient(&centre, &centre, 0, pixman_int_to_fixed(40), stops, 2);
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(80.0 / 80.0),
                              pixman_double_to_fixed(80.0 / 60.0));
  pixman_image_set_transform(grad, &t);
  pixman_image_set_repeat(grad, PIXMAN_REPEAT_PAD);
  for (auto _ : state) {
    for (int32_t y = 0; y < kH; y += 60)
      for (int32_t x = 0; x < kW; x += 80)
        pixman_image_composite32(PIXMAN_OP_SRC, grad, nullptr, dst, 0, 0, 0, 0, x, y, 80, 60);
    benchmark::DoNotOptimize(target.Pixels());
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
  pixman_image_unref(grad);
  pixman_image_unref(dst);
}
BENCHMARK(BM_PixmanRadialCells);

void BM_TranserAlphaThreeLayers(benchmark::State& state) {
  RunScript(state,
            "[tile 80,60,#412,#016,#040,#845,149,145][box 40,30,#667,#278,#778,#231,83,71]"
            "[box 0,0,#257,#810,#568,#272,10,123]",
            true);
}
BENCHMARK(BM_TranserAlphaThreeLayers);

void BM_EfectDropShadowLabel(benchmark::State& state) {
  util::CApi api;
  CmgBBIFunction fn(&api);
  CmgBBI label;
  label.CreateBBI(256, 64);
  for (auto _ : state) {
    fn.BBIClear(label, 0, 0, 0, 0);
    fn.BBIDrawColorFill(label, 16, 16, 224, 32, 0, 0xFFFFC040u);
    fn.EfectDropShadow(label, 4, 4, 3, 0xC0000000u);
    benchmark::DoNotOptimize(label.Pixels());
  }
}
BENCHMARK(BM_EfectDropShadowLabel);

}  // namespace

BENCHMARK_MAIN();

// Layer stack composition: ten 800 x 600 layers with the whole area dirty (the game's kind of
// stack and a worst case of ten dense alpha layers), beside pixman compositing the same layers
// OVER one another; and a one-character text update, reporting the area it composes.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "image/CmgBBIFunction.h"
#include "image/CmgBBIString.h"
#include "image/CmgBitmapList.h"
#include "image/LayerBlend.h"
#include "present/CLayer.h"
#include "util/CApi.h"

namespace {

constexpr int32_t kW = 800, kH = 600, kLayers = 10;

struct Stack {
  Stack() : functions(&api), text(&list, &functions, &api), layer(&text, &functions) {
    layer.Resize(kW, kH, kLayers);
    screen.CreateBBI(kW, kH);
  }
  util::CApi api;
  image::CmgBitmapList list;
  image::CmgBBIFunction functions;
  image::CmgBBIString text;
  present::CLayer layer;
  image::CmgBBI screen;
};

// Layer 0 an opaque picture shown dimmed and toned (the result screen's frozen screen); layers
// 1..9 real text in several sizes, each shown in one colour.
void FillGameStack(Stack& s) {
  std::mt19937 rng(1);
  uint32_t* p = s.layer.BBI(0)->Pixels();
  for (int32_t i = 0; i < kW * kH; ++i) p[i] = 0xFF000000u | (rng() & 0xFFFFFF);
  s.layer.Config(0)->Add(1.0f, false, false, 0.1f, 0x605020, 0xFFFFFF);
  const std::string words = "Win! 0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz ";
  std::string text;
  for (int i = 0; i < 40; ++i) text += words;
  for (int32_t l = 1; l < kLayers; ++l) {
    const int32_t size = 16 + 8 * l;
    s.layer.Config(l)->AddText(static_cast<int32_t>(0x204080u * static_cast<uint32_t>(l)), 1.0f,
                               false, size, "A", l % 3, true, 7 * l, 11 * l, kW - 7 * l,
                               kH - 11 * l, 0, size / 2);
    s.layer.TextOut(l, text);
  }
}

// Ten layers of dense random alpha: every pixel of every layer is mixed.
void FillDenseStack(Stack& s) {
  std::mt19937 rng(2);
  for (int32_t l = 0; l < kLayers; ++l) {
    uint32_t* q = s.layer.BBI(l)->Pixels();
    for (int32_t i = 0; i < kW * kH; ++i) q[i] = rng() | 0x01000000u;
    s.layer.Config(l)->Add(0.9f, true);
  }
}

void ComposeAll(benchmark::State& state, Stack& s) {
  for (auto _ : state) {
    for (int32_t l = 0; l < kLayers; ++l) s.layer.Redraw(l);
    util::CRect dirt;
    s.layer.DoCompose(s.screen, dirt);
    benchmark::DoNotOptimize(s.screen.Pixels()[0]);
  }
  state.SetItemsProcessed(state.iterations() * kW * kH * kLayers);
  state.SetLabel(image::LayerBlendPath());
}

void BM_ComposeTen_GameStack(benchmark::State& state) {
  Stack s;
  FillGameStack(s);
  ComposeAll(state, s);
}
BENCHMARK(BM_ComposeTen_GameStack)->Unit(benchmark::kMillisecond);

void BM_ComposeTen_DenseAlpha(benchmark::State& state) {
  Stack s;
  FillDenseStack(s);
  ComposeAll(state, s);
}
BENCHMARK(BM_ComposeTen_DenseAlpha)->Unit(benchmark::kMillisecond);

// The reference loop over the same dense stack (what the fast path replaces).
void BM_ComposeTen_DenseAlpha_Ref(benchmark::State& state) {
  Stack s;
  FillDenseStack(s);
  for (auto _ : state) {
    std::fill(s.screen.Pixels(), s.screen.Pixels() + kW * kH, 0u);
    for (int32_t l = 0; l < kLayers; ++l)
      image::LayerBlendRef(s.screen.Pixels(), kW * 4, s.layer.BBI(l)->Pixels(), kW * 4, kW, kH,
                           s.layer.Config(l)->BlendParams());
    benchmark::DoNotOptimize(s.screen.Pixels()[0]);
  }
  state.SetItemsProcessed(state.iterations() * kW * kH * kLayers);
}
BENCHMARK(BM_ComposeTen_DenseAlpha_Ref)->Unit(benchmark::kMillisecond);

// The peer: pixman, ten premultiplied layers composited OVER a cleared target.
void BM_ComposeTen_Pixman(benchmark::State& state) {
  std::mt19937 rng(2);
  std::vector<std::vector<uint32_t>> layers(kLayers, std::vector<uint32_t>(kW * kH));
  for (auto& l : layers)
    for (auto& v : l) {
      const uint32_t a = (rng() >> 24) | 1, c = rng();
      auto pm = [&](uint32_t ch) { return ((c >> ch) & 0xFF) * a / 255; };
      v = a << 24 | pm(16) << 16 | pm(8) << 8 | pm(0);
    }
  std::vector<uint32_t> dst(kW * kH);
  pixman_image_t* d = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, dst.data(), kW * 4);
  std::vector<pixman_image_t*> srcs;
  for (auto& l : layers)
    srcs.push_back(pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, l.data(), kW * 4));
  for (auto _ : state) {
    std::fill(dst.begin(), dst.end(), 0u);
    for (pixman_image_t* s : srcs)
      pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, 0, 0, 0, 0, 0, kW, kH);
    benchmark::DoNotOptimize(dst[0]);
  }
  for (pixman_image_t* s : srcs) pixman_image_unref(s);
  pixman_image_unref(d);
  state.SetItemsProcessed(state.iterations() * kW * kH * kLayers);
}
BENCHMARK(BM_ComposeTen_Pixman)->Unit(benchmark::kMillisecond);

// Progressive text, one character per frame over the game's stack: each compose covers only
// the new character's rectangle.
void BM_OneCharacterUpdate(benchmark::State& state) {
  Stack s;
  FillGameStack(s);
  s.layer.Config(5)->AddText(0xFFFFFF, 1.0f, false, 40, "A", 0, true, 0, 0, kW, kH, 0, 0, 0, 0,
                             1.0f);
  const std::string line = "The quick brown fox jumps over the lazy dog 0123456789 ";
  std::string text;
  for (int i = 0; i < 8; ++i) text += line;
  util::CRect full;
  for (int32_t l = 0; l < kLayers; ++l) s.layer.Redraw(l);
  s.layer.DoCompose(s.screen, full);
  s.layer.Text(5, text);
  // Glyphs are rendered once per character and settings; warm the cache outside the timing.
  s.layer.TextOut(5, text);
  s.layer.Remove(5, true);
  s.layer.DoCompose(s.screen, full);
  s.layer.Text(5, text);
  int64_t area = 0, frames = 0;
  for (auto _ : state) {
    if (s.layer.TextWaitCount(5) == 0) {
      state.PauseTiming();
      s.layer.Remove(5, true);
      util::CRect d;
      s.layer.DoCompose(s.screen, d);
      s.layer.Text(5, text);
      state.ResumeTiming();
    }
    util::CRect dirt;
    s.layer.DoCompose(s.screen, dirt);
    area += int64_t{dirt.Width} * dirt.Height;
    ++frames;
  }
  state.counters["composed_px"] = benchmark::Counter(static_cast<double>(area) / frames);
  state.counters["area_share_%"] =
      benchmark::Counter(100.0 * static_cast<double>(area) / frames / (kW * kH));
}
BENCHMARK(BM_OneCharacterUpdate)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// One idle frame of the frame controller at 800 x 600 without pacing, on SDL's dummy video
// driver with the software renderer: the whole back buffer presented, or nothing to present.
// The peer is the same present written directly against SDL (texture update, copy, present).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/CKestrel.h"
#include "engine/spLib.h"
#include "platform/CWindow.h"
#include "present/CDisplayDevice.h"

namespace {

struct Rig {
  Rig() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    engine::spLibServices s = engine::spLibServices::Defaults();
    s.endProgram = [](int) {};
    root = std::make_unique<engine::spLib>(s);
    auto d = std::make_unique<present::CDisplayDevice>(*root);
    display = d.get();
    root->SetDisplayDevice(std::move(d));
    form = std::make_unique<platform::CWindow>();
    kestrel = std::make_unique<engine::CKestrel>(*root);
    engine::CKestrelConfig& c = kestrel->Config;
    c.AddDDraw(800, 600);
    c.SleepFrame = 0;
    c.SleepTime = 0;
    c.WaitVsink = false;
    c.diInit = c.dsInit = false;
    connected = kestrel->Connect(form.get());
  }
  ~Rig() {
    kestrel.reset();
    root.reset();
    form.reset();
  }
  std::unique_ptr<engine::spLib> root;
  present::CDisplayDevice* display = nullptr;
  std::unique_ptr<platform::CWindow> form;
  std::unique_ptr<engine::CKestrel> kestrel;
  bool connected = false;
};

void BM_PollFullPresent(benchmark::State& state) {
  Rig rig;
  if (!rig.connected) {
    state.SkipWithError("the window or the display did not start");
    return;
  }
  uint32_t* px = rig.display->Pixels();
  uint32_t n = 0;
  for (auto _ : state) {
    ++n;
    px[(n * 7919u) % (800u * 600u)] = 0xFF000000u | n;
    rig.kestrel->RePaint();
    benchmark::DoNotOptimize(rig.kestrel->Poll());
  }
}
BENCHMARK(BM_PollFullPresent)->Unit(benchmark::kMicrosecond);

void BM_PollNothingToPresent(benchmark::State& state) {
  Rig rig;
  if (!rig.connected) {
    state.SkipWithError("the window or the display did not start");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(rig.kestrel->Poll());
}
BENCHMARK(BM_PollNothingToPresent)->Unit(benchmark::kMicrosecond);

// Peer: the same full present straight on SDL.
void BM_RawSdlFullPresent(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SDL_Init(SDL_INIT_VIDEO);
  SDL_Window* w = SDL_CreateWindow("bench", 0, 0, 800, 600, SDL_WINDOW_HIDDEN);
  SDL_Renderer* r = SDL_CreateRenderer(w, -1, SDL_RENDERER_SOFTWARE);
  SDL_Texture* t = SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                     800, 600);
  std::vector<uint32_t> px(800 * 600);
  uint32_t n = 0;
  for (auto _ : state) {
    SDL_Event e;
    while (SDL_PollEvent(&e) != 0) {
    }
    ++n;
    px[(n * 7919u) % px.size()] = n;
    SDL_UpdateTexture(t, nullptr, px.data(), 800 * 4);
    SDL_RenderCopy(r, t, nullptr, nullptr);
    SDL_RenderPresent(r);
  }
  SDL_DestroyTexture(t);
  SDL_DestroyRenderer(r);
  SDL_DestroyWindow(w);
  SDL_Quit();
}
BENCHMARK(BM_RawSdlFullPresent)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

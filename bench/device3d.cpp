// A match-like frame drawn by the software 3-D device into an 800 x 600 target: the backdrop,
// 40 balls of 32-64 px in mode 0x101, 40 effect sprites in mode 0x151 with corner colours, four
// characters (mode 0x101) with their bars (mode 0x011), and 20 text images (mode 0x211). The
// peer draws the same frame with SDL_Renderer's software renderer: blended copies, additive
// copies with colour modulation, filled rectangles.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <cstdlib>
#include <vector>

#include "engine/CSurface.h"
#include "present/CGlDevice.h"
#include "present/CRgbDevice.h"

namespace {

constexpr int32_t kW = 800, kH = 600;

struct Sprite {
  int32_t texture;  // index into the frame's textures
  float x, y, w, h;
  uint32_t mode;
  uint32_t corners[4];
};

struct Frame {
  // Textures: 0 backdrop, 1..3 balls, 4 effect, 5 character, 6 text.
  std::vector<std::unique_ptr<engine::CSurface>> textures;
  std::vector<Sprite> sprites;

  static std::unique_ptr<engine::CSurface> Make(int32_t w, int32_t h, uint32_t seed, bool round) {
    auto s = std::make_unique<engine::CSurface>(w, h, engine::PixelFormat::Argb8888(), true);
    std::mt19937 rng(seed);
    uint8_t* p = s->Lock();
    for (int32_t y = 0; y < h; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(p + static_cast<size_t>(y) * s->Pitch());
      for (int32_t x = 0; x < w; ++x) {
        const int32_t dx = 2 * x - w, dy = 2 * y - h;
        const bool in = !round || dx * dx + dy * dy < w * w;
        row[x] = (in ? 0xFF000000u : 0u) | (rng() & 0xFFFFFFu);
      }
    }
    s->Unlock();
    return s;
  }

  Frame() {
    textures.push_back(Make(kW, kH, 1, false));
    textures.push_back(Make(32, 32, 2, true));
    textures.push_back(Make(48, 48, 3, true));
    textures.push_back(Make(64, 64, 4, true));
    textures.push_back(Make(48, 48, 5, true));
    textures.push_back(Make(64, 96, 6, true));
    textures.push_back(Make(200, 24, 7, true));
    std::mt19937 rng(42);
    auto rx = [&](int32_t span) { return static_cast<float>(rng() % static_cast<uint32_t>(span)); };
    const uint32_t white = 0xFFFFFFFFu;
    sprites.push_back({0, 0, 0, kW, kH, 0x100, {white, white, white, white}});
    for (int i = 0; i < 40; ++i) {
      const int32_t t = 1 + i % 3;
      const float size = static_cast<float>(32 + 16 * (i % 3));
      sprites.push_back({t, rx(kW - 64), rx(kH - 64), size, size, 0x101, {white, white, white, white}});
    }
    for (int i = 0; i < 40; ++i)
      sprites.push_back({4, rx(kW - 48), rx(kH - 48), 48, 48, 0x151,
                         {0xFF402010u, 0xFF102040u, 0xFF204010u, 0xFF401020u}});
    for (int i = 0; i < 4; ++i) {
      sprites.push_back({5, 100.0f + 180.0f * i, 400, 64, 96, 0x101, {white, white, white, white}});
      const uint32_t bar = 0xC000C000u;
      sprites.push_back({-1, 100.0f + 180.0f * i, 380, 100, 8, 0x011, {bar, bar, bar, bar}});
    }
    for (int i = 0; i < 20; ++i) {
      const uint32_t c = 0xFFFFE080u;
      sprites.push_back({6, rx(kW - 200), rx(kH - 24), 200, 24, 0x211, {c, c, c, c}});
    }
  }
};

// Argument: the span path (0 plain loop, 1 scalar sprite spans, 2 SSE2, 3 AVX2).
void BM_FrameRgbDevice(benchmark::State& state) {
  const auto path = static_cast<present::CRgbDevice::SpanPath>(state.range(0));
  if (path == present::CRgbDevice::SpanPath::Avx2 && !present::CRgbDevice::HasAvx2()) {
    state.SkipWithError("no AVX2 on this processor");
    return;
  }
  Frame frame;
  std::vector<uint32_t> target(static_cast<size_t>(kW) * kH);
  present::CRgbDevice d;
  d.SetSpanPath(path);
  d.SetRenderTarget(target.data(), kW, kH, kW * 4);
  for (auto _ : state) {
    for (const Sprite& s : frame.sprites) {
      d.SetTexture(s.texture < 0 ? nullptr : frame.textures[static_cast<size_t>(s.texture)].get());
      d.SetRenderMode(s.mode);
      const present::TLVertex v[4] = {
          present::CIMDevice::TLVERTEX(s.x, s.y, s.corners[0], 0, 0),
          present::CIMDevice::TLVERTEX(s.x + s.w, s.y, s.corners[1], 1, 0),
          present::CIMDevice::TLVERTEX(s.x, s.y + s.h, s.corners[2], 0, 1),
          present::CIMDevice::TLVERTEX(s.x + s.w, s.y + s.h, s.corners[3], 1, 1)};
      d.DrawStrip(v, 4);
    }
    benchmark::DoNotOptimize(target.data());
  }
}
BENCHMARK(BM_FrameRgbDevice)->Unit(benchmark::kMillisecond)->ArgName("path")->DenseRange(0, 3);

void DrawFrame(present::CIMDevice& d, const Frame& frame) {
  for (const Sprite& s : frame.sprites) {
    d.SetTexture(s.texture < 0 ? nullptr : frame.textures[static_cast<size_t>(s.texture)].get());
    d.SetRenderMode(s.mode);
    const present::TLVertex v[4] = {
        present::CIMDevice::TLVERTEX(s.x, s.y, s.corners[0], 0, 0),
        present::CIMDevice::TLVERTEX(s.x + s.w, s.y, s.corners[1], 1, 0),
        present::CIMDevice::TLVERTEX(s.x, s.y + s.h, s.corners[2], 0, 1),
        present::CIMDevice::TLVERTEX(s.x + s.w, s.y + s.h, s.corners[3], 1, 1)};
    d.DrawStrip(v, 4);
  }
}

// The OpenGL device, on whatever OpenGL SDL's offscreen driver offers (Mesa's llvmpipe here:
// its rasteriser threads are not counted in the CPU column). The frame goes up from the back
// buffer and comes back into it, as in the display.
void BM_FrameGlDevice(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  std::string why;
  auto gl = present::CGlDevice::Create(why);
  if (!gl) {
    state.SkipWithError(("no OpenGL context: " + why).c_str());
    return;
  }
  Frame frame;
  std::vector<uint32_t> target(static_cast<size_t>(kW) * kH);
  for (auto _ : state) {
    gl->SetRenderTarget(target.data(), kW, kH, kW * 4);
    DrawFrame(*gl, frame);
    gl->Finish();
    benchmark::DoNotOptimize(target.data());
  }
  state.SetLabel(gl->Renderer());
}
BENCHMARK(BM_FrameGlDevice)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_FrameSdlSoftwareRenderer(benchmark::State& state) {
  Frame frame;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Renderer* r = surface != nullptr ? SDL_CreateSoftwareRenderer(surface) : nullptr;
  if (r == nullptr) {
    state.SkipWithError("no SDL software renderer");
    return;
  }
  std::vector<SDL_Texture*> textures;
  for (const auto& t : frame.textures) {
    SDL_Texture* tex = SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                         t->Width(), t->Height());
    SDL_UpdateTexture(tex, nullptr, t->Bytes(), t->Pitch());
    textures.push_back(tex);
  }
  for (auto _ : state) {
    for (const Sprite& s : frame.sprites) {
      const SDL_Rect dst{static_cast<int>(s.x), static_cast<int>(s.y), static_cast<int>(s.w),
                         static_cast<int>(s.h)};
      const uint32_t c = s.corners[0];
      if (s.texture < 0) {
        SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_BLEND);
        SDL_SetRenderDrawColor(r, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, c >> 24);
        SDL_RenderFillRect(r, &dst);
        continue;
      }
      SDL_Texture* tex = textures[static_cast<size_t>(s.texture)];
      SDL_SetTextureBlendMode(tex, s.mode == 0x100   ? SDL_BLENDMODE_NONE
                                   : s.mode == 0x151 ? SDL_BLENDMODE_ADD
                                                     : SDL_BLENDMODE_BLEND);
      SDL_SetTextureColorMod(tex, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
      SDL_RenderCopy(r, tex, nullptr, &dst);
    }
    SDL_RenderFlush(r);
    benchmark::DoNotOptimize(surface->pixels);
  }
  for (SDL_Texture* t : textures) SDL_DestroyTexture(t);
  SDL_DestroyRenderer(r);
  SDL_FreeSurface(surface);
}
BENCHMARK(BM_FrameSdlSoftwareRenderer)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

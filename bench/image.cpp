// Image loading beside SDL: an 800 x 600 picture as a 24-bit bitmap (our reader against
// SDL_LoadBMP), as PNG through SDL2_image, and as block files stored and in each method.
// Everything is read from memory, so the figures compare the decoders, not the disk.
#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "image/CmgBBI.h"

namespace {

// A picture like the game's backdrops: smooth sky, a few hard-edged shapes, some noise.
const image::CmgBBI& Picture() {
  static image::CmgBBI img = [] {
    image::CmgBBI p;
    p.CreateBBI(800, 600);
    uint32_t noise = 12345;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x) {
        noise = noise * 1103515245u + 12345u;
        int r = 40 + y / 5, g = 90 + y / 4, b = 200 - y / 6;
        if ((x - 400) * (x - 400) + (y - 300) * (y - 300) < 120 * 120) r = 230, g = 120, b = 40;
        if (y > 480) r = 60, g = 140 + ((x / 16 + y / 16) & 1) * 30, b = 50;
        const int n = static_cast<int>((noise >> 28) & 3);
        p.SetPixel(x, y, r + n, g + n, b + n);
      }
    return p;
  }();
  return img;
}

std::vector<uint8_t> BitmapBytes() {
  std::vector<uint8_t> out;
  image::CmgBBIBase::EncodeBitmap(Picture().Data(), false, out);
  return out;
}

std::vector<uint8_t> PngBytes() {
  const std::vector<uint8_t> bmp = BitmapBytes();
  SDL_Surface* s = SDL_LoadBMP_RW(SDL_RWFromConstMem(bmp.data(), static_cast<int>(bmp.size())), 1);
  std::vector<uint8_t> png(8 << 20);
  SDL_RWops* rw = SDL_RWFromMem(png.data(), static_cast<int>(png.size()));
  IMG_SavePNG_RW(s, rw, 0);
  png.resize(static_cast<size_t>(SDL_RWtell(rw)));
  SDL_RWclose(rw);
  SDL_FreeSurface(s);
  return png;
}

void BM_Bitmap_Ours(benchmark::State& state) {
  const std::vector<uint8_t> bytes = BitmapBytes();
  image::Block block;
  for (auto _ : state) {
    image::Block fresh;
    if (image::CmgBBIBase::ReadBitmap(fresh, bytes) != 0) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(fresh.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_Bitmap_Ours);

void BM_Bitmap_SDL_LoadBMP(benchmark::State& state) {
  const std::vector<uint8_t> bytes = BitmapBytes();
  for (auto _ : state) {
    SDL_Surface* s =
        SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    if (s == nullptr) state.SkipWithError("SDL_LoadBMP failed");
    benchmark::DoNotOptimize(s);
    SDL_FreeSurface(s);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_Bitmap_SDL_LoadBMP);

// The same result as ours: SDL's load, then its conversion to 32-bit ARGB rows.
void BM_Bitmap_SDL_LoadBMP_ToArgb(benchmark::State& state) {
  const std::vector<uint8_t> bytes = BitmapBytes();
  for (auto _ : state) {
    SDL_Surface* s =
        SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    SDL_Surface* argb = s ? SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0) : nullptr;
    if (argb == nullptr) state.SkipWithError("SDL_LoadBMP failed");
    benchmark::DoNotOptimize(argb);
    SDL_FreeSurface(argb);
    SDL_FreeSurface(s);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_Bitmap_SDL_LoadBMP_ToArgb);

void BM_Png_SDL_image(benchmark::State& state) {
  const std::vector<uint8_t> bytes = PngBytes();
  state.counters["file_bytes"] = double(bytes.size());
  for (auto _ : state) {
    SDL_Surface* s = IMG_Load_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    if (s == nullptr) state.SkipWithError("IMG_Load failed");
    benchmark::DoNotOptimize(s);
    SDL_FreeSurface(s);
  }
}
BENCHMARK(BM_Png_SDL_image);

// Block files: -1 stored, then modes 1..3 (the three methods).
void BM_BlockFile(benchmark::State& state) {
  std::vector<uint8_t> bytes;
  image::CmgBBIBase::EncodeBlockFile(Picture().Data(), static_cast<int32_t>(state.range(0)), bytes);
  state.counters["file_bytes"] = double(bytes.size());
  for (auto _ : state) {
    image::Block fresh;
    if (image::CmgBBIBase::ReadBlockFile(fresh, bytes) != 0) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(fresh.data());
  }
}
BENCHMARK(BM_BlockFile)->Arg(-1)->Arg(1)->Arg(2)->Arg(3);

}  // namespace
BENCHMARK_MAIN();

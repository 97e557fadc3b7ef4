// An image for the pixel benchmarks: one BBI block whose pixels pixman also sees, so our
// operations and the peer's work on the very same memory.
#pragma once

#include <pixman.h>

#include <cstdint>
#include <random>
#include <vector>

#include "bbi.h"

struct BenchFrame {
  std::vector<uint8_t> block;
  pixman_image_t* pix = nullptr;

  // seed 0 leaves the pixels zero; any other seed fills them with random words.
  BenchFrame(int32_t w, int32_t h, uint32_t seed)
      : block(static_cast<size_t>(blivo::BlockSize(w, h, 0))) {
    blivo::WriteHeader(block.data(), w, h, 0);
    if (seed != 0) {
      std::mt19937 rng(seed);
      uint32_t* px = Pixels();
      for (int32_t i = 0; i < w * h; ++i) px[i] = rng();
    }
    pix = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, Pixels(), w * 4);
  }
  ~BenchFrame() { pixman_image_unref(pix); }
  BenchFrame(const BenchFrame&) = delete;
  BenchFrame& operator=(const BenchFrame&) = delete;

  void* Block() { return block.data(); }
  uint32_t* Pixels() { return reinterpret_cast<uint32_t*>(block.data() + blivo::kDefaultPictOffset); }
  blivo::Image View() { return blivo::View(Block()); }
};

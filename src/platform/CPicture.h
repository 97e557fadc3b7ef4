// CPicture: the picture loader: PNG, JPEG and the bitmap kinds the image objects' own reader
// leaves alone through SDL2_image, GIF through our own reader (CGifReader: SDL2_image's is not
// safe with hostile files), decoded from bytes in memory into 0xAARRGGBB rows. No other kind is
// handed to SDL2_image, and no header's size is believed before it is checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace platform {

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // width * height, rows top to bottom
};

enum class PictureKind { kBmp, kPng, kJpeg, kGif };

// What a picture's header claims, read without decoding (and without trusting it). For a GIF,
// the first image descriptor's size: the frame comes out at that size, not the screen's.
struct PictureHeader {
  PictureKind kind = PictureKind::kBmp;
  int64_t width = 0;
  int64_t height = 0;  // rows, whichever way they run
};

// False when the bytes begin no BMP, PNG, JPEG or GIF header that can be read.
bool PeekPicture(std::span<const uint8_t> bytes, PictureHeader& out);

// False when the bytes are no picture the loader knows, or larger than maxPixels (checked on
// the header before anything is decoded).
bool DecodePicture(std::span<const uint8_t> bytes, int64_t maxPixels, Picture& out);

// Runs `run` while SDL's allocator refuses, on this thread, any block larger than `bytes`: the
// bound DecodePicture puts on the system decoders, whatever their files ask for.
void WithSdlAllocationLimit(size_t bytes, const std::function<void()>& run);

}  // namespace platform

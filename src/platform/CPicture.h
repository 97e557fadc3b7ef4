// CPicture: the system picture loader (SDL2_image): PNG, JPEG, GIF and the bitmap kinds the
// image objects' own reader leaves alone, decoded from bytes in memory into 0xAARRGGBB rows.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace platform {

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // width * height, rows top to bottom
};

// False when the bytes are no picture the loader knows, or larger than maxPixels.
bool DecodePicture(std::span<const uint8_t> bytes, int64_t maxPixels, Picture& out);

}  // namespace platform

// Images for the scaling and drawing tests: the guarded block of every pixel-family test, and
// small pictures from pixel lists or text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "blit_test_image.h"

namespace scaletest {

using GuardedImage = blittest::TestImage;

// A row-major image from a list of pixels.
inline GuardedImage FromPixels(int32_t w, int32_t h, const std::vector<uint32_t>& px,
                               int32_t pad = 0) {
  GuardedImage img(w, h, pad);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) img.At(x, y) = px[static_cast<size_t>(y) * w + x];
  return img;
}

// A small picture as text: '#' for ink, '.' for anything else.
inline constexpr uint32_t kInk = 0xFF203040u;
inline GuardedImage FromArt(const std::vector<std::string>& rows) {
  const auto h = static_cast<int32_t>(rows.size()), w = static_cast<int32_t>(rows[0].size());
  GuardedImage img(w, h, 1);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) img.At(x, y) = rows[y][x] == '#' ? kInk : 0u;
  return img;
}
inline std::vector<std::string> ToArt(const GuardedImage& img) {
  std::vector<std::string> rows;
  for (int32_t y = 0; y < img.Height(); ++y) {
    std::string row;
    for (int32_t x = 0; x < img.Width(); ++x) row += img.At(x, y) == kInk ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

}  // namespace scaletest

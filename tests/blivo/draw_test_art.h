// Golden pictures for the drawing tests: an image drawn as text, one character per pixel, from a
// small legend of colours, so an expected picture reads like the pixels it stands for.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "blit_test_image.h"

namespace drawtest {

using Legend = std::vector<std::pair<char, uint32_t>>;

// Rows of characters; a pixel missing from the legend shows as '?'.
inline std::vector<std::string> Art(const blittest::TestImage& img, const Legend& legend) {
  std::vector<std::string> rows;
  for (int32_t y = 0; y < img.Height(); ++y) {
    std::string row;
    for (int32_t x = 0; x < img.Width(); ++x) {
      char c = '?';
      for (const auto& [ch, colour] : legend)
        if (img.Get(x, y) == colour) c = ch;
      row += c;
    }
    rows.push_back(row);
  }
  return rows;
}

// Sets every pixel from a picture, using the same legend.
inline void Paint(blittest::TestImage& img, const std::vector<std::string>& rows,
                  const Legend& legend) {
  for (int32_t y = 0; y < img.Height(); ++y)
    for (int32_t x = 0; x < img.Width(); ++x)
      for (const auto& [ch, colour] : legend)
        if (rows[static_cast<size_t>(y)][static_cast<size_t>(x)] == ch) img.Set(x, y, colour);
}

}  // namespace drawtest

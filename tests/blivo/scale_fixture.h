// A BBI block for the scaling tests, surrounded by guard bytes and with guard-filled row
// padding, so that any write outside the image's pixels is caught.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bbi.h"

namespace scaletest {

inline constexpr uint8_t kGuard = 0xA5;
inline constexpr size_t kGuardBytes = 64;

class GuardedImage {
 public:
  GuardedImage(int32_t w, int32_t h, int32_t pad = 0) : m_w(w), m_h(h), m_pad(pad) {
    const size_t block = static_cast<size_t>(blivo::BlockSize(w, h, pad));
    m_bytes.assign(block + 2 * kGuardBytes, kGuard);
    blivo::WriteHeader(Block(), w, h, pad);
  }
  void* Block() { return m_bytes.data() + kGuardBytes; }
  const void* Block() const { return m_bytes.data() + kGuardBytes; }
  blivo::Image View() const { return blivo::View(Block()); }
  int32_t Width() const { return m_w; }
  int32_t Height() const { return m_h; }
  uint32_t& At(int32_t x, int32_t y) { return View().At(x, y); }
  uint32_t At(int32_t x, int32_t y) const { return View().At(x, y); }
  void Fill(uint32_t v) {
    for (int32_t y = 0; y < m_h; ++y)
      for (int32_t x = 0; x < m_w; ++x) At(x, y) = v;
  }
  // Random pixels, heavy in 0x00 and 0xFF bytes.
  void Randomize(std::mt19937& rng) {
    for (int32_t y = 0; y < m_h; ++y)
      for (int32_t x = 0; x < m_w; ++x) {
        uint32_t p = 0;
        for (int k = 0; k < 4; ++k) {
          const uint32_t pick = rng() % 4;
          const uint32_t b = pick == 0 ? 0u : (pick == 1 ? 255u : rng() & 0xFFu);
          p |= b << (8 * k);
        }
        At(x, y) = p;
      }
  }
  // True when nothing outside the pixels (guards before and after, row padding) changed.
  bool GuardsIntact() const {
    for (size_t i = 0; i < kGuardBytes; ++i)
      if (m_bytes[i] != kGuard || m_bytes[m_bytes.size() - 1 - i] != kGuard) return false;
    const auto* pix = m_bytes.data() + kGuardBytes + blivo::kDefaultPictOffset;
    const size_t stride = static_cast<size_t>(m_w + m_pad) * 4;
    for (int32_t y = 0; y < m_h; ++y)
      for (size_t b = static_cast<size_t>(m_w) * 4; b < stride; ++b)
        if (pix[y * stride + b] != kGuard) return false;
    return true;
  }
  bool SamePixels(const GuardedImage& o) const {
    if (o.m_w != m_w || o.m_h != m_h) return false;
    for (int32_t y = 0; y < m_h; ++y)
      for (int32_t x = 0; x < m_w; ++x)
        if (At(x, y) != o.At(x, y)) return false;
    return true;
  }
  std::vector<uint32_t> Pixels() const {
    std::vector<uint32_t> v;
    for (int32_t y = 0; y < m_h; ++y)
      for (int32_t x = 0; x < m_w; ++x) v.push_back(At(x, y));
    return v;
  }

 private:
  int32_t m_w, m_h, m_pad;
  std::vector<uint8_t> m_bytes;
};

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

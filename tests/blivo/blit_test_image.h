// A BBI block for tests of every pixel family: the standard header, optional row padding, and
// guard bytes before the block, after it and in every row's padding, so a test can prove
// nothing outside the image's pixels was written.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "bbi.h"

namespace blittest {

inline constexpr uint8_t kGuard = 0xA5;
inline constexpr size_t kGuardBytes = 64;

class TestImage {
 public:
  TestImage(int32_t w, int32_t h, int32_t pad = 0)
      : m_w(w), m_h(h), m_pad(pad),
        m_bytes(kGuardBytes * 2 + static_cast<size_t>(blivo::BlockSize(w, h, pad)), kGuard) {
    blivo::WriteHeader(Block(), w, h, pad);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) Set(x, y, 0);
  }

  void* Block() { return m_bytes.data() + kGuardBytes; }
  const void* Block() const { return m_bytes.data() + kGuardBytes; }
  int32_t Width() const { return m_w; }
  int32_t Height() const { return m_h; }
  blivo::Image View() const { return blivo::View(Block()); }

  uint32_t Get(int32_t x, int32_t y) const {
    return blivo::LoadU32(PixelAddress(x, y));
  }
  void Set(int32_t x, int32_t y, uint32_t v) { blivo::StoreU32(PixelAddress(x, y), v); }
  // Pixel access through the library's view of the block (pixels are 4-byte aligned).
  uint32_t& At(int32_t x, int32_t y) { return View().At(x, y); }
  uint32_t At(int32_t x, int32_t y) const { return View().At(x, y); }
  void Fill(uint32_t v) {
    for (int32_t y = 0; y < m_h; ++y)
      for (int32_t x = 0; x < m_w; ++x) Set(x, y, v);
  }
  // Random pixels, bytes heavy in 0x00 and 0xFF so saturation and alpha edges are hit often.
  void Randomize(std::mt19937& rng) {
    for (int32_t y = 0; y < m_h; ++y)
      for (int32_t x = 0; x < m_w; ++x) Set(x, y, RandomPixel(rng));
  }
  static uint32_t RandomPixel(std::mt19937& rng) {
    uint32_t p = 0;
    for (int k = 0; k < 4; ++k) {
      const uint32_t pick = rng() % 8;
      const uint32_t b = pick == 0 ? 0x00u : pick == 1 ? 0xFFu : pick == 2 ? 0x80u : rng() & 0xFFu;
      p |= b << (8 * k);
    }
    return p;
  }

  // True when every guard byte (outside the block and in each row's padding) is intact.
  bool GuardsIntact() const {
    for (size_t i = 0; i < kGuardBytes; ++i)
      if (m_bytes[i] != kGuard || m_bytes[m_bytes.size() - 1 - i] != kGuard) return false;
    for (int32_t y = 0; y < m_h; ++y)
      for (int32_t x = m_w; x < m_w + m_pad; ++x)
        for (int k = 0; k < 4; ++k)
          if (PixelAddress(x, y)[k] != kGuard) return false;
    return true;
  }

  bool SamePixels(const TestImage& o) const {
    return o.m_w == m_w && o.m_h == m_h && o.Pixels() == Pixels();
  }
  std::vector<uint32_t> Pixels() const {
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < m_h; ++y)
      for (int32_t x = 0; x < m_w; ++x) out.push_back(Get(x, y));
    return out;
  }
  void SetPixels(const std::vector<uint32_t>& px) {
    size_t i = 0;
    for (int32_t y = 0; y < m_h; ++y)
      for (int32_t x = 0; x < m_w; ++x) Set(x, y, px[i++]);
  }

 private:
  const uint8_t* PixelAddress(int32_t x, int32_t y) const {
    return m_bytes.data() + kGuardBytes + blivo::kDefaultPictOffset +
           static_cast<size_t>(y) * static_cast<size_t>((m_w + m_pad) * 4) +
           static_cast<size_t>(x) * 4;
  }
  uint8_t* PixelAddress(int32_t x, int32_t y) {
    return const_cast<uint8_t*>(static_cast<const TestImage*>(this)->PixelAddress(x, y));
  }

  int32_t m_w, m_h, m_pad;
  std::vector<uint8_t> m_bytes;
};

// A 1 x 1 destination and source: the result of one export's per-pixel rule.
template <class Fn>
uint32_t OnePixel(uint32_t d, uint32_t s, Fn fn) {
  TestImage dst(1, 1), src(1, 1);
  dst.Set(0, 0, d);
  src.Set(0, 0, s);
  fn(dst.Block(), src.Block());
  return dst.Get(0, 0);
}

}  // namespace blittest

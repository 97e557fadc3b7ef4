// Raw row rectangles for the tests of the older families: width pixels per row, rows apart by a
// stride, placed at any byte offset inside a buffer whose every other byte (before, after and
// between rows) is a guard, so a test can prove nothing outside the rectangle was touched.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "blit_test_image.h"

namespace famtest {

using blittest::kGuard;
using blittest::kGuardBytes;

class RawRows {
 public:
  RawRows(int32_t width, int32_t rows, int32_t pixelBytes, int32_t stride, int32_t offset = 0)
      : m_width(width), m_rows(rows), m_bytes(pixelBytes), m_stride(stride), m_offset(offset) {
    const size_t span = rows == 0 ? 0
                                  : static_cast<size_t>(rows - 1) * stride +
                                        static_cast<size_t>(width) * pixelBytes;
    m_buffer.assign(kGuardBytes * 2 + offset + span, kGuard);
    m_inside.assign(m_buffer.size(), false);
    for (int32_t y = 0; y < rows; ++y)
      for (int32_t i = 0; i < width * pixelBytes; ++i) {
        const size_t at = Index(y) + static_cast<size_t>(i);
        m_buffer[at] = 0;
        m_inside[at] = true;
      }
  }

  uint8_t* Data() { return m_buffer.data() + kGuardBytes + m_offset; }
  int32_t Stride() const { return m_stride; }
  int32_t Width() const { return m_width; }
  int32_t Rows() const { return m_rows; }

  uint32_t Get(int32_t x, int32_t y) const {
    uint32_t v = 0;
    std::memcpy(&v, m_buffer.data() + Index(y) + static_cast<size_t>(x) * m_bytes, m_bytes);
    return v;
  }
  void Set(int32_t x, int32_t y, uint32_t v) {
    std::memcpy(m_buffer.data() + Index(y) + static_cast<size_t>(x) * m_bytes, &v, m_bytes);
  }
  void Fill(uint32_t v) {
    for (int32_t y = 0; y < m_rows; ++y)
      for (int32_t x = 0; x < m_width; ++x) Set(x, y, v);
  }
  void Randomize(std::mt19937& rng) {
    for (int32_t y = 0; y < m_rows; ++y)
      for (int32_t x = 0; x < m_width; ++x) Set(x, y, blittest::TestImage::RandomPixel(rng));
  }

  bool GuardsIntact() const {
    for (size_t i = 0; i < m_buffer.size(); ++i)
      if (!m_inside[i] && m_buffer[i] != kGuard) return false;
    return true;
  }
  std::vector<uint8_t> Snapshot() const { return m_buffer; }

 private:
  size_t Index(int32_t y) const {
    return kGuardBytes + static_cast<size_t>(m_offset) + static_cast<size_t>(y) * m_stride;
  }
  int32_t m_width, m_rows, m_bytes, m_stride, m_offset;
  std::vector<uint8_t> m_buffer;
  std::vector<bool> m_inside;
};

// Per byte of two packed words.
template <typename F>
uint32_t PerByte(uint32_t d, uint32_t s, F fn) {
  uint32_t out = 0;
  for (int k = 0; k < 32; k += 8)
    out |= (fn((d >> k) & 0xFFu, (s >> k) & 0xFFu, k / 8) & 0xFFu) << k;
  return out;
}

}  // namespace famtest

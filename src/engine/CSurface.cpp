// CSurface: memory surfaces with mask-described layouts.
#include "engine/CSurface.h"

#include <bit>
#include <cstring>

namespace engine {

namespace {

constexpr int64_t kMaxBytes = int64_t{1} << 30;

// Widens an n-bit channel value to 8 bits by repeating its top bits.
uint32_t Expand(uint32_t v, int bits) {
  if (bits <= 0) return 0;
  if (bits >= 8) return v >> (bits - 8);
  uint32_t out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << bits) | v;
    filled += bits;
  }
  return out >> (filled - 8);
}

uint32_t Unpack(uint32_t word, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  return Expand((word & mask) >> shift, bits) & 0xFF;
}

uint32_t Pack(uint32_t value8, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  const uint32_t v = bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits);
  return (v << shift) & mask;
}

}  // namespace

int32_t FormatCode(const PixelFormat& f) {
  if (f.bits == 32 && f.rMask == 0x00FF0000 && f.gMask == 0x0000FF00 && f.bMask == 0x000000FF &&
      (f.aMask == 0xFF000000 || f.aMask == 0))
    return 8888;
  if (f.bits == 24 && f.rMask == 0x00FF0000 && f.gMask == 0x0000FF00 && f.bMask == 0x000000FF)
    return 888;
  if (f.bits == 16 && f.rMask == 0xF800 && f.gMask == 0x07E0 && f.bMask == 0x001F) return 565;
  if (f.bits == 16 && f.rMask == 0x7C00 && f.gMask == 0x03E0 && f.bMask == 0x001F) return 555;
  if (f.bits == 16 && f.rMask == 0x0F00 && f.gMask == 0x00F0 && f.bMask == 0x000F) return 4444;
  return 0;
}

CSurface::CSurface(int32_t width, int32_t height, PixelFormat format, bool texture)
    : m_format(format), m_texture(texture) {
  if (m_format.bits != 16 && m_format.bits != 24 && m_format.bits != 32)
    m_format = PixelFormat::Argb8888();
  m_width = width < 1 ? 1 : width;
  m_height = height < 1 ? 1 : height;
  const int64_t pitch = (static_cast<int64_t>(m_width) * BytesPerPixel() + 3) / 4 * 4;
  if (pitch * m_height > kMaxBytes) {
    m_width = m_height = 1;
    m_lost = true;
  }
  m_pitch = static_cast<int32_t>((static_cast<int64_t>(m_width) * BytesPerPixel() + 3) / 4 * 4);
  m_bytes.assign(static_cast<size_t>(m_pitch) * static_cast<size_t>(m_height), 0);
}

uint8_t* CSurface::Lock() {
  if (m_lost) return nullptr;
  ++m_locks;
  return m_bytes.data();
}

void CSurface::Unlock() {
  if (m_locks == 0) return;
  --m_locks;
  ++m_version;
}

bool CSurface::Restore() {
  if (!m_lost) return true;
  std::memset(m_bytes.data(), 0, m_bytes.size());
  m_lost = false;
  ++m_version;
  return true;
}

uint32_t CSurface::ReadPixel(int32_t x, int32_t y) const {
  if (m_lost || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
  const uint8_t* p = m_bytes.data() + static_cast<size_t>(y) * m_pitch +
                     static_cast<size_t>(x) * BytesPerPixel();
  uint32_t word = 0;
  if (m_format.bits == 32) {
    std::memcpy(&word, p, 4);
  } else if (m_format.bits == 24) {
    word = p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
  } else {
    word = p[0] | (uint32_t{p[1]} << 8);
  }
  return (Unpack(word, m_format.aMask) << 24) | (Unpack(word, m_format.rMask) << 16) |
         (Unpack(word, m_format.gMask) << 8) | Unpack(word, m_format.bMask);
}

void CSurface::WritePixel(int32_t x, int32_t y, uint32_t argb) {
  if (m_lost || x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  uint8_t* p = m_bytes.data() + static_cast<size_t>(y) * m_pitch +
               static_cast<size_t>(x) * BytesPerPixel();
  const uint32_t word = Pack(argb >> 24, m_format.aMask) | Pack((argb >> 16) & 0xFF, m_format.rMask) |
                        Pack((argb >> 8) & 0xFF, m_format.gMask) | Pack(argb & 0xFF, m_format.bMask);
  if (m_format.bits == 32) {
    std::memcpy(p, &word, 4);
  } else if (m_format.bits == 24) {
    p[0] = static_cast<uint8_t>(word);
    p[1] = static_cast<uint8_t>(word >> 8);
    p[2] = static_cast<uint8_t>(word >> 16);
  } else {
    p[0] = static_cast<uint8_t>(word);
    p[1] = static_cast<uint8_t>(word >> 8);
  }
}

}  // namespace engine

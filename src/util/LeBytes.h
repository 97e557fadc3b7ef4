// Little-endian bytes, the one layer every format of ours reads and writes through: loads and
// stores at a known position, appending writers, and a bounded reader that never passes the
// end (a short read fails and leaves the value alone). Header-only; relies on the standard
// library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace util {

inline uint16_t LoadLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void StoreLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void PutLe16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFFu));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// A one-dimensional array as the record formats store it: 2-byte dimension count (1), 4-byte
// element count, 4-byte lower bound (0), then the elements.
inline constexpr size_t kArrayHeadBytes = 10;
inline void PutArrayHead(std::vector<uint8_t>& out, uint32_t count) {
  PutLe16(out, 1);
  PutLe32(out, count);
  PutLe32(out, 0);
}

class LeReader {
 public:
  explicit LeReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
  [[nodiscard]] size_t Left() const { return m_bytes.size() - m_pos; }
  [[nodiscard]] size_t Position() const { return m_pos; }
  [[nodiscard]] bool U16(uint16_t& v) {
    if (Left() < 2) return false;
    v = LoadLe16(m_bytes.data() + m_pos);
    m_pos += 2;
    return true;
  }
  [[nodiscard]] bool U32(uint32_t& v) {
    if (Left() < 4) return false;
    v = LoadLe32(m_bytes.data() + m_pos);
    m_pos += 4;
    return true;
  }
  // The next `count` bytes where they lie, without copying them.
  [[nodiscard]] bool View(size_t count, std::span<const uint8_t>& out) {
    if (Left() < count) return false;
    out = m_bytes.subspan(m_pos, count);
    m_pos += count;
    return true;
  }
  [[nodiscard]] bool Bytes(size_t count, std::vector<uint8_t>& out) {
    std::span<const uint8_t> view;
    if (!View(count, view)) return false;
    out.assign(view.begin(), view.end());
    return true;
  }
  // An array head whose element count could really be present, each element taking at least
  // `minElement` bytes.
  [[nodiscard]] bool ArrayHead(size_t minElement, uint32_t& count) {
    uint16_t dims = 0;
    uint32_t lowerBound = 0;
    if (!U16(dims) || !U32(count) || !U32(lowerBound)) return false;
    return dims == 1 && lowerBound == 0 && count <= Left() / minElement;
  }

 private:
  std::span<const uint8_t> m_bytes;
  size_t m_pos = 0;
};

}  // namespace util

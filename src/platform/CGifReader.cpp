// CGifReader: GIF structure walk and LZW decoding of the first frame.
#include "platform/CGifReader.h"

#include <array>
#include <cstring>
#include <utility>
#include <vector>

namespace platform {

namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;
constexpr uint32_t kOpaque = 0xFF000000u;
// What SDL2_image gave an index past the colour table: its palette's default.
constexpr uint32_t kPastTable = 0xFFFFFFFFu;

uint32_t Le16(std::span<const uint8_t> b, size_t at) { return b[at] | uint32_t{b[at + 1]} << 8; }

// Where the first frame's pixel data starts and what decodes it.
struct Frame {
  uint32_t width = 0;
  uint32_t height = 0;
  bool interlaced = false;
  int transparent = -1;                  // index, or -1
  std::span<const uint8_t> colourTable;  // 3 bytes an entry; empty when the file has none
  size_t dataAt = 0;                     // the minimum code size byte
};

// Skips a run of sub-blocks ending in an empty one; false when the bytes end first.
bool SkipSubBlocks(std::span<const uint8_t> b, size_t& at) {
  while (at < b.size()) {
    const size_t length = b[at++];
    if (length == 0) return true;
    if (length > b.size() - at) return false;
    at += length;
  }
  return false;
}

// Walks header, screen, tables and extensions up to the first image descriptor.
bool Locate(std::span<const uint8_t> b, Frame& f) {
  if (b.size() < 13 ||
      (std::memcmp(b.data(), "GIF87a", 6) != 0 && std::memcmp(b.data(), "GIF89a", 6) != 0))
    return false;
  size_t at = 13;
  std::span<const uint8_t> global;
  if (b[10] & 0x80) {
    const size_t tableBytes = size_t{3} << ((b[10] & 7) + 1);
    if (tableBytes > b.size() - at) return false;
    global = b.subspan(at, tableBytes);
    at += tableBytes;
  }
  int transparent = -1;
  while (at < b.size()) {
    const uint8_t block = b[at++];
    if (block == 0x2C) {
      if (b.size() - at < 9) return false;
      f.width = Le16(b, at + 4);
      f.height = Le16(b, at + 6);
      const uint8_t flags = b[at + 8];
      at += 9;
      f.interlaced = (flags & 0x40) != 0;
      f.colourTable = global;
      if (flags & 0x80) {
        const size_t tableBytes = size_t{3} << ((flags & 7) + 1);
        if (tableBytes > b.size() - at) return false;
        f.colourTable = b.subspan(at, tableBytes);
        at += tableBytes;
      }
      f.transparent = transparent;
      f.dataAt = at;
      return true;
    }
    // Anything but an extension here (a trailer, a stray byte) means there is no first frame.
    if (block != 0x21 || at >= b.size()) return false;
    const uint8_t label = b[at++];
    // Graphic control: size 4, flags (bit 0: transparency), delay, index. The latest one before
    // the frame applies to it.
    if (label == 0xF9 && at + 5 <= b.size() && b[at] >= 4)
      transparent = (b[at + 1] & 1) ? b[at + 4] : -1;
    if (!SkipSubBlocks(b, at)) return false;
  }
  return false;
}

// The image data's codes, read least significant bit first across its sub-blocks.
class CodeReader {
 public:
  CodeReader(std::span<const uint8_t> b, size_t at) : m_bytes(b), m_at(at) {}

  // False when the data ends (an empty sub-block or the end of the file) before the code does.
  bool Next(int width, uint32_t& code) {
    while (m_bitCount < width) {
      if (m_blockLeft == 0) {
        if (m_at >= m_bytes.size() || m_bytes[m_at] == 0) return false;
        m_blockLeft = m_bytes[m_at++];
      }
      if (m_at >= m_bytes.size()) return false;
      m_bits |= uint32_t{m_bytes[m_at++]} << m_bitCount;
      m_bitCount += 8;
      --m_blockLeft;
    }
    code = m_bits & ((1u << width) - 1);
    m_bits >>= width;
    m_bitCount -= width;
    return true;
  }

 private:
  std::span<const uint8_t> m_bytes;
  size_t m_at;
  size_t m_blockLeft = 0;
  uint32_t m_bits = 0;
  int m_bitCount = 0;
};

// Places indices row by row, or in the four interlace passes, until the frame is full.
class PixelSink {
 public:
  PixelSink(uint32_t* pixels, uint32_t width, uint32_t height, bool interlaced,
            const std::array<uint32_t, 256>& colours)
      : m_pixels(pixels),
        m_width(width),
        m_height(height),
        m_interlaced(interlaced),
        m_colours(colours) {
    m_row = m_pixels;
  }

  bool Full() const { return m_y >= m_height; }

  void Put(uint8_t index) {
    m_row[m_x] = m_colours[index];
    if (++m_x < m_width) return;
    m_x = 0;
    NextRow();
    m_row = Full() ? m_pixels : m_pixels + size_t{m_y} * m_width;
  }

 private:
  void NextRow() {
    if (!m_interlaced) {
      ++m_y;
      return;
    }
    static constexpr uint32_t kStart[4] = {0, 4, 2, 1};
    static constexpr uint32_t kStep[4] = {8, 8, 4, 2};
    m_y += kStep[m_pass];
    while (m_y >= m_height && ++m_pass < 4) m_y = kStart[m_pass];
    if (m_pass >= 4) m_y = m_height;  // all passes done
  }

  uint32_t* m_pixels;
  uint32_t* m_row = nullptr;
  uint32_t m_width, m_height;
  bool m_interlaced;
  const std::array<uint32_t, 256>& m_colours;
  uint32_t m_x = 0, m_y = 0;
  int m_pass = 0;
};

// True when the frame fills before the data ends; data after a full frame is not read.
bool DecodeLzw(CodeReader& codes, int minCodeSize, PixelSink& sink) {
  const uint32_t clear = 1u << minCodeSize;
  const uint32_t end = clear + 1;
  std::array<uint16_t, kTableSize> prefix{};
  std::array<uint8_t, kTableSize> suffix{};
  std::array<uint8_t, kTableSize> first{};
  std::array<uint8_t, kTableSize> stack{};
  for (uint32_t i = 0; i < clear; ++i) {
    suffix[i] = static_cast<uint8_t>(i);
    first[i] = static_cast<uint8_t>(i);
  }
  uint32_t avail = clear + 2;
  int width = minCodeSize + 1;
  uint32_t previous = kTableSize;  // none since the last clear
  while (!sink.Full()) {
    uint32_t code = 0;
    if (!codes.Next(width, code)) return false;
    if (code == clear) {
      avail = clear + 2;
      width = minCodeSize + 1;
      previous = kTableSize;
      continue;
    }
    if (code == end) return false;
    if (previous == kTableSize) {
      if (code >= clear) return false;  // nothing but a literal can follow a clear
      sink.Put(static_cast<uint8_t>(code));
      previous = code;
      continue;
    }
    if (code > avail) return false;
    // A code one past the table is the previous string and its own first byte.
    const uint8_t head = code == avail ? first[previous] : first[code];
    if (avail < kTableSize) {
      prefix[avail] = static_cast<uint16_t>(previous);
      suffix[avail] = head;
      first[avail] = first[previous];
      ++avail;
      // A full table keeps its entries and its 12-bit codes until the next clear.
      if (avail == (1u << width) && width < kMaxCodeBits) ++width;
    }
    // The string runs backwards from its last byte to a literal, its first.
    size_t depth = 0;
    uint32_t c = code;
    for (; c >= clear; c = prefix[c]) stack[depth++] = suffix[c];
    stack[depth++] = static_cast<uint8_t>(c);
    while (depth > 0 && !sink.Full()) sink.Put(stack[--depth]);
    previous = code;
  }
  return true;
}

}  // namespace

bool CGifReader::Peek(std::span<const uint8_t> bytes, int64_t& width, int64_t& height) {
  Frame f;
  if (!Locate(bytes, f)) return false;
  width = f.width;
  height = f.height;
  return true;
}

bool CGifReader::Read(std::span<const uint8_t> bytes, int64_t maxPixels, Picture& out) {
  Frame f;
  if (!Locate(bytes, f)) return false;
  if (f.width == 0 || f.height == 0) return false;
  const int64_t count = int64_t{f.width} * f.height;  // at most 65535², no overflow
  if (count > maxPixels) return false;
  if (f.dataAt >= bytes.size()) return false;
  const int minCodeSize = bytes[f.dataAt];
  if (minCodeSize < 2 || minCodeSize > 8) return false;

  std::array<uint32_t, 256> colours;
  colours.fill(kPastTable);
  const size_t entries = f.colourTable.size() / 3;
  for (size_t i = 0; i < entries; ++i)
    colours[i] = kOpaque | uint32_t{f.colourTable[3 * i]} << 16 |
                 uint32_t{f.colourTable[3 * i + 1]} << 8 | f.colourTable[3 * i + 2];
  if (f.transparent >= 0) colours[static_cast<size_t>(f.transparent)] &= 0x00FFFFFFu;

  std::vector<uint32_t> pixels(static_cast<size_t>(count));
  PixelSink sink(pixels.data(), f.width, f.height, f.interlaced, colours);
  CodeReader codes(bytes, f.dataAt + 1);
  if (!DecodeLzw(codes, minCodeSize, sink)) return false;
  out.width = static_cast<int32_t>(f.width);
  out.height = static_cast<int32_t>(f.height);
  out.pixels = std::move(pixels);
  return true;
}

}  // namespace platform

// Drives every drawing primitive with coordinates, sizes, colours and fractions taken from the
// input (extremes included) on small images framed by guard bytes; a write outside an image
// traps. Huge coordinates must not make any primitive walk outside the image.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bbi.h"
#include "blivo.h"

namespace {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  bool Empty() const { return m_pos >= m_size; }
  uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  uint32_t Word() {
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v |= static_cast<uint32_t>(Byte()) << (8 * k);
    return v;
  }
  // Mostly small coordinates near the image, sometimes the extremes or any 32-bit value.
  int32_t Coord() {
    const uint8_t kind = Byte();
    switch (kind % 8) {
      case 0: return INT32_MIN;
      case 1: return INT32_MAX;
      case 2: return static_cast<int32_t>(Word());
      case 3: return -static_cast<int32_t>(Byte());
      default: return static_cast<int32_t>(kind / 8) - 4;
    }
  }
  float Fraction() {
    const uint32_t w = Word();
    float f = 0;
    std::memcpy(&f, &w, sizeof f);
    return f;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

constexpr size_t kGuard = 64;

// A BBI block with guard bytes before and after it and in each row's padding.
class Guarded {
 public:
  Guarded(int32_t w, int32_t h, int32_t pad)
      : m_w(w), m_h(h), m_pad(pad),
        m_bytes(kGuard * 2 + static_cast<size_t>(blivo::BlockSize(w, h, pad)), 0xA5) {
    blivo::WriteHeader(Block(), w, h, pad);
    std::memcpy(m_header, Block(), sizeof m_header);
    for (int32_t y = 0; y < h; ++y)
      std::memset(Row(y), 0x11 * (y + 1), static_cast<size_t>(w) * 4);
  }
  void* Block() { return m_bytes.data() + kGuard; }
  void Check() {
    for (size_t i = 0; i < kGuard; ++i)
      if (m_bytes[i] != 0xA5 || m_bytes[m_bytes.size() - 1 - i] != 0xA5) __builtin_trap();
    if (std::memcmp(m_header, Block(), sizeof m_header) != 0) __builtin_trap();
    for (int32_t y = 0; y < m_h; ++y)
      for (size_t i = 0; i < static_cast<size_t>(m_pad) * 4; ++i)
        if (Row(y)[static_cast<size_t>(m_w) * 4 + i] != 0xA5) __builtin_trap();
  }

 private:
  uint8_t* Row(int32_t y) {
    return m_bytes.data() + kGuard + blivo::kDefaultPictOffset +
           static_cast<size_t>(y) * static_cast<size_t>((m_w + m_pad) * 4);
  }
  int32_t m_w, m_h, m_pad;
  std::vector<uint8_t> m_bytes;
  uint8_t m_header[blivo::kDefaultPictOffset];
};

const std::vector<uint8_t>& EdgeTable() {
  static const std::vector<uint8_t> table = [] {
    std::vector<uint8_t> t(16385, 0);
    for (int r = 1; r <= 128; ++r) {
      size_t at = static_cast<size_t>(128 * (r - 1));
      for (int v = 2 * r - 1; v >= 1; v -= 4)
        t[at++] = static_cast<uint8_t>(
            std::lrint(static_cast<float>(32 * (v + (v >= 3 ? v - 2 : 0))) / static_cast<float>(r)));
    }
    return t;
  }();
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  const int32_t w = 1 + in.Byte() % 24, h = 1 + in.Byte() % 24, pad = in.Byte() % 3;
  Guarded img(w, h, pad);
  Guarded other(1 + in.Byte() % 8, 1 + in.Byte() % 8, 1);  // ramp, source or stencil
  Guarded third(1 + in.Byte() % 8, 1 + in.Byte() % 8, 0);
  for (int ops = 0; ops < 64 && !in.Empty(); ++ops) {
    void* im = img.Block();
    const uint8_t op = in.Byte();
    const int32_t a = in.Coord(), b = in.Coord(), c = in.Coord(), d = in.Coord();
    const int32_t e = in.Coord(), f = in.Coord();
    const uint32_t m = in.Byte() % 2 ? 0u : in.Word(), col = in.Word();
    switch (op % 24) {
      case 0: BBIFlipLineX(im, a, b, c, col); break;
      case 1: BBIFlipLineY(im, a, b, c, col); break;
      case 2: BBIDrawLine(im, a, b, c, d, m, col); break;
      case 3: BBIDotThick(im, a, b, c, d, m, col); break;
      case 4: BBIDrawTriangle(im, a, b, c, d, e, f, m, col); break;
      case 5: BBIDrawTriangleA(im, a, b, c, d, e, f, m, col); break;
      case 6: BBIDrawColorFill(im, a, b, c, d, m, col); break;
      case 7: BBIDrawBox(im, a, b, c, d, m, col, in.Word(), in.Word(), in.Word()); break;
      case 8: BBIDrawMultiplyLineBox(im, other.Block(), a, b, c, d); break;
      case 9: BBIDrawExclusiveLineBox(im, other.Block(), a, b, c, d); break;
      case 10: BBIDrawLineCircle(im, other.Block(), a, b, c, d); break;
      case 11: BBIDrawGradationLine(im, other.Block(), a, b, c, d); break;
      case 12: BBIDrawGradationBox(im, other.Block(), a, b, c, d); break;
      case 13: BBIDrawAlphaLine(im, a, b, c, d, col, in.Word()); break;
      case 14: BBIDrawPolaCircle(im, a, b, c, m, col); break;
      case 15: BBIDrawColorTile(im, a, b, c, d, m, e, f, col, 1, 2, 3); break;
      case 16: {
        int32_t box[4];
        BBIPaint(im, a, b, col, &box[0], &box[1], &box[2], &box[3]);
        break;
      }
      case 17: BBIPaintChoose(im, a % 7, col, in.Word(), in.Word(), in.Word()); break;
      case 18: BBIAntiAreas(im, EdgeTable().data(), col); break;
      case 19: BBIKeyingEfect(im, col, m, in.Word(), in.Word(), in.Word(), in.Word()); break;
      case 20: BBIStencilFlip(im, other.Block(), third.Block(), a, b, c, d, e, f, in.Coord(),
                              in.Coord(), in.Fraction()); break;
      case 21: BBIStencilFlipLE(im, other.Block(), third.Block(), a, b, c, d, e, f, in.Coord(),
                                in.Coord(), in.Fraction()); break;
      case 22: BBIDrawGradationLine(other.Block(), im, a, b, c, d); break;  // image as ramp
      default: BBIStencilFlip(other.Block(), im, im, a, b, c, d, e, f, a, b, in.Fraction()); break;
    }
    img.Check();
    other.Check();
    third.Check();
  }
  return 0;
}

// Drives every export of the scaling family with arguments taken from the input: two small
// images (or one image twice) inside guard bytes, any rectangle, factor, radius, mask and float
// (NaN and infinities included). Aborts when a guard byte or a padding byte changes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bbi.h"
#include "blivo.h"

namespace {

constexpr uint8_t kGuard = 0xA5;
constexpr size_t kGuardBytes = 64;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  uint32_t Word() {
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v |= static_cast<uint32_t>(Byte()) << (8 * k);
    return v;
  }
  // Mostly small coordinates near the images, sometimes any 32-bit value.
  int32_t Int() {
    const uint8_t kind = Byte();
    if (kind < 200) return static_cast<int32_t>(kind % 48) - 16;
    if (kind < 230) return static_cast<int32_t>(Byte()) - 128;
    const uint32_t w = Word();
    int32_t v = 0;
    std::memcpy(&v, &w, 4);
    return v;
  }
  float Float() {
    const uint8_t kind = Byte();
    if (kind < 128) return static_cast<float>(kind) / 64.0f - 0.25f;
    const uint32_t w = Word();
    float f = 0;
    std::memcpy(&f, &w, 4);
    return f;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

struct Guarded {
  int32_t w, h, pad;
  std::vector<uint8_t> bytes;
  Guarded(int32_t width, int32_t height, int32_t padding, Reader& in)
      : w(width), h(height), pad(padding) {
    bytes.assign(static_cast<size_t>(blivo::BlockSize(w, h, pad)) + 2 * kGuardBytes, kGuard);
    blivo::WriteHeader(Block(), w, h, pad);
    const blivo::Image img = blivo::View(Block());
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) img.At(x, y) = in.Word();
  }
  void* Block() { return bytes.data() + kGuardBytes; }
  void Check() const {
    for (size_t i = 0; i < kGuardBytes; ++i)
      if (bytes[i] != kGuard || bytes[bytes.size() - 1 - i] != kGuard) std::abort();
    const uint8_t* pix = bytes.data() + kGuardBytes + blivo::kDefaultPictOffset;
    const size_t stride = static_cast<size_t>(w + pad) * 4;
    for (int32_t y = 0; y < h; ++y)
      for (size_t b = static_cast<size_t>(w) * 4; b < stride; ++b)
        if (pix[y * stride + b] != kGuard) std::abort();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  const uint8_t op = in.Byte();
  const uint8_t shape = in.Byte();
  const uint8_t shape2 = in.Byte();
  Guarded a(1 + shape % 13, 1 + (shape >> 4) % 11, shape2 % 3, in);
  Guarded b(1 + shape2 % 17, 1 + (shape2 >> 3) % 9, (shape2 >> 6) % 2, in);
  void* dst = a.Block();
  void* src = (op & 0x80) ? a.Block() : b.Block();  // sometimes one image for both
  int32_t v[8];
  for (int32_t& x : v) x = in.Int();
  switch (op % 16) {
    case 0: BBIMirror(dst); break;
    case 1: BBIVMirror(dst); break;
    case 2: BBIRotation(dst, src, in.Int()); break;
    case 3: {
      const int32_t sw = in.Int(), sh = in.Int();
      BBIExpandBlt(dst, src, v[0], v[1], v[2], v[3], v[4], v[5], sw, sh, in.Float());
      break;
    }
    case 4: {
      const int32_t sw = in.Int(), sh = in.Int();
      BBIExpandBlendBlt(dst, src, v[0], v[1], v[2], v[3], v[4], v[5], sw, sh, in.Float());
      break;
    }
    case 5: {
      const int32_t sw = in.Int(), sh = in.Int();
      const float opacity = in.Float();
      BBIExpandColorBlt(dst, src, v[0], v[1], v[2], v[3], v[4], v[5], sw, sh, opacity,
                        in.Word(), in.Word(), in.Word(), in.Word(), in.Word(), in.Word(),
                        in.Byte() & 1);
      break;
    }
    case 6: {
      const int32_t sw = in.Int(), sh = in.Int();
      const float opacity = in.Float(), saturation = in.Float();
      const uint32_t low = in.Word(), high = in.Word(), keep = in.Word(), mask = in.Word(),
                     colour = in.Word(), invert = in.Word();
      const uint8_t flags = in.Byte();
      BBIExpandChooseBlt(dst, src, v[0], v[1], v[2], v[3], v[4], v[5], sw, sh, opacity,
                         saturation, low, high, keep, mask, colour, invert, flags & 1,
                         (flags >> 1) & 1, (flags >> 2) & 1, (flags >> 3) & 1);
      break;
    }
    case 7: {
      const int32_t sw = in.Int(), sh = in.Int();
      BBILinearBlt(dst, src, v[0], v[1], v[2], v[3], v[4], v[5], sw, sh);
      break;
    }
    case 8: BBILinear(dst, in.Int()); break;
    case 9: BBIBltUScale(dst, src, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]); break;
    case 10: BBIBltVScale(dst, src, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]); break;
    case 11: BBIBltUBlur(dst, src, v[0], v[1], v[2], v[3], v[4], v[5], v[6]); break;
    case 12: BBIBltVBlur(dst, src, v[0], v[1], v[2], v[3], v[4], v[5], v[6]); break;
    case 13: BBIChooseRGBA(dst, src, v[0], v[1], v[2], v[3]); break;
    case 14: BBIChooseCA(dst, src, v[0], v[1]); break;
    default: BBIChooseCATR(dst, src, v[0], v[1]); break;
  }
  a.Check();
  b.Check();
  return 0;
}

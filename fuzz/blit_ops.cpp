// Drives the blits with arbitrary rectangles and arguments on small guarded images: any write
// outside an image's pixels (block guards or row padding) aborts, and ASan catches any access
// outside the exactly sized raw buffers of the conversions.
// Input: a stream of commands; each takes bytes as it needs them, missing bytes read as zero.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../tests/blivo/blit_exports.h"
#include "../tests/blivo/blit_test_image.h"
#include "blit_kernels.h"
#include "blivo.h"
#include "cpu.h"

namespace {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  bool More() const { return m_pos < m_size; }
  uint8_t U8() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  uint32_t U32() {
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v |= static_cast<uint32_t>(U8()) << (8 * k);
    return v;
  }
  // Mostly small coordinates, sometimes any 32-bit value.
  int32_t Coord() {
    const uint8_t tag = U8();
    if (tag < 224) return static_cast<int32_t>(tag % 48) - 16;
    return static_cast<int32_t>(U32());
  }
  float Fraction() {
    const uint32_t bits = U32();
    float f = 0.0f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

void Check(bool ok) {
  if (!ok) std::abort();
}

const blivo::BlitKernels* PickTable(uint8_t which) {
  const blivo::Isa& isa = blivo::HostIsa();
  switch (which % 3) {
    case 1: return isa.sse2 ? &blivo::kBlit_Sse2 : nullptr;
    case 2: return isa.avx2 ? &blivo::kBlit_Avx2 : nullptr;
    default: return &blivo::kBlit_Ref;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  using blittest::TestImage;
  TestImage a(1 + in.U8() % 24, 1 + in.U8() % 12, in.U8() % 3);
  TestImage b(1 + in.U8() % 24, 1 + in.U8() % 12, in.U8() % 3);
  TestImage map(256 - (in.U8() % 2), 1 + in.U8() % 4);
  std::mt19937 rng(in.U32());
  a.Randomize(rng);
  b.Randomize(rng);
  map.Randomize(rng);
  if (const blivo::BlitKernels* table = PickTable(in.U8())) blivo::UseBlitKernels(*table);
  MMX(in.U8() & 1);

  for (int steps = 0; steps < 16 && in.More(); ++steps) {
    const uint8_t op = in.U8();
    const bool self = (op & 0x80) != 0;
    void* dst = (op & 0x40) ? b.Block() : a.Block();
    const void* src = self ? dst : ((op & 0x40) ? a.Block() : b.Block());
    const uint32_t kind = op & 0x3F;
    if (kind < blittest::kBlitCount) {
      blittest::Extras e;
      e.flag = in.U8() & 1;
      e.level = static_cast<int32_t>(in.U8()) - 8;
      e.flags4 = in.U8();
      e.mask = in.U32();
      e.fraction = in.Fraction();
      e.map = map.Block();
      const int32_t dx = in.Coord(), dy = in.Coord(), w = in.Coord(), h = in.Coord();
      const int32_t sx = in.Coord(), sy = in.Coord();
      const int32_t r = blittest::kAllBlits[kind].fn(dst, src, dx, dy, w, h, sx, sy, e);
      Check(r == 0 || r == 1);
    } else {
      switch (kind % 8) {
        case 0: BBIClear(dst, in.Coord(), in.Coord(), in.Coord(), in.Coord()); break;
        case 1: BBIClearMask(dst, in.Coord(), in.Coord(), in.Coord(), in.Coord(), in.U32()); break;
        case 2: {
          const int32_t x = in.Coord(), y = in.Coord(), w = in.Coord(), h = in.Coord();
          BBIBltColor(dst, x, y, w, h, in.U32(), in.U32(), in.U32());
          break;
        }
        case 3: BBIKeying(dst, in.U32()); break;
        case 4: {
          const int32_t r = BBICompare(dst, src, static_cast<int8_t>(in.U8()));
          Check(r >= 0 && r <= 2);
          break;
        }
        case 5: {  // a bottom-up bitmap sized exactly for the image and the stride given
          const auto* view = static_cast<uint8_t*>(dst);
          const int32_t width = blivo::View(view).width, height = blivo::View(view).height;
          const uint8_t pick = in.U8() % 3;
          const int32_t bpp = pick == 0 ? 1 : pick == 1 ? 3 : 4;
          const int32_t stride = width * bpp + static_cast<int32_t>(in.U8() % 8) - 2;
          std::vector<uint8_t> bits(static_cast<size_t>(stride > 0 ? stride : 0) * static_cast<size_t>(height) + 1);
          std::vector<uint32_t> palette(256, in.U32());
          const int32_t r = bpp == 1   ? BBIBltTo32from8(dst, bits.data(), palette.data(), stride)
                            : bpp == 3 ? BBIBltTo32from24(dst, bits.data(), stride)
                                       : BBIBltTo32from32(dst, bits.data(), stride);
          Check(r == 0 || r == 1);
          break;
        }
        case 6: {  // row runs into exactly sized buffers
          const int32_t count = static_cast<int32_t>(in.U8() % 40);
          std::vector<uint32_t> srcRun(static_cast<size_t>(count) + (count == 0 ? 1 : 0));
          for (uint32_t& p : srcRun) p = TestImage::RandomPixel(rng);
          const int32_t formats[] = {555, 565, 888, 4444, 8888, 1};
          const int32_t format = formats[in.U8() % 6];
          std::vector<uint8_t> out(static_cast<size_t>(count) * (format == 8888 ? 4 : format == 888 ? 3 : 2) + 1);
          std::vector<uint8_t> table(768);
          for (uint8_t& t : table) t = static_cast<uint8_t>(rng());
          BBIBltToX(out.data(), srcRun.data(), count, format, in.U32(), in.Fraction());
          BBIBltToF(out.data(), srcRun.data(), count, format, in.U32(), in.Fraction(),
                    in.Fraction(), in.U8() & 1, table.data());
          BBIBltTo16As565(out.data(), srcRun.data(), count / 2);
          BBIBltTo24As888(out.data(), srcRun.data(), count / 3);
          break;
        }
        default: BBIClearRGB(dst, in.Coord(), in.Coord(), in.Coord()); break;
      }
    }
    Check(a.GuardsIntact() && b.GuardsIntact() && map.GuardsIntact());
  }
  blivo::ReloadIsa();
  MMX(0);
  return 0;
}

// The Tr family: descriptor blits on 32-bit pixels. Copies and saturating sums run on the
// shared row kernels; the other members are scalar.
#include "desc_family.h"
#include "pixel_math.h"
#include "row_kernels.h"

namespace {

struct Tr8888 {
  using Pixel = uint32_t;
  static constexpr int32_t kBytes = 4;
  static Pixel Load(const uint8_t* p) { return blivo::rows::Load32(p); }
  static void Store(uint8_t* p, Pixel v) { blivo::rows::Store32(p, v); }
  static Pixel Add(Pixel d, Pixel s) { return blivo::AddSat(d, s); }
  static Pixel Sub(Pixel d, Pixel s) { return blivo::SubSat(d, s); }
  static Pixel Half(Pixel d, Pixel s) { return blivo::rows::Half8888(d, s); }
  static Pixel Lerp(Pixel d, Pixel c, int32_t level) {
    return blivo::Lerp256(d, c, static_cast<uint32_t>(level));
  }
  static Pixel Narrow(uint32_t v) { return v; }
  static bool SameKey(Pixel p, Pixel key) { return ((p ^ key) & 0x00FFFFFFu) == 0; }
  static bool Rows(blivo::desc::Member m, uint8_t* d, const uint8_t* s, int32_t n) {
    namespace rowk = blivo::rowk;
    const rowk::RowKernels& k = rowk::ActiveRowKernels();
    switch (m) {
      case blivo::desc::Member::kMov:
        k.copy(d, s, n);
        return true;
      case blivo::desc::Member::kMovAdd:
        k.combine(d, d, s, n, {});
        return true;
      case blivo::desc::Member::kMovSub:
        k.combine(d, d, s, n, {0, 0, 0, true});
        return true;
      default:
        return false;
    }
  }
};

}  // namespace

extern "C" {
BLIVO_DEFINE_DESCRIPTOR_FAMILY(Tr, Tr8888)
}

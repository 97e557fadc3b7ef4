// The Hi family: descriptor blits on RGB565 pixels. Scalar: the family is not hot.
#include "desc_family.h"

namespace {

struct Hi565 {
  using Pixel = uint16_t;
  static constexpr int32_t kBytes = 2;
  static Pixel Load(const uint8_t* p) { return blivo::rows::Load16(p); }
  static void Store(uint8_t* p, Pixel v) { blivo::rows::Store16(p, v); }
  static Pixel Add(Pixel d, Pixel s) { return blivo::rows::Add565(d, s); }
  static Pixel Sub(Pixel d, Pixel s) { return blivo::rows::Sub565(d, s); }
  static Pixel Half(Pixel d, Pixel s) { return blivo::rows::Half565(d, s); }
  static Pixel Lerp(Pixel d, Pixel c, int32_t level) { return blivo::rows::Lerp565(d, c, level); }
  static Pixel Narrow(uint32_t v) { return static_cast<Pixel>(v & 0xFFFFu); }
  static bool SameKey(Pixel p, Pixel key) { return p == key; }
  static bool Rows(blivo::desc::Member, uint8_t*, const uint8_t*, int32_t) { return false; }
};

}  // namespace

extern "C" {
BLIVO_DEFINE_DESCRIPTOR_FAMILY(Hi, Hi565)
}

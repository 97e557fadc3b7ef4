// Scalar reference row kernels of the raw families.
#include "row_kernels.h"

#include "pixel_math.h"
#include "rows.h"

namespace blivo::rowk {

void Copy_Ref(void* dst, const void* src, int64_t n) {
  auto* d = static_cast<uint8_t*>(dst);
  const auto* s = static_cast<const uint8_t*>(src);
  for (int64_t i = 0; i < n; ++i) rows::Store32(d + 4 * i, rows::Load32(s + 4 * i));
}

void Combine_Ref(void* dst, const void* a, const void* b, int64_t n, const Combine& op) {
  auto* d = static_cast<uint8_t*>(dst);
  const auto* pa = static_cast<const uint8_t*>(a);
  const auto* pb = static_cast<const uint8_t*>(b);
  for (int64_t i = 0; i < n; ++i) {
    const uint32_t x = SubSat(rows::Load32(pa + 4 * i), op.darkA);
    const uint32_t y = SubSat(rows::Load32(pb + 4 * i) ^ op.flipB, op.darkB);
    rows::Store32(d + 4 * i, op.subtract ? SubSat(x, y) : AddSat(x, y));
  }
}

const RowKernels kRows_Ref{"reference", Copy_Ref, Combine_Ref};

}  // namespace blivo::rowk

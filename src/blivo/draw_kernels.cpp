// Scalar reference row kernels of the drawing primitives.
// Relies on pixel_math.h for the two-lane blend.
#include "draw_kernels.h"

#include "pixel_math.h"

namespace blivo::draw {

void FillSpan_Ref(uint32_t* row, int32_t n, uint32_t colour, uint32_t mask) {
  if (mask == 0) {
    for (int32_t i = 0; i < n; ++i) row[i] = colour;
  } else {
    for (int32_t i = 0; i < n; ++i) row[i] = Masked(row[i], colour, mask);
  }
}

void BoxWeights(uint16_t* k, int32_t n, int32_t i0, int32_t denom) {
  const float d = static_cast<float>(denom);
  for (int32_t i = 0; i < n; ++i) {
    uint32_t w = 0;
    if (denom != 0) {
      const float u = static_cast<float>(i0 + i) / d;
      w = static_cast<uint32_t>(u * 256.0f);
      if (w > 256u) w = 256u;
    }
    k[i] = static_cast<uint16_t>(w);
  }
}

void GradFractions(float* fx, float* gx, int32_t n, int64_t num0, float denom) {
  for (int32_t i = 0; i < n; ++i) {
    fx[i] = static_cast<float>(num0 + i) / denom;
    gx[i] = 1.0f - fx[i];
  }
}

void BoxSpan_Ref(uint32_t* row, int32_t n, const uint16_t* k, uint32_t left, uint32_t right,
                 uint32_t mask) {
  for (int32_t i = 0; i < n; ++i) row[i] = Masked(row[i], Lerp256(left, right, k[i]), mask);
}

void GradSpan_Ref(uint32_t* row, int32_t n, const float* fx, const float* gx, const float* left,
                  const float* right) {
  for (int32_t i = 0; i < n; ++i) {
    uint32_t out = 0;
    for (int c = 0; c < 4; ++c) {
      const float v = left[c] * gx[i] + right[c] * fx[i];
      out |= (static_cast<uint32_t>(static_cast<int32_t>(v)) & 0xFFu) << (8 * c);
    }
    row[i] = out;
  }
}

const DrawKernels kDraw_Ref{"reference", FillSpan_Ref, BoxSpan_Ref, GradSpan_Ref};

}  // namespace blivo::draw

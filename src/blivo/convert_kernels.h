// Row kernels of the bitmap conversions: the plain loop is the reference, the vector path must
// give the same words.
#pragma once

#include <cstdint>

namespace blivo {

// n pixels of 3 bytes (blue, green, red) into 0x00RRGGBB words; reads exactly 3 * n bytes.
void To32From24_Ref(uint32_t* out, const uint8_t* in, int32_t n);
void To32From24_Avx2(uint32_t* out, const uint8_t* in, int32_t n);

struct ConvertKernels {
  const char* name;
  void (*to32From24)(uint32_t* out, const uint8_t* in, int32_t n);
};
// No SSE2 table: the byte shuffle needs SSSE3, which only the AVX2 table may assume.
extern const ConvertKernels kConvert_Ref, kConvert_Avx2;

// The table in use (kernels.cpp).
const ConvertKernels& ActiveConvertKernels();

}  // namespace blivo

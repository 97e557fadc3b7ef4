// Row kernels of the raw families (RastaRize, Usd, Tr): a copy and a saturating combine of two
// rows into a third. Scalar references are the truth; the SSE2 versions give the same bytes and
// fall back to the reference when a source partly overlaps the destination, where the order of
// reads and writes shows. Pointers may be unaligned.
#pragma once

#include <cstdint>

namespace blivo::rowk {

// dst[i] = op(sat(a[i] - darkA), sat((b[i] ^ flipB) - darkB)) per byte, op a saturating add or
// subtract. darkA = darkB = flipB = 0 is the plain add or subtract; darkening by colour k is
// darkX = ~k, complementing b is flipB = ~0.
struct Combine {
  uint32_t darkA = 0;
  uint32_t darkB = 0;
  uint32_t flipB = 0;
  bool subtract = false;
};

using CopyFn = void (*)(void* dst, const void* src, int64_t n);
using CombineFn = void (*)(void* dst, const void* a, const void* b, int64_t n, const Combine& op);

void Copy_Ref(void* dst, const void* src, int64_t n);
void Combine_Ref(void* dst, const void* a, const void* b, int64_t n, const Combine& op);
void Copy_Sse2(void* dst, const void* src, int64_t n);
void Combine_Sse2(void* dst, const void* a, const void* b, int64_t n, const Combine& op);
void Copy_Avx2(void* dst, const void* src, int64_t n);
void Combine_Avx2(void* dst, const void* a, const void* b, int64_t n, const Combine& op);

struct RowKernels {
  const char* name;
  CopyFn copy;
  CombineFn combine;
};
extern const RowKernels kRows_Ref, kRows_Sse2, kRows_Avx2;

// The table in use (kernels.cpp): the best this machine allows after BLIVO_DISABLE.
const RowKernels& ActiveRowKernels();

namespace {

// True when [p, p + bytes) and [q, q + bytes) share a byte but do not start together.
inline bool PartlyOverlap(const void* p, const void* q, int64_t bytes) {
  const auto a = reinterpret_cast<uintptr_t>(p), b = reinterpret_cast<uintptr_t>(q);
  if (a == b) return false;
  const auto n = static_cast<uintptr_t>(bytes);
  return a < b ? b - a < n : a - b < n;
}

}  // namespace

}  // namespace blivo::rowk

// The RastaRize row kernels: single rows with the run count encoding. The MMX members run the
// host's vector kernels, the Pentium members the scalar references; both give the same bytes.
#include "blivo.h"
#include "row_kernels.h"
#include "rows_walk.h"

namespace {

using blivo::kDone;
using blivo::kNothing;
namespace rowk = blivo::rowk;

// The encoding's one, two and groups of four add up to count units, so one call covers them.
// A count whose bytes pass INT32_MAX cannot describe a row anyone holds.
bool Refused(const void* a, const void* b, int32_t count) {
  return count < 0 || count > INT32_MAX / 4 || (count > 0 && (a == nullptr || b == nullptr));
}

int32_t Copy(void* dst, const void* src, int32_t count, rowk::CopyFn fn) {
  if (Refused(dst, src, count)) return kNothing;
  if (count > 0) fn(dst, src, count);
  return kDone;
}

int32_t Combine(void* dst, const void* a, const void* b, int32_t count, const rowk::Combine& op,
                rowk::CombineFn fn) {
  if (Refused(dst, a, count) || (count > 0 && b == nullptr)) return kNothing;
  if (count > 0) fn(dst, a, b, count, op);
  return kDone;
}

rowk::Combine Brend(uint32_t colour, bool darkenFirst, bool subtract) {
  rowk::Combine op;
  (darkenFirst ? op.darkA : op.darkB) = ~colour;
  op.subtract = subtract;
  return op;
}

}  // namespace

extern "C" {

BLIVO_API int32_t RastaRizeCopyMMX(void* dst, const void* src, int32_t count) {
  return Copy(dst, src, count, rowk::ActiveRowKernels().copy);
}
BLIVO_API int32_t RastaRizeCopyPentium(void* dst, const void* src, int32_t count) {
  return Copy(dst, src, count, rowk::Copy_Ref);
}
BLIVO_API int32_t RastaRizeAddMMX(void* dst, const void* src, int32_t count) {
  return Combine(dst, dst, src, count, {}, rowk::ActiveRowKernels().combine);
}
BLIVO_API int32_t RastaRizeAddPentium(void* dst, const void* src, int32_t count) {
  return Combine(dst, dst, src, count, {}, rowk::Combine_Ref);
}
BLIVO_API int32_t RastaRizeSubMMX(void* dst, const void* src, int32_t count) {
  return Combine(dst, dst, src, count, {0, 0, 0, true}, rowk::ActiveRowKernels().combine);
}
BLIVO_API int32_t RastaRizeSubPentium(void* dst, const void* src, int32_t count) {
  return Combine(dst, dst, src, count, {0, 0, 0, true}, rowk::Combine_Ref);
}

BLIVO_API int32_t RastaRizeBrendADD(void* dst, const void* src1, const void* src2, uint32_t colour,
                                    int32_t count) {
  return Combine(dst, src1, src2, count, Brend(colour, false, false), rowk::ActiveRowKernels().combine);
}
BLIVO_API int32_t RastaRizeBrendSUB(void* dst, const void* src1, const void* src2, uint32_t colour,
                                    int32_t count) {
  return Combine(dst, src1, src2, count, Brend(colour, false, true), rowk::ActiveRowKernels().combine);
}
BLIVO_API int32_t RastaRizeBrendALTADD(void* dst, const void* src1, const void* src2,
                                       uint32_t colour, int32_t count) {
  return Combine(dst, src1, src2, count, Brend(colour, true, false), rowk::ActiveRowKernels().combine);
}
BLIVO_API int32_t RastaRizeBrendALTSUB(void* dst, const void* src1, const void* src2,
                                       uint32_t colour, int32_t count) {
  return Combine(dst, src1, src2, count, Brend(colour, true, true), rowk::ActiveRowKernels().combine);
}

BLIVO_API int32_t RastaRizeCopyFour(void* dst, const void* src, int32_t dstStride,
                                    int32_t srcStride, int32_t width, int32_t rows) {
  return UsdCopy(dst, src, dstStride, srcStride, width, rows);
}

}  // extern "C"

// Walking the described rectangles of the raw families: the refusal check first, then one call
// per row with that row's addresses.
#pragma once

#include <cstdint>

#include "bbi.h"
#include "rows.h"

namespace blivo::rows {

// One buffer: width pixels of pixelBytes per row. Returns the check's outcome; rowFn(row, y)
// runs only when it is kOk.
template <typename F>
Fit WalkOne(void* buffer, int32_t stride, int64_t width, int32_t count, int32_t pixelBytes,
            F rowFn) {
  const Fit fit = Check(width * pixelBytes, stride, count);
  if (fit != Fit::kOk) return fit;
  if (buffer == nullptr) return Fit::kBad;
  for (int32_t y = 0; y < count; ++y) rowFn(At<uint8_t>(buffer, stride, y), y);
  return Fit::kOk;
}

// Two buffers with the same row count and width, each with its own pixel size.
template <typename F>
Fit WalkTwo(void* dst, const void* src, int32_t dstStride, int32_t srcStride, int64_t width,
            int32_t count, int32_t dstBytes, int32_t srcBytes, F rowFn) {
  const Fit fit =
      Both(Check(width * dstBytes, dstStride, count), Check(width * srcBytes, srcStride, count));
  if (fit != Fit::kOk) return fit;
  if (dst == nullptr || src == nullptr) return Fit::kBad;
  for (int32_t y = 0; y < count; ++y)
    rowFn(At<uint8_t>(dst, dstStride, y), At<uint8_t>(src, srcStride, y), y);
  return Fit::kOk;
}

// The library's usual results: 0 when the rows ran or there was nothing to do, 1 when refused.
inline int32_t Result(Fit fit) { return fit == Fit::kBad ? kNothing : kDone; }

}  // namespace blivo::rows

// Shared by the decoder fuzz targets: the first three bytes choose the output length n
// (1 byte to 1 MiB), the rest is the stream, handed over with its exact length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "blivo.h"

inline int RunBoundedDecoder(decltype(&::DecoderEx) decode, const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int32_t n = 1 + static_cast<int32_t>((data[0] | (data[1] << 8) | (data[2] << 16)) % (1u << 20));
  const int32_t streamLen = static_cast<int32_t>(size - 3);
  // A heap copy of exactly the stream, so a read past it is caught even for the empty stream.
  const std::vector<uint8_t> stream(data + 3, data + size);
  std::vector<uint8_t> out(static_cast<size_t>(n), 0xCC);
  const int32_t result = decode(stream.data(), streamLen, out.data(), n);
  if (result != 0 && result != 1) std::abort();
  // An early end leaves zeros, never the old contents.
  if (result == 1 && out.back() != 0) std::abort();
  return 0;
}

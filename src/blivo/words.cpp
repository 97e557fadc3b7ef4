// Word access into byte buffers, sample conversion and buffer comparison.
#include <cstring>

#include "bbi.h"
#include "blivo.h"

namespace {

uint8_t* At(void* buffer, int32_t index, int32_t size) {
  return static_cast<uint8_t*>(buffer) + static_cast<intptr_t>(index) * size;
}
const uint8_t* At(const void* buffer, int32_t index, int32_t size) {
  return static_cast<const uint8_t*>(buffer) + static_cast<intptr_t>(index) * size;
}

}  // namespace

extern "C" {

BLIVO_API int32_t GetWORD(const void* buffer, int32_t index) {
  return blivo::LoadI16(At(buffer, index, 2));
}
BLIVO_API int32_t GetInt(const void* buffer, int32_t index) { return GetWORD(buffer, index); }

BLIVO_API int32_t SetWORD(void* buffer, int32_t index, int32_t value) {
  blivo::StoreI16(At(buffer, index, 2), static_cast<int16_t>(value & 0xFFFF));
  return value;
}
BLIVO_API int32_t SetInt(void* buffer, int32_t index, int32_t value) {
  return SetWORD(buffer, index, value);
}

BLIVO_API int32_t GetDWORD(const void* buffer, int32_t index) {
  return static_cast<int32_t>(blivo::LoadU32(At(buffer, index, 4)));
}

BLIVO_API int32_t SetDWORD(void* buffer, int32_t index, int32_t value) {
  blivo::StoreU32(At(buffer, index, 4), static_cast<uint32_t>(value));
  return value;
}

BLIVO_API int32_t GetIntByByte(const void* buffer, int32_t position) {
  return (static_cast<int32_t>(*At(buffer, position, 1)) - 128) * 256;
}

BLIVO_API int32_t SetIntToByte(void* buffer, int32_t position, int32_t value) {
  const auto stored = static_cast<uint8_t>(((value >> 8) - 128) & 0xFF);
  *At(buffer, position, 1) = stored;
  return stored;
}

BLIVO_API int32_t TestBuffer(const void* a, const void* b, int32_t n) {
  if (n <= 0) return 0;
  return std::memcmp(a, b, static_cast<size_t>(n)) == 0 ? 0 : 1;
}

}  // extern "C"

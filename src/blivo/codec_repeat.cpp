// Method 2: 4-byte repeat coding. A group equal to the one before is the bit 1, any other is
// the bit 0 and its four bytes, most significant bit first. Suits 32-bit pixels in runs: the
// decoder turns a run of 1 bits into one fill.
#include <cstring>

#include "blivo.h"
#include "codec.h"

namespace blivo {
namespace {

// Bytes of a group in stream order, as the 32-bit number they form MSB first.
inline uint32_t GroupValue(const uint8_t* p) {
  uint32_t v = 0;
  std::memcpy(&v, p, 4);
  return __builtin_bswap32(v);
}

inline void StoreGroup(uint8_t* p, uint32_t value) {
  const uint32_t v = __builtin_bswap32(value);
  std::memcpy(p, &v, 4);
}

bool EncodeGroups(const uint8_t* src, size_t n, uint8_t* dst, size_t limit, size_t& outLen) {
  uint64_t acc = 0;  // pending bits, the oldest highest
  int count = 0;
  size_t written = 0;
  uint32_t previous = 0;
  for (size_t i = 0; i < n; i += 4) {
    uint32_t group = 0;
    if (n - i >= 4) {
      group = GroupValue(src + i);
    } else {
      uint8_t last[4] = {};
      std::memcpy(last, src + i, n - i);
      group = GroupValue(last);
    }
    if (group == previous) {
      acc = (acc << 1) | 1u;
      count += 1;
    } else {
      acc = (acc << 33) | group;
      count += 33;
      previous = group;
    }
    if (count >= 24) {
      const size_t whole = static_cast<size_t>(count / 8);
      if (written + whole >= limit) return false;
      for (size_t b = 0; b < whole; ++b) {
        count -= 8;
        dst[written++] = static_cast<uint8_t>(acc >> count);
      }
    }
  }
  const size_t rest = static_cast<size_t>((count + 7) / 8);
  if (written + rest >= limit) return false;
  for (; count >= 8; count -= 8) dst[written++] = static_cast<uint8_t>(acc >> (count - 8));
  if (count > 0) dst[written++] = static_cast<uint8_t>(acc << (8 - count));
  outLen = written;
  return true;
}

inline void FillGroups(uint8_t* dst, uint32_t value, size_t groups) {
  const uint64_t pattern = static_cast<uint64_t>(__builtin_bswap32(value)) * 0x100000001ull;
  for (size_t i = 0; i < groups * 4; i += 8) std::memcpy(dst + i, &pattern, 8);
}

}  // namespace

int32_t RepeatDecode(const uint8_t* src, size_t srcLen, uint8_t* dst, size_t n) {
  uint32_t previous = 0;
  size_t k = 0;
  size_t bitPos = 0;
  // One 8-byte load per step: a run of up to 57 repeats, or one new group. Every group takes at
  // least one bit, so while 80 groups remain the loaded bytes are all consumed, and the fill's
  // 8-byte stores stay inside dst.
  constexpr size_t kFastBytes = 80 * 4;
  while (n - k >= kFastBytes && (bitPos >> 3) + 8 <= srcLen) {
    const uint64_t w = LoadBigEndian64(src + (bitPos >> 3)) << (bitPos & 7);
    if (w >> 63) {
      // Bits below the loaded ones are zeros, so the run stops within them.
      const size_t run = ~w != 0 ? static_cast<size_t>(__builtin_clzll(~w)) : 64;
      FillGroups(dst + k, previous, run);
      k += run * 4;
      bitPos += run;
    } else {
      previous = static_cast<uint32_t>(w >> 31);
      StoreGroup(dst + k, previous);
      k += 4;
      bitPos += 33;
    }
  }
  // The tail reads bit by bit and cuts the last group at n.
  const size_t bitLen = srcLen * 8;
  while (k < n) {
    if (bitPos >= bitLen) break;
    const unsigned flag = (src[bitPos >> 3] >> (7 - (bitPos & 7))) & 1u;
    ++bitPos;
    if (flag == 0) {
      if (bitLen - bitPos < 32) break;
      uint32_t v = 0;
      for (int i = 0; i < 32; ++i, ++bitPos)
        v = (v << 1) | ((src[bitPos >> 3] >> (7 - (bitPos & 7))) & 1u);
      previous = v;
    }
    uint8_t group[4];
    StoreGroup(group, previous);
    const size_t take = n - k < 4 ? n - k : 4;
    std::memcpy(dst + k, group, take);
    k += take;
  }
  if (k == n) return 0;
  std::memset(dst + k, 0, n - k);
  return 1;
}

}  // namespace blivo

extern "C" {

BLIVO_API int32_t ioEncoder(const void* src, void* dst, int32_t n, int32_t* outLen) {
  if (src == nullptr || dst == nullptr || outLen == nullptr || n <= 64) return 1;
  const int64_t limit = blivo::EncoderLimit(n, 64);
  size_t written = 0;
  if (!blivo::EncodeGroups(static_cast<const uint8_t*>(src), static_cast<size_t>(n),
                           static_cast<uint8_t*>(dst), static_cast<size_t>(limit), written))
    return 1;
  *outLen = static_cast<int32_t>(written);
  return 0;
}

BLIVO_API int32_t ioDecoderEx(const void* src, int32_t srcLen, void* dst, int32_t n) {
  if (n <= 0 || dst == nullptr) return 1;
  const size_t len = src == nullptr ? 0 : blivo::ToSize(srcLen);
  return blivo::RepeatDecode(static_cast<const uint8_t*>(src), len, static_cast<uint8_t*>(dst),
                             static_cast<size_t>(n));
}

BLIVO_API int32_t ioDecoder(const void* src, void* dst, int32_t n) {
  if (n <= 0 || dst == nullptr) return 1;
  if (src == nullptr) return ioDecoderEx(src, 0, dst, n);
  const size_t size = static_cast<size_t>(n);
  return blivo::RepeatDecode(static_cast<const uint8_t*>(src), blivo::RepeatStreamBound(size),
                             static_cast<uint8_t*>(dst), size);
}

}  // extern "C"

// Pieces the three byte-stream compressors share: the encoders' output limit, the most stream
// bytes a decoder can consume, and the bounded decoder cores behind the exports.
// The cores read only bytes that the decoding consumes, never more than srcLen of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace blivo {

// An encoder succeeds only with fewer output bytes than this; the margin is 48 (64 for the
// repeat coder) once n reaches it, and the whole n below that.
inline int64_t EncoderLimit(int32_t n, int32_t margin) {
  return n >= margin ? static_cast<int64_t>(n) - margin : static_cast<int64_t>(n);
}

// The most stream bytes each decoder consumes for n output bytes (every literal, or the widest
// code for every pair or group). The unbounded exports pass these as the stream length.
constexpr size_t LzssStreamBound(size_t n) { return n == 0 ? 0 : n + 1 + (n + 7) / 8; }
constexpr size_t PairStreamBound(size_t n) { return (19 * ((n + 1) / 2) + 7) / 8; }
constexpr size_t RepeatStreamBound(size_t n) { return (33 * ((n + 3) / 4) + 7) / 8; }

// The LZSS greedy parse into dst, false once the output would reach limit bytes. The tree form
// follows the binary search trees of the format's design and is the reference; the fast form
// finds the same longest matches with hash chains and is what Encoder uses.
bool LzssEncodeTree(const uint8_t* src, size_t n, uint8_t* dst, size_t limit, size_t& outLen);
bool LzssEncodeFast(const uint8_t* src, size_t n, uint8_t* dst, size_t limit, size_t& outLen);

// Each returns 0 when n bytes were produced and 1 when the stream ran out first, in which case
// the rest of dst is zero-filled. Exactly n bytes of dst are written either way.
int32_t LzssDecode(const uint8_t* src, size_t srcLen, uint8_t* dst, size_t n);
int32_t PairDecode(const uint8_t* src, size_t srcLen, uint8_t* dst, size_t n);
int32_t RepeatDecode(const uint8_t* src, size_t srcLen, uint8_t* dst, size_t n);

// The n argument and the stream length of the exports, as sizes; 0 when negative.
inline size_t ToSize(int32_t v) { return v > 0 ? static_cast<size_t>(v) : 0; }

inline uint64_t LoadBigEndian64(const uint8_t* p) {
  uint64_t v = 0;
  std::memcpy(&v, p, sizeof v);
  return __builtin_bswap64(v);
}

}  // namespace blivo

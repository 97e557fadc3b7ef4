// Method 1: pair delta coding. Each byte pair becomes a 3-bit code saying which parts repeat
// the previous pair, followed by the bits that do not, most significant bit first. The decoder
// turns every code into one table row, so a pair costs no data-dependent branch.
#include <algorithm>
#include <cstring>

#include "blivo.h"
#include "codec.h"

namespace blivo {
namespace {

constexpr unsigned kTopBits = 0xE0;

// What code c means, as masks and shifts over x, the 16 stream bits that follow the code:
// f = (pf & fKeep) | (pg & fFromPg) | ((x >> fShift) & fMask), g = (pg & gKeep) | ((x >> gShift) & gMask).
struct PairRow {
  uint8_t bits;  // code and payload
  uint8_t fKeep, fFromPg, fShift, fMask;
  uint8_t gKeep, gShift, gMask;
};

constexpr PairRow kPairRows[8] = {
    {19, 0x00, 0x00, 8, 0xFF, 0x00, 0, 0xFF},   // 0: f, g
    {16, 0x00, 0x00, 8, 0xFF, 0xE0, 3, 0x1F},   // 1: f, low 5 of g
    {16, 0xE0, 0x00, 11, 0x1F, 0x00, 3, 0xFF},  // 2: low 5 of f, g
    {13, 0xE0, 0x00, 11, 0x1F, 0xE0, 6, 0x1F},  // 3: low 5 of f, low 5 of g
    {11, 0x00, 0x00, 8, 0xFF, 0x00, 8, 0xFF},   // 4: f twice
    {11, 0x00, 0xFF, 0, 0x00, 0x00, 8, 0xFF},   // 5: previous g, then g
    {11, 0x00, 0x00, 8, 0xFF, 0xFF, 0, 0x00},   // 6: f, previous g
    {3, 0xFF, 0x00, 0, 0x00, 0xFF, 0, 0x00},    // 7: the previous pair
};

// Code lengths by code, one byte each, so that finding the next code's position needs no load.
constexpr uint64_t kPairBits = 0x030B0B0B0D101013ull;
static_assert(((kPairBits >> 0) & 0xFF) == kPairRows[0].bits && ((kPairBits >> 56) & 0xFF) == kPairRows[7].bits);

inline void DecodePair(unsigned code, unsigned x, unsigned& pf, unsigned& pg) {
  const PairRow& row = kPairRows[code];
  const unsigned f = (pf & row.fKeep) | (pg & row.fFromPg) | ((x >> row.fShift) & row.fMask);
  const unsigned g = (pg & row.gKeep) | ((x >> row.gShift) & row.gMask);
  pf = f;
  pg = g;
}

// Writes an MSB-first bit stream, failing once the completed bytes would reach the limit.
class BitWriter {
 public:
  BitWriter(uint8_t* dst, size_t limit) : m_dst(dst), m_limit(limit) {}

  // bits < 2^count, count <= 32.
  bool Put(uint32_t bits, int count) {
    m_acc = (m_acc << count) | bits;
    m_count += count;
    if (m_count < 32) return true;
    return Drain();
  }

  // Pads the last partial byte with zero bits and writes it.
  bool Finish() {
    if (!Drain()) return false;
    if (m_count > 0) {
      if (m_written + 1 >= m_limit) return false;
      m_dst[m_written++] = static_cast<uint8_t>(m_acc << (8 - m_count));
      m_count = 0;
    }
    return true;
  }

  size_t Written() const { return m_written; }

 private:
  bool Drain() {
    const size_t whole = static_cast<size_t>(m_count / 8);
    if (m_written + whole >= m_limit) return false;
    for (size_t i = 0; i < whole; ++i) {
      m_count -= 8;
      m_dst[m_written++] = static_cast<uint8_t>(m_acc >> m_count);
    }
    return true;
  }

  uint8_t* m_dst;
  size_t m_limit;
  size_t m_written = 0;
  uint64_t m_acc = 0;
  int m_count = 0;
};

bool EncodePairs(const uint8_t* src, size_t n, BitWriter& out) {
  unsigned pf = 0, pg = 0;
  for (size_t i = 0; i < n; i += 2) {
    const unsigned f = src[i];
    const unsigned g = i + 1 < n ? src[i + 1] : 0u;
    const bool fTop = (f & kTopBits) == (pf & kTopBits);
    const bool gTop = (g & kTopBits) == (pg & kTopBits);
    bool ok = true;
    if (g == pg && f == pf)
      ok = out.Put(7, 3);
    else if (g == pg)
      ok = out.Put((6u << 8) | f, 11);
    else if (f == pg)
      ok = out.Put((5u << 8) | g, 11);
    else if (f == g)
      ok = out.Put((4u << 8) | f, 11);
    else if (fTop && gTop)
      ok = out.Put((3u << 10) | ((f & 0x1F) << 5) | (g & 0x1F), 13);
    else if (fTop)
      ok = out.Put((2u << 13) | ((f & 0x1F) << 8) | g, 16);
    else if (gTop)
      ok = out.Put((1u << 13) | (f << 5) | (g & 0x1F), 16);
    else
      ok = out.Put((f << 8) | g, 19);
    if (!ok) return false;
    pf = f;
    pg = g;
  }
  return out.Put(0, 8) && out.Finish();
}

// Reads single bits only from bytes the decoding needs; used near the end of the stream.
class CheckedBitReader {
 public:
  CheckedBitReader(const uint8_t* src, size_t srcLen, size_t bitPos)
      : m_src(src), m_bitLen(srcLen * 8), m_bitPos(bitPos) {}

  bool Get(int count, unsigned& value) {
    if (m_bitLen - m_bitPos < static_cast<size_t>(count) || m_bitPos > m_bitLen) return false;
    unsigned v = 0;
    for (int i = 0; i < count; ++i, ++m_bitPos)
      v = (v << 1) | ((m_src[m_bitPos >> 3] >> (7 - (m_bitPos & 7))) & 1u);
    value = v;
    return true;
  }

 private:
  const uint8_t* m_src;
  size_t m_bitLen;
  size_t m_bitPos;
};

}  // namespace

int32_t PairDecode(const uint8_t* src, size_t srcLen, uint8_t* dst, size_t n) {
  unsigned pf = 0, pg = 0;
  size_t k = 0;
  size_t bitPos = 0;
  // Three pairs per 8-byte load (57 usable bits, at most 19 per pair). Every pair takes at
  // least 3 bits, so while 24 or more pairs remain the loaded bytes are all ones the decoding
  // consumes.
  constexpr size_t kFastPairs = 24 * 2;
  while (n - k >= kFastPairs && (bitPos >> 3) + 8 <= srcLen) {
    uint64_t w = LoadBigEndian64(src + (bitPos >> 3)) << (bitPos & 7);
    for (int i = 0; i < 3; ++i) {
      const unsigned code = static_cast<unsigned>(w >> 61);
      const unsigned x = static_cast<unsigned>(w >> 45) & 0xFFFFu;
      const unsigned bits = static_cast<unsigned>(kPairBits >> (8 * code)) & 0xFFu;
      DecodePair(code, x, pf, pg);
      const uint16_t pair = static_cast<uint16_t>(pf | (pg << 8));
      std::memcpy(dst + k, &pair, 2);
      k += 2;
      w <<= bits;
      bitPos += bits;
    }
  }
  CheckedBitReader in(src, srcLen, bitPos);
  while (k < n) {
    unsigned code = 0;
    if (!in.Get(3, code)) break;
    const int payload = kPairRows[code].bits - 3;
    unsigned x = 0;
    if (payload > 0 && !in.Get(payload, x)) break;
    DecodePair(code, x << (16 - payload), pf, pg);
    dst[k++] = static_cast<uint8_t>(pf);
    if (k < n) dst[k++] = static_cast<uint8_t>(pg);
  }
  if (k == n) return 0;
  std::memset(dst + k, 0, n - k);
  return 1;
}

}  // namespace blivo

extern "C" {

BLIVO_API int32_t iEncoder(const void* src, void* dst, int32_t n, int32_t* outLen) {
  if (src == nullptr || dst == nullptr || outLen == nullptr || n <= 16) return 1;
  const int64_t limit = blivo::EncoderLimit(n, 48);
  if (limit <= 0) return 1;
  blivo::BitWriter out(static_cast<uint8_t*>(dst), static_cast<size_t>(limit));
  if (!blivo::EncodePairs(static_cast<const uint8_t*>(src), static_cast<size_t>(n), out))
    return 1;
  *outLen = static_cast<int32_t>(out.Written());
  return 0;
}

BLIVO_API int32_t iDecoderEx(const void* src, int32_t srcLen, void* dst, int32_t n) {
  if (n <= 0 || dst == nullptr) return 1;
  const size_t len = src == nullptr ? 0 : blivo::ToSize(srcLen);
  return blivo::PairDecode(static_cast<const uint8_t*>(src), len, static_cast<uint8_t*>(dst),
                           static_cast<size_t>(n));
}

BLIVO_API int32_t iDecoder(const void* src, void* dst, int32_t n) {
  if (n <= 0 || dst == nullptr) return 1;
  if (src == nullptr) return iDecoderEx(src, 0, dst, n);
  const size_t size = static_cast<size_t>(n);
  return blivo::PairDecode(static_cast<const uint8_t*>(src), blivo::PairStreamBound(size),
                           static_cast<uint8_t*>(dst), size);
}

}  // extern "C"

// Method 0: LZSS over a 4096-byte ring (writes start at 4078), matches of 3 to 18 bytes found
// with binary search trees, eight items per flag byte. The encoder's work tables are
// library-wide, so one compression runs at a time; the decoder needs no ring at all, because
// the ring's initial contents are zeros and everything else in it is earlier output.
#include <algorithm>
#include <cstring>

#include "blivo.h"
#include "codec.h"

namespace blivo {
namespace {

constexpr int kRing = 4096;            // ring size
constexpr int kMaxMatch = 18;          // longest match
constexpr int kMinMatch = 3;           // shorter matches go out as literals
constexpr int kStart = kRing - kMaxMatch;  // first write position
constexpr int kNil = kRing;            // "no node"
constexpr int kMaxGroup = 1 + 8 * 2;   // flag byte and eight references

struct LzssTables {
  uint8_t ring[kRing + kMaxMatch - 1];  // the first 17 bytes are mirrored past the end
  int32_t left[kRing + 1];
  int32_t right[kRing + 257];  // entries kRing + 1 + c are the roots of the trees per first byte
  int32_t parent[kRing + 1];
};

LzssTables g_tables;

// Index of the first differing byte of a and b in 1..17, or 18 when all 17 agree.
inline int FirstDifference(const uint8_t* a, const uint8_t* b) {
  uint64_t x = 0, y = 0;
  std::memcpy(&x, a + 1, 8);
  std::memcpy(&y, b + 1, 8);
  if (x != y) return 1 + __builtin_ctzll(x ^ y) / 8;
  std::memcpy(&x, a + 9, 8);
  std::memcpy(&y, b + 9, 8);
  if (x != y) return 9 + __builtin_ctzll(x ^ y) / 8;
  return a[17] != b[17] ? 17 : 18;
}

class LzssEncoder {
 public:
  explicit LzssEncoder(LzssTables& t) : m_t(t) {
    std::memset(m_t.ring, 0, sizeof m_t.ring);
    for (int i = kRing + 1; i <= kRing + 256; ++i) m_t.right[i] = kNil;
    for (int i = 0; i < kRing; ++i) m_t.parent[i] = kNil;
  }

  // Adds position r to its tree and leaves the longest match with the text at r in
  // m_matchPos/m_matchLen. A node whose 18 bytes equal r's is replaced by r.
  void Insert(int r) {
    const uint8_t* key = &m_t.ring[r];
    int p = kRing + 1 + key[0];
    int cmp = 1;
    m_t.right[r] = m_t.left[r] = kNil;
    m_matchLen = 0;
    for (;;) {
      if (cmp >= 0) {
        if (m_t.right[p] == kNil) {
          m_t.right[p] = r;
          m_t.parent[r] = p;
          return;
        }
        p = m_t.right[p];
      } else {
        if (m_t.left[p] == kNil) {
          m_t.left[p] = r;
          m_t.parent[r] = p;
          return;
        }
        p = m_t.left[p];
      }
      const int i = FirstDifference(key, &m_t.ring[p]);
      if (i < kMaxMatch) cmp = static_cast<int>(key[i]) - static_cast<int>(m_t.ring[p + i]);
      if (i > m_matchLen) {
        m_matchPos = p;
        m_matchLen = i;
        if (i >= kMaxMatch) break;
      }
    }
    m_t.parent[r] = m_t.parent[p];
    m_t.left[r] = m_t.left[p];
    m_t.right[r] = m_t.right[p];
    m_t.parent[m_t.left[p]] = r;
    m_t.parent[m_t.right[p]] = r;
    if (m_t.right[m_t.parent[p]] == p)
      m_t.right[m_t.parent[p]] = r;
    else
      m_t.left[m_t.parent[p]] = r;
    m_t.parent[p] = kNil;
  }

  void Remove(int p) {
    if (m_t.parent[p] == kNil) return;
    int q = 0;
    if (m_t.right[p] == kNil) {
      q = m_t.left[p];
    } else if (m_t.left[p] == kNil) {
      q = m_t.right[p];
    } else {
      q = m_t.left[p];
      if (m_t.right[q] != kNil) {
        do q = m_t.right[q];
        while (m_t.right[q] != kNil);
        m_t.right[m_t.parent[q]] = m_t.left[q];
        m_t.parent[m_t.left[q]] = m_t.parent[q];
        m_t.left[q] = m_t.left[p];
        m_t.parent[m_t.left[p]] = q;
      }
      m_t.right[q] = m_t.right[p];
      m_t.parent[m_t.right[p]] = q;
    }
    m_t.parent[q] = m_t.parent[p];
    if (m_t.right[m_t.parent[p]] == p)
      m_t.right[m_t.parent[p]] = q;
    else
      m_t.left[m_t.parent[p]] = q;
    m_t.parent[p] = kNil;
  }

  // Greedy parse of src[0, n) into dst; false once the output would reach limit bytes.
  bool Run(const uint8_t* src, size_t n, uint8_t* dst, size_t limit, size_t& outLen) {
    uint8_t group[kMaxGroup] = {};
    size_t groupLen = 1;
    unsigned mask = 1;
    size_t written = 0;
    size_t in = 0;
    int s = 0, r = kStart;
    int len = 0;
    for (; len < kMaxMatch && in < n; ++len) m_t.ring[r + len] = src[in++];
    for (int i = 1; i <= kMaxMatch; ++i) Insert(r - i);
    Insert(r);
    while (len > 0) {
      if (m_matchLen > len) m_matchLen = len;
      if (m_matchLen < kMinMatch) {
        m_matchLen = 1;
        group[0] = static_cast<uint8_t>(group[0] | mask);
        group[groupLen++] = m_t.ring[r];
      } else {
        group[groupLen++] = static_cast<uint8_t>(m_matchPos);
        group[groupLen++] =
            static_cast<uint8_t>(((m_matchPos >> 4) & 0xF0) | (m_matchLen - kMinMatch));
      }
      mask = (mask << 1) & 0xFF;
      if (mask == 0) {
        if (written + groupLen >= limit) return false;
        std::memcpy(dst + written, group, groupLen);
        written += groupLen;
        group[0] = 0;
        groupLen = 1;
        mask = 1;
      }
      const int advance = m_matchLen;
      int i = 0;
      for (; i < advance && in < n; ++i) {
        Remove(s);
        const uint8_t c = src[in++];
        m_t.ring[s] = c;
        if (s < kMaxMatch - 1) m_t.ring[s + kRing] = c;
        s = (s + 1) & (kRing - 1);
        r = (r + 1) & (kRing - 1);
        Insert(r);
      }
      for (; i < advance; ++i) {
        Remove(s);
        s = (s + 1) & (kRing - 1);
        r = (r + 1) & (kRing - 1);
        if (--len) Insert(r);
      }
    }
    if (groupLen > 1) {
      if (written + groupLen >= limit) return false;
      std::memcpy(dst + written, group, groupLen);
      written += groupLen;
    }
    outLen = written;
    return true;
  }

 private:
  LzssTables& m_t;
  int m_matchPos = 0;
  int m_matchLen = 0;
};

// Copies len bytes from dist bytes back, where bytes before dst's start read as zero (the
// ring's initial contents) and the copy may overlap its own output.
inline void CopyFromRing(uint8_t* dst, size_t k, size_t dist, size_t len) {
  for (size_t i = 0; i < len; ++i) {
    const size_t at = k + i;
    dst[at] = at >= dist ? dst[at - dist] : 0;
  }
}

}  // namespace

int32_t LzssDecode(const uint8_t* src, size_t srcLen, uint8_t* dst, size_t n) {
  size_t k = 0, s = 0;
  // Whole groups without per-item checks while the group fits in the stream and the widest
  // copies (up to 24 bytes stored for one reference) fit in dst.
  constexpr size_t kRoom = 8 * kMaxMatch + 8;
  while (n - k >= kRoom && srcLen - s >= kMaxGroup) {
    unsigned flags = src[s++];
    if (flags == 0xFF) {
      std::memcpy(dst + k, src + s, 8);
      k += 8;
      s += 8;
      continue;
    }
    for (int item = 0; item < 8; ++item, flags >>= 1) {
      if (flags & 1) {
        dst[k++] = src[s++];
        continue;
      }
      const unsigned lo = src[s], hi = src[s + 1];
      s += 2;
      const size_t p = lo | ((hi & 0xF0u) << 4);
      const size_t len = (hi & 0x0Fu) + kMinMatch;
      const size_t dist = ((kStart + k - 1 - p) & (kRing - 1)) + 1;
      uint8_t* out = dst + k;
      if (dist > k) {
        CopyFromRing(dst, k, dist, len);
      } else if (dist >= 16) {
        std::memcpy(out, out - dist, 16);
        std::memcpy(out + 16, out + 16 - dist, 2);
      } else if (dist >= 8) {
        std::memcpy(out, out - dist, 8);
        std::memcpy(out + 8, out + 8 - dist, 8);
        std::memcpy(out + 16, out + 16 - dist, 8);
      } else {
        // A period shorter than a word: spread it over 8 bytes and store the word at steps of
        // a whole number of periods.
        uint64_t period = 0;
        std::memcpy(&period, out - dist, dist);
        uint64_t pattern = period;
        for (size_t filled = dist; filled < 8; filled += dist) pattern |= period << (8 * filled);
        const size_t step = dist * (8 / dist);
        for (size_t i = 0; i < len; i += step) std::memcpy(out + i, &pattern, 8);
      }
      k += len;
    }
  }
  // The tail, checked item by item; a reference may end past n and is cut there.
  unsigned flags = 0;
  while (k < n) {
    flags >>= 1;
    if ((flags & 0x100u) == 0) {
      if (s >= srcLen) break;
      flags = src[s++] | 0xFF00u;
    }
    if (flags & 1) {
      if (s >= srcLen) break;
      dst[k++] = src[s++];
      continue;
    }
    if (srcLen - s < 2) break;
    const unsigned lo = src[s], hi = src[s + 1];
    s += 2;
    const size_t p = lo | ((hi & 0xF0u) << 4);
    const size_t len = std::min<size_t>((hi & 0x0Fu) + kMinMatch, n - k);
    const size_t dist = ((kStart + k - 1 - p) & (kRing - 1)) + 1;
    CopyFromRing(dst, k, dist, len);
    k += len;
  }
  if (k == n) return 0;
  std::memset(dst + k, 0, n - k);
  return 1;
}

}  // namespace blivo

extern "C" {

BLIVO_API int32_t Encoder(const void* src, void* dst, int32_t n, int32_t* outLen) {
  if (src == nullptr || dst == nullptr || outLen == nullptr || n <= 16) return 1;
  const int64_t limit = blivo::EncoderLimit(n, 48);
  if (limit <= 0) return 1;
  size_t written = 0;
  blivo::LzssEncoder encoder(blivo::g_tables);
  if (!encoder.Run(static_cast<const uint8_t*>(src), static_cast<size_t>(n),
                   static_cast<uint8_t*>(dst), static_cast<size_t>(limit), written))
    return 1;
  *outLen = static_cast<int32_t>(written);
  return 0;
}

BLIVO_API int32_t DecoderEx(const void* src, int32_t srcLen, void* dst, int32_t n) {
  if (n <= 0 || dst == nullptr) return 1;
  const size_t len = src == nullptr ? 0 : blivo::ToSize(srcLen);
  return blivo::LzssDecode(static_cast<const uint8_t*>(src), len, static_cast<uint8_t*>(dst),
                           static_cast<size_t>(n));
}

BLIVO_API int32_t Decoder(const void* src, void* dst, int32_t n) {
  if (n <= 0 || dst == nullptr) return 1;
  if (src == nullptr) return DecoderEx(src, 0, dst, n);
  const size_t size = static_cast<size_t>(n);
  return blivo::LzssDecode(static_cast<const uint8_t*>(src), blivo::LzssStreamBound(size),
                           static_cast<uint8_t*>(dst), size);
}

}  // extern "C"

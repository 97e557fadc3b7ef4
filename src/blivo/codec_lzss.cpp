// Method 0: LZSS over a 4096-byte ring (writes start at 4078), greedy longest matches of 3 to
// 18 bytes, eight items per flag byte. Matches are found with binary search trees (the
// reference) or with hash chains (the fast encoder); both give the same parse. The encoders'
// work tables are library-wide, so one compression runs at a time. The decoder needs no ring:
// the ring's initial contents are zeros and everything else in it is earlier output.
#include <algorithm>
#include <climits>
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

// Collects one flag byte and its eight items, and writes the group only when the whole of it
// stays below the limit, so nothing is ever written at or past it.
class LzssGroupWriter {
 public:
  LzssGroupWriter(uint8_t* dst, size_t limit) : m_dst(dst), m_limit(limit) {}

  bool Literal(uint8_t c) {
    m_group[0] = static_cast<uint8_t>(m_group[0] | m_mask);
    m_group[m_len++] = c;
    return Next();
  }
  bool Reference(int pos, int len) {
    m_group[m_len++] = static_cast<uint8_t>(pos);
    m_group[m_len++] = static_cast<uint8_t>(((pos >> 4) & 0xF0) | (len - kMinMatch));
    return Next();
  }
  bool Finish() { return m_len == 1 || Flush(); }
  size_t Written() const { return m_written; }

 private:
  bool Next() {
    m_mask = (m_mask << 1) & 0xFF;
    return m_mask != 0 || Flush();
  }
  bool Flush() {
    if (m_written + m_len >= m_limit) return false;
    std::memcpy(m_dst + m_written, m_group, m_len);
    m_written += m_len;
    m_group[0] = 0;
    m_len = 1;
    m_mask = 1;
    return true;
  }

  uint8_t* m_dst;
  size_t m_limit;
  size_t m_written = 0;
  uint8_t m_group[kMaxGroup] = {};
  size_t m_len = 1;
  unsigned m_mask = 1;
};

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

  // Greedy parse of src[0, n) into out.
  bool Run(const uint8_t* src, size_t n, LzssGroupWriter& out) {
    size_t in = 0;
    int s = 0, r = kStart;
    int len = 0;
    for (; len < kMaxMatch && in < n; ++len) m_t.ring[r + len] = src[in++];
    for (int i = 1; i <= kMaxMatch; ++i) Insert(r - i);
    Insert(r);
    while (len > 0) {
      if (m_matchLen > len) m_matchLen = len;
      bool ok = true;
      if (m_matchLen < kMinMatch) {
        m_matchLen = 1;
        ok = out.Literal(m_t.ring[r]);
      } else {
        ok = out.Reference(m_matchPos, m_matchLen);
      }
      if (!ok) return false;
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
    return out.Finish();
  }

 private:
  LzssTables& m_t;
  int m_matchPos = 0;
  int m_matchLen = 0;
};

// The same greedy parse found with hash chains, visiting only the positions where items start.
// Every window position is on a chain of positions whose next three bytes hash alike and on
// one for the next six. A match of six or more bytes is always on the six-byte chain, so the
// three-byte chain is walked only for matches of three to five. The window is the tree's: the
// 4078 positions before, the 18 just before the input being the ring's zeros.
constexpr int kHashBits = 15;  // the most; short inputs use fewer, so less is cleared per call
constexpr int kWindow = kRing - kMaxMatch;
constexpr int32_t kNoPos = INT32_MIN / 2;

struct ChainTables {
  int32_t head3[1 << kHashBits];
  int32_t head6[1 << kHashBits];
  int32_t prev3[kRing];
  int32_t prev6[kRing];
};

ChainTables g_chains;

class LzssChainEncoder {
 public:
  LzssChainEncoder(ChainTables& t, const uint8_t* src, int32_t n) : m_t(t), m_src(src), m_n(n) {
    while (m_hashBits < kHashBits && (int32_t{1} << m_hashBits) < n) ++m_hashBits;
    std::fill(t.head3, t.head3 + (size_t{1} << m_hashBits), kNoPos);
    std::fill(t.head6, t.head6 + (size_t{1} << m_hashBits), kNoPos);
  }

  bool Run(LzssGroupWriter& out) {
    int32_t inserted = -kMaxMatch;
    int32_t k = 0;
    while (k < m_n) {
      InsertRange(inserted, k);
      inserted = k;
      const int cap = m_n - k < kMaxMatch ? m_n - k : kMaxMatch;
      int len = 0;
      int32_t pos = 0;
      if (cap >= kMinMatch) Find(k, cap, len, pos);
      bool ok = true;
      if (len >= kMinMatch) {
        ok = out.Reference(static_cast<int>((kStart + pos) & (kRing - 1)), len);
        k += len;
      } else {
        ok = out.Literal(m_src[k]);
        k += 1;
      }
      if (!ok) return false;
    }
    return out.Finish();
  }

 private:
  uint32_t Hash(uint64_t bytes) const {
    return static_cast<uint32_t>((bytes * 0x9E3779B97F4A7C15ull) >> (64 - m_hashBits));
  }

  uint8_t At(int32_t j) const { return j < 0 ? 0 : m_src[j]; }

  // Bytes j..j+7, little-endian; zeros before the input and past its end.
  uint64_t Word(int32_t j) const {
    uint64_t v = 0;
    if (j >= 0 && j <= m_n - 8) {
      std::memcpy(&v, m_src + j, 8);
      return v;
    }
    for (int i = 0; i < 8; ++i)
      if (j < m_n - i) v |= static_cast<uint64_t>(At(j + i)) << (8 * i);
    return v;
  }

  void Insert(int32_t j) {
    const uint64_t v = Word(j);
    const uint32_t slot = static_cast<uint32_t>(j) & (kRing - 1);
    if (j <= m_n - 3) {
      const uint32_t h = Hash(v & 0xFFFFFFull);
      m_t.prev3[slot] = m_t.head3[h];
      m_t.head3[h] = j;
    }
    if (j <= m_n - 6) {
      const uint32_t h = Hash(v & 0xFFFFFFFFFFFFull);
      m_t.prev6[slot] = m_t.head6[h];
      m_t.head6[h] = j;
    }
  }

  // Positions from..to-1; those with eight bytes ahead in the input take the short way.
  void InsertRange(int32_t from, int32_t to) {
    int32_t j = from;
    for (; j < to && j < 0; ++j) Insert(j);
    const int32_t fastTo = std::min(to, m_n - 7);
    for (; j < fastTo; ++j) {
      uint64_t v = 0;
      std::memcpy(&v, m_src + j, 8);
      const uint32_t slot = static_cast<uint32_t>(j) & (kRing - 1);
      const uint32_t h3 = Hash(v & 0xFFFFFFull), h6 = Hash(v & 0xFFFFFFFFFFFFull);
      m_t.prev3[slot] = m_t.head3[h3];
      m_t.head3[h3] = j;
      m_t.prev6[slot] = m_t.head6[h6];
      m_t.head6[h6] = j;
    }
    for (; j < to; ++j) Insert(j);
  }

  // Common length of the bytes at c and k, at most cap.
  int MatchLength(int32_t c, int32_t k, int cap) const {
    if (c >= 0 && cap == kMaxMatch) {
      uint64_t x = 0, y = 0;
      std::memcpy(&x, m_src + c, 8);
      std::memcpy(&y, m_src + k, 8);
      if (x != y) return __builtin_ctzll(x ^ y) / 8;
      std::memcpy(&x, m_src + c + 8, 8);
      std::memcpy(&y, m_src + k + 8, 8);
      if (x != y) return 8 + __builtin_ctzll(x ^ y) / 8;
      if (m_src[c + 16] != m_src[k + 16]) return 16;
      return m_src[c + 17] != m_src[k + 17] ? 17 : 18;
    }
    int len = 0;
    while (len < cap && At(c + len) == m_src[k + len]) ++len;
    return len;
  }

  void Find(int32_t k, int cap, int& bestLen, int32_t& bestPos) const {
    const int32_t lowest = k - kWindow > -kMaxMatch ? k - kWindow : -kMaxMatch;
    const uint64_t v = Word(k);
    int best = 0;
    int32_t at = 0;
    if (cap >= 6) {
      for (int32_t c = m_t.head6[Hash(v & 0xFFFFFFFFFFFFull)]; c >= lowest;
           c = m_t.prev6[static_cast<uint32_t>(c) & (kRing - 1)]) {
        if (At(c + best) != m_src[k + best]) continue;
        const int len = MatchLength(c, k, cap);
        if (len > best) {
          best = len;
          at = c;
          if (best == cap) break;
        }
      }
    }
    const int most = cap < 5 ? cap : 5;
    if (best < most) {
      for (int32_t c = m_t.head3[Hash(v & 0xFFFFFFull)]; c >= lowest && best < most;
           c = m_t.prev3[static_cast<uint32_t>(c) & (kRing - 1)]) {
        if (At(c + best) != m_src[k + best]) continue;
        const int len = MatchLength(c, k, most);
        if (len > best) {
          best = len;
          at = c;
        }
      }
    }
    bestLen = best;
    bestPos = at;
  }

  ChainTables& m_t;
  const uint8_t* m_src;
  int32_t m_n;
  int m_hashBits = 10;
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

bool LzssEncodeTree(const uint8_t* src, size_t n, uint8_t* dst, size_t limit, size_t& outLen) {
  LzssGroupWriter out(dst, limit);
  LzssEncoder encoder(g_tables);
  if (!encoder.Run(src, n, out)) return false;
  outLen = out.Written();
  return true;
}

bool LzssEncodeFast(const uint8_t* src, size_t n, uint8_t* dst, size_t limit, size_t& outLen) {
  LzssGroupWriter out(dst, limit);
  LzssChainEncoder encoder(g_chains, src, static_cast<int32_t>(n));
  if (!encoder.Run(out)) return false;
  outLen = out.Written();
  return true;
}

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
        std::memcpy(&period, out - dist, 8);
        period &= (uint64_t{1} << (8 * dist)) - 1;
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
  if (!blivo::LzssEncodeFast(static_cast<const uint8_t*>(src), static_cast<size_t>(n),
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

// The three compressors: exact stream layouts, output limits, round trips, and the decoders
// against plain reference decoders written from the stream descriptions, on valid, truncated
// and corrupt streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bbi.h"
#include "blivo.h"
#include "codec.h"

namespace {

using Bytes = std::vector<uint8_t>;

// ---- Inputs ------------------------------------------------------------------------------

Bytes RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& v : b) v = static_cast<uint8_t>(rng());
  return b;
}

// Runs of random length and value, some of them repeating 2- and 4-byte patterns.
Bytes RunBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b;
  while (b.size() < n) {
    const size_t len = 1 + rng() % 300;
    const uint32_t pattern = rng();
    const unsigned period = 1u << (rng() % 3);
    for (size_t i = 0; i < len && b.size() < n; ++i)
      b.push_back(static_cast<uint8_t>(pattern >> (8 * (i % period))));
  }
  return b;
}

Bytes TextBytes(size_t n, uint32_t seed) {
  static const char* const kWords[] = {
      "the", "ball", "player", "stage", "round", "blast", "shot", "winner", "draw", "edge",
      "homing", "ground", "field", "match", "four", "keys", "score", "bounce", "of", "and",
      "a", "to", "in", "is", "knocked", "off", "screen", "explodes", "survivor", "mode"};
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < n) {
    s += kWords[rng() % std::size(kWords)];
    const unsigned r = rng() % 16;
    s += r == 0 ? ".\n" : r == 1 ? ", " : " ";
  }
  return Bytes(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
}

// A BBI block of flat rectangles and discs over a backdrop, a horizontal and a vertical
// gradient: what the game's screens are made of.
Bytes BbiBlock(int32_t w, int32_t h) {
  Bytes block(static_cast<size_t>(blivo::BlockSize(w, h, 0)));
  blivo::WriteHeader(block.data(), w, h, 0);
  const blivo::Image img = blivo::View(block.data());
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      uint32_t c = 0xFF102040u;
      if (y < h / 6) c = 0xFF000000u | (static_cast<uint32_t>(x * 255 / w) << 16) | 0x40u;
      else if (x >= w - w / 8) c = 0xFF000000u | (static_cast<uint32_t>(y * 255 / h) << 8);
      else if ((x / 100 + y / 90) % 3 == 0 && x % 100 < 70 && y % 90 < 60) c = 0xFFE0C020u;
      else if ((x - 300) * (x - 300) + (y - 350) * (y - 350) < 120 * 120) c = 0x80FF3010u;
      img.At(x, y) = c;
    }
  }
  return block;
}

// ---- Reference coders, written straight from the stream descriptions ---------------------

struct BitSink {
  Bytes bytes;
  size_t count = 0;
  void Put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (count % 8 == 0) bytes.push_back(0);
      if ((value >> i) & 1u) bytes.back() = static_cast<uint8_t>(bytes.back() | (0x80u >> (count % 8)));
      ++count;
    }
  }
};

// "0110 1..." to bytes, MSB first, padded with zero bits; spaces are ignored.
Bytes FromBits(const std::string& text) {
  BitSink sink;
  for (char c : text)
    if (c == '0' || c == '1') sink.Put(c == '1' ? 1u : 0u, 1);
  return sink.bytes;
}

std::string Repeat(const std::string& s, int times) {
  std::string r;
  for (int i = 0; i < times; ++i) r += s;
  return r;
}

Bytes RefPairEncode(const Bytes& in) {
  BitSink out;
  unsigned pf = 0, pg = 0;
  for (size_t i = 0; i < in.size(); i += 2) {
    const unsigned f = in[i], g = i + 1 < in.size() ? in[i + 1] : 0;
    const bool topF = (f >> 5) == (pf >> 5), topG = (g >> 5) == (pg >> 5);
    if (g == pg && f == pf) {
      out.Put(7, 3);
    } else if (g == pg) {
      out.Put(6, 3), out.Put(f, 8);
    } else if (f == pg) {
      out.Put(5, 3), out.Put(g, 8);
    } else if (f == g) {
      out.Put(4, 3), out.Put(f, 8);
    } else if (topF && topG) {
      out.Put(3, 3), out.Put(f & 31, 5), out.Put(g & 31, 5);
    } else if (topF) {
      out.Put(2, 3), out.Put(f & 31, 5), out.Put(g, 8);
    } else if (topG) {
      out.Put(1, 3), out.Put(f, 8), out.Put(g & 31, 5);
    } else {
      out.Put(0, 3), out.Put(f, 8), out.Put(g, 8);
    }
    pf = f, pg = g;
  }
  out.Put(0, 8);
  return out.bytes;
}

Bytes RefRepeatEncode(const Bytes& in) {
  BitSink out;
  uint8_t prev[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < in.size(); i += 4) {
    uint8_t g[4] = {0, 0, 0, 0};
    for (size_t j = 0; j < 4 && i + j < in.size(); ++j) g[j] = in[i + j];
    if (std::memcmp(g, prev, 4) == 0) {
      out.Put(1, 1);
    } else {
      out.Put(0, 1);
      for (uint8_t b : g) out.Put(b, 8);
      std::memcpy(prev, g, 4);
    }
  }
  return out.bytes;
}

struct Decoded {
  int32_t result = 1;
  Bytes out;
};

struct LzssItem {
  size_t at;  // output position
  bool literal;
  unsigned pos, len;
};

// The ring decoder as described: 4096 zero bytes, writes from 4078, copies byte by byte.
Decoded RefLzssDecode(const Bytes& s, size_t n, std::vector<LzssItem>* items = nullptr) {
  uint8_t ring[4096] = {};
  unsigned r = 4078, flags = 0;
  size_t pos = 0;
  Decoded d;
  auto emit = [&](uint8_t c) {
    d.out.push_back(c);
    ring[r] = c;
    r = (r + 1) & 4095;
  };
  while (d.out.size() < n) {
    flags >>= 1;
    if ((flags & 256) == 0) {
      if (pos >= s.size()) break;
      flags = s[pos++] | 0xFF00u;
    }
    if (flags & 1) {
      if (pos >= s.size()) break;
      if (items) items->push_back({d.out.size(), true, 0, 1});
      emit(s[pos++]);
    } else {
      if (pos + 2 > s.size()) break;
      const unsigned p = s[pos] | ((s[pos + 1] & 0xF0u) << 4), len = (s[pos + 1] & 15u) + 3;
      pos += 2;
      if (items) items->push_back({d.out.size(), false, p, len});
      for (unsigned i = 0; i < len && d.out.size() < n; ++i) emit(ring[(p + i) & 4095]);
    }
  }
  d.result = d.out.size() == n ? 0 : 1;
  d.out.resize(n, 0);
  return d;
}

struct BitSource {
  const Bytes& s;
  size_t bit = 0;
  bool Get(int count, unsigned& v) {
    if (bit + static_cast<size_t>(count) > s.size() * 8) return false;
    v = 0;
    for (int i = 0; i < count; ++i, ++bit) v = (v << 1) | ((s[bit / 8] >> (7 - bit % 8)) & 1u);
    return true;
  }
};

Decoded RefPairDecode(const Bytes& s, size_t n) {
  BitSource in{s};
  unsigned pf = 0, pg = 0;
  Decoded d;
  while (d.out.size() < n) {
    unsigned code = 0, a = 0, b = 0;
    if (!in.Get(3, code)) break;
    unsigned f = pf, g = pg;
    bool ok = true;
    switch (code) {
      case 7: break;
      case 6: ok = in.Get(8, f); break;
      case 5: f = pg, ok = in.Get(8, g); break;
      case 4: ok = in.Get(8, f), g = f; break;
      case 3: ok = in.Get(5, a) && in.Get(5, b), f = (pf & 0xE0) | a, g = (pg & 0xE0) | b; break;
      case 2: ok = in.Get(5, a) && in.Get(8, g), f = (pf & 0xE0) | a; break;
      case 1: ok = in.Get(8, f) && in.Get(5, b), g = (pg & 0xE0) | b; break;
      default: ok = in.Get(8, f) && in.Get(8, g); break;
    }
    if (!ok) break;
    pf = f, pg = g;
    d.out.push_back(static_cast<uint8_t>(f));
    if (d.out.size() < n) d.out.push_back(static_cast<uint8_t>(g));
  }
  d.result = d.out.size() == n ? 0 : 1;
  d.out.resize(n, 0);
  return d;
}

Decoded RefRepeatDecode(const Bytes& s, size_t n) {
  BitSource in{s};
  unsigned prev[4] = {0, 0, 0, 0};
  Decoded d;
  while (d.out.size() < n) {
    unsigned flag = 0;
    if (!in.Get(1, flag)) break;
    if (flag == 0) {
      unsigned g[4];
      if (!(in.Get(8, g[0]) && in.Get(8, g[1]) && in.Get(8, g[2]) && in.Get(8, g[3]))) break;
      std::copy(g, g + 4, prev);
    }
    for (int j = 0; j < 4 && d.out.size() < n; ++j) d.out.push_back(static_cast<uint8_t>(prev[j]));
  }
  d.result = d.out.size() == n ? 0 : 1;
  d.out.resize(n, 0);
  return d;
}

// ---- The methods as a table ----------------------------------------------------------------

struct Method {
  const char* name;
  decltype(&::Encoder) encode;
  decltype(&::Decoder) decode;
  decltype(&::DecoderEx) decodeEx;
  Decoded (*reference)(const Bytes&, size_t);
  int32_t margin;    // the limit is n - margin once n reaches it
  int32_t shortest;  // inputs this short or shorter always fail
};

Decoded RefLzss(const Bytes& s, size_t n) { return RefLzssDecode(s, n); }

const Method kMethods[] = {
    {"Encoder", Encoder, Decoder, DecoderEx, RefLzss, 48, 16},
    {"iEncoder", iEncoder, iDecoder, iDecoderEx, RefPairDecode, 48, 16},
    {"ioEncoder", ioEncoder, ioDecoder, ioDecoderEx, RefRepeatDecode, 64, 64},
};

int64_t Limit(const Method& m, int32_t n) { return n >= m.margin ? n - m.margin : n; }

// Encodes into a buffer of exactly n bytes; the stream comes back trimmed to its length.
bool Encode(const Method& m, const Bytes& in, Bytes& stream) {
  stream.assign(std::max<size_t>(in.size(), 1), 0);
  int32_t len = -1;
  if (m.encode(in.data(), stream.data(), static_cast<int32_t>(in.size()), &len) != 0) return false;
  EXPECT_GE(len, 0);
  EXPECT_LT(len, Limit(m, static_cast<int32_t>(in.size())));
  stream.resize(static_cast<size_t>(len));
  return true;
}

// Decodes from a heap copy of exactly the given bytes, so any read past them is caught.
Decoded DecodeEx(const Method& m, const Bytes& stream, size_t n) {
  const Bytes exact(stream);
  Decoded d;
  d.out.assign(n, 0xCC);
  d.result = m.decodeEx(exact.data(), static_cast<int32_t>(exact.size()), d.out.data(),
                        static_cast<int32_t>(n));
  return d;
}

// ---- Exact layouts -------------------------------------------------------------------------

TEST(CodecLayout, LzssLiteralGroupAndReference) {
  // Ten distinct bytes, then the same ten twice: one full literal group, then two literals, one
  // 18-byte reference back to ring position 4078 (the first byte), and two literals.
  const std::string text = "ABCDEFGHIJABCDEFGHIJABCDEFGHIJ";
  const Bytes in(text.begin(), text.end());
  Bytes stream;
  ASSERT_TRUE(Encode(kMethods[0], in, stream));
  const Bytes expected = {0xFF, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H',
                          0x1B, 'I', 'J', 0xEE, 0xF0 | (18 - 3), 'I', 'J'};
  EXPECT_EQ(stream, expected);
}

TEST(CodecLayout, LzssDecoderOverlapsAndStopsInsideAReference) {
  // A literal, then a 5-byte reference to the byte just written (ring position 4078).
  const Bytes stream = {0x01, 'x', 0xEE, 0xF0 | (5 - 3)};
  Bytes out(6, 0);
  EXPECT_EQ(Decoder(stream.data(), out.data(), 6), 0);
  EXPECT_EQ(out, Bytes(6, 'x'));
  Bytes cut(4, 0);
  EXPECT_EQ(DecoderEx(stream.data(), 4, cut.data(), 4), 0);
  EXPECT_EQ(cut, Bytes(4, 'x'));
  // References into the part of the ring nothing was written to yet read zeros.
  const Bytes zeros = {0x00, 0x34, 0x12 | 0x0F};
  Bytes z(18, 0xAA);
  EXPECT_EQ(DecoderEx(zeros.data(), 3, z.data(), 18), 0);
  EXPECT_EQ(z, Bytes(18, 0));
  // Two literals, then 5 bytes from position 4076: two zeros, the literals, and the first zero
  // again, which the reference itself wrote at 4080.
  const Bytes straddle = {0x03, 'a', 'b', 0xEC, 0xF0 | (5 - 3)};
  Bytes s(7, 0xAA);
  EXPECT_EQ(DecoderEx(straddle.data(), 5, s.data(), 7), 0);
  EXPECT_EQ(s, (Bytes{'a', 'b', 0, 0, 'a', 'b', 0}));
}

TEST(CodecLayout, PairCodes) {
  struct Case {
    const char* what;
    Bytes in;
    std::string bits;
  } const cases[] = {
      {"a new pair, then the same pair", {0x41, 0x42, 0x41, 0x42, 0x41, 0x42, 0x41, 0x42, 0x41,
                                          0x42, 0x41, 0x42, 0x41, 0x42, 0x41, 0x42, 0x41, 0x42},
       "000 01000001 01000010" + Repeat("111", 8) + "00000000"},
      {"(1,2) after (0,0) keeps the top bits", {0, 0, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2},
       "111 011 00001 00010" + Repeat("111", 7) + "00000000"},
      {"each code once, odd length",
       {0x10, 0x20, 0x30, 0x20, 0x20, 0x90, 0x55, 0x55, 0x45, 0x5A, 0x4F, 0xC1, 0x01, 0x11,
        0x90, 0x12, 0x90, 0x12, 0x77},
       // (10,20) after (0,0): only f keeps its top bits, 2. (30,20): g repeats, 6.
       // (20,90): f is the previous g, 5. (55,55): f = g, 4. (45,5A): both tops kept, 3.
       // (4F,C1): f's top kept, 2. (01,11): nothing kept, 0. (90,12): g's top kept, 1.
       // (90,12) again: 7. (77) and the padding 0: g's top kept, 1.
       "010 10000 00100000" "110 00110000" "101 10010000" "100 01010101" "011 00101 11010"
       "010 01111 11000001" "000 00000001 00010001" "001 10010000 10010" "111"
       "001 01110111 00000" "00000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes stream;
    ASSERT_TRUE(Encode(kMethods[1], c.in, stream));
    EXPECT_EQ(stream, FromBits(c.bits));
    EXPECT_EQ(DecodeEx(kMethods[1], stream, c.in.size()).out, c.in);
  }
}

TEST(CodecLayout, RepeatGroups) {
  Bytes same;
  for (int i = 0; i < 32; ++i) same.insert(same.end(), {0x12, 0x34, 0x56, 0x78});
  Bytes zerosThenTail(128, 0);
  zerosThenTail.insert(zerosThenTail.end(), {0xAB, 0xCD});
  struct Case {
    const char* what;
    Bytes in;
    std::string bits;
  } const cases[] = {
      {"a new group, then repeats", same,
       "0 00010010 00110100 01010110 01111000" + Repeat("1", 31)},
      {"zero groups repeat the initial group", Bytes(128, 0), Repeat("1", 32)},
      {"a short last group is padded with zeros", zerosThenTail,
       Repeat("1", 32) + "0 10101011 11001101 00000000 00000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes stream;
    ASSERT_TRUE(Encode(kMethods[2], c.in, stream));
    EXPECT_EQ(stream, FromBits(c.bits));
    EXPECT_EQ(DecodeEx(kMethods[2], stream, c.in.size()).out, c.in);
  }
}

// Against the reference encoders, bit for bit, with success exactly when the reference
// stream stays below the limit.
TEST(CodecLayout, PairAndRepeatMatchReferenceEncoders) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const size_t n = 1 + rng() % 700;
    Bytes in = seed % 3 == 0 ? RunBytes(n, seed) : seed % 3 == 1 ? TextBytes(n, seed)
                                                                 : RandomBytes(n, seed);
    if (seed % 5 == 0)
      for (auto& b : in) b = static_cast<uint8_t>(b & 0x87);  // fewer distinct values
    for (int which : {1, 2}) {
      const Method& m = kMethods[which];
      const Bytes ref = which == 1 ? RefPairEncode(in) : RefRepeatEncode(in);
      const int32_t size = static_cast<int32_t>(in.size());
      const bool fits = size > m.shortest && static_cast<int64_t>(ref.size()) < Limit(m, size);
      Bytes stream;
      ASSERT_EQ(Encode(m, in, stream), fits) << m.name << " n=" << n << " ref " << ref.size();
      if (fits) {
        EXPECT_EQ(stream, ref) << m.name;
      }
    }
  }
}

// ---- Limits --------------------------------------------------------------------------------

TEST(CodecLimits, ShortAndBorderInputs) {
  struct Case {
    int method;
    size_t n;
    int32_t result;
  } const cases[] = {
      // Zeros: LZSS sends 18-byte references (the first into the ring's zeros), the pair coder
      // 3 bits per pair and 8 closing bits, the repeat coder one bit per group.
      {0, 16, 1}, {0, 17, 0}, {0, 47, 0}, {0, 48, 1}, {0, 49, 1},   // 3 bytes, limit 1
      {0, 57, 1}, {0, 58, 0},                                       // 9 bytes, limits 9 and 10
      {1, 16, 1}, {1, 17, 0}, {1, 47, 0}, {1, 48, 1}, {1, 100, 0},
      {1, 61, 1}, {1, 62, 0},                                       // 13 bytes, limits 13, 14
      {2, 64, 1}, {2, 65, 1}, {2, 67, 1}, {2, 68, 0}, {2, 200, 0},  // 3 bytes, limits 3, 4
  };
  for (const Case& c : cases) {
    const Method& m = kMethods[c.method];
    const Bytes zeros(c.n, 0);
    Bytes dst(c.n + 8, 0);
    int32_t len = -1;
    EXPECT_EQ(m.encode(zeros.data(), dst.data(), static_cast<int32_t>(c.n), &len), c.result)
        << m.name << " n=" << c.n;
    if (c.result == 0) {
      Bytes out(c.n, 0xEE);
      EXPECT_EQ(m.decodeEx(dst.data(), len, out.data(), static_cast<int32_t>(c.n)), 0);
      EXPECT_EQ(out, zeros);
    }
  }
  // 4096 equal bytes end up far below the limit.
  const Bytes same(4096, 0x5C);
  Bytes dst(4096);
  int32_t len = 0;
  ASSERT_EQ(Encoder(same.data(), dst.data(), 4096, &len), 0);
  EXPECT_LT(len, 4096 / 8);
}

TEST(CodecLimits, IncompressibleInputFails) {
  for (const Method& m : kMethods) {
    for (size_t n : {17u, 65u, 1000u, 65536u}) {
      const Bytes in = RandomBytes(n, static_cast<uint32_t>(n));
      Bytes stream;
      EXPECT_FALSE(Encode(m, in, stream)) << m.name << " n=" << n;
    }
  }
}

// Output sizes of inputs whose parse is forced: m distinct non-zero bytes, then a run of R
// equal bytes (a literal, then 18-byte references, then what is left). The encoder must
// succeed exactly when that size is below n - 48.
TEST(CodecLimits, LzssSucceedsExactlyBelowTheLimit) {
  auto sizeOf = [](size_t m, size_t runLen) {
    size_t items = m + 1, bytes = m + 1, rest = runLen - 1;
    for (; rest >= 3; rest -= std::min<size_t>(rest, 18)) items += 1, bytes += 2;
    items += rest, bytes += rest;
    return bytes + (items + 7) / 8;
  };
  int below = 0, at = 0;
  for (size_t m = 20; m <= 120; m += 7) {
    for (size_t runLen = 3; runLen <= 400; ++runLen) {
      const size_t n = m + runLen;
      if (n < 50) continue;
      const size_t expected = sizeOf(m, runLen);
      if (expected + 49 != n && expected + 48 != n) continue;
      Bytes in;
      for (size_t i = 0; i < m; ++i) in.push_back(static_cast<uint8_t>(1 + i * 2));
      in.insert(in.end(), runLen, 0xFE);
      Bytes stream;
      const bool ok = Encode(kMethods[0], in, stream);
      if (expected + 49 == n) {
        ++below;
        ASSERT_TRUE(ok) << "m=" << m << " run=" << runLen;
        EXPECT_EQ(stream.size(), expected);
      } else {
        ++at;
        EXPECT_FALSE(ok) << "m=" << m << " run=" << runLen;
      }
    }
  }
  EXPECT_GT(below, 3);
  EXPECT_GT(at, 3);
}

// The encoders write nothing at or past the limit, even while failing; guard bytes of two
// different values catch every stray write.
TEST(CodecLimits, NothingWrittenPastTheLimit) {
  for (uint32_t seed = 1; seed <= 120; ++seed) {
    std::mt19937 rng(seed);
    const size_t n = 1 + rng() % 400;
    const Bytes in = seed % 2 ? RunBytes(n, seed) : TextBytes(n, seed);
    for (const Method& m : kMethods) {
      const int64_t limit = Limit(m, static_cast<int32_t>(n));
      for (uint8_t guard : {uint8_t{0xA5}, uint8_t{0x5A}}) {
        Bytes dst(n + 64, guard);
        int32_t len = -1;
        const int32_t result = m.encode(in.data(), dst.data(), static_cast<int32_t>(n), &len);
        const size_t clean = result == 0 ? static_cast<size_t>(len)
                                         : static_cast<size_t>(std::max<int64_t>(limit - 1, 0));
        if (result == 0) {
          ASSERT_LT(len, limit) << m.name << " seed " << seed;
        }
        for (size_t i = clean; i < dst.size(); ++i)
          ASSERT_EQ(dst[i], guard) << m.name << " seed " << seed << " n=" << n << " at " << i;
      }
    }
  }
}

// ---- Round trips ---------------------------------------------------------------------------

TEST(CodecRoundTrip, VariedInputs) {
  struct Input {
    const char* what;
    Bytes bytes;
    unsigned mustCompress;  // bit i: method i must succeed
  };
  std::vector<Input> inputs = {
      {"zeros", Bytes(10000, 0), 7},
      {"runs", RunBytes(50001, 7), 7},
      {"text", TextBytes(30000, 3), 1},
      {"bbi 800x600", BbiBlock(800, 600), 5},
      {"bbi 33x7", BbiBlock(33, 7), 0},
      {"random", RandomBytes(5000, 9), 0},
  };
  for (size_t n : {17u, 63u, 65u, 66u, 67u, 101u, 4095u, 4097u, 4099u})
    inputs.push_back({"odd runs", RunBytes(n, static_cast<uint32_t>(n)), 0});
  for (const Input& input : inputs) {
    int successes = 0;
    for (const Method& m : kMethods) {
      const bool must = (input.mustCompress >> (&m - kMethods)) & 1u;
      SCOPED_TRACE(std::string(m.name) + " on " + input.what + " n=" +
                   std::to_string(input.bytes.size()));
      Bytes stream;
      const bool ok = Encode(m, input.bytes, stream);
      if (must) {
        ASSERT_TRUE(ok);
      }
      if (!ok) continue;
      ++successes;
      const size_t n = input.bytes.size();
      const Decoded d = DecodeEx(m, stream, n);
      EXPECT_EQ(d.result, 0);
      EXPECT_TRUE(d.out == input.bytes);
      // The unbounded form reads only what the stream holds.
      const Bytes exact(stream);
      Bytes out(n, 0xCC);
      EXPECT_EQ(m.decode(exact.data(), out.data(), static_cast<int32_t>(n)), 0);
      EXPECT_TRUE(out == input.bytes);
    }
    if (std::string(input.what) != "random") {
      EXPECT_GT(successes, 0) << input.what;
    }
  }
}

// Every reference the encoders send is the longest the window offers (distances 1..4078,
// bytes before the input being the ring's zeros), and shorter than 3 goes out as a literal.
// The tree encoder and the fast one therefore agree item for item on lengths.
using Encode0 = bool (*)(const uint8_t*, size_t, uint8_t*, size_t, size_t&);

std::vector<LzssItem> LzssParse(Encode0 encode, const Bytes& in) {
  Bytes stream(in.size());
  size_t len = 0;
  EXPECT_TRUE(encode(in.data(), in.size(), stream.data(), in.size(), len));
  stream.resize(len);
  std::vector<LzssItem> items;
  const Decoded d = RefLzssDecode(stream, in.size(), &items);
  EXPECT_EQ(d.result, 0);
  EXPECT_TRUE(d.out == in);
  return items;
}

TEST(CodecRoundTrip, LzssParseIsGreedyLongest) {
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Bytes in = TextBytes(3000, seed);
    const Bytes runs = seed % 2 ? RunBytes(3000, seed) : BbiBlock(25, 30);
    in.insert(in.begin() + 1500, runs.begin(), runs.end());
    if (seed == 2) in.insert(in.begin(), 40, 0);  // matches into the initial zeros
    if (seed == 3) in.insert(in.begin(), {0, 0, 7, 0, 0});
    const std::vector<LzssItem> fast = LzssParse(blivo::LzssEncodeFast, in);
    const std::vector<LzssItem> tree = LzssParse(blivo::LzssEncodeTree, in);
    ASSERT_EQ(fast.size(), tree.size());
    const auto at = [&](int64_t i) { return i < 0 ? uint8_t{0} : in[static_cast<size_t>(i)]; };
    for (size_t i = 0; i < fast.size(); ++i) {
      const LzssItem& item = fast[i];
      ASSERT_EQ(item.at, tree[i].at);
      ASSERT_EQ(item.literal, tree[i].literal) << "at " << item.at;
      const int64_t k = static_cast<int64_t>(item.at);
      const int64_t cap = std::min<int64_t>(18, static_cast<int64_t>(in.size()) - k);
      int64_t best = 0;
      for (int64_t dist = 1; dist <= std::min<int64_t>(4078, k + 18) && best < cap; ++dist) {
        int64_t len = 0;
        while (len < cap && at(k - dist + len) == in[static_cast<size_t>(k + len)]) ++len;
        best = std::max(best, len);
      }
      if (best < 3) {
        ASSERT_TRUE(item.literal) << "at " << k;
      } else {
        ASSERT_FALSE(item.literal) << "at " << k;
        ASSERT_EQ(std::min<int64_t>(item.len, cap), best) << "at " << k;
        ASSERT_EQ(std::min<int64_t>(tree[i].len, cap), best) << "at " << k;
      }
    }
  }
}

// Beyond the brute-force check: long inputs give the same stream length and parse either way.
TEST(CodecRoundTrip, LzssFastEncoderMatchesTree) {
  const Bytes inputs[] = {BbiBlock(160, 120), TextBytes(60000, 5), RunBytes(60000, 6)};
  for (const Bytes& in : inputs) {
    const std::vector<LzssItem> fast = LzssParse(blivo::LzssEncodeFast, in);
    const std::vector<LzssItem> tree = LzssParse(blivo::LzssEncodeTree, in);
    ASSERT_EQ(fast.size(), tree.size());
    for (size_t i = 0; i < fast.size(); ++i) {
      ASSERT_EQ(fast[i].at, tree[i].at);
      ASSERT_EQ(fast[i].literal, tree[i].literal);
      ASSERT_EQ(std::min<size_t>(fast[i].len, in.size() - fast[i].at),
                std::min<size_t>(tree[i].len, in.size() - tree[i].at));
    }
  }
}

// ---- Bounded decoders ----------------------------------------------------------------------

TEST(CodecBounded, TruncatedStreams) {
  for (const Method& m : kMethods) {
    SCOPED_TRACE(m.name);
    const Bytes in = RunBytes(3001, 11);
    Bytes stream;
    ASSERT_TRUE(Encode(m, in, stream));
    // Only the pair coder's closing zero byte may go missing.
    const size_t needed = m.encode == iEncoder ? stream.size() - 1 : stream.size();
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
      const Bytes part(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut));
      const Decoded d = DecodeEx(m, part, in.size());
      const Decoded ref = m.reference(part, in.size());
      ASSERT_EQ(d.result, cut >= needed ? 0 : 1) << "cut " << cut;
      ASSERT_TRUE(d.out == ref.out) << "cut " << cut;
    }
  }
}

TEST(CodecBounded, BadArguments) {
  const Bytes stream = {0xFF, 1, 2, 3, 4, 5, 6, 7, 8};
  for (const Method& m : kMethods) {
    uint8_t out[4] = {9, 9, 9, 9};
    EXPECT_EQ(m.decodeEx(stream.data(), 9, out, 0), 1) << m.name;
    EXPECT_EQ(m.decodeEx(stream.data(), 9, out, -5), 1) << m.name;
    EXPECT_EQ(m.decode(stream.data(), out, 0), 1) << m.name;
    EXPECT_EQ(out[0], 9) << m.name;
    // A missing or negative-length stream is an empty one.
    EXPECT_EQ(m.decodeEx(nullptr, 100, out, 4), 1) << m.name;
    EXPECT_EQ(m.decodeEx(stream.data(), -1, out, 4), 1) << m.name;
    EXPECT_EQ(Bytes(out, out + 4), Bytes(4, 0)) << m.name;
    int32_t len = 77;
    EXPECT_EQ(m.encode(nullptr, out, 100, &len), 1) << m.name;
    EXPECT_EQ(len, 77) << m.name;
  }
}

// Garbage and valid streams of many sizes: the fast decoders agree with the reference ones
// byte for byte and in their result.
TEST(CodecBounded, MatchReferenceDecoders) {
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    std::mt19937 rng(seed);
    const size_t n = 1 + rng() % (seed % 4 < 2 ? 20000 : 600);
    Bytes stream;
    if (seed % 2 == 0) {
      stream = RandomBytes(rng() % (n + 64), seed * 7);
      if (seed % 8 == 2)
        for (auto& b : stream) b = static_cast<uint8_t>(b | 0xE0);  // long runs of 1 bits
    }
    for (const Method& m : kMethods) {
      SCOPED_TRACE(std::string(m.name) + " seed " + std::to_string(seed) + " n=" +
                   std::to_string(n));
      Bytes s = stream;
      if (seed % 2 == 1) {
        const Bytes in = seed % 3 ? RunBytes(n, seed) : TextBytes(n, seed);
        if (!Encode(m, in, s)) continue;
      }
      const Decoded ref = m.reference(s, n);
      const Decoded d = DecodeEx(m, s, n);
      ASSERT_EQ(d.result, ref.result);
      ASSERT_TRUE(d.out == ref.out);
    }
  }
}

}  // namespace

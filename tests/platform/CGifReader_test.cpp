// Our GIF reader against small GIFs built here: a plain LZW encoder writes the well-formed ones,
// packed codes by hand the broken ones.
#include "platform/CGifReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/CPicture.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Rgb = std::vector<uint8_t>;  // 3 bytes a colour table entry

// Codes packed least significant bit first, as GIF stores them.
class CodePacker {
 public:
  void Put(uint32_t code, int width) {
    m_bits |= uint64_t{code} << m_count;
    m_count += width;
    while (m_count >= 8) {
      m_bytes.push_back(static_cast<uint8_t>(m_bits));
      m_bits >>= 8;
      m_count -= 8;
    }
  }
  Bytes Finish() {
    if (m_count > 0) m_bytes.push_back(static_cast<uint8_t>(m_bits));
    m_bits = 0;
    m_count = 0;
    return std::move(m_bytes);
  }

 private:
  Bytes m_bytes;
  uint64_t m_bits = 0;
  int m_count = 0;
};

// What the encoder did: the codes it wrote, where the table filled and the last entry's string.
struct LzwTrace {
  std::vector<uint32_t> emitted;
  size_t fullAt = 0;  // the pixel that starts the string after the last entry's prefix
  Bytes lastEntry;
};

// A greedy LZW encoder. clearWhenFull false leaves a full table in place, so the reader must
// go on with 12-bit codes and no new entries.
Bytes EncodeLzw(const Bytes& indices, int minCodeSize, bool clearWhenFull = true,
                LzwTrace* trace = nullptr) {
  const uint32_t clear = 1u << minCodeSize;
  CodePacker out;
  std::map<std::pair<uint32_t, uint8_t>, uint32_t> table;
  std::vector<Bytes> strings(4096);
  for (uint32_t i = 0; i < clear; ++i) strings[i] = {static_cast<uint8_t>(i)};
  uint32_t next = clear + 2;
  int width = minCodeSize + 1;
  out.Put(clear, width);
  bool havePrefix = false;
  uint32_t prefix = 0;
  for (size_t at = 0; at < indices.size(); ++at) {
    const uint8_t index = indices[at];
    if (!havePrefix) {
      prefix = index;
      havePrefix = true;
      continue;
    }
    const auto found = table.find({prefix, index});
    if (found != table.end()) {
      prefix = found->second;
      continue;
    }
    out.Put(prefix, width);
    if (trace != nullptr) trace->emitted.push_back(prefix);
    if (next < 4096) {
      table[{prefix, index}] = next;
      strings[next] = strings[prefix];
      strings[next].push_back(index);
      if (next == 4095 && trace != nullptr) {
        trace->fullAt = at;
        trace->lastEntry = strings[next];
      }
      ++next;
      // The reader adds this entry one code later, so the width grows one code later too.
      if (next > (1u << width) && width < 12) ++width;
    }
    if (next == 4096 && clearWhenFull) {
      out.Put(clear, width);
      table.clear();
      next = clear + 2;
      width = minCodeSize + 1;
    }
    prefix = index;
  }
  if (havePrefix) out.Put(prefix, width);
  out.Put(clear + 1, width);
  return out.Finish();
}

Bytes SubBlocks(const Bytes& data) {
  Bytes out;
  for (size_t at = 0; at < data.size(); at += 255) {
    const size_t n = std::min<size_t>(255, data.size() - at);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(at),
               data.begin() + static_cast<ptrdiff_t>(at + n));
  }
  out.push_back(0);
  return out;
}

void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

// The table size field for a table of n entries (n a power of two, 2..256).
uint8_t SizeBits(size_t entries) {
  uint8_t bits = 0;
  while ((size_t{2} << bits) < entries) ++bits;
  return bits;
}

struct GifPlan {
  uint16_t width = 0, height = 0;
  Bytes indices;  // rows top to bottom
  Rgb global;     // empty: no global table
  Rgb local;      // empty: no local table
  int transparent = -1;
  bool interlaced = false;
  int minCodeSize = 2;
  bool clearWhenFull = true;
  const char* version = "GIF89a";
};

GifPlan Plan(uint16_t width, uint16_t height, Bytes indices, Rgb global = {}, Rgb local = {}) {
  GifPlan s;
  s.width = width;
  s.height = height;
  s.indices = std::move(indices);
  s.global = std::move(global);
  s.local = std::move(local);
  return s;
}

Bytes Rows(const GifPlan& s) {
  if (!s.interlaced) return s.indices;
  Bytes out;
  static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < s.height; y += kStep[pass])
      out.insert(out.end(), s.indices.begin() + y * s.width, s.indices.begin() + (y + 1) * s.width);
  return out;
}

// Header, screen, tables and extensions up to the minimum code size byte.
Bytes Head(const GifPlan& s) {
  Bytes b(s.version, s.version + 6);
  Put16(b, s.width);
  Put16(b, s.height);
  b.push_back(s.global.empty() ? 0 : static_cast<uint8_t>(0x80 | SizeBits(s.global.size() / 3)));
  b.push_back(0);  // background
  b.push_back(0);  // aspect
  b.insert(b.end(), s.global.begin(), s.global.end());
  // A comment first, which the reader must skip whole (two sub-blocks).
  for (int v : std::initializer_list<int>{0x21, 0xFE, 3, 'a', 'b', 'c', 1, 'd', 0})
    b.push_back(static_cast<uint8_t>(v));
  if (s.transparent >= 0)
    for (int v : std::initializer_list<int>{0x21, 0xF9, 4, 1, 0, 0, s.transparent, 0})
      b.push_back(static_cast<uint8_t>(v));
  b.push_back(0x2C);
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, s.width);
  Put16(b, s.height);
  uint8_t flags = s.interlaced ? 0x40 : 0;
  if (!s.local.empty()) flags |= static_cast<uint8_t>(0x80 | SizeBits(s.local.size() / 3));
  b.push_back(flags);
  b.insert(b.end(), s.local.begin(), s.local.end());
  b.push_back(static_cast<uint8_t>(s.minCodeSize));
  return b;
}

Bytes WithData(Bytes head, const Bytes& codes, bool trailer = true) {
  const Bytes blocks = SubBlocks(codes);
  head.insert(head.end(), blocks.begin(), blocks.end());
  if (trailer) head.push_back(0x3B);
  return head;
}

Bytes Encode(const GifPlan& s) {
  return WithData(Head(s), EncodeLzw(Rows(s), s.minCodeSize, s.clearWhenFull));
}

std::vector<uint32_t> Expected(const GifPlan& s) {
  const Rgb& table = s.local.empty() ? s.global : s.local;
  std::vector<uint32_t> out;
  for (uint8_t i : s.indices) {
    uint32_t argb = 0xFFFFFFFFu;
    if (size_t{i} * 3 + 2 < table.size())
      argb = 0xFF000000u | uint32_t{table[i * 3u]} << 16 | uint32_t{table[i * 3u + 1]} << 8 |
             table[i * 3u + 2];
    if (i == s.transparent) argb &= 0x00FFFFFFu;
    out.push_back(argb);
  }
  return out;
}

Rgb Palette(size_t entries, uint32_t seed) {
  std::mt19937 rng(seed);
  Rgb out(entries * 3);
  for (uint8_t& v : out) v = static_cast<uint8_t>(rng());
  return out;
}

Bytes RandomRuns(size_t count, int colours, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out;
  while (out.size() < count) {
    const uint8_t index = static_cast<uint8_t>(rng() % colours);
    out.insert(out.end(), std::min<size_t>(1 + rng() % 3, count - out.size()), index);
  }
  return out;
}

// The table fills, then the last entry's string follows again and again: a reader that kept
// the table one entry short (or cleared it) would get these pixels wrong.
GifPlan FullTableReused() {
  GifPlan s = Plan(128, 128, RandomRuns(128 * 128, 256, 13), Palette(256, 14));
  s.minCodeSize = 8;
  s.clearWhenFull = false;
  LzwTrace trace;
  EncodeLzw(s.indices, 8, false, &trace);
  s.indices.resize(trace.fullAt + 1);
  while (s.indices.size() < size_t{128} * 128)
    s.indices.insert(s.indices.end(), trace.lastEntry.begin(), trace.lastEntry.end());
  s.indices.resize(size_t{128} * 128);
  return s;
}

const Rgb kRedBlue = {0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF};

TEST(GifReader, DecodesWellFormedFrames) {
  struct Case {
    std::string name;
    GifPlan plan;
  };
  GifPlan twoColours = Plan(3, 2, {0, 1, 0, 1, 1, 0}, kRedBlue);
  twoColours.version = "GIF87a";
  GifPlan interlaced = Plan(5, 11, RandomRuns(55, 4, 1), Palette(4, 2));
  interlaced.interlaced = true;
  GifPlan local = Plan(4, 3, RandomRuns(12, 8, 3), Palette(4, 4), Palette(8, 5));
  local.minCodeSize = 3;
  GifPlan keyed = Plan(4, 2, {0, 1, 2, 3, 3, 2, 1, 0}, Palette(4, 6));
  keyed.transparent = 2;
  GifPlan noTable = Plan(2, 2, {0, 1, 2, 3});
  GifPlan pastTable = Plan(3, 1, {0, 1, 3}, kRedBlue);  // index 3 of a 2-entry table: white
  GifPlan shortInterlaced = Plan(3, 4, RandomRuns(12, 4, 11), Palette(4, 12));
  shortInterlaced.interlaced = true;  // the second pass has no rows
  // 16 Ki pixels in runs of 256 colours: the table passes 512, 1024, 2048 and fills at 4096,
  // then either clears or goes on full with 12-bit codes.
  GifPlan growing = Plan(128, 128, RandomRuns(128 * 128, 256, 7), Palette(256, 8));
  growing.minCodeSize = 8;
  GifPlan fullTable = growing;
  fullTable.clearWhenFull = false;
  const GifPlan fullTableReused = FullTableReused();
  GifPlan smallCodes = Plan(64, 64, RandomRuns(64 * 64, 4, 9), Palette(4, 10));
  const std::vector<Case> cases = {
      {"two colours 3x2", twoColours},
      {"interlaced 5x11", interlaced},
      {"local table", local},
      {"transparent index", keyed},
      {"no colour table", noTable},
      {"index past the table", pastTable},
      {"table cleared when full", growing},
      {"table kept full", fullTable},
      {"full table reused", fullTableReused},
      {"2-bit codes growing to 12", smallCodes},
      {"interlaced 3x4", shortInterlaced},
  };
  for (const Case& c : cases) {
    const Bytes gif = Encode(c.plan);
    int64_t w = 0, h = 0;
    ASSERT_TRUE(platform::CGifReader::Peek(gif, w, h)) << c.name;
    EXPECT_EQ(w, c.plan.width) << c.name;
    EXPECT_EQ(h, c.plan.height) << c.name;
    platform::Picture picture;
    ASSERT_TRUE(platform::CGifReader::Read(gif, int64_t{c.plan.width} * c.plan.height, picture))
        << c.name;
    EXPECT_EQ(picture.width, c.plan.width) << c.name;
    EXPECT_EQ(picture.height, c.plan.height) << c.name;
    EXPECT_EQ(picture.pixels, Expected(c.plan)) << c.name;
  }
}

TEST(GifReader, TwoColourFrameGivesItsPixels) {
  // The same frame as above with its result written out, so encoder and reader cannot agree on
  // a wrong order or channel layout.
  const GifPlan s = Plan(3, 2, {0, 1, 0, 1, 1, 0}, kRedBlue);
  platform::Picture picture;
  ASSERT_TRUE(platform::CGifReader::Read(Encode(s), 6, picture));
  const std::vector<uint32_t> want = {0xFFFF0000, 0xFF0000FF, 0xFFFF0000,
                                      0xFF0000FF, 0xFF0000FF, 0xFFFF0000};
  EXPECT_EQ(picture.pixels, want);
}

TEST(GifReader, FullTableFixtureUsesTheLastEntry) {
  // A reader that stopped one entry short of a full table would only show it here.
  LzwTrace trace;
  EncodeLzw(FullTableReused().indices, 8, false, &trace);
  EXPECT_GT(std::count(trace.emitted.begin(), trace.emitted.end(), 4095u), 10);
}

// Codes of a given width each, then the end code, for streams no encoder would write.
Bytes Codes(std::initializer_list<std::pair<uint32_t, int>> codes) {
  CodePacker p;
  for (const auto& [code, width] : codes) p.Put(code, width);
  return p.Finish();
}

TEST(GifReader, RefusesBrokenFiles) {
  const GifPlan base = Plan(3, 2, {0, 1, 0, 1, 1, 0}, kRedBlue);
  const Bytes good = Encode(base);
  const Bytes head = Head(base);
  GifPlan codeSize1 = base, codeSize9 = base, codeSize0 = base;
  codeSize1.minCodeSize = 1;
  codeSize9.minCodeSize = 9;
  codeSize0.minCodeSize = 0;
  struct Case {
    std::string name;
    Bytes gif;
    int64_t maxPixels = 6;
  };
  std::vector<Case> cases = {
      {"empty", {}},
      {"header only", Bytes(good.begin(), good.begin() + 13)},
      {"truncated global table", Bytes(good.begin(), good.begin() + 16)},
      {"truncated in the comment", Bytes(good.begin(), good.begin() + 23)},
      {"truncated descriptor", Bytes(head.begin(), head.end() - 4)},
      {"no code size", Bytes(head.begin(), head.end() - 1)},
      {"trailer before any frame",
       Bytes({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B})},
      {"stray byte before the frame",
       [&] {
         Bytes b = good;
         b.insert(b.begin() + 19, 0x00);
         return b;
       }()},
      {"code size 1", Encode(codeSize1)},
      {"code size 9", Encode(codeSize9)},
      {"code size 0", Encode(codeSize0)},
      // clear (4), literal 0, then 7 where the table ends at 6: read as a string of two, it
      // would fill this 3x1 frame.
      {"code beyond the table",
       WithData(Head(Plan(3, 1, {0, 0, 0}, kRedBlue)), Codes({{4, 3}, {0, 3}, {7, 3}, {5, 4}}))},
      {"non-literal after a clear", WithData(head, Codes({{4, 3}, {6, 3}, {5, 3}}))},
      {"end code before the frame is full",
       WithData(head, Codes({{4, 3}, {0, 3}, {1, 3}, {5, 3}}))},
      {"data ends before the frame is full",
       [&] {
         Bytes codes = EncodeLzw(base.indices, 2);
         codes.resize(codes.size() / 2);
         return WithData(head, codes);
       }()},
      {"frame over the limit", good, 5},
      {"frame of no pixels",
       [&] {
         GifPlan s = base;
         s.width = 0;
         s.indices.clear();
         return Encode(s);
       }()},
  };
  for (const Case& c : cases) {
    platform::Picture picture;
    picture.width = 7;
    EXPECT_FALSE(platform::CGifReader::Read(c.gif, c.maxPixels, picture)) << c.name;
    EXPECT_EQ(picture.width, 7) << c.name;
    EXPECT_TRUE(picture.pixels.empty()) << c.name;
  }
  platform::Picture picture;
  EXPECT_TRUE(platform::CGifReader::Read(good, 6, picture));  // the base itself is fine
}

TEST(GifReader, IgnoresWhatFollowsAFullFrame) {
  const GifPlan base = Plan(3, 2, {0, 1, 0, 1, 1, 0}, kRedBlue);
  const Bytes head = Head(base);
  // Literal codes only (no table use), then garbage codes after the sixth pixel, no end code,
  // no trailer.
  const Bytes gif = WithData(
      head, Codes({{4, 3}, {0, 3}, {1, 3}, {0, 3}, {1, 4}, {1, 4}, {0, 4}, {15, 4}, {15, 4}}),
      false);
  platform::Picture picture;
  ASSERT_TRUE(platform::CGifReader::Read(gif, 6, picture));
  EXPECT_EQ(picture.pixels, Expected(base));
}

TEST(GifReader, PictureLoaderUsesIt) {
  GifPlan s = Plan(5, 11, RandomRuns(55, 4, 1), Palette(4, 2));
  s.interlaced = true;
  s.transparent = 1;
  const Bytes gif = Encode(s);
  platform::PictureHeader h;
  ASSERT_TRUE(platform::PeekPicture(gif, h));
  EXPECT_EQ(h.kind, platform::PictureKind::kGif);
  EXPECT_EQ(h.width, 5);
  EXPECT_EQ(h.height, 11);
  platform::Picture picture;
  ASSERT_TRUE(platform::DecodePicture(gif, 55, picture));
  EXPECT_EQ(picture.pixels, Expected(s));
  EXPECT_FALSE(platform::DecodePicture(gif, 54, picture));
}

}  // namespace

// The Hi (RGB565) and Tr (32-bit) descriptor blits: every member on worked pixels, the outline
// and tile fills on padded rows, and descriptors that would reach outside their rows.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "blivo.h"
#include "families_fixture.h"

namespace {

using famtest::RawRows;
using DescFn = int32_t (*)(void*, const void*, int32_t, const BlivoDescriptor*);

struct Member {
  const char* name;
  DescFn hi, tr;
  bool readsSource;
};
#define MEMBER(name, reads) \
  { #name, Hi##name, Tr##name, reads }
const Member kMembers[] = {
    MEMBER(Mov, true),          MEMBER(MovAdd, true),     MEMBER(MovSub, true),
    MEMBER(MovHalf, true),      MEMBER(CMP, true),        MEMBER(CMPHalf, true),
    MEMBER(ColorFill, false),   MEMBER(ColorRect, false), MEMBER(ColorTile, false),
    MEMBER(Feed, false),        MEMBER(Sted, true),       MEMBER(Stencil, true),
    MEMBER(ColorStencil, true), MEMBER(Palette, true),
};
#undef MEMBER

uint16_t Rgb(int r, int g, int b) { return static_cast<uint16_t>((r << 11) | (g << 5) | b); }

// One pixel through one member.
struct PixelCase {
  const char* note;
  DescFn fn;
  uint32_t d, s, colour, key;
  int32_t level;
  uint32_t want;
};

BlivoDescriptor One(int32_t bytes) {
  BlivoDescriptor desc{};
  desc.count = 1;
  desc.rows = 1;
  desc.dstStride = bytes;
  desc.srcStride = bytes;
  return desc;
}

TEST(TrDescriptor, WorkedPixels) {
  const PixelCase cases[] = {
      {"copy", TrMov, 1, 0x12345678u, 0, 0, 0, 0x12345678u},
      {"saturating add", TrMovAdd, 0x80FF1020u, 0x80012030u, 0, 0, 0, 0xFFFF3050u},
      {"saturating subtract", TrMovSub, 0x80FF1020u, 0x90012030u, 0, 0, 0, 0x00FE0000u},
      {"floor mean", TrMovHalf, 0xFF000001u, 0x01FF0003u, 0, 0, 0, 0x807F0002u},
      {"key on colour bytes only", TrCMP, 7, 0x12FF00FFu, 0, 0x00FF00FFu, 0, 7},
      {"not the key", TrCMP, 7, 0x12FF00FEu, 0, 0x00FF00FFu, 0, 0x12FF00FEu},
      {"half off the key", TrCMPHalf, 0x02020202u, 0x04040404u, 0, 0, 0, 0x03030303u},
      {"half on the key", TrCMPHalf, 0x02020202u, 0xAA000000u, 0, 0, 0, 0x02020202u},
      {"fill", TrColorFill, 1, 0, 0xCAFEF00Du, 0, 0, 0xCAFEF00Du},
      {"fade halfway", TrFeed, 0, 0, 0xFFFFFFFFu, 0, 128, 0x7F7F7F7Fu},
      {"fade level clamped to 256", TrFeed, 0, 0, 0xFF8040FFu, 0, 999, 0xFF8040FFu},
      {"fade level clamped to 0", TrFeed, 0x11223344u, 0, 0xFFFFFFFFu, 0, -5, 0x11223344u},
      {"stamp where the destination is not the key", TrSted, 5, 9, 0, 0, 0, 9},
      {"no stamp on the key", TrSted, 0xFF000000u, 9, 0, 0, 0, 0xFF000000u},
      {"stencil", TrStencil, 5, 9, 0xABCDEF01u, 0, 0, 0xABCDEF01u},
      {"stencil off", TrStencil, 5, 0x55000000u, 0xABCDEF01u, 0, 0, 5},
      {"colour stencil", TrColorStencil, 0x00000000u, 1, 0xFEFEFEFEu, 0, 0, 0x7F7F7F7Fu},
  };
  for (const PixelCase& c : cases) {
    uint32_t d = c.d;
    const uint32_t s = c.s;
    BlivoDescriptor desc = One(4);
    desc.colour = c.colour;
    desc.key = c.key;
    desc.level = c.level;
    ASSERT_EQ(c.fn(&d, &s, 12345, &desc), 0) << c.note;
    EXPECT_EQ(d, c.want) << c.note;
  }
}

TEST(HiDescriptor, WorkedPixels) {
  const PixelCase cases[] = {
      {"copy", HiMov, 1, 0xBEEF, 0, 0, 0, 0xBEEF},
      {"saturating add per channel", HiMovAdd, Rgb(20, 40, 20), Rgb(20, 30, 5), 0, 0, 0,
       Rgb(31, 63, 25)},
      {"saturating subtract per channel", HiMovSub, Rgb(20, 40, 20), Rgb(25, 10, 5), 0, 0, 0,
       Rgb(0, 30, 15)},
      {"floor mean per channel", HiMovHalf, Rgb(31, 63, 31), Rgb(0, 1, 2), 0, 0, 0,
       Rgb(15, 32, 16)},
      {"the key", HiCMP, 3, 0xF800, 0, 0xF800, 0, 3},
      {"not the key", HiCMP, 3, 0xF801, 0, 0xF800, 0, 0xF801},
      {"half off the key", HiCMPHalf, Rgb(2, 2, 2), Rgb(4, 6, 8), 0, 0, 0, Rgb(3, 4, 5)},
      {"fill with the low 16 bits", HiColorFill, 0, 0, 0xFFFF1234u, 0, 0, 0x1234},
      {"fade halfway", HiFeed, 0, 0, 0xFFFF, 0, 128, Rgb(15, 31, 15)},
      {"stamp", HiSted, 5, 9, 0, 0, 0, 9},
      {"stencil", HiStencil, 5, 9, 0x07E0, 0, 0, 0x07E0},
      {"colour stencil", HiColorStencil, Rgb(0, 0, 0), 1, Rgb(31, 63, 31), 0, 0, Rgb(15, 31, 15)},
  };
  for (const PixelCase& c : cases) {
    uint16_t d = static_cast<uint16_t>(c.d);
    const uint16_t s = static_cast<uint16_t>(c.s);
    BlivoDescriptor desc = One(2);
    desc.colour = c.colour;
    desc.key = c.key;
    desc.level = c.level;
    ASSERT_EQ(c.fn(&d, &s, 0, &desc), 0) << c.note;
    EXPECT_EQ(d, c.want) << c.note << std::hex << " got " << d;
  }
}

TEST(Descriptor, PaletteLooksUpByteIndices) {
  uint32_t pal32[256];
  uint16_t pal16[256];
  for (uint32_t i = 0; i < 256; ++i) {
    pal32[i] = 0xFF000000u | (i << 8);
    pal16[i] = static_cast<uint16_t>(i * 3);
  }
  const uint8_t index[2][4] = {{0, 255, 1, 99}, {200, 0, 0, 0}};
  for (int bytes : {2, 4}) {
    RawRows dst(3, 2, bytes, 3 * bytes + 2, 1);
    BlivoDescriptor desc{};
    desc.count = 3;
    desc.rows = 2;
    desc.dstStride = dst.Stride();
    desc.srcStride = 4;
    desc.palette = bytes == 4 ? static_cast<const void*>(pal32) : pal16;
    ASSERT_EQ((bytes == 4 ? TrPalette : HiPalette)(dst.Data(), index, 0, &desc), 0);
    for (int32_t y = 0; y < 2; ++y)
      for (int32_t x = 0; x < 3; ++x)
        EXPECT_EQ(dst.Get(x, y), bytes == 4 ? pal32[index[y][x]] : pal16[index[y][x]])
            << bytes << " at " << x << "," << y;
    EXPECT_TRUE(dst.GuardsIntact());
    desc.palette = nullptr;
    EXPECT_EQ((bytes == 4 ? TrPalette : HiPalette)(dst.Data(), index, 0, &desc), 1);
  }
}

// Outline and chequer on 4 x 3 padded rows, both families.
TEST(Descriptor, OutlineAndTileFills) {
  const char* const outline[] = {"####", "#..#", "####"};
  const char* const tile[] = {"#.#.", ".#.#", "#.#."};
  for (int bytes : {2, 4}) {
    for (int which = 0; which < 2; ++which) {
      RawRows dst(4, 3, bytes, 4 * bytes + 6, 3);
      BlivoDescriptor desc{};
      desc.count = 4;
      desc.rows = 3;
      desc.dstStride = dst.Stride();
      desc.srcStride = -7;  // the fills read no source, so its stride is not looked at
      desc.colour = 0x7E57;
      DescFn fn = which == 0 ? (bytes == 2 ? HiColorRect : TrColorRect)
                             : (bytes == 2 ? HiColorTile : TrColorTile);
      ASSERT_EQ(fn(dst.Data(), nullptr, 0, &desc), 0);
      const char* const* art = which == 0 ? outline : tile;
      for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x)
          EXPECT_EQ(dst.Get(x, y), art[y][x] == '#' ? 0x7E57u : 0u)
              << bytes << (which ? " tile " : " outline ") << x << "," << y;
      EXPECT_TRUE(dst.GuardsIntact());
    }
  }
}

TEST(Descriptor, RefusedDescriptorsTouchNothing) {
  struct Bad {
    const char* why;
    int32_t count, dstStride, srcStride, rows;
    bool sourceOnly;  // refused only by members that read the source
  } const bads[] = {
      {"negative count", -1, 64, 64, 2, false},
      {"count at the extreme", INT32_MIN, 64, 64, 2, false},
      {"negative rows", 4, 64, 64, -3, false},
      {"destination stride shorter than a row", 4, 3, 64, 2, false},
      {"negative destination stride", 4, -64, 64, 2, false},
      {"span beyond 2^31 bytes", 4, INT32_MAX / 2, 64, 4, false},
      {"row beyond 2^31 bytes", INT32_MAX, 64, 64, 1, false},
      {"source stride shorter than a row", 4, 64, 1, 2, true},
      {"source span beyond 2^31 bytes", 4, 64, INT32_MAX, 3, true},
  };
  uint32_t pal[256] = {};
  for (int bytes : {2, 4}) {
    RawRows dst(4, 2, bytes, 64), src(4, 2, bytes, 64);
    std::mt19937 rng(9);
    dst.Randomize(rng);
    src.Randomize(rng);
    const auto snapshot = dst.Snapshot();
    for (const Member& m : kMembers) {
      const DescFn fn = bytes == 2 ? m.hi : m.tr;
      EXPECT_EQ(fn(dst.Data(), src.Data(), 0, nullptr), 1) << m.name;
      for (const Bad& b : bads) {
        BlivoDescriptor desc{b.count, b.dstStride, b.srcStride, b.rows, 0x1234, 0, 128, 0, pal};
        const int32_t want = b.sourceOnly && !m.readsSource ? 0 : 1;
        // A member that passes never reaches past row 2: counts and strides above fit.
        if (want == 0) continue;
        EXPECT_EQ(fn(dst.Data(), src.Data(), 0, &desc), want) << m.name << ": " << b.why;
      }
      BlivoDescriptor ok{4, 64, 64, 2, 0, 0, 0, 0, pal};
      if (m.readsSource) {
        EXPECT_EQ(fn(dst.Data(), nullptr, 0, &ok), 1) << m.name << ": null source";
      }
      EXPECT_EQ(fn(nullptr, src.Data(), 0, &ok), 1) << m.name << ": null destination";
      // No work: count or rows zero.
      BlivoDescriptor none{0, -1, -1, 7, 0, 0, 0, 0, nullptr};
      EXPECT_EQ(fn(nullptr, nullptr, 0, &none), 0) << m.name;
      ASSERT_EQ(dst.Snapshot(), snapshot) << m.name;
    }
  }
}

// Mov, MovAdd and MovSub take the row kernels; they must equal the per-pixel rules on rows of
// every length and alignment.
TEST(TrDescriptor, RowKernelMembersMatchPixelRules) {
  std::mt19937 rng(21);
  for (int seed = 1; seed <= 40; ++seed) {
    const int32_t n = static_cast<int32_t>(rng() % 21), rows = 1 + static_cast<int32_t>(rng() % 3);
    RawRows src(n, rows, 4, 4 * n + 4, seed % 4);
    src.Randomize(rng);
    for (int which = 0; which < 3; ++which) {
      RawRows dst(n, rows, 4, 4 * n + 8, (seed + 1) % 4);
      dst.Randomize(rng);
      const RawRows before = dst;
      BlivoDescriptor desc{n, dst.Stride(), src.Stride(), rows, 0, 0, 0, 0, nullptr};
      ASSERT_EQ((which == 0   ? TrMov
                 : which == 1 ? TrMovAdd
                              : TrMovSub)(dst.Data(), src.Data(), 0, &desc),
                0);
      for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < n; ++x) {
          const uint32_t want =
              which == 0
                  ? src.Get(x, y)
                  : famtest::PerByte(
                        before.Get(x, y), src.Get(x, y), [which](uint32_t a, uint32_t b, int) {
                          const int32_t v = which == 1 ? int32_t(a + b) : int32_t(a) - int32_t(b);
                          return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v);
                        });
          ASSERT_EQ(dst.Get(x, y), want) << "seed " << seed << " member " << which;
        }
      ASSERT_TRUE(dst.GuardsIntact());
    }
  }
}

}  // namespace

// Per-pixel rules of the two-image blits, checked on single pixels against values worked out by
// hand, plus the rules that hang on the clip, the source key, the fraction arguments and the
// visiting order.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "blit_test_image.h"
#include "blivo.h"
#include "pixel_math.h"

namespace {

using blittest::OnePixel;
using blittest::TestImage;

using Export = int32_t (*)(void*, const void*, int32_t, int32_t, int32_t, int32_t, int32_t,
                           int32_t);

TEST(BlitRules, PerPixelWorkedExamples) {
  struct Case {
    const char* name;
    Export fn;
    uint32_t d, s, want;
  } const cases[] = {
      {"Add saturates every byte", BBIBltAdd, 0x80808080u, 0xFF808080u, 0xFFFFFFFFu},
      {"Add below 255", BBIBltAdd, 0x01020304u, 0x10203040u, 0x11223344u},
      {"Sub floors at 0", BBIBltSub, 0x80808080u, 0xFF808080u, 0x00000000u},
      {"Sub mixed", BBIBltSub, 0x40302010u, 0x10203040u, 0x30100000u},
      {"Xor is the absolute difference", BBIBltXor, 0x40302010u, 0x10203040u, 0x30101030u},
      {"Not ignores d", BBIBltNot, 0x12345678u, 0x00FF10F0u, 0xFF00EF0Fu},
      {"Min", BBIBltMin, 0x40302010u, 0x10203040u, 0x10202010u},
      {"Max", BBIBltMax, 0x40302010u, 0x10203040u, 0x40303040u},
      {"Half blend drops low bits first", BBIBltHalfBlend, 0x03FF00FFu, 0xFF01FF80u, 0x807F7FBFu},
      {"Shift alpha", BBIBltShiftAlpha, 0x12345678u, 0x7F123456u, 0x7F7F7F7Fu},
      {"Shift block above 0x80", BBIBltShiftBlock, 0x12345678u, 0x00000081u, 0x00CB8080u},
      {"Shift block at 0x80 keeps d", BBIBltShiftBlock, 0x12345678u, 0x00000080u, 0x12345678u},
      {"Depth: deeper source wins", BBIDepth, 0x7FFFFFFFu, 0x80000000u, 0x80000000u},
      {"Depth: equal alpha keeps d", BBIDepth, 0x7F000000u, 0x7FFFFFFFu, 0x7F000000u},
      // a = 128: B (255 * 127) >> 8 = 126, R (255 * 128) >> 8 = 127,
      // A (128 * 128 + 255 * 127) >> 8 = 190.
      {"Blend plain", [](void* d, const void* s, int32_t a, int32_t b, int32_t c, int32_t e,
                         int32_t f, int32_t g) { return BBIBltBlend(d, s, a, b, c, e, f, g, 0); },
       0xFF0000FFu, 0x80FF0000u, 0xBE7F007Eu},
      {"Blend plain alpha 0 keeps d",
       [](void* d, const void* s, int32_t a, int32_t b, int32_t c, int32_t e, int32_t f,
          int32_t g) { return BBIBltBlend(d, s, a, b, c, e, f, g, 0); },
       0x12345678u, 0x00FFFFFFu, 0x12345678u},
      {"Blend plain alpha 255 copies",
       [](void* d, const void* s, int32_t a, int32_t b, int32_t c, int32_t e, int32_t f,
          int32_t g) { return BBIBltBlend(d, s, a, b, c, e, f, g, 0); },
       0x12345678u, 0xFF00FF01u, 0xFF00FF01u},
      // F = 128: B (255 * 128) >> 8 = 127, A (128 * 128 + 255 * 128) >> 8 = 191.
      {"Blend MMX path", [](void* d, const void* s, int32_t a, int32_t b, int32_t c, int32_t e,
                            int32_t f, int32_t g) { return BBIBltBlend(d, s, a, b, c, e, f, g, 1); },
       0xFF0000FFu, 0x80FF0000u, 0xBF7F007Fu},
      {"Blend MMX path alpha 255 copies",
       [](void* d, const void* s, int32_t a, int32_t b, int32_t c, int32_t e, int32_t f,
          int32_t g) { return BBIBltBlend(d, s, a, b, c, e, f, g, 1); },
       0x12345678u, 0xFF00FF01u, 0xFF00FF01u},
      {"Depth mask", [](void* d, const void* s, int32_t a, int32_t b, int32_t c, int32_t e,
                        int32_t f, int32_t g) {
         return BBIDepthMask(d, s, a, b, c, e, f, g, 0x00FF0000u);
       },
       0x10AABBCCu, 0x80112233u, 0x80AA2233u},
  };
  for (const Case& c : cases) {
    const uint32_t got = OnePixel(c.d, c.s, [&](void* d, const void* s) {
      EXPECT_EQ(c.fn(d, s, 0, 0, 1, 1, 0, 0), 0) << c.name;
    });
    EXPECT_EQ(got, c.want) << c.name << std::hex << " got 0x" << got;
  }
}

TEST(BlitRules, BlendPathsDifferByAtMostOneStep) {
  // Every source byte, destination byte and alpha: the two paths, computed independently here,
  // never differ by more than one, and the library matches each.
  TestImage dst(256, 256), src(256, 256), dstMmx(256, 256);
  for (uint32_t a = 0; a < 256; a += 5) {
    for (int32_t y = 0; y < 256; ++y)
      for (int32_t x = 0; x < 256; ++x) {
        dst.Set(x, y, static_cast<uint32_t>(y) * 0x00010101u | 0xFF000000u);
        src.Set(x, y, a << 24 | static_cast<uint32_t>(x) * 0x00010101u);
      }
    dstMmx.SetPixels(dst.Pixels());
    ASSERT_EQ(BBIBltBlend(dst.Block(), src.Block(), 0, 0, 256, 256, 0, 0, 0), 0);
    ASSERT_EQ(BBIBltBlend(dstMmx.Block(), src.Block(), 0, 0, 256, 256, 0, 0, 1), 0);
    const uint32_t f = a * 256 / 255;
    for (int32_t y = 0; y < 256; ++y)
      for (int32_t x = 0; x < 256; ++x) {
        const uint32_t s = static_cast<uint32_t>(x), d = static_cast<uint32_t>(y);
        const uint32_t plain = a == 0 ? d : a == 255 ? s : (s * a + d * (255 - a)) >> 8;
        const uint32_t mmx = (s * f + d * (256 - f)) >> 8;
        ASSERT_EQ(dst.Get(x, y) & 0xFF, plain) << "a " << a << " s " << s << " d " << d;
        ASSERT_EQ(dstMmx.Get(x, y) & 0xFF, mmx) << "a " << a << " s " << s << " d " << d;
        ASSERT_LE(plain > mmx ? plain - mmx : mmx - plain, 1u);
      }
  }
}

int32_t TrueBlend(uint32_t d, uint32_t s, float opacity, uint32_t* out) {
  int32_t result = -1;
  *out = OnePixel(d, s, [&](void* dp, const void* sp) {
    result = BBIBltTrueBlend(dp, sp, 0, 0, 1, 1, 0, 0, opacity);
  });
  return result;
}

TEST(BlitRules, TrueBlendCases) {
  struct Case {
    uint32_t d, s;
    float opacity;
    int32_t result;
    uint32_t want;
  } const cases[] = {
      // v = trunc(128 * 1 * (1/255) * 256) = 128; colour (255 * 128) >> 8 = 127.
      {0xFF0000FFu, 0x80FF0000u, 1.0f, 0, 0xFF7F007Fu},
      // Alpha 64 + floor(191 * 128 / 255) = 64 + 95.
      {0x400000FFu, 0x80FF0000u, 1.0f, 0, 0x9F7F007Fu},
      // v = trunc(64.25) = 64: B (255 * 192) >> 8 = 191, R (255 * 64) >> 8 = 63.
      {0xFF0000FFu, 0x80FF0000u, 0.5f, 0, 0xFF3F00BFu},
      {0xFF0000FFu, 0x80FF0000u, 7.0f, 0, 0xFF7F007Fu},  // above 1 counts as 1
      {0xFF0000FFu, 0xFF123456u, 0.5f, 0, 0xFF123456u},  // opaque source ignores opacity
      {0x000000FFu, 0x10123456u, 0.5f, 0, 0x10123456u},  // transparent destination copies
      {0x87654321u, 0x00123456u, 1.0f, 0, 0x87654321u},  // transparent source keeps d
      {0x00654321u, 0x00123456u, 0.5f, 0, 0x00654321u},  // ... even over a transparent d
      {0xFF0000FFu, 0x80FF0000u, -0.1f, 1, 0xFF0000FFu},
      {0xFF0000FFu, 0x80FF0000u, std::numeric_limits<float>::quiet_NaN(), 1, 0xFF0000FFu},
  };
  for (const Case& c : cases) {
    uint32_t got = 0;
    EXPECT_EQ(TrueBlend(c.d, c.s, c.opacity, &got), c.result) << c.opacity;
    EXPECT_EQ(got, c.want) << std::hex << c.s << " over " << c.d << " got " << got;
  }
}

TEST(BlitRules, FractionBlits) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    bool blend;  // FlipBlend, else Flip
    float fraction;
    uint32_t d, s;
    int32_t result;
    uint32_t want;
  } const cases[] = {
      {false, 0.5f, 0x000000FFu, 0xFF000000u, 0, 0x7F00007Fu},  // k 128
      {false, 1.0f, 0x000000FFu, 0xFF000000u, 0, 0xFF000000u},
      {false, 3.0f, 0x000000FFu, 0xFF000000u, 0, 0xFF000000u},
      {false, 0.0f, 0x000000FFu, 0xFF000000u, 0, 0x000000FFu},
      {false, -0.5f, 0x000000FFu, 0xFF000000u, 1, 0x000000FFu},
      {false, nan, 0x000000FFu, 0xFF000000u, 1, 0x000000FFu},
      // v = trunc(128 * 1 * (1/255) * 256) = 128: A (128 * 128 + 255 * 128) >> 8 = 191.
      {true, 1.0f, 0xFF0000FFu, 0x80FF0000u, 0, 0xBF7F007Fu},
      // v = 64: A (128 * 64 + 255 * 192) >> 8 = 223, B (255 * 192) >> 8 = 191.
      {true, 0.5f, 0xFF0000FFu, 0x80FF0000u, 0, 0xDF3F00BFu},
      {true, -1.0f, 0xFF0000FFu, 0x80FF0000u, 1, 0xFF0000FFu},
      {true, nan, 0xFF0000FFu, 0x80FF0000u, 1, 0xFF0000FFu},
  };
  for (const Case& c : cases) {
    int32_t result = -1;
    const uint32_t got = OnePixel(c.d, c.s, [&](void* d, const void* s) {
      result = c.blend ? BBIFlipBlend(d, s, 0, 0, 1, 1, 0, 0, c.fraction)
                       : BBIFlip(d, s, 0, 0, 1, 1, 0, 0, c.fraction);
    });
    EXPECT_EQ(result, c.result) << c.blend << " " << c.fraction;
    EXPECT_EQ(got, c.want) << c.blend << " " << c.fraction << std::hex << " got " << got;
  }
}

TEST(BlitRules, AlphaFlags) {
  // s alpha 100 (or 20), d alpha 50; colour bytes of d always stay.
  struct Case {
    uint32_t sAlpha;
    int32_t keepMax, keepMin, invert, subtract;
    uint32_t want;
  } const cases[] = {
      {100, 0, 0, 0, 0, 100},
      {100, 0, 0, 0, 1, 206},  // 50 - 100 = -50, low 8 bits
      {100, 0, 0, 1, 0, 155},
      {100, 0, 0, 1, 1, 49},   // 255 - (-50) = 305
      {100, 0, 1, 0, 0, 50},   // keepMin: 100 >= 50
      {20, 0, 1, 0, 0, 20},
      {100, 1, 0, 0, 0, 100},  // keepMax: 50 < 100
      {20, 1, 0, 0, 0, 50},
      {50, 1, 1, 0, 0, 50},
      {100, 1, 1, 1, 0, 50},   // 155, min 50, max 50
  };
  for (const Case& c : cases) {
    const uint32_t got = OnePixel(0x32123456u, c.sAlpha << 24 | 0x00ABCDEFu, [&](void* d,
                                                                              const void* s) {
      EXPECT_EQ(BBIBltAlpha(d, s, 0, 0, 1, 1, 0, 0, c.keepMax, c.keepMin, c.invert, c.subtract),
                0);
    });
    EXPECT_EQ(got, c.want << 24 | 0x00123456u)
        << c.sAlpha << " " << c.keepMax << c.keepMin << c.invert << c.subtract;
  }
}

TEST(BlitRules, KeyingUsesSourceOriginWhateverSxSy) {
  const uint32_t magenta = 0xFFFF00FFu;
  TestImage src(4, 4), dst(4, 4);
  src.Fill(0xFF00FF00u);
  src.Set(0, 0, magenta);
  src.Set(2, 2, magenta);
  src.Set(3, 3, 0x7FFF00FFu);  // same colour, other alpha: not the key
  dst.Fill(0x11111111u);
  ASSERT_EQ(BBIBltKeying(dst.Block(), src.Block(), 0, 0, 2, 2, 2, 2), 0);
  EXPECT_EQ(dst.Get(0, 0), 0x11111111u);  // under the magenta source pixel (2,2)
  EXPECT_EQ(dst.Get(1, 0), 0xFF00FF00u);
  EXPECT_EQ(dst.Get(1, 1), 0x7FFF00FFu);
  EXPECT_EQ(dst.Get(2, 2), 0x11111111u);  // outside the rectangle
}

TEST(BlitRules, KeyingFxLevels) {
  TestImage src(2, 1), dst(2, 1);
  src.Set(0, 0, 0xFFFF00FFu);  // the key
  src.Set(1, 0, 0xFF000000u);
  auto run = [&](int32_t useKey, int32_t level) {
    dst.Set(0, 0, 0x000000FFu);
    dst.Set(1, 0, 0x000000FFu);
    return BBIBltKeyingFX(dst.Block(), src.Block(), 0, 0, 2, 1, 0, 0, useKey, level);
  };
  EXPECT_EQ(run(1, 0), 0);
  EXPECT_EQ(dst.Pixels(), (std::vector<uint32_t>{0x000000FFu, 0x000000FFu}));
  EXPECT_EQ(run(0, -7), 0);
  EXPECT_EQ(dst.Pixels(), (std::vector<uint32_t>{0x000000FFu, 0x000000FFu}));
  EXPECT_EQ(run(1, 255), 0);  // as BBIBltKeying
  EXPECT_EQ(dst.Pixels(), (std::vector<uint32_t>{0x000000FFu, 0xFF000000u}));
  EXPECT_EQ(run(0, 1000), 0);  // as BBIBlt
  EXPECT_EQ(dst.Pixels(), (std::vector<uint32_t>{0xFFFF00FFu, 0xFF000000u}));
  EXPECT_EQ(run(1, 128), 0);  // (128 * s + 128 * d) >> 8
  EXPECT_EQ(dst.Pixels(), (std::vector<uint32_t>{0x000000FFu, 0x7F00007Fu}));
  EXPECT_EQ(run(0, 64), 0);  // key pixel faded too: R (255 * 64) >> 8 = 63, B (255 * 192) >> 8
  EXPECT_EQ(dst.Pixels(), (std::vector<uint32_t>{0x3F3F00FFu, 0x3F0000BFu}));
  EXPECT_EQ(BBIBltKeyingFX(dst.Block(), src.Block(), 5, 0, 2, 1, 0, 0, 1, 0), 1);  // clipped
}

TEST(BlitRules, HalfSizeBoundsAndMeans) {
  TestImage src(4, 2), dst(2, 1);
  src.Set(0, 0, 0xFF000004u);
  src.Set(1, 0, 0xFF000004u);
  src.Set(0, 1, 0xFF000004u);
  src.Set(1, 1, 0xFE000007u);
  src.Set(2, 0, 0x00FF0000u);
  dst.Fill(0x12345678u);
  // 19 / 4 and 1019 / 4 round down; 255 / 4 = 63.
  ASSERT_EQ(BBIBltHalfSize(dst.Block(), src.Block(), 0, 0, 2, 1, 0, 0), 0);
  EXPECT_EQ(dst.Get(0, 0), 0xFE000004u);
  EXPECT_EQ(dst.Get(1, 0), 0x003F0000u);
  struct Case {
    int32_t dx, dy, w, h, sx, sy;
  } const refused[] = {
      {0, 0, 2, 1, 1, 0},   // sx + 2w one past the source width
      {0, 0, 1, 1, 0, 1},   // sy + 2h past the source height
      {1, 0, 2, 1, 0, 0},   // past the destination
      {-1, 0, 1, 1, 0, 0},  {0, 0, 0, 1, 0, 0}, {0, 0, 1, -1, 0, 0},
      {0, 0, INT32_MAX, 1, 0, 0}, {0, 0, 1, 1, INT32_MAX, 0}, {0, 0, 1, 1, 0, INT32_MIN},
  };
  dst.Fill(0x12345678u);
  for (const Case& c : refused)
    EXPECT_EQ(BBIBltHalfSize(dst.Block(), src.Block(), c.dx, c.dy, c.w, c.h, c.sx, c.sy), 1)
        << c.dx << " " << c.w << " " << c.sx;
  EXPECT_EQ(dst.Get(0, 0), 0x12345678u);
  EXPECT_EQ(dst.Get(1, 0), 0x12345678u);
}

TEST(BlitRules, ClipShiftsTheSourceAndCopiesOnlyTheOverlap) {
  TestImage src(4, 4), dst(4, 4, 3);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 4; ++x) src.Set(x, y, static_cast<uint32_t>(y * 16 + x));
  // Negative destination position: source origin moves by the same amount.
  ASSERT_EQ(BBIBlt(dst.Block(), src.Block(), -1, -2, 3, 4, 0, 0), 0);
  EXPECT_EQ(dst.Get(0, 0), 0x21u);
  EXPECT_EQ(dst.Get(1, 1), 0x32u);
  EXPECT_EQ(dst.Get(2, 0), 0u);
  EXPECT_EQ(dst.Get(0, 2), 0u);
  // Source rectangle past the source's right edge.
  dst.Fill(0);
  ASSERT_EQ(BBIBlt(dst.Block(), src.Block(), 0, 0, 4, 1, 2, 3), 0);
  EXPECT_EQ(dst.Pixels()[0], 0x32u);
  EXPECT_EQ(dst.Pixels()[1], 0x33u);
  EXPECT_EQ(dst.Pixels()[2], 0u);
  EXPECT_TRUE(dst.GuardsIntact());
}

TEST(BlitRules, OverlapFollowsTheVisitingOrder) {
  TestImage img(6, 3);
  auto reset = [&] {
    for (int32_t y = 0; y < 3; ++y)
      for (int32_t x = 0; x < 6; ++x) img.Set(x, y, static_cast<uint32_t>(10 * y + x + 1));
  };
  // To the right by 2 within a row: the walk re-reads what it wrote.
  reset();
  ASSERT_EQ(BBIBlt(img.Block(), img.Block(), 2, 0, 4, 1, 0, 0), 0);
  EXPECT_EQ(img.Pixels(), (std::vector<uint32_t>{1, 2, 1, 2, 1, 2, 11, 12, 13, 14, 15, 16, 21,
                                                 22, 23, 24, 25, 26}));
  // To the left: every pixel read before it is overwritten.
  reset();
  ASSERT_EQ(BBIBlt(img.Block(), img.Block(), 0, 0, 5, 1, 1, 0), 0);
  EXPECT_EQ(img.Pixels()[0], 2u);
  EXPECT_EQ(img.Pixels()[4], 6u);
  // Downwards: row 1 is written from row 0, then row 2 from the new row 1.
  reset();
  ASSERT_EQ(BBIBlt(img.Block(), img.Block(), 0, 1, 6, 2, 0, 0), 0);
  EXPECT_EQ(img.Get(3, 2), 4u);
  // An added image onto itself doubles every byte with saturation, alpha included.
  img.Fill(0x80402001u);
  ASSERT_EQ(BBIBltAdd(img.Block(), img.Block(), 0, 0, 6, 3, 0, 0), 0);
  EXPECT_EQ(img.Get(5, 2), 0xFF804002u);
  // The same rule holds for a blend kernel shifted right by one pixel.
  img.Fill(0);
  img.Set(0, 0, 0x000000FFu);
  ASSERT_EQ(BBIBltHalfBlend(img.Block(), img.Block(), 1, 0, 5, 1, 0, 0), 0);
  // 0xFF mean 0 -> 0x7F, then 0x7F mean 0 -> 0x3F, ...
  EXPECT_EQ(img.Get(1, 0), 0x7Fu);
  EXPECT_EQ(img.Get(2, 0), 0x3Fu);
  EXPECT_EQ(img.Get(5, 0), 0x07u);
}

TEST(BlitRules, AddIdenticalOnBothSwitchSettings) {
  std::mt19937 rng(7);
  TestImage a(37, 5), b(37, 5), c(37, 5);
  a.Randomize(rng);
  b.Randomize(rng);
  c.SetPixels(a.Pixels());
  MMX(0);
  ASSERT_EQ(BBIBltAdd(a.Block(), b.Block(), 0, 0, 37, 5, 0, 0), 0);
  MMX(1);
  ASSERT_EQ(BBIBltAdd(c.Block(), b.Block(), 0, 0, 37, 5, 0, 0), 0);
  MMX(0);
  EXPECT_EQ(a.Pixels(), c.Pixels());
}

TEST(PixelMath, AddSatAndDiv255AreExact) {
  for (uint32_t a = 0; a < 256; ++a)
    for (uint32_t b = 0; b < 256; ++b) {
      const uint32_t want = a + b > 255 ? 255 : a + b;
      // Same pair in every byte position, and with neighbours that would carry.
      ASSERT_EQ(blivo::AddSat(a * 0x01010101u, b * 0x01010101u), want * 0x01010101u) << a << b;
      ASSERT_EQ(blivo::AddSat(a << 8 | 0xFF, b << 8 | 0xFF), want << 8 | 0xFF) << a << b;
    }
  for (uint32_t x = 0; x < 65536; ++x) ASSERT_EQ(blivo::Div255(x), x / 255) << x;
}

}  // namespace

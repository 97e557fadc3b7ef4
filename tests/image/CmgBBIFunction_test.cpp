// The image function library through the run-time binding: wrapper rules, the edge table, the
// blit modes, scaling sizes, effects' defining properties, the pattern script and its value
// notations, and golden images of the effects and patterns (tests/data/golden/imagefn_*.bin;
// TUMBLEROO_WRITE_GOLDEN=1 rewrites them, a mismatch writes <name>.diff.ppm).
#include "image/CmgBBIFunction.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "image/CTranser.h"
#include "util/CApi.h"

namespace image {
namespace {

using Pixels = std::vector<uint32_t>;

CmgBBI Make(int32_t w, int32_t h, const std::function<uint32_t(int32_t, int32_t)>& f) {
  CmgBBI img;
  img.CreateBBI(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) img.dwSetPixel(x, y, f(x, y));
  return img;
}

CmgBBI Filled(int32_t w, int32_t h, uint32_t c) {
  return Make(w, h, [c](int32_t, int32_t) { return c; });
}

uint32_t Lcg(int32_t x, int32_t y, uint32_t seed) {
  uint32_t v = seed * 2654435761u + static_cast<uint32_t>(y * 977 + x) * 2246822519u;
  v ^= v >> 15;
  v *= 2246822519u;
  v ^= v >> 13;
  return v;
}

CmgBBI Noise(int32_t w, int32_t h, uint32_t seed) {
  return Make(w, h, [seed](int32_t x, int32_t y) { return Lcg(x, y, seed); });
}

Pixels Px(const CmgBBI& img) {
  Pixels out;
  for (int32_t y = 0; y < img.height(); ++y)
    for (int32_t x = 0; x < img.Width(); ++x) out.push_back(img.dwGetPixel(x, y));
  return out;
}

CmgBBI Empty() {
  CmgBBI img;
  img.SetBBI(Block{});
  return img;
}

// A test picture: a soft-edged disc with a colour gradient and a bar, on transparent black.
CmgBBI Shape() {
  return Make(28, 22, [](int32_t x, int32_t y) -> uint32_t {
    const int32_t dx = x - 11, dy = y - 10;
    const int32_t d2 = dx * dx + dy * dy;
    if (d2 <= 36) return 0xFF000000u | (static_cast<uint32_t>(x * 9) << 16) | 0x4000u | (y * 11);
    if (d2 <= 49) return 0x80C0C040u;
    if (x >= 20 && x <= 22 && y >= 4 && y <= 17) return 0xFF3080F0u;
    return 0;
  });
}

// ---- Golden images --------------------------------------------------------------------------

std::string GoldenPath(const std::string& name) {
  return std::string(TUMBLEROO_SOURCE_DIR) + "/tests/data/golden/imagefn_" + name + ".bin";
}

void ExpectGolden(const CmgBBI& img, const std::string& name) {
  const Pixels got = Px(img);
  const char* write = std::getenv("TUMBLEROO_WRITE_GOLDEN");
  if (write != nullptr && std::string(write) == "1") {
    std::ofstream out(GoldenPath(name), std::ios::binary);
    out.put(static_cast<char>(img.Width() & 0xFF)).put(static_cast<char>(img.Width() >> 8));
    out.put(static_cast<char>(img.height() & 0xFF)).put(static_cast<char>(img.height() >> 8));
    for (uint32_t p : got)
      for (int k = 0; k < 4; ++k) out.put(static_cast<char>((p >> (8 * k)) & 0xFF));
    return;
  }
  std::ifstream in(GoldenPath(name), std::ios::binary);
  uint8_t head[4] = {};
  ASSERT_TRUE(in.read(reinterpret_cast<char*>(head), 4)) << name << ": golden image missing";
  ASSERT_EQ(head[0] | head[1] << 8, img.Width()) << name;
  ASSERT_EQ(head[2] | head[3] << 8, img.height()) << name;
  Pixels want;
  uint8_t b[4];
  while (in.read(reinterpret_cast<char*>(b), 4))
    want.push_back(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
  ASSERT_EQ(want.size(), got.size()) << name;
  if (want == got) return;
  std::ofstream diff(name + ".diff.ppm", std::ios::binary);
  diff << "P6\n" << img.Width() << " " << img.height() << "\n255\n";
  for (size_t i = 0; i < got.size(); ++i) {
    const char c = want[i] == got[i] ? 0 : static_cast<char>(255);
    diff << c << c << c;
  }
  ADD_FAILURE() << name << " differs from its golden image; see " << name << ".diff.ppm";
}

class ImageFunction : public ::testing::Test {
 protected:
  void SetUp() override { api.Randomize(7); }
  util::CApi api;
  CmgBBIFunction fn{&api};
};

// ---- The edge table -------------------------------------------------------------------------

TEST(KeyingEdgeTable, RowsHoldPairSumsOverTheRunLength) {
  const auto& t = CmgBBIFunction::KeyingEdgeTable();
  ASSERT_EQ(t.size(), 16385u);
  struct Entry {
    size_t at;
    uint8_t value;
  };
  // r = 1: {1}; r = 2: {3+1}; r = 3: {5+3, 1}; r = 4: {7+5, 3+1}; r = 128: {255+253, ..., 3+1}.
  const Entry entries[] = {{0, 32},     {1, 0},      {128, 64},          {129, 0},
                           {256, 85},   {257, 11},   {258, 0},           {384, 96},
                           {385, 32},   {386, 0},    {16256, 127},       {16256 + 63, 1},
                           {16256 + 64, 0}, {128 * 64 + 32, 0}, {128 * 62 + 31, 1}, {16384, 0}};
  for (const Entry& e : entries) EXPECT_EQ(t[e.at], e.value) << "entry " << e.at;
  // Each row has ceil(r / 2) entries, the later ones no larger (the lone 1 of an odd row of 65
  // or more rounds to 0), and nothing after them.
  for (int32_t r = 1; r <= 128; ++r) {
    const size_t base = 128 * static_cast<size_t>(r - 1);
    const int32_t n = (r + 1) / 2;
    for (int32_t i = 0; i < 128; ++i) {
      if (i < n) {
        if (i == 0 || (i == n - 1 && r % 2 == 0)) {
          EXPECT_GT(t[base + i], 0) << "r " << r;
        }
        if (i > 0) {
          EXPECT_LE(t[base + i], t[base + i - 1]) << "r " << r << " i " << i;
        }
      } else {
        EXPECT_EQ(t[base + i], 0) << "r " << r << " i " << i;
      }
    }
  }
}

TEST_F(ImageFunction, KeyingAntiAreasMakesTheKeyTransparent) {
  CmgBBI img = Make(12, 12, [](int32_t x, int32_t y) {
    return (x >= 3 && x < 9 && y >= 3 && y < 9) ? 0xFF00FF00u : 0xFFFF00FFu;
  });
  ASSERT_EQ(fn.BBIKeyingAntiAreas(img, 0xFF00FF), 0);
  EXPECT_EQ(img.dwGetPixel(0, 0) >> 24, 0u);
  EXPECT_EQ(img.dwGetPixel(6, 6) >> 24, 255u);
}

// ---- Wrapper rules --------------------------------------------------------------------------

TEST_F(ImageFunction, AnEmptyImageMakesEveryKindOfCallDoNothing) {
  CmgBBI empty = Empty();
  ASSERT_EQ(empty.GetBBIHandle(), nullptr);
  CmgBBI other = Noise(6, 5, 1);
  const Pixels before = Px(other);
  const std::vector<std::pair<const char*, std::function<int32_t()>>> calls = {
      {"BBIBlt dst", [&] { return fn.BBIBlt(empty, other); }},
      {"BBIBlt src", [&] { return fn.BBIBlt(other, empty); }},
      {"BBIBltAdd", [&] { return fn.BBIBltAdd(other, empty); }},
      {"BBIBltFX", [&] { return fn.BBIBltFX(other, empty, 0, 0, 0, 0, 0, 0, 1, 0.5f); }},
      {"BBIClear", [&] { return fn.BBIClear(empty, 1, 2, 3, 4); }},
      {"BBIMapUC map", [&] { return fn.BBIMapUC(other, other, empty); }},
      {"BBIStencilFlip", [&] { return fn.BBIStencilFlip(other, other, empty, 0, 0, 0, 0, 0, 0, 0, 0, 1.0f); }},
      {"BBIExpandBlt", [&] { return fn.BBIExpandBlt(other, empty); }},
      {"BBIDrawMultiplyLineBox", [&] { return fn.BBIDrawMultiplyLineBox(other, empty, 0, 0, 5, 4); }},
      {"BBIKeyingAntiAreas", [&] { return fn.BBIKeyingAntiAreas(empty, 0); }},
      {"EfectMax", [&] { return fn.EfectMax(other, empty, 1.0f); }},
      {"EfectOutLine", [&] { return fn.EfectOutLine(empty, 1, 2, 3, 4); }},
      {"EfectScaleY", [&] { return fn.EfectScaleY(empty, 2, 1); }},
      {"Transer", [&] { return fn.Transer(empty, "[BOX 2,2]") == 0 ? 1 : 0; }},
  };
  for (const auto& [name, call] : calls) {
    EXPECT_EQ(call(), 1) << name;
    EXPECT_EQ(Px(other), before) << name;
  }
}

TEST_F(ImageFunction, ZeroSizesMeanTheWholeImage) {
  CmgBBI src = Noise(9, 7, 2);
  CmgBBI dst = Filled(9, 7, 0);
  EXPECT_EQ(fn.BBIBlt(dst, src), 0);
  EXPECT_EQ(Px(dst), Px(src));

  CmgBBI fill = Filled(5, 4, 0);
  EXPECT_EQ(fn.BBIDrawColorFill(fill, 0, 0, 0, 0, 0, 0xFF123456u), 0);
  EXPECT_EQ(Px(fill), Px(Filled(5, 4, 0xFF123456u)));

  CmgBBI big = Filled(18, 14, 0);
  EXPECT_EQ(fn.BBIExpandBlt(big, src), 0);  // 9 x 7 onto the whole 18 x 14: doubled
  EXPECT_EQ(big.dwGetPixel(17, 13), src.dwGetPixel(8, 6));
  EXPECT_EQ(big.dwGetPixel(2, 3), src.dwGetPixel(1, 1));
}

TEST_F(ImageFunction, BltRealityOneCopiesAndAHalfFadesIn) {
  CmgBBI src = Filled(4, 3, 0xC8643200u);
  CmgBBI dst = Filled(4, 3, 0x00000000u);
  EXPECT_EQ(fn.BBIBlt(dst, src, 0, 0, 0, 0, 0, 0, 0.5f), 0);
  EXPECT_EQ(dst.dwGetPixel(3, 2), 0x64321900u);
  EXPECT_EQ(fn.BBIBlt(dst, src, 0, 0, 0, 0, 0, 0, 1.0f), 0);
  EXPECT_EQ(Px(dst), Px(src));
}

TEST_F(ImageFunction, BltFxModesMatchTheirBlitsAndFadeByTheFraction) {
  struct Mode {
    int32_t mode;
    std::function<int32_t(CmgBBI&, CmgBBI&)> direct;
  };
  const std::vector<Mode> modes = {
      {CmgBBIFunction::kFxAdd, [&](CmgBBI& d, CmgBBI& s) { return fn.BBIBltAdd(d, s, 1, 2, 0, 0, 0, 0); }},
      {CmgBBIFunction::kFxSub, [&](CmgBBI& d, CmgBBI& s) { return fn.BBIBltSub(d, s, 1, 2, 0, 0, 0, 0); }},
      {CmgBBIFunction::kFxXor, [&](CmgBBI& d, CmgBBI& s) { return fn.BBIBltXor(d, s, 1, 2, 0, 0, 0, 0); }},
      {CmgBBIFunction::kFxNot, [&](CmgBBI& d, CmgBBI& s) { return fn.BBIBltNot(d, s, 1, 2, 0, 0, 0, 0); }},
      {CmgBBIFunction::kFxMin, [&](CmgBBI& d, CmgBBI& s) { return fn.BBIBltMin(d, s, 1, 2, 0, 0, 0, 0); }},
      {CmgBBIFunction::kFxMax, [&](CmgBBI& d, CmgBBI& s) { return fn.BBIBltMax(d, s, 1, 2, 0, 0, 0, 0); }},
      {CmgBBIFunction::kFxHalfBlend, [&](CmgBBI& d, CmgBBI& s) { return fn.BBIBltHalfBlend(d, s, 1, 2, 0, 0, 0, 0); }},
      {CmgBBIFunction::kFxDepth, [&](CmgBBI& d, CmgBBI& s) { return fn.BBIDepth(d, s, 1, 2, 0, 0, 0, 0); }},
      {CmgBBIFunction::kFxShiftAlpha, [&](CmgBBI& d, CmgBBI& s) { return fn.BBIBltShiftAlpha(d, s, 1, 2, 0, 0, 0, 0); }},
      {CmgBBIFunction::kFxTrueBlend, [&](CmgBBI& d, CmgBBI& s) { return fn.BBIBltTrueBlend(d, s, 1, 2, 0, 0, 0, 0, 1.0f); }},
      {CmgBBIFunction::kFxCopy, [&](CmgBBI& d, CmgBBI& s) { return fn.BBIBlt(d, s, 1, 2); }},
  };
  CmgBBI src = Noise(7, 6, 3);
  for (const Mode& m : modes) {
    CmgBBI want = Noise(9, 9, 4);
    CmgBBI got = Noise(9, 9, 4);
    ASSERT_EQ(m.direct(want, src), 0) << m.mode;
    EXPECT_EQ(fn.BBIBltFX(got, src, 1, 2, 0, 0, 0, 0, m.mode, 1.0f), 0) << m.mode;
    EXPECT_EQ(Px(got), Px(want)) << "mode " << m.mode;
    // A fraction: the full result cross-faded onto the untouched destination (alpha
    // compositing takes it as its opacity instead).
    if (m.mode == CmgBBIFunction::kFxTrueBlend) continue;
    CmgBBI faded = Noise(9, 9, 4);
    CmgBBI fade = Noise(9, 9, 4);
    fn.BBIBlt(fade, want, 0, 0, 0, 0, 0, 0, 0.25f);
    EXPECT_EQ(fn.BBIBltFX(faded, src, 1, 2, 0, 0, 0, 0, m.mode, 0.25f), 0) << m.mode;
    EXPECT_EQ(Px(faded), Px(fade)) << "faded mode " << m.mode;
  }
  CmgBBI d = Noise(4, 4, 5);
  EXPECT_EQ(fn.BBIBltFX(d, src, 0, 0, 0, 0, 0, 0, 13, 1.0f), 2);
  EXPECT_EQ(fn.BBIBltFX(d, src, 0, 0, 0, 0, 0, 0, -1, 1.0f), 2);
}

TEST_F(ImageFunction, BltRectCopiesOnlyTheRectangle) {
  CmgBBI src = Noise(8, 8, 6);
  CmgBBI dst = Filled(8, 8, 0);
  util::CRect r;
  r.Create(2, 3, 4, 2);
  EXPECT_EQ(fn.BBIBltRect(dst, src, r), 0);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 3 && y < 5;
      EXPECT_EQ(dst.dwGetPixel(x, y), inside ? src.dwGetPixel(x, y) : 0u) << x << "," << y;
    }
  util::CRect empty;
  CmgBBI untouched = Filled(8, 8, 0);
  EXPECT_EQ(fn.BBIBltRect(untouched, src, empty), 1);
  EXPECT_EQ(Px(untouched), Px(Filled(8, 8, 0)));
}

TEST_F(ImageFunction, GradientBoxesFollowTheirCornersInEitherOrder) {
  const uint32_t tl = 0xFF0000FFu, tr = 0x8000FF00u, bl = 0x40FF0000u, br = 0xFFFFFFFFu;
  CmgBBI want = Filled(12, 9, 0x11111111u);
  fn.BBIDrawBox(want, 2, 1, 8, 6, 0, tl, tr, bl, br);
  // The same box given from every corner, colours named by the corner they sit at.
  const int32_t corners[4][2] = {{2, 1}, {9, 1}, {2, 6}, {9, 6}};
  const uint32_t colours[4] = {tl, tr, bl, br};
  for (int from = 0; from < 4; ++from) {
    const int to = 3 - from;
    const int32_t x1 = corners[from][0], y1 = corners[from][1];
    const int32_t x2 = corners[to][0], y2 = corners[to][1];
    // c1 at (x1, y1), c2 at (x2, y1), c3 at (x1, y2), c4 at (x2, y2).
    auto at = [&](int32_t x, int32_t y) {
      for (int k = 0; k < 4; ++k)
        if (corners[k][0] == x && corners[k][1] == y) return colours[k];
      return 0u;
    };
    CmgBBI got = Filled(12, 9, 0x11111111u);
    EXPECT_EQ(fn.dwDrawMap(got, x1, y1, x2, y2, at(x1, y1), at(x2, y1), at(x1, y2), at(x2, y2)), 0);
    EXPECT_EQ(Px(got), Px(want)) << "from corner " << from;
  }
  CmgBBI split = Filled(12, 9, 0x11111111u);
  EXPECT_EQ(fn.DrawMap(split, 2, 1, 9, 6, 0, 0, 255, 255, 0, 255, 0, 128, 255, 0, 0, 64, 255, 255,
                       255, 300),
            0);
  EXPECT_EQ(Px(split), Px(want));
  // Colour only: every pixel keeps its alpha.
  CmgBBI colour = Filled(12, 9, 0x33000000u);
  EXPECT_EQ(fn.DrawMapColor(colour, 0, 0, 11, 8, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0), 0);
  for (uint32_t p : Px(colour)) EXPECT_EQ(p, 0x33FF0000u);
}

TEST_F(ImageFunction, LinesAndCirclesDrawFromTheirColours) {
  CmgBBI line = Filled(12, 3, 0);
  EXPECT_EQ(fn.DrawLine(line, -1, 1, 10, 1, 0, 0, 0, 0, 255, 255, 255, 255), 0);
  EXPECT_EQ(line.dwGetPixel(0, 1), 0x00000000u);
  EXPECT_EQ(line.dwGetPixel(11, 1), 0xFFFFFFFFu);
  for (int32_t x = 1; x < 12; ++x) EXPECT_GT(line.dwGetPixel(x, 1), line.dwGetPixel(x - 1, 1));
  EXPECT_EQ(line.dwGetPixel(5, 0), 0u);

  CmgBBI disc = Filled(11, 11, 0x12345678u);
  EXPECT_EQ(fn.DrawCircle(disc, 0, 0, 10, 10, 255, 255, 255, 255, 0, 0, 0, 255), 0);
  EXPECT_EQ(disc.dwGetPixel(5, 5), 0xFFFFFFFFu);  // the centre takes the inner colour
  EXPECT_EQ(disc.dwGetPixel(0, 0), 0x12345678u);  // a corner lies outside the circle
  EXPECT_LT(disc.dwGetPixel(1, 5) & 0xFF, 0x40u);   // near the rim: close to the outer colour

  CmgBBI ring = Filled(11, 11, 0);
  EXPECT_EQ(fn.dwDrawCircleLE(ring, 5, 5, 3, 0xFFFF0000u), 0);
  EXPECT_EQ(ring.dwGetPixel(8, 5), 0xFFFF0000u);
  EXPECT_EQ(ring.dwGetPixel(5, 5), 0u);

  CmgBBI soft = Filled(10, 10, 0xFF000000u);
  EXPECT_EQ(fn.dwDrawLineAntiAreas(soft, 0, 0, 9, 9, 0xFFFFFFFFu, 0xFFFFFFFFu), 0);
  EXPECT_EQ(soft.dwGetPixel(4, 4), 0xFFFFFFFFu);
  EXPECT_EQ(soft.dwGetPixel(0, 9), 0xFF000000u);
}

TEST_F(ImageFunction, ChooseColorSetsOnlyTheGivenComponents) {
  CmgBBI img = Filled(3, 2, 0x11223344u);
  EXPECT_EQ(fn.ChooseColor(img, -1, 0xAA, -1, 0x80), 0);
  EXPECT_EQ(img.dwGetPixel(2, 1), 0x8022AA44u);
  EXPECT_EQ(fn.ChooseColor(img), 1);
}

TEST_F(ImageFunction, FramesRunAlongTheInsideOfTheirBox) {
  CmgBBI img = Filled(6, 5, 0);
  EXPECT_EQ(fn.fxOutLine(img, 1, 1, 4, 3, 0xFFFFFFFFu), 0);
  CmgBBI box = Filled(6, 5, 0);
  EXPECT_EQ(fn.fxBoxLine(box, 4, 3, 1, 1, 0xFFFFFFFFu), 0);  // corners in either order
  EXPECT_EQ(Px(box), Px(img));
  int32_t lit = 0;
  for (uint32_t p : Px(img)) lit += p != 0;
  EXPECT_EQ(lit, 10);  // the 4 x 3 frame
  EXPECT_EQ(img.dwGetPixel(2, 2), 0u);
}

TEST_F(ImageFunction, TempBBIHasTheImagesSize) {
  CmgBBI img = Filled(13, 5, 0);
  CmgBBI& t = fn.TempBBI(img);
  EXPECT_EQ(t.Width(), 13);
  EXPECT_EQ(t.height(), 5);
  EXPECT_EQ(&fn.TempBBI(Filled(2, 2, 0)), &t);
  EXPECT_EQ(&CmgBBIFunction::Shared(), &CmgBBIFunction::Shared());
  EXPECT_TRUE(CmgBBIFunction::Shared().UseMMX);
}

// ---- Effects --------------------------------------------------------------------------------

TEST_F(ImageFunction, ScalingSizesRoundHalvesToEven) {
  struct Case {
    int32_t length, num, den, want;
  };
  const Case cases[] = {{3, 1, 2, 2},  {5, 1, 2, 2},   {7, 1, 2, 4},  {10, 3, 2, 15},
                        {5, 3, 2, 8},  {4, 3, 8, 2},   {9, 2, 3, 6},  {1, 1, 3, 1},
                        {6, 200, 100, 12}};
  for (const Case& c : cases) {
    CmgBBI v = Noise(3, c.length, 8);
    EXPECT_EQ(fn.EfectScaleY(v, c.num, c.den), 0) << c.length << " " << c.num << "/" << c.den;
    EXPECT_EQ(v.height(), c.want) << c.length << " " << c.num << "/" << c.den;
    EXPECT_EQ(v.Width(), 3);
    CmgBBI u = Noise(c.length, 2, 8);
    EXPECT_EQ(fn.EfectScaleX(u, c.num, c.den), 0);
    EXPECT_EQ(u.Width(), c.want) << c.length << " " << c.num << "/" << c.den;
    EXPECT_EQ(u.height(), 2);
  }
  // Factor 1, a zero or negative term: nothing happens.
  const int32_t refused[][2] = {{2, 2}, {0, 1}, {1, 0}, {-2, 1}, {3, -1}};
  for (const auto& f : refused) {
    CmgBBI img = Noise(4, 4, 9);
    const Pixels before = Px(img);
    EXPECT_EQ(fn.EfectScale(img, f[0], f[1]), 1) << f[0] << "/" << f[1];
    EXPECT_EQ(Px(img), before);
  }
}

TEST_F(ImageFunction, ScalingKeepsAPlainColourPlainToTheLastLine) {
  // 5 x 3 / 2 = 7.5 rounds up to 8: the last line must not fade toward black.
  for (auto [num, den] : {std::pair{3, 2}, std::pair{2, 3}, std::pair{7, 3}, std::pair{1, 4}}) {
    CmgBBI img = Filled(5, 5, 0xFF4080C0u);
    ASSERT_EQ(fn.EfectScale(img, num, den), 0);
    for (uint32_t p : Px(img)) ASSERT_EQ(p, 0xFF4080C0u) << num << "/" << den;
  }
  // Doubling repeats every line.
  CmgBBI img = Make(2, 3, [](int32_t, int32_t y) { return 0xFF000000u + static_cast<uint32_t>(y); });
  ASSERT_EQ(fn.EfectScaleY(img, 2, 1), 0);
  for (int32_t y = 0; y < 6; ++y) EXPECT_EQ(img.dwGetPixel(1, y), 0xFF000000u + static_cast<uint32_t>(y / 2));
}

TEST_F(ImageFunction, FatGrowsAndThinShrinksTheShape) {
  CmgBBI dot = Make(7, 7, [](int32_t x, int32_t y) { return x == 3 && y == 3 ? 0xFF804020u : 0u; });
  CmgBBI fat;
  ASSERT_EQ(fn.EfectFat(fat, dot, 1.0f), 0);
  for (int32_t y = 0; y < 7; ++y)
    for (int32_t x = 0; x < 7; ++x) {
      const bool near = std::abs(x - 3) <= 1 && std::abs(y - 3) <= 1;
      EXPECT_EQ(fat.dwGetPixel(x, y), near ? 0xFF804020u : 0u) << x << "," << y;
    }
  CmgBBI thin;
  ASSERT_EQ(fn.EfectThin(thin, fat, 1.0f), 0);
  EXPECT_EQ(thin.dwGetPixel(3, 3), 0xFF804020u);
  EXPECT_EQ(thin.dwGetPixel(2, 3), 0x00804020u);  // colour kept, alpha gone

  // Half a step: the new ring fades in half way.
  CmgBBI half;
  ASSERT_EQ(fn.EfectFat(half, dot, 0.5f), 0);
  EXPECT_EQ(half.dwGetPixel(3, 3), 0xFF804020u);
  EXPECT_EQ(half.dwGetPixel(4, 4), 0x7F402010u);
  EXPECT_EQ(half.dwGetPixel(5, 5), 0u);
}

TEST_F(ImageFunction, MaxReportsWhetherTheImageStillChanges) {
  CmgBBI img = Make(6, 6, [](int32_t x, int32_t y) { return x == 0 && y == 0 ? 0xFFFFFFFFu : 0xFF000000u; });
  bool changed = false;
  int32_t rounds = 0;
  do {
    ASSERT_EQ(fn.EfectMax(img, img, 1.0f, &changed), 0);
    ++rounds;
  } while (changed && rounds < 20);
  EXPECT_EQ(rounds, 6);  // five steps reach the far corner, the sixth changes nothing
  for (uint32_t p : Px(img)) EXPECT_EQ(p, 0xFFFFFFFFu);
  CmgBBI dark;
  ASSERT_EQ(fn.EfectMin(dark, img, 2.0f, &changed), 0);
  EXPECT_FALSE(changed);
}

TEST_F(ImageFunction, OutlineImagesHoldOnlyTheRing) {
  CmgBBI square = Make(9, 9, [](int32_t x, int32_t y) {
    return x >= 3 && x <= 5 && y >= 3 && y <= 5 ? 0xFF0000FFu : 0u;
  });
  CmgBBI ring;
  ASSERT_EQ(fn.CreateOutLine(ring, square, 0xC0FF0000u, 1), 0);
  for (int32_t y = 0; y < 9; ++y)
    for (int32_t x = 0; x < 9; ++x) {
      const bool in = x >= 3 && x <= 5 && y >= 3 && y <= 5;
      const bool grown = x >= 2 && x <= 6 && y >= 2 && y <= 6;
      EXPECT_EQ(ring.dwGetPixel(x, y), (grown && !in ? 0xC0u << 24 : 0u) | 0xFF0000u)
          << x << "," << y;
    }
}

TEST_F(ImageFunction, DepthImagesCarryBrightnessInAlpha) {
  CmgBBI src = Make(3, 1, [](int32_t x, int32_t) { return x == 0 ? 0x00FFFFFFu : x == 1 ? 0x00000000u : 0x00808080u; });
  CmgBBI depth;
  ASSERT_EQ(fn.CreateDepthApply(depth, src), 0);
  EXPECT_EQ(depth.dwGetPixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(depth.dwGetPixel(1, 0), 0x00000000u);
  EXPECT_EQ(depth.dwGetPixel(2, 0), 0x80808080u);
}

TEST_F(ImageFunction, FogKeepsItsColourAndStaysUnderItsDensity) {
  CmgBBI fog;
  ASSERT_EQ(fn.CreateFog(fog, 64, 40, 0xC0204060u, 0.5f, 8), 0);
  ASSERT_EQ(fog.Width(), 64);
  ASSERT_EQ(fog.height(), 40);
  std::set<uint32_t> alphas;
  for (uint32_t p : Px(fog)) {
    EXPECT_EQ(p & 0xFFFFFFu, 0x204060u);
    EXPECT_LE(p >> 24, 0x60u);
    alphas.insert(p >> 24);
  }
  EXPECT_GT(alphas.size(), 8u);
  EXPECT_EQ(fn.CreateFog(fog, 0, 10, 0), 1);
}

TEST_F(ImageFunction, EffectGoldens) {
  const CmgBBI shape = Shape();
  struct Case {
    const char* name;
    std::function<void(CmgBBI&)> run;
  };
  const std::vector<Case> cases = {
      {"outline", [&](CmgBBI& i) { fn.EfectOutLine(i, 0xFFFF0000u, 0xFFFFFF00u, 0xFF00FFFFu, 0x80FFFFFFu, 2); }},
      {"dropshadow", [&](CmgBBI& i) { fn.EfectDropShadow(i, 3, 2, 2, 0xC0000040u); }},
      {"fat", [&](CmgBBI& i) { CmgBBI s = i; fn.EfectFat(i, s, 1.5f); }},
      {"thin", [&](CmgBBI& i) { fn.EfectThin(i, i, 1.0f); }},
      {"max", [&](CmgBBI& i) { fn.EfectMax(i, i, 1.0f); }},
      {"min", [&](CmgBBI& i) { fn.EfectMin(i, i, 1.0f); }},
      {"scalex", [&](CmgBBI& i) { fn.EfectScaleX(i, 3, 2); }},
      {"scaley", [&](CmgBBI& i) { fn.EfectScaleY(i, 2, 3); }},
      {"scale", [&](CmgBBI& i) { fn.EfectScale(i, 5, 4); }},
  };
  for (const Case& c : cases) {
    CmgBBI img = shape;
    c.run(img);
    ExpectGolden(img, c.name);
  }
}

// ---- The pattern script ---------------------------------------------------------------------

TEST(TranserParse, PiecesKeywordsAndParameters) {
  struct Case {
    const char* script;
    std::vector<std::pair<int32_t, std::vector<std::string>>> want;
  };
  const Case cases[] = {
      {"[BOX 1,2]", {{1, {"1", "2"}}}},
      {"[box 1, 2 ,#123][tile 0.5]", {{1, {"1", "2", "#123"}}, {2, {"0.5"}}}},
      {"junk[Mul &H10,,3]more]", {{3, {"&H10", "", "3"}}}},
      {"[XOR]", {{4, {}}}},
      {"[CIRCLE 4,4", {{5, {"4", "4"}}}},
      {"[foo 1,2]", {}},
      {"[ BOX 1]", {}},
      {"BOX 1,2]", {}},
      {"[boxes 1][BO 2]", {}},
      {"[x [circle 1]", {}},  // the keyword follows the first "["
      {"", {}},
      {"]]]]", {}},
  };
  for (const Case& c : cases) {
    const auto got = CTranser::Parse(c.script);
    ASSERT_EQ(got.size(), c.want.size()) << c.script;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].keyword, c.want[i].first) << c.script;
      EXPECT_EQ(got[i].params, c.want[i].second) << c.script;
    }
  }
}

TEST(TranserParse, ValueNotations) {
  struct LengthCase {
    const char* text;
    int32_t length;
    int32_t want;
  };
  const LengthCase lengths[] = {{"12", 100, 12},   {"&H1A", 100, 26},  {"&hff", 100, 255},
                                {"0.5", 80, 40},   {"0.25", 6, 2},     {"0.75", 6, 4},
                                {"-7", 100, -7},   {"#123", 100, -1},  {"", 100, -1},
                                {" 9 ", 100, 9},   {"0.", 100, 0}};
  for (const auto& c : lengths) EXPECT_EQ(CTranser::Length(c.text, c.length, -1), c.want) << c.text;
  struct ColourCase {
    const char* text;
    uint32_t want;
  };
  const ColourCase colours[] = {
      {"#000", 0x00000000u},      {"#888", 0xFFFFFFFFu},       {"#800", 0x55FF0000u},
      {"#246", 0x804080C0u},      {"#FF8000", 0x7FFF8000u},    {"#80FF8000", 0x80FF8000u},
      {"#12", 0x00000012u},       {"&HFF00FF00", 0xFF00FF00u}, {"&H80", 0x00000080u},
      {"0.5", 0x80808080u},       {"1", 0x00000001u},          {"", 0xDEADBEEFu},
      {"-1", 0xFFFFFFFFu},
  };
  for (const auto& c : colours) EXPECT_EQ(CTranser::Colour(c.text, 0xDEADBEEFu), c.want) << c.text;
}

TEST_F(ImageFunction, OneCommandDrawsAtFullStrengthAndLaterOnesAreAveraged) {
  CmgBBI first = Noise(16, 12, 10);
  ASSERT_EQ(fn.Transer(first, "[BOX 0,0,#800,#080,#008,#888]"), 1);
  CmgBBI want = Filled(16, 12, 0);
  fn.BBIDrawBox(want, 0, 0, 16, 12, 0, 0x55FF0000u, 0x5500FF00u, 0x550000FFu, 0xFFFFFFFFu);
  EXPECT_EQ(Px(first), Px(want));

  CmgBBI second = Filled(16, 12, 0);
  ASSERT_EQ(fn.Transer(second, "[tile 4,3,#000,#888]"), 1);
  CmgBBI both = Noise(16, 12, 11);
  ASSERT_EQ(fn.Transer(both, "[BOX 0,0,#800,#080,#008,#888][tile 4,3,#000,#888]"), 2);
  fn.BBIBltHalfBlend(want, second);
  EXPECT_EQ(Px(both), Px(want));
}

TEST_F(ImageFunction, UnknownKeywordsDrawNothing) {
  CmgBBI img = Noise(10, 8, 12);
  const Pixels before = Px(img);
  for (const char* script : {"[foo 1,2,#888]", "", "[]", "BOX 1,2", "[BOXX]"}) {
    EXPECT_EQ(fn.Transer(img, script), 0) << script;
    EXPECT_EQ(fn.TranserAlpha(img, script), 0) << script;
    EXPECT_EQ(Px(img), before) << script;
  }
  // A skipped piece does not count as the first layer.
  CmgBBI a = Noise(10, 8, 13), b = Noise(10, 8, 13);
  fn.Transer(a, "[foo][XOR 5,4]");
  fn.Transer(b, "[XOR 5,4]");
  EXPECT_EQ(Px(a), Px(b));
}

TEST_F(ImageFunction, TranserAlphaKeepsTheTargetsColours) {
  const char* script = "[CIRCLE 0.5,0.5,#888,#000][MUL 7,5,#248,#888,#888,#426]";
  CmgBBI drawn = Filled(20, 14, 0);
  fn.Transer(drawn, script);
  CmgBBI img = Noise(20, 14, 14);
  const Pixels before = Px(img);
  ASSERT_EQ(fn.TranserAlpha(img, script), 2);
  const Pixels after = Px(img);
  const Pixels pattern = Px(drawn);
  for (size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i] & 0xFFFFFFu, before[i] & 0xFFFFFFu) << i;
    EXPECT_EQ(after[i] >> 24, pattern[i] >> 24) << i;
  }
}

TEST_F(ImageFunction, RandomScriptsAreReproducibleAndWellFormed) {
  std::set<std::string> seen;
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    util::CApi a, b;
    a.Randomize(seed);
    b.Randomize(seed);
    const std::string script = fn.TranserGetRndScript(a);
    EXPECT_EQ(fn.TranserGetRndScript(b), script) << seed;
    seen.insert(script);
    const auto commands = CTranser::Parse(script);
    ASSERT_GE(commands.size(), 1u) << script;
    ASSERT_LE(commands.size(), 3u) << script;
    for (const auto& c : commands) {
      EXPECT_EQ(c.params.size(), c.keyword == CTranser::kCircle ? 6u : 8u) << script;
      const int32_t w = CTranser::Length(c.params[0], 800, -1);
      EXPECT_EQ(w % 40, 0) << script;
      EXPECT_LE(w, 24 * 40) << script;
      EXPECT_EQ(CTranser::Length(c.params[1], 600, -1) * 4, w * 3) << script;
      for (size_t k = 2; k < c.params.size() - 2; ++k) {
        ASSERT_EQ(c.params[k].size(), 4u) << script;
        EXPECT_EQ(c.params[k][0], '#');
        for (int d = 1; d < 4; ++d) EXPECT_TRUE(c.params[k][d] >= '0' && c.params[k][d] <= '8');
      }
      for (size_t k = c.params.size() - 2; k < c.params.size(); ++k) {
        const int32_t v = CTranser::Length(c.params[k], 800, -1);
        EXPECT_TRUE(v >= 8 && v <= 160) << script;
      }
    }
    CmgBBI img = Filled(40, 30, 0);
    EXPECT_EQ(fn.Transer(img, script), static_cast<int32_t>(commands.size()));
  }
  EXPECT_GT(seen.size(), 30u);
}

TEST_F(ImageFunction, PatternGoldens) {
  struct Case {
    const char* name;
    const char* script;
  };
  const Case cases[] = {
      {"box", "[BOX 24,18,#800,#080,#008,#888,5,4]"},
      {"tile", "[TILE 0.25,0.5,#000,#888,#480,#048]"},
      {"mul", "[MUL 16,12,#000,#888,#888,#000]"},
      {"xor", "[XOR 0.5,0.5,#008,#880,#080,#808,&H8,3]"},
      {"circle", "[CIRCLE 16,12,#888,#200,8,6]"},
      {"layers", "[box 0,0,#000,#888][CIRCLE 24,18,#888,#000][XOR 12,9,#000,#888,#000,#888]"},
  };
  for (const Case& c : cases) {
    CmgBBI img = Filled(48, 36, 0);
    ASSERT_GE(fn.Transer(img, c.script), 1) << c.script;
    ExpectGolden(img, std::string("pattern_") + c.name);
    CmgBBI alpha = Filled(48, 36, 0xFF102030u);
    ASSERT_GE(fn.TranserAlpha(alpha, c.script), 1);
    for (int32_t i = 0; i < 48; i += 7)
      EXPECT_EQ(alpha.dwGetPixel(i, i * 3 / 4) >> 24, img.dwGetPixel(i, i * 3 / 4) >> 24);
  }
  util::CApi seeded;
  seeded.Randomize(2022);  // three layers of 80 x 60, 40 x 30 and whole-image cells
  CmgBBI img = Filled(160, 120, 0);
  fn.Transer(img, fn.TranserGetRndScript(seeded));
  ExpectGolden(img, "pattern_random");
}

}  // namespace
}  // namespace image

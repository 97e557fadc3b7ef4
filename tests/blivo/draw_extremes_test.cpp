// Every drawing export with every combination of extreme coordinates and sizes: nothing outside
// the images changes, and nothing walks the coordinate range (each call finishes at once; a
// walk of 2^32 steps would stall this test for minutes).
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <vector>

#include "blit_test_image.h"
#include "blivo.h"

namespace {

using blittest::TestImage;

TEST(DrawExtremes, NoExportWritesOutsideItsImages) {
  const int32_t values[] = {INT32_MIN, INT32_MIN + 1, -65536, -1, 0, 3, 7, 65536, INT32_MAX - 1,
                            INT32_MAX};
  std::vector<uint8_t> table(16385, 200);
  TestImage img(7, 5, 1), ramp(3, 2, 1), third(4, 4, 1);
  img.Fill(0x80808080u);
  ramp.Fill(0xFF00FF00u);
  third.Fill(0x40000000u);
  using Call = std::function<void(int32_t, int32_t, int32_t, int32_t)>;
  void* im = img.Block();
  void* rp = ramp.Block();
  void* th = third.Block();
  const Call calls[] = {
      [&](int32_t a, int32_t b, int32_t c, int32_t) { BBIFlipLineX(im, a, b, c, 1); },
      [&](int32_t a, int32_t b, int32_t c, int32_t) { BBIFlipLineY(im, a, b, c, 2); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) { BBIDrawLine(im, a, b, c, d, 0, 3); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) { BBIDotThick(im, a, b, c, d, 0, 3); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) { BBIDrawTriangle(im, a, b, c, d, b, a, 0, 4); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) { BBIDrawTriangleA(im, a, b, c, d, d, a, 0, 4); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) { BBIDrawColorFill(im, a, b, c, d, 0, 5); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) { BBIDrawBox(im, a, b, c, d, 0, 1, 2, 3, 4); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) { BBIDrawMultiplyLineBox(im, rp, a, b, c, d); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) { BBIDrawExclusiveLineBox(im, rp, a, b, c, d); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) { BBIDrawLineCircle(im, rp, a, b, c, d); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) { BBIDrawGradationLine(im, rp, a, b, c, d); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) { BBIDrawGradationBox(im, rp, a, b, c, d); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) { BBIDrawAlphaLine(im, a, b, c, d, ~0u, 0xFF000000u); },
      [&](int32_t a, int32_t b, int32_t c, int32_t) { BBIDrawPolaCircle(im, a, b, c, 0, 6); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) { BBIDrawColorTile(im, a, b, c, d, 0, c, d, 1, 2, 3, 4); },
      [&](int32_t a, int32_t b, int32_t, int32_t) {
        int32_t box[4];
        BBIPaint(im, a, b, static_cast<uint32_t>(a ^ b), &box[0], &box[1], &box[2], &box[3]);
      },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) {
        BBIPaintChoose(im, a, static_cast<uint32_t>(b), static_cast<uint32_t>(c), 7, static_cast<uint32_t>(d));
      },
      [&](int32_t a, int32_t, int32_t, int32_t) { BBIAntiAreas(im, table.data(), static_cast<uint32_t>(a)); },
      [&](int32_t a, int32_t b, int32_t c, int32_t d) {
        BBIStencilFlip(im, rp, th, a, b, c, d, b, a, d, c, 1.0f);
        BBIStencilFlipLE(rp, im, th, a, b, c, d, c, d, a, b, std::nanf(""));
        BBIStencilFlipLE(th, rp, im, d, c, b, a, a, b, c, d, 0.5f);
      },
  };
  for (const Call& call : calls)
    for (int32_t a : values)
      for (int32_t b : values)
        for (int32_t c : {INT32_MIN, -1, 2, INT32_MAX})
          for (int32_t d : {INT32_MIN, 0, 4, INT32_MAX}) {
            call(a, b, c, d);
            ASSERT_TRUE(img.GuardsIntact() && ramp.GuardsIntact() && third.GuardsIntact())
                << a << " " << b << " " << c << " " << d;
          }
  // Null and empty images are refused.
  EXPECT_EQ(BBIDrawColorFill(nullptr, 0, 0, 1, 1, 0, 0), 1);
  EXPECT_EQ(BBIDrawLine(nullptr, 0, 0, 1, 1, 0, 0), 1);
  EXPECT_EQ(BBIDrawGradationBox(im, nullptr, 0, 0, 1, 1), 1);
  EXPECT_EQ(BBIPaint(nullptr, 0, 0, 0, nullptr, nullptr, nullptr, nullptr), 1);
}

}  // namespace

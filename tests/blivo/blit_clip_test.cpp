// Every two-image blit and colour map under extreme rectangles: the result is 0 or 1, a result
// of 1 leaves both images as they were, and nothing outside the images' pixels is written.
#include <gtest/gtest.h>

#include <climits>
#include <limits>

#include "blit_exports.h"
#include "blit_test_image.h"

namespace {

using blittest::TestImage;

struct Rect6 {
  int32_t dx, dy, w, h, sx, sy;
  bool empty;  // known to clip to nothing
};

const Rect6 kRects[] = {
    {0, 0, 0, 3, 0, 0, true},           // zero width
    {0, 0, 3, 0, 0, 0, true},           // zero height
    {5, 0, 2, 2, 0, 0, true},           // entirely right of the destination
    {0, 0, 2, 2, 7, 0, true},           // entirely right of the source
    {-2, 0, 2, 2, 0, 0, true},          // entirely left
    {0, 0, -3, -3, 0, 0, true},
    {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, true},
    {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, true},
    {0, 0, INT32_MIN, INT32_MIN, 0, 0, true},
    {-1, -1, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, true},
    {INT32_MIN, 0, INT32_MAX, 2, INT32_MAX, 0, true},
    {-3, -3, 100, 100, -7, -1, false},  // larger than both images
    {1, 1, INT32_MAX, INT32_MAX, 0, 0, false},
    {0, 0, 2, 2, 2, 2, false},
};

TEST(BlitClip, ExtremeRectanglesNeverWriteOutside) {
  TestImage map(256, 3);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 256; ++x) map.Set(x, y, static_cast<uint32_t>(x) * 0x01010101u);
  blittest::Extras extras;
  extras.flag = 1;
  extras.level = 100;
  extras.flags4 = 15;
  extras.mask = 0x00FF00FFu;
  extras.fraction = 0.6f;
  extras.map = map.Block();
  std::mt19937 rng(3);
  for (const blittest::NamedBlit& blit : blittest::kAllBlits) {
    for (const Rect6& r : kRects) {
      TestImage dst(4, 3, 1), src(5, 4, 2);
      dst.Randomize(rng);
      src.Randomize(rng);
      const auto before = dst.Pixels();
      const int32_t result = blit.fn(dst.Block(), src.Block(), r.dx, r.dy, r.w, r.h, r.sx, r.sy,
                                     extras);
      EXPECT_TRUE(result == 0 || result == 1) << blit.name << " " << r.dx << "," << r.w;
      if (r.empty) {
        EXPECT_EQ(result, 1) << blit.name << " " << r.dx << "," << r.w;
      }
      if (result == 1) {
        EXPECT_EQ(dst.Pixels(), before) << blit.name << " " << r.dx;
      }
      EXPECT_TRUE(dst.GuardsIntact() && src.GuardsIntact()) << blit.name << " " << r.dx;
    }
    // A null image on either side clips to nothing.
    TestImage img(2, 2);
    EXPECT_EQ(blit.fn(nullptr, img.Block(), 0, 0, 2, 2, 0, 0, extras), 1) << blit.name;
    EXPECT_EQ(blit.fn(img.Block(), nullptr, 0, 0, 2, 2, 0, 0, extras), 1) << blit.name;
  }
}

TEST(BlitClip, EmptyHeaderSizesClipToNothing) {
  // A block whose header says width 0 or negative height has no pixels to visit.
  TestImage dst(2, 2), src(2, 2);
  for (int16_t bad : {int16_t{0}, int16_t{-5}}) {
    TestImage odd(2, 2);
    blivo::StoreI16(static_cast<uint8_t*>(odd.Block()) + 4, bad);
    EXPECT_EQ(BBIBlt(dst.Block(), odd.Block(), 0, 0, 2, 2, 0, 0), 1);
    EXPECT_EQ(BBIBlt(odd.Block(), src.Block(), 0, 0, 2, 2, 0, 0), 1);
    EXPECT_EQ(BBIClear(odd.Block(), 1, 1, 1, 1), 1);
    EXPECT_EQ(BBIKeying(odd.Block(), 0), 1);
  }
}

}  // namespace

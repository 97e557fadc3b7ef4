#include "present/CLayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/CmgBBIFunction.h"
#include "image/CmgBBIString.h"
#include "image/CmgBitmapList.h"
#include "present/CScreenshot.h"
#include "util/CApi.h"

namespace {

using present::CLayer;
using util::CRect;

CRect Rect(int32_t x, int32_t y, int32_t w, int32_t h) {
  CRect r;
  r.Create(x, y, w, h);
  return r;
}

class Layers : public ::testing::Test {
 protected:
  Layers() : functions(&api), text(&list, &functions, &api), layer(&text, &functions) {
    layer.Resize(200, 100, 4);
    screen.CreateBBI(200, 100);
  }
  void Fill(image::CmgBBI& img, uint32_t colour) {
    std::fill(img.Pixels(), img.Pixels() + img.Width() * img.height(), colour);
  }
  CRect Compose() {
    CRect dirt;
    layer.DoCompose(screen, dirt);
    return dirt;
  }
  // Pixels of the screen with any coverage inside r.
  int32_t Covered(const CRect& r) {
    int32_t n = 0;
    for (int32_t y = r.Top; y < r.Top + r.Height; ++y)
      for (int32_t x = r.Left; x < r.Left + r.Width; ++x)
        if ((screen.dwGetPixel(x, y) & 0xFFFFFF) != 0) ++n;
    return n;
  }
  util::CApi api;
  image::CmgBitmapList list;
  image::CmgBBIFunction functions;
  image::CmgBBIString text;
  CLayer layer;
  image::CmgBBI screen;
};

TEST(CLayerResize, SizesAndCountHaveMinimums) {
  struct Case {
    int32_t w, h, count, wantW, wantH, wantCount;
  } cases[] = {{0, 0, 0, 8, 8, 1}, {-5, 20, -1, 8, 20, 1}, {800, 600, 10, 800, 600, 10},
               {7, 9, 2, 8, 9, 2}};
  for (const Case& c : cases) {
    util::CApi api;
    image::CmgBitmapList list;
    image::CmgBBIFunction functions(&api);
    image::CmgBBIString text(&list, &functions, &api);
    CLayer l(&text, &functions);
    EXPECT_EQ(l.Count(), 1);
    l.Resize(c.w, c.h, c.count);
    EXPECT_EQ(l.Count(), c.wantCount);
    EXPECT_EQ(l.Area(), Rect(0, 0, c.wantW, c.wantH));
    for (int32_t i = 0; i < l.Count(); ++i) {
      EXPECT_EQ(l.BBI(i)->Width(), c.wantW);
      EXPECT_EQ(l.Config(i)->TextBox, Rect(0, 0, c.wantW, c.wantH));
    }
  }
}

TEST_F(Layers, AnIndexMakesItselfCurrentAndOneOutsideDoesNothing) {
  image::CmgBBI* third = layer.BBI(3);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(layer.index(), 3);
  EXPECT_EQ(layer.Config(), layer.Config(3));
  EXPECT_EQ(layer.BBI(), third);
  for (int32_t bad : {-1, 4, 1000}) {
    EXPECT_EQ(layer.BBI(bad), nullptr);
    EXPECT_EQ(layer.Config(bad), nullptr);
    EXPECT_EQ(layer.Dirt(bad), nullptr);
    layer.Redraw(bad);
    layer.Text(bad, "x");
    layer.Remove(bad, true);
    EXPECT_EQ(layer.TextWaitCount(bad), 0);
    EXPECT_EQ(layer.index(), 3) << bad;
  }
  EXPECT_TRUE(Compose().IsZero());
  // A current index outside the stack makes the index-less calls do nothing as well.
  layer.index(9);
  EXPECT_EQ(layer.BBI(), nullptr);
}

TEST_F(Layers, DirtyRectanglesAreUnitedAndOnlyThatAreaIsComposed) {
  Fill(*layer.BBI(0), 0xFF204060);
  Fill(*layer.BBI(1), 0xFF0000FF);
  layer.Config(1)->Add(0.5f);
  Fill(screen, 0x12345678);
  layer.Dirt(0)->Create(0, 0, 10, 10);
  layer.Dirt(1)->Create(50, 50, 10, 10);
  EXPECT_EQ(Compose(), Rect(0, 0, 60, 60));
  EXPECT_TRUE(layer.Dirt(0)->IsZero());
  EXPECT_TRUE(layer.Dirt(1)->IsZero());
  // Both layers over the whole union, outside it the screen is as it was.
  EXPECT_EQ(screen.dwGetPixel(30, 5), 0xFF1020AFu);
  EXPECT_EQ(screen.dwGetPixel(60, 5), 0x12345678u);
  EXPECT_EQ(screen.dwGetPixel(5, 60), 0x12345678u);
  // The caller's rectangle is part of the union; the result is clipped to the area.
  CRect dirt = Rect(190, 90, 50, 50);
  layer.DoCompose(screen, dirt);
  EXPECT_EQ(dirt, Rect(190, 90, 10, 10));
}

TEST_F(Layers, DrawingWithoutMarkingTheDirtComposesNothing) {
  Fill(*layer.BBI(2), 0xFFFFFFFF);
  EXPECT_TRUE(Compose().IsZero());
  EXPECT_EQ(screen.dwGetPixel(0, 0), 0u);
  layer.Redraw(2);
  EXPECT_EQ(Compose(), Rect(0, 0, 200, 100));
  EXPECT_EQ(screen.dwGetPixel(199, 99), 0xFFFFFFFFu);
}

TEST_F(Layers, ProgressiveTextShowsTextWaitFramesPerCharacter) {
  struct Case {
    float wait;
    std::vector<int32_t> remaining;  // TextWaitCount after each compose
  } cases[] = {
      {0.0f, {0}},
      {-1.0f, {0}},
      {1.0f, {5, 4, 3, 2, 1, 0}},
      {0.5f, {4, 2, 0}},
      {0.3f, {3, 0}},
      {1.5f, {6, 5, 4, 4, 3, 2}},
      {3.0f, {6, 6, 5, 5, 5, 4}},
  };
  for (const Case& c : cases) {
    layer.Resize(200, 100, 2);
    layer.Config(1)->AddText(0xFFFFFF, 1.0f, false, 20, "A", 0, true, 0, 0, 200, 100, 0, 0, 0, 0,
                             c.wait);
    layer.Text(1, "ABCDEF");
    EXPECT_EQ(layer.Text(1), "ABCDEF");
    EXPECT_EQ(layer.TextWaitCount(), 6);
    for (size_t f = 0; f < c.remaining.size(); ++f) {
      Compose();
      EXPECT_EQ(layer.TextWaitCount(1), c.remaining[f]) << "wait " << c.wait << " frame " << f;
    }
  }
}

TEST_F(Layers, OneCharacterComposesOnlyItsRectangle) {
  layer.Config(0)->AddText(0xFFFFFF, 1.0f, false, 20, "A", 0, true, 10, 10, 180, 80, 0, 0, 0, 0,
                           1.0f);
  layer.Text(0, "AB");
  const CRect first = Compose();
  EXPECT_EQ(first, Rect(10, 10, 10, 20));
  EXPECT_GT(Covered(first), 10);
  EXPECT_EQ(Compose(), Rect(20, 10, 10, 20));
  EXPECT_EQ(layer.TextRgn(0), Rect(10, 10, 20, 20));
  EXPECT_TRUE(Compose().IsZero());
}

TEST_F(Layers, TextNoWaitShowsTheRestAtOnce) {
  layer.Config(0)->AddTextBox(0, 0, 200, 100, 0, 0, 0, 0, 10.0f);
  layer.Text(0, "ABCD");
  layer.TextNoWait();
  EXPECT_EQ(layer.TextWaitCount(), 0);
  EXPECT_EQ(layer.TextRgn(), Rect(0, 0, 40, 20));
  EXPECT_EQ(Compose(), Rect(0, 0, 40, 20));
}

TEST_F(Layers, RemoveMakesTheOldTextAreaDirty) {
  layer.Config(1)->AddText(0xFFFFFF, 1.0f, false, 20, "A", 0, true, 20, 30);
  layer.Text(1, "Hello");
  Compose();
  const CRect shown = layer.TextRgn(1);
  ASSERT_EQ(shown, Rect(20, 30, 50, 20));
  ASSERT_GT(Covered(shown), 20);

  // Without DeleteImage the text's pixels stay: the area is recomposed and still shows them.
  layer.Remove(1);
  EXPECT_EQ(layer.Text(1), "");
  EXPECT_TRUE(layer.TextRgn(1).IsZero());
  EXPECT_EQ(Compose(), shown);
  EXPECT_GT(Covered(shown), 20);

  layer.Text(1, "Hello");
  Compose();
  layer.Remove({}, true);
  EXPECT_EQ(Compose(), shown);
  EXPECT_EQ(Covered(shown), 0);
}

TEST_F(Layers, AllRemoveClearsEveryText) {
  layer.Text(0, "AB");
  layer.Text(2, "CD");
  Compose();
  layer.AllRemove();
  for (int32_t i = 0; i < layer.Count(); ++i) EXPECT_EQ(layer.Text(i), "");
  EXPECT_EQ(Compose(), Rect(0, 0, 20, 20));
}

TEST_F(Layers, TextMultiPostDecidesWhetherANewTextReplacesTheOld) {
  for (int32_t mode : {0, 1}) {
    layer.Resize(200, 100, 1);
    layer.Config()->AddText(0xFFFFFF);
    layer.Config()->TextMultiPost = mode;
    layer.Text("WWWWWW");
    Compose();
    layer.Text("..");
    const CRect dirt = Compose();
    if (mode == 0) {
      EXPECT_EQ(dirt, Rect(0, 0, 60, 20));
      EXPECT_EQ(layer.TextRgn(), Rect(0, 0, 20, 20));
      EXPECT_EQ(Covered(Rect(30, 0, 30, 20)), 0);
    } else {
      EXPECT_EQ(dirt, Rect(0, 0, 20, 20));
      EXPECT_EQ(layer.TextRgn(), Rect(0, 0, 60, 20));
      EXPECT_GT(Covered(Rect(30, 0, 30, 20)), 20);
    }
  }
}

TEST_F(Layers, TextOutDrawsAtOnceWithTheLayersFontAndBox) {
  layer.Config(3)->AddText(0xFF0000, 1.0f, false, 40, "A", 0, true, 100, 50, 100, 50);
  layer.TextOut(3, std::string("Hi"));
  EXPECT_EQ(layer.Text(3), "");
  EXPECT_EQ(layer.TextRgn(3), Rect(100, 50, 40, 40));
  EXPECT_EQ(Compose(), Rect(100, 50, 40, 40));
  bool red = false;
  for (int32_t y = 50; y < 90; ++y)
    for (int32_t x = 100; x < 140; ++x) red |= screen.dwGetPixel(x, y) == 0xFFFF0000u;
  EXPECT_TRUE(red);
}

TEST(CLayerConfig, DefaultsAndSettingGroups) {
  present::CLayerConfig c;
  EXPECT_EQ(c.Blend, 1.0f);
  EXPECT_FALSE(c.ApplySrcAlpha);
  EXPECT_EQ(c.WhiteBorder, 0xFFFFFF);
  EXPECT_EQ(c.SrcMask, -1);
  EXPECT_EQ(c.FontSize, 20);
  EXPECT_TRUE(c.FontAntiAreas);
  EXPECT_EQ(c.FontName, "ＭＳ ゴシック");
  EXPECT_EQ(c.TextWait, 0.0f);

  c.Add(0.5f, true, true, 0.1f, 0x605020, 0xEEEEEE, 0xFF, 0xFFFF, 0x10);
  EXPECT_EQ(c.Blend, 0.5f);
  EXPECT_TRUE(c.ApplySrcAdd);
  EXPECT_EQ(c.BlackBorder, 0x605020);
  EXPECT_EQ(c.SrcBaseColor, 0x10);
  c.AddText(0xFFC0A0, 0.75f, true, 40, "ことり", 2, false, 1, 2, 3, 4, 5, 6, 1, 2, 0.5f);
  EXPECT_EQ(c.Blend, 0.75f);
  EXPECT_TRUE(c.ApplySrcAlpha);
  EXPECT_TRUE(c.ApplySrcAdd);
  EXPECT_EQ(c.Vivit, 1.0f);
  EXPECT_EQ(c.BlackBorder, 0);
  EXPECT_EQ(c.WhiteBorder, 0xFFFFFF);
  EXPECT_EQ(c.DstMask, 0);
  EXPECT_EQ(static_cast<uint32_t>(c.SrcMask), 0xFF000000u);
  EXPECT_EQ(c.SrcBaseColor, 0xFFC0A0);
  EXPECT_EQ(c.FontSize, 40);
  EXPECT_EQ(c.FontName, "ことり");
  EXPECT_EQ(c.FontBlur, 2);
  EXPECT_FALSE(c.FontAntiAreas);
  EXPECT_EQ(c.TextBox, Rect(1, 2, 3, 4));
  EXPECT_EQ(c.TextSpaceX, 5);
  EXPECT_EQ(c.TextSpaceY, 6);
  EXPECT_EQ(c.TextAlignX, 1);
  EXPECT_EQ(c.TextAlignY, 2);
  EXPECT_EQ(c.TextWait, 0.5f);
  present::CLayerConfig d;
  d.AddCopy(c);
  EXPECT_EQ(d.FontName, c.FontName);
  EXPECT_EQ(d.TextBox, c.TextBox);
  EXPECT_EQ(d.SrcMask, c.SrcMask);
}

}  // namespace

namespace {

// The result screen's kind of stack: a frozen picture shown dimmed and toned, two text layers
// over it. TUMBLEROO_LAYER_PNG=<file> saves the composed frame to look at.
TEST(CLayerStack, ResultScreenKindOfStack) {
  util::CApi api;
  image::CmgBitmapList list;
  image::CmgBBIFunction functions(&api);
  image::CmgBBIString text(&list, &functions, &api);
  CLayer layer(&text, &functions);
  layer.Resize(400, 300, 10);
  image::CmgBBI screen;
  screen.CreateBBI(400, 300);
  uint32_t* p = layer.BBI(0)->Pixels();
  for (int32_t y = 0; y < 300; ++y)
    for (int32_t x = 0; x < 400; ++x)
      p[y * 400 + x] = 0xFF000000u | static_cast<uint32_t>(x * 255 / 399) << 16 |
                       static_cast<uint32_t>(y * 255 / 299) << 8 | 0x80;
  layer.Config()->Add(1.0f, false, false, 0.1f, 0x605020, 0xFFFFFF);
  layer.Redraw();
  layer.Config(1)->AddText(0xFFFFFF, 1.0f, false, 60, "A", 2, true, 0, 40, 400, 100, 0, 0, 1, 1);
  layer.Text(1, "Game!");
  layer.Config(2)->AddText(0xFFFFC0A0, 0.8f, false, 20, "A", 0, true, 0, 180, 400, 60, 0, 4, 1);
  layer.Text(2, "Win!   Lose   Lose   Lose\r\n  3      1      0      2");
  CRect dirt;
  layer.DoCompose(screen, dirt);
  EXPECT_EQ(dirt, Rect(0, 0, 400, 300));
  // The frozen picture, nearly grey, its darker part pressed to black.
  EXPECT_EQ(screen.dwGetPixel(0, 0) & 0xFFFFFF, 0x000014u);
  bool white = false, warm = false;
  for (int32_t y = 0; y < 300; ++y)
    for (int32_t x = 0; x < 400; ++x) {
      const uint32_t c = screen.dwGetPixel(x, y) & 0xFFFFFF;
      white |= y < 180 && c == 0xFFFFFFu;
      warm |= y >= 180 && (c >> 16) > ((c >> 8) & 0xFF) + 8;
    }
  EXPECT_TRUE(white);
  EXPECT_TRUE(warm);
  if (const char* png = std::getenv("TUMBLEROO_LAYER_PNG")) {
    std::string error;
    EXPECT_TRUE(present::CScreenshot::Save(screen.Pixels(), 400, 300, 1600, png, error)) << error;
  }
}

}  // namespace

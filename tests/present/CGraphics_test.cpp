// The picture object: corner colours and render-mode shortcuts, the textured, DirectDraw and GDI
// draws into a back buffer through the software device checked pixel by pixel against a plain
// model, the drawing scale, texture drop and remake on the engine root's events, the half-size
// rule, saved copies, loading through the bitmap list with and without an error text, and text.
#include "present/CGraphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/spLib.h"
#include "image/CmgBBIBase.h"
#include "image/CmgBBIFunction.h"
#include "image/CmgBitmapList.h"
#include "present/CRgbDevice.h"
#include "present/IGraphicsTarget.h"
#include "present/SoftwareTarget.h"

namespace {

using present::CGraphics;
using present::CRgbDevice;
using present::TextureMemory;

constexpr uint32_t kBack = 0xFF102030u;

// A back buffer that allows halving large textures unless a test says otherwise.
class TestTarget : public testsupport::SoftwareTarget {
 public:
  TestTarget(int32_t w, int32_t h) : SoftwareTarget(w, h, kBack) { reduce = true; }
  void Clear() { Fill(kBack); }
};

class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CGraphics::UseTarget(&target);
    CGraphics::DrawScale(1.0f);
    TextureMemory::Shared().SetBudget(TextureMemory::kDefaultBudget);
  }
  void TearDown() override {
    CGraphics::UseTarget(nullptr);
    CGraphics::DrawScale(1.0f);
    TextureMemory::Shared().SetBudget(TextureMemory::kDefaultBudget);
  }
  // A picture whose every pixel tells its position: opaque, red x, green y, blue 0x40.
  static void Pattern(CGraphics& g, int32_t w, int32_t h) {
    g.Add(w, h);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) g.BBI.dwSetPixel(x, y, PatternPixel(x, y));
    g.Refresh();
  }
  static uint32_t PatternPixel(int32_t x, int32_t y) {
    return 0xFF000040u | static_cast<uint32_t>(x & 0xFF) << 16 | static_cast<uint32_t>(y & 0xFF) << 8;
  }
  TestTarget target{200, 160};
};

TEST_F(GraphicsTest, CornerColoursAndShortcuts) {
  CGraphics g;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(g.ColorIndex(i), 0xFFFFFFFFu);
  EXPECT_EQ(g.GetRender(), 0u);
  g.Color(0x80FF0000u);
  EXPECT_EQ(g.ColorIndex(2), 0x80FF0000u);
  EXPECT_EQ(g.ColorIndex(2), 0x80FF0000u);  // reading changes nothing
  for (int i = 0; i < 4; ++i) EXPECT_EQ(g.ColorIndex(i), 0x80FF0000u);
  g.ColorIndex(4, 0x12345678u);
  g.ColorIndex(-1, 0x12345678u);
  EXPECT_EQ(g.ColorIndex(4), 0u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(g.ColorIndex(i), 0x80FF0000u);
  g.ColorIndex(3, 0xFF00FF00u);
  EXPECT_EQ(g.Color(), 0x80FF0000u);
  EXPECT_EQ(g.ColorIndex(3), 0xFF00FF00u);
  const struct {
    bool text, add;
    uint32_t mode;
  } cases[] = {{true, false, 0x211}, {true, true, 0x215}, {false, false, 0x011}, {false, true, 0x015}};
  for (const auto& c : cases) {
    if (c.text)
      g.SetRender_ColorText(c.add);
    else
      g.SetRender_EmptyTexture(c.add);
    EXPECT_EQ(g.GetRender(), c.mode);
  }
}

// DrawD3DDraw(100, 100, 0, 0, 0, 0, True) of a 64 x 32 picture covers (68, 84) to (132, 116).
TEST_F(GraphicsTest, CentredQuadCoversExactlyItsRectangle) {
  CGraphics g;
  Pattern(g, 64, 32);
  g.DrawD3DDraw(100, 100, 0, 0, 0, 0, true);
  for (int32_t y = 0; y < target.height; ++y)
    for (int32_t x = 0; x < target.width; ++x) {
      const bool inside = x >= 68 && x < 132 && y >= 84 && y < 116;
      const uint32_t want = inside ? PatternPixel(x - 68, y - 84) : kBack;
      ASSERT_EQ(target.At(x, y), want) << x << "," << y;
    }
  EXPECT_TRUE(g.TextureMade());
  EXPECT_FLOAT_EQ(g.tu(), 1.0f);
  EXPECT_FLOAT_EQ(g.tv(), 1.0f);
}

TEST_F(GraphicsTest, TextureFillRatiosAndSourceRectangle) {
  CGraphics g;
  Pattern(g, 40, 24);  // texture 64 x 32
  // Source x 8..24 and y 4..12 stretched 4x and 2x; sample block centres only.
  g.DrawD3DDrawStretch(10, 10, 64, 16, 8, 4, 16, 8);
  EXPECT_FLOAT_EQ(g.tu(), 40.0f / 64.0f);
  EXPECT_FLOAT_EQ(g.tv(), 24.0f / 32.0f);
  for (int32_t j = 0; j < 8; ++j)
    for (int32_t i = 0; i < 16; ++i)
      ASSERT_EQ(target.At(10 + 4 * i + 2, 10 + 2 * j + 1), PatternPixel(8 + i, 4 + j)) << i << "," << j;
  EXPECT_EQ(target.At(9, 10), kBack);
  EXPECT_EQ(target.At(74, 10), kBack);
}

// Mode 0x070: mid-grey corners leave the picture, lighter corners brighten it (add signed).
TEST_F(GraphicsTest, AddSignedModeAgainstModel) {
  CGraphics g;
  Pattern(g, 16, 16);
  g.SetRender(0x070);
  const struct {
    uint32_t corner;
    int32_t delta;
  } cases[] = {{0xFF808080u, 0}, {0xFFA0A0A0u, 32}, {0xFF404040u, -64}};
  for (const auto& c : cases) {
    target.Clear();
    g.Color(c.corner);
    g.DrawD3DDraw(0, 0);
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < 16; ++x) {
        const uint32_t p = PatternPixel(x, y);
        uint32_t want = 0xFF000000u;  // alpha: the vertex's (no blend)
        for (int ch = 0; ch < 3; ++ch) {
          const int32_t v = static_cast<int32_t>((p >> (8 * ch)) & 0xFF) + c.delta;
          want |= static_cast<uint32_t>(std::clamp(v, 0, 255)) << (8 * ch);
        }
        ASSERT_EQ(target.At(x, y), want) << std::hex << c.corner << std::dec << " " << x << "," << y;
      }
  }
}

TEST_F(GraphicsTest, ColourKeyOnEveryPath) {
  CGraphics g;
  Pattern(g, 8, 8);
  const uint32_t key = 0xFFFF00FFu;
  g.BBI.dwSetPixel(0, 0, key);
  g.BBI.dwSetPixel(3, 5, key);
  g.ChooseColorKey();
  EXPECT_EQ(g.KeyColor(), key & 0xFFFFFFu);
  EXPECT_EQ(g.BBI.dwGetPixel(3, 5) >> 24, 0u);
  EXPECT_EQ(g.BBI.dwGetPixel(4, 5) >> 24, 255u);
  auto keyed = [](int32_t x, int32_t y) { return (x == 0 && y == 0) || (x == 3 && y == 5); };
  // Textured with colour keying, DirectDraw with the key, GDI without.
  g.DrawD3DDraw(10, 10, 0, 0, 0, 0, false, true);
  g.DrawDDraw(30, 10, 0, 0, 0, 0, false, true);
  g.DrawGDI(50, 10);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      const uint32_t p = PatternPixel(x, y);
      ASSERT_EQ(target.At(10 + x, 10 + y), keyed(x, y) ? kBack : p) << x << "," << y;
      ASSERT_EQ(target.At(30 + x, 10 + y), keyed(x, y) ? kBack : p) << x << "," << y;
      ASSERT_EQ(target.At(50 + x, 10 + y), keyed(x, y) ? key & 0x00FFFFFFu : p) << x << "," << y;
    }
}

TEST_F(GraphicsTest, StretchedAndCentredSoftwareDraws) {
  CGraphics g;
  Pattern(g, 10, 6);
  g.DrawGDIStretch(0, 0, 20, 18);           // 2x, 3x
  g.DrawDDrawStretch(100, 50, 10, 6, 0, 0, 0, 0, true);  // centred, 1:1
  g.DrawDDraw(195, 155);                    // clipped at the corner
  for (int32_t y = 0; y < 18; ++y)
    for (int32_t x = 0; x < 20; ++x) ASSERT_EQ(target.At(x, y), PatternPixel(x / 2, y / 3));
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 10; ++x) ASSERT_EQ(target.At(95 + x, 47 + y), PatternPixel(x, y));
  for (int32_t y = 155; y < 160; ++y)
    for (int32_t x = 195; x < 200; ++x) ASSERT_EQ(target.At(x, y), PatternPixel(x - 195, y - 155));
}

TEST_F(GraphicsTest, DrawingScaleAppliesToTexturedDrawsOnly) {
  CGraphics g;
  Pattern(g, 64, 32);
  CGraphics::DrawScale(0.5f);
  g.DrawD3DDraw(100, 100);
  // Covers (50, 50) to (82, 66): every pixel inside drawn, none outside.
  for (int32_t y = 40; y < 80; ++y)
    for (int32_t x = 40; x < 100; ++x) {
      const bool inside = x >= 50 && x < 82 && y >= 50 && y < 66;
      ASSERT_EQ(target.At(x, y) != kBack, inside) << x << "," << y;
    }
  g.DrawGDI(0, 0);
  EXPECT_EQ(target.At(63, 31), PatternPixel(63, 31));
}

TEST_F(GraphicsTest, RegionDraws) {
  CGraphics g;
  Pattern(g, 32, 32);
  util::CRect a, b;
  a.Create(0, 0, 4, 4);
  b.Create(20, 10, 6, 3);
  g.RgnAdd(a);
  g.RgnAdd(b);
  EXPECT_EQ(g.RgnCount(), 2);
  g.DrawD3DDrawRgn(100, 100);
  g.DrawGDIRgn(0, 0);
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 32; ++x) {
      const bool in = (x < 4 && y < 4) || (x >= 20 && x < 26 && y >= 10 && y < 13);
      ASSERT_EQ(target.At(100 + x, 100 + y), in ? PatternPixel(x, y) : kBack) << x << "," << y;
      ASSERT_EQ(target.At(x, y), in ? PatternPixel(x, y) : kBack) << x << "," << y;
    }
}

TEST_F(GraphicsTest, TextureDroppedOnDeviceEventsAndMadeAgain) {
  engine::spLib& root = engine::spLib::Shared();
  CGraphics g(&root);
  Pattern(g, 16, 16);
  const int64_t before = TextureMemory::Shared().Used();
  g.DrawD3DDraw(0, 0);
  ASSERT_TRUE(g.TextureMade());
  EXPECT_EQ(TextureMemory::Shared().Used(), before + 16 * 16 * 4);
  const engine::CSurface* first = g.DDS.get();
  root.TerminateDraw.Raise();
  EXPECT_FALSE(g.TextureMade());
  EXPECT_EQ(g.DDS, nullptr);
  ASSERT_EQ(target.forgotten.size(), 1u);
  EXPECT_EQ(target.forgotten[0], first);
  EXPECT_EQ(TextureMemory::Shared().Used(), before);
  // A changed picture is drawn from a new texture at the next draw.
  g.BBI.dwSetPixel(5, 5, 0xFF00FF00u);
  g.Refresh();
  target.Clear();
  g.DrawD3DDraw(0, 0);
  EXPECT_TRUE(g.TextureMade());
  EXPECT_EQ(target.At(5, 5), 0xFF00FF00u);
  EXPECT_EQ(target.At(6, 5), PatternPixel(6, 5));
  root.ViderMemoryOver.Raise();
  EXPECT_FALSE(g.TextureMade());
  // Giving video memory back makes the texture again at once, with its data.
  root.ViderMemoryCash.Raise();
  EXPECT_TRUE(g.TextureMade());
  EXPECT_FALSE(g.Outdated());
  // A lost texture is made again by the next draw.
  g.DDS->Lose();
  target.Clear();
  g.DrawD3DDraw(0, 0);
  EXPECT_EQ(target.At(5, 5), 0xFF00FF00u);
  // A refresh without loss re-uploads into the same texture.
  const engine::CSurface* kept = g.DDS.get();
  g.BBI.dwSetPixel(5, 5, 0xFF0000FFu);
  g.Refresh();
  g.DrawD3DDraw(0, 0);
  EXPECT_EQ(g.DDS.get(), kept);
  EXPECT_EQ(target.At(5, 5), 0xFF0000FFu);
}

TEST_F(GraphicsTest, HalfSizeRule) {
  struct Case {
    int32_t w, h;
    bool reduceAllowed;
    int64_t budget;
    int32_t dataW, dataH;  // the copy in the texture
    int32_t texW, texH;
  };
  const int64_t big = TextureMemory::kDefaultBudget;
  const Case cases[] = {
      {200, 100, true, big, 200, 100, 256, 128},        // fits: kept
      {200, 100, true, 64 * 1024, 100, 50, 128, 64},    // memory short, allowed: halved
      {200, 100, false, 64 * 1024, 200, 100, 256, 128}, // memory short, not allowed
      {20, 100, true, 8 * 1024, 20, 50, 32, 64},       // a side below 32 stays
      {3000, 40, false, big, 1500, 20, 2048, 32},       // beyond the device's side
      {25, 25, true, 1, 25, 25, 32, 32},                // too small to halve
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    TextureMemory::Shared().SetBudget(c.budget + TextureMemory::Shared().Used());
    target.reduce = c.reduceAllowed;
    CGraphics g;
    Pattern(g, c.w, c.h);
    ASSERT_TRUE(g.ExistDDSTexture(true, true));
    EXPECT_EQ(g.DDS->Width(), c.texW);
    EXPECT_EQ(g.DDS->Height(), c.texH);
    EXPECT_EQ(g.TextureReduced(), c.dataW != c.w || c.dataH != c.h);
    EXPECT_FLOAT_EQ(g.tu(), static_cast<float>(c.dataW) / static_cast<float>(c.texW));
    EXPECT_FLOAT_EQ(g.tv(), static_cast<float>(c.dataH) / static_cast<float>(c.texH));
  }
  // A halved picture still covers its full size on screen, drawn from the reduced copy.
  TextureMemory::Shared().SetBudget(16 * 1024 + TextureMemory::Shared().Used());
  target.reduce = true;
  CGraphics g;
  g.Add(128, 64);
  image::CmgBBIFunction::Shared().BBIClear(g.BBI, 0, 200, 0, 255);
  g.Refresh();
  g.DrawD3DDraw(0, 0);
  ASSERT_TRUE(g.TextureReduced());
  EXPECT_EQ(target.At(0, 0), 0xFF00C800u);
  EXPECT_EQ(target.At(127, 63), 0xFF00C800u);
  EXPECT_EQ(target.At(128, 63), kBack);
}

TEST_F(GraphicsTest, ChildStack) {
  CGraphics g;
  Pattern(g, 4, 4);
  EXPECT_EQ(g.GetChildCount(), 0);
  EXPECT_FALSE(g.ChildPop());
  g.ChildPush();
  g.ChooseColor(0, 0, 0, 0);
  g.Add(2, 2, true);
  g.ChildPush();
  EXPECT_EQ(g.GetChildCount(), 2);
  ASSERT_NE(g.Child(0), nullptr);
  EXPECT_EQ(g.Child(0)->dwGetPixel(3, 2), PatternPixel(3, 2));
  EXPECT_EQ(g.Child(2), nullptr);
  EXPECT_EQ(g.Child(-1), nullptr);
  g.Add(8, 8);
  EXPECT_TRUE(g.ChildPop());
  EXPECT_EQ(g.Width(), 2);
  EXPECT_TRUE(g.ChildPop());
  EXPECT_EQ(g.Width(), 4);
  EXPECT_EQ(g.BBI.dwGetPixel(3, 2), PatternPixel(3, 2));
  EXPECT_TRUE(g.Outdated());
  g.ChildPush();
  g.ChildPush();
  g.ChildRedimPreserve(3);
  EXPECT_EQ(g.GetChildCount(), 3);
  EXPECT_EQ(g.Child(1)->dwGetPixel(3, 2), PatternPixel(3, 2));
  EXPECT_EQ(g.Child(2)->Width(), 1);
  g.ChildRedim(1);
  EXPECT_EQ(g.GetChildCount(), 1);
  EXPECT_EQ(g.Child(0)->Width(), 1);
}

class LoadTest : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    dir = std::filesystem::temp_directory_path() /
          ("tumbleroo_graphics_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    image::ImageMessages::Current().askOkCancel = [this](const std::string& text,
                                                         const std::string&) {
      asked.push_back(text);
      return true;
    };
    image::ImageMessages::Current().endProgram = [this](int) { ended = true; };
  }
  void TearDown() override {
    image::ImageMessages::Current() = image::ImageMessages::Defaults();
    std::filesystem::remove_all(dir);
    GraphicsTest::TearDown();
  }
  std::filesystem::path dir;
  std::vector<std::string> asked;
  bool ended = false;
};

TEST_F(LoadTest, MissingFileWithAndWithoutErrorText) {
  CGraphics g;
  Pattern(g, 3, 3);
  (void)g.ExistDDSTexture(true, true);
  ASSERT_FALSE(g.Outdated());
  const std::string missing = (dir / "nothing.bmp").string();
  EXPECT_EQ(g.Load(missing), 0);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(g.Width(), 3);
  EXPECT_EQ(g.BBI.dwGetPixel(2, 1), PatternPixel(2, 1));
  EXPECT_TRUE(g.Outdated());  // Load refreshes whatever the result
  EXPECT_EQ(g.Load(missing, CGraphics::kLoadErrorText), 0);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "ファイルの読み込みに失敗");
  EXPECT_FALSE(ended);
  EXPECT_EQ(g.Width(), 3);
}

TEST_F(LoadTest, LoadsThroughTheSharedList) {
  image::CmgBBI src;
  src.CreateBBI(5, 4);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 5; ++x) src.dwSetPixel(x, y, PatternPixel(x * 10, y * 10));
  const std::string file = (dir / "Pic.bmp").string();
  ASSERT_EQ(src.SaveToBitmap(file), 0);
  image::CmgBitmapList& list = image::CmgBitmapList::Shared();
  const int32_t count0 = list.Count();
  {
    CGraphics a, b;
    EXPECT_EQ(a.Load(file, CGraphics::kLoadErrorText), 1);
    EXPECT_EQ(list.Count(), count0 + 1);
    std::filesystem::remove(file);  // the second load is served from the list
    EXPECT_EQ(b.Load(file), 1);
    EXPECT_EQ(list.Count(), count0 + 1);
    for (CGraphics* g : {&a, &b}) {
      ASSERT_EQ(g->Width(), 5);
      ASSERT_EQ(g->height(), 4);
      for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 5; ++x)
          ASSERT_EQ(g->BBI.dwGetPixel(x, y) & 0xFFFFFFu, PatternPixel(x * 10, y * 10) & 0xFFFFFFu);
    }
    // Each object changes its own copy.
    a.ChooseColor(0, 0, 0);
    EXPECT_EQ(b.BBI.dwGetPixel(1, 1) & 0xFFFFFFu, PatternPixel(10, 10) & 0xFFFFFFu);
    EXPECT_TRUE(asked.empty());
  }
  EXPECT_EQ(list.Count(), count0);  // the last reference gone, the entry goes
}

TEST_F(GraphicsTest, TextWholeAndProgressive) {
  CGraphics whole, step;
  whole.LoadText("AB", 64, 32, 20);
  EXPECT_EQ(whole.Width(), 64);
  EXPECT_EQ(whole.height(), 32);
  int32_t covered = 0;
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 64; ++x) {
      const uint32_t p = whole.BBI.dwGetPixel(x, y);
      ASSERT_EQ(p & 0xFFFFFFu, 0xFFFFFFu);
      covered += (p >> 24) != 0 ? 1 : 0;
    }
  EXPECT_GT(covered, 20);
  step.LoadText("AB", 64, 32, 20, "", 0, true, 0, 0, 0, 0, true);
  int32_t empty = 0;
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 64; ++x) empty += (step.BBI.dwGetPixel(x, y) >> 24) == 0 ? 1 : 0;
  EXPECT_EQ(empty, 64 * 32);  // nothing drawn before the first step
  EXPECT_TRUE(step.LoadTextNext());
  EXPECT_FALSE(step.LoadTextNext());
  EXPECT_FALSE(step.LoadTextNext());
  EXPECT_EQ(step.BBI.Data(), whole.BBI.Data());
  // Drawn in the colour-text mode: the corner colour with the glyph's coverage.
  whole.SetRender_ColorText(false);
  whole.Color(0xFFFFC0A0u);
  whole.DrawD3DDraw(0, 0);
  bool tinted = false;
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 64; ++x)
      if ((whole.BBI.dwGetPixel(x, y) >> 24) == 255) tinted = tinted || target.At(x, y) == 0xFFFFC0A0u;
  EXPECT_TRUE(tinted);
}

TEST_F(GraphicsTest, SoftwareBltAndLoadDDSTex) {
  CGraphics g, src;
  Pattern(src, 8, 8);
  g.Add(16, 16, true);
  g.Blt(src, 4, 4, 0, 0, 0, 0);
  EXPECT_EQ(g.BBI.dwGetPixel(4, 4), PatternPixel(0, 0));
  EXPECT_EQ(g.BBI.dwGetPixel(11, 11), PatternPixel(7, 7));
  EXPECT_EQ(g.BBI.dwGetPixel(3, 3), 0u);
  engine::CSurface surface(6, 5, engine::PixelFormat::Argb8888());
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t x = 0; x < 6; ++x) surface.WritePixel(x, y, PatternPixel(x + 1, y + 2));
  g.LoadDDSTex(surface);
  EXPECT_EQ(g.Width(), 6);
  EXPECT_EQ(g.height(), 5);
  EXPECT_EQ(g.BBI.dwGetPixel(5, 4), PatternPixel(6, 6));
  EXPECT_TRUE(g.Outdated());
}

TEST_F(GraphicsTest, MovedObjectKeepsItsTextureAndEvents) {
  engine::spLib& root = engine::spLib::Shared();
  std::vector<CGraphics> v;
  v.emplace_back(&root);
  Pattern(v[0], 8, 8);
  ASSERT_TRUE(v[0].ExistDDSTexture());
  v.emplace_back(&root);  // moves the first
  EXPECT_TRUE(v[0].TextureMade());
  root.TerminateDraw.Raise();
  EXPECT_FALSE(v[0].TextureMade());
  EXPECT_EQ(v[0].DDS, nullptr);
}

}  // namespace

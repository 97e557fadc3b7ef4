// The OpenGL device against the software device: the golden scene and every render mode the
// game uses, within a small tolerance, on whatever OpenGL SDL's offscreen driver offers (Mesa's
// software renderer on a machine without a GPU). Skipped, saying why, when no context can be
// made.
#include "present/CGlDevice.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/CSurface.h"
#include "present/CRgbDevice.h"
#include "engine/spLib.h"
#include "image/CmgBBIFunction.h"
#include "platform/CWindow.h"
#include "present/CDisplayDevice.h"
#include "present/CGraphics.h"
#include "present/GoldenScene.h"

namespace {

using present::CGlDevice;
using present::CIMDevice;
using present::CRgbDevice;

class GlDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("TUMBLEROO_GL_DRIVER") != nullptr)
      setenv("SDL_VIDEODRIVER", std::getenv("TUMBLEROO_GL_DRIVER"), 1);
    else
      setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::string why;
    gl = CGlDevice::Create(why);
    if (!gl) GTEST_SKIP() << "no OpenGL context: " << why;
  }
  std::unique_ptr<CGlDevice> gl;
};

std::unique_ptr<engine::CSurface> Texture(int32_t w, int32_t h, const std::vector<uint32_t>& px) {
  auto s = std::make_unique<engine::CSurface>(w, h, engine::PixelFormat::Argb8888(), true);
  uint8_t* p = s->Lock();
  for (int32_t y = 0; y < h; ++y)
    std::memcpy(p + static_cast<size_t>(y) * s->Pitch(), px.data() + static_cast<size_t>(y) * w,
                static_cast<size_t>(w) * 4);
  s->Unlock();
  return s;
}

int Diff(uint32_t a, uint32_t b, int channels = 4) {
  int m = 0;
  for (int ch = 0; ch < channels; ++ch)
    m = std::max(m, std::abs(static_cast<int>((a >> (8 * ch)) & 0xFF) -
                             static_cast<int>((b >> (8 * ch)) & 0xFF)));
  return m;
}

TEST_F(GlDeviceTest, GoldenSceneMatchesTheSoftwareDevice) {
  const auto ball = Texture(32, 32, GoldenBallTexels());
  std::vector<uint32_t> soft(kGoldenWidth * kGoldenHeight, 0), hard(soft.size(), 0);
  CRgbDevice rgb;
  rgb.SetRenderTarget(soft.data(), kGoldenWidth, kGoldenHeight, kGoldenWidth * 4);
  DrawGoldenScene(rgb, ball.get(), kGoldenWidth, kGoldenHeight);
  gl->SetRenderTarget(hard.data(), kGoldenWidth, kGoldenHeight, kGoldenWidth * 4);
  DrawGoldenScene(*gl, ball.get(), kGoldenWidth, kGoldenHeight);
  gl->Finish();
  int worst = 0, off = 0;
  for (size_t i = 0; i < soft.size(); ++i) {
    const int d = Diff(soft[i], hard[i], 3);
    worst = std::max(worst, d);
    if (d > 4) ++off;
  }
  EXPECT_LE(worst, 12) << "renderer " << gl->Renderer();
  EXPECT_LE(off, static_cast<int>(soft.size()) / 100) << "pixels off by more than 4";
}

TEST_F(GlDeviceTest, GameModesMatchTheSoftwareDevice) {
  constexpr int32_t W = 40, H = 24;
  std::mt19937 rng(5);
  std::vector<uint32_t> texels(W * H), background(W * H);
  for (uint32_t& t : texels) t = rng();
  for (uint32_t& t : background) t = rng() | 0xFF000000u;
  const auto tex = Texture(W, H, texels);
  for (const uint32_t mode : {0x070u, 0x101u, 0x151u, 0x271u, 0x211u, 0x215u, 0x011u, 0x015u,
                              0x100u, 0x102u, 0x123u, 0x187u, 0x196u, 0x094u}) {
    std::vector<uint32_t> soft = background, hard = background;
    const uint32_t corners[4] = {0xFF808080u, 0x80FF4020u, 0xC0204080u, 0x40FFFFFFu};
    CRgbDevice rgb;
    rgb.SetRenderTarget(soft.data(), W, H, W * 4);
    gl->SetRenderTarget(hard.data(), W, H, W * 4);
    for (CIMDevice* d : {static_cast<CIMDevice*>(&rgb), static_cast<CIMDevice*>(gl.get())}) {
      d->SetTexture(tex.get());
      d->FactorColor(0x80FFFFFFu);
      d->SetRenderMode(mode);
      GoldenQuad(*d, 0, 0, W, H, corners);
    }
    gl->Finish();
    int worst = 0;
    for (size_t i = 0; i < soft.size(); ++i) worst = std::max(worst, Diff(soft[i], hard[i]));
    EXPECT_LE(worst, 4) << std::hex << "mode 0x" << mode;
  }
}

TEST_F(GlDeviceTest, AdjacentQuadsNeitherOverlapNorLeaveGaps) {
  std::vector<uint32_t> px(48 * 48, 0);
  gl->SetRenderTarget(px.data(), 48, 48, 48 * 4);
  gl->SetRenderMode(0x014);
  const float lines[] = {2.0f, 7.5f, 13.0625f, 20.25f, 31.9375f, 40.0f};
  const uint32_t one[4] = {0x01010101u, 0x01010101u, 0x01010101u, 0x01010101u};
  for (size_t i = 0; i + 1 < std::size(lines); ++i)
    for (size_t j = 0; j + 1 < std::size(lines); ++j)
      GoldenQuad(*gl, lines[i], lines[j], lines[i + 1], lines[j + 1], one);
  gl->Finish();
  for (int32_t y = 0; y < 48; ++y)
    for (int32_t x = 0; x < 48; ++x) {
      const bool inside = x >= 2 && x < 40 && y >= 2 && y < 40;
      ASSERT_EQ(px[static_cast<size_t>(y) * 48 + x], inside ? 0x01010101u : 0u) << x << "," << y;
    }
}

}  // namespace

namespace {

// The frame shown in an OpenGL window is the frame the device drew (1:1 placement, and
// scaled to half with the picture's corners where they belong), and the overlay is blended
// over it only inside its box.
TEST_F(GlDeviceTest, PresentsTheFrameToAWindow) {
  SDL_Window* window = SDL_CreateWindow("present", 0, 0, 200, 150, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window == nullptr) GTEST_SKIP() << "no OpenGL window: " << SDL_GetError();
  constexpr int32_t W = 160, H = 120;
  std::vector<uint32_t> frame(static_cast<size_t>(W) * H);
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x)
      frame[static_cast<size_t>(y) * W + x] =
          0xFF000000u | static_cast<uint32_t>(x) << 16 | static_cast<uint32_t>(y) << 8 | 0x40u;
  gl->SetRenderTarget(frame.data(), W, H, W * 4);
  gl->SetRenderMode(0x010);
  const uint32_t c = 0xFFFF8000u;
  const present::TLVertex quad[4] = {CIMDevice::TLVERTEX(10, 10, c, 0, 0), CIMDevice::TLVERTEX(30, 10, c, 0, 0),
                                     CIMDevice::TLVERTEX(10, 20, c, 0, 0), CIMDevice::TLVERTEX(30, 20, c, 0, 0)};
  gl->DrawStrip(quad, 4);
  std::vector<uint32_t> overlay(200 * 150, 0);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 50; ++x) overlay[static_cast<size_t>(y) * 200 + x] = 0xFF0000FFu;
  std::vector<uint32_t> shown;
  CGlDevice::PresentArea area;
  area.x = 20;
  area.y = 16;
  area.w = W;
  area.h = H;
  area.overlay = overlay.data();
  area.overlayW = 200;
  area.overlayH = 150;
  area.box[2] = 50;
  area.box[3] = 8;
  area.readBack = &shown;
  ASSERT_TRUE(gl->PresentToWindow(window, area));
  ASSERT_EQ(shown.size(), 200u * 150u);
  auto at = [&](int32_t x, int32_t y) { return shown[static_cast<size_t>(149 - y) * 200 + x]; };
  gl->Finish();  // the device's own frame, for comparison
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) {
      const bool under = x + 20 < 50 && y + 16 < 8;
      if (under) continue;
      ASSERT_EQ(at(x + 20, y + 16) & 0xFFFFFFu, frame[static_cast<size_t>(y) * W + x] & 0xFFFFFFu)
          << x << "," << y;
    }
  EXPECT_EQ(at(40, 30) & 0xFFFFFFu, 0xFF8000u) << "the 3-D drawing is in the frame shown";
  EXPECT_EQ(at(5, 5) & 0xFFFFFFu, 0x0000FFu) << "the overlay";
  EXPECT_EQ(at(5, 100) & 0xFFFFFFu, 0u) << "outside the drawing area";
  // Half size: the frame's corners land in the area's corners.
  area.w = W / 2;
  area.h = H / 2;
  area.overlay = nullptr;
  gl->Resume();
  ASSERT_TRUE(gl->PresentToWindow(window, area));
  EXPECT_LE(Diff(at(20, 16), frame[0], 3), 2);
  EXPECT_LE(Diff(at(20 + W / 2 - 1, 16 + H / 2 - 1), frame[static_cast<size_t>(H - 1) * W + W - 1], 3), 3);
  EXPECT_EQ(at(20 + W / 2, 16) & 0xFFFFFFu, 0u);
  SDL_DestroyWindow(window);
}

}  // namespace

namespace {

// The display with HAL: software drawing after 3-D drawing in the same frame (the debug
// pages' text, the picture objects' GDI path) survives the end of the scene, and a 3-D draw
// after software drawing starts from it.
TEST_F(GlDeviceTest, DisplayMixesSoftwareAndThreeDDrawing) {
  gl.reset();
  engine::spLibServices services = engine::spLibServices::Defaults();
  services.endProgram = [](int) {};
  services.messageBox = [](const std::string&, const std::string&) {};
  services.showCursor = [](bool) {};
  auto root = std::make_unique<engine::spLib>(services);
  auto owned = std::make_unique<present::CDisplayDevice>(*root);
  present::CDisplayDevice* display = owned.get();
  root->SetDisplayDevice(std::move(owned));
  auto form = std::make_unique<platform::CWindow>();
  ASSERT_TRUE(form->Load());
  root->Connect(*form);
  engine::DisplayParams p;
  p.width = 320;
  p.height = 240;
  p.direct3DDevice = true;
  p.halGraphics = true;
  ASSERT_TRUE(display->Start(p));
  if (display->DeviceName() != "IID_IDirect3DHALDevice") GTEST_SKIP() << "no HAL here";
  {
    present::CGraphics a(root.get()), b(root.get());
    a.Add(16, 16);
    image::CmgBBIFunction::Shared().BBIClear(a.BBI, 200, 0, 0, 255);
    a.Refresh();
    b.Add(8, 8);
    image::CmgBBIFunction::Shared().BBIClear(b.BBI, 0, 0, 200, 255);
    b.Refresh();
    a.DrawD3DDraw(10, 10);   // on the card
    b.DrawGDI(40, 10);       // brings the frame back, draws in memory
    display->DrawFrame(util::CRect{}, 0);
    a.DrawD3DDraw(60, 10);   // uploads the mixed frame, draws on the card
    b.DrawGDI(12, 12);       // over the first quad
    display->FinishScene();
    display->PresentAll(false);
    const uint32_t* px = display->Pixels();
    EXPECT_EQ(px[15 * 320 + 20], 0xFFC80000u) << "first 3-D quad";
    EXPECT_EQ(px[13 * 320 + 13], 0xFF0000C8u) << "software drawing over it";
    EXPECT_EQ(px[12 * 320 + 44], 0xFF0000C8u) << "software drawing between";
    EXPECT_EQ(px[15 * 320 + 70], 0xFFC80000u) << "second 3-D quad";
    root->DirectDrawExit();
  }
  root->UnConnect();
  form.reset();
}

}  // namespace

// Display device on SDL's dummy video driver: back buffer layout, present areas, capability
// lists, memory report, full-screen restart, surface loss, and a whole frame loop through the
// frame controller ending with the window's close.
#include "present/CDisplayDevice.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/CKestrel.h"
#include "engine/spLib.h"
#include "image/CmgBBIFunction.h"
#include "platform/CWindow.h"
#include "present/CGraphics.h"

namespace {

using platform::CWindow;
using present::CDisplayDevice;

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    engine::spLibServices s = engine::spLibServices::Defaults();
    s.endProgram = [](int) {};
    s.messageBox = [](const std::string&, const std::string&) {};
    s.showCursor = [](bool) {};
    root = std::make_unique<engine::spLib>(s);
    ASSERT_EQ(root->ErrorText(), "");
    auto d = std::make_unique<CDisplayDevice>(*root);
    display = d.get();
    root->SetDisplayDevice(std::move(d));
    form = std::make_unique<CWindow>();
  }
  void TearDown() override {
    root->UnConnect();
    form.reset();
    root.reset();
  }
  // Loads and binds the window, then starts the display.
  bool StartDisplay(engine::DisplayParams p) {
    if (!form->Load()) return false;
    root->Connect(*form);
    return display->Start(p);
  }
  static engine::DisplayParams Params800(bool d3d = true, bool hal = true) {
    engine::DisplayParams p;
    p.width = 800;
    p.height = 600;
    p.direct3DDevice = d3d;
    p.halGraphics = hal;
    return p;
  }
  // The pixel the window shows at drawing-area position (x, y).
  uint32_t Shown(int32_t x, int32_t y) {
    SDL_Surface* s = SDL_GetWindowSurface(static_cast<SDL_Window*>(form->NativeWindow()));
    if (s == nullptr) return 0xDEADBEEF;
    int32_t ax = 0, ay = 0, aw = 0, ah = 0;
    form->DrawingArea(ax, ay, aw, ah);
    const auto* row = static_cast<const uint8_t*>(s->pixels) + (ay + y) * s->pitch;
    uint32_t v = 0;
    std::memcpy(&v, row + (ax + x) * 4, 4);
    return v & 0x00FFFFFFu;
  }

  std::unique_ptr<engine::spLib> root;
  CDisplayDevice* display = nullptr;
  std::unique_ptr<CWindow> form;
};

TEST_F(DisplayTest, StartNeedsABoundWindow) {
  EXPECT_FALSE(display->Start(Params800()));
  EXPECT_FALSE(display->Started());
  EXPECT_EQ(display->BackBuffer(), nullptr);
}

TEST_F(DisplayTest, SizesTheBbiHeaderCannotHoldAreRefused) {
  struct Case {
    int32_t w, h;
    bool ok;
  } cases[] = {{0, 600, false},  {800, -1, false}, {8192, 1, false},
               {1, 8192, false}, {8191, 1, true},  {1, 8191, true}};
  ASSERT_TRUE(form->Load());
  root->Connect(*form);
  for (const Case& c : cases) {
    engine::DisplayParams p = Params800();
    p.width = c.w;
    p.height = c.h;
    EXPECT_EQ(display->Start(p), c.ok) << c.w << "x" << c.h;
  }
}

TEST_F(DisplayTest, BackBufferIsABbiBlock) {
  ASSERT_TRUE(StartDisplay(Params800()));
  const auto* b = static_cast<const uint8_t*>(display->BackBuffer());
  ASSERT_NE(b, nullptr);
  auto i16 = [b](int at) { return static_cast<int16_t>(b[at] | b[at + 1] << 8); };
  EXPECT_EQ(i16(0), 4);
  EXPECT_EQ(i16(2), 24);
  EXPECT_EQ(i16(4 + 0), 800);
  EXPECT_EQ(i16(4 + 2), 600);
  EXPECT_EQ(i16(4 + 4), 3200);
  EXPECT_EQ(i16(4 + 6), 32);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b + 4 + 14), 6), "32bits");
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(display->Pixels()), b + 24);
}

TEST_F(DisplayTest, PresentCopiesOnlyTheGivenArea) {
  ASSERT_TRUE(StartDisplay(Params800()));
  uint32_t* px = display->Pixels();
  display->PresentAll(false);
  EXPECT_EQ(Shown(10, 10), 0u);
  px[10 * 800 + 10] = 0xFF123456u;    // inside the area
  px[500 * 800 + 700] = 0xFFABCDEFu;  // outside
  util::CRect area;
  area.Create(0, 0, 100, 100);
  display->Present(area, false);
  EXPECT_EQ(Shown(10, 10), 0x123456u);
  EXPECT_EQ(Shown(700, 500), 0u);
  display->Present(util::CRect{}, false);
  EXPECT_EQ(Shown(700, 500), 0u) << "an empty area changes nothing";
  display->PresentAll(false);
  EXPECT_EQ(Shown(700, 500), 0xABCDEFu);
  // Areas reaching outside the buffer are clipped, not refused.
  px[599 * 800 + 799] = 0xFF0000FFu;
  area.Create(700, 500, 5000, 5000);
  display->Present(area, false);
  EXPECT_EQ(Shown(799, 599), 0x0000FFu);
}

TEST_F(DisplayTest, EveryCapabilityNameAppearsExactlyOnce) {
  struct Case {
    bool d3d, hal;
  } cases[] = {{true, true}, {true, false}, {false, false}};
  for (const Case& c : cases) {
    ASSERT_TRUE(StartDisplay(Params800(c.d3d, c.hal)));
    const std::string all = display->SupportList() + display->NonSupportList();
    size_t lines = 0;
    for (size_t pos = 0; (pos = all.find("\r\n", pos)) != std::string::npos; pos += 2) ++lines;
    EXPECT_EQ(lines, 11u);
    for (const char* name : CDisplayDevice::kCapabilityNames) {
      const std::string entry = std::string(name) + "\r\n";
      const size_t first = all.find(entry);
      ASSERT_NE(first, std::string::npos) << name;
      EXPECT_EQ(all.find(entry, first + 1), std::string::npos) << name;
    }
  }
  ASSERT_TRUE(StartDisplay(Params800(true, false)));
  EXPECT_EQ(display->DeviceName(), "IID_IDirect3DRGBDevice");
  EXPECT_EQ(display->DeviceBackend(), "software");
  // SDL's dummy driver has no OpenGL: a HAL start draws with the software device.
  ASSERT_FALSE(display->HalAvailable());
  ASSERT_TRUE(StartDisplay(Params800(true, true)));
  EXPECT_EQ(display->DeviceName(), "IID_IDirect3DRGBDevice");
}

TEST_F(DisplayTest, ThreeDDeviceDrawsIntoTheBackBufferAndFollowsTheChoice) {
  ASSERT_TRUE(StartDisplay(Params800(false, false)));
  EXPECT_EQ(display->Device3D(), nullptr) << "no 3-D device was asked for";
  ASSERT_TRUE(StartDisplay(Params800(true, false)));
  present::CIMDevice* d = display->Device3D();
  ASSERT_NE(d, nullptr);
  d->SetRenderMode(0x010);
  const uint32_t c = 0xFF336699u;
  const present::TLVertex v[4] = {
      present::CIMDevice::TLVERTEX(10, 20, c, 0, 0), present::CIMDevice::TLVERTEX(30, 20, c, 0, 0),
      present::CIMDevice::TLVERTEX(10, 40, c, 0, 0), present::CIMDevice::TLVERTEX(30, 40, c, 0, 0)};
  d->DrawStrip(v, 4);
  EXPECT_EQ(display->Pixels()[25 * 800 + 15], c);
  EXPECT_EQ(display->Pixels()[45 * 800 + 15], 0u);
  display->SelectDevice(false);
  EXPECT_EQ(display->DeviceName(), "IID_IDirect3DRGBDevice");
  ASSERT_TRUE(StartDisplay(Params800(true, true)));
  EXPECT_EQ(display->DeviceName(), "IID_IDirect3DRGBDevice") << "the choice outlives a restart";
}

TEST_F(DisplayTest, MemoryReportLayout) {
  ASSERT_TRUE(StartDisplay(Params800()));
  const std::string report = display->MemoryReport();
  std::vector<std::string> lines;
  for (size_t pos = 0;;) {
    const size_t end = report.find("\r\n", pos);
    lines.push_back(report.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    if (end == std::string::npos) break;
    pos = end + 2;
  }
  ASSERT_EQ(lines.size(), 8u) << report;
  EXPECT_EQ(lines[0].rfind("GetTime = ", 0), 0u);
  EXPECT_EQ(lines[0].substr(lines[0].size() - 3), "min");
  EXPECT_EQ(lines[1], "InitCount = 1");
  EXPECT_EQ(lines[2], "PixelBits = 32");
  EXPECT_TRUE(lines[3] == "BackBuffer = VRAM" || lines[3] == "BackBuffer = SystemMemory");
  const char* labels[] = {"Total LocalVRAM    =", "Use   LocalVRAM    =", "Total nonLocalVRAM =",
                          "Use   nonLocalVRAM ="};
  for (int i = 0; i < 4; ++i) {
    const std::string& line = lines[static_cast<size_t>(4 + i)];
    EXPECT_EQ(line.rfind(labels[i], 0), 0u) << line;
    EXPECT_EQ(line.size(), std::string(labels[i]).size() + 6 + 2) << line;
    EXPECT_EQ(line.substr(line.size() - 2), "KB") << line;
  }
  // Each figure takes six characters: "=" is followed by exactly six before "KB".
  for (const char* label : {"Total LocalVRAM    =", "Use   nonLocalVRAM ="}) {
    const size_t at = report.find(label);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(report.substr(at + std::strlen(label) + 6, 2), "KB") << label;
  }
}

TEST_F(DisplayTest, FullScreenToggleRestartsWithTheStoredSettings) {
  engine::DisplayParams p = Params800(true, false);
  p.pixelBits = 16;
  p.attachZBuffer = true;
  ASSERT_TRUE(StartDisplay(p));
  int terminations = 0;
  const platform::CSubscription onTerminateDraw =
      root->TerminateDraw.Subscribe([&] { ++terminations; });
  ASSERT_TRUE(display->ToggleFullscreen(true));
  EXPECT_TRUE(display->IsFullscreen());
  EXPECT_TRUE(form->Fullscreen());
  EXPECT_EQ(terminations, 1) << "the old objects are released first";
  const engine::DisplayParams& q = display->Params();
  EXPECT_EQ(q.width, 800);
  EXPECT_EQ(q.height, 600);
  EXPECT_EQ(q.pixelBits, 16);
  EXPECT_TRUE(q.direct3DDevice);
  EXPECT_FALSE(q.halGraphics);
  EXPECT_TRUE(q.attachZBuffer);
  EXPECT_EQ(display->InitCount(), 2);
  ASSERT_TRUE(display->ToggleFullscreen(false));
  EXPECT_FALSE(form->Fullscreen());
}

TEST_F(DisplayTest, LostSurfacesSkipOnePresentAndComeBack) {
  ASSERT_TRUE(StartDisplay(Params800()));
  int lost = 0;
  const platform::CSubscription onViderMemoryOver =
      root->ViderMemoryOver.Subscribe([&] { ++lost; });
  display->Pixels()[0] = 0xFF00FF00u;
  display->NoticeLoss();
  EXPECT_EQ(lost, 1);
  display->PresentAll(false);  // restores, skips
  EXPECT_TRUE(display->SurfacesUsable());
  display->PresentAll(false);
  EXPECT_EQ(Shown(0, 0), 0x00FF00u);
}

TEST_F(DisplayTest, HalfSizeWindowShowsTheWholeBufferScaled) {
  ASSERT_TRUE(StartDisplay(Params800()));
  display->SetWindowScale(0.5f);
  EXPECT_EQ(form->DrawingWidth(), 400);
  EXPECT_EQ(form->DrawingHeight(), 300);
  uint32_t* px = display->Pixels();
  for (int y = 590; y < 600; ++y)
    for (int x = 780; x < 800; ++x) px[y * 800 + x] = 0xFFFF0000u;
  display->PresentAll(false);
  EXPECT_EQ(Shown(395, 298), 0xFF0000u);
  display->SetWindowScale(1.0f);
  EXPECT_EQ(form->DrawingWidth(), 800);
}

TEST_F(DisplayTest, FramesAreDrawnInDesktopColoursAndClipped) {
  ASSERT_TRUE(StartDisplay(Params800()));
  uint32_t* px = display->Pixels();
  util::CRect r;
  r.Create(10, 20, 30, 40);
  display->DrawFrame(r, 255);
  EXPECT_EQ(px[20 * 800 + 10], 0xFFFF0000u) << "255 is red";
  EXPECT_EQ(px[59 * 800 + 39], 0xFFFF0000u) << "right and bottom edges are exclusive";
  EXPECT_EQ(px[60 * 800 + 40], 0u);
  EXPECT_EQ(px[30 * 800 + 20], 0u) << "only the outline";
  r.Create(-50, -50, 5000, 5000);
  display->DrawFrame(r, 49152);  // outline entirely outside: nothing, no fault
  EXPECT_EQ(px[0], 0u);
  r.Create(0, 0, 800, 600);
  display->DrawFrame(r, 49152);
  EXPECT_EQ(px[0], 0xFF00C000u);
  EXPECT_EQ(px[599 * 800 + 799], 0xFF00C000u);
}

TEST_F(DisplayTest, DebugTextLandsWhereAsked) {
  ASSERT_TRUE(StartDisplay(Params800()));
  display->DrawText("InitCount = 1", 100, 200);
  const uint32_t* px = display->Pixels();
  int inside = 0, outside = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      if (px[y * 800 + x] == 0) continue;
      (x >= 98 && x < 300 && y >= 198 && y < 230 ? inside : outside)++;
    }
  EXPECT_GT(inside, 50);
  EXPECT_EQ(outside, 0);
}

TEST_F(DisplayTest, FrameLoopEndsWhenTheWindowIsClosed) {
  engine::CKestrel kestrel(*root);
  kestrel.Config.AddDDraw(800, 600, false, true, true);
  kestrel.Config.SleepFrame = 0;
  kestrel.Config.SleepTime = 0;
  form->Menu().AddMenu("終了", [this] { form->Close(CWindow::kCloseByCode); });
  ASSERT_TRUE(kestrel.Connect(form.get()));
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(display->Started());
  for (int i = 0; i < 5; ++i) {
    display->Pixels()[0] = 0xFF000000u | static_cast<uint32_t>(i);
    kestrel.RePaint();
    ASSERT_EQ(kestrel.Poll(), 0);
    EXPECT_EQ(Shown(0, 0), static_cast<uint32_t>(i));
  }
  form->Menu().Click(0);  // runs at the next message pump
  EXPECT_EQ(kestrel.Poll(), 1);
  EXPECT_EQ(kestrel.Poll(), 1);
  kestrel.UnConnect();
  EXPECT_FALSE(display->Started());
  EXPECT_EQ(root->MainForm(), nullptr);
}

}  // namespace

namespace {

// A picture object draws through the display's own device and back buffer; its texture shows
// in the memory report (system memory with the software device) and goes when the display
// stops.
TEST_F(DisplayTest, PictureObjectsDrawThroughTheDisplay) {
  ASSERT_TRUE(StartDisplay(Params800(true, false)));
  const int64_t before = present::TextureMemory::Shared().Used();
  {
    present::CGraphics g(root.get());
    g.Add(256, 256);
    image::CmgBBIFunction::Shared().BBIClear(g.BBI, 10, 20, 30, 255);
    g.Refresh();
    g.DrawD3DDraw(400, 300, 0, 0, 0, 0, true);
    EXPECT_EQ(display->Pixels()[300 * 800 + 400], 0xFF0A141Eu);
    EXPECT_EQ(display->Pixels()[171 * 800 + 400], 0u);
    g.DrawGDI(0, 0, 2, 2);
    EXPECT_EQ(display->Pixels()[1 * 800 + 1], 0xFF0A141Eu);
    const std::string report = display->MemoryReport();
    const std::string label = "Use   nonLocalVRAM =";
    const size_t at = report.find(label);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(std::stoll(report.substr(at + label.size(), 6)), (before + 256 * 256 * 4) / 1024);
    EXPECT_NE(display->SupportList().find("D3D MultiTextureOp\r\n"), std::string::npos);
    root->DirectDrawExit();
    EXPECT_FALSE(g.TextureMade());
    EXPECT_EQ(present::TextureMemory::Shared().Used(), before);
  }
}

}  // namespace

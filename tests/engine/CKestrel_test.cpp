// Frame controller against fake devices and a window without a native side: the frame's steps,
// paint areas, debug pages, window events and the engine root's events.
#include "engine/CKestrel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "EngineFakes.h"
#include "platform/CWindow.h"

namespace {

using enginetest::CallLog;
using platform::CWindow;

class CKestrelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = std::make_unique<engine::spLib>(enginetest::PassingServices(clock, nullptr, nullptr));
    auto d = std::make_unique<enginetest::FakeDisplay>(log);
    auto i = std::make_unique<enginetest::FakeInput>(log);
    auto s = std::make_unique<enginetest::FakeSound>(log);
    display = d.get();
    input = i.get();
    sound = s.get();
    root->SetDisplayDevice(std::move(d));
    root->SetInputDevice(std::move(i));
    root->SetSoundDevice(std::move(s));
    kestrel = std::make_unique<engine::CKestrel>(*root);
    kestrel->Config.AddDDraw(800, 600);
  }
  void TearDown() override {
    kestrel.reset();
    root.reset();
  }
  void Connect() {
    ASSERT_TRUE(kestrel->Connect(&form));
    log.clear();
    display->presents.clear();
    display->waits.clear();
  }
  util::CRect Rect(int32_t x, int32_t y, int32_t w, int32_t h) {
    util::CRect r;
    r.Create(x, y, w, h);
    return r;
  }

  enginetest::FakeClock clock;
  CallLog log;
  CWindow form;
  std::unique_ptr<engine::spLib> root;
  enginetest::FakeDisplay* display = nullptr;
  enginetest::FakeInput* input = nullptr;
  enginetest::FakeSound* sound = nullptr;
  std::unique_ptr<engine::CKestrel> kestrel;
};

TEST_F(CKestrelTest, ConfigDefaults) {
  const engine::CKestrelConfig c;
  EXPECT_EQ(c.SleepTime, 1);
  EXPECT_EQ(c.SleepFrame, 1);
  EXPECT_TRUE(c.SleepSaver && c.WaitVsink && c.GameAppService && c.DebugService);
  EXPECT_FALSE(c.PaintManual || c.RestoreManual || c.PaintAllFlag || c.ddFullscreen);
  EXPECT_TRUE(c.PaintRect.IsZero());
  EXPECT_EQ(c.ddWidth, 640);
  EXPECT_EQ(c.ddHeight, 480);
  EXPECT_EQ(c.ddPixelBits1, 0);
  EXPECT_EQ(c.ddPixelBits2, 32);
  EXPECT_EQ(c.ddPixelBits3, 16);
  EXPECT_EQ(c.ddPixelBits4, 0);
  EXPECT_TRUE(c.ddInit && c.diInit && c.dsInit);
  EXPECT_EQ(c.diCreateVKeyCounts, 4);
  EXPECT_EQ(c.dsHz, 44100);
  EXPECT_EQ(c.dsBits, 16);
  EXPECT_EQ(c.dsChannel, 2);
  engine::CKestrelConfig d;
  d.AddDDraw(800, 600, true);
  EXPECT_EQ(d.ddWidth, 800);
  EXPECT_TRUE(d.ddFullscreen);
  d.AddDDraw();
  EXPECT_EQ(d.ddWidth, 0);
  EXPECT_FALSE(d.ddFullscreen) << "an omitted argument clears its field";
}

TEST_F(CKestrelTest, PollBeforeConnectReturnsOneAndDoesNothing) {
  EXPECT_EQ(kestrel->Poll(), 1);
  EXPECT_TRUE(display->presents.empty());
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(kestrel->PollLocal(), 1);
  EXPECT_TRUE(log.empty());
}

TEST_F(CKestrelTest, ConnectStartsDevicesInOrderWithTheSettings) {
  kestrel->Config.AddDDraw(800, 600, false, true, true, false, true, false);
  kestrel->Config.diCreateVKeyCounts = 3;
  kestrel->Config.dsHz = 22050;
  EXPECT_TRUE(kestrel->Connect(&form));
  EXPECT_EQ(log, (CallLog{"display.Start", "input.Start(3)", "sound.Start(22050,16,2)"}));
  EXPECT_EQ(display->params.width, 800);
  EXPECT_EQ(display->params.height, 600);
  EXPECT_TRUE(display->params.halGraphics);
  EXPECT_TRUE(display->params.direct3DDevice);
  EXPECT_TRUE(display->params.textureCompress);
  EXPECT_EQ(root->MainForm(), &form);
  EXPECT_EQ(kestrel->Poll(), 0);
}

TEST_F(CKestrelTest, DevicesStayOffWhenNotWanted) {
  kestrel->Config.ddInit = false;
  kestrel->Config.diInit = false;
  kestrel->Config.dsInit = false;
  EXPECT_TRUE(kestrel->Connect(&form));
  EXPECT_TRUE(log.empty());
}

TEST_F(CKestrelTest, ConnectSaysWhenADeviceDidNotStartAndRunsOn) {
  for (const bool displayFails : {true, false}) {
    display->refuseStart = displayFails;
    sound->refuseStart = !displayFails;
    EXPECT_FALSE(kestrel->Connect(&form)) << displayFails;
    EXPECT_EQ(kestrel->Poll(), 0) << displayFails;
  }
  display->refuseStart = sound->refuseStart = false;
  EXPECT_TRUE(kestrel->Connect(&form));
}

TEST_F(CKestrelTest, FrameStepsRunInOrder) {
  Connect();
  kestrel->Poll();
  EXPECT_EQ(log, (CallLog{"input.PollMouse", "input.PollKeyboard", "input.PollJoysticks",
                          "input.UpdateVirtualKeys"}));
  ASSERT_EQ(display->presents.size(), 1u);
  EXPECT_TRUE(display->presents[0].IsZero()) << "nothing to paint: an empty present";
  EXPECT_TRUE(display->waits[0]);
  // SleepTime first, then the pacing sleep.
  ASSERT_GE(clock.sleeps.size(), 1u);
  EXPECT_EQ(clock.sleeps[0], 1u);
}

TEST_F(CKestrelTest, PollLocalReadsInputWithoutPresenting) {
  Connect();
  EXPECT_EQ(kestrel->PollLocal(), 0);
  EXPECT_EQ(log, (CallLog{"input.PollKeyboard", "input.PollJoysticks", "input.PollMouse"}));
  EXPECT_TRUE(display->presents.empty());
}

TEST_F(CKestrelTest, RePaintRectPresentsTheBoundingUnionOnce) {
  Connect();
  const util::CRect a = Rect(10, 20, 30, 40), b = Rect(200, 300, 5, 5);
  kestrel->RePaintRect(&a);
  kestrel->RePaintRect(&b);
  kestrel->RePaintRect(nullptr);
  kestrel->Poll();
  ASSERT_EQ(display->presents.size(), 1u);
  EXPECT_EQ(display->presents[0], Rect(10, 20, 195, 285));
  EXPECT_TRUE(kestrel->Config.PaintRect.IsZero());
  kestrel->Poll();
  EXPECT_TRUE(display->presents[1].IsZero());
}

TEST_F(CKestrelTest, RePaintPresentsEverythingAndWinsOverTheRect) {
  Connect();
  const util::CRect a = Rect(1, 1, 2, 2);
  kestrel->RePaintRect(&a);
  kestrel->RePaint();
  kestrel->Config.WaitVsink = false;
  kestrel->Poll();
  ASSERT_EQ(display->presents.size(), 1u);
  EXPECT_EQ(display->presents[0], Rect(0, 0, 800, 600));
  EXPECT_FALSE(display->waits[0]);
  EXPECT_FALSE(kestrel->Config.PaintAllFlag);
}

TEST_F(CKestrelTest, PaintManualRaisesPaintInsteadOfPresenting) {
  Connect();
  kestrel->Config.PaintManual = true;
  kestrel->RePaint();
  int paints = 0;
  int32_t nested = -1;
  const platform::CSubscription onPaint = kestrel->Paint.Subscribe([&] {
    ++paints;
    nested = kestrel->Poll();  // re-entry is refused
  });
  kestrel->Poll();
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(nested, 0);
  EXPECT_TRUE(display->presents.empty());
  EXPECT_FALSE(kestrel->Config.PaintAllFlag);
}

TEST_F(CKestrelTest, SceneIsFinishedBeforeThePresentWithA3DDevice) {
  kestrel->Config.ddDirect3DDevice = true;
  Connect();
  kestrel->Poll();
  EXPECT_EQ(display->scenesFinished, 1);
}

TEST_F(CKestrelTest, PressingTheShownPageKeyShowsItOneMoreFrame) {
  Connect();
  form.KeyDown.Raise(CWindow::kKeyF6 + 1, 0);  // F7
  EXPECT_EQ(kestrel->DebugPage(), 7);
  EXPECT_EQ(kestrel->DebugCountdown(), engine::CKestrel::kDebugForever);
  kestrel->Poll();
  form.KeyDown.Raise(CWindow::kKeyF6 + 1, 0);
  EXPECT_EQ(kestrel->DebugCountdown(), 1);
  display->texts.clear();
  kestrel->Poll();
  EXPECT_EQ(display->texts.size(), 1u);
  EXPECT_EQ(display->texts[0], " 0@32,72") << "GetFPS in two characters";
  kestrel->Poll();
  EXPECT_EQ(display->texts.size(), 1u) << "no more frames of the page";
  ASSERT_GE(display->presents.size(), 3u);
  EXPECT_EQ(display->presents[1], Rect(0, 0, 800, 600)) << "a page frame presents everything";
  EXPECT_TRUE(display->presents[2].IsZero());
}

TEST_F(CKestrelTest, DebugPagesNeedBothServices) {
  Connect();
  kestrel->Config.DebugService = false;
  form.KeyDown.Raise(CWindow::kKeyF9, 0);
  EXPECT_EQ(kestrel->DebugCountdown(), 0);
  kestrel->Config.DebugService = true;
  kestrel->Config.GameAppService = false;
  form.KeyDown.Raise(CWindow::kKeyF9, 0);
  EXPECT_EQ(kestrel->DebugCountdown(), 0);
}

TEST_F(CKestrelTest, SupportPageListsBothLists) {
  Connect();
  form.KeyDown.Raise(CWindow::kKeyF6, 0);
  kestrel->Poll();
  EXPECT_EQ(display->texts, (std::vector<std::string>{" [ Support ] \r\nA\r\n@32,32",
                                                      " [ NonSupport ] \r\nB\r\nC\r\n@232,32"}));
}

TEST_F(CKestrelTest, VirtualKeyPageFormat) {
  Connect();
  input->count = 2;
  input->keys[0].x = -1;
  input->keys[0].y = 1;
  input->keys[0].Button[0] = 1;
  input->keys[0].Button[9] = -3;
  form.KeyDown.Raise(CWindow::kKeyF6 + 2, 0);
  EXPECT_EQ(kestrel->DebugPageText(),
            "VKey(0).x = -1 .y = 1  VKey(0).Button = 1.0.0.0.0.0.0.0.0.-3\r\n"
            "VKey(1).x = 0 .y = 0  VKey(1).Button = 0.0.0.0.0.0.0.0.0.0\r\n");
}

TEST_F(CKestrelTest, PaintAreaPageFramesWhatWillBePresented) {
  Connect();
  form.KeyDown.Raise(CWindow::kKeyF9, 0);
  struct Case {
    bool all;
    util::CRect rect;
    util::CRect frame;
    uint32_t colour;
  } cases[] = {{true, Rect(5, 5, 5, 5), Rect(0, 0, 800, 600), 255},
               {false, Rect(5, 6, 7, 8), Rect(5, 6, 7, 8), 49152},
               {false, util::CRect{}, Rect(0, 0, 800, 600), 0xFFFFFF}};
  for (const Case& c : cases) {
    display->frames.clear();
    display->frameColours.clear();
    kestrel->Config.PaintAllFlag = c.all;
    kestrel->Config.PaintRect = c.rect;
    kestrel->Poll();
    ASSERT_EQ(display->frames.size(), 1u);
    EXPECT_EQ(display->frames[0], c.frame);
    EXPECT_EQ(display->frameColours[0], c.colour);
  }
  EXPECT_EQ(display->texts.back(), "report@32,32");
}

TEST_F(CKestrelTest, EscapeClosesOnlyWithTheGameServices) {
  Connect();
  int queries = 0;
  const platform::CSubscription onQueryUnload =
      form.QueryUnload.Subscribe([&](int32_t&, int32_t) { ++queries; });
  kestrel->Config.GameAppService = false;
  form.KeyDown.Raise(CWindow::kKeyEscape, 0);
  EXPECT_EQ(queries, 0);
  EXPECT_EQ(kestrel->Poll(), 0);
  kestrel->Config.GameAppService = true;
  form.KeyDown.Raise(CWindow::kKeyEscape, 0);
  EXPECT_EQ(queries, 1);
  EXPECT_EQ(kestrel->Poll(), 1) << "the unload was cancelled and the controller disconnected";
}

TEST_F(CKestrelTest, RefusedCloseQueryKeepsTheControllerConnected) {
  Connect();
  const platform::CSubscription onQueryUnload =
      form.QueryUnload.Subscribe([](int32_t& cancel, int32_t) { cancel = 1; });
  form.Close(CWindow::kCloseByUser);
  EXPECT_EQ(kestrel->Poll(), 0);
}

TEST_F(CKestrelTest, UnloadIsCancelledUnlessTheEngineUnloads) {
  Connect();
  EXPECT_FALSE(form.Close(CWindow::kCloseByUser));
  EXPECT_TRUE(kestrel->Disconnected());
  const size_t before = display->presents.size();
  EXPECT_EQ(kestrel->Poll(), 1);
  EXPECT_EQ(display->presents.size(), before) << "no present while disconnected";
  kestrel->UnConnect();
  EXPECT_TRUE(form.Close(CWindow::kCloseByCode)) << "unhooked: the unload goes on";
}

TEST_F(CKestrelTest, WheelClosesTheWindowWithTheDebugService) {
  Connect();
  input->wheel = 120;
  kestrel->Config.DebugService = false;
  EXPECT_EQ(kestrel->Poll(), 0);
  kestrel->Config.DebugService = true;
  EXPECT_EQ(kestrel->Poll(), 1);
}

TEST_F(CKestrelTest, UnConnectReleasesDevicesThroughTheRootInOrder) {
  Connect();
  std::vector<std::string> events;
  const platform::CSubscription onUnload = root->Unload.Subscribe([&] { log.push_back("Unload"); });
  const platform::CSubscription onTerminateDraw =
      root->TerminateDraw.Subscribe([&] { log.push_back("TerminateDraw"); });
  const platform::CSubscription onTerminateInput =
      root->TerminateInput.Subscribe([&] { log.push_back("TerminateInput"); });
  const platform::CSubscription onTerminateSound =
      root->TerminateSound.Subscribe([&] { log.push_back("TerminateSound"); });
  kestrel->UnConnect();
  EXPECT_EQ(log, (CallLog{"Unload", "TerminateDraw", "display.Stop", "TerminateInput", "input.Stop",
                          "TerminateSound", "sound.Stop"}));
  EXPECT_EQ(root->MainForm(), nullptr);
  EXPECT_EQ(kestrel->Poll(), 1);
}

TEST_F(CKestrelTest, SurfaceLossSavesThenRestoresAndRepaints) {
  Connect();
  display->usable = false;
  root->DirectDrawViderMemoryOver();
  EXPECT_TRUE(kestrel->SurfacesLost());
  EXPECT_EQ(log, CallLog{"display.Save"});
  kestrel->Poll();
  EXPECT_TRUE(kestrel->SurfacesLost());
  display->usable = true;
  display->presents.clear();
  kestrel->Poll();
  EXPECT_FALSE(kestrel->SurfacesLost());
  EXPECT_EQ(log.back(), "display.Restore");
  ASSERT_EQ(display->presents.size(), 1u);
  EXPECT_EQ(display->presents[0], Rect(0, 0, 800, 600));
}

TEST_F(CKestrelTest, ManualRestoreRaisesTheEventsInstead) {
  Connect();
  kestrel->Config.RestoreManual = true;
  int lost = 0, restored = 0;
  const platform::CSubscription onPaintDGLost = kestrel->PaintDGLost.Subscribe([&] { ++lost; });
  const platform::CSubscription onPaintDGRetore =
      kestrel->PaintDGRetore.Subscribe([&] { ++restored; });
  root->DirectDrawViderMemoryOver();
  kestrel->Poll();
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(restored, 1);
  EXPECT_TRUE(log.end() == std::find(log.begin(), log.end(), "display.Save"));
}

TEST_F(CKestrelTest, AltEnterRestartsTheDisplayInFullScreenWithTheSameSettings) {
  kestrel->Config.AddDDraw(800, 600, false, false, true);
  Connect();
  const engine::DisplayParams before = display->params;
  form.KeyDown.Raise(CWindow::kKeyReturn, 0);
  EXPECT_FALSE(display->params.fullscreen) << "Enter alone does nothing";
  form.KeyDown.Raise(CWindow::kKeyReturn, CWindow::kAltMask);
  EXPECT_TRUE(display->params.fullscreen);
  EXPECT_EQ(display->params.width, before.width);
  EXPECT_EQ(display->params.height, before.height);
  EXPECT_EQ(display->params.pixelBits, before.pixelBits);
  EXPECT_EQ(display->params.direct3DDevice, before.direct3DDevice);
  EXPECT_EQ(display->starts, 2);
}

TEST_F(CKestrelTest, WindowMouseButtonsReachTheInputStep) {
  Connect();
  form.MouseDown.Raise(CWindow::kLeftButton, 0, 1, 1);
  kestrel->Poll();
  EXPECT_TRUE(input->left);
  EXPECT_FALSE(input->right);
  form.MouseUp.Raise(CWindow::kLeftButton, 0, 1, 1);
  form.DblClick.Raise();  // the last pressed button is down again
  kestrel->Poll();
  EXPECT_TRUE(input->left);
  form.MouseUp.Raise(CWindow::kLeftButton, 0, 1, 1);
  kestrel->Poll();
  EXPECT_FALSE(input->left);
  // A click pressed and released within one frame is down for that frame, then up.
  form.MouseDown.Raise(CWindow::kRightButton, 0, 1, 1);
  form.MouseUp.Raise(CWindow::kRightButton, 0, 1, 1);
  kestrel->Poll();
  EXPECT_TRUE(input->right);
  EXPECT_FALSE(input->left);
  kestrel->Poll();
  EXPECT_FALSE(input->right);
}

TEST_F(CKestrelTest, AltReleaseShowsTheMenuInFullScreenForTenFrames) {
  form.Menu().AddMenu("終了");
  kestrel->Config.ddFullscreen = true;
  Connect();
  form.SetMenuVisible(false);
  form.KeyUp.Raise(CWindow::kKeyMenu, 0);
  EXPECT_TRUE(form.MenuVisible());
  for (int i = 0; i < 9; ++i) kestrel->Poll();
  EXPECT_TRUE(form.MenuVisible());
  kestrel->Poll();
  EXPECT_FALSE(form.MenuVisible());
  // In a window the key does nothing to the menu.
  display->params.fullscreen = false;
  form.KeyUp.Raise(CWindow::kKeyMenu, 0);
  EXPECT_FALSE(form.MenuVisible());
}

}  // namespace

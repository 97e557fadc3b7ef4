// Engine root: start-up error text and its order, Init, control naming, release order, ticks.
#include "engine/spLib.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EngineFakes.h"
#include "platform/CBlivoBinding.h"
#include "platform/CWindow.h"

namespace {

using enginetest::CallLog;
using enginetest::FakeClock;

const std::string kDirectXEntry =
    "インストールエラー\r\nDirectX7の初期化に失敗しました\r\nDirectX7以降をインストールしてください"
    "\r\n";
const std::string kLibraryEntry =
    "インストールエラー\r\nBLIVO.DLLがインストールされていません\r\n"
    "ＤＬＬファイルをフォルダにコピーしてください\r\n";

TEST(spLib, StartUpErrorTextListsEachFailureInOrder) {
  struct Case {
    bool video, library;
    std::string text;
  } cases[] = {{true, true, ""},
               {false, true, kDirectXEntry},
               {true, false, kLibraryEntry},
               {false, false, kDirectXEntry + kLibraryEntry}};
  for (const Case& c : cases) {
    FakeClock clock;
    engine::spLibServices s = enginetest::PassingServices(clock, nullptr, nullptr);
    s.startVideo = [&c](std::string& why) {
      why = "no display";
      return c.video;
    };
    s.probeLibrary = [&c] { return c.library; };
    engine::spLib root(s);
    EXPECT_EQ(root.ErrorText(), c.text) << c.video << c.library;
  }
}

TEST(spLib, BothFailuresMakeSixLinesEachEndedByCrLf) {
  FakeClock clock;
  engine::spLibServices s = enginetest::PassingServices(clock, nullptr, nullptr);
  s.startVideo = [](std::string&) { return false; };
  s.probeLibrary = [] { return false; };
  engine::spLib root(s);
  const std::string& text = root.ErrorText();
  size_t lines = 0;
  for (size_t pos = 0; (pos = text.find("\r\n", pos)) != std::string::npos; pos += 2) ++lines;
  EXPECT_EQ(lines, 6u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST(spLib, InitShowsTheTextAndEndsOnlyWhenAsked) {
  FakeClock clock;
  std::vector<std::string> shown;
  int endCode = -1;
  engine::spLibServices s = enginetest::PassingServices(clock, &shown, &endCode);
  bool stopped = false;
  s.stopVideo = [&stopped] { stopped = true; };
  s.probeLibrary = [] { return false; };
  s.endProgram = [&](int code) {
    endCode = code;
    EXPECT_TRUE(stopped) << "the root is torn down before the program ends";
  };
  engine::spLib root(s);
  root.Init(false);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(endCode, -1);
  root.Init(true);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], std::string("起動できません|") + kLibraryEntry);
  EXPECT_NE(endCode, -1);
}

TEST(spLib, StartUpFailuresReportTheirCausesBeforeTheMessage) {
  FakeClock clock;
  std::vector<std::string> shown;
  int endCode = -1;
  engine::spLibServices s = enginetest::PassingServices(clock, &shown, &endCode);
  s.startVideo = [](std::string& why) {
    why = "video driver \"x11\": No available video device";
    return false;
  };
  s.probeLibrary = [] { return false; };
  s.libraryProblem = [] { return std::string("tried /opt/game/libblivo.so: no such file"); };
  std::vector<std::string> events;
  s.reportCauses = [&](const std::string& causes) { events.push_back("causes|" + causes); };
  s.messageBox = [&](const std::string& text, const std::string&) {
    events.push_back("box|" + text);
  };
  engine::spLib root(s);
  // The documented text stays as it is; the causes travel beside it.
  EXPECT_EQ(root.ErrorText(), kDirectXEntry + kLibraryEntry);
  EXPECT_NE(root.CauseText().find("No available video device"), std::string::npos);
  EXPECT_NE(root.CauseText().find("x11"), std::string::npos);
  EXPECT_NE(root.CauseText().find("/opt/game/libblivo.so: no such file"), std::string::npos);
  root.Init(true);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0], "causes|" + root.CauseText());
  EXPECT_EQ(events[1], "box|" + kDirectXEntry + kLibraryEntry);
  EXPECT_EQ(endCode, 1);
}

TEST(spLib, InitWithoutErrorsDoesNothing) {
  FakeClock clock;
  std::vector<std::string> shown;
  int endCode = -1;
  engine::spLib root(enginetest::PassingServices(clock, &shown, &endCode));
  root.Init(true);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(endCode, -1);
}

TEST(spLib, LibraryProbeGoesThroughTheBinding) {
  const engine::spLibServices defaults = engine::spLibServices::Defaults();
  EXPECT_TRUE(defaults.probeLibrary()) << "libblivo.so is built beside the tests";
  platform::CBlivoBinding::Shared().Rebind("/nonexistent/libblivo.so");
  EXPECT_FALSE(defaults.probeLibrary());
  // The cause names the file tried and what the loader said about it.
  const std::string problem = defaults.libraryProblem();
  EXPECT_NE(problem.find("tried /nonexistent/libblivo.so"), std::string::npos) << problem;
  EXPECT_NE(problem.find("No such file"), std::string::npos) << problem;
  platform::CBlivoBinding::Shared().Rebind("");
  EXPECT_TRUE(defaults.probeLibrary());
}

TEST(spLib, ConnectNamesControlsPastTakenNames) {
  FakeClock clock;
  engine::spLib root(enginetest::PassingServices(clock, nullptr, nullptr));
  platform::CWindow form;
  ASSERT_EQ(form.AddTimer("spLibTimer1", 100, [] {}), 0);
  root.Connect(form);
  EXPECT_EQ(root.MainForm(), &form);
  EXPECT_EQ(root.TimerName(), "spLibTimer2");
  EXPECT_EQ(root.Picture(), "spLibPicture1");
  EXPECT_TRUE(form.HasControl("spLibTimer2"));
  EXPECT_TRUE(form.HasControl("spLibPicture1"));
  root.UnConnect();
  EXPECT_FALSE(form.HasControl("spLibTimer2"));
  EXPECT_FALSE(form.HasControl("spLibPicture1"));
  EXPECT_TRUE(form.HasControl("spLibTimer1")) << "someone else's control stays";
  EXPECT_EQ(root.MainForm(), nullptr);
}

TEST(spLib, UnConnectRaisesAndReleasesInOrder) {
  FakeClock clock;
  CallLog log;
  engine::spLib root(enginetest::PassingServices(clock, nullptr, nullptr));
  auto display = std::make_unique<enginetest::FakeDisplay>(log);
  auto input = std::make_unique<enginetest::FakeInput>(log);
  auto sound = std::make_unique<enginetest::FakeSound>(log);
  display->started = input->started = sound->started = true;
  root.SetDisplayDevice(std::move(display));
  root.SetInputDevice(std::move(input));
  root.SetSoundDevice(std::move(sound));
  const platform::CSubscription onUnload = root.Unload.Subscribe([&] { log.push_back("Unload"); });
  const platform::CSubscription onTerminateDraw =
      root.TerminateDraw.Subscribe([&] { log.push_back("TerminateDraw"); });
  const platform::CSubscription onTerminateInput =
      root.TerminateInput.Subscribe([&] { log.push_back("TerminateInput"); });
  const platform::CSubscription onTerminateSound =
      root.TerminateSound.Subscribe([&] { log.push_back("TerminateSound"); });

  root.UnConnect();
  EXPECT_TRUE(log.empty()) << "no window bound: nothing raised";

  platform::CWindow form;
  root.Connect(form);
  root.UnConnect();
  const CallLog expected = {"Unload",     "TerminateDraw",  "display.Stop", "TerminateInput",
                            "input.Stop", "TerminateSound", "sound.Stop"};
  EXPECT_EQ(log, expected);

  log.clear();
  root.Connect(form);
  root.UnConnect();
  EXPECT_EQ(log, CallLog{"Unload"}) << "devices already released raise nothing";
}

TEST(spLib, ConnectingAnotherWindowDisconnectsTheFirst) {
  FakeClock clock;
  engine::spLib root(enginetest::PassingServices(clock, nullptr, nullptr));
  int unloads = 0;
  const platform::CSubscription onUnload = root.Unload.Subscribe([&] { ++unloads; });
  platform::CWindow a, b;
  root.Connect(a);
  root.Connect(b);
  EXPECT_EQ(unloads, 1);
  EXPECT_FALSE(a.HasControl("spLibTimer1"));
  EXPECT_TRUE(b.HasControl("spLibTimer1"));
  EXPECT_EQ(root.MainForm(), &b);
}

TEST(spLib, MemoryEventsOnlyWhileTheDisplayExists) {
  FakeClock clock;
  CallLog log;
  engine::spLib root(enginetest::PassingServices(clock, nullptr, nullptr));
  int over = 0, cash = 0;
  const platform::CSubscription onViderMemoryOver = root.ViderMemoryOver.Subscribe([&] { ++over; });
  const platform::CSubscription onViderMemoryCash = root.ViderMemoryCash.Subscribe([&] { ++cash; });
  root.DirectDrawViderMemoryOver();
  root.DirectDrawViderMemoryCash();
  EXPECT_EQ(over + cash, 0);
  auto display = std::make_unique<enginetest::FakeDisplay>(log);
  display->started = true;
  root.SetDisplayDevice(std::move(display));
  root.DirectDrawViderMemoryOver();
  root.DirectDrawViderMemoryCash();
  EXPECT_EQ(over, 1);
  EXPECT_EQ(cash, 1);
}

TEST(spLib, TickReportsElapsedMillisecondsCappedAt1000) {
  FakeClock clock;
  clock.now = 123456;
  engine::spLib root(enginetest::PassingServices(clock, nullptr, nullptr));
  std::vector<int32_t> ticks;
  const platform::CSubscription onTimer =
      root.Timer.Subscribe([&](int32_t ms) { ticks.push_back(ms); });
  root.Tick();  // first: stamp 0
  clock.now += 10;
  root.Tick();
  clock.now += 11;
  root.Tick();
  clock.now += 5000;
  root.Tick();
  clock.now = 7;  // the clock wrapped
  root.Tick();
  EXPECT_EQ(ticks, (std::vector<int32_t>{1000, 10, 11, 1000, 0}));
}

}  // namespace

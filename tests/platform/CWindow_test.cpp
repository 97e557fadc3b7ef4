// Window stand-in without a native window: events, close and unload refusal, named controls,
// timers run by the message pump, and the menu bar's deferred clicks.
#include "platform/CWindow.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/CEvent.h"
#include "platform/CMenuBar.h"

namespace {

using platform::CEvent;
using platform::CMenuBar;
using platform::CWindow;

TEST(CEvent, HandlersRunInOrderAndMayUnsubscribeEachOther) {
  CEvent<int32_t&> e;
  std::vector<std::string> seen;
  platform::CSubscription second;
  const platform::CSubscription first = e.Subscribe([&](int32_t& v) {
    seen.push_back("a");
    v += 1;
    second.Reset();  // removed before its turn: not called
  });
  second = e.Subscribe([&](int32_t&) { seen.push_back("b"); });
  const platform::CSubscription third =
      e.Subscribe([&](int32_t& v) { seen.push_back("c" + std::to_string(v)); });
  int32_t value = 0;
  e.Raise(value);
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "c1"}));
  EXPECT_EQ(value, 1) << "reference arguments carry answers back";
}

TEST(CEvent, ASubscriptionEndsWithItsTokenAndOutlivesItsEvent) {
  platform::CSubscription kept;
  int32_t calls = 0;
  {
    CEvent<> e;
    {
      const platform::CSubscription scoped = e.Subscribe([&] { ++calls; });
      kept = e.Subscribe([&] { calls += 10; });
      e.Raise();
      EXPECT_EQ(calls, 11);
    }
    e.Raise();  // the scoped handler is gone
    EXPECT_EQ(calls, 21);
    platform::CSubscription moved = std::move(kept);
    EXPECT_FALSE(kept.Active());
    EXPECT_TRUE(moved.Active());
    kept = std::move(moved);
  }
  EXPECT_FALSE(kept.Active());  // the event went first: the token forgets it safely
  kept.Reset();
}

TEST(CWindow, CloseQueryAndUnloadCanEachRefuse) {
  CWindow w;
  int32_t queryMode = -1;
  bool refuseQuery = true, refuseUnload = true;
  int unloads = 0;
  const platform::CSubscription onQueryUnload =
      w.QueryUnload.Subscribe([&](int32_t& cancel, int32_t mode) {
        queryMode = mode;
        if (refuseQuery) cancel = 1;
      });
  const platform::CSubscription onUnloadEvent = w.UnloadEvent.Subscribe([&](int32_t& cancel) {
    ++unloads;
    if (refuseUnload) cancel = 1;
  });
  EXPECT_FALSE(w.Close(CWindow::kCloseByUser));
  EXPECT_EQ(queryMode, CWindow::kCloseByUser);
  EXPECT_EQ(unloads, 0) << "a refused query never reaches the unload";
  refuseQuery = false;
  EXPECT_FALSE(w.Close(CWindow::kCloseByCode));
  EXPECT_EQ(unloads, 1);
  refuseUnload = false;
  EXPECT_TRUE(w.Close(CWindow::kCloseByCode));
}

TEST(CWindow, ControlNamesAreUnique) {
  CWindow w;
  EXPECT_EQ(w.AddPictureBox("p"), 0);
  EXPECT_EQ(w.AddTimer("p", 10, [] {}), CWindow::kNameInUse);
  EXPECT_EQ(w.AddPictureBox("p"), CWindow::kNameInUse);
  w.RemoveControl("p");
  EXPECT_FALSE(w.HasControl("p"));
  EXPECT_EQ(w.AddTimer("p", 10, [] {}), 0);
}

TEST(CWindow, TimersTickOnlyWhileMessagesArePumped) {
  CWindow w;
  int ticks = 0;
  ASSERT_EQ(w.AddTimer("t", 1, [&] { ++ticks; }), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ticks, 0);
  CWindow::PumpMessages();
  EXPECT_EQ(ticks, 1) << "one tick per pump however long it has been";
  // A timer may remove itself from its own tick.
  ASSERT_EQ(w.AddTimer("self", 1, [&] { w.RemoveControl("self"); }), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  CWindow::PumpMessages();
  EXPECT_FALSE(w.HasControl("self"));
}

// The system's wheel and controller events reach subscribers as typed events, once each.
TEST(CWindow, WheelAndControllerEventsArriveTyped) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  {
    CWindow w;
    ASSERT_TRUE(w.Load()) << w.LastError();
    std::vector<int32_t> wheel;
    int32_t changes = 0, focusLosses = 0;
    const platform::CSubscription onWheel =
        w.Wheel.Subscribe([&](int32_t n) { wheel.push_back(n); });
    const platform::CSubscription onDevices = w.DevicesChanged.Subscribe([&] { ++changes; });
    const platform::CSubscription onFocus = w.FocusLost.Subscribe([&] { ++focusLosses; });
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = -2;
    e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    SDL_PushEvent(&e);
    e.wheel.y = 3;
    e.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;  // natural scrolling: the sign turns
    SDL_PushEvent(&e);
    SDL_Event added{};
    added.type = SDL_JOYDEVICEADDED;
    SDL_PushEvent(&added);
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&focus);
    CWindow::PumpMessages();
    EXPECT_EQ(wheel, (std::vector<int32_t>{-2, -3}));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(focusLosses, 1);
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(CMenuBar, ClicksRunAtTheNextPumpAndRespectEnabled) {
  CWindow w;
  CMenuBar& m = w.Menu();
  std::vector<std::string> ran;
  const int32_t file = m.AddMenu("ファイル");
  const int32_t a = m.AddItem(
      file, "A", [&] { ran.push_back("A"); }, true);
  const int32_t b = m.AddItem(
      file, "B", [&] { ran.push_back("B"); }, true);
  const int32_t quit = m.AddMenu("終了", [&] { ran.push_back("quit"); });
  EXPECT_TRUE(w.HasMenu());
  EXPECT_EQ(m.AddItem(99, "x"), -1);
  m.Click(file, b);
  m.Click(quit);
  EXPECT_TRUE(ran.empty()) << "never in the middle of drawing";
  CWindow::PumpMessages();
  EXPECT_EQ(ran, (std::vector<std::string>{"B", "quit"}));
  m.SetEnabled(file, a, false);
  m.Click(file, a);
  m.Click(file, 7);
  CWindow::PumpMessages();
  EXPECT_EQ(ran.size(), 2u);
  m.SetChecked(file, b, true);
  EXPECT_TRUE(m.Checked(file, b));
  EXPECT_FALSE(m.Checked(file, a));
  EXPECT_FALSE(m.Checked(5, 5));
  EXPECT_NE(m.AllCaptions().find("ファイル"), std::string::npos);
}

}  // namespace

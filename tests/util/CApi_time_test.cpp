// CApi time helpers on an injected clock: frame counting, step times, sleeping and the debug
// step log.
#include "util/CApi.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using util::CApi;

class FakeClock final : public util::IClock {
 public:
  uint32_t NowMs() override { return now; }
  void SleepMs(uint32_t ms) override {
    slept += ms;
    now += ms;
  }
  uint32_t now = 5000;
  uint64_t slept = 0;
};

TEST(CApiTime, FpsCountsTheFramesOfTheLastSecond) {
  FakeClock clock;
  CApi api;
  api.SetClock(&clock);
  // 16 ms frames: the sum first reaches 1000 at the 63rd call (1008 ms), with 62 frames counted
  // before it.
  for (int call = 1; call <= 62; ++call) {
    clock.now += 16;
    ASSERT_EQ(api.FPS(), 0) << call;
  }
  clock.now += 16;
  EXPECT_EQ(api.FPS(), 62);
  // Afterwards each second of 16 ms frames holds 62 or 63 of them.
  for (int call = 0; call < 500; ++call) {
    clock.now += 16;
    const int32_t fps = api.FPS();
    ASSERT_TRUE(fps == 62 || fps == 63) << fps;
  }
  // At 20 ms a frame the count settles at 50.
  for (int call = 0; call < 200; ++call) {
    clock.now += 20;
    (void)api.FPS();
  }
  EXPECT_EQ(api.FPS(), 50);
}

TEST(CApiTime, FpsSurvivesATimerThatGoesBack) {
  FakeClock clock;
  CApi api;
  api.SetClock(&clock);
  clock.now -= 3000;
  EXPECT_EQ(api.FPS(), 0);
  clock.now += 1000;
  EXPECT_EQ(api.FPS(), 1);
}

TEST(CApiTime, StepTimeIsBoundedAndNeverNegative) {
  FakeClock clock;
  CApi api;
  api.SetClock(&clock);
  clock.now += 2000;
  EXPECT_EQ(api.StepTime(100), 100);
  clock.now += 30;
  EXPECT_EQ(api.StepTime(100), 30);
  clock.now -= 500;
  EXPECT_EQ(api.StepTime(100), 0);
  clock.now += 7;
  EXPECT_EQ(api.StepTime(100), 7);
  // Across the 32-bit wrap of the counter.
  clock.now = 0xFFFFFFF0u;
  (void)api.StepTime(100);
  clock.now = 0x10u;
  EXPECT_EQ(api.StepTime(100), 32);
}

TEST(CApiTime, SleepAndGetTimeUseTheClock) {
  FakeClock clock;
  CApi api;
  api.SetClock(&clock);
  EXPECT_EQ(api.GetTime(), 5000u);
  api.Sleep(25);
  api.Sleep(0);
  api.Sleep(-4);
  EXPECT_EQ(clock.slept, 25u);
  EXPECT_EQ(api.GetTime(), 5025u);
  api.SetClock(nullptr);  // back to the steady clock
  const uint32_t a = api.GetTime();
  api.Sleep(2);
  EXPECT_GE(api.GetTime() - a, 2u);
}

TEST(CApiTime, DebugStepLogsElapsedSteps) {
  FakeClock clock;
  CApi api;
  api.SetClock(&clock);
  std::vector<std::string> traced;
  api.SetDebugTrace([&traced](std::string_view line) { traced.emplace_back(line); });
  api.DebugStep("start", true);
  clock.now += 25;
  api.DebugStep("load");
  clock.now += 5;
  api.DebugStep("draw", false, true);
  EXPECT_EQ(api.DebugStepLog(), (std::vector<std::string>{"start", "load : 25ms", "draw : 5ms"}));
  EXPECT_EQ(traced, api.DebugStepLog());
  clock.now += 9;
  api.DebugStep("", true);  // restarts without a line
  clock.now += 1;
  api.DebugStep("x");
  EXPECT_EQ(api.DebugStepLog().back(), "x : 1ms");
  EXPECT_EQ(api.DebugStepLog().size(), 4u);
}

TEST(CApiTime, GetTimeWideSpellsTheDateInJapanese) {
  const std::string text = CApi::GetTimeWide();
  // Six numbers without leading zeros, each followed by its unit.
  const char* units[] = {"年", "月", "日", "時", "分", "秒"};
  size_t pos = 0;
  for (const char* unit : units) {
    const size_t start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
    ASSERT_GT(pos, start) << text;
    ASSERT_TRUE(text[start] != '0' || pos == start + 1) << text;
    ASSERT_EQ(text.compare(pos, std::strlen(unit), unit), 0) << text;
    pos += std::strlen(unit);
  }
  EXPECT_EQ(pos, text.size());
}

}  // namespace

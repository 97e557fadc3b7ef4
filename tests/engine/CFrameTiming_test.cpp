// Frame pacing and frame-rate arithmetic on hand-made time lines.
#include <gtest/gtest.h>

#include <vector>

#include "engine/CFramePacer.h"
#include "engine/CFrameRate.h"

namespace {

using engine::CFramePacer;
using engine::CFrameRate;

// Feeds frames of the given lengths (cycled) for `seconds` and returns the rate object.
CFrameRate RunFrames(const std::vector<uint32_t>& lengths, int seconds, std::vector<int32_t>* stepsOut) {
  CFrameRate rate;
  uint32_t t = 100000;
  rate.Step(t);
  uint32_t total = 0;
  for (size_t i = 0; total < static_cast<uint32_t>(seconds) * 1000; ++i) {
    const uint32_t dt = lengths[i % lengths.size()];
    t += dt;
    total += dt;
    rate.Step(t);
    if (stepsOut != nullptr) stepsOut->push_back(rate.GetFPSA());
  }
  return rate;
}

TEST(CFrameRate, SteadyDisplaysOweWholeStepsPerFrame) {
  struct Case {
    const char* name;
    std::vector<uint32_t> lengths;
    int32_t fps;
    int32_t steps;
  } cases[] = {
      // 16, 17, 17 ms average 60 frames a second; the count may read 59..61 and is snapped.
      {"60 fps", {16, 17, 17}, 60, 1},
      {"30 fps", {33, 33, 34}, 30, 2},
      {"20 fps", {50}, 20, 3},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> steps;
    const CFrameRate rate = RunFrames(c.lengths, 12, &steps);
    if (c.fps == 60) {
      EXPECT_GE(rate.GetFPS(), 58) << c.name;
      EXPECT_LE(rate.GetFPS(), 62) << c.name;
    } else {
      EXPECT_EQ(rate.GetFPS(), c.fps) << c.name;
    }
    // The surplus gathered in the first second (6 steps a frame while the rate reads 0) has
    // been paid out by the last two seconds; from then on every frame owes the same steps.
    const size_t framesPerSecond = steps.size() / 12;
    for (size_t i = steps.size() - 2 * framesPerSecond; i < steps.size(); ++i)
      ASSERT_EQ(steps[i], c.steps) << c.name << " frame " << i;
  }
}

TEST(CFrameRate, FirstSecondIsBoundedByTheFrameLengthOnly) {
  CFrameRate rate;
  rate.Step(100000);
  // Rate 0 gives 6 steps a frame; a 16 ms frame allows round(16 / 16.66 + 1) = 2.
  rate.Step(100016);
  EXPECT_EQ(rate.GetFPS(), 0);
  EXPECT_EQ(rate.GetFPSA(), 2);
  // 50 ms allows round(4.0) = 4.
  rate.Step(100066);
  EXPECT_EQ(rate.GetFPSA(), 4);
}

TEST(CFrameRate, SlowFrameAtLowRateGetsSixSteps) {
  CFrameRate rate;
  uint32_t t = 100000;
  rate.Step(t);
  // Five frames a second for two seconds: the rate reads 5.
  for (int i = 0; i < 10; ++i) rate.Step(t += 200);
  ASSERT_EQ(rate.GetFPS(), 5);
  rate.Step(t += 200);
  // 5 snaps to 10: 6 steps owed; 200 ms clamps to 90: round(90 / 16.66 + 1) = round(6.40) = 6.
  EXPECT_EQ(rate.GetFPSA(), 6);
}

TEST(CFrameRate, StepsNeverExceedSix) {
  CFrameRate rate;
  uint32_t t = 100000;
  rate.Step(t);
  for (int i = 0; i < 50; ++i) {
    rate.Step(t += 1000);
    ASSERT_LE(rate.GetFPSA(), 6);
  }
}

TEST(CFrameRate, ClockWrapDoesNotCountAsAHugeFrame) {
  CFrameRate rate;
  rate.Step(0xFFFFFFF0u);
  rate.Step(5);  // below the last stamp: the stamp restarts there
  // dt 0 (not 4 billion): clamped to 10 ms, which allows round(10 / 16.66 + 1) = 2 of the six.
  EXPECT_EQ(rate.GetFPSA(), 2);
}

TEST(CFramePacer, SleepsOutTheRestOfEachFrame) {
  CFramePacer pacer;
  struct Step {
    uint32_t now;
    uint32_t sleep;
    uint32_t base;  // after the call
  };
  // Budget 16 for one sixtieth. First call: 1000 ms late, only 7 carried: base 993 + 16.
  // At 1002, below the base: the base restarts there, sleep 16 - 0 - 1 = 15; base 1018.
  // At 1020: 2 ms into the frame, sleep 13; base 1034.
  // At 1055: 21 ms in, 5 late (< 7, all carried): base 1050 + 16, no sleep.
  // At 1090: 24 ms in, 8 late: 7 carried: base 1083 + 16.
  const Step steps[] = {{1000, 0, 1009}, {1002, 15, 1018}, {1020, 13, 1034},
                        {1055, 0, 1066}, {1090, 0, 1099}};
  for (const Step& s : steps) {
    EXPECT_EQ(pacer.Pace(1, s.now), s.sleep) << "now " << s.now;
    EXPECT_EQ(pacer.Base(), s.base) << "now " << s.now;
  }
}

TEST(CFramePacer, BudgetFollowsTheFrameLength) {
  struct Case {
    int32_t frames;
    uint32_t budget;
  } cases[] = {{1, 16}, {2, 33}, {3, 49}};
  for (const Case& c : cases) {
    CFramePacer pacer;
    pacer.Pace(c.frames, 10000);
    // A frame that starts exactly on the base sleeps budget - 1.
    const uint32_t base = pacer.Base();
    EXPECT_EQ(pacer.Pace(c.frames, base), c.budget - 1) << c.frames;
    EXPECT_EQ(pacer.Base(), base + c.budget) << c.frames;
  }
}

}  // namespace

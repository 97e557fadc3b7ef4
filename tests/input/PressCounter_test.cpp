#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "input/spLibInput.h"

namespace input {
namespace {

struct CounterCase {
  const char* name;
  int32_t start;
  std::vector<bool> pressed;
  std::vector<int32_t> expected;
};

TEST(PressCounter, FollowsPressHoldReleaseSequences) {
  const CounterCase cases[] = {
      {"held three frames", 0, {true, true, true, false, false}, {1, 2, 3, -3, 0}},
      {"tap", 0, {true, false, false}, {1, -1, 0}},
      {"press again in the release frame's successor", 0, {true, false, true}, {1, -1, 1}},
      {"idle stays 0", 0, {false, false}, {0, 0}},
      {"stops at the top", INT32_MAX - 1, {true, true, false, false},
       {INT32_MAX, INT32_MAX, -INT32_MAX, 0}},
      {"a negative counter restarts at 1", -7, {true}, {1}},
  };
  for (const CounterCase& c : cases) {
    int32_t counter = c.start;
    for (size_t i = 0; i < c.pressed.size(); ++i) {
      UpdatePressCounter(counter, c.pressed[i]);
      EXPECT_EQ(counter, c.expected[i]) << c.name << ", frame " << i;
    }
  }
}

struct RepeatCase {
  int32_t counter, delay, interval;
  bool expected;
};

TEST(RepeatTest, FirstFrameDelayAndEveryIntervalAfter) {
  const RepeatCase cases[] = {
      {1, 24, 6, true},   {2, 24, 6, false},  {23, 24, 6, false}, {24, 24, 6, true},
      {25, 24, 6, false}, {30, 24, 6, true},  {36, 24, 6, true},  {35, 24, 6, false},
      {0, 24, 6, false},  {-3, 24, 6, false}, {-24, -24, 6, true},
      // No interval: only the first frame and the delay repeat, and nothing divides by 0.
      {24, 24, 0, true},  {48, 24, 0, false}, {30, 24, -6, false},
      // Far-apart extremes must not overflow.
      // 2^32 - 1 frames past the delay: odd.
      {INT32_MAX, INT32_MIN, 1, true},        {INT32_MAX, INT32_MIN, 2, false},
      {INT32_MAX, INT32_MIN + 1, 2, true},
  };
  for (const RepeatCase& c : cases) {
    EXPECT_EQ(spLibInput::RepeatTest(c.counter, c.delay, c.interval), c.expected)
        << c.counter << ", " << c.delay << ", " << c.interval;
  }
}

}  // namespace
}  // namespace input

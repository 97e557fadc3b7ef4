#include "input/spLibInput.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "input/FakeSources.h"

namespace input {
namespace {

using testing::FakeKeys;
using testing::FakeMouse;

// Scan codes, written out here rather than taken from the module.
constexpr int kEsc = 1, kBack = 14, kQ = 16, kReturn = 28, kLCtrl = 29, kA = 30, kS = 31;
constexpr int kH = 35, kLShift = 42, kZ = 44, kX = 45, kC = 46, kB = 48, kN = 49, kM = 50;
constexpr int kRShift = 54, kLAlt = 56, kSpace = 57, kPad1 = 79, kPadEnter = 156;
constexpr int kRCtrl = 157, kRAlt = 184, kUp = 200, kLeft = 203, kRight = 205, kDown = 208;

class InputTest : public ::testing::Test {
 protected:
  void Make(int32_t vkeys) {
    auto keys = std::make_unique<FakeKeys>();
    auto mouse = std::make_unique<FakeMouse>();
    m_keys = keys.get();
    m_mouse = mouse.get();
    m_input = std::make_unique<spLibInput>(std::move(keys), std::move(mouse), false);
    m_input->Start(vkeys);
  }
  // One frame as the frame controller runs it.
  void Frame() {
    m_input->PollMouse();
    m_input->PollKeyboard();
    m_input->PollJoysticks();
    m_input->UpdateVirtualKeys();
  }
  const VKey& Key(int32_t i) { return *m_input->VKeyAt(i); }

  FakeKeys* m_keys = nullptr;
  FakeMouse* m_mouse = nullptr;
  std::unique_ptr<spLibInput> m_input;
};

TEST_F(InputTest, HeldThreeFramesCountsUpThenReleases) {
  Make(4);
  // Z is button 1 of the first keyboard set (virtual key 0).
  const struct {
    bool down;
    int32_t counter;
    int32_t trigger;
  } frames[] = {{true, 1, 1}, {true, 2, 0}, {true, 3, 0}, {false, -3, 0}, {false, 0, 0}};
  for (const auto& f : frames) {
    if (f.down) {
      m_keys->Set({kZ});
    } else {
      m_keys->Set({});
    }
    Frame();
    EXPECT_EQ(Key(0).Button[0], f.counter);
    EXPECT_EQ(Key(0).Trigger, f.trigger);
  }
}

TEST_F(InputTest, TriggerIsTheHighestButtonPressedThisFrame) {
  Make(2);
  m_keys->Set({kZ});  // button 1
  Frame();
  m_keys->Set({kZ, kC, kS});  // button 1 held, 3 and 5 new
  Frame();
  EXPECT_EQ(Key(0).Button[0], 2);
  EXPECT_EQ(Key(0).Button[2], 1);
  EXPECT_EQ(Key(0).Button[4], 1);
  EXPECT_EQ(Key(0).Trigger, 5);
  // Keypad 1 is button 1 of the second set.
  m_keys->Set({kPad1});
  Frame();
  EXPECT_EQ(Key(1).Trigger, 1);
  EXPECT_EQ(Key(0).Trigger, 0);
}

TEST_F(InputTest, DirectionsFromTheFourKeys) {
  Make(2);
  const struct {
    std::vector<int> keys;  // first set: H up, N down, B left, M right
    int32_t x, y, direction;
  } cases[] = {
      {{}, 0, 0, 0},           {{kH}, 0, -1, 3},
      {{kN}, 0, 1, -3},        {{kB}, -1, 0, -1},
      {{kM}, 1, 0, 1},         {{kH, kB}, -1, -1, 2},
      {{kH, kM}, 1, -1, 4},    {{kN, kB}, -1, 1, -4},
      {{kN, kM}, 1, 1, -2},    {{kH, kN}, 0, 0, 0},  // up and down together cancel
      {{kB, kM}, 0, 0, 0},     {{kH, kN, kB, kM}, 0, 0, 0},
      {{kH, kN, kM}, 1, 0, 1},
  };
  for (const auto& c : cases) {
    m_keys->keys.fill(0);
    for (int k : c.keys) m_keys->keys[static_cast<size_t>(k)] = 0x80;
    Frame();
    EXPECT_EQ(Key(0).x, c.x) << c.direction;
    EXPECT_EQ(Key(0).y, c.y) << c.direction;
    EXPECT_EQ(Key(0).Direction, c.direction);
  }
}

TEST_F(InputTest, DirectionCountRestartsOnEveryChange) {
  Make(1);  // one virtual key: the arrow set
  const struct {
    std::vector<int> keys;
    int32_t count;
  } frames[] = {{{}, 1},           {{}, 2},           {{kUp}, 1}, {{kUp}, 2},   {{kUp}, 3},
                {{kUp, kLeft}, 1}, {{kUp, kDown}, 1}, {{}, 2},    {{kRight}, 1}};
  for (const auto& f : frames) {
    m_keys->keys.fill(0);
    for (int k : f.keys) m_keys->keys[static_cast<size_t>(k)] = 0x80;
    Frame();
    EXPECT_EQ(Key(0).DirectionCount, f.count);
  }
}

TEST_F(InputTest, DefaultMapsWithoutJoysticks) {
  auto code = [](int scan) { return 0x1000 + scan; };
  const VKeyMap setA = {code(kZ), code(kX), code(kC), code(kA), code(kS), code(32), code(kQ),
                        code(17), code(18), code(19), code(kH), code(kN), code(kB), code(kM)};
  const VKeyMap setB = {code(79),  code(80),    code(81),    code(75),    code(76),
                        code(77),  code(71),    code(72),    code(73),    code(78),
                        code(kUp), code(kDown), code(kLeft), code(kRight)};
  const VKeyMap arrows = {code(kZ),  code(kX),    code(kC),    code(kA),    code(kS),
                          code(32),  code(kQ),    code(17),    code(18),    code(19),
                          code(kUp), code(kDown), code(kLeft), code(kRight)};
  const VKeyMap none{};

  Make(4);
  EXPECT_EQ(*m_input->Map(0), setA);
  EXPECT_EQ(*m_input->Map(1), setB);
  EXPECT_EQ(*m_input->Map(2), none);
  EXPECT_EQ(*m_input->Map(3), none);
  EXPECT_EQ(m_input->Map(4), nullptr);

  Make(1);
  EXPECT_EQ(*m_input->Map(0), arrows);

  Make(0);
  EXPECT_EQ(m_input->VKeyCount(), 0);
  EXPECT_EQ(m_input->Map(0), nullptr);

  Make(100);  // capped
  EXPECT_EQ(m_input->VKeyCount(), kMaxVKeys);
  Make(-3);
  EXPECT_EQ(m_input->VKeyCount(), 0);
}

TEST_F(InputTest, UnmappedVirtualKeysNeverReadAsPressed) {
  Make(4);
  m_keys->keys.fill(0x80);  // every key down
  Frame();
  for (int32_t i = 2; i < 4; ++i) {
    EXPECT_EQ(Key(i).Direction, 0);
    EXPECT_EQ(Key(i).Trigger, 0);
    for (int32_t b = 0; b < 10; ++b) EXPECT_EQ(Key(i).Button[b], 0);
  }
  EXPECT_EQ(Key(0).Trigger, 10);
  EXPECT_EQ(Key(1).Trigger, 10);
}

TEST_F(InputTest, MergedKeyTakesLowestActiveRecordAndMaxCounters) {
  Make(2);
  m_keys->Set({kX});  // vkey 0 button 2
  Frame();
  m_keys->Set({kX, kB, kDown, kPad1});  // vkey 0: left, button 2 held; vkey 1: down, button 1 new
  Frame();
  VKey merged = m_input->MergedVirtualKey();
  EXPECT_EQ(merged.Direction, -1);  // vkey 0 wins over vkey 1
  EXPECT_EQ(merged.x, -1);
  EXPECT_EQ(merged.y, 0);
  EXPECT_EQ(merged.DirectionCount, 1);
  EXPECT_EQ(merged.Trigger, 1);  // only vkey 1 has a trigger
  EXPECT_EQ(merged.Button[0], 1);
  EXPECT_EQ(merged.Button[1], 2);

  m_keys->Set({kDown, kZ, kPad1});  // vkey 0 neutral now; vkey 0 trigger 1, vkey 1 held
  Frame();
  merged = m_input->MergedVirtualKey();
  EXPECT_EQ(merged.Direction, -3);  // from vkey 1, the only non-neutral one
  EXPECT_EQ(merged.DirectionCount, 2);
  EXPECT_EQ(merged.y, 1);
  EXPECT_EQ(merged.Trigger, 1);
  EXPECT_EQ(merged.Button[0], 2);  // max(1, 2)
  EXPECT_EQ(merged.Button[1], 0);  // max(-2 released, 0)
}

TEST_F(InputTest, FixedCountersFollowTheirKeys) {
  Make(4);
  const struct {
    int scan;
    int32_t InputCounters::*counter;
    bool arrow;
  } cases[] = {
      {kEsc, &InputCounters::Escape, false},     {kReturn, &InputCounters::Enter, false},
      {kPadEnter, &InputCounters::Enter, false}, {kLCtrl, &InputCounters::Ctrl, false},
      {kRCtrl, &InputCounters::Ctrl, false},     {kLShift, &InputCounters::Shift, false},
      {kRShift, &InputCounters::Shift, false},   {kLAlt, &InputCounters::Alt, false},
      {kRAlt, &InputCounters::Alt, false},       {kSpace, &InputCounters::Space, false},
      {kBack, &InputCounters::BackSpace, false}, {kUp, &InputCounters::Up, true},
      {kDown, &InputCounters::Down, true},       {kLeft, &InputCounters::Left, true},
      {kRight, &InputCounters::Right, true},
  };
  for (const auto& c : cases) {
    m_keys->Set({c.scan});
    Frame();
    Frame();
    EXPECT_EQ(m_input->Counters().*c.counter, 2) << c.scan;
    EXPECT_EQ(m_input->Counters().Arrow, c.arrow ? 2 : 0) << c.scan;
    m_keys->Set({});
    Frame();
    EXPECT_EQ(m_input->Counters().*c.counter, -2) << c.scan;
    Frame();
  }
}

TEST_F(InputTest, IsPressedByCode) {
  Make(4);
  m_keys->Set({kZ});
  Frame();
  EXPECT_TRUE(m_input->IsPressed(0x1000 + kZ));
  EXPECT_FALSE(m_input->IsPressed(0x1000 + kX));
  // The same scan code under another kind, or no kind at all, is not the key.
  EXPECT_FALSE(m_input->IsPressed(kZ));
  EXPECT_FALSE(m_input->IsPressed(0x3000 + kZ));
  // Joysticks that do not exist never read as pressed.
  EXPECT_FALSE(m_input->IsPressed(0x2000));
  EXPECT_FALSE(m_input->IsPressed(0x4000));
}

TEST_F(InputTest, CaptureFindsNewlyPressedNamedKeys) {
  Make(4);
  m_keys->Set({kZ});
  EXPECT_EQ(m_input->CaptureInput(-1), 0x1000 + kZ);
  EXPECT_EQ(m_input->CaptureInput(-1), 0);  // held: not new
  m_keys->Set({kZ, kX});
  EXPECT_EQ(m_input->CaptureInput(-1), 0x1000 + kX);
  m_keys->Set({});
  EXPECT_EQ(m_input->CaptureInput(-1), 0);
  m_keys->Set({kZ, kX});  // both new: the last one found wins
  EXPECT_EQ(m_input->CaptureInput(-1), 0x1000 + kX);
  m_keys->Set({});
  (void)m_input->CaptureInput(-1);
  m_keys->Set({kLAlt});  // no name, cannot be captured
  EXPECT_EQ(m_input->CaptureInput(-1), 0);
  m_keys->Set({});
  (void)m_input->CaptureInput(-1);
  m_keys->Set({kZ, kLAlt});  // the unnamed key is found last and spoils the capture
  EXPECT_EQ(m_input->CaptureInput(-1), 0);
  m_keys->Set({});
  (void)m_input->CaptureInput(-1);
  m_keys->Set({3});  // digit row: unnamed
  EXPECT_EQ(m_input->CaptureInput(-1), 0);
}

TEST_F(InputTest, CaptureForOneJoystickLeavesTheKeyboardAlone) {
  Make(4);
  m_keys->Set({kZ});
  EXPECT_EQ(m_input->CaptureInput(0), 0);
  EXPECT_EQ(m_input->CaptureInput(3), 0);
  EXPECT_EQ(m_input->CaptureInput(99), 0);
  // The keyboard snapshot was not taken, so Z is still new to the full capture.
  EXPECT_EQ(m_input->CaptureInput(-1), 0x1000 + kZ);
}

TEST_F(InputTest, LostFocusReleasesHeldKeysEvenWhenTheDeviceStillReportsThem) {
  Make(4);
  m_keys->Set({kZ, kEsc});
  Frame();
  Frame();
  EXPECT_EQ(Key(0).Button[0], 2);
  m_input->FocusLost();
  Frame();  // the source is stale: it still says Z and Escape are down
  EXPECT_EQ(Key(0).Button[0], -2);
  EXPECT_EQ(m_input->Counters().Escape, -2);
  Frame();
  EXPECT_EQ(Key(0).Button[0], 0);
  EXPECT_FALSE(m_input->IsPressed(0x1000 + kZ));
  // Released and pressed again: counts as a fresh press.
  m_keys->Set({});
  Frame();
  m_keys->Set({kZ});
  Frame();
  EXPECT_EQ(Key(0).Button[0], 1);
}

TEST_F(InputTest, KeyboardWithoutFocusReadsAllUpAndAFailedReadKeepsTheLastState) {
  Make(4);
  m_keys->Set({kZ});
  Frame();
  m_keys->result = KeyReadResult::kFailed;
  Frame();
  EXPECT_EQ(Key(0).Button[0], 2);  // stale state used for the frame
  m_keys->result = KeyReadResult::kNoFocus;
  Frame();
  EXPECT_EQ(Key(0).Button[0], -2);
  m_keys->result = KeyReadResult::kOk;
  Frame();
  EXPECT_EQ(Key(0).Button[0], 1);
}

TEST_F(InputTest, LostFocusEventFromTheWindow) {
  Make(4);
  m_keys->Set({kZ});
  Frame();
  m_input->FocusLost();
  Frame();
  EXPECT_EQ(Key(0).Button[0], -1);
}

TEST_F(InputTest, MouseButtonsMovementAndWheel) {
  Make(4);
  m_mouse->reading.x = 100;
  m_mouse->reading.y = 50;
  Frame();
  EXPECT_FALSE(m_input->Counters().MouseMoved);
  m_mouse->reading.buttons[0] = 0x80;
  m_mouse->reading.x = 101;
  Frame();
  EXPECT_TRUE(m_input->Counters().MouseMoved);
  EXPECT_EQ(m_input->Counters().MouseLeft, 1);
  EXPECT_EQ(m_input->Counters().MouseRight, 0);
  EXPECT_EQ(m_input->Counters().MouseX, 101);
  Frame();
  EXPECT_FALSE(m_input->Counters().MouseMoved);
  EXPECT_EQ(m_input->Counters().MouseLeft, 2);

  m_input->OnWheel(-2);
  Frame();
  EXPECT_EQ(m_input->WheelDelta(), -240);
  EXPECT_EQ(m_input->Counters().MouseWheel, -240);
  m_mouse->result = MouseReadResult::kFailed;
  Frame();
  EXPECT_EQ(m_input->WheelDelta(), 0);  // a failed read does not repeat the movement
  EXPECT_EQ(m_input->Counters().MouseLeft, 4);

  m_input->FocusLost();
  m_mouse->result = MouseReadResult::kOk;
  Frame();  // still reported down: held across the focus change, so up
  EXPECT_EQ(m_input->Counters().MouseLeft, -4);
  m_mouse->result = MouseReadResult::kNoFocus;
  Frame();
  EXPECT_EQ(m_input->Counters().MouseLeft, 0);
  EXPECT_EQ(m_input->Counters().MouseX, 101);  // position kept
}

TEST_F(InputTest, WindowButtonsAndRelativeCursor) {
  Make(4);
  m_input->SetWindowMouseButtons(true, false);
  m_input->SetWindowMouseButtons(true, true);
  EXPECT_EQ(m_input->Counters().WindowMouseLeft, 2);
  EXPECT_EQ(m_input->Counters().WindowMouseRight, 1);
  m_input->SetCursorRelative(0.25f, 1.5f);
  EXPECT_EQ(m_input->Counters().MouseRelX, 0.25f);
  EXPECT_EQ(m_input->Counters().MouseRelY, 1.5f);
}

TEST(InputLifecycle, PollsBeforeStartAndAfterStopDoNothing) {
  auto keys = std::make_unique<FakeKeys>();
  keys->Set({kZ});
  FakeKeys* fake = keys.get();
  spLibInput input(std::move(keys), std::make_unique<FakeMouse>(), false);
  input.PollKeyboard();
  input.UpdateVirtualKeys();
  EXPECT_FALSE(input.Started());
  EXPECT_FALSE(input.IsPressed(0x1000 + kZ));
  EXPECT_EQ(input.CaptureInput(-1), 0);
  input.Start(2);
  EXPECT_TRUE(input.Started());
  input.PollKeyboard();
  EXPECT_TRUE(input.IsPressed(0x1000 + kZ));
  input.Stop();
  EXPECT_FALSE(input.IsPressed(0x1000 + kZ));
  fake->Set({kX});
  input.PollKeyboard();
  EXPECT_FALSE(input.IsPressed(0x1000 + kX));
}

TEST(InputLifecycle, MissingSourcesNeverStopTheGame) {
  spLibInput input(nullptr, nullptr, false);
  input.Start(4);
  input.PollMouse();
  input.PollKeyboard();
  input.PollJoysticks();
  input.UpdateVirtualKeys();
  EXPECT_EQ(input.CaptureInput(-1), 0);
  VKey key;
  ASSERT_TRUE(input.GetVKey(0, key));
  EXPECT_EQ(key.Trigger, 0);
  EXPECT_FALSE(input.GetVKey(4, key));
  EXPECT_FALSE(input.GetVKey(-1, key));
}

}  // namespace
}  // namespace input

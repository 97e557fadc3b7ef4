// The key configuration dialog without its window: caption, focus order, capture, the duplicate
// rule and what OK and cancel leave in the player's map.
#include "game/frmKeyConfig.h"

#include <gtest/gtest.h>

#include "input/FakeSources.h"

namespace {

using game::frmKeyConfig;

constexpr int32_t Key(int32_t scanCode) { return 0x1000 + scanCode; }
constexpr int32_t kZ = Key(44), kX = Key(45), kC = Key(46), kDown = Key(208), kUp = Key(200),
                  kRight = Key(205), kLeft = Key(203);

class KeyDialog : public ::testing::Test {
 protected:
  KeyDialog() {
    auto keys = std::make_unique<input::testing::FakeKeys>();
    m_keys = keys.get();
    m_input = std::make_unique<input::spLibInput>(std::move(keys), std::make_unique<input::testing::FakeMouse>(),
                                                  true);
    m_input->Start(4);
    m_input->MapKeyboardPair(0);  // players 1 and 2
    m_input->MapArrowSet(2);      // player 3; player 4 has nothing bound
  }
  input::testing::FakeKeys* m_keys = nullptr;
  std::unique_ptr<input::spLibInput> m_input;
};

TEST_F(KeyDialog, OpensWithThePlayersCaptionKeysAndNoDuplicates) {
  frmKeyConfig dialog(*m_input);
  dialog.SetPlayerIndex(nullptr, 2);
  EXPECT_EQ(dialog.Caption(), "キーコンフィグ [ Player3 ]");
  EXPECT_EQ(dialog.Focus(), 0);
  const input::VKeyMap& map = *m_input->Map(2);
  for (int32_t slot = 0; slot < input::kMapSlots; ++slot)
    EXPECT_EQ(dialog.Label(slot), input::spLibInput::KeyName(map[static_cast<size_t>(slot)])) << slot;
  EXPECT_EQ(dialog.Working(), map);
}

TEST_F(KeyDialog, FocusRunsThroughTheVisibleSlotsThenOkThenCancelAndRound) {
  frmKeyConfig dialog(*m_input);
  dialog.SetPlayerIndex(nullptr, 0);
  std::vector<int32_t> seen;
  for (int i = 0; i < 13; ++i) {
    seen.push_back(dialog.Focus());
    dialog.Captured(i % 2 == 0 ? kDown : kRight);
  }
  const std::vector<int32_t> order = {0, 1, 2, 3, 4, 5, 10, 11, 12, 13, frmKeyConfig::kFocusOk,
                                      frmKeyConfig::kFocusCancel, 0};
  EXPECT_EQ(seen, order);
  dialog.Captured(kUp);
  EXPECT_EQ(dialog.Focus(), 0);
  dialog.Captured(kUp);
  EXPECT_EQ(dialog.Focus(), frmKeyConfig::kFocusCancel);
  dialog.Captured(kLeft);
  EXPECT_EQ(dialog.Focus(), frmKeyConfig::kFocusOk);
  dialog.SetFocus(7);  // a slot that is not shown: ignored
  EXPECT_EQ(dialog.Focus(), frmKeyConfig::kFocusOk);
  EXPECT_FALSE(dialog.Closed());
  EXPECT_EQ(dialog.Working(), *m_input->Map(0));  // moving the focus binds nothing
}

TEST_F(KeyDialog, DuplicatesDisableOkUntilChangedAndOkWritesBack) {
  frmKeyConfig dialog(*m_input);
  dialog.SetPlayerIndex(nullptr, 1);
  const input::VKeyMap before = *m_input->Map(1);
  dialog.Captured(kZ);  // slot 0
  dialog.Captured(kZ);  // slot 1: the same key
  EXPECT_EQ(dialog.Focus(), 2);
  EXPECT_FALSE(dialog.OkEnabled());
  EXPECT_EQ(dialog.OkCaption(), "重複しています！");
  // OK refuses and moves the focus on; nothing is written.
  dialog.SetFocus(frmKeyConfig::kFocusOk);
  dialog.Command1_Click();
  EXPECT_FALSE(dialog.Closed());
  EXPECT_EQ(dialog.Focus(), frmKeyConfig::kFocusCancel);
  EXPECT_EQ(*m_input->Map(1), before);
  // Changing one of them clears it; a capture on OK presses it.
  dialog.SetFocus(1);
  dialog.Captured(kX);
  EXPECT_TRUE(dialog.OkEnabled());
  EXPECT_EQ(dialog.OkCaption(), "ＯＫ");
  dialog.SetFocus(frmKeyConfig::kFocusOk);
  dialog.Captured(kC);
  EXPECT_TRUE(dialog.Closed());
  const input::VKeyMap& after = *m_input->Map(1);
  EXPECT_EQ(after[0], kZ);
  EXPECT_EQ(after[1], kX);
  for (size_t slot = 2; slot < after.size(); ++slot) EXPECT_EQ(after[slot], before[slot]) << slot;
}

TEST_F(KeyDialog, UnboundSlotsAreNoClash) {
  frmKeyConfig dialog(*m_input);
  dialog.SetPlayerIndex(nullptr, 3);
  EXPECT_TRUE(dialog.OkEnabled());
  dialog.Captured(kZ);
  dialog.Captured(kZ);
  EXPECT_FALSE(dialog.OkEnabled());
}

TEST_F(KeyDialog, CancelLeavesTheMapAsItWas) {
  frmKeyConfig dialog(*m_input);
  dialog.SetPlayerIndex(nullptr, 3);
  const input::VKeyMap before = *m_input->Map(3);
  dialog.Captured(kC);
  dialog.SetFocus(frmKeyConfig::kFocusCancel);
  dialog.Captured(kZ);  // a capture on cancel presses it
  EXPECT_TRUE(dialog.Closed());
  EXPECT_EQ(*m_input->Map(3), before);
  dialog.Captured(kX);  // a closed dialog takes nothing
  EXPECT_EQ(dialog.Working()[1], before[1]);
}

TEST_F(KeyDialog, TheTimerCapturesTheKeyboardOncePerPress) {
  frmKeyConfig dialog(*m_input);
  dialog.SetPlayerIndex(nullptr, 0);
  dialog.Timer1_Timer();  // whatever is already held is not news
  m_keys->Set({44});
  dialog.Timer1_Timer();
  dialog.Timer1_Timer();  // still held: binds one slot only
  EXPECT_EQ(dialog.Working()[0], kZ);
  EXPECT_EQ(dialog.Focus(), 1);
}

}  // namespace

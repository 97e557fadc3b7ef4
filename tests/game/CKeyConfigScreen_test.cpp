// The key configuration screen with an input module fed by fake keys: choosing a player, the
// ten captured presses in slot order, held keys, the last player, the way back, the cursor and
// the mouse, and a missing item list. TUMBLEROO_TEXT_PNG=<folder> with TUMBLEROO_RES=<bin
// folder holding Res> saves the screen as the game's own files draw it.
#include "game/CKeyConfigScreen.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/CKestrel.h"
#include "image/CmgBBIBase.h"
#include "input/FakeSources.h"
#include "input/InputCode.h"
#include "present/CScreenshot.h"
#include "util/CApi.h"

namespace {

namespace fs = std::filesystem;
using game::CKeyConfigScreen;
using game::CTextScreen;

// The screen's items: the slots in two columns (reached only by choosing a player, so not
// enabled), the four players in a row, the way back.
std::string ItemList() {
  std::string s;
  auto line = [&](int32_t i, int32_t x, int32_t y, int32_t w, int32_t h, bool enabled) {
    s += std::to_string(i) + "," + std::to_string(x) + "," + std::to_string(y) + "," +
         std::to_string(w) + "," + std::to_string(h) + (enabled ? ",1" : ",0") + ",item\r\n";
  };
  for (int32_t i = 0; i < 4; ++i) line(i, 210, 190 + 48 * i, 170, 34, false);
  for (int32_t i = 4; i < 10; ++i) line(i, 550, 190 + 48 * (i - 4), 170, 34, false);
  for (int32_t p = 0; p < 4; ++p) line(12 + p, 100 + 155 * p, 112, 140, 40, true);
  line(16, 320, 490, 160, 44, true);
  return s;
}

class KeyScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("tumbleroo-keyscreen-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(m_dir / "Res" / "Graphic" / "Menu");
    if (WithItems())
      std::ofstream(m_dir / "Res" / "Graphic" / "Menu" / "KeyConfig.txt") << ItemList();
    const char* res = std::getenv("TUMBLEROO_RES");
    m_api.SetExecutableFolder(res != nullptr ? std::string(res) : m_dir.string());
    image::ImageMessages::Current().askOkCancel = [this](const std::string& t, const std::string&) {
      m_messages.push_back(t);
      return true;
    };
    auto keys = std::make_unique<input::testing::FakeKeys>();
    m_keys = keys.get();
    m_input = std::make_unique<input::spLibInput>(
        std::move(keys), std::make_unique<input::testing::FakeMouse>(), false);
    m_input->Start(4);
    m_in.device = m_input.get();
  }
  void TearDown() override {
    image::ImageMessages::Current() = image::ImageMessages::Defaults();
    fs::remove_all(m_dir);
  }
  virtual bool WithItems() const { return true; }

  // One frame with the keys held and the rest of the input as set in m_in.
  bool Frame(std::initializer_list<int> held = {}) {
    m_keys->Set(held);
    const bool done = m_screen.Frame(++m_frame, m_in, m_text);
    m_text.Sub_RenderLayer(m_kestrel, 1.0f);
    m_in.merged = {};
    m_in.counters = {};
    return done;
  }
  // Points the mouse at the middle of an item (moved there this frame).
  void PointAt(int32_t item, bool click) {
    util::CRects items = m_screen.Items();
    const auto r = items.Item(item);
    ASSERT_TRUE(r);
    m_in.counters.MouseMoved = true;
    m_in.counters.MouseRelX = static_cast<float>(r->Left + r->Width / 2) / 800.0f;
    m_in.counters.MouseRelY = static_cast<float>(r->Top + r->Height / 2) / 600.0f;
    m_in.counters.MouseLeft = click ? 1 : 0;
  }
  // Chooses a player's item with the mouse, then confirms it with button 1.
  void ChoosePlayer(int32_t player) {
    PointAt(CKeyConfigScreen::kFirstPlayerItem + player, false);
    Frame();
    m_in.merged.Trigger = 1;
    Frame();
  }
  void Save(const std::string& name) {
    const char* folder = std::getenv("TUMBLEROO_TEXT_PNG");
    if (folder == nullptr) return;
    std::string error;
    image::CmgBBI& s = m_text.ScreenImage();
    EXPECT_TRUE(present::CScreenshot::Save(s.Pixels(), 800, 600, s.XLen(),
                                           std::string(folder) + "/" + name + ".png", error))
        << error;
  }

  fs::path m_dir;
  util::CApi m_api;
  std::vector<std::string> m_messages;
  input::testing::FakeKeys* m_keys = nullptr;
  std::unique_ptr<input::spLibInput> m_input;
  game::ScreenInput m_in;
  CTextScreen m_text;
  engine::CKestrel m_kestrel;
  CKeyConfigScreen m_screen{&m_api};
  int32_t m_frame = 0;
};

// Q W E R T Y U I O P: ten keys with names.
constexpr int kRow[10] = {16, 17, 18, 19, 20, 21, 22, 23, 24, 25};

TEST_F(KeyScreen, TenPressesFillTheSlotsInOrderThenTheNextPlayersItemComes) {
  Frame();
  EXPECT_EQ(m_screen.Cursor(), -1);
  ChoosePlayer(1);
  EXPECT_EQ(m_screen.Player(), 1);
  EXPECT_EQ(m_screen.Cursor(), 0);
  EXPECT_TRUE(m_screen.PromptShown());
  EXPECT_EQ(m_text.Layers().Text(CKeyConfigScreen::kPromptLayer), CKeyConfigScreen::kPrompt);
  EXPECT_EQ(m_screen.SlotText(0), CKeyConfigScreen::kCapturing);
  const input::VKeyMap before = *m_input->Map(1);
  const input::VKeyMap player0 = *m_input->Map(0);
  for (int32_t slot = 0; slot < 10; ++slot) {
    EXPECT_EQ(m_screen.Cursor(), slot);
    Frame({kRow[slot]});
    Frame();
    if (slot == 5) Save("keyconfig-binding");
  }
  const input::VKeyMap& map = *m_input->Map(1);
  // Slots 0-3 are the directions, 4-9 buttons 1-6; buttons 7-10 keep what they had.
  const int32_t mapIndex[10] = {
      input::kMapUp, input::kMapDown, input::kMapLeft, input::kMapRight, 0, 1, 2, 3, 4, 5};
  for (int32_t slot = 0; slot < 10; ++slot) {
    EXPECT_EQ(map[static_cast<size_t>(mapIndex[slot])], input::KeyCode(kRow[slot])) << slot;
    EXPECT_EQ(CKeyConfigScreen::MapIndexOfSlot(slot), mapIndex[slot]);
  }
  for (size_t b = 6; b < 10; ++b) EXPECT_EQ(map[b], before[b]);
  EXPECT_EQ(*m_input->Map(0), player0);
  EXPECT_EQ(m_screen.Cursor(), CKeyConfigScreen::kFirstPlayerItem + 2);
  EXPECT_EQ(m_screen.Player(), 2);  // the next player's keys are shown
  EXPECT_FALSE(m_screen.PromptShown());
  EXPECT_EQ(m_text.Layers().Text(CKeyConfigScreen::kPromptLayer), "");
  EXPECT_EQ(m_screen.SlotText(0), input::spLibInput::KeyName((*m_input->Map(2))[input::kMapUp]));
}

TEST_F(KeyScreen, AKeyHeldOverSeveralFramesBindsOneSlotAndAFreshPressBindsTheNext) {
  Frame();
  ChoosePlayer(0);
  for (int i = 0; i < 5; ++i) Frame({input::scan::kZ});
  EXPECT_EQ(m_screen.Cursor(), 1);
  Frame();
  Frame({input::scan::kZ});
  EXPECT_EQ(m_screen.Cursor(), 2);
  EXPECT_EQ((*m_input->Map(0))[input::kMapUp], input::KeyCode(input::scan::kZ));
  EXPECT_EQ((*m_input->Map(0))[input::kMapDown], input::KeyCode(input::scan::kZ));
  EXPECT_EQ(m_screen.SlotText(0), input::spLibInput::KeyName(input::KeyCode(input::scan::kZ)));
  EXPECT_EQ(m_screen.SlotText(2), CKeyConfigScreen::kCapturing);
}

TEST_F(KeyScreen, AfterTheLastPlayerTheWayBackComesAndChoosingItFinishes) {
  Frame();
  ChoosePlayer(3);
  for (int32_t slot = 0; slot < 10; ++slot) {
    EXPECT_FALSE(Frame({kRow[slot]}));
    EXPECT_FALSE(Frame());
  }
  EXPECT_EQ(m_screen.Cursor(), CKeyConfigScreen::kBackItem);
  m_in.merged.Trigger = 2;  // only button 1 confirms
  EXPECT_FALSE(Frame());
  m_in.merged.Trigger = 1;
  EXPECT_TRUE(Frame());
}

TEST_F(KeyScreen, TheBindingPressNeverAlsoMovesOrChooses) {
  Frame();
  ChoosePlayer(0);
  // A press that is also button 1 and a direction, on the last slot.
  for (int32_t slot = 0; slot < 9; ++slot) {
    Frame({kRow[slot]});
    Frame();
  }
  m_in.merged.Trigger = 1;
  m_in.merged.Direction = 1;
  m_in.merged.DirectionCount = 1;
  m_in.merged.x = 1;
  Frame({input::scan::kZ});
  EXPECT_EQ(m_screen.Cursor(), CKeyConfigScreen::kFirstPlayerItem + 1);
  EXPECT_EQ(m_screen.Player(), 1);
}

TEST_F(KeyScreen, TheCursorMovesWithTheRepeatTestAndTheMouseWithoutADevice) {
  m_in.device = nullptr;
  Frame();
  auto push = [&](int32_t x, int32_t y, int32_t count) {
    m_in.merged.x = x;
    m_in.merged.y = y;
    m_in.merged.Direction = x - 3 * y;
    m_in.merged.DirectionCount = count;
    Frame();
  };
  push(1, 0, 1);
  EXPECT_EQ(m_screen.Cursor(), CKeyConfigScreen::kFirstPlayerItem);  // the slots are skipped
  push(0, 1, 1);
  EXPECT_EQ(m_screen.Cursor(), CKeyConfigScreen::kBackItem);
  PointAt(3, false);  // a slot: not a place for the cursor
  Frame();
  EXPECT_EQ(m_screen.Cursor(), CKeyConfigScreen::kBackItem);
  PointAt(14, false);
  Frame();
  EXPECT_EQ(m_screen.Cursor(), 14);
  push(1, 0, 1);
  EXPECT_EQ(m_screen.Cursor(), 15);
  push(1, 0, 2);  // held, before the repeat starts
  EXPECT_EQ(m_screen.Cursor(), 15);
  push(-1, 0, 24);
  EXPECT_EQ(m_screen.Cursor(), 14);
  // Clicking a player's item edits that player: the slot waits, and without a device it waits.
  PointAt(13, true);
  Frame();
  EXPECT_EQ(m_screen.Player(), 1);
  EXPECT_EQ(m_screen.Cursor(), 0);
  for (int i = 0; i < 3; ++i) Frame({kRow[0]});
  EXPECT_EQ(m_screen.Cursor(), 0);
  Save("keyconfig-capturing");
}

class KeyScreenWithoutItems : public KeyScreen {
 protected:
  bool WithItems() const override { return false; }
};

TEST_F(KeyScreenWithoutItems, NothingCanBeChosen) {
  if (std::getenv("TUMBLEROO_RES") != nullptr) GTEST_SKIP() << "the real files are in use";
  Frame();
  EXPECT_EQ(m_screen.Items().Count(), 0);
  m_in.merged.Trigger = 1;
  m_in.merged.x = 1;
  m_in.merged.Direction = 1;
  m_in.merged.DirectionCount = 1;
  EXPECT_FALSE(Frame({kRow[0]}));
  m_in.counters.MouseMoved = true;
  m_in.counters.MouseLeft = 1;
  m_in.counters.MouseRelX = 0.5f;
  m_in.counters.MouseRelY = 0.85f;
  EXPECT_FALSE(Frame());
  EXPECT_EQ(m_screen.Cursor(), -1);
  EXPECT_FALSE(m_messages.empty());  // the missing pictures were reported
}

}  // namespace

// The main menu: the cursor over the five items (disabled ones skipped, the repeat of a held
// direction), the number of humans with left and right, the mouse's hover and click, what each
// way of choosing chooses, the mode stepping, the load errors, and the drawing (tints, text
// placement) into a software back buffer from a small picture fixture; with the game's own
// pictures when the build has laid them out, saved as a PNG when TUMBLEROO_SHOT_DIR is set.
#include "game/CMenuScreen.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/spLib.h"
#include "image/CmgBBI.h"
#include "image/CmgBBIBase.h"
#include "present/CRgbDevice.h"
#include "present/CScreenshot.h"
#include "present/IGraphicsTarget.h"
#include "present/SoftwareTarget.h"
#include "util/CApi.h"

namespace {

using game::CMenuScreen;
using game::ScreenInput;
using present::CGraphics;

constexpr uint32_t kBack = 0xFF000000u;
constexpr uint32_t kFixtureBackground = 0xFF204060u;
constexpr uint32_t kFixtureItem = 0xFF606060u;

class TestTarget : public testsupport::SoftwareTarget {
 public:
  TestTarget() : SoftwareTarget(kW, kH, kBack) {}
  static constexpr int32_t kW = 800, kH = 600;
};

// One frame's input: the merged direction (x, y) held for `count` frames.
ScreenInput Held(int32_t x, int32_t y, int32_t count) {
  ScreenInput in;
  in.merged.x = x;
  in.merged.y = y;
  in.merged.Direction = x - 3 * y;
  in.merged.DirectionCount = count;
  return in;
}
ScreenInput Idle() { return Held(0, 0, 10); }
// The pointer at a screen position (relative to the drawing area, as the input module keeps it).
ScreenInput Pointer(float x, float y, bool moved, int32_t windowLeft = 0) {
  ScreenInput in = Idle();
  in.counters.MouseRelX = x / 800.0f;
  in.counters.MouseRelY = y / 600.0f;
  in.counters.MouseMoved = moved;
  in.counters.WindowMouseLeft = windowLeft;
  return in;
}

int32_t Channel(uint32_t c, int shift) { return static_cast<int32_t>((c >> shift) & 0xFFu); }
bool Near(uint32_t got, uint32_t want, int32_t tolerance = 2) {
  for (int shift : {0, 8, 16})
    if (std::abs(Channel(got, shift) - Channel(want, shift)) > tolerance) return false;
  return true;
}
// src over dst with alpha a (0..255), channel by channel.
uint32_t Over(uint32_t src, uint32_t dst, int32_t a) {
  uint32_t out = 0xFF000000u;
  for (int shift : {0, 8, 16}) {
    const int32_t v = (Channel(src, shift) * a + Channel(dst, shift) * (255 - a) + 127) / 255;
    out |= static_cast<uint32_t>(v) << shift;
  }
  return out;
}

class MenuScreenTest : public ::testing::Test {
 protected:
  // A Res tree of flat pictures: the background and five opaque grey items.
  static void SetUpTestSuite() {
    s_root =
        std::filesystem::temp_directory_path() / ("tumbleroo_menu_" + std::to_string(::getpid()));
    std::filesystem::create_directories(s_root / "Res/Graphic/Menu");
    std::filesystem::create_directories(s_root / "Res/Graphic/Back");
    image::CmgBBI back;
    back.CreateBBI(800, 600);
    Fill(back, kFixtureBackground);
    ASSERT_EQ(
        back.SaveToBitmap((s_root / "Res/Graphic/Back/デフォルトステージ.bmp").string(), true), 0);
    image::CmgBBI item;
    item.CreateBBI(200, 50);
    Fill(item, kFixtureItem);
    for (int i = 1; i <= 5; ++i)
      ASSERT_EQ(item.SaveToBitmap(
                    (s_root / "Res/Graphic/Menu" / (std::to_string(i) + ".bmp")).string(), true),
                0);
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(s_root); }
  static void Fill(image::CmgBBI& img, uint32_t colour) {
    for (int32_t y = 0; y < img.height(); ++y)
      for (int32_t x = 0; x < img.Width(); ++x) img.dwSetPixel(x, y, colour);
  }

  void SetUp() override {
    CGraphics::UseTarget(&target);
    CGraphics::DrawScale(1.0f);
    UseFolder(s_root.string() + "/");
    saved = image::ImageMessages::Current();
    image::ImageMessages::Current().askOkCancel = [this](const std::string& text,
                                                         const std::string& caption) {
      asked.push_back(text + " | " + caption);
      return true;
    };
  }
  void TearDown() override {
    image::ImageMessages::Current() = saved;
    UseFolder("");
    CGraphics::UseTarget(nullptr);
  }
  static void UseFolder(const std::string& folder) {
    engine::spLib::Shared().Api().SetExecutableFolder(folder);
  }
  // A menu after its first frame.
  CMenuScreen& Started(int32_t joysticks = 0) {
    ScreenInput in = Idle();
    in.joystickCount = joysticks;
    EXPECT_EQ(menu.Frame(1, in), CMenuScreen::kNothing);
    return menu;
  }
  // A press of a direction after a release (count 1), one frame.
  int32_t Press(int32_t x, int32_t y) { return menu.Frame(++frame, Held(x, y, 1)); }

  static std::filesystem::path s_root;
  TestTarget target;
  util::CApi api;
  game::CMatch match{api};
  CMenuScreen menu{match, nullptr};
  int32_t frame = 1;
  image::ImageMessages saved;
  std::vector<std::string> asked;
};
std::filesystem::path MenuScreenTest::s_root;

TEST_F(MenuScreenTest, FirstFrameSetsTheMenuUp) {
  match.modeChosen = 5;
  match.modeInPlay = 3;
  Started();
  EXPECT_EQ(menu.Cursor(), 0);
  EXPECT_EQ(match.modeChosen, 0);
  EXPECT_EQ(match.modeInPlay, 0);
  EXPECT_EQ(menu.ModeTextShown(), "ランダムにステージを選びます");
  EXPECT_TRUE(asked.empty()) << asked.front();
  util::CRects items = menu.Items();
  ASSERT_EQ(items.Count(), 5);
  const int32_t tops[5] = {200, 265, 330, 395, 460};
  for (int32_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(items.ItemEnabled(i), i != 2 && i != 3);
    ASSERT_NE(items.Item(i), nullptr);
    EXPECT_EQ(items.Item(i)->Left, 36);
    EXPECT_EQ(items.Item(i)->Top, tops[i]);
    EXPECT_EQ(items.Item(i)->Width, 200);
    EXPECT_EQ(items.Item(i)->Height, 50);
  }
}

TEST_F(MenuScreenTest, HumansStartAtTheJoystickCount) {
  const struct {
    int32_t joysticks, humans;
    const char* text;
  } cases[] = {{0, 1, "人間 1人\r\nｺﾝﾋﾟｭｰﾀ 3人\r\n←→"},
               {1, 1, "人間 1人\r\nｺﾝﾋﾟｭｰﾀ 3人\r\n←→"},
               {3, 3, "人間 3人\r\nｺﾝﾋﾟｭｰﾀ 1人\r\n←→"},
               {9, 4, "人間 4人\r\nｺﾝﾋﾟｭｰﾀ 0人\r\n←→"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.joysticks);
    Started(c.joysticks);
    EXPECT_EQ(match.humanPlayers, c.humans);
    EXPECT_EQ(menu.PlayersTextShown(), c.text);
  }
}

// Presses from the first item, each after a release; the cursor after each.
TEST_F(MenuScreenTest, CursorSkipsTheDisabledItems) {
  struct Step {
    int32_t x, y, cursor;
  };
  const struct {
    const char* name;
    std::vector<Step> steps;
  } cases[] = {
      {"down from the mode item reaches exit", {{0, 1, 1}, {0, 1, 4}}},
      {"up from exit reaches the mode item", {{0, 1, 1}, {0, 1, 4}, {0, -1, 1}, {0, -1, 0}}},
      {"up from the first item wraps to exit", {{0, -1, 4}}},
      {"down from exit wraps to the first item", {{0, -1, 4}, {0, 1, 0}}},
      {"left and right keep the cursor", {{0, 1, 1}, {-1, 0, 1}, {1, 0, 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Started();
    for (const Step& s : c.steps) {
      EXPECT_EQ(Press(s.x, s.y), CMenuScreen::kNothing);
      EXPECT_EQ(menu.Cursor(), s.cursor) << s.x << "," << s.y;
      menu.Frame(++frame, Held(0, 0, 1));  // the release
      EXPECT_EQ(menu.Cursor(), s.cursor) << "a neutral direction moves nothing";
    }
  }
}

TEST_F(MenuScreenTest, LeftAndRightChangeTheHumansWithWrapping) {
  const struct {
    int32_t joysticks;
    std::vector<int32_t> presses;  // -1 left, 1 right
    int32_t humans;
  } cases[] = {
      {1, {-1}, 0},      {1, {-1, -1}, 4},    {4, {1}, 0},
      {2, {1, 1, 1}, 0}, {0, {-1, -1, 1}, 0}, {3, {-1, 1, 1}, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.joysticks << " joysticks, " << c.presses.size() << " presses");
    Started(c.joysticks);
    for (int32_t p : c.presses) {
      Press(p, 0);
      menu.Frame(++frame, Idle());
    }
    EXPECT_EQ(match.humanPlayers, c.humans);
    EXPECT_EQ(menu.PlayersTextShown(), CMenuScreen::PlayersText(c.humans));
  }
  // Left at 0 humans: 4 humans and no computer.
  EXPECT_EQ(CMenuScreen::PlayersText(4), "人間 4人\r\nｺﾝﾋﾟｭｰﾀ 0人\r\n←→");
  // Up, down and the diagonals leave the humans alone.
  Started(2);
  for (const auto& d : {std::pair{0, 1}, std::pair{0, -1}, std::pair{-1, -1}, std::pair{1, 1}}) {
    Press(d.first, d.second);
    menu.Frame(++frame, Idle());
  }
  EXPECT_EQ(match.humanPlayers, 2);
}

// A held direction acts in its first frame, at 24, then every 6 frames.
TEST_F(MenuScreenTest, HeldDirectionRepeats) {
  const std::vector<int32_t> want = {1, 24, 30, 36, 42};
  for (const auto& dir : {std::pair{0, 1}, std::pair{1, 0}}) {
    SCOPED_TRACE(dir.first);
    Started(1);
    std::vector<int32_t> acted;
    int32_t cursor = menu.Cursor(), humans = match.humanPlayers;
    for (int32_t count = 1; count <= 45; ++count) {
      menu.Frame(++frame, Held(dir.first, dir.second, count));
      if (menu.Cursor() != cursor || match.humanPlayers != humans) acted.push_back(count);
      cursor = menu.Cursor();
      humans = match.humanPlayers;
    }
    EXPECT_EQ(acted, want);
  }
}

TEST_F(MenuScreenTest, PointerHoverAndClick) {
  const struct {
    const char* name;
    float x, y;
    bool moved;
    int32_t windowLeft, deviceLeft;
    int32_t cursor, chosen;
  } cases[] = {
      {"hover over exit", 136, 485, true, 0, 0, 4, -1},
      {"hover needs a movement", 136, 485, false, 0, 0, 0, -1},
      {"hover over a disabled item keeps the cursor", 136, 355, true, 0, 0, 0, -1},
      {"hover outside keeps the cursor", 600, 100, true, 0, 0, 0, -1},
      {"click on exit chooses it", 136, 485, false, 1, 0, 4, 4},
      {"click on the start item", 40, 240, true, 1, 0, 0, 0},
      {"click on a disabled item chooses nothing", 136, 420, true, 1, 0, -1, -1},
      {"click outside chooses nothing", 700, 500, false, 1, 0, -1, -1},
      {"a held button is no click", 136, 485, false, 2, 0, 0, -1},
      {"the device's button is not read", 136, 485, false, 0, 1, 0, -1},
      // 264.84375 rounds to 265, the first row of the mode item (truncation would miss it).
      {"the position is rounded", 100, 264.84375f, true, 1, 0, 1, 1},
      {"right edge is outside", 236, 230, true, 1, 0, -1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Started();
    ScreenInput in = Pointer(c.x, c.y, c.moved, c.windowLeft);
    in.counters.MouseLeft = c.deviceLeft;
    const int32_t cm = match.modeChosen;
    const int32_t chosen = menu.Frame(++frame, in);
    EXPECT_EQ(menu.Cursor(), c.cursor);
    EXPECT_EQ(chosen, c.chosen);
    if (c.chosen == CMenuScreen::kMode) {
      EXPECT_EQ(match.modeChosen, cm + 1);
    }
  }
  // Keys still work after a click on nothing: the next press lands on the first item.
  Started();
  menu.Frame(++frame, Pointer(700, 500, true, 1));
  ASSERT_EQ(menu.Cursor(), -1);
  Press(0, 1);
  EXPECT_EQ(menu.Cursor(), 0);
}

TEST_F(MenuScreenTest, WaysOfChoosing) {
  const struct {
    const char* name;
    int32_t downPresses;  // the cursor: 0, 1 or 4 after 0, 1 or 2 presses
    int32_t enter, trigger;
    int32_t chosen;
  } cases[] = {
      {"Enter on start", 0, 1, 0, 0},           {"Enter on exit", 2, 1, 0, 4},
      {"button on start", 0, 0, 3, 0},          {"button on exit", 2, 0, 1, 4},
      {"Enter held is no choice", 0, 5, 0, -1}, {"Enter released is no choice", 0, -3, 0, -1},
      {"nothing pressed", 2, 0, 0, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Started();
    for (int32_t i = 0; i < c.downPresses; ++i) {
      Press(0, 1);
      menu.Frame(++frame, Idle());
    }
    ScreenInput in = Idle();
    in.counters.Enter = c.enter;
    in.merged.Trigger = c.trigger;
    EXPECT_EQ(menu.Frame(++frame, in), c.chosen);
  }
}

TEST_F(MenuScreenTest, ChoosingTheModeStepsItAndWraps) {
  Started();
  Press(0, 1);
  ASSERT_EQ(menu.Cursor(), 1);
  for (int32_t n = 1; n <= 9; ++n) {
    ScreenInput in = Idle();
    in.counters.Enter = 1;
    EXPECT_EQ(menu.Frame(++frame, in), CMenuScreen::kMode);
    const int32_t want = n % 8;
    EXPECT_EQ(match.modeChosen, want);
    EXPECT_EQ(match.modeInPlay, 0) << "the round decides the mode in play";
    EXPECT_EQ(menu.ModeTextShown(), game::CMatch::kModeNames[want]);
    EXPECT_EQ(menu.Cursor(), 1);
  }
}

TEST_F(MenuScreenTest, MissingPicturesAreReportedWithTheLoadErrorText) {
  const std::filesystem::path empty = s_root / "empty";
  std::filesystem::create_directories(empty);
  UseFolder(empty.string() + "/");
  Started();
  ASSERT_EQ(asked.size(), 6u);
  for (const std::string& a : asked)
    EXPECT_EQ(a.rfind(std::string(CGraphics::kLoadErrorText) + " | ", 0), 0u) << a;
  EXPECT_NE(asked[0].find("デフォルトステージ.bmp"), std::string::npos);
  EXPECT_NE(asked[5].find("5.bmp"), std::string::npos);
  // The menu still works without its pictures.
  Press(0, 1);
  EXPECT_EQ(menu.Cursor(), 1);
}

// The fixture's flat pictures drawn with their tints: the cursor brightened (times two), the
// enabled items nearly opaque, the disabled ones faint; the texts in their places.
TEST_F(MenuScreenTest, DrawsTintsAndTexts) {
  Started();
  Press(0, 1);  // cursor on the mode item
  menu.Frame(++frame, Idle());
  const uint32_t bg = kFixtureBackground;
  EXPECT_EQ(target.At(400, 100), bg);
  EXPECT_EQ(target.At(20, 300), bg);
  const uint32_t brightened = 0xFF789D85u;  // 2 * 60 * A0/D0/B0 / FF
  const struct {
    int32_t item;
    uint32_t want;
  } cases[] = {{0, Over(kFixtureItem, bg, 0xEE)},
               {1, brightened},
               {2, Over(kFixtureItem, bg, 0x60)},
               {3, Over(kFixtureItem, bg, 0x60)},
               {4, Over(kFixtureItem, bg, 0xEE)}};
  for (const auto& c : cases) {
    const int32_t top = CMenuScreen::kItemTop[c.item];
    for (const auto& p : {std::pair{36, top}, std::pair{235, top + 49}, std::pair{136, top + 25}}) {
      EXPECT_TRUE(Near(target.At(p.first, p.second), c.want))
          << "item " << c.item << " at " << p.first << "," << p.second << ": " << std::hex
          << target.At(p.first, p.second) << " want " << c.want;
    }
    EXPECT_EQ(target.At(35, top + 25), bg) << "item " << c.item;
    EXPECT_EQ(target.At(236, top + 25), bg) << "item " << c.item;
  }

  // The texts: light glyph pixels, each text's extent centred where it belongs.
  auto extent = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    int32_t l = x1, r = x0 - 1, t = y1, b = y0 - 1;
    for (int32_t y = y0; y < y1; ++y)
      for (int32_t x = x0; x < x1; ++x)
        if (Channel(target.At(x, y), 8) > 0xC0) {
          l = std::min(l, x);
          r = std::max(r, x);
          t = std::min(t, y);
          b = std::max(b, y);
        }
    return std::array<int32_t, 4>{l, t, r, b};
  };
  const auto players = extent(472, 172, 728, 428);
  ASSERT_LE(players[0], players[2]) << "no players text drawn";
  EXPECT_NEAR((players[0] + players[2]) / 2.0, 600, 12);
  EXPECT_NEAR((players[1] + players[3]) / 2.0, 300, 12);
  EXPECT_GT(players[3] - players[1], 80) << "three lines of size 40";
  const auto mode = extent(144, 536, 656, 600);
  ASSERT_LE(mode[0], mode[2]) << "no mode text drawn";
  EXPECT_NEAR((mode[0] + mode[2]) / 2.0, 400, 12);
  EXPECT_GT(mode[1], 536);
  EXPECT_LT(mode[3], 600);
}

// The final frame lets go of the items' and texts' textures; the next set-up makes them again.
TEST_F(MenuScreenTest, FinalFrameReleasesThePictures) {
  present::TextureMemory& memory = present::TextureMemory::Shared();
  const int64_t before = memory.Used();
  Started();
  menu.Frame(2, Idle());
  const int64_t drawn = memory.Used();
  ASSERT_GT(drawn, before);
  menu.Frame(-1, Idle());
  const int64_t after = memory.Used();
  // At least the five items and the two texts at four bytes a pixel.
  EXPECT_LE(after, drawn - int64_t{4} * (5 * 200 * 50 + 512 * 64 + 256 * 256));
  EXPECT_GT(after, before) << "the background stays for the next visit";
  std::fill(target.px.begin(), target.px.end(), kBack);
  Started();
  menu.Frame(2, Idle());
  EXPECT_EQ(memory.Used(), drawn);
  EXPECT_EQ(target.At(136, 225), 0xFF789D85u) << "the cursor item is drawn again";
}

// The game's own pictures, as a player first sees them and after a few changes; saved as PNG
// files when TUMBLEROO_SHOT_DIR names a folder. Skipped when the build has not laid the Res tree
// out beside the tests.
TEST_F(MenuScreenTest, GamePicturesLookRight) {
  UseFolder("");
  const std::string res = engine::spLib::Shared().Api().Exepath() + "Res/Graphic/Menu/1.bmp";
  if (!std::filesystem::exists(res)) GTEST_SKIP() << "no Res tree beside the tests";
  const char* dir = std::getenv("TUMBLEROO_SHOT_DIR");
  auto save = [&](const std::string& name) {
    if (dir == nullptr) return;
    std::string error;
    EXPECT_TRUE(present::CScreenshot::Save(target.px.data(), 800, 600, 800 * 4,
                                           std::string(dir) + "/" + name, error))
        << error;
  };
  Started(0);
  menu.Frame(++frame, Idle());
  EXPECT_TRUE(asked.empty());
  // The background is a picture, not the cleared buffer.
  EXPECT_NE(target.At(400, 300), kBack);
  EXPECT_NE(target.At(400, 300), target.At(400, 590));
  save("menu.png");
  Press(0, 1);
  for (int32_t i = 0; i < 3; ++i) {
    ScreenInput in = Idle();
    in.counters.Enter = 1;
    menu.Frame(++frame, in);
  }
  Press(1, 0);
  menu.Frame(++frame, Idle());
  EXPECT_EQ(menu.ModeTextShown(), "ダメージ+300");
  save("menu-mode3.png");
}

// Every mode text fits its picture on one line, clear of the picture's edges.
TEST_F(MenuScreenTest, ModeTextsFitOnOneLine) {
  Started();
  Press(0, 1);
  for (int32_t mode = 0; mode < 8; ++mode) {
    SCOPED_TRACE(game::CMatch::kModeNames[mode]);
    std::fill(target.px.begin(), target.px.end(), kBack);
    menu.Frame(++frame, Idle());
    int32_t l = 800, r = -1, t = 600, b = -1;
    for (int32_t y = 536; y < 600; ++y)
      for (int32_t x = 144; x < 656; ++x)
        if (Channel(target.At(x, y), 8) > 0xC0) {
          l = std::min(l, x);
          r = std::max(r, x);
          t = std::min(t, y);
          b = std::max(b, y);
        }
    ASSERT_LE(l, r);
    EXPECT_GT(l, 144 + 2);
    EXPECT_LT(r, 656 - 2);
    EXPECT_LT(b - t, 40) << "one line of size 30";
    ScreenInput in = Idle();
    in.counters.Enter = 1;
    menu.Frame(++frame, in);
  }
}

}  // namespace

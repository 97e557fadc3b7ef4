// The text screens' presentation against a display whose back buffer is a real image and the
// real frame controller's paint requests; the result and "工事中" screens' texts, sound and
// buttons. TUMBLEROO_TEXT_PNG=<folder> saves the screens as a player sees them (with
// TUMBLEROO_TEXT_BACK=<picture> as the frame they freeze).
#include "game/CTextScreen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/CKestrel.h"
#include "engine/EngineFakes.h"
#include "image/CmgBBIFunction.h"
#include "present/CScreenshot.h"
#include "util/CApi.h"

namespace {

using game::CResultScreen;
using game::CTextScreen;
using game::CUnderConstructionScreen;

util::CRect Rect(int32_t x, int32_t y, int32_t w, int32_t h) {
  util::CRect r;
  r.Create(x, y, w, h);
  return r;
}

// A display whose back buffer is an 800 x 600 image.
class BackBufferDisplay final : public enginetest::FakeDisplay {
 public:
  explicit BackBufferDisplay(enginetest::CallLog& log) : FakeDisplay(log) {
    started = true;
    back.CreateBBI(800, 600);
  }
  void* BackBuffer() override { return back.GetBBIHandle(); }
  image::CmgBBI back;
};

class RecordingSound final : public game::IMatchSound {
 public:
  void Play(std::string_view wave, float volume, float, float) override {
    played.push_back(std::string(wave) + "@" + std::to_string(volume));
  }
  std::vector<std::string> played;
};

class TextScreens : public ::testing::Test {
 protected:
  TextScreens() {
    root = std::make_unique<engine::spLib>(enginetest::PassingServices(clock, nullptr, nullptr));
    auto d = std::make_unique<BackBufferDisplay>(log);
    display = d.get();
    root->SetDisplayDevice(std::move(d));
    kestrel = std::make_unique<engine::CKestrel>(*root);
    text = std::make_unique<CTextScreen>(root.get());
    api.FixSeed(7);
  }
  ~TextScreens() override {
    text.reset();
    kestrel.reset();
    root.reset();
  }
  // What the frame controller does with the requests when it presents.
  void Presented() {
    kestrel->Config.PaintAllFlag = false;
    kestrel->Config.PaintRect.Delete();
  }
  // The last frame of a match: something recognisable, or a picture given to look at.
  void PaintLastFrame(bool pictureAllowed = true) {
    const char* file = pictureAllowed ? std::getenv("TUMBLEROO_TEXT_BACK") : nullptr;
    if (file != nullptr) {
      image::CmgBBI pic(&api);
      if (pic.CreateBBIfromFile(file) == 0) {
        image::CmgBBIFunction::Shared().BBIExpandBlt(display->back, pic);
        return;
      }
    }
    for (int32_t y = 0; y < 600; ++y)
      for (int32_t x = 0; x < 800; ++x)
        display->back.dwSetPixel(x, y, ((x / 50 + y / 50) % 2 == 0) ? 0xFF3070C0u : 0xFFE0A040u);
  }
  void Save(const std::string& name) {
    const char* folder = std::getenv("TUMBLEROO_TEXT_PNG");
    if (folder == nullptr) return;
    std::string error;
    const std::string path = std::string(folder) + "/" + name + ".png";
    EXPECT_TRUE(present::CScreenshot::Save(display->back.Pixels(), 800, 600, display->back.XLen(),
                                           path, error))
        << error;
  }

  enginetest::FakeClock clock;
  enginetest::CallLog log;
  std::unique_ptr<engine::spLib> root;
  BackBufferDisplay* display = nullptr;
  std::unique_ptr<engine::CKestrel> kestrel;
  std::unique_ptr<CTextScreen> text;
  util::CApi api;
  RecordingSound sound;
};

std::pair<std::string, std::string> Lines(const std::string& s) {
  const size_t at = s.find("\r\n");
  if (at == std::string::npos) return {s, ""};
  return {s.substr(0, at), s.substr(at + 2)};
}

TEST(CResultScreenText, AWinnerGetsWinTheOthersLoseAndEveryWinCountIsShown) {
  util::CApi api;
  game::CMatch match(api);
  const struct {
    int32_t winner;
    std::array<int32_t, 4> wins;
    const char* expected;
  } cases[] = {
      {2, {1, 0, 3, 2}, "   負け   負け   Win!   負け   \r\n      1      0      3      2      "},
      {0,
       {12, 0, 0, 100},
       "   Win!   負け   負け   負け   \r\n      12      0      0      100      "},
  };
  for (const auto& c : cases) {
    match.winner = c.winner;
    match.wins = c.wins;
    EXPECT_EQ(CResultScreen::ResultText(match, api), c.expected);
  }
}

TEST(CResultScreenText, ADrawShowsOneOfTheFourDrawTextsAndStillTheWinCounts) {
  const std::set<std::string> draws = {"ＤｒａｗＧａｍｅ！", "全滅！", "引き分け", "┻ Destroy ╋"};
  std::set<std::string> seen;
  for (uint32_t seed = 1; seed <= 64; ++seed) {
    util::CApi api;
    api.FixSeed(seed);
    game::CMatch match(api);
    match.winner = -1;
    match.wins = {0, 4, 1, 0};
    const auto [first, second] = Lines(CResultScreen::ResultText(match, api));
    EXPECT_TRUE(draws.count(first)) << first;
    EXPECT_EQ(second, "      0      4      1      0      ");
    seen.insert(first);
  }
  EXPECT_EQ(seen, draws);  // every text can come up
}

TEST_F(TextScreens, ResultScreenShowsItsTextsAndPlaysTheSoundOnce) {
  game::CMatch match(api);
  match.winner = 1;
  match.wins = {0, 2, 0, 1};
  PaintLastFrame();
  CResultScreen result;
  game::ScreenInput in;
  for (int32_t frame = 1; frame <= 25; ++frame) {
    EXPECT_EQ(result.Frame(frame, match, in, *text, sound, api), 0);
    text->Sub_RenderLayer(*kestrel, 1.0f);
    if (frame == 1) Save("result-1");
  }
  Save("result-25");
  present::CLayer& layers = text->Layers();
  EXPECT_EQ(layers.Text(CResultScreen::kTitleLayer), "おつかれー");
  EXPECT_EQ(layers.Config(CResultScreen::kTitleLayer)->FontSize, 300);
  EXPECT_EQ(layers.Text(CResultScreen::kResultLayer), CResultScreen::ResultText(match, api));
  EXPECT_EQ(layers.Config(CResultScreen::kResultLayer)->FontSize, 40);
  EXPECT_EQ(layers.Text(CResultScreen::kContinueLayer),
            "こんてぃにゅー\r\nEnter : めにゅーにもどる");
  EXPECT_EQ(layers.Config(CResultScreen::kContinueLayer)->FontSize, 27);
  EXPECT_EQ(layers.Config(CResultScreen::kContinueLayer)->TextBox.Top, 150);
  EXPECT_EQ(sound.played, std::vector<std::string>{"GameSet1.wav@" + std::to_string(0.7f)});
  // The frozen frame, dimmed: it is darker than it was and not the same picture.
  const uint32_t before = text->FrozenScreen().dwGetPixel(10, 10);
  const uint32_t after = display->back.dwGetPixel(10, 10);
  EXPECT_NE(before & 0xFFFFFF, after & 0xFFFFFF);
}

TEST_F(TextScreens, ResultScreenIgnoresButtonsForFortyFramesThenActsOnTheRightInputs) {
  game::CMatch match(api);
  match.winner = -1;
  struct Input {
    const char* what;
    int32_t trigger, enter, backspace;
    int32_t expected;
  };
  const Input inputs[] = {
      {"button", 3, 0, 0, CResultScreen::kNextRound},
      {"Enter released", 0, -5, 0, CResultScreen::kToMenu},
      {"BackSpace released", 0, 0, -1, CResultScreen::kToMenu},
      {"Enter pressed", 0, 1, 0, 0},
      {"Enter held", 0, 30, 0, 0},
      {"nothing", 0, 0, 0, 0},
  };
  for (const Input& input : inputs) {
    SCOPED_TRACE(input.what);
    CResultScreen result;
    game::ScreenInput in;
    in.merged.Trigger = input.trigger;
    in.counters.Enter = input.enter;
    in.counters.BackSpace = input.backspace;
    for (int32_t frame = 1; frame <= 40; ++frame)
      ASSERT_EQ(result.Frame(frame, match, in, *text, sound, api), 0) << "frame " << frame;
    EXPECT_EQ(result.Frame(41, match, in, *text, sound, api), input.expected);
  }
}

TEST_F(TextScreens, UnderConstructionReturnsOnAButtonFromFrameEleven) {
  PaintLastFrame();
  CUnderConstructionScreen screen;
  game::ScreenInput idle, button;
  button.merged.Trigger = 1;
  EXPECT_FALSE(screen.Frame(1, button, *text));
  EXPECT_EQ(text->Layers().Text(CUnderConstructionScreen::kTitleLayer), "工事中");
  EXPECT_EQ(text->Layers().Config(CUnderConstructionScreen::kTitleLayer)->FontSize, 300);
  for (int32_t frame = 2; frame <= 10; ++frame) EXPECT_FALSE(screen.Frame(frame, button, *text));
  EXPECT_FALSE(screen.Frame(11, idle, *text));
  EXPECT_TRUE(screen.Frame(11, button, *text));
  for (int32_t frame = 12; frame <= 20; ++frame) EXPECT_FALSE(screen.Frame(frame, idle, *text));
  EXPECT_EQ(text->Layers().Text(CUnderConstructionScreen::kMessageLayer),
            "メインメニューに戻ります");
  EXPECT_EQ(text->Layers().Config(CUnderConstructionScreen::kMessageLayer)->FontSize, 30);
  text->Sub_RenderLayer(*kestrel, 1.0f);
  Save("construction-20");
}

TEST_F(TextScreens, FreezeCopiesTheBackBufferAndShowsItDimmed) {
  PaintLastFrame(false);
  const uint32_t blue = display->back.dwGetPixel(10, 10), orange = display->back.dwGetPixel(60, 10);
  text->FreezeDimmed();
  EXPECT_EQ(text->FrozenScreen().dwGetPixel(10, 10), blue);
  EXPECT_EQ(text->FrozenScreen().dwGetPixel(60, 10), orange);
  const present::CLayerConfig& c = *text->Layers().Config(0);
  EXPECT_EQ(c.Vivit, 0.1f);
  EXPECT_EQ(c.BlackBorder, 0x605020);
  EXPECT_EQ(c.WhiteBorder, 0xFFFFFF);
  text->Sub_RenderLayer(*kestrel, 1.0f);
  // Dimmed: the two colours come closer together than they were.
  auto spread = [](uint32_t a, uint32_t b) {
    int32_t s = 0;
    for (int32_t shift = 0; shift < 24; shift += 8)
      s += std::abs(static_cast<int32_t>((a >> shift) & 0xFF) -
                    static_cast<int32_t>((b >> shift) & 0xFF));
    return s;
  };
  EXPECT_LT(spread(display->back.dwGetPixel(10, 10), display->back.dwGetPixel(60, 10)),
            spread(blue, orange) / 2);
}

// Each step: the window scale, whether a small area changes, and what must be presented.
TEST_F(TextScreens, PresentsTheDirtyRectangleOnlyAtFullSizeAndWholeWhileAndRightAfterScaling) {
  text->FreezeDimmed();
  text->Sub_RenderLayer(*kestrel, 1.0f);  // the first frame: everything changed
  EXPECT_EQ(kestrel->Config.PaintRect, Rect(0, 0, 800, 600));
  Presented();
  const util::CRect small = Rect(100, 200, 30, 20);
  struct Step {
    float scale;
    bool change;
    bool whole;
  };
  const Step steps[] = {
      {1.0f, true, false}, {1.0f, false, false}, {0.5f, true, true},
      {0.5f, false, true}, {1.0f, false, true},  {1.0f, true, false},
      {0.5f, false, true}, {1.0f, true, true},   {1.0f, true, false},
  };
  image::CmgBBI& layer = *text->Layers().BBI(5);
  uint32_t paint = 0xFF102030u;
  int32_t n = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE("step " + std::to_string(n++));
    // A mark outside the small area, on the back buffer only: a whole copy overwrites it.
    display->back.dwSetPixel(700, 500, 0xFF00FF00u);
    if (s.change) {
      paint += 0x00010101u;
      for (int32_t y = small.Top; y < small.Top + small.Height; ++y)
        for (int32_t x = small.Left; x < small.Left + small.Width; ++x)
          layer.dwSetPixel(x, y, paint);
      text->Layers().Dirt(5)->ExpandRect(small);
    }
    text->Sub_RenderLayer(*kestrel, s.scale);
    EXPECT_EQ(kestrel->Config.PaintAllFlag, s.whole);
    EXPECT_EQ(text->ForceRepaint(), s.scale != 1.0f);
    if (s.whole) {
      EXPECT_NE(display->back.dwGetPixel(700, 500), 0xFF00FF00u);
    } else {
      EXPECT_EQ(display->back.dwGetPixel(700, 500), 0xFF00FF00u);
      EXPECT_EQ(kestrel->Config.PaintRect, s.change ? small : util::CRect{});
    }
    if (s.change) {
      EXPECT_EQ(display->back.dwGetPixel(small.Left, small.Top) & 0xFFFFFF, paint & 0xFFFFFF);
    }
    Presented();
  }
}

TEST(CTextScreenHeadless, WithoutADisplayEverythingStillComposes) {
  CTextScreen text;
  engine::CKestrel kestrel;
  text.FreezeDimmed();
  text.Layers().Text(1, "x");
  text.Sub_RenderLayer(kestrel, 1.0f);
  EXPECT_EQ(text.DirtyRect(), Rect(0, 0, 800, 600));
  EXPECT_EQ(kestrel.Config.PaintRect, Rect(0, 0, 800, 600));
}

}  // namespace

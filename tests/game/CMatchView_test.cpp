// The match drawing: the charge bars' width rule, the strip frame a shot shows by its life, the
// banner's pictures frame by frame in a real round, players drawn where they stand in their own
// tints on an 800 x 600 software target, the base images' failures reported once per file, and
// a round on the generated assets (frames saved as PNG when TUMBLEROO_VIEW_SHOTS names a folder).
#include "game/CMatchView.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "MatchTestSupport.h"
#include "engine/spLib.h"
#include "image/CmgBBI.h"
#include "present/CRgbDevice.h"
#include "present/CScreenshot.h"
#include "present/IGraphicsTarget.h"
#include "present/SoftwareTarget.h"
#include "util/CApi.h"

namespace {

using game::CMatchView;
using game::CObject;

constexpr uint32_t kUntouched = 0xFF00FF00u;

// An 800 x 600 back buffer and the software 3-D device standing in for the display, in use
// for the target's life.
class ScreenTarget : public testsupport::SoftwareTarget {
 public:
  ScreenTarget() : SoftwareTarget(kW, kH, kUntouched) {
    present::CGraphics::UseTarget(this);
    present::CGraphics::DrawScale(1.0f);
  }
  ~ScreenTarget() override { present::CGraphics::UseTarget(nullptr); }
  [[nodiscard]] uint32_t At(float x, float y) const {
    return SoftwareTarget::At(static_cast<int32_t>(x), static_cast<int32_t>(y)) | 0xFF000000u;
  }
  void Save(const std::string& path) const {
    std::string error;
    EXPECT_TRUE(present::CScreenshot::Save(px.data(), kW, kH, kW * 4, path, error)) << error;
  }

  static constexpr int32_t kW = 800, kH = 600;
};

// Points the picture loader at a folder for the test's life ("" is the program's own).
class PictureFolder {
 public:
  explicit PictureFolder(const std::string& folder) {
    engine::spLib::Shared().Api().SetExecutableFolder(folder);
  }
  ~PictureFolder() { engine::spLib::Shared().Api().SetExecutableFolder(""); }
  PictureFolder(const PictureFolder&) = delete;
  PictureFolder& operator=(const PictureFolder&) = delete;
};

std::filesystem::path EmptyFolder() {
  const auto dir =
      std::filesystem::temp_directory_path() / ("tumbleroo_view_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return dir;
}

TEST(MatchViewRules, BarWidthRoundsHalvesToEvenAndNeverVanishes) {
  struct Case {
    int32_t full, value, maximum, width;
  };
  const Case cases[] = {
      {32, 1000, 1000, 32}, {32, 500, 1000, 16}, {32, 0, 1000, 1},    {32, 31, 1000, 1},
      {32, 46, 1000, 1},    {32, 47, 1000, 2},   {32, 985, 1000, 32}, {32, 984, 1000, 31},
      {32, 299, 300, 32},   {32, 75, 300, 8},    {5, 1, 2, 2},        {7, 1, 2, 4},
      {9, 1, 2, 4},         {3, 1, 2, 2},        {1, 1, 2, 1},        {2, 3, 4, 2},
      {10, 5, 4, 12},       {32, -5, 300, 1},    {32, 10, 0, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CMatchView::BarWidth(c.full, c.value, c.maximum), c.width)
        << c.full << " x " << c.value << " / " << c.maximum;
}

TEST(MatchViewRules, StripFrameFollowsTheShotsLife) {
  struct Case {
    int32_t state, life, width, strip, frame, size;
  };
  using V = CMatchView;
  const Case cases[] = {
      {game::kShotBlast, 7, 64, V::kBakuha1, 1, 64},
      {game::kShotBlast, 1, 64, V::kBakuha1, 7, 64},
      {game::kShotBlast, 15, 64, V::kBakuha1, 0, 64},  // a bomblet's blast holds the flash
      {game::kShotMissile, 60, 32, V::kAni01, 1, 56},
      {game::kShotMissile, 62, 32, V::kAni01, 2, 56},
      {game::kShotMissile, 64, 32, V::kAni01, 3, 56},
      {game::kShotBomb, 300, 96, V::kBallRed3, 4, 96},
      {game::kShotBomb, 297, 96, V::kBallRed3, 3, 96},
      {game::kShotBarrier, 19, 80, V::kBakuha4, 1, 80},
      {game::kShotBarrier, 1, 80, V::kBakuha4, 7, 80},
      {game::kShotBomblet, 200, 64, V::kBallRed3, 4, 64},
      {game::kShotBomblet, 199, 64, V::kBallRed3, 3, 64},
      {game::kShotMissileExplosion, 15, 32, V::kBakuha2, 0, 64},
      {game::kShotMissileExplosion, 13, 32, V::kBakuha2, 1, 64},
      {game::kShotBombExplosion, 15, 112, V::kBakuha3, 0, 112},
      {game::kShotBombExplosion, 2, 112, V::kBakuha3, 7, 112},
      {game::kShotDeathBlast, 23, 128, V::kBakuha7, 0, 128},
      {game::kShotDeathBlast, 21, 128, V::kBakuha7, 1, 128},
      {game::kShotDeathBlast, 1, 128, V::kBakuha7, 7, 128},
      {game::kShotCancelled, 15, 64, V::kBakuha5, 0, 64},
  };
  for (const Case& c : cases) {
    CObject s;
    s.alive = true;
    s.state = c.state;
    s.life = c.life;
    s.width = s.height = c.width;
    const CMatchView::ShotLook look = CMatchView::LookOf(s);
    EXPECT_EQ(look.strip, c.strip) << "state " << c.state;
    EXPECT_EQ(look.frame, c.frame) << "state " << c.state << " life " << c.life;
    EXPECT_EQ(look.size, c.size) << "state " << c.state;
  }
  CObject gone;
  gone.state = game::kShotBombExplosion;
  gone.life = 5;
  EXPECT_EQ(CMatchView::LookOf(gone).strip, -1) << "a shot out of play is not drawn";

  // A one-off explosion runs its strip forward to the last frame over the lives it is drawn
  // with (its first life is spent in the step that makes it).
  const std::map<int32_t, int32_t> firstLife = {
      {game::kShotBlast, 8},          {game::kShotBarrier, 20},
      {game::kShotCancelled, 16},     {game::kShotMissileExplosion, 16},
      {game::kShotBombExplosion, 16}, {game::kShotDeathBlast, 24}};
  for (const auto& [state, start] : firstLife) {
    CObject s;
    s.alive = true;
    s.state = state;
    s.width = 64;
    int32_t previous = -1;
    for (s.life = start - 1; s.life >= 1; --s.life) {
      const int32_t frame = CMatchView::LookOf(s).frame;
      EXPECT_GE(frame, previous) << "state " << state << " life " << s.life;
      previous = frame;
      if (s.life == start - 1) {
        EXPECT_LE(frame, 1) << "state " << state << " starts at its flash";
      }
    }
    EXPECT_EQ(previous, CMatchView::kStripFrames - 1)
        << "state " << state << " ends on the last frame";
  }
}

// A round on the stand-in assets: no Res folder at all.
class MatchViewRound : public ::testing::Test {
 protected:
  void SetUp() override {
    view.LoadBaseImages(round->assets, [this](const std::string& m) { messages.push_back(m); });
    round->SetSound(&silent);
    round->Sub_Init();
    round->InitComputers();
    view.Frame(1, *round, 60);
  }
  // Steps until the banner has run frame f, drawing every step.
  void StepToBannerFrame(int32_t f) {
    while (round->frameInRound <= f) {
      round->Step();
      view.Frame(++framecount, *round, 60);
    }
  }

  ScreenTarget screen;
  PictureFolder folder{EmptyFolder().string()};
  game_test::MatchOnEmptyStage round{7, 1, 0};
  game::CSilentSound silent;
  CMatchView view;
  std::vector<std::string> messages;
  int32_t framecount = 1;
};

TEST_F(MatchViewRound, BannerPicturesByFrame) {
  struct Expect {
    int32_t f;
    bool mode, modeShown, round, number, readyGo, readyGoShown, go;
  };
  const Expect table[] = {
      {1, true, true, false, false, false, false, false},
      {2, true, true, true, false, true, false, false},
      {17, true, true, true, false, true, false, false},
      {18, true, true, true, true, true, false, false},
      {59, true, true, true, true, true, false, false},
      {60, true, false, false, false, true, false, false},
      {61, true, false, false, false, true, true, false},
      {139, true, false, false, false, true, true, false},
      {140, true, false, false, false, true, true, true},
      {141, true, false, false, false, true, true, true},
      {159, true, false, false, false, true, true, true},
      {160, false, false, false, false, false, false, false},
      {199, false, false, false, false, false, false, false},
  };
  uint32_t readyColorAt61 = 0;
  for (const Expect& e : table) {
    StepToBannerFrame(e.f);
    const CMatchView::BannerPictures b = view.Banner();
    EXPECT_EQ(b.modeText, e.mode) << "frame " << e.f;
    EXPECT_EQ(b.modeTextShown, e.modeShown) << "frame " << e.f;
    EXPECT_EQ(b.roundItem, e.round) << "frame " << e.f;
    EXPECT_EQ(b.numberItem, e.number) << "frame " << e.f;
    EXPECT_EQ(b.readyGo, e.readyGo) << "frame " << e.f;
    EXPECT_EQ(b.readyGoShown, e.readyGoShown) << "frame " << e.f;
    EXPECT_EQ(b.readyGoIsGo, e.go) << "frame " << e.f;
    if (e.f == 61) readyColorAt61 = view.ReadyGoColor();
    if (e.f == 139) {
      EXPECT_NE(view.ReadyGoColor(), readyColorAt61) << "Ready's colour ramps";
    }
    if (e.f == 141) {
      EXPECT_EQ(view.ReadyGoColor(), 0xFFE0FFE0u);
    }
  }
}

TEST_F(MatchViewRound, ItemsVanishWhenFramesWereSkipped) {
  // Slow motion runs several steps per drawn frame or none: the pictures follow the banner's
  // state, not the frames the drawing happened to see.
  for (int32_t i = 0; i < 100; ++i) round->Step();
  view.Frame(++framecount, *round, 60);
  const CMatchView::BannerPictures b = view.Banner();
  EXPECT_FALSE(b.roundItem);
  EXPECT_FALSE(b.numberItem);
  EXPECT_TRUE(b.readyGo);
  EXPECT_TRUE(b.readyGoShown);
  EXPECT_FALSE(b.modeTextShown);
}

TEST_F(MatchViewRound, TheNextRoundStartsItsBannerAfresh) {
  StepToBannerFrame(70);
  ASSERT_TRUE(view.Banner().readyGo);
  ASSERT_TRUE(view.Banner().modeText);
  view.Frame(-1, *round, 60);
  const CMatchView::BannerPictures gone = view.Banner();
  EXPECT_FALSE(gone.modeText || gone.roundItem || gone.numberItem || gone.readyGo);

  ++round->roundNumber;
  round->Sub_Init();
  framecount = 1;
  view.Frame(1, *round, 60);
  StepToBannerFrame(2);
  const CMatchView::BannerPictures again = view.Banner();
  EXPECT_TRUE(again.modeTextShown);
  EXPECT_TRUE(again.roundItem);
  EXPECT_TRUE(again.readyGo);
  EXPECT_FALSE(again.readyGoShown);
}

TEST_F(MatchViewRound, PlayersAreDrawnWhereTheyStandInTheirOwnTints) {
  round->ballLimit = 0;
  for (int32_t i = 0; i < game::kPlayerCount; ++i) {
    CObject& p = round->players[static_cast<size_t>(i)];
    p.x = p.prevX = 100.0f + 200.0f * static_cast<float>(i);
    p.y = p.prevY = 250.0f;
  }
  view.Frame(2, *round, 60);
  std::vector<uint32_t> withPlayers;
  for (const CObject& p : round->players) withPlayers.push_back(screen.At(p.x, p.y));
  const uint32_t farAway = screen.At(400, 120);
  EXPECT_NE(farAway, kUntouched) << "the backdrop covers the screen";

  for (size_t i = 0; i < withPlayers.size(); ++i)
    for (size_t j = i + 1; j < withPlayers.size(); ++j)
      EXPECT_NE(withPlayers[i], withPlayers[j]) << "players " << i << " and " << j << " look alike";

  for (CObject& p : round->players) p.alive = false;
  view.Frame(3, *round, 60);
  for (size_t i = 0; i < withPlayers.size(); ++i) {
    const CObject& p = round->players[i];
    EXPECT_NE(screen.At(p.x, p.y), withPlayers[i]) << "player " << i << " was drawn at its place";
  }
  EXPECT_EQ(screen.At(400, 120), farAway);
}

TEST_F(MatchViewRound, BaseImageFailuresAreReportedOncePerFile) {
  std::map<std::string, int32_t> count;
  for (const std::string& m : messages) {
    EXPECT_EQ(m.rfind("ファイルの読み込みに失敗 ", 0), 0u) << m;
    ++count[m];
  }
  for (const auto& [m, n] : count) EXPECT_EQ(n, 1) << m;
  // Ten effects, four characters, three bar pictures (the back one is shared); the ball kinds
  // are stand-ins, which the asset list reported already.
  EXPECT_EQ(count.size(), 17u);
  EXPECT_EQ(count.count("ファイルの読み込みに失敗 \\Res\\Graphic\\ChargeBar\\BaBackr.bmp"), 1u);
}

// The generated assets beside the program, as the game loads them.
TEST(MatchViewAssets, RoundOnTheGeneratedAssets) {
  util::CApi probe;
  const std::string bin = probe.GetExepath();
  if (!std::filesystem::exists(bin + "Res/Stage")) GTEST_SKIP() << "no Res beside the tests";
  ScreenTarget screen;
  PictureFolder folder("");
  util::CApi api;
  api.FixSeed(11);
  std::vector<std::string> messages;
  const auto message = [&messages](const std::string& m) { messages.push_back(m); };
  game::CMatch match(api);
  game::CSilentSound silent;
  match.SetSound(&silent);
  match.assets.Load(api, message, game::CMatchAssets::ImageSizeReader(api));
  match.modeChosen = 1;
  match.humanPlayers = 0;
  CMatchView view;
  view.SmoothWith(&screen.device);
  view.LoadBaseImages(match.assets, message);
  match.roundNumber = 1;
  match.Sub_Init();
  match.InitComputers();
  ASSERT_TRUE(match.stage.found);
  view.Frame(1, match, 60);
  const char* shots = std::getenv("TUMBLEROO_VIEW_SHOTS");
  int32_t framecount = 1;
  bool busySaved = false, fallSaved = false;
  for (const int32_t until : {30, 100, 150, 600}) {
    while (match.frameInRound < until) {
      match.Step();
      view.Frame(++framecount, match, 60);
      if (shots == nullptr) continue;
      // The first moments with several shots in the air, and a fall's blast at its height.
      int32_t live = 0;
      bool fall = false;
      for (const CObject& s : match.shots) {
        live += s.alive ? 1 : 0;
        fall = fall || (s.alive && s.state == game::kShotDeathBlast && s.life == 16);
      }
      if (live >= 4 && !busySaved) {
        busySaved = true;
        screen.Save(std::string(shots) + "/match-shots.png");
      }
      if (fall && !fallSaved) {
        fallSaved = true;
        screen.Save(std::string(shots) + "/match-fall.png");
      }
    }
    if (shots != nullptr)
      screen.Save(std::string(shots) + "/match-" + std::to_string(until) + ".png");
    if (until == 30) {
      // The stage's backdrop, not the plain one: its corner pixel is the file's.
      image::CmgBBI backdrop(&api);
      ASSERT_EQ(
          backdrop.Load(std::string(game::CStageList::kStageFolder) + match.stage.line.backdrop),
          0);
      EXPECT_EQ(screen.At(2, 2), backdrop.dwGetPixel(2, 2) | 0xFF000000u);
    }
  }
  EXPECT_TRUE(messages.empty()) << messages.front();
}

}  // namespace

namespace {

// Every kind of shot, drawn from the generated strips at a place of its own on a quiet field:
// each one changes the pixels where it is.
TEST(MatchViewAssets, EveryShotIsDrawnWhereItIs) {
  util::CApi probe;
  if (!std::filesystem::exists(probe.GetExepath() + "Res/Graphic/Bom")) GTEST_SKIP() << "no Res";
  ScreenTarget screen;
  PictureFolder folder("");
  game_test::MatchOnEmptyStage round{3, 1, 4};
  game::CSilentSound silent;
  round->SetSound(&silent);
  std::vector<std::string> messages;
  round->assets.Load(round->Api(), {}, game::CMatchAssets::ImageSizeReader(round->Api()));
  round->Sub_Init();
  round->ballLimit = 0;
  CMatchView view;
  view.SmoothWith(&screen.device);
  view.LoadBaseImages(round->assets, [&messages](const std::string& m) { messages.push_back(m); });
  EXPECT_TRUE(messages.empty());
  view.Frame(1, *round, 60);
  const int32_t gauges[] = {1000, 620, 150, 0}, reloads[] = {300, 240, 90, 10};
  for (int32_t i = 0; i < game::kPlayerCount; ++i) {
    CObject& p = round->players[static_cast<size_t>(i)];
    p.x = 120.0f + 180.0f * static_cast<float>(i);
    p.y = 90.0f;
    p.gauge = gauges[i];
    p.reload = reloads[i];
    p.frame = i;
  }
  struct Shot {
    int32_t state, life, width, owner, arming;
    float x, y;
  };
  const Shot shots[] = {
      {game::kShotBlast, 5, 64, 0, 0, 100, 230},
      {game::kShotMissile, 60, 32, 1, 0, 250, 230},
      {game::kShotBomb, 300, 96, 2, 0, 420, 230},
      {game::kShotBomb, 300, 96, 3, 10, 600, 230},
      {game::kShotBarrier, 12, 80, 0, 0, 100, 400},
      {game::kShotBomblet, 120, 64, 1, 0, 250, 400},
      {game::kShotMissileExplosion, 10, 32, 2, 0, 380, 400},
      {game::kShotBombExplosion, 10, 112, 3, 0, 520, 400},
      {game::kShotDeathBlast, 16, 128, 0, 0, 690, 400},
  };
  view.Frame(2, *round, 60);
  std::vector<uint32_t> empty;
  for (const Shot& s : shots) empty.push_back(screen.At(s.x, s.y));
  for (size_t i = 0; i < std::size(shots); ++i) {
    CObject& o = round->shots[i + 1];
    o.alive = true;
    o.state = shots[i].state;
    o.life = shots[i].life;
    o.width = o.height = shots[i].width;
    o.owner = shots[i].owner;
    o.arming = shots[i].arming;
    o.x = shots[i].x;
    o.y = shots[i].y;
    o.speed = 7;
  }
  view.Frame(3, *round, 60);
  for (size_t i = 0; i < std::size(shots); ++i)
    EXPECT_NE(screen.At(shots[i].x, shots[i].y), empty[i]) << "state " << shots[i].state;
  if (const char* dir = std::getenv("TUMBLEROO_VIEW_SHOTS"))
    screen.Save(std::string(dir) + "/match-gallery.png");
}

}  // namespace

// Stage list rules (comments, blank lines, fields, shuffling, no stage), map classes, ball sets
// from folder listings, and the recording format's packing, checks and refusals.
#include "game/CStage.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>

#include "game/CMatchTape.h"
#include "util/CApi.h"

namespace {

using game::CStageList;

TEST(StageList, CommentsGoBlankLinesGoFieldsSplit) {
  const std::string text =
      "'stage list\r\nmap1.bmp,back1.bmp,100,200\r\n\r\n'second\r\nmap2.bmp,back2.bmp,-5,7\r\n";
  const std::vector<std::string> lines = CStageList::Lines(text);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "map1.bmp,back1.bmp,100,200");
  EXPECT_EQ(lines[1], "map2.bmp,back2.bmp,-5,7");
  const game::StageLine two = CStageList::Parse(lines[1]);
  EXPECT_EQ(two.map, "map2.bmp");
  EXPECT_EQ(two.backdrop, "back2.bmp");
  EXPECT_EQ(two.startX, -5);
  EXPECT_EQ(two.startY, 7);
}

TEST(StageList, MissingFieldsAreEmptyOrZero) {
  struct Case {
    const char* line;
    const char* map;
    const char* backdrop;
    int32_t x, y;
  };
  const Case cases[] = {{"a.bmp", "a.bmp", "", 0, 0},
                        {"a.bmp,b.bmp", "a.bmp", "b.bmp", 0, 0},
                        {"a.bmp,b.bmp,12", "a.bmp", "b.bmp", 12, 0},
                        {",,3,4", "", "", 3, 4}};
  for (const Case& c : cases) {
    const game::StageLine s = CStageList::Parse(c.line);
    EXPECT_EQ(s.map, c.map) << c.line;
    EXPECT_EQ(s.backdrop, c.backdrop) << c.line;
    EXPECT_EQ(s.startX, c.x) << c.line;
    EXPECT_EQ(s.startY, c.y) << c.line;
  }
}

TEST(StageList, OnlyCommentsMeansNoStage) {
  util::CApi api;
  api.FixSeed(1);
  std::vector<std::string> messages;
  int loads = 0;
  const game::Stage stage = CStageList::ChooseFrom(
      api, "'one\r\n'two\r\n\r\n", [&](const std::string& m) { messages.push_back(m); },
      [&](const std::string&, game::CStageMap&) { ++loads; });
  EXPECT_FALSE(stage.found);
  EXPECT_EQ(messages, std::vector<std::string>{"ステージデータが見つかりません"});
  EXPECT_EQ(loads, 0) << "no map is read when there is no stage";
  EXPECT_TRUE(stage.map.Empty());
  EXPECT_EQ(stage.startX, 400);
  EXPECT_EQ(stage.startY, 300);
}

TEST(StageList, OneLineIsEveryRoundsStageAndShufflingReachesEveryLine) {
  util::CApi api;
  api.FixSeed(3);
  for (int i = 0; i < 20; ++i) {
    const game::Stage s = CStageList::ChooseFrom(api, "only.bmp,b.bmp,1,2", {}, {});
    EXPECT_EQ(s.line.map, "only.bmp");
  }
  std::set<std::string> chosen;
  for (int i = 0; i < 200; ++i)
    chosen.insert(CStageList::ChooseFrom(api, "a,x,1,1\r\nb,x,1,1\r\nc,x,1,1", {}, {}).line.map);
  EXPECT_EQ(chosen, (std::set<std::string>{"a", "b", "c"}));
}

TEST(StageMap, PixelClasses) {
  const std::pair<uint32_t, int32_t> cases[] = {
      {0xFF0000FFu, game::kGroundSlow},   {0x000000FFu, game::kGroundSlow},
      {0xFF00FF00u, game::kGroundSafe},   {0xFFFF0000u, game::kGroundDeadly},
      {0xFFFF0001u, game::kGroundNone},   {0xFF000000u, game::kGroundNone}};
  for (auto [pixel, cls] : cases) EXPECT_EQ(game::CStageMap::ClassOf(pixel), cls) << pixel;
  const uint32_t pixels[6] = {0xFF0000, 0x00FF00, 0, 0x0000FF, 0, 0xFFFFFF};
  game::CStageMap map;
  map.Assign(2, 2, pixels, 3);
  EXPECT_EQ(map.Pixel(0, 0), game::kGroundDeadly);
  EXPECT_EQ(map.Pixel(1, 0), game::kGroundSafe);
  EXPECT_EQ(map.Pixel(0, 1), game::kGroundSlow);
  EXPECT_EQ(map.Pixel(1, 1), game::kGroundNone);
  EXPECT_EQ(map.Pixel(2, 0), game::kGroundNone) << "outside the map";
  EXPECT_EQ(map.Pixel(-1, 0), game::kGroundNone);
}

TEST(BallSets, FolderListingGivesKindsAndStandIns) {
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("tumbleroo_ballsets_" + std::to_string(::getpid()));
  std::filesystem::create_directories(root / "Res/Graphic/SmallBall");
  std::filesystem::create_directories(root / "Res/Graphic/LargeBall");
  for (const char* name : {"b.bmp", "a.bmp", "note.txt"})
    std::ofstream(root / "Res/Graphic/SmallBall" / name) << "x";
  util::CApi api;
  api.SetExecutableFolder(root.string() + "/");
  std::vector<std::string> messages;
  game::CMatchAssets assets;
  assets.Load(api, [&](const std::string& m) { messages.push_back(m); },
              [](const std::string& file) -> std::optional<std::array<int32_t, 2>> {
                if (file.find("SmallBall") == std::string::npos) return std::nullopt;
                return std::array<int32_t, 2>{file.find("a.bmp") != std::string::npos ? 20 : 24, 22};
              });
  std::filesystem::remove_all(root);
  EXPECT_EQ(messages, (std::vector<std::string>{"LargeBall が見つかりません",
                                                "HomingBall が見つかりません"}));
  ASSERT_EQ(assets.Balls(game::kBallSmall).size(), 2u);
  EXPECT_FALSE(assets.StandIn(game::kBallSmall));
  EXPECT_EQ(assets.Balls(game::kBallSmall)[0].width, 20);
  EXPECT_EQ(assets.Balls(game::kBallSmall)[1].width, 24);
  EXPECT_TRUE(assets.StandIn(game::kBallLarge));
  EXPECT_EQ(assets.Balls(game::kBallLarge)[0].width, 64);
  EXPECT_EQ(assets.characterWidth, game::CMatchAssets::kStandInCharacter);
}

// ---- Recordings ----

game::CMatchTape SmallTape() {
  game::CMatchTape t;
  t.seed = 99;
  t.modeChosen = 5;
  t.humanPlayers = 1;
  t.rounds.resize(2);
  t.rounds[0].frames = {{1, false}, {2, true}};
  t.rounds[0].steps = {{0x100000u, 0x5u, 0x9u, 0xAAAAAu}, {0x500000u, 0, 0, 0xFFFFFu}};
  return t;
}

TEST(Tape, SerializesAndParsesBack) {
  const game::CMatchTape t = SmallTape();
  const std::vector<uint8_t> bytes = t.Serialize();
  game::CMatchTape back;
  ASSERT_EQ(game::CMatchTape::Parse(bytes, back), "");
  EXPECT_EQ(back.seed, 99u);
  EXPECT_EQ(back.modeChosen, 5);
  EXPECT_EQ(back.humanPlayers, 1);
  ASSERT_EQ(back.rounds.size(), 2u);
  EXPECT_EQ(back.rounds[0].frames.size(), 2u);
  EXPECT_TRUE(back.rounds[0].frames[1].backspace);
  EXPECT_EQ(back.rounds[0].steps, t.rounds[0].steps);
  EXPECT_EQ(back.Serialize(), bytes);
}

TEST(Tape, RefusesDamagedAndForeignRecordings) {
  const std::vector<uint8_t> good = SmallTape().Serialize();
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> change;
    const char* reason;
  };
  const Case cases[] = {
      {"empty", [](auto& b) { b.clear(); }, "not a Tumbleroo recording"},
      {"magic", [](auto& b) { b[0] = 'X'; }, "not a Tumbleroo recording"},
      {"format", [](auto& b) { b[4] = 2; }, "another version"},
      {"rules", [](auto& b) { b[6] = 9; }, "another version"},
      {"flipped bit", [](auto& b) { b[30] ^= 0x10; }, "checksum"},
      {"cut short", [](auto& b) { b.resize(b.size() - 7); }, "damaged"},
      {"only header", [](auto& b) { b.resize(10); }, "too short"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good;
    c.change(bytes);
    game::CMatchTape out;
    const std::string why = game::CMatchTape::Parse(bytes, out);
    EXPECT_NE(why.find(c.reason), std::string::npos) << c.what << ": " << why;
  }
  // A count that claims more rounds than the bytes hold, with a valid checksum.
  std::vector<uint8_t> bytes = good;
  bytes.resize(bytes.size() - 4);
  bytes[16] = 0xFF;
  bytes[17] = 0xFF;
  const uint32_t crc = game::CMatchTape::Crc32(bytes);
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(crc >> (8 * i)));
  game::CMatchTape out;
  EXPECT_NE(game::CMatchTape::Parse(bytes, out).find("round count"), std::string::npos);
}

TEST(Tape, PackKeepsWhatTheRulesRead) {
  game::VKey previous;
  previous.Button[0] = 5;
  previous.Button[1] = 1;
  previous.Direction = 1;
  previous.DirectionCount = 9;
  game::VKey key;
  key.Button[0] = 6;   // held
  key.Button[1] = -1;  // released
  key.Button[2] = 1;   // first step
  key.Button[3] = 0;
  key.x = 1;
  key.y = 0;
  key.Direction = 1;
  const game::VKey back = game::CMatchTape::Unpack(game::CMatchTape::Pack(key), previous);
  EXPECT_EQ(back.Button[0], 6);
  EXPECT_EQ(back.Button[1], -1);
  EXPECT_EQ(back.Button[2], 1);
  EXPECT_EQ(back.Button[3], 0);
  EXPECT_EQ(back.Trigger, 3);
  EXPECT_EQ(back.x, 1);
  EXPECT_EQ(back.y, 0);
  EXPECT_EQ(back.Direction, 1);
  EXPECT_EQ(back.DirectionCount, 10);
  EXPECT_EQ(game::CMatchTape::Crc32(std::vector<uint8_t>{'1', '2', '3', '4', '5', '6', '7', '8', '9'}),
            0xCBF43926u);
}

}  // namespace

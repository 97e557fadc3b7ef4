// The Res tree the build lays out beside the programs: every file the game loads exists and
// goes through the game's own loaders, keyed pictures sit on their key colour, stage maps hold
// only the three ground colours, start points stand on open ground, backdrops show lava and
// water where the maps have them, and a second run of the generator gives the same bytes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "Families.h"
#include "image/CmgBBI.h"
#include "platform/CBlivoBinding.h"
#include "sound/CmsWAV.h"
#include "util/CApi.h"
#include "util/CRect.h"
#include "util/CRects.h"

namespace {

namespace fs = std::filesystem;

std::string Res() { return platform::ExecutableFolder() + "Res/"; }

struct Picture {
  const char* path;
  int32_t width, height;  // 0: not fixed
  bool keyed;
};

// Every picture the game loads by name.
const Picture kPictures[] = {
    {"Graphic/Bom/Bakuha1.bmp", 0, 64, true},
    {"Graphic/Bom/Bakuha2.bmp", 0, 64, true},
    {"Graphic/Bom/Bakuha3.bmp", 0, 64, true},
    {"Graphic/Bom/Bakuha4.bmp", 0, 64, true},
    {"Graphic/Bom/Bakuha5.bmp", 0, 64, true},
    {"Graphic/Bom/Bakuha6.bmp", 0, 64, true},
    {"Graphic/Bom/Bakuha7.bmp", 0, 64, true},
    {"Graphic/Bom/ball_Red3.bmp", 0, 64, true},
    {"Graphic/Bom/ani01.bmp", 0, 64, false},
    {"Graphic/Bom/ani02.bmp", 0, 64, false},
    {"Graphic/Chara/L1.bmp", 0, 0, true},
    {"Graphic/Chara/L2.bmp", 0, 0, true},
    {"Graphic/Chara/R1.bmp", 0, 0, true},
    {"Graphic/Chara/R2.bmp", 0, 0, true},
    {"Graphic/ChargeBar/BaBackr.bmp", 0, 0, false},
    {"Graphic/ChargeBar/Bar.bmp", 0, 0, false},
    {"Graphic/ChargeBar/Blue.bmp", 0, 0, false},
    {"Graphic/Menu/1.bmp", 200, 50, false},
    {"Graphic/Menu/2.bmp", 200, 50, false},
    {"Graphic/Menu/3.bmp", 200, 50, false},
    {"Graphic/Menu/4.bmp", 200, 50, false},
    {"Graphic/Menu/5.bmp", 200, 50, false},
    {"Graphic/Menu/KeyConfig.bmp", 800, 600, false},
    {"Graphic/Back/デフォルトステージ.bmp", 800, 600, false},
};

const char* const kSounds[] = {"002bom.wav", "003bom.wav",   "004bom.wav",
                               "007bom.wav", "009bom.wav",   "050punch.wav",
                               "zio18.wav",  "060Ready.wav", "GameSet1.wav"};

image::CmgBBI LoadPicture(util::CApi& api, const std::string& path) {
  image::CmgBBI img(&api);
  EXPECT_EQ(img.Load(path), 0) << path;
  return img;
}

bool IsKey(uint32_t p) { return (p & 0xFFFFFFu) == (assets::kKey & 0xFFFFFFu); }

// Keyed pictures: the corners hold the key (whichever corner the game reads), there is art,
// and no art pixel shares the key's colour.
void ExpectKeyed(const image::CmgBBI& img, const std::string& name) {
  const int32_t w = img.Width(), h = img.height();
  for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
    EXPECT_TRUE(IsKey(img.dwGetPixel(x, y))) << name << " corner " << x << "," << y;
  int64_t art = 0;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t p = img.dwGetPixel(x, y);
      if ((p >> 24) != 0) {
        ++art;
        EXPECT_FALSE(IsKey(p)) << name << " art pixel in the key colour at " << x << "," << y;
      }
    }
  EXPECT_GT(art, int64_t{w} * h / 20) << name;
}

TEST(Res, EveryPictureTheGameLoadsIsThereAndLoads) {
  util::CApi api;
  for (const Picture& p : kPictures) {
    SCOPED_TRACE(p.path);
    image::CmgBBI img = LoadPicture(api, Res() + p.path);
    if (p.width) {
      EXPECT_EQ(img.Width(), p.width);
    }
    if (p.height) {
      EXPECT_EQ(img.height(), p.height);
    }
    if (std::string(p.path).starts_with("Graphic/Bom/")) {
      EXPECT_EQ(img.Width() % 64, 0);  // strips of 64-pixel frames
      EXPECT_GE(img.Width() / 64, 4);
    }
    if (p.keyed) ExpectKeyed(img, p.path);
  }
  // The four character sprites share one size; the bar fits its back.
  image::CmgBBI l1 = LoadPicture(api, Res() + "Graphic/Chara/L1.bmp");
  for (const char* n : {"L2", "R1", "R2"}) {
    image::CmgBBI s = LoadPicture(api, Res() + "Graphic/Chara/" + n + ".bmp");
    EXPECT_EQ(s.Width(), l1.Width()) << n;
    EXPECT_EQ(s.height(), l1.height()) << n;
  }
  image::CmgBBI back = LoadPicture(api, Res() + "Graphic/ChargeBar/BaBackr.bmp");
  image::CmgBBI bar = LoadPicture(api, Res() + "Graphic/ChargeBar/Bar.bmp");
  EXPECT_LT(bar.Width(), back.Width());
  EXPECT_LE(bar.height(), back.height());
}

TEST(Res, EachBallKindHasSeveralKeyedImagesOfItsOwnSize) {
  util::CApi api;
  std::map<std::string, int32_t> sizes;
  for (const char* kind : {"LargeBall", "SmallBall", "HomingBall"}) {
    SCOPED_TRACE(kind);
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(Res() + "Graphic/" + kind))
      files.push_back(e.path());
    EXPECT_GE(files.size(), 3u);
    for (const fs::path& f : files) {
      EXPECT_EQ(f.extension(), ".bmp");
      image::CmgBBI img = LoadPicture(api, f.string());
      ExpectKeyed(img, f.string());
      sizes[kind] = img.Width();
    }
  }
  EXPECT_GT(sizes["LargeBall"], sizes["HomingBall"]);
  EXPECT_GT(sizes["HomingBall"], sizes["SmallBall"]);
}

TEST(Res, EverySoundIsA16BitWaveTheGameLoads) {
  for (const char* name : kSounds) {
    SCOPED_TRACE(name);
    sound::CmsWAV wave;
    ASSERT_EQ(wave.Load(Res() + "Sound/" + name), 0);
    EXPECT_EQ(wave.Source(), sound::WaveSource::kRiff);
    EXPECT_EQ(wave.WaveBit(), 16);
    EXPECT_GT(wave.GetLength(), 0.1);
    EXPECT_LT(wave.GetLength(), 3.0);
    // Loud enough to hear, never clipped.
    int32_t lo = 0, hi = 0;
    wave.WaveGetLevel(0, wave.WaveBlocks() - 1, lo, hi);
    EXPECT_GT(std::max(-lo, hi), 16000);
    EXPECT_LT(std::max(-lo, hi), 32767);
  }
  // The explosions come in different weights: the heavier, the longer.
  auto length = [](const char* n) {
    sound::CmsWAV w;
    EXPECT_EQ(w.Load(Res() + "Sound/" + n), 0);
    return w.GetLength();
  };
  EXPECT_LT(length("007bom.wav"), length("003bom.wav"));
  EXPECT_LT(length("003bom.wav"), length("002bom.wav"));
  EXPECT_LT(length("002bom.wav"), length("004bom.wav"));
}

TEST(Res, KeyConfigurationListMatchesTheItemsOfTheScreen) {
  util::CApi api;
  util::CRects rects;
  ASSERT_EQ(rects.Load(Res() + "Graphic/Menu/KeyConfig.txt", &api), 0);
  std::vector<int32_t> items;
  for (int32_t i = 0; i <= 9; ++i) items.push_back(i);
  for (int32_t i = 12; i <= 16; ++i) items.push_back(i);
  for (int32_t i : items) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(rects.ItemExist(i));
    // The slots (0-9) are reached by choosing a player, not by the cursor.
    EXPECT_EQ(rects.ItemEnabled(i), i >= 12);
    const auto r = rects.Item(i);
    EXPECT_GT(r->Width, 20);
    EXPECT_GT(r->Height, 20);
    EXPECT_GE(r->Left, 0);
    EXPECT_GE(r->Top, 0);
    EXPECT_LE(r->Left + r->Width, 800);
    EXPECT_LE(r->Top + r->Height, 600);
    for (int32_t j : items) {
      if (j <= i) continue;
      const auto o = rects.Item(j);
      const bool apart = r->Left + r->Width <= o->Left || o->Left + o->Width <= r->Left ||
                         r->Top + r->Height <= o->Top || o->Top + o->Height <= r->Top;
      EXPECT_TRUE(apart) << i << " overlaps " << j;
    }
  }
  EXPECT_FALSE(rects.ItemExist(10));
  EXPECT_FALSE(rects.ItemExist(11));
}

struct StageLine {
  std::string map, back;
  int32_t x = 0, y = 0;
};

std::vector<StageLine> ReadStageList() {
  std::ifstream in(Res() + "Stage/■StageData.txt", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_FALSE(text.empty());
  EXPECT_TRUE(text.ends_with("\r\n"));
  std::vector<StageLine> out;
  bool comment = false;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find("\r\n", pos);
    EXPECT_NE(end, std::string::npos);
    if (end == std::string::npos) break;
    const std::string line = text.substr(pos, end - pos);
    pos = end + 2;
    EXPECT_EQ(line.find('\n'), std::string::npos) << "a bare LF";
    if (line.starts_with("'")) {
      comment = true;
      continue;
    }
    const std::vector<std::string> f = util::CApi::SplitEx(line, ",", 4);
    StageLine s{f[0], f[1], std::stoi(f[2]), std::stoi(f[3])};
    out.push_back(s);
  }
  EXPECT_TRUE(comment);
  return out;
}

TEST(Res, StagesHaveCleanMapsMatchingBackdropsAndOpenStartPoints) {
  util::CApi api;
  const std::vector<StageLine> stages = ReadStageList();
  ASSERT_GE(stages.size(), 6u);
  for (const StageLine& s : stages) {
    SCOPED_TRACE(s.map);
    image::CmgBBI map = LoadPicture(api, Res() + "Stage/" + s.map);
    image::CmgBBI back = LoadPicture(api, Res() + "Stage/" + s.back);
    ASSERT_EQ(map.Width(), 800);
    ASSERT_EQ(map.height(), 600);
    ASSERT_EQ(back.Width(), 800);
    ASSERT_EQ(back.height(), 600);
    // Only the three classes, read the way the game reads them (low 24 bits).
    int64_t count[3] = {0, 0, 0};
    int64_t sum[3][3] = {};
    for (int32_t y = 0; y < 600; ++y)
      for (int32_t x = 0; x < 800; ++x) {
        const uint32_t m = map.dwGetPixel(x, y) & 0xFFFFFFu;
        int32_t c = -1;
        if (m == 0x00FF00u) c = 0;
        if (m == 0xFF0000u) c = 1;
        if (m == 0x0000FFu) c = 2;
        ASSERT_NE(c, -1) << "colour " << std::hex << m << " at " << std::dec << x << "," << y;
        ++count[c];
        const uint32_t b = back.dwGetPixel(x, y);
        sum[c][0] += (b >> 16) & 0xFF;
        sum[c][1] += (b >> 8) & 0xFF;
        sum[c][2] += b & 0xFF;
      }
    // Mostly ground to stand on, and some danger on every stage.
    EXPECT_GT(count[0], 800 * 600 / 3);
    EXPECT_GT(count[1] + count[2], 800 * 600 / 50);
    // The backdrop shows lava as red and water as blue where the map has them.
    if (count[1] > 0) {
      EXPECT_GT(sum[1][0], sum[1][1] * 3 / 2) << "lava not red";
      EXPECT_GT(sum[1][0], sum[1][2] * 2) << "lava not red";
    }
    if (count[2] > 0) {
      EXPECT_GT(sum[2][2], sum[2][0] * 3 / 2) << "water not blue";
    }
    // The four players stand 20 px apart diagonally from the start point, each on ground
    // clear for 16 px all round (half a sprite).
    for (int32_t i = 0; i < 4; ++i) {
      const int32_t px = s.x + 20 * i, py = s.y - 20 * i;
      for (int32_t dy = -16; dy <= 16; ++dy)
        for (int32_t dx = -16; dx <= 16; ++dx) {
          if (dx * dx + dy * dy > 256) continue;
          const int32_t x = px + dx, y = py + dy;
          ASSERT_TRUE(x >= 0 && x < 800 && y >= 0 && y < 600) << "player " << i;
          ASSERT_EQ(map.dwGetPixel(x, y) & 0xFFFFFFu, 0x00FF00u)
              << "player " << i << " near " << x << "," << y;
        }
    }
  }
}

std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    const std::string rel = fs::relative(e.path(), root).generic_string();
    if (rel.starts_with("font/")) continue;  // the game's own glyph cache
    std::ifstream in(e.path(), std::ios::binary);
    files[rel] =
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  return files;
}

// One more run, into a folder holding leftovers of an earlier one: the leftovers the game
// would load go, the glyph cache stays, and every file is byte for byte the build's.
TEST(Res, ASecondRunGivesTheSameBytesAndDropsStaleFiles) {
  const fs::path again =
      fs::temp_directory_path() / ("tumbleroo_res_again_" + std::to_string(::getpid()));
  fs::remove_all(again);
  fs::create_directories(again / "Graphic/SmallBall");
  fs::create_directories(again / "font");
  std::ofstream(again / "Graphic/SmallBall/old.bmp") << "x";
  std::ofstream(again / "font/glyph.bbi") << "kept";
  const std::vector<std::string> failures = assets::GenerateAll(again.string());
  EXPECT_TRUE(failures.empty());
  EXPECT_FALSE(fs::exists(again / "Graphic/SmallBall/old.bmp"));
  EXPECT_TRUE(fs::exists(again / "font/glyph.bbi"));
  const auto built = Tree(Res());
  const auto fresh = Tree(again);
  EXPECT_EQ(built.size(), fresh.size());
  for (const auto& [name, bytes] : built) {
    const auto it = fresh.find(name);
    ASSERT_NE(it, fresh.end()) << name;
    EXPECT_TRUE(it->second == bytes) << name << " differs";
  }
  fs::remove_all(again);
}

}  // namespace

// Contact sheets of a Res tree for the documentation: the sprites (effects, the roo in the
// four player tints, balls, bars, menu captions), the stages (backdrops beside their maps) and
// the two full-screen pictures. Everything is read back through the game's own loaders, so a
// sheet shows what the game will get. Written as PNG by the screenshot saver.
#include "ContactSheet.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "CAssetKit.h"
#include "Families.h"
#include "present/CScreenshot.h"
#include "util/CApi.h"

namespace assets {

namespace {

constexpr uint32_t kBackground = 0xFF3A4456u;

struct Sheet {
  CAssetKit& kit;
  CmgBBI img;
  std::string res;
  bool ok = true;

  CmgBBI Load(const std::string& rel) {
    CmgBBI pic(&kit.api);
    if (pic.Load(res + rel) != 0) ok = false;
    return pic;
  }
  // A keyed picture as the game keys it: the key colour transparent, everything else opaque.
  CmgBBI LoadKeyed(const std::string& rel) {
    CmgBBI pic = Load(rel);
    kit.fn.BBIKeying(pic, pic.dwGetPixel(0, 0));
    return pic;
  }
  void Put(CmgBBI& pic, int32_t x, int32_t y, int32_t scale = 1) {
    if (scale == 1) {
      kit.Over(img, pic, x, y);
      return;
    }
    CmgBBI big = kit.Image(pic.Width() * scale, pic.height() * scale, 0);
    kit.fn.BBIExpandBlt(big, pic, 0, 0, 0, 0, 0, 0, 0, 0, 1.0f);
    kit.Over(img, big, x, y);
  }
  void Label(const std::string& text, int32_t x, int32_t y, int32_t w = 300) {
    CmgBBI layer = kit.TextLayer(w, 20, text, "A", 14, 0xFFE8ECF4u, 0, 1);
    kit.Over(img, layer, x, y);
  }
  bool Save(const std::string& path) {
    std::string error;
    return ok && present::CScreenshot::Save(img.Pixels(), img.Width(), img.height(), img.XLen(),
                                            path, error);
  }
};

bool Sprites(CAssetKit& kit, const std::string& res, const std::string& path) {
  Sheet s{kit, kit.Image(1080, 1070, kBackground), res};
  const char* strips[] = {"Bakuha1", "Bakuha2", "Bakuha3", "Bakuha4",
                          "Bakuha5", "Bakuha6", "Bakuha7", "ball_Red3"};
  int32_t y = 10;
  for (const char* name : strips) {
    CmgBBI strip = s.LoadKeyed(std::string("Graphic/Bom/") + name + ".bmp");
    s.Label(std::string("Bom/") + name, 10, y + 22, 120);
    s.Put(strip, 130, y);
    y += 68;
  }
  for (const char* name : {"ani01", "ani02"}) {
    CmgBBI strip = s.Load(std::string("Graphic/Bom/") + name + ".bmp");
    s.Label(std::string("Bom/") + name + " (alpha)", 10, y + 22, 120);
    s.Put(strip, 130, y);
    y += 68;
  }
  // The roo: four sprites in each player's tint, twice the size.
  y += 6;
  s.Label("Chara L1 L2 R1 R2, tinted per player (x2)", 10, y);
  y += 22;
  for (int32_t p = 0; p < 4; ++p) {
    int32_t x = 10 + p * 262;
    for (const char* name : {"L1", "L2", "R1", "R2"}) {
      CmgBBI roo = s.LoadKeyed(std::string("Graphic/Chara/") + name + ".bmp");
      CAssetKit::TintAddSigned(roo, palette::kPlayerTint[p]);
      s.Put(roo, x, y, 2);
      x += roo.Width() * 2;
    }
  }
  y += 92;
  s.Label("LargeBall, SmallBall, HomingBall (x2)", 10, y);
  y += 22;
  int32_t x = 10;
  for (const char* kind : {"LargeBall/large", "SmallBall/small", "HomingBall/homing"}) {
    for (int32_t i = 1; i <= 3; ++i) {
      CmgBBI ball = s.LoadKeyed(std::string("Graphic/") + kind + std::to_string(i) + ".bmp");
      s.Put(ball, x, y + (96 - ball.height() * 2) / 2, 2);
      x += ball.Width() * 2 + 12;
    }
    x += 20;
  }
  y += 104;
  s.Label("Menu 1-5 and ChargeBar BaBackr, Bar, Blue (x4)", 10, y, 500);
  y += 22;
  for (int32_t i = 1; i <= 5; ++i) {
    CmgBBI item = s.Load("Graphic/Menu/" + std::to_string(i) + ".bmp");
    s.Put(item, 10 + ((i - 1) % 3) * 210, y + ((i - 1) / 3) * 58);
  }
  int32_t bx = 660;
  for (const char* bar : {"BaBackr", "Bar", "Blue"}) {
    CmgBBI pic = s.Load(std::string("Graphic/ChargeBar/") + bar + ".bmp");
    s.Put(pic, bx, y + 10, 4);
    bx += pic.Width() * 4 + 10;
  }
  return s.Save(path);
}

bool Stages(CAssetKit& kit, const std::string& res, const std::string& path) {
  std::ifstream in(res + "Stage/■StageData.txt", std::ios::binary);
  const std::string list((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::vector<std::string>> stages;
  for (const std::string& line : util::CApi::ArrayStrDivide(list, "\r\n")) {
    if (line.empty() || line[0] == '\'') continue;
    stages.push_back(util::CApi::SplitEx(line, ",", 4));
  }
  const int32_t rows = static_cast<int32_t>(stages.size() + 1) / 2;
  Sheet s{kit, kit.Image(1240, rows * 330 + 10, kBackground), res};
  for (size_t i = 0; i < stages.size(); ++i) {
    const int32_t x = 10 + static_cast<int32_t>(i % 2) * 615;
    const int32_t y = 10 + static_cast<int32_t>(i / 2) * 330;
    CmgBBI back = s.Load("Stage/" + stages[i][1]);
    CmgBBI map = s.Load("Stage/" + stages[i][0]);
    CmgBBI half = kit.Image(400, 300, 0);
    kit.fn.BBIBltHalfSize(half, back);
    CmgBBI quarter = kit.Image(200, 150, 0);
    kit.fn.BBIExpandBlt(quarter, map, 0, 0, 0, 0, 0, 0, 0, 0, 1.0f);
    kit.fn.ChooseColor(quarter, -1, -1, -1, 255);
    s.Put(half, x, y);
    s.Put(quarter, x + 405, y);
    s.Label(stages[i][1] + " / " + stages[i][0], x, y + 302, 400);
    s.Label("start " + stages[i][2] + ", " + stages[i][3], x + 405, y + 152, 200);
  }
  return s.Save(path);
}

bool FullScreen(CAssetKit& kit, const std::string& res, const std::string& path) {
  Sheet s{kit, kit.Image(1610, 600, kBackground), res};
  CmgBBI back = s.Load("Graphic/Back/デフォルトステージ.bmp");
  s.Put(back, 0, 0);
  // The key configuration screen: the overlay over the backdrop, as its layers compose.
  CmgBBI keys = s.Load("Graphic/Menu/KeyConfig.bmp");
  s.Put(back, 810, 0);
  s.Put(keys, 810, 0);
  return s.Save(path);
}

}  // namespace

bool WriteContactSheets(const std::string& res, const std::string& folder) {
  CAssetKit kit;
  std::string r = res;
  if (!r.empty() && r.back() != '/') r += '/';
  std::string f = folder;
  if (!f.empty() && f.back() != '/') f += '/';
  bool ok = Sprites(kit, r, f + "assets-sprites.png");
  ok = Stages(kit, r, f + "assets-stages.png") && ok;
  ok = FullScreen(kit, r, f + "assets-menu.png") && ok;
  return ok;
}

}  // namespace assets

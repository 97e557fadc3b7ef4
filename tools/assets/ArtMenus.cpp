// Graphic/Menu and Graphic/Back: the five 200 x 50 menu captions (cream pills with a round
// badge and a heavy Japanese caption), the key configuration overlay with its rectangle list,
// and the menu background: a sunny sky over green hills, the title, and the four roos in the
// players' colours.
#include <cmath>
#include <numbers>

#include "Families.h"
#include "util/CRect.h"
#include "util/CRects.h"

namespace assets {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// Text with an ink outline and a soft shadow, composited onto img.
void Caption(CAssetKit& kit, CmgBBI& img, int32_t x, int32_t y, int32_t w, int32_t h,
             const std::string& str, const std::string& font, int32_t size, uint32_t fill,
             uint32_t outline, int32_t outlineSize, int32_t alignX = 1) {
  CmgBBI layer = kit.TextLayer(w, h, str, font, size, fill, alignX, 1);
  if (outlineSize > 0) kit.Outline(layer, outline, outlineSize);
  kit.fn.EfectDropShadow(layer, 2, 3, 2, 0x70000000u);
  kit.Over(img, layer, x, y);
}

enum class Badge { kPlay, kMode, kKeys, kWorks, kExit };

void DrawBadge(CAssetKit& kit, CmgBBI& img, float cx, float cy, Badge badge) {
  const uint32_t colours[] = {palette::kCoral, palette::kTeal, 0xFF6A7CFFu, palette::kSun,
                              0xFF8A7A9Au};
  const uint32_t base = colours[static_cast<int>(badge)];
  kit.Disc(img, cx, cy, 16, palette::kInk);
  kit.Ellipse(img, cx - 2, cy - 2, 14, 14, Mix(base, 0xFFFFFFFFu, 0.35f), base);
  const uint32_t white = 0xFFFFFFFFu;
  switch (badge) {
    case Badge::kPlay:
      kit.Triangle(img, cx - 5, cy - 8, cx - 5, cy + 8, cx + 8, cy, white);
      break;
    case Badge::kMode:  // two arrows chasing each other
      kit.Triangle(img, cx - 8, cy - 3, cx + 2, cy - 9, cx + 2, cy + 3, white);
      kit.Triangle(img, cx + 8, cy + 3, cx - 2, cy - 3, cx - 2, cy + 9, white);
      break;
    case Badge::kKeys:  // a key cap
      kit.RoundBox(img, cx - 8, cy - 7, 16, 14, 3, white, 0xFFD0D8FFu);
      kit.RoundBox(img, cx - 4, cy - 4, 8, 6, 2, 0xFF6A7CFFu, 0xFF6A7CFFu);
      break;
    case Badge::kWorks: {  // hazard stripes: still being built
      CmgBBI stripes = kit.Image(20, 12, 0xFF2A1E3Au);
      for (int32_t i = -12; i < 20; i += 8)
        kit.Triangle(stripes, static_cast<float>(i), 12, static_cast<float>(i + 4), 12,
                     static_cast<float>(i + 16), 0, palette::kSun);
      kit.Over(img, stripes, static_cast<int32_t>(cx) - 10, static_cast<int32_t>(cy) - 6);
      break;
    }
    case Badge::kExit:
      kit.Stroke(img, cx - 6, cy - 6, cx + 6, cy + 6, 4, white);
      kit.Stroke(img, cx + 6, cy - 6, cx - 6, cy + 6, 4, white);
      break;
  }
}

CmgBBI MenuCaption(CAssetKit& kit, const std::string& str, Badge badge) {
  CmgBBI img = kit.Image(200, 50, 0);
  kit.RoundBox(img, 2, 2, 196, 46, 22, palette::kCream, palette::kPeach);
  kit.Outline(img, palette::kInk, 2);
  // A gloss across the upper half.
  kit.RoundBox(img, 40, 6, 146, 14, 7, 0x90FFFFFFu, 0x10FFFFFFu);
  DrawBadge(kit, img, 26, 25, badge);
  Caption(kit, img, 44, 1, 152, 48, str, "D", 30, palette::kInk, 0, 0);
  return img;
}

// The key configuration overlay and its rectangles (index: meaning): 0-3 up, down, left,
// right; 4-9 buttons 1-6; 12-15 players 1-4; 16 back to the menu. The slots are not enabled:
// the cursor reaches them only by choosing a player, never by moving or pointing.
void KeyConfig(CAssetKit& kit, CResWriter& out) {
  CmgBBI img = kit.Image(800, 600, 0);
  kit.RoundBox(img, 40, 30, 720, 540, 28, 0xF42A1E3Au, 0xF4402E58u);
  kit.RoundBox(img, 48, 38, 704, 524, 22, 0x30FFFFFFu, 0x08FFFFFFu);
  Caption(kit, img, 40, 40, 720, 64, "キーコンフィグ", "D", 40, palette::kCream, palette::kInk, 2);

  util::CRects rects;
  auto place = [&](int32_t index, int32_t x, int32_t y, int32_t w, int32_t h,
                   const std::string& caption, bool enabled = true) {
    rects.Add(index);
    rects.Item(index)->Create(x, y, w, h);
    rects.ItemCaption(index, caption);
    rects.ItemEnabled(index, enabled);
  };

  // Player tabs, each in its player's colour.
  for (int32_t p = 0; p < 4; ++p) {
    const int32_t x = 100 + 155 * p, y = 112;
    const uint32_t c = palette::kPlayerTint[p];
    kit.RoundBox(img, static_cast<float>(x), y, 140, 40, 12, Mix(c, 0xFFFFFFFFu, 0.3f), c);
    Caption(kit, img, x, y, 140, 40, "プレイヤー" + std::to_string(p + 1), "D", 20, palette::kInk,
            0, 0);
    place(12 + p, x, y, 140, 40, "Player" + std::to_string(p + 1));
  }

  // The binding slots: a label, then a dark box where the game writes the key's name.
  struct Slot {
    int32_t index;
    const char* label;
    int32_t column, row;
  };
  const Slot slots[] = {
      {0, "↑ うえ", 0, 0},   {1, "↓ した", 0, 1},   {2, "← ひだり", 0, 2},
      {3, "→ みぎ", 0, 3},   {4, "1 ばくは", 1, 0}, {5, "2 ミサイル", 1, 1},
      {6, "3 ボム", 1, 2},   {7, "4 バリア", 1, 3}, {8, "5 ダッシュ", 1, 4},
      {9, "6 はなび", 1, 5},
  };
  for (const Slot& s : slots) {
    const int32_t labelX = s.column == 0 ? 80 : 420;
    const int32_t boxX = labelX + 130;
    const int32_t y = 190 + 48 * s.row;
    Caption(kit, img, labelX, y, 126, 34, s.label, "E", 20, palette::kCream, 0, 0, 0);
    kit.RoundBox(img, static_cast<float>(boxX) - 2, static_cast<float>(y) - 2, 174, 38, 9,
                 0xFF8A7AA8u, 0xFF5A4A78u);
    kit.RoundBox(img, static_cast<float>(boxX), static_cast<float>(y), 170, 34, 8, 0xFF140E20u,
                 0xFF2A2040u);
    place(s.index, boxX, y, 170, 34, s.label, false);
  }

  // Back to the menu.
  kit.RoundBox(img, 320, 490, 160, 44, 20, palette::kCream, palette::kPeach);
  Caption(kit, img, 320, 490, 160, 44, "もどる", "D", 24, palette::kInk, 0, 0);
  place(16, 320, 490, 160, 44, "Back");

  out.Picture(img, "Graphic/Menu/KeyConfig.bmp");
  out.Text("Graphic/Menu/KeyConfig.txt", rects.GetSettingStr());
}

// A fluffy cloud of overlapping white ovals.
void Cloud(CAssetKit& kit, CmgBBI& img, float x, float y, float s) {
  const float bumps[][3] = {{-1.0f, 0.2f, 0.55f},
                            {-0.4f, -0.25f, 0.75f},
                            {0.35f, -0.1f, 0.65f},
                            {0.95f, 0.25f, 0.5f},
                            {0.0f, 0.3f, 0.6f}};
  CmgBBI shade = kit.Image(img.Width(), img.height(), 0);
  for (const auto& b : bumps)
    kit.Ellipse(shade, x + b[0] * s, y + b[1] * s + 5, b[2] * s, b[2] * s * 0.8f, 0x50305080u,
                0x00305080u);
  kit.Over(img, shade);
  for (const auto& b : bumps)
    kit.Ellipse(img, x + b[0] * s, y + b[1] * s, b[2] * s, b[2] * s * 0.8f, 0xFFFFFFFFu,
                0xFFE4F0FFu);
}

void MenuBackground(CAssetKit& kit, CResWriter& out) {
  CmgBBI img = kit.Image(800, 600, 0xFF000000u);
  // Sky, then sun rays turning slowly from the upper right.
  kit.fn.Transer(img, "[BOX 0,0,#FF3E8CE0,#FF5AA8F0,#FFBFE6FF,#FFD8F0FF]");
  CmgBBI rays = kit.Image(800, 600, 0);
  for (int32_t i = 0; i < 16; i += 2) {
    const float a0 = kPi * 0.5f + kPi * static_cast<float>(i) / 16;
    const float a1 = a0 + kPi / 16;
    kit.Triangle(rays, 690, 70, 690 + std::cos(a0) * 1200, 70 + std::sin(a0) * 1200,
                 690 + std::cos(a1) * 1200, 70 + std::sin(a1) * 1200, 0x22FFFFFFu);
  }
  kit.Over(img, rays);
  CmgBBI halo = kit.Image(800, 600, 0);
  kit.Ellipse(halo, 690, 70, 80, 80, 0xA0FFF8D0u, 0x00FFF4C0u);
  kit.Over(img, halo);
  kit.Ellipse(img, 690, 70, 40, 40, 0xFFFFF8D0u, palette::kSun);
  Cloud(kit, img, 140, 110, 48);
  Cloud(kit, img, 520, 60, 36);
  Cloud(kit, img, 380, 200, 30);
  // Hills: far and blue-green, near and bright.
  kit.Ellipse(img, 150, 560, 420, 200, 0xFF7FC8A0u, 0xFF6AB890u);
  kit.Ellipse(img, 700, 580, 380, 210, 0xFF7FC8A0u, 0xFF6AB890u);
  kit.Ellipse(img, 420, 720, 620, 260, palette::kGrassLight, palette::kGrass);
  kit.Ellipse(img, 60, 700, 260, 190, palette::kGrass, palette::kGrassDark);
  // A pond on the near hill.
  kit.Ellipse(img, 470, 548, 90, 18, palette::kWaterLight, palette::kWater);
  CRng rng(2024);
  for (int32_t i = 0; i < 90; ++i) {
    const float x = rng.Range(0, 800), y = rng.Range(470, 600);
    kit.Triangle(img, x, y, x + 3, y - rng.Range(5, 10), x + 6, y, palette::kGrassDark);
  }
  // The title.
  Caption(kit, img, 0, 22, 800, 110, "TUMBLEROO", "D", 96, palette::kCoral, 0xFFFFFFFFu, 5);
  Caption(kit, img, 0, 122, 800, 40, "よにんで ころころ だいらんとう！", "E", 26, 0xFFFFFFFFu,
          palette::kInk, 2);
  // The four roos, one in each player's colour, hopping at the lower right.
  const int32_t spots[4][2] = {{640, 404}, {712, 396}, {618, 490}, {700, 500}};
  for (int32_t p = 0; p < 4; ++p) {
    CmgBBI big = RooSprite(kit, 1 + p % 2, 2);
    CAssetKit::TintAddSigned(big, palette::kPlayerTint[p]);
    kit.Over(img, big, spots[p][0], spots[p][1]);
  }
  kit.fn.ChooseColor(img, -1, -1, -1, 255);
  out.Picture(img, "Graphic/Back/デフォルトステージ.bmp");
}

}  // namespace

void PaintMenus(CAssetKit& kit, CResWriter& out) {
  const struct {
    const char* caption;
    Badge badge;
  } items[5] = {{"スタート", Badge::kPlay},
                {"モード", Badge::kMode},
                {"キー設定", Badge::kKeys},
                {"おまけ", Badge::kWorks},
                {"おわる", Badge::kExit}};
  for (int32_t i = 0; i < 5; ++i) {
    CmgBBI img = MenuCaption(kit, items[i].caption, items[i].badge);
    out.Picture(img, "Graphic/Menu/" + std::to_string(i + 1) + ".bmp");
  }
  KeyConfig(kit, out);
  MenuBackground(kit, out);
}

}  // namespace assets

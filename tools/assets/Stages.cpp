// Stage: the stage list and six stages. Each stage is a shape in code that says, for every
// pixel of the 800 x 600 field, whether it is safe ground, lava (deadly) or water (slow). The
// map is that shape in the game's three pure colours; the backdrop paints the same shape: the
// stage's ground, glowing lava with a dark crust edge and heat on the ground nearby, blue water
// with a pale shore, an ink line along every border and the ground's shadow cast onto the
// hazards. Start points sit on open ground.
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "Families.h"

namespace assets {

namespace {

constexpr int32_t kW = 800;
constexpr int32_t kH = 600;
constexpr float kPi = std::numbers::pi_v<float>;

enum Ground : uint8_t { kSafe = 0, kLava = 1, kWater = 2 };
constexpr uint32_t kMapColour[3] = {0x0000FF00u, 0x00FF0000u, 0x000000FFu};

enum class Theme { kMeadow, kRock, kSand, kStone, kSnow };

struct Stage {
  const char* name;  // file stem
  Theme theme;
  int32_t startX, startY;
  std::function<Ground(float x, float y)> shape;
  // Details painted over the backdrop (never over a hazard's outline).
  std::function<void(CAssetKit&, CmgBBI&)> decorate;
};

// Inside an ellipse whose rim wobbles by `wobble` of its size.
bool InBlob(float x, float y, float cx, float cy, float rx, float ry, float wobble,
            float phase = 0) {
  const float dx = (x - cx) / rx, dy = (y - cy) / ry;
  const float a = std::atan2(dy, dx);
  const float edge =
      1 + wobble * (std::sin(3 * a + phase) * 0.6f + std::sin(7 * a + 2 * phase) * 0.4f);
  return dx * dx + dy * dy < edge * edge;
}

float RiverCentre(float x) { return 120 + 0.48f * x + 28 * std::sin(x / 70); }

std::vector<Stage> Stages() {
  std::vector<Stage> s;
  s.push_back({"meadow",
               Theme::kMeadow,
               150,
               470,
               [](float x, float y) {
                 if (InBlob(x, y, 420, 290, 130, 80, 0.12f)) return kWater;
                 if (InBlob(x, y, 150, 130, 55, 38, 0.15f, 1)) return kLava;
                 if (InBlob(x, y, 660, 470, 60, 42, 0.15f, 2)) return kLava;
                 if (InBlob(x, y, 680, 130, 40, 30, 0.2f, 3)) return kWater;
                 return kSafe;
               },
               {}});
  s.push_back({"volcano",
               Theme::kRock,
               200,
               390,
               [](float x, float y) {
                 if (!InBlob(x, y, 400, 300, 335, 235, 0.08f)) return kLava;
                 if (InBlob(x, y, 560, 190, 45, 32, 0.2f, 1)) return kLava;
                 if (InBlob(x, y, 330, 250, 36, 26, 0.2f, 4)) return kLava;
                 if (InBlob(x, y, 470, 360, 70, 48, 0.1f, 2)) return kWater;
                 return kSafe;
               },
               {}});
  // Start points keep the players well inside the screen: balls come in from the edges.
  s.push_back({"lake",
               Theme::kSand,
               420,
               330,
               [](float x, float y) {
                 const float crack = 34 + 10 * std::sin(x / 37) + 6 * std::sin(x / 13);
                 if (y < crack || y > kH - crack) return kLava;
                 if (InBlob(x, y, 450, 300, 95, 72, 0.12f, 1)) return kSafe;
                 if (InBlob(x, y, 450, 300, 260, 180, 0.1f)) return kWater;
                 return kSafe;
               },
               {}});
  s.push_back({"river", Theme::kMeadow, 130, 530,
               [](float x, float y) {
                 const float centre = RiverCentre(x);
                 const bool bridge = std::abs(x - 250) < 28 || std::abs(x - 560) < 28;
                 if (std::abs(y - centre) < 34 && !bridge) return kLava;
                 if (InBlob(x, y, 640, 150, 85, 55, 0.12f, 2)) return kWater;
                 if (InBlob(x, y, 350, 520, 55, 35, 0.12f, 5)) return kWater;
                 return kSafe;
               },
               [](CAssetKit& kit, CmgBBI& img) {
                 // Wooden bridges across the two gaps in the lava.
                 for (float bx : {250.0f, 560.0f}) {
                   const float top = RiverCentre(bx) - 52;
                   CmgBBI bridge = kit.Image(50, 104, 0);
                   kit.RoundBox(bridge, 0, 0, 50, 104, 6, 0xFF6A4428u, 0xFF4A2E1Au);
                   for (int32_t k = 0; k < 12; ++k)
                     kit.RoundBox(bridge, 5, 4.0f + 8.3f * k, 40, 7, 2, 0xFFC08A50u, 0xFFA06E3Au);
                   kit.fn.BBIDrawColorFill(bridge, 2, 0, 3, 104, 0, 0xFF3A2414u);
                   kit.fn.BBIDrawColorFill(bridge, 45, 0, 3, 104, 0, 0xFF3A2414u);
                   kit.Over(img, bridge, static_cast<int32_t>(bx) - 25, static_cast<int32_t>(top));
                 }
               }});
  s.push_back({"arena",
               Theme::kStone,
               370,
               330,
               [](float x, float y) {
                 const float d = std::hypot(x - 400, y - 300);
                 const float a = std::atan2(y - 300, x - 400);
                 if (d > 275) return kLava;
                 // Four gaps in the moat of water, on the diagonals.
                 const bool gap = std::abs(std::sin(2 * a)) > 0.93f;
                 if (d > 150 && d < 192 && !gap) return kWater;
                 return kSafe;
               },
               {}});
  s.push_back({"temple",
               Theme::kStone,
               370,
               230,
               [](float x, float y) {
                 for (float cx : {130.0f, 300.0f, 500.0f, 670.0f})
                   for (float cy : {110.0f, 490.0f})
                     if (std::abs(x - cx) < 32 && std::abs(y - cy) < 32) return kLava;
                 if (std::abs(y - 300) < 18 && std::abs(x - 400) > 50) return kWater;
                 if (std::abs(x - 400) < 20 && (y < 60 || y > 540)) return kLava;
                 return kSafe;
               },
               {}});
  s.push_back({"glacier",
               Theme::kSnow,
               330,
               220,
               [](float x, float y) {
                 const float crevasse = 300 + 40 * std::sin(x / 50);
                 const bool bridge =
                     (x > 180 && x < 230) || (x > 470 && x < 520) || (x > 690 && x < 740);
                 if (std::abs(y - crevasse) < 22 && !bridge) return kLava;
                 if (InBlob(x, y, 560, 150, 120, 60, 0.15f, 1)) return kWater;
                 if (InBlob(x, y, 280, 470, 140, 70, 0.15f, 3)) return kWater;
                 return kSafe;
               },
               {}});
  return s;
}

// ---- Textures, each a whole 800 x 600 layer ----

void Speckle(CAssetKit& kit, CmgBBI& img, uint32_t seed, int32_t count, uint32_t c1, uint32_t c2,
             float size) {
  CRng rng(seed);
  for (int32_t i = 0; i < count; ++i) {
    const float x = rng.Range(0, kW), y = rng.Range(0, kH);
    const float r = size * rng.Range(0.5f, 1.0f);
    kit.Ellipse(img, x, y, r, r * 0.7f, rng.Unit() < 0.5f ? c1 : c2, rng.Unit() < 0.5f ? c1 : c2);
  }
}

CmgBBI GroundLayer(CAssetKit& kit, Theme theme) {
  CmgBBI img = kit.Image(kW, kH, 0xFF000000u);
  CRng rng(static_cast<uint32_t>(theme) * 97u + 13u);
  switch (theme) {
    case Theme::kMeadow:
      kit.fn.Transer(img, "[TILE 160,120,#FF6CC24A,#FF74C850,#FF66BA46,#FF70C44C]");
      Speckle(kit, img, 5, 900, 0xFF5EB040u, 0xFF82D05Au, 5);
      for (int32_t i = 0; i < 700; ++i) {
        const float x = rng.Range(0, kW), y = rng.Range(0, kH);
        kit.Triangle(img, x, y, x + 2, y - rng.Range(4, 8), x + 4, y, palette::kGrassDark);
      }
      for (int32_t i = 0; i < 60; ++i) {  // little flowers
        const float x = rng.Range(0, kW), y = rng.Range(0, kH);
        const uint32_t petal = rng.Unit() < 0.5f ? 0xFFFFFFFFu : 0xFFFFE070u;
        for (int32_t k = 0; k < 4; ++k)
          kit.Disc(img, x + 2 * std::cos(k * kPi / 2), y + 2 * std::sin(k * kPi / 2), 1.6f, petal);
        kit.Disc(img, x, y, 1.2f, 0xFFFF9A40u);
      }
      break;
    case Theme::kRock:
      kit.fn.Transer(img, "[TILE 200,150,#FF6A5A52,#FF746258,#FF5E5048,#FF6E5E54]");
      Speckle(kit, img, 7, 600, 0xFF584A44u, 0xFF86746Au, 8);
      for (int32_t i = 0; i < 70; ++i) {  // cracks
        float x = rng.Range(0, kW), y = rng.Range(0, kH), a = rng.Range(0, 2 * kPi);
        for (int32_t k = 0; k < 4; ++k) {
          const float nx = x + std::cos(a) * 12, ny = y + std::sin(a) * 12;
          kit.Stroke(img, x, y, nx, ny, 1.5f, 0xFF3E322Eu);
          x = nx;
          y = ny;
          a += rng.Range(-0.8f, 0.8f);
        }
      }
      break;
    case Theme::kSand:
      kit.fn.Transer(img, "[TILE 200,150,#FFEAD6A4,#FFF0DEB0,#FFE4CE9A,#FFEED8A8]");
      Speckle(kit, img, 9, 1400, 0xFFD8C08Au, 0xFFFFF0C8u, 2.5f);
      for (int32_t i = 0; i < 40; ++i) {  // shells
        const float x = rng.Range(0, kW), y = rng.Range(0, kH);
        kit.Ellipse(img, x, y, 3.5f, 2.5f, 0xFFFFF8F0u, 0xFFF0B8A0u);
      }
      break;
    case Theme::kSnow:
      kit.fn.Transer(img, "[TILE 200,150,#FFF4F8FF,#FFE8F0FA,#FFFFFFFF,#FFEAF2FC]");
      Speckle(kit, img, 13, 500, 0xFFD8E4F4u, 0xFFFFFFFFu, 6);
      for (int32_t i = 0; i < 90; ++i) {  // drifts with a blue shadow
        const float x = rng.Range(0, kW), y = rng.Range(0, kH), r = rng.Range(10, 24);
        kit.Ellipse(img, x + 2, y + 3, r, r * 0.35f, 0xFFC8D8F0u, 0xFFDCE8F8u);
        kit.Ellipse(img, x, y, r, r * 0.35f, 0xFFFFFFFFu, 0xFFF0F6FFu);
      }
      break;
    case Theme::kStone: {
      kit.fn.BBIDrawColorTile(img, 0, 0, kW, kH, 0, 40, 40, 0xFFB8B0A8u, 0xFFA8A098u, 0xFFA8A098u,
                              0xFFB8B0A8u);
      for (int32_t x = 0; x < kW; x += 40)
        kit.fn.BBIDrawColorFill(img, x, 0, 2, kH, 0, 0xFF8A8078u);
      for (int32_t y = 0; y < kH; y += 40)
        kit.fn.BBIDrawColorFill(img, 0, y, kW, 2, 0, 0xFF8A8078u);
      Speckle(kit, img, 11, 500, 0xFF9A9088u, 0xFFC8C0B8u, 3);
      for (int32_t i = 0; i < 50; ++i) {  // moss
        const float x = rng.Range(0, kW), y = rng.Range(0, kH);
        kit.Ellipse(img, x, y, rng.Range(4, 9), rng.Range(3, 6), 0xFF8AB060u, 0xFF9AA878u);
      }
      break;
    }
  }
  return img;
}

CmgBBI LavaLayer(CAssetKit& kit) {
  CmgBBI img = kit.Image(kW, kH, 0xFF000000u);
  kit.fn.Transer(img, "[TILE 120,90,#FFD83A14,#FFFF5A1E,#FFE84818,#FFC83010]");
  CRng rng(31);
  for (int32_t i = 0; i < 260; ++i) {  // bubbling hot spots
    const float x = rng.Range(0, kW), y = rng.Range(0, kH), r = rng.Range(6, 22);
    kit.Ellipse(img, x, y, r, r * 0.7f, palette::kLavaHot, 0xFFFF6A20u);
  }
  for (int32_t i = 0; i < 140; ++i) {  // floating crust
    const float x = rng.Range(0, kW), y = rng.Range(0, kH), r = rng.Range(5, 14);
    kit.Ellipse(img, x, y, r, r * 0.6f, 0xFF8A2414u, palette::kLavaCrust);
  }
  return img;
}

CmgBBI WaterLayer(CAssetKit& kit) {
  CmgBBI img = kit.Image(kW, kH, 0xFF000000u);
  kit.fn.Transer(img, "[TILE 200,150,#FF3A8EE6,#FF4A9CEE,#FF2E80DA,#FF3A8EE6]");
  CRng rng(47);
  for (int32_t i = 0; i < 420; ++i) {  // wave crests
    const float x = rng.Range(0, kW), y = rng.Range(0, kH), w = rng.Range(6, 14);
    kit.Stroke(img, x - w, y, x, y - 2, 1.8f, 0xFF8AD0FFu);
    kit.Stroke(img, x, y - 2, x + w, y, 1.8f, 0xFF8AD0FFu);
  }
  return img;
}

// ---- Composition ----

// A one-channel mask of a ground class, blurred by radius (our blur), 0..255 per pixel.
std::vector<uint8_t> Blurred(CAssetKit& kit, const std::vector<uint8_t>& cls, Ground g,
                             int32_t radius, int32_t dx = 0, int32_t dy = 0) {
  CmgBBI mask = kit.Image(kW, kH, 0);
  uint32_t* p = mask.Pixels();
  const int32_t stride = mask.XLen() / 4;
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) {
      const int32_t sx = std::clamp(x - dx, 0, kW - 1), sy = std::clamp(y - dy, 0, kH - 1);
      p[y * stride + x] = cls[sy * kW + sx] == g ? 0xFFFFFFFFu : 0xFF000000u;
    }
  for (int32_t pass = 0; pass < 2; ++pass) {
    kit.fn.BBIBltUBlur(mask, mask, 0, 0, kW, kH, 0, 0, radius);
    kit.fn.BBIBltVBlur(mask, mask, 0, 0, kW, kH, 0, 0, radius);
  }
  std::vector<uint8_t> out(static_cast<size_t>(kW) * kH);
  p = mask.Pixels();
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x)
      out[y * kW + x] = static_cast<uint8_t>(p[y * stride + x] & 0xFF);
  return out;
}

uint32_t Blend(uint32_t base, uint32_t over, int32_t weight) {
  return Mix(base, over, static_cast<float>(std::clamp(weight, 0, 255)) / 255.0f) | 0xFF000000u;
}

CmgBBI Backdrop(CAssetKit& kit, const Stage& stage, const std::vector<uint8_t>& cls) {
  CmgBBI ground = GroundLayer(kit, stage.theme);
  CmgBBI lava = LavaLayer(kit);
  CmgBBI water = WaterLayer(kit);
  const std::vector<uint8_t> nearLava = Blurred(kit, cls, kLava, 7);
  const std::vector<uint8_t> nearWater = Blurred(kit, cls, kWater, 3);
  const std::vector<uint8_t> nearGround = Blurred(kit, cls, kSafe, 4);
  const std::vector<uint8_t> shadow = Blurred(kit, cls, kSafe, 2, 5, 7);

  CmgBBI img = kit.Image(kW, kH, 0xFF000000u);
  uint32_t* out = img.Pixels();
  const uint32_t* gp = ground.Pixels();
  const uint32_t* lp = lava.Pixels();
  const uint32_t* wp = water.Pixels();
  const int32_t stride = img.XLen() / 4;
  auto at = [&](int32_t x, int32_t y) {
    return cls[std::clamp(y, 0, kH - 1) * kW + std::clamp(x, 0, kW - 1)];
  };
  for (int32_t y = 0; y < kH; ++y) {
    for (int32_t x = 0; x < kW; ++x) {
      const size_t i = static_cast<size_t>(y) * kW + x;
      const int32_t o = y * stride + x;
      const uint8_t c = cls[i];
      const bool border =
          at(x - 1, y) != c || at(x + 1, y) != c || at(x, y - 1) != c || at(x, y + 1) != c;
      uint32_t v = 0;
      if (c == kSafe) {
        v = gp[o];
        // Heat from lava nearby, and a pale wet shore by the water.
        v = Blend(v, 0xFFFF8A30u, nearLava[i] * 3 / 4);
        v = Blend(v, 0xFFF4EAC8u, std::min(255, nearWater[i] * 2));
      } else if (c == kLava) {
        v = lp[o];
        // A dark crust where the lava meets the ground, and the ground's shadow.
        v = Blend(v, palette::kLavaDark, std::min(255, nearGround[i] * 2));
        v = Blend(v, 0xFF000000u, shadow[i] / 3);
      } else {
        v = wp[o];
        v = Blend(v, palette::kWaterLight, std::min(200, nearGround[i] * 2));
        v = Blend(v, palette::kWaterDeep, shadow[i] / 2);
      }
      if (border) v = c == kSafe ? Blend(v, palette::kInk, 120) : palette::kInk;
      out[o] = v;
    }
  }
  return img;
}

}  // namespace

void PaintStages(CAssetKit& kit, CResWriter& out) {
  std::string list =
      "'Tumbleroo stages: map, backdrop, start x, start y (map colours: FF0000 lava, 0000FF "
      "water, 00FF00 ground)\r\n";
  for (const Stage& stage : Stages()) {
    std::vector<uint8_t> cls(static_cast<size_t>(kW) * kH);
    CmgBBI map = kit.Image(kW, kH, 0xFF000000u);
    uint32_t* p = map.Pixels();
    const int32_t stride = map.XLen() / 4;
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) {
        const Ground g = stage.shape(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
        cls[static_cast<size_t>(y) * kW + x] = g;
        p[y * stride + x] = 0xFF000000u | kMapColour[g];
      }
    const std::string mapName = std::string(stage.name) + "_map.bmp";
    const std::string backName = std::string(stage.name) + ".bmp";
    out.Map(map, "Stage/" + mapName);
    CmgBBI back = Backdrop(kit, stage, cls);
    if (stage.decorate) stage.decorate(kit, back);
    out.Picture(back, "Stage/" + backName);
    list += mapName + "," + backName + "," + std::to_string(stage.startX) + "," +
            std::to_string(stage.startY) + "\r\n";
  }
  out.Text("Stage/■StageData.txt", list);
}

}  // namespace assets

// Graphic/LargeBall, SmallBall, HomingBall and ChargeBar. The three ball kinds are told apart
// at a glance by size, material and face: large balls are heavy riveted iron (48 px), small
// balls bright rubber with a star (24 px), homing balls violet orbs with one staring eye and
// spikes (34 px). Each kind has three colourings. The bars are thin gradient strips on a dark
// frame.
#include <cmath>
#include <numbers>

#include "Families.h"

namespace assets {

namespace {

constexpr int32_t kSs = 4;
constexpr float kPi = std::numbers::pi_v<float>;

// A sphere: ink rim, body ramp from lit to shaded, a soft shine up-left.
void Sphere(CAssetKit& kit, CmgBBI& img, float c, float r, uint32_t lit, uint32_t shade) {
  kit.Disc(img, c, c, r, shade);
  kit.Ellipse(img, c - r * 0.18f, c - r * 0.2f, r * 0.86f, r * 0.86f, lit, shade);
  kit.Ellipse(img, c - r * 0.38f, c - r * 0.42f, r * 0.3f, r * 0.22f, 0xFFFFFFFFu, lit);
}

CmgBBI LargeBall(CAssetKit& kit, uint32_t lit, uint32_t shade, uint32_t band) {
  constexpr int32_t kSize = 48;
  CmgBBI img = kit.Image(kSize * kSs, kSize * kSs, kKey);
  const float c = kSize * kSs / 2.0f;
  const float r = (kSize / 2.0f - 2) * kSs;
  Sphere(kit, img, c, r, lit, shade);
  // A riveted band round the middle.
  kit.fn.BBIDrawColorFill(img, static_cast<int32_t>(c - r * 0.93f),
                          static_cast<int32_t>(c + r * 0.05f), static_cast<int32_t>(r * 1.86f),
                          static_cast<int32_t>(r * 0.2f), 0, band);
  for (int32_t i = -3; i <= 3; ++i) {
    const float x = c + static_cast<float>(i) * r * 0.26f;
    kit.Ellipse(img, x, c + r * 0.15f, 1.4f * kSs, 1.4f * kSs, 0xFFFFFFFFu, shade);
  }
  // The band leaves the sphere round: clear what lies outside it.
  CmgBBI inside = kit.Image(img.Width(), img.height(), 0);
  kit.Disc(inside, c, c, r, 0xFFFFFFFFu);
  kit.fn.BBIBltAlpha(img, inside, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0);
  kit.Reduce(img, kSs);
  kit.Outline(img, palette::kInk, 1);
  return img;
}

CmgBBI SmallBall(CAssetKit& kit, uint32_t lit, uint32_t shade, uint32_t star) {
  constexpr int32_t kSize = 24;
  CmgBBI img = kit.Image(kSize * kSs, kSize * kSs, kKey);
  const float c = kSize * kSs / 2.0f;
  const float r = (kSize / 2.0f - 2) * kSs;
  Sphere(kit, img, c, r, lit, shade);
  // A five-pointed star on the front.
  const float outer = r * 0.5f, inner = r * 0.22f;
  for (int32_t i = 0; i < 5; ++i) {
    const float a = -kPi / 2 + 2 * kPi * static_cast<float>(i) / 5;
    const float a1 = a - kPi / 5, a2 = a + kPi / 5;
    const float sx = c + r * 0.1f, sy = c + r * 0.12f;
    kit.Triangle(img, sx + std::cos(a) * outer, sy + std::sin(a) * outer, sx + std::cos(a1) * inner,
                 sy + std::sin(a1) * inner, sx + std::cos(a2) * inner, sy + std::sin(a2) * inner,
                 star);
  }
  kit.Disc(img, c + r * 0.1f, c + r * 0.12f, r * 0.24f, star);
  kit.Reduce(img, kSs);
  kit.Outline(img, palette::kInk, 1);
  return img;
}

CmgBBI HomingBall(CAssetKit& kit, uint32_t lit, uint32_t shade, uint32_t iris) {
  constexpr int32_t kSize = 34;
  CmgBBI img = kit.Image(kSize * kSs, kSize * kSs, kKey);
  const float c = kSize * kSs / 2.0f;
  const float r = 11.5f * kSs;
  // Spikes all round, then the orb over them.
  for (int32_t i = 0; i < 8; ++i) {
    const float a = 2 * kPi * static_cast<float>(i) / 8 + kPi / 8;
    const float tip = r + 4.5f * kSs, w = 0.32f;
    kit.Triangle(img, c + std::cos(a) * tip, c + std::sin(a) * tip, c + std::cos(a - w) * r * 0.9f,
                 c + std::sin(a - w) * r * 0.9f, c + std::cos(a + w) * r * 0.9f,
                 c + std::sin(a + w) * r * 0.9f, shade);
  }
  Sphere(kit, img, c, r, lit, shade);
  // One big eye, looking ahead.
  kit.Ellipse(img, c, c + r * 0.05f, r * 0.55f, r * 0.5f, 0xFFFFFFFFu, 0xFFE0D8F0u);
  kit.Disc(img, c + r * 0.08f, c + r * 0.08f, r * 0.3f, iris);
  kit.Disc(img, c + r * 0.1f, c + r * 0.1f, r * 0.15f, palette::kInk);
  kit.Disc(img, c - r * 0.02f, c - r * 0.04f, r * 0.07f, 0xFFFFFFFFu);
  // A frowning brow.
  kit.Stroke(img, c - r * 0.55f, c - r * 0.62f, c + r * 0.45f, c - r * 0.42f, 1.6f * kSs,
             palette::kInk);
  kit.Reduce(img, kSs);
  kit.Outline(img, palette::kInk, 1);
  return img;
}

}  // namespace

void PaintBalls(CAssetKit& kit, CResWriter& out) {
  struct Colouring {
    uint32_t lit, shade, detail;
  };
  const Colouring iron[3] = {{0xFF9AA8C0u, 0xFF3A4258u, 0xFF5A6278u},
                             {0xFFC8A070u, 0xFF5A3A22u, 0xFF7A5232u},
                             {0xFF8A9090u, 0xFF2A2E34u, 0xFF4A5058u}};
  const Colouring rubber[3] = {{0xFFFFE870u, 0xFFE09A10u, 0xFFFF6A5Au},
                               {0xFFB8F070u, 0xFF4EA62Au, 0xFFFFFFFFu},
                               {0xFFFFB070u, 0xFFE0601Au, 0xFFFFF4C0u}};
  const Colouring orb[3] = {{0xFFD0A0FFu, 0xFF6A2AAAu, 0xFFFF3A8Au},
                            {0xFFFFA0E0u, 0xFFA02A80u, 0xFF7A2AFFu},
                            {0xFFA0A8FFu, 0xFF3A2A9Au, 0xFFFFB020u}};
  for (int32_t i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i + 1);
    CmgBBI large = LargeBall(kit, iron[i].lit, iron[i].shade, iron[i].detail);
    out.Keyed(large, "Graphic/LargeBall/large" + n + ".bmp");
    CmgBBI small = SmallBall(kit, rubber[i].lit, rubber[i].shade, rubber[i].detail);
    out.Keyed(small, "Graphic/SmallBall/small" + n + ".bmp");
    CmgBBI homing = HomingBall(kit, orb[i].lit, orb[i].shade, orb[i].detail);
    out.Keyed(homing, "Graphic/HomingBall/homing" + n + ".bmp");
  }
}

void PaintBars(CAssetKit& kit, CResWriter& out) {
  // The bars are 32 x 3; the back frames them, one pixel wider on each side and below.
  CmgBBI back = kit.Image(34, 4, Opaque(0x2A1E3A));
  kit.fn.BBIDrawColorFill(back, 1, 0, 32, 3, 0, Opaque(0x4A3E5A));
  out.Picture(back, "Graphic/ChargeBar/BaBackr.bmp");
  CmgBBI gauge = kit.Image(32, 3, 0);
  kit.fn.BBIDrawBox(gauge, 0, 0, 32, 3, 0, Opaque(0xFFB020), Opaque(0xFFF070), Opaque(0xE07010),
                    Opaque(0xFFC030));
  kit.fn.BBIDrawColorFill(gauge, 0, 0, 32, 1, 0x00000000u, Opaque(0xFFF8C0));
  out.Picture(gauge, "Graphic/ChargeBar/Bar.bmp");
  CmgBBI reload = kit.Image(32, 3, 0);
  kit.fn.BBIDrawBox(reload, 0, 0, 32, 3, 0, Opaque(0x2060E0), Opaque(0x60E0FF), Opaque(0x1040A0),
                    Opaque(0x30B0F0));
  kit.fn.BBIDrawColorFill(reload, 0, 0, 32, 1, 0, Opaque(0xC0F4FF));
  out.Picture(reload, "Graphic/ChargeBar/Blue.bmp");
}

}  // namespace assets

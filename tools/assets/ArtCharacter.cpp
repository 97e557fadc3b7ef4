// Graphic/Chara: the roo, a round hopping boxer, 32 x 40, drawn facing right four times larger
// and reduced, outlined in ink and mirrored for the left-facing sprites. Its fur is a neutral
// light grey so that the game's four player tints (added to or multiplied with the sprite)
// turn it clearly blue, red, green or yellow; only the gloves and eyes keep their own colour.
#include "Families.h"

namespace assets {

namespace {

constexpr int32_t kW = 32;
constexpr int32_t kH = 40;
constexpr int32_t kSs = 4;

constexpr uint32_t kFur = 0xFFC4C4C4u;
constexpr uint32_t kFurShade = 0xFF8C8C94u;
constexpr uint32_t kFurLight = 0xFFEDEDED;
constexpr uint32_t kBelly = 0xFFF6F4F0u;
constexpr uint32_t kEarInside = 0xFFF0B8C0u;
constexpr uint32_t kGlove = 0xFFFF6A5Au;
constexpr uint32_t kGloveShade = 0xFFC0383Au;

// The parts are placed in sprite pixels; the painter scales them to the supersampled canvas.
struct Painter {
  CAssetKit& kit;
  CmgBBI& img;
  float k;         // canvas pixels per sprite pixel
  float lift = 0;  // the whole body raised (pixels)
  void Oval(float cx, float cy, float rx, float ry, uint32_t inner, uint32_t outer) {
    kit.Ellipse(img, cx * k, (cy - lift) * k, rx * k, ry * k, inner, outer);
  }
  void Line(float x1, float y1, float x2, float y2, float w, uint32_t c) {
    kit.Stroke(img, x1 * k, (y1 - lift) * k, x2 * k, (y2 - lift) * k, w * k, c);
  }
};

}  // namespace

// step 1: a stride, feet apart; step 2: mid-hop, feet together and the body up.
CmgBBI RooSprite(CAssetKit& kit, int32_t step, int32_t scale) {
  CmgBBI img = kit.Image(kW * kSs * scale, kH * kSs * scale, kKey);
  Painter p{kit, img, static_cast<float>(kSs * scale), step == 2 ? 1.5f : 0.0f};
  // Tail, sweeping down behind.
  const float tailTip = step == 2 ? 31.0f : 35.0f;
  p.Line(10, 28, 3.5f, tailTip, 4.5f, kFurShade);
  p.Line(10, 28, 4.5f, tailTip - 1, 2.5f, kFur);
  // Far foot, haunch, near foot.
  if (step == 1) {
    p.Oval(10, 37.5f, 5.5f, 2.2f, kFurShade, kFurShade);
  } else {
    p.Oval(14, 36.5f, 5.5f, 2.2f, kFurShade, kFurShade);
  }
  p.Oval(13, 30, 7, 6, kFur, kFurShade);
  // Body and belly.
  p.Oval(16, 24.5f, 8, 9, kFurLight, kFurShade);
  p.Oval(19, 26, 4.5f, 6.5f, kBelly, kFurLight);
  if (step == 1) {
    p.Oval(22, 37.5f, 6, 2.3f, kFur, kFurShade);
  } else {
    p.Oval(18, 36.5f, 6, 2.3f, kFur, kFurShade);
  }
  // Ears (far then near) with pink insides.
  p.Oval(13.5f, 5.5f, 2.6f, 5.5f, kFur, kFurShade);
  p.Oval(17, 4.5f, 2.8f, 5.8f, kFurLight, kFurShade);
  p.Oval(17, 5, 1.3f, 3.8f, kEarInside, kEarInside);
  // Head, snout, nose.
  p.Oval(19, 13, 7, 6.5f, kFurLight, kFurShade);
  p.Oval(24.5f, 15.5f, 3.8f, 2.9f, kBelly, kFurLight);
  p.Oval(28, 14, 1.5f, 1.2f, palette::kInk, palette::kInk);
  // Eye with its shine, and a blush.
  p.Oval(21.5f, 11.5f, 2.1f, 2.6f, 0xFFFFFFFFu, 0xFFE8E8F0u);
  p.Oval(22.3f, 11.9f, 1.3f, 1.6f, palette::kInk, palette::kInk);
  p.Oval(22.8f, 11.1f, 0.5f, 0.5f, 0xFFFFFFFFu, 0xFFFFFFFFu);
  p.Oval(20, 16.5f, 1.6f, 1.0f, 0xFFFFA0A8u, 0xFFF0C0C0u);
  // Boxing gloves, one held high, one low, swapping with the step.
  const float highY = step == 1 ? 20.0f : 22.0f;
  const float lowY = step == 1 ? 25.0f : 23.5f;
  p.Line(18, 22, 24, highY, 2.2f, kFur);
  p.Oval(25, highY, 3.2f, 3.0f, kGlove, kGloveShade);
  p.Oval(24.2f, highY - 1.0f, 1.2f, 0.9f, 0xFFFFC8C0u, kGlove);
  p.Line(18, 25, 22.5f, lowY, 2.2f, kFur);
  p.Oval(23.5f, lowY + 0.5f, 3.0f, 2.8f, kGlove, kGloveShade);
  kit.Reduce(img, kSs);
  kit.Outline(img, palette::kInk, scale);
  return img;
}

void PaintCharacter(CAssetKit& kit, CResWriter& out) {
  for (int32_t step : {1, 2}) {
    CmgBBI right = RooSprite(kit, step, 1);
    CmgBBI left = right;
    kit.fn.BBIMirror(left);
    out.Keyed(right, "Graphic/Chara/R" + std::to_string(step) + ".bmp");
    out.Keyed(left, "Graphic/Chara/L" + std::to_string(step) + ".bmp");
  }
}

}  // namespace assets

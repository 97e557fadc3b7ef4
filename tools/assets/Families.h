// The asset families of the Res tree, one function each, and the house palette. Every family
// draws with a CAssetKit, saves through a CResWriter and is deterministic: fixed seeds, no
// clock, no environment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CAssetKit.h"
#include "CResWriter.h"

namespace assets {

// The house palette: one sunny cartoon world.
namespace palette {
constexpr uint32_t kInk = 0xFF2A1E3Au;    // outlines and dark text
constexpr uint32_t kCream = 0xFFFFF4E0u;  // panels
constexpr uint32_t kPeach = 0xFFFFD8B0u;
constexpr uint32_t kCoral = 0xFFFF6A5Au;  // accents
constexpr uint32_t kTeal = 0xFF2FB7A8u;
constexpr uint32_t kSun = 0xFFFFD23Cu;
constexpr uint32_t kSkyTop = 0xFF5AA8F0u;
constexpr uint32_t kSkyLow = 0xFFBFE6FFu;
constexpr uint32_t kGrass = 0xFF6CC24Au;
constexpr uint32_t kGrassDark = 0xFF3E8E3Au;
constexpr uint32_t kGrassLight = 0xFF9BE06Au;
constexpr uint32_t kWater = 0xFF3A8EE6u;
constexpr uint32_t kWaterDeep = 0xFF2060C0u;
constexpr uint32_t kWaterLight = 0xFF8AD0FFu;
constexpr uint32_t kLava = 0xFFFF5A1Eu;
constexpr uint32_t kLavaHot = 0xFFFFC040u;
constexpr uint32_t kLavaCrust = 0xFF7A1A10u;
constexpr uint32_t kLavaDark = 0xFF3A0A0Au;
// The game's light player colours, players 1 to 4.
constexpr uint32_t kPlayerTint[4] = {0xFF8080FFu, 0xFFFF8080u, 0xFF80FF80u, 0xFFFFFF80u};
}  // namespace palette

// Graphic/Bom: seven explosions, the red bomblet, two small effects (8 frames of 64 x 64).
void PaintEffects(CAssetKit& kit, CResWriter& out);
// Graphic/Chara: the character facing left and right in two walk steps.
void PaintCharacter(CAssetKit& kit, CResWriter& out);
// The roo drawn scale times the sprite size (step 1 or 2, facing right, outlined).
CmgBBI RooSprite(CAssetKit& kit, int32_t step, int32_t scale);
// Graphic/LargeBall, SmallBall, HomingBall: three images each.
void PaintBalls(CAssetKit& kit, CResWriter& out);
// Graphic/ChargeBar: the gauge and reload bars and their back.
void PaintBars(CAssetKit& kit, CResWriter& out);
// Graphic/Menu 1..5, KeyConfig.bmp and KeyConfig.txt; Graphic/Back, the menu background.
void PaintMenus(CAssetKit& kit, CResWriter& out);
// Stage: the stage list, each stage's map and its painted backdrop.
void PaintStages(CAssetKit& kit, CResWriter& out);
// Sound: the effects and the two announcements, synthesised.
void SynthesiseSounds(CResWriter& out);

// Every family, in order, into root (a folder that becomes the Res tree). The parts the
// generator owns are emptied first; the glyph cache folder "font" is left alone.
// Returns the writer's failures (empty when every file was written).
std::vector<std::string> GenerateAll(const std::string& root);

}  // namespace assets

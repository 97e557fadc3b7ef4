// The asset families of the Res tree, one function each, and the writer they save through.
// Every family draws with the Kit and is deterministic: fixed seeds, no clock, no environment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AssetKit.h"

namespace assets {

// Saves under one Res folder and remembers what went wrong.
class Writer {
 public:
  explicit Writer(std::string root);
  [[nodiscard]] const std::string& Root() const { return m_root; }
  // Full path of a file below the root ("Graphic/Bom/Bakuha1.bmp"); its folder is made.
  std::string Path(const std::string& relative);
  void Keyed(CmgBBI& img, const std::string& relative);    // 32 bits, alpha kept
  void Picture(CmgBBI& img, const std::string& relative);  // 32 bits, alpha kept
  void Map(CmgBBI& img, const std::string& relative);      // 24 bits
  void Text(const std::string& relative, const std::string& text);
  void Fail(const std::string& relative) { m_failures.push_back(relative); }
  void Done(const std::string& relative) { m_written.push_back(relative); }
  [[nodiscard]] const std::vector<std::string>& Failures() const { return m_failures; }
  [[nodiscard]] const std::vector<std::string>& Written() const { return m_written; }
  util::CApi files;

 private:
  std::string m_root;
  std::vector<std::string> m_failures;
  std::vector<std::string> m_written;
};

// The house palette: one sunny cartoon world.
namespace palette {
constexpr uint32_t kInk = 0xFF2A1E3Au;       // outlines and dark text
constexpr uint32_t kCream = 0xFFFFF4E0u;     // panels
constexpr uint32_t kPeach = 0xFFFFD8B0u;
constexpr uint32_t kCoral = 0xFFFF6A5Au;     // accents
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
}  // namespace palette

// Graphic/Bom: seven explosions, the red bomblet, two small effects (8 frames of 64 x 64).
void PaintEffects(Kit& kit, Writer& out);
// Graphic/Chara: the character facing left and right in two walk steps.
void PaintCharacter(Kit& kit, Writer& out);
// The roo drawn scale times the sprite size (step 1 or 2, facing right, outlined).
CmgBBI RooSprite(Kit& kit, int32_t step, int32_t scale);
// Graphic/LargeBall, SmallBall, HomingBall: three images each.
void PaintBalls(Kit& kit, Writer& out);
// Graphic/ChargeBar: the gauge and reload bars and their back.
void PaintBars(Kit& kit, Writer& out);
// Graphic/Menu 1..5, KeyConfig.bmp and KeyConfig.txt; Graphic/Back, the menu background.
void PaintMenus(Kit& kit, Writer& out);
// Stage: the stage list, each stage's map and its painted backdrop.
void PaintStages(Kit& kit, Writer& out);
// Sound: the effects and the two announcements, synthesised.
void SynthesiseSounds(Writer& out);

// Every family, in order, into root (a folder that becomes the Res tree). The parts the
// generator owns are emptied first; the glyph cache folder "font" is left alone.
// Returns the writer's failures (empty when every file was written).
std::vector<std::string> GenerateAll(const std::string& root);

}  // namespace assets

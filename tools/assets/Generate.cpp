// The whole run: every family in order into one Res folder.
#include <filesystem>
#include <system_error>

#include "Families.h"

namespace assets {

namespace fs = std::filesystem;

std::vector<std::string> GenerateAll(const std::string& root) {
  // Stale files of an earlier run (a renamed ball, a dropped stage) must not linger: the game
  // lists the ball folders and would load them.
  for (const char* owned : {"Graphic", "Sound", "Stage"}) {
    std::error_code ec;
    fs::remove_all(fs::path(root) / owned, ec);
  }
  CAssetKit kit;
  CResWriter out(root);
  PaintEffects(kit, out);
  PaintCharacter(kit, out);
  PaintBalls(kit, out);
  PaintBars(kit, out);
  PaintMenus(kit, out);
  PaintStages(kit, out);
  SynthesiseSounds(out);
  return out.Failures();
}

}  // namespace assets

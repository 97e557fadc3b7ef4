// How the match plays its effects: by wave name with volume, pan and tempo. The simulation
// computes every argument (and draws every random value they need) whether or not anything
// plays, so a silent run draws the same numbers as a loud one.
#pragma once

#include <string_view>

namespace game {

class IMatchSound {
 public:
  virtual ~IMatchSound() = default;
  virtual void Play(std::string_view wave, float volume, float pan, float tempo) = 0;
};

// Headless runs and tests: plays nothing.
class CSilentSound final : public IMatchSound {
 public:
  void Play(std::string_view, float, float, float) override {}
};

}  // namespace game

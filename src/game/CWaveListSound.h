// CWaveListSound: the match's effects played from the game form's wave cache (each wave loaded
// on first use, a missing file silent) with volume, pan and tempo.
#pragma once

#include <string_view>

#include "game/IMatchSound.h"

namespace sound {
class CmgWaveList;
}

namespace game {

class CWaveListSound final : public IMatchSound {
 public:
  explicit CWaveListSound(sound::CmgWaveList& waves) : m_waves(waves) {}
  void Play(std::string_view wave, float volume, float pan, float tempo) override;

 private:
  sound::CmgWaveList& m_waves;
};

}  // namespace game

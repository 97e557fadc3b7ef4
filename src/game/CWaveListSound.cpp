// CWaveListSound: one PlaySE per effect.
#include "game/CWaveListSound.h"

#include <string>

#include "sound/CmgWaveList.h"

namespace game {

void CWaveListSound::Play(std::string_view wave, float volume, float pan, float tempo) {
  m_waves.DSB(std::string(wave)).PlaySE(volume, pan, tempo);
}

}  // namespace game

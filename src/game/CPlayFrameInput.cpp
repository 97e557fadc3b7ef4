// CPlayFrameInput: the frame controller and the input module behind a match frame.
#include "game/CPlayFrameInput.h"

#include "engine/CKestrel.h"
#include "input/spLibInput.h"

namespace game {

int32_t CPlayFrameInput::StepsOwed() { return m_kestrel.GetFPSA(); }

bool CPlayFrameInput::BackspacePressed() {
  return m_keys != nullptr && m_keys->Counters().BackSpace == 1;
}

void CPlayFrameInput::UpdateKeys() {
  if (m_keys == nullptr) return;
  m_keys->PollKeyboard();
  m_keys->PollJoysticks();
  m_keys->UpdateVirtualKeys();
}

void CPlayFrameInput::HumanKeys(std::array<VKey, kPlayerCount>& keys, int32_t humans) {
  if (m_keys == nullptr) return;
  for (int32_t p = 0; p < humans && p < kPlayerCount; ++p) {
    VKey key;
    if (m_keys->GetVKey(p, key)) keys[static_cast<size_t>(p)] = key;
  }
}

}  // namespace game

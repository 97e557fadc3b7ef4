// CPlayFrameInput: a match frame's inputs in play: the steps the frame controller says are owed
// (GetFPSA), BackSpace from the input module's fixed counters, and the human players' virtual
// keys, read again before every extra step of a frame.
#pragma once

#include "game/CMatchRunner.h"

namespace engine {
class CKestrel;
}
namespace input {
class spLibInput;
}

namespace game {

class CPlayFrameInput final : public IMatchFrameInput {
 public:
  // `keys` may be null (no input module): no humans' keys and no BackSpace.
  CPlayFrameInput(engine::CKestrel& kestrel, input::spLibInput* keys)
      : m_kestrel(kestrel), m_keys(keys) {}
  int32_t StepsOwed() override;
  bool BackspacePressed() override;
  void UpdateKeys() override;
  void HumanKeys(std::array<VKey, kPlayerCount>& keys, int32_t humans) override;

 private:
  engine::CKestrel& m_kestrel;
  input::spLibInput* m_keys;
};

}  // namespace game

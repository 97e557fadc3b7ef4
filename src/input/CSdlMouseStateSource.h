// The mouse as SDL sees it: the cursor in the focused window's pixels and its buttons. SDL
// reports the wheel only as events; the input module adds those itself.
#pragma once

#include "input/IMouseStateSource.h"

namespace input {

class CSdlMouseStateSource final : public IMouseStateSource {
 public:
  MouseReadResult Read(MouseReading& out) override;
};

}  // namespace input

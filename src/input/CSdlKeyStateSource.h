// The keyboard as SDL sees it: SDL's key state array translated to scan-code key bytes. SDL
// only delivers keys to our own windows, like a foreground keyboard device.
#pragma once

#include "input/IKeyStateSource.h"

namespace input {

class CSdlKeyStateSource final : public IKeyStateSource {
 public:
  KeyReadResult Read(KeyBytes& keys) override;
};

}  // namespace input

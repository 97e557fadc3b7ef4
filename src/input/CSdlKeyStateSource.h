// The keyboard as SDL sees it: SDL's key state array translated to scan-code key bytes. SDL
// only delivers keys to our own windows, like a foreground keyboard device. A key pressed and
// released again between two reads (a quick tap on a slow frame) still reads as down once.
#pragma once

#include <array>
#include <cstdint>

#include "input/IKeyStateSource.h"

union SDL_Event;

namespace input {

class CSdlKeyStateSource final : public IKeyStateSource {
 public:
  CSdlKeyStateSource();
  ~CSdlKeyStateSource() override;
  CSdlKeyStateSource(const CSdlKeyStateSource&) = delete;
  CSdlKeyStateSource& operator=(const CSdlKeyStateSource&) = delete;

  KeyReadResult Read(KeyBytes& keys) override;

 private:
  static int Watch(void* self, SDL_Event* event);
  // Scan codes (ours) pressed since the last read.
  std::array<bool, 256> m_pressedSinceRead{};
};

}  // namespace input

#include "input/CSdlKeyStateSource.h"

#include <SDL.h>

#include "input/ScanCodeTable.h"

namespace input {

KeyReadResult CSdlKeyStateSource::Read(KeyBytes& keys) {
  // No focus test here: SDL clears its own array when the focus leaves a window, and a window
  // that never got the focus (a desktop without a window manager) still receives keys. The
  // module itself masks keys held across a focus loss.
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  if (state == nullptr) return KeyReadResult::kFailed;
  keys.fill(0);
  for (int sc = 0; sc < count; ++sc) {
    if (state[sc] == 0) continue;
    const uint8_t scan = ScanCodeFromSdl(sc);
    if (scan != 0) keys[scan] = kKeyDown;
  }
  return KeyReadResult::kOk;
}

}  // namespace input

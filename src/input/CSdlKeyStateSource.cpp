#include "input/CSdlKeyStateSource.h"

#include <SDL.h>

#include "input/ScanCodeTable.h"

namespace input {

KeyReadResult CSdlKeyStateSource::Read(KeyBytes& keys) {
  // Without focus SDL delivers no key events, so its array would only hold what was down
  // when the focus left.
  if (SDL_GetKeyboardFocus() == nullptr) return KeyReadResult::kNoFocus;
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

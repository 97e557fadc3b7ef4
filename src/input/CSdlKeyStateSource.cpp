#include "input/CSdlKeyStateSource.h"

#include <SDL.h>

#include "input/ScanCodeTable.h"

namespace input {

CSdlKeyStateSource::CSdlKeyStateSource() { SDL_AddEventWatch(Watch, this); }

CSdlKeyStateSource::~CSdlKeyStateSource() { SDL_DelEventWatch(Watch, this); }

// Runs inside SDL's event pump, on the thread that reads the keyboard.
int CSdlKeyStateSource::Watch(void* self, SDL_Event* event) {
  if (event->type == SDL_KEYDOWN && event->key.repeat == 0) {
    const uint8_t scan = ScanCodeFromSdl(static_cast<int>(event->key.keysym.scancode));
    if (scan != 0) static_cast<CSdlKeyStateSource*>(self)->m_pressedSinceRead[scan] = true;
  }
  return 1;
}

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
  for (size_t scan = 0; scan < m_pressedSinceRead.size(); ++scan) {
    if (m_pressedSinceRead[scan]) keys[scan] = kKeyDown;
    m_pressedSinceRead[scan] = false;
  }
  return KeyReadResult::kOk;
}

}  // namespace input

#include "input/CSdlMouseStateSource.h"

#include <SDL.h>

namespace input {

MouseReadResult CSdlMouseStateSource::Read(MouseReading& out) {
  int dx = 0;
  int dy = 0;
  SDL_GetRelativeMouseState(&dx, &dy);
  if (SDL_GetMouseFocus() == nullptr) return MouseReadResult::kNoFocus;
  int x = 0;
  int y = 0;
  const Uint32 mask = SDL_GetMouseState(&x, &y);
  out.x = x;
  out.y = y;
  out.dx = dx;
  out.dy = dy;
  out.wheel = 0;
  out.buttons[0] = (mask & SDL_BUTTON_LMASK) != 0 ? 0x80 : 0;
  out.buttons[1] = (mask & SDL_BUTTON_RMASK) != 0 ? 0x80 : 0;
  out.buttons[2] = (mask & SDL_BUTTON_MMASK) != 0 ? 0x80 : 0;
  out.buttons[3] = (mask & SDL_BUTTON_X1MASK) != 0 ? 0x80 : 0;
  return MouseReadResult::kOk;
}

}  // namespace input

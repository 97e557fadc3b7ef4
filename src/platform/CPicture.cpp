// CPicture: SDL2_image behind a byte-span interface.
#include "platform/CPicture.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>

namespace platform {

bool DecodePicture(std::span<const uint8_t> bytes, int64_t maxPixels, Picture& out) {
  if (bytes.empty() || bytes.size() > static_cast<size_t>(INT32_MAX)) return false;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (rw == nullptr) return false;
  SDL_Surface* loaded = IMG_Load_RW(rw, 1);
  if (loaded == nullptr) return false;
  bool ok = false;
  if (loaded->w > 0 && loaded->h > 0 && int64_t{loaded->w} * loaded->h <= maxPixels) {
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    if (argb != nullptr) {
      out.width = argb->w;
      out.height = argb->h;
      out.pixels.assign(static_cast<size_t>(argb->w) * static_cast<size_t>(argb->h), 0);
      if (SDL_LockSurface(argb) == 0) {
        for (int y = 0; y < argb->h; ++y)
          std::memcpy(out.pixels.data() + static_cast<size_t>(y) * argb->w,
                      static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch,
                      static_cast<size_t>(argb->w) * 4);
        SDL_UnlockSurface(argb);
        ok = true;
      }
      SDL_FreeSurface(argb);
    }
  }
  SDL_FreeSurface(loaded);
  return ok;
}

}  // namespace platform

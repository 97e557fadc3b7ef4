// CPicture: SDL2_image behind a byte-span interface; GIFs go to our own reader.
#include "platform/CPicture.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/CGifReader.h"

namespace platform {

namespace {

uint32_t Be16(std::span<const uint8_t> b, size_t at) { return uint32_t{b[at]} << 8 | b[at + 1]; }
uint32_t Le16(std::span<const uint8_t> b, size_t at) { return b[at] | uint32_t{b[at + 1]} << 8; }
uint32_t Be32(std::span<const uint8_t> b, size_t at) { return Be16(b, at) << 16 | Be16(b, at + 2); }
uint32_t Le32(std::span<const uint8_t> b, size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }

bool PeekBmp(std::span<const uint8_t> b, PictureHeader& h) {
  if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') return false;
  h.kind = PictureKind::kBmp;
  if (Le32(b, 14) == 12) {  // OS/2 core header: 16-bit sizes
    h.width = Le16(b, 18);
    h.height = Le16(b, 20);
  } else {
    h.width = static_cast<int32_t>(Le32(b, 18));
    const int64_t height = static_cast<int32_t>(Le32(b, 22));
    h.height = height < 0 ? -height : height;  // negative: rows top to bottom
  }
  return true;
}

bool PeekPng(std::span<const uint8_t> b, PictureHeader& h) {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (b.size() < 24 || std::memcmp(b.data(), kSignature, 8) != 0) return false;
  if (std::memcmp(b.data() + 12, "IHDR", 4) != 0) return false;
  h.kind = PictureKind::kPng;
  h.width = Be32(b, 16);
  h.height = Be32(b, 20);
  return true;
}

bool PeekJpeg(std::span<const uint8_t> b, PictureHeader& h) {
  if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return false;
  size_t at = 2;
  while (at + 1 < b.size()) {
    if (b[at] != 0xFF) return false;
    const uint8_t marker = b[at + 1];
    at += 2;
    if (marker == 0xFF) {  // fill byte
      --at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
    if (marker == 0xD9 || marker == 0xDA) return false;  // image data before any frame header
    if (at + 2 > b.size()) return false;
    const size_t length = Be16(b, at);
    if (length < 2) return false;
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (length < 7 || at + 7 > b.size()) return false;
      h.kind = PictureKind::kJpeg;
      h.height = Be16(b, at + 3);
      h.width = Be16(b, at + 5);
      return true;
    }
    at += length;
  }
  return false;
}

bool PeekGif(std::span<const uint8_t> b, PictureHeader& h) {
  int64_t width = 0, height = 0;
  if (!CGifReader::Peek(b, width, height)) return false;
  h.kind = PictureKind::kGif;
  h.width = width;
  h.height = height;
  return true;
}

// A decoder may ask for more than its header named (SDL2_image's GIF reader, no longer used,
// sized a later frame by whatever bytes followed a broken one). While a picture decodes on this
// thread, SDL's allocator refuses any block larger than the limit allows.
thread_local size_t t_allocationLimit = 0;  // 0: no limit
SDL_malloc_func g_nextMalloc = nullptr;
SDL_calloc_func g_nextCalloc = nullptr;
SDL_realloc_func g_nextRealloc = nullptr;
SDL_free_func g_nextFree = nullptr;

bool OverLimit(size_t count, size_t size) {
  return t_allocationLimit != 0 && size != 0 && count > t_allocationLimit / size;
}
void* SDLCALL CappedMalloc(size_t size) {
  return OverLimit(1, size) ? nullptr : g_nextMalloc(size);
}
void* SDLCALL CappedCalloc(size_t count, size_t size) {
  return OverLimit(count, size) ? nullptr : g_nextCalloc(count, size);
}
void* SDLCALL CappedRealloc(void* p, size_t size) {
  return OverLimit(1, size) ? nullptr : g_nextRealloc(p, size);
}
void SDLCALL PassFree(void* p) { g_nextFree(p); }

// The capped functions pass on to whatever SDL used before, so blocks allocated either side
// of the switch are freed by the same allocator.
void InstallAllocationCap() {
  static std::once_flag once;
  std::call_once(once, [] {
    SDL_GetMemoryFunctions(&g_nextMalloc, &g_nextCalloc, &g_nextRealloc, &g_nextFree);
    SDL_SetMemoryFunctions(CappedMalloc, CappedCalloc, CappedRealloc, PassFree);
  });
}

}  // namespace

void WithSdlAllocationLimit(size_t bytes, const std::function<void()>& run) {
  InstallAllocationCap();
  const size_t saved = t_allocationLimit;
  t_allocationLimit = bytes;
  try {
    run();
  } catch (...) {
    t_allocationLimit = saved;
    throw;
  }
  t_allocationLimit = saved;
}

namespace {

SDL_Surface* LoadKind(SDL_RWops* rw, PictureKind kind) {
  switch (kind) {
    case PictureKind::kBmp: return IMG_LoadBMP_RW(rw);
    case PictureKind::kPng: return IMG_LoadPNG_RW(rw);
    case PictureKind::kJpeg: return IMG_LoadJPG_RW(rw);
    case PictureKind::kGif: break;  // our own reader
  }
  return nullptr;
}

}  // namespace

bool PeekPicture(std::span<const uint8_t> bytes, PictureHeader& out) {
  PictureHeader h;
  if (!PeekBmp(bytes, h) && !PeekPng(bytes, h) && !PeekJpeg(bytes, h) && !PeekGif(bytes, h))
    return false;
  out = h;
  return true;
}

bool DecodePicture(std::span<const uint8_t> bytes, int64_t maxPixels, Picture& out) {
  if (bytes.empty() || bytes.size() > static_cast<size_t>(INT32_MAX)) return false;
  // The decoders allocate whatever a header names before reading a pixel, so the size is
  // checked here first, and only the kinds whose header we can read are decoded at all.
  PictureHeader header;
  if (!PeekPicture(bytes, header)) return false;
  if (header.width <= 0 || header.height <= 0 || header.height > maxPixels / header.width)
    return false;
  // SDL2_image's GIF reader frees a pointer it never allocated on some hostile files.
  if (header.kind == PictureKind::kGif) return CGifReader::Read(bytes, maxPixels, out);
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (rw == nullptr) return false;
  SDL_Surface* loaded = nullptr;
  // Four bytes a pixel at most, and room for row padding and alignment.
  const size_t limit =
      static_cast<size_t>(std::min(maxPixels, int64_t{1} << 40)) * 4 + (size_t{1} << 20);
  WithSdlAllocationLimit(limit, [&] { loaded = LoadKind(rw, header.kind); });
  SDL_RWclose(rw);
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
          std::memcpy(
              out.pixels.data() + static_cast<size_t>(y) * argb->w,
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

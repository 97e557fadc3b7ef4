// Screenshots through SDL surfaces: SDL_image writes PNG, SDL writes BMP.
#include "present/CScreenshot.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace present {

namespace {

std::string LowerExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

}  // namespace

bool CScreenshot::Save(const uint32_t* pixels, int32_t width, int32_t height, int32_t pitch,
                       const std::string& path, std::string& error) {
  const std::string ext = LowerExtension(path);
  if (ext != ".png" && ext != ".bmp") {
    error = "unknown picture type (use .png or .bmp): " + path;
    return false;
  }
  if (pixels == nullptr || width <= 0 || height <= 0 || pitch < width * 4) {
    error = "no frame to save";
    return false;
  }
  // An opaque copy: the back buffer's alpha bytes are whatever the drawing left there.
  std::vector<uint32_t> copy(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) +
                                                        static_cast<size_t>(y) * pitch);
    for (int32_t x = 0; x < width; ++x)
      copy[static_cast<size_t>(y) * width + x] = row[x] | 0xFF000000u;
  }
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(copy.data(), width, height, 32, width * 4,
                                                      SDL_PIXELFORMAT_ARGB8888);
  if (s == nullptr) {
    error = SDL_GetError();
    return false;
  }
  const int rc = ext == ".png" ? IMG_SavePNG(s, path.c_str()) : SDL_SaveBMP(s, path.c_str());
  SDL_FreeSurface(s);
  if (rc != 0) {
    error = "cannot write " + path + ": " + SDL_GetError();
    return false;
  }
  return true;
}

std::string CScreenshot::Folder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (data != nullptr && data[0] == '/') {
    base = data;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = std::string(home) + "/.local/share";
  } else {
    return {};
  }
  return base + "/tumbleroo/screenshots";
}

std::string CScreenshot::FreeName(const std::string& folder, std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char stamp[32] = {};
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string stem = std::string("tumbleroo-") + stamp;
  std::string name = stem + ".png";
  std::error_code ec;
  for (int n = 2; std::filesystem::exists(folder + "/" + name, ec) && n < 10000; ++n)
    name = stem + "-" + std::to_string(n) + ".png";
  return name;
}

}  // namespace present

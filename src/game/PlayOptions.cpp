// Parsing of the device, frame-saving and seed options.
#include "game/PlayOptions.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace game {

namespace {

bool ParseUnsigned(const char* text, uint64_t max, uint64_t& out) {
  if (text == nullptr || *text < '0' || *text > '9') return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v > max) return false;
  out = v;
  return true;
}

bool PictureName(const std::string& file) {
  const size_t dot = file.rfind('.');
  if (dot == std::string::npos || file.find('/', dot) != std::string::npos) return false;
  std::string ext = file.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".png" || ext == ".bmp";
}

}  // namespace

PlayOptions ParsePlayOptions(int& argc, char** argv) {
  PlayOptions o;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const bool known = std::strcmp(arg, "--device") == 0 || std::strcmp(arg, "--shot") == 0 ||
                       std::strcmp(arg, "--seed") == 0;
    if (!known) {
      argv[kept++] = argv[i];
      continue;
    }
    const char* value = i + 1 < argc ? argv[++i] : nullptr;
    auto fail = [&](const std::string& why) {
      if (o.error.empty()) o.error = std::string(arg) + ": " + why;
    };
    if (value == nullptr) {
      fail("needs a value");
    } else if (std::strcmp(arg, "--device") == 0) {
      if (std::strcmp(value, "rgb") == 0)
        o.device = PlayOptions::Device::Rgb;
      else if (std::strcmp(value, "hal") == 0)
        o.device = PlayOptions::Device::Hal;
      else
        fail("expected rgb or hal, got \"" + std::string(value) + "\"");
    } else if (std::strcmp(arg, "--shot") == 0) {
      const char* colon = std::strchr(value, ':');
      uint64_t frame = 0;
      if (colon == nullptr || colon[1] == '\0' ||
          !ParseUnsigned(std::string(value, colon).c_str(), INT64_MAX, frame) || frame == 0)
        fail("expected N:FILE with a frame number from 1, got \"" + std::string(value) + "\"");
      else if (!PictureName(colon + 1))
        fail("the file must end in .png or .bmp, got \"" + std::string(colon + 1) + "\"");
      else
        o.shots.push_back({static_cast<int64_t>(frame), std::string(colon + 1)});
    } else {
      uint64_t seed = 0;
      if (!ParseUnsigned(value, UINT32_MAX, seed))
        fail("expected a number from 0 to 4294967295, got \"" + std::string(value) + "\"");
      else
        o.seed = static_cast<uint32_t>(seed);
    }
  }
  argc = kept;
  argv[argc] = nullptr;
  return o;
}

}  // namespace game

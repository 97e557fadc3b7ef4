// CScreenshot: saves 32-bit 0xAARRGGBB frames as PNG or BMP files (by the name's extension),
// and names the player's screenshots by date and time under the user's data folder. Relies on
// SDL2 and SDL2_image in the .cpp.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace present {

class CScreenshot {
 public:
  // Saves the frame opaque (alpha is not part of a presented frame). false, with the reason in
  // `error`, for an unknown extension, a bad size or a file that cannot be written.
  static bool Save(const uint32_t* pixels, int32_t width, int32_t height, int32_t pitch,
                   const std::string& path, std::string& error);
  // $XDG_DATA_HOME/tumbleroo/screenshots, else $HOME/.local/share/tumbleroo/screenshots;
  // empty when neither variable is set.
  static std::string Folder();
  // "tumbleroo-YYYYMMDD-HHMMSS.png" for the local time `when`, with "-2", "-3"... added when a
  // file of that name exists in `folder`.
  static std::string FreeName(const std::string& folder, std::time_t when);
};

}  // namespace present

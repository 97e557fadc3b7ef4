// PlayOptions: the command-line options for players and tests that choose the 3-D device, save
// frames and fix the random seed. ParsePlayOptions takes them out of argv and leaves every
// other argument for the program's own parsing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace game {

struct PlayOptions {
  enum class Device { Settings, Rgb, Hal };
  struct Shot {
    int64_t frame = 0;  // 1 is the program's first frame
    std::string file;   // .png or .bmp
  };
  Device device = Device::Settings;  // --device rgb|hal
  std::vector<Shot> shots;           // --shot N:FILE, repeatable
  std::optional<uint32_t> seed;      // --seed S
  std::string error;                 // the first bad option, empty when all were understood
};

// Removes --device, --shot and --seed (with their values) from argv, updating argc.
PlayOptions ParsePlayOptions(int& argc, char** argv);

}  // namespace game

// CMatchTape: a recorded match. It holds the seed, the mode chosen, the number of humans and, per
// round, every match frame's owed steps and Backspace press and every simulation step's virtual
// keys of the four players (each button as one of four press-counter classes, plus x and y),
// which is all the rules read from a key. Saved as a small binary file with a format version,
// the simulation version and a CRC-32; Parse refuses damaged or foreign files with a reason.
// Relies on nothing but the C++ runtime.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "game/MatchTypes.h"

namespace game {

class CMatchTape {
 public:
  static constexpr char kMagic[4] = {'T', 'B', 'R', 'P'};
  static constexpr uint16_t kFormatVersion = 1;
  // Raised whenever a rule change makes old recordings play differently.
  static constexpr uint16_t kSimulationVersion = 1;
  static constexpr int32_t kMaxOwedSteps = 255;

  struct Frame {
    uint8_t owed = 0;       // steps owed this frame
    bool backspace = false; // BackSpace's counter was 1
  };
  using StepKeys = std::array<uint32_t, kPlayerCount>;  // Pack() of each player's key
  struct Round {
    std::vector<Frame> frames;
    std::vector<StepKeys> steps;
  };

  uint32_t seed = 0;
  int32_t modeChosen = 0;
  int32_t humanPlayers = 0;
  std::vector<Round> rounds;

  // A key as 24 bits: two bits per button (0 zero, 1 first step, 2 held longer, 3 released),
  // then x + 1 and y + 1.
  static uint32_t Pack(const VKey& key);
  // A key that the rules read exactly as the packed one; `previous` continues the held counts.
  static VKey Unpack(uint32_t packed, const VKey& previous);

  [[nodiscard]] std::vector<uint8_t> Serialize() const;
  // Empty error: parsed. Otherwise a message saying why the bytes are refused.
  static std::string Parse(std::span<const uint8_t> bytes, CMatchTape& out);

  // Files: empty error on success.
  [[nodiscard]] std::string Save(const std::string& path) const;
  static std::string Load(const std::string& path, CMatchTape& out);

  static uint32_t Crc32(std::span<const uint8_t> bytes);
};

}  // namespace game

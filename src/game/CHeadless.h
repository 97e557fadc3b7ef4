// Headless rounds: four computer players play N rounds with no window and no sound, as fast as
// the machine allows, through the same round controller, simulation job and scheduler as play.
// One line per round ("round <n> mode <m> winner <1-4|none|cut> steps <s>"), then
// "rounds <n> steps <total> seconds <t>". A tape can record the run or replace its input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "game/CMatch.h"
#include "game/CMatchRunner.h"
#include "game/CMatchTape.h"

namespace game {

struct HeadlessOptions {
  int32_t rounds = 1;
  bool roundsGiven = false;
  std::optional<uint32_t> seed;
  int32_t mode = 0;
  bool modeGiven = false;
  std::string record;  // file to write, empty: none
  std::string replay;  // file to play, empty: none
};

class CHeadless {
 public:
  // A round that reaches an hour of play (60 steps a second) is cut.
  static constexpr int32_t kStepCap = 216000;

  // The program's headless mode; the exit code (0 done, 1 a file or replay failure, 2 bad
  // options).
  static int Run(const HeadlessOptions& options, std::FILE* out, std::FILE* err);

  // Plays `rounds` rounds on a prepared match (mode, humans, assets, stage chooser set), with
  // no devices unless `input` is given.
  // Each finished round's line goes to `line`; `steps` adds up the steps. Empty result, or why
  // the replay could not follow its tape.
  static std::string PlayRounds(CMatch& match, int32_t rounds, CMatchTape* record,
                                const CMatchTape* replay,
                                const std::function<void(const std::string&)>& line,
                                int64_t& steps, int32_t stepCap = kStepCap,
                                IMatchFrameInput* input = nullptr);

  static std::string RoundLine(const CMatch& match, bool cut);
};

}  // namespace game

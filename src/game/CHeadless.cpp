// Headless rounds over the scheduler, with the result scene reduced to the round's line.
#include "game/CHeadless.h"

#include <chrono>
#include <random>
#include <set>

#include "engine/CJob.h"
#include "util/CApi.h"

namespace game {

std::string CHeadless::RoundLine(const CMatch& match, bool cut) {
  const std::string winner =
      cut ? "cut" : match.winner < 0 ? "none" : std::to_string(match.winner + 1);
  return "round " + std::to_string(match.roundNumber) + " mode " +
         std::to_string(match.modeInPlay) + " winner " + winner + " steps " +
         std::to_string(match.frameInRound);
}

std::string CHeadless::PlayRounds(CMatch& match, int32_t rounds, CMatchTape* record,
                                  const CMatchTape* replay,
                                  const std::function<void(const std::string&)>& line,
                                  int64_t& steps, int32_t stepCap, IMatchFrameInput* input) {
  engine::CJob job;
  CHeadlessFrameInput none;
  CMatchRunner runner(match, job, input != nullptr ? *input : none);
  runner.SetStepCap(stepCap);
  runner.Record(record);
  runner.Replay(replay);
  int32_t done = 0;
  job.SetComing([&](int32_t index, int32_t framecount, int32_t) {
    switch (index) {
      case CMatchRunner::JobMatchStep: runner.JobMatchStepFrame(framecount); break;
      case CMatchRunner::JobRound: runner.JobRoundFrame(framecount); break;
      case CMatchRunner::JobResult:
        // The round job is in its final frame while the result starts, so the next round is
        // added one frame later, when the scheduler takes it again.
        if (framecount == 1) {
          ++done;
          steps += match.frameInRound;
          if (line) line(RoundLine(match, runner.Cut()));
        } else if (framecount == 2) {
          if (done < rounds) job.Add(CMatchRunner::JobRound);
          job.Remove(CMatchRunner::JobResult);
        }
        break;
      default: break;  // the drawing job has nothing to draw here
    }
  });
  if (rounds > 0) job.Add(CMatchRunner::JobRound);
  while (job.Poll() != 0)
    if (!runner.ReplayError().empty()) break;
  return runner.ReplayError();
}

int CHeadless::Run(const HeadlessOptions& options, std::FILE* out, std::FILE* err) {
  CMatchTape tape;
  const bool replaying = !options.replay.empty();
  if (replaying) {
    if (options.seed || options.modeGiven) {
      std::fprintf(err, "tumbleroo: --replay takes the seed and the mode from the recording\n");
      return 2;
    }
    if (const std::string error = CMatchTape::Load(options.replay, tape); !error.empty()) {
      std::fprintf(err, "tumbleroo: %s: %s\n", options.replay.c_str(), error.c_str());
      return 1;
    }
  }
  uint32_t seed = 0;
  if (replaying) {
    seed = tape.seed;
  } else if (options.seed) {
    seed = *options.seed;
  } else {
    seed = std::random_device{}();
    std::fprintf(err, "tumbleroo: seed %u\n", seed);
  }
  const int32_t rounds = replaying && !options.roundsGiven
                             ? static_cast<int32_t>(std::min<size_t>(tape.rounds.size(), INT32_MAX))
                             : options.rounds;

  util::CApi api;
  api.FixSeed(seed);
  std::set<std::string> said;
  auto message = [&](const std::string& text) {
    if (said.insert(text).second) std::fprintf(err, "tumbleroo: %s\n", text.c_str());
  };
  CMatch match(api);
  match.modeChosen = replaying ? tape.modeChosen : options.mode;
  match.humanPlayers = replaying ? tape.humanPlayers : 0;
  match.assets.Load(api, message, CMatchAssets::ImageSizeReader(api));
  match.SetStageChooser([&] { return CStageList::Choose(api, message); });

  CMatchTape recording;
  recording.seed = seed;
  recording.modeChosen = match.modeChosen;
  recording.humanPlayers = match.humanPlayers;
  const bool recordingWanted = !options.record.empty();

  int64_t steps = 0;
  const auto start = std::chrono::steady_clock::now();
  const std::string error = PlayRounds(
      match, rounds, recordingWanted ? &recording : nullptr, replaying ? &tape : nullptr,
      [out](const std::string& text) { std::fprintf(out, "%s\n", text.c_str()); }, steps);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!error.empty()) {
    std::fprintf(err, "tumbleroo: %s: %s\n", options.replay.c_str(), error.c_str());
    return 1;
  }
  std::fprintf(out, "rounds %d steps %lld seconds %.3f\n", rounds, static_cast<long long>(steps),
               seconds);
  std::fflush(out);
  if (recordingWanted) {
    if (const std::string saveError = recording.Save(options.record); !saveError.empty()) {
      std::fprintf(err, "tumbleroo: %s\n", saveError.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace game

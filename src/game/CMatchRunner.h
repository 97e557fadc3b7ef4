// CMatchRunner: the match's two scene jobs, the round controller (JobRound) and the simulation
// job (JobMatchStep): round start, owed steps with hit-stop and slow motion, the Backspace test,
// the scheduled end and the winner. The frame's inputs come from an IMatchFrameInput (the frame
// controller and the input module in play, nothing in headless runs); a tape records them or
// replaces them. Relies on CMatch, CMatchTape and the job scheduler.
#pragma once

#include <cstdint>
#include <string>

#include "engine/CJob.h"
#include "game/CMatch.h"
#include "game/CMatchTape.h"

namespace game {

class IMatchFrameInput {
 public:
  virtual ~IMatchFrameInput() = default;
  // Steps owed this frame (CKestrel.GetFPSA).
  virtual int32_t StepsOwed() = 0;
  // BackSpace's counter is 1 this frame.
  virtual bool BackspacePressed() = 0;
  // Before every step run after the frame's first: read the input devices again.
  virtual void UpdateKeys() = 0;
  // The human players' virtual keys into keys[0 .. humans - 1].
  virtual void HumanKeys(std::array<VKey, kPlayerCount>& keys, int32_t humans) = 0;
};

// No devices: one step per frame, no Backspace, no humans.
class CHeadlessFrameInput final : public IMatchFrameInput {
 public:
  int32_t StepsOwed() override { return 1; }
  bool BackspacePressed() override { return false; }
  void UpdateKeys() override {}
  void HumanKeys(std::array<VKey, kPlayerCount>&, int32_t) override {}
};

class CMatchRunner {
 public:
  static constexpr int32_t JobMatchStep = 7;
  static constexpr int32_t JobRound = 8;
  static constexpr int32_t JobMatchDraw = 9;
  static constexpr int32_t JobResult = 10;

  CMatchRunner(CMatch& match, engine::CJob& job, IMatchFrameInput& input);

  // Recording appends to `tape` (seed and header are the caller's); replaying plays from it.
  void Record(CMatchTape* tape);
  void Replay(const CMatchTape* tape);
  // A round that reaches this many steps is stopped as cut (0: never).
  void SetStepCap(int32_t steps) { m_stepCap = steps; }

  void JobRoundFrame(int32_t framecount);
  void JobMatchStepFrame(int32_t framecount);

  // The last round's end: cut at the step cap (no winner, no win counted).
  [[nodiscard]] bool Cut() const { return m_cut; }
  // Empty while the replay follows its tape; else why it could not.
  [[nodiscard]] const std::string& ReplayError() const { return m_replayError; }

 private:
  void EndRound();
  void OnKeys(std::array<VKey, kPlayerCount>& keys);
  void ReplayFailed(const std::string& why);

  CMatch& m_match;
  engine::CJob& m_job;
  IMatchFrameInput& m_input;
  CMatchTape* m_record = nullptr;
  const CMatchTape* m_replay = nullptr;
  size_t m_round = 0;  // tape round of the current round
  size_t m_frame = 0;
  size_t m_step = 0;
  std::array<VKey, kPlayerCount> m_previous{};
  int32_t m_stepCap = 0;
  bool m_cut = false;
  std::string m_replayError;
};

}  // namespace game

// CMatchRunner: the round controller and the simulation job, with the tape hooks.
#include "game/CMatchRunner.h"

#include <algorithm>

#include "game/MatchMath.h"

namespace game {

using namespace match_math;

CMatchRunner::CMatchRunner(CMatch& match, engine::CJob& job, IMatchFrameInput& input)
    : m_match(match), m_job(job), m_input(input) {
  m_match.SetKeyHook([this](std::array<VKey, kPlayerCount>& keys) { OnKeys(keys); });
}

void CMatchRunner::Record(CMatchTape* tape) { m_record = tape; }

void CMatchRunner::Replay(const CMatchTape* tape) { m_replay = tape; }

void CMatchRunner::ReplayFailed(const std::string& why) {
  if (m_replayError.empty()) m_replayError = why;
}

void CMatchRunner::JobRoundFrame(int32_t framecount) {
  if (framecount == 1) {
    m_match.Sub_Init();
    m_job.Add(JobMatchStep);
    m_job.Add(JobMatchDraw);
    m_match.frameInRound = 0;
    if (m_match.roundNumber < INT32_MAX) ++m_match.roundNumber;
    m_match.scheduledEnd = 0;
    m_cut = false;
    if (m_record != nullptr) m_record->rounds.emplace_back();
    if (m_replay != nullptr && m_match.roundNumber > static_cast<int32_t>(m_replay->rounds.size()))
      ReplayFailed("the recording holds fewer rounds than were played");
    m_round = static_cast<size_t>(m_match.roundNumber - 1);
    m_frame = m_step = 0;
    m_previous = {};
    return;
  }
  if (framecount < 2) return;
  if (m_match.scheduledEnd == 0 && m_stepCap > 0 && m_match.frameInRound >= m_stepCap) {
    m_cut = true;
    m_match.winner = -1;
    EndRound();
    return;
  }
  if (m_match.scheduledEnd == 0 && m_match.AliveCount() < 2)
    m_match.scheduledEnd = RoundI(static_cast<double>(m_match.R()) * 5.0 + framecount + 3.0);
  if (framecount == m_match.scheduledEnd) {
    m_match.winner = -1;
    for (int32_t p = 0; p < kPlayerCount; ++p)
      if (m_match.players[static_cast<size_t>(p)].alive) m_match.winner = p;
    if (m_match.winner >= 0) {
      int32_t& wins = m_match.wins[static_cast<size_t>(m_match.winner)];
      if (wins < INT32_MAX) ++wins;
    }
    EndRound();
  }
}

void CMatchRunner::EndRound() {
  m_job.Remove(JobMatchStep);
  m_job.Remove(JobMatchDraw);
  m_job.Remove(JobRound);
  m_job.Add(JobResult);
}

void CMatchRunner::JobMatchStepFrame(int32_t framecount) {
  if (framecount == 1) {
    m_match.InitComputers();
    return;
  }
  if (framecount < 2) return;
  int32_t owed = std::clamp(m_input.StepsOwed(), 0, CMatchTape::kMaxOwedSteps);
  bool backspace = m_input.BackspacePressed();
  if (m_replay != nullptr) {
    const CMatchTape::Round* round =
        m_round < m_replay->rounds.size() ? &m_replay->rounds[m_round] : nullptr;
    if (round == nullptr || m_frame >= round->frames.size()) {
      ReplayFailed("the recording ends before the round does");
      owed = 0;
      backspace = false;
    } else {
      owed = round->frames[m_frame].owed;
      backspace = round->frames[m_frame].backspace;
    }
    ++m_frame;
  }
  if (m_record != nullptr && !m_record->rounds.empty())
    m_record->rounds.back().frames.push_back({static_cast<uint8_t>(owed), backspace});

  if (m_match.skipSteps == 0) {
    for (int32_t n = 0; n < owed; ++n) {
      if (n > 0) m_input.UpdateKeys();
      m_input.HumanKeys(m_match.keys, m_match.humanPlayers);
      m_match.Step();
    }
    const int32_t h = m_match.hitStop;
    if (h > 0) {
      m_match.hitStop = h - 1;
      if (h - 1 > 3) ++m_match.skipSteps;
      if (h - 1 > 8) m_match.skipSteps = RoundI((h - 9) / 3.0 + m_match.skipSteps);
      m_match.skipSteps = std::min(m_match.skipSteps, 6);
    }
  } else {
    --m_match.skipSteps;
  }
  if (backspace) m_match.Backspace();
}

void CMatchRunner::OnKeys(std::array<VKey, kPlayerCount>& keys) {
  if (m_record != nullptr && !m_record->rounds.empty()) {
    CMatchTape::StepKeys packed{};
    for (int32_t p = 0; p < kPlayerCount; ++p)
      packed[static_cast<size_t>(p)] = CMatchTape::Pack(keys[static_cast<size_t>(p)]);
    m_record->rounds.back().steps.push_back(packed);
  }
  if (m_replay == nullptr) return;
  const CMatchTape::Round* round =
      m_round < m_replay->rounds.size() ? &m_replay->rounds[m_round] : nullptr;
  if (round == nullptr || m_step >= round->steps.size()) {
    ReplayFailed("the recording ends before the round does");
    return;
  }
  const CMatchTape::StepKeys& recorded = round->steps[m_step];
  for (int32_t p = 0; p < kPlayerCount; ++p) {
    const auto i = static_cast<size_t>(p);
    // A computer player decides again from the same seed; a different choice means the
    // recording does not belong to this match.
    if (m_match.players[i].controller == 2) {
      if (CMatchTape::Pack(keys[i]) != recorded[i])
        ReplayFailed("the match went another way than recorded (round " +
                     std::to_string(m_round + 1) + ", step " + std::to_string(m_step + 1) +
                     ", player " + std::to_string(p + 1) + ")");
    } else {
      keys[i] = CMatchTape::Unpack(recorded[i], m_previous[i]);
    }
    m_previous[i] = keys[i];
  }
  ++m_step;
}

}  // namespace game

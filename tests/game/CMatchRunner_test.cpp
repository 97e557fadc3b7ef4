// Rounds over the scheduler: the end and the winner (two players out in one step is a draw),
// hit-stop turning into skipped frames, the computer players' targets, seeded headless runs
// that reproduce themselves, and recordings that replay identically (computer and human keys).
#include "game/CMatchRunner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MatchTestSupport.h"
#include "game/CHeadless.h"

namespace {

using game::CMatch;
using game::CMatchRunner;
using game_test::MatchOnEmptyStage;

// Polls the scheduler until the result job starts; the number of polls, or -1.
int32_t PollToResult(engine::CJob& job, int32_t limit = 100000) {
  for (int32_t n = 1; n <= limit; ++n) {
    job.Poll();
    if (job.Exist(CMatchRunner::JobResult) != 0) return n;
  }
  return -1;
}

struct RoundRig {
  MatchOnEmptyStage m{1, 1, 4};
  engine::CJob job;
  game::CHeadlessFrameInput input;
  CMatchRunner runner{*m, job, input};
  RoundRig() {
    job.SetComing([this](int32_t index, int32_t framecount, int32_t) {
      if (index == CMatchRunner::JobRound) runner.JobRoundFrame(framecount);
      if (index == CMatchRunner::JobMatchStep) runner.JobMatchStepFrame(framecount);
    });
    job.Add(CMatchRunner::JobRound);
    job.Poll();  // Sub_Init
    m->ballLimit = 0;
    job.Poll();  // the step job's first frame
  }
};

TEST(MatchRound, FallingOutInOneStepDecidesTheWinner) {
  struct Case {
    std::vector<int32_t> pushedOut;  // players placed at x = 800 before the same step
    int32_t winner;
  };
  const Case cases[] = {{{0, 1, 2}, 3}, {{0, 1, 2, 3}, -1}, {{1, 2, 3}, 0}};
  for (const Case& c : cases) {
    RoundRig rig;
    for (int32_t p : c.pushedOut) rig.m->players[static_cast<size_t>(p)].x = 800.0f;
    const int32_t polls = PollToResult(rig.job);
    ASSERT_GT(polls, 0);
    EXPECT_LE(polls, 10) << "the end comes 3 to 8 frames after the fall";
    EXPECT_EQ(rig.m->winner, c.winner);
    int32_t wins = 0;
    for (int32_t w : rig.m->wins) wins += w;
    EXPECT_EQ(wins, c.winner >= 0 ? 1 : 0) << "a draw counts no win";
  }
}

TEST(MatchRound, TwoPlayersOutInOneStepIsADraw) {
  RoundRig rig;
  rig.m->players[2].alive = rig.m->players[3].alive = false;
  rig.job.Poll();
  EXPECT_EQ(rig.m->scheduledEnd, 0) << "two alive: nothing scheduled";
  rig.m->players[0].x = 800.0f;
  rig.m->players[1].y = -1.0f;
  ASSERT_GT(PollToResult(rig.job), 0);
  EXPECT_EQ(rig.m->winner, -1);
  EXPECT_NE(game::CHeadless::RoundLine(*rig.m, false).find(" winner none "), std::string::npos);
}

TEST(MatchRound, HitStopSkipsFrames) {
  struct Case {
    int32_t hitStop;
    int32_t skipAfter;  // skip steps after the next running frame
  };
  // h - 1 > 3 adds one; h - 1 > 8 adds round((h - 9) / 3); never more than 6.
  const Case cases[] = {{1, 0}, {4, 0}, {5, 1}, {9, 1}, {10, 1}, {12, 2}, {15, 3}, {60, 6}};
  for (const Case& c : cases) {
    RoundRig rig;
    const int32_t before = rig.m->frameInRound;
    rig.m->hitStop = c.hitStop;
    rig.job.Poll();
    EXPECT_EQ(rig.m->frameInRound, before + 1);
    EXPECT_EQ(rig.m->hitStop, c.hitStop - 1);
    EXPECT_EQ(rig.m->skipSteps, c.skipAfter) << "hit-stop " << c.hitStop;
    if (c.skipAfter > 0) {
      rig.job.Poll();
      EXPECT_EQ(rig.m->frameInRound, before + 1) << "a skipped frame moves nothing";
      EXPECT_EQ(rig.m->skipSteps, c.skipAfter - 1);
    }
  }
}

TEST(ComputerPlayers, NeverTargetThemselves) {
  for (uint32_t seed = 1; seed <= 4; ++seed) {
    MatchOnEmptyStage m(seed, 0, 0);
    m->Sub_Init();
    m->InitComputers();
    for (int32_t step = 0; step < 3000 && m->AliveCount() > 0; ++step) {
      if (step == 500) {
        m->players[2].alive = false;  // two left: each may only chase the other
        m->players[3].alive = false;
      }
      m->Step();
      for (int32_t p = 0; p < game::kPlayerCount; ++p)
        ASSERT_NE(m->computers[static_cast<size_t>(p)].target, p) << "seed " << seed;
    }
  }
}

TEST(ComputerPlayers, WriteKeysByThePressCounterRule) {
  MatchOnEmptyStage m(9, 1, 0);
  m->Sub_Init();
  m->InitComputers();
  std::array<game::VKey, 4> before{};
  for (int32_t step = 0; step < 2000; ++step) {
    m->Step();
    for (size_t p = 0; p < 4; ++p) {
      const game::VKey& k = m->keys[p];
      EXPECT_EQ(k.Direction, k.x - 3 * k.y);
      for (int b = 0; b < 10; ++b) {
        const int32_t was = before[p].Button[b] < 0 ? 0 : before[p].Button[b];
        const int32_t now = k.Button[b];
        EXPECT_TRUE(now == was + 1 || now == -was) << "button " << b + 1;
      }
    }
    before = m->keys;
  }
}

TEST(ComputerPlayers, WanderWithoutSafeGround) {
  MatchOnEmptyStage m(4, 1, 0);
  m->Sub_Init();
  m->ballLimit = 0;
  m->InitComputers();
  const float x0 = m->players[0].x, y0 = m->players[0].y;
  for (int i = 0; i < 600; ++i) m->Step();
  EXPECT_TRUE(m->players[0].x != x0 || m->players[0].y != y0 || !m->players[0].alive)
      << "with no green pixel the last point of the search is used and the player moves";
}

std::vector<std::string> Headless(uint32_t seed, int32_t mode, int32_t rounds,
                                  game::CMatchTape* record = nullptr,
                                  const game::CMatchTape* replay = nullptr,
                                  std::string* error = nullptr) {
  MatchOnEmptyStage m(seed, mode, 0);
  std::vector<std::string> lines;
  int64_t steps = 0;
  const std::string e = game::CHeadless::PlayRounds(
      *m, rounds, record, replay, [&](const std::string& l) { lines.push_back(l); }, steps);
  if (error != nullptr) *error = e;
  return lines;
}

TEST(Headless, SeededRunsReproduceThemselves) {
  const std::vector<std::string> a = Headless(42, 0, 3);
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a, Headless(42, 0, 3));
  EXPECT_NE(a, Headless(43, 0, 3));
  for (size_t i = 0; i < a.size(); ++i)
    EXPECT_EQ(a[i].rfind("round " + std::to_string(i + 1) + " mode ", 0), 0u) << a[i];
}

TEST(Headless, StepCapCutsARound) {
  // Humans standing still in the middle; no ball from a corner reaches them in 50 steps.
  MatchOnEmptyStage m(1, 1, 4);
  std::vector<std::string> lines;
  int64_t steps = 0;
  game::CHeadless::PlayRounds(
      *m, 2, nullptr, nullptr, [&](const std::string& l) { lines.push_back(l); }, steps, 50);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "round 1 mode 1 winner cut steps 50");
  EXPECT_EQ(lines[1], "round 2 mode 1 winner cut steps 50");
  EXPECT_EQ(steps, 100);
  EXPECT_EQ(m->wins, (std::array<int32_t, 4>{}));
}

TEST(Replay, RecordedRoundsReplayIdentically) {
  game::CMatchTape tape;
  const std::vector<std::string> played = Headless(7, 0, 2, &tape);
  ASSERT_EQ(tape.rounds.size(), 2u);
  game::CMatchTape parsed;
  ASSERT_EQ(game::CMatchTape::Parse(tape.Serialize(), parsed), "");
  std::string error;
  EXPECT_EQ(Headless(7, 0, 2, nullptr, &parsed, &error), played);
  EXPECT_EQ(error, "");

  // A computer's key changed on the tape: the replay notices that the match went elsewhere.
  game::CMatchTape bent = parsed;
  auto& step = bent.rounds[0].steps[bent.rounds[0].steps.size() / 2];
  step[1] ^= 1u << 21;
  Headless(7, 0, 2, nullptr, &bent, &error);
  EXPECT_NE(error.find("went another way"), std::string::npos) << error;
}

// Human players driven by a scripted pattern of presses and directions.
class ScriptedHumans final : public game::IMatchFrameInput {
 public:
  int32_t StepsOwed() override { return 1 + (m_frame++ % 3 == 0 ? 1 : 0); }
  bool BackspacePressed() override { return m_frame == 400; }
  void UpdateKeys() override {}
  void HumanKeys(std::array<game::VKey, 4>& keys, int32_t humans) override {
    ++m_tick;
    for (int32_t p = 0; p < humans; ++p) {
      game::VKey& k = keys[static_cast<size_t>(p)];
      k.x = static_cast<int32_t>((m_tick / 37 + p) % 3) - 1;
      k.y = static_cast<int32_t>((m_tick / 53 + 2 * p) % 3) - 1;
      k.Direction = k.x - 3 * k.y;
      for (int b = 0; b < 10; ++b) {
        const bool down = ((m_tick + 7 * b + 13 * p) % (11 + b)) < 3;
        if (k.Button[b] < 0) k.Button[b] = 0;
        k.Button[b] = down ? k.Button[b] + 1 : -k.Button[b];
      }
    }
  }

 private:
  int32_t m_frame = 0;
  int32_t m_tick = 0;
};

TEST(Replay, HumanKeysAndFramesComeBackFromTheTape) {
  auto play = [](game::CMatchTape* record, const game::CMatchTape* replay, std::string& error) {
    MatchOnEmptyStage m(21, 1, 2);
    ScriptedHumans humans;
    game::CHeadlessFrameInput none;
    std::vector<std::string> lines;
    int64_t steps = 0;
    error = game::CHeadless::PlayRounds(
        *m, 1, record, replay, [&](const std::string& l) { lines.push_back(l); }, steps,
        game::CHeadless::kStepCap, replay != nullptr ? static_cast<game::IMatchFrameInput*>(&none)
                                                     : &humans);
    return std::make_pair(lines, m->players);
  };
  game::CMatchTape tape;
  tape.humanPlayers = 2;
  std::string error;
  const auto recorded = play(&tape, nullptr, error);
  ASSERT_EQ(recorded.first.size(), 1u);
  const auto replayed = play(nullptr, &tape, error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(replayed.first, recorded.first);
  for (size_t p = 0; p < 4; ++p) {
    EXPECT_EQ(replayed.second[p].x, recorded.second[p].x) << p;
    EXPECT_EQ(replayed.second[p].damage, recorded.second[p].damage) << p;
  }
}

}  // namespace

// The scene jobs' chaining as traces of the running job sets, frame by frame (repeated sets
// folded): a whole game cycle through two rounds and out by the menu, a close in the middle of a
// match (no result screen), the "工事中" screen and the key dialog beside the menu.
#include "game/CSceneChain.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "MatchTestSupport.h"
#include "game/CMatchRunner.h"

namespace {

using namespace game::scene;
using JobSet = std::set<int32_t>;

struct Cycle {
  engine::CJob job;
  game::CSceneChain chain{job};
  game_test::MatchOnEmptyStage m{1, 1, 4};
  game::CHeadlessFrameInput input;
  game::CMatchRunner runner{*m, job, input};
  std::vector<JobSet> trace;
  int32_t bootSetUps = 0;

  Cycle() {
    chain.SetMatch([this](int32_t index, int32_t framecount, int32_t) {
      if (index == JobRound) runner.JobRoundFrame(framecount);
      if (index == JobMatchStep) runner.JobMatchStepFrame(framecount);
      // Three players step off the field at once, so every round ends soon.
      if (index == JobRound && framecount == 2)
        for (size_t p = 1; p < 4; ++p) m->players[p].x = 800.0f;
    });
    chain.SetBootSetUp([this] { ++bootSetUps; });
    job.SetComing([this](int32_t i, int32_t f, int32_t msg) { chain.Coming(i, f, msg); });
    job.Add(JobBoot);
  }
  // One frame; the jobs running after it (not those in their final frame).
  int32_t Frame() {
    const int32_t n = job.Poll();
    JobSet running;
    for (int32_t k = 1; k <= 12; ++k)
      if (job.Exist(k) > 0) running.insert(k);
    if (trace.empty() || trace.back() != running) trace.push_back(running);
    return n;
  }
  void FramesUntil(int32_t key, int32_t count = 1) {
    for (int i = 0; i < 100000 && job.Exist(key) < count; ++i) Frame();
    ASSERT_GE(job.Exist(key), count) << "job " << key << " did not run";
  }
  void RunOut() {
    for (int i = 0; i < 1000 && Frame() != 0; ++i) {
    }
  }
};

TEST(SceneChain, TwoRoundsThenExitFromTheMenu) {
  Cycle c;
  c.FramesUntil(JobMenu, 2);
  EXPECT_TRUE(c.chain.catchClose);
  c.chain.reports.menuItem = 0;
  c.FramesUntil(JobResult, 41);
  c.chain.reports.resultNextRound = true;
  c.FramesUntil(JobRound, 1);
  c.FramesUntil(JobResult, 41);
  c.chain.reports.resultToMenu = true;
  c.FramesUntil(JobMenu, 2);
  c.chain.reports.menuItem = 4;  // exit: the close is caught and becomes the wipe
  c.FramesUntil(JobExit, 2);
  c.chain.reports.wipeFinished = true;
  c.RunOut();
  EXPECT_TRUE(c.chain.formUnloaded);
  EXPECT_FALSE(c.chain.catchClose);
  EXPECT_EQ(c.bootSetUps, 1);
  EXPECT_EQ(c.m->roundNumber, 2);
  const std::vector<JobSet> expected = {
      {JobBoot},        {JobMenu, JobCloseWatch},
      {JobRound, JobCloseWatch}, {JobMatchStep, JobRound, JobMatchDraw, JobCloseWatch},
      {JobResult, JobCloseWatch}, {JobRound, JobCloseWatch},
      {JobMatchStep, JobRound, JobMatchDraw, JobCloseWatch}, {JobResult, JobCloseWatch},
      {JobMenu, JobCloseWatch}, {JobExit}, {}};
  EXPECT_EQ(c.trace, expected);
}

TEST(SceneChain, CloseDuringAMatchSkipsTheResult) {
  Cycle c;
  c.FramesUntil(JobMenu, 2);
  c.chain.reports.menuItem = 0;
  c.FramesUntil(JobMatchStep, 2);
  c.chain.UnloadForm();  // the user closes the window: refused while the watch runs
  EXPECT_FALSE(c.chain.formUnloaded);
  c.FramesUntil(JobExit, 3);
  c.chain.reports.wipeFinished = true;
  c.RunOut();
  EXPECT_TRUE(c.chain.formUnloaded);
  const std::vector<JobSet> expected = {
      {JobBoot}, {JobMenu, JobCloseWatch}, {JobRound, JobCloseWatch},
      {JobMatchStep, JobRound, JobMatchDraw, JobCloseWatch}, {JobExit}, {}};
  EXPECT_EQ(c.trace, expected);
}

TEST(SceneChain, UnderConstructionAndTheKeyDialogBesideTheMenu) {
  Cycle c;
  c.FramesUntil(JobMenu, 2);
  c.chain.reports.menuItem = 3;
  c.FramesUntil(JobUnderConstruction, 2);
  c.chain.reports.constructionButton = true;  // too early: ignored before frame 11
  c.Frame();
  EXPECT_GT(c.job.Exist(JobUnderConstruction), 0);
  c.FramesUntil(JobUnderConstruction, 11);
  c.chain.reports.constructionButton = true;
  c.FramesUntil(JobMenu, 2);
  c.job.SendMessage(JobKeyDialog, 2);
  c.job.Add(JobKeyDialog);
  c.Frame();
  c.Frame();
  EXPECT_EQ(c.chain.keyDialogPlayer, 2);
  const std::vector<JobSet> expected = {
      {JobBoot},
      {JobMenu, JobCloseWatch},
      {JobUnderConstruction, JobCloseWatch},
      {JobMenu, JobCloseWatch},
      {JobKeyDialog, JobMenu, JobCloseWatch},
      {JobMenu, JobCloseWatch}};
  EXPECT_EQ(c.trace, expected);
}

}  // namespace

// Scheduler behaviour: event order, frame counts, final frames, messages, ignored keys.
#include "engine/CJob.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

namespace {

struct Event {
  int32_t index, framecount, msg;
  bool operator==(const Event&) const = default;
};

void PrintTo(const Event& e, std::ostream* os) {
  *os << "(" << e.index << "," << e.framecount << "," << e.msg << ")";
}

class CJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    job.SetComing([this](int32_t index, int32_t framecount, int32_t msg) {
      events.push_back({index, framecount, msg});
      if (onComing) onComing(index, framecount, msg);
    });
  }
  // Runs one Poll and returns the events it raised.
  std::vector<Event> Step(int32_t* running = nullptr) {
    events.clear();
    const int32_t n = job.Poll();
    if (running != nullptr) *running = n;
    return events;
  }

  engine::CJob job;
  std::vector<Event> events;
  std::function<void(int32_t, int32_t, int32_t)> onComing;
};

using Events = std::vector<Event>;

TEST_F(CJobTest, AddedJobCountsFramesFromOne) {
  job.Add(1);
  EXPECT_EQ(job.Exist(1), 0) << "waiting to start is not running";
  int32_t running = 0;
  EXPECT_EQ(Step(&running), (Events{{1, 1, 0}}));
  EXPECT_EQ(running, 1);
  EXPECT_EQ(Step(), (Events{{1, 2, 0}}));
  EXPECT_EQ(job.Exist(1), 2);
}

TEST_F(CJobTest, EventsInAscendingKeyOrderWhateverTheAddOrder) {
  for (int32_t key : {9, 3, 32, 1, 7}) job.Add(key);
  EXPECT_EQ(Step(), (Events{{1, 1, 0}, {3, 1, 0}, {7, 1, 0}, {9, 1, 0}, {32, 1, 0}}));
  job.Add(5);
  EXPECT_EQ(Step(), (Events{{1, 2, 0}, {3, 2, 0}, {5, 1, 0}, {7, 2, 0}, {9, 2, 0}, {32, 2, 0}}));
}

TEST_F(CJobTest, JobAddedInsideAnEventCarriesTheCallerKey) {
  job.Add(3);
  onComing = [this](int32_t index, int32_t framecount, int32_t) {
    if (index == 3 && framecount == 1) job.Add(5);
  };
  EXPECT_EQ(Step(), (Events{{3, 1, 0}}));
  onComing = nullptr;
  EXPECT_EQ(Step(), (Events{{3, 2, 0}, {5, 1, 3}}));
  EXPECT_EQ(Step(), (Events{{3, 3, 0}, {5, 2, 3}}));
}

TEST_F(CJobTest, RemovedJobGetsOneFinalNegativeFrame) {
  job.Add(4);
  for (int i = 0; i < 5; ++i) Step();
  ASSERT_EQ(job.Exist(4), 5);
  job.Remove(4);
  int32_t running = 0;
  EXPECT_EQ(Step(&running), (Events{{4, -6, 0}}));
  EXPECT_EQ(running, 1);
  EXPECT_EQ(job.Exist(4), -6);
  job.Remove(4);  // already ending: nothing more
  job.Add(4);     // ending jobs cannot be added
  EXPECT_EQ(Step(&running), Events{});
  EXPECT_EQ(running, 0);
  EXPECT_EQ(job.Exist(4), 0);
  EXPECT_EQ(Step(), Events{}) << "the Add on the ending job was ignored";
}

TEST_F(CJobTest, AddAndRemoveOnIdleJobInOneFrameStarts) {
  job.Add(2);
  job.Remove(2);
  EXPECT_EQ(Step(), (Events{{2, 1, 0}}));
  EXPECT_EQ(Step(), (Events{{2, 2, 0}}));
}

TEST_F(CJobTest, DestroyEndsEverythingAfterOneFinalFrame) {
  job.Add(1);
  job.Add(2);
  Step();
  Step();
  job.Destroy();
  job.Add(6);  // waiting to start: untouched by Destroy
  int32_t running = 0;
  EXPECT_EQ(Step(&running), (Events{{1, -3, 0}, {2, -3, 0}, {6, 1, 0}}));
  EXPECT_EQ(running, 3);
  job.Destroy();
  EXPECT_EQ(Step(&running), (Events{{6, -2, 0}}))
      << "jobs 1 and 2 leave; the second Destroy caught job 6";
  EXPECT_EQ(running, 1);
}

TEST_F(CJobTest, DestroyTwiceBeforeTheSecondPollChangesNothing) {
  job.Add(1);
  job.Add(8);
  Step();
  job.Destroy();
  int32_t running = 0;
  EXPECT_EQ(Step(&running), (Events{{1, -2, 0}, {8, -2, 0}}));
  EXPECT_EQ(running, 2);
  job.Destroy();
  EXPECT_EQ(Step(&running), Events{});
  EXPECT_EQ(running, 0);
}

TEST_F(CJobTest, JobAddedAgainAfterEndingStartsAfresh) {
  job.Add(10);
  Step();
  Step();
  job.Remove(10);
  Step();
  Step();
  job.Add(10);
  EXPECT_EQ(Step(), (Events{{10, 1, 0}}));
}

TEST_F(CJobTest, OutOfRangeKeysAreIgnored) {
  for (int32_t key : {0, 33, -1, INT32_MIN, INT32_MAX}) {
    job.Add(key);
    job.Remove(key);
    EXPECT_EQ(job.Exist(key), 0) << key;
  }
  int32_t running = -1;
  EXPECT_EQ(Step(&running), Events{});
  EXPECT_EQ(running, 0);
}

TEST_F(CJobTest, MessagesComeFirstEvenToIdleJobs) {
  job.Add(3);
  Step();
  job.SendMessage(7, 42);
  job.SendMessage(99, -5);  // the key is not range-tested
  EXPECT_EQ(Step(), (Events{{7, 0, 42}, {99, 0, -5}, {3, 2, 0}}));
  EXPECT_EQ(Step(), (Events{{3, 3, 0}})) << "messages are delivered once";
}

TEST_F(CJobTest, MessageSentDuringDeliveryWaitsForNextPoll) {
  job.SendMessage(1, 1);
  onComing = [this](int32_t index, int32_t framecount, int32_t msg) {
    if (framecount == 0 && msg == 1) job.SendMessage(index, 2);
  };
  EXPECT_EQ(Step(), (Events{{1, 0, 1}}));
  onComing = nullptr;
  EXPECT_EQ(Step(), (Events{{1, 0, 2}}));
}

TEST_F(CJobTest, JobAddedWhileAMessageIsDeliveredTakesTheMessageKeyAsCaller) {
  job.SendMessage(12, 0);
  onComing = [this](int32_t index, int32_t framecount, int32_t) {
    if (index == 12 && framecount == 0) job.Add(4);
  };
  Step();
  onComing = nullptr;
  EXPECT_EQ(Step(), (Events{{4, 1, 12}}));
  EXPECT_EQ(job.CurrentKey(), 0);
}

TEST_F(CJobTest, HandlerChangingItsArgumentsChangesNothing) {
  engine::CJob j;
  std::vector<Event> seen;
  j.SetComing([&](int32_t index, int32_t framecount, int32_t msg) {
    seen.push_back({index, framecount, msg});
    index = 0;
    framecount = -1;
    msg = 9;
    (void)index;
    (void)framecount;
    (void)msg;
  });
  j.Add(1);
  j.Poll();
  j.Poll();
  EXPECT_EQ(seen, (Events{{1, 1, 0}, {1, 2, 0}}));
}

}  // namespace

// The job scheduler: the game's scenes run as numbered jobs (keys 1..32). Starts and stops take
// effect at the next Poll, which raises Coming once per running job in ascending key order,
// after the queued messages. Relies on nothing but the C++ runtime.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace engine {

class CJob {
 public:
  static constexpr int32_t kFirstKey = 1;
  static constexpr int32_t kLastKey = 32;

  // Coming(index, framecount, msg): the values are copies; changing them changes nothing here.
  using ComingHandler = std::function<void(int32_t index, int32_t framecount, int32_t msg)>;

  CJob();

  void SetComing(ComingHandler handler) { m_coming = std::move(handler); }

  void Add(int32_t key);
  void Remove(int32_t key);
  void Destroy();
  [[nodiscard]] int32_t Exist(int32_t key) const;
  void SendMessage(int32_t key, int32_t msg);
  int32_t Poll();

  // The key whose Coming is being raised, 0 outside dispatch.
  [[nodiscard]] int32_t CurrentKey() const { return m_currentKey; }
  [[nodiscard]] int32_t RunningCount() const { return m_runningCount; }

 private:
  struct Record {
    int32_t frameCount = 0;
    int32_t callerKey = 0;
    int32_t nextKey = 0;
    bool startPending = false;
    bool running = false;
    bool stopRequested = false;
  };
  struct Message {
    int32_t key = 0;
    int32_t msg = 0;
  };

  static bool InRange(int32_t key) { return key >= kFirstKey && key <= kLastKey; }
  void Raise(int32_t index, int32_t framecount, int32_t msg);

  Record m_table[kLastKey + 1];
  int32_t m_currentKey = 0;
  int32_t m_pendingHead = 0;
  int32_t m_runningCount = 0;
  std::vector<Message> m_messages;
  ComingHandler m_coming;
};

}  // namespace engine

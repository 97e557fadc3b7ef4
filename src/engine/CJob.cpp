// Job scheduler: a fixed table of 33 records, a running list linked in ascending key order from
// record 0, a stack of jobs waiting to start and a message queue.
#include "engine/CJob.h"

#include <limits>

namespace engine {

CJob::CJob() { m_table[0].running = true; }

void CJob::Add(int32_t key) {
  if (!InRange(key)) return;
  Record& r = m_table[key];
  if (r.running || r.startPending) return;
  r.startPending = true;
  r.callerKey = m_currentKey;
  r.nextKey = m_pendingHead;
  m_pendingHead = key;
}

void CJob::Remove(int32_t key) {
  if (!InRange(key)) return;
  Record& r = m_table[key];
  if (!r.running) return;
  r.stopRequested = true;
}

void CJob::Destroy() {
  for (int32_t key = m_table[0].nextKey; key != 0; key = m_table[key].nextKey) Remove(key);
}

int32_t CJob::Exist(int32_t key) const {
  if (!InRange(key)) return 0;
  const Record& r = m_table[key];
  return r.running ? r.frameCount : 0;
}

void CJob::SendMessage(int32_t key, int32_t msg) { m_messages.push_back({key, msg}); }

void CJob::Raise(int32_t index, int32_t framecount, int32_t msg) {
  if (m_coming) m_coming(index, framecount, msg);
}

int32_t CJob::Poll() {
  // Start the waiting jobs, most recently added first.
  while (m_pendingHead != 0) {
    const int32_t key = m_pendingHead;
    Record& r = m_table[key];
    m_pendingHead = r.nextKey;
    r.startPending = false;
    int32_t prev = 0;
    while (m_table[prev].nextKey != 0 && m_table[prev].nextKey < key) prev = m_table[prev].nextKey;
    r.nextKey = m_table[prev].nextKey;
    m_table[prev].nextKey = key;
    r.running = true;
    r.frameCount = 0;
    ++m_runningCount;
  }

  // Advance the running jobs; a job in its final frame leaves now.
  int32_t prev = 0;
  for (int32_t key = m_table[0].nextKey; key != 0;) {
    Record& r = m_table[key];
    const int32_t next = r.nextKey;
    if (r.frameCount < 0) {
      m_table[prev].nextKey = next;
      r = Record{};
      --m_runningCount;
    } else {
      if (r.stopRequested) {
        r.stopRequested = false;
        r.frameCount = ~r.frameCount;
      } else if (r.frameCount < std::numeric_limits<int32_t>::max()) {
        ++r.frameCount;
      }
      prev = key;
    }
    key = next;
  }

  // Messages sent while these are delivered wait for the next Poll.
  if (!m_messages.empty()) {
    std::vector<Message> batch;
    batch.swap(m_messages);
    for (const Message& m : batch) {
      m_currentKey = m.key;
      Raise(m.key, 0, m.msg);
    }
  }

  for (int32_t key = m_table[0].nextKey; key != 0; key = m_table[key].nextKey) {
    m_currentKey = key;
    Raise(key, m_table[key].frameCount, m_table[key].callerKey);
  }

  m_currentKey = 0;
  return m_runningCount;
}

}  // namespace engine

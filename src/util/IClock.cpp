// The default clock: milliseconds of std::chrono::steady_clock since its first use.
#include "util/IClock.h"

#include <chrono>
#include <thread>

namespace util {

namespace {

class CSteadyClock final : public IClock {
 public:
  uint32_t NowMs() override {
    const auto elapsed = std::chrono::steady_clock::now() - m_start;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
  }
  void SleepMs(uint32_t ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }

 private:
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

}  // namespace

IClock& SteadyClock() {
  static CSteadyClock clock;
  return clock;
}

}  // namespace util

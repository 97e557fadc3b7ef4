// IClock: the millisecond clock and sleep behind the utility object's time helpers. The default
// is a steady clock counted from its first use; tests inject a fake one to drive time by hand.
#pragma once

#include <cstdint>

namespace util {

class IClock {
 public:
  virtual ~IClock() = default;
  // Milliseconds on a steady clock; wraps around at 2^32 like the tick counter it stands for.
  virtual uint32_t NowMs() = 0;
  virtual void SleepMs(uint32_t ms) = 0;
};

// The real clock: std::chrono::steady_clock since the first call, std::this_thread::sleep_for.
IClock& SteadyClock();

}  // namespace util

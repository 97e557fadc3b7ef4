// Where the keyboard's state comes from: 256 key bytes indexed by scan code, 0x80 for a key
// that is down. The SDL source reads the live keyboard; tests drive a fake. No dependencies.
#pragma once

#include <array>
#include <cstdint>

namespace input {

using KeyBytes = std::array<uint8_t, 256>;

inline constexpr uint8_t kKeyDown = 0x80;

enum class KeyReadResult {
  kOk,       // `keys` holds the current state
  kNoFocus,  // the window does not have the keyboard: every key reads as up
  kFailed,   // nothing could be read this time; the caller keeps the previous state
};

class IKeyStateSource {
 public:
  virtual ~IKeyStateSource() = default;
  // Fills every byte of `keys` when the result is kOk; leaves it alone otherwise.
  virtual KeyReadResult Read(KeyBytes& keys) = 0;
};

}  // namespace input

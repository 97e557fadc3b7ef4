// Where the mouse's state comes from: cursor position in the window's pixels, movement and
// wheel since the last read, four buttons. The SDL source reads the live mouse; tests drive a
// fake. No dependencies.
#pragma once

#include <cstdint>

namespace input {

struct MouseReading {
  int32_t x = 0;      // cursor position
  int32_t y = 0;
  int32_t dx = 0;     // movement since the previous read
  int32_t dy = 0;
  int32_t wheel = 0;  // wheel movement since the previous read, 120 per notch, forward positive
  uint8_t buttons[4] = {};  // left, right, middle, fourth; 0x80 when down
};

enum class MouseReadResult {
  kOk,       // the whole reading is current
  kNoFocus,  // the window does not have the mouse: position kept, buttons up
  kFailed,   // nothing could be read; the caller keeps the previous reading
};

class IMouseStateSource {
 public:
  virtual ~IMouseStateSource() = default;
  virtual MouseReadResult Read(MouseReading& out) = 0;
};

}  // namespace input

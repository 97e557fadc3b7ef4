// Display names of input codes, as the key configuration screens show them ("Key_Z",
// "Pad1_↑", "Pad2_Button3"); the empty string for a code without a name. No dependencies.
#pragma once

#include <cstdint>
#include <string>

namespace input {

// The keyboard part alone ("Z", "左CTRL", "NUM7"), empty for an unnamed scan code.
[[nodiscard]] std::string ScanCodeName(int32_t scanCode);

// The full name of an input code.
[[nodiscard]] std::string InputCodeName(int32_t code);

}  // namespace input

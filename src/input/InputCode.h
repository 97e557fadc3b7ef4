// Input codes: one 16-bit value names one physical input (a keyboard key by its scan code, a
// joystick direction or a joystick button), plus the keyboard scan codes the module relies on.
// Plain constants and helpers; no dependencies.
#pragma once

#include <cstdint>

namespace input {

// Kind, bits 12 to 14.
inline constexpr int32_t kCodeKindMask = 0x7000;
inline constexpr int32_t kCodeKeyboard = 0x1000;
inline constexpr int32_t kCodeDirection = 0x2000;
inline constexpr int32_t kCodeButton = 0x4000;

// Direction values, bits 0 to 7 of a direction code.
inline constexpr int32_t kDirUp = 0;
inline constexpr int32_t kDirDown = 1;
inline constexpr int32_t kDirLeft = 2;
inline constexpr int32_t kDirRight = 3;

inline constexpr int32_t kMaxJoysticks = 16;
inline constexpr int32_t kJoystickButtons = 32;

[[nodiscard]] constexpr int32_t CodeKind(int32_t code) { return code & kCodeKindMask; }
// Joystick number minus 1, bits 8 to 11.
[[nodiscard]] constexpr int32_t CodeJoystick(int32_t code) { return (code >> 8) & 0x0F; }
[[nodiscard]] constexpr int32_t CodeLow(int32_t code) { return code & 0xFF; }

[[nodiscard]] constexpr int32_t KeyCode(int32_t scanCode) { return kCodeKeyboard + (scanCode & 0xFF); }
[[nodiscard]] constexpr int32_t DirectionCode(int32_t joystick, int32_t direction) {
  return kCodeDirection + ((joystick & 0x0F) << 8) + (direction & 0xFF);
}
[[nodiscard]] constexpr int32_t ButtonCode(int32_t joystick, int32_t button) {
  return kCodeButton + ((joystick & 0x0F) << 8) + (button & 0x1F);
}

// Keyboard scan codes (the classic PC set; extended keys carry 0x80).
namespace scan {
inline constexpr int32_t kEscape = 1;
inline constexpr int32_t kBack = 14;
inline constexpr int32_t kQ = 16;
inline constexpr int32_t kW = 17;
inline constexpr int32_t kE = 18;
inline constexpr int32_t kR = 19;
inline constexpr int32_t kReturn = 28;
inline constexpr int32_t kLeftControl = 29;
inline constexpr int32_t kA = 30;
inline constexpr int32_t kS = 31;
inline constexpr int32_t kD = 32;
inline constexpr int32_t kH = 35;
inline constexpr int32_t kLeftShift = 42;
inline constexpr int32_t kZ = 44;
inline constexpr int32_t kX = 45;
inline constexpr int32_t kC = 46;
inline constexpr int32_t kB = 48;
inline constexpr int32_t kN = 49;
inline constexpr int32_t kM = 50;
inline constexpr int32_t kRightShift = 54;
inline constexpr int32_t kLeftAlt = 56;
inline constexpr int32_t kSpace = 57;
inline constexpr int32_t kNumpad7 = 71;
inline constexpr int32_t kNumpad8 = 72;
inline constexpr int32_t kNumpad9 = 73;
inline constexpr int32_t kNumpad4 = 75;
inline constexpr int32_t kNumpad5 = 76;
inline constexpr int32_t kNumpad6 = 77;
inline constexpr int32_t kNumpadPlus = 78;
inline constexpr int32_t kNumpad1 = 79;
inline constexpr int32_t kNumpad2 = 80;
inline constexpr int32_t kNumpad3 = 81;
inline constexpr int32_t kNumpadEnter = 156;
inline constexpr int32_t kRightControl = 157;
inline constexpr int32_t kRightAlt = 184;
inline constexpr int32_t kUp = 200;
inline constexpr int32_t kLeft = 203;
inline constexpr int32_t kRight = 205;
inline constexpr int32_t kDown = 208;
}  // namespace scan

}  // namespace input

// The name table. The digit row (scan codes 2 to 11) deliberately has no names, so those keys
// cannot be bound on the configuration screens.
#include "input/KeyNames.h"

#include <string_view>

#include "input/InputCode.h"

namespace input {
namespace {

std::string Letter(std::string_view letters, int32_t index) {
  return std::string(1, letters[static_cast<size_t>(index)]);
}

}  // namespace

std::string ScanCodeName(int32_t scanCode) {
  if (scanCode >= 16 && scanCode <= 27) return Letter("QWERTYUIOP[]", scanCode - 16);
  if (scanCode >= 30 && scanCode <= 38) return Letter("ASDFGHJKL", scanCode - 30);
  if (scanCode >= 44 && scanCode <= 53) return Letter("ZXCVBNM,./", scanCode - 44);
  if (scanCode >= 71 && scanCode <= 83) return "NUM" + Letter("789-456+1230.", scanCode - 71);
  switch (scanCode) {
    case 1: return "ESCAPE";
    case 12: return "MINUS";
    case 13: return "EQUALS";
    case 14: return "BACK";
    case 15: return "TAB";
    case 28: return "RETURN";
    case 29: return "左CTRL";
    case 39: return "SEMICOLON";
    case 40: return "APOSTROPHE";
    case 41: return "GRAVE";
    case 42: return "左SHIFT";
    case 43: return "BACKSLASH";
    case 54: return "右SHIFT";
    case 55: return "MULTIPLY";
    case 57: return "SPACE";
    case 157: return "右CTRL";
    case 200: return "↑";
    case 203: return "←";
    case 205: return "→";
    case 208: return "↓";
    default: return {};
  }
}

std::string InputCodeName(int32_t code) {
  const std::string pad = "Pad" + std::to_string(CodeJoystick(code) + 1) + "_";
  switch (CodeKind(code)) {
    case kCodeKeyboard: {
      std::string name = ScanCodeName(CodeLow(code));
      return name.empty() ? name : "Key_" + name;
    }
    case kCodeDirection:
      switch (CodeLow(code)) {
        case kDirUp: return pad + "↑";
        case kDirDown: return pad + "↓";
        case kDirLeft: return pad + "←";
        case kDirRight: return pad + "→";
        default: return pad;
      }
    case kCodeButton:
      return pad + "Button" + std::to_string((code & 0x1F) + 1);
    default:
      return {};
  }
}

}  // namespace input

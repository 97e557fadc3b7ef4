#include <gtest/gtest.h>

#include <map>
#include <string>

#include "input/spLibInput.h"

namespace input {
namespace {

// Every named key, as the configuration screens show them.
const std::map<int, std::string>& NamedKeys() {
  static const std::map<int, std::string> names = [] {
    std::map<int, std::string> m = {
        {1, "ESCAPE"},      {12, "MINUS"},      {13, "EQUALS"}, {14, "BACK"},
        {15, "TAB"},        {28, "RETURN"},     {29, "左CTRL"}, {39, "SEMICOLON"},
        {40, "APOSTROPHE"}, {41, "GRAVE"},      {42, "左SHIFT"}, {43, "BACKSLASH"},
        {54, "右SHIFT"},    {55, "MULTIPLY"},   {57, "SPACE"},  {157, "右CTRL"},
        {200, "↑"},         {203, "←"},         {205, "→"},     {208, "↓"},
    };
    const std::string row1 = "QWERTYUIOP[]";
    for (int i = 0; i < 12; ++i) m[16 + i] = row1.substr(static_cast<size_t>(i), 1);
    const std::string row2 = "ASDFGHJKL";
    for (int i = 0; i < 9; ++i) m[30 + i] = row2.substr(static_cast<size_t>(i), 1);
    const std::string row3 = "ZXCVBNM,./";
    for (int i = 0; i < 10; ++i) m[44 + i] = row3.substr(static_cast<size_t>(i), 1);
    const std::string pad = "789-456+1230.";
    for (int i = 0; i < 13; ++i) m[71 + i] = "NUM" + pad.substr(static_cast<size_t>(i), 1);
    return m;
  }();
  return names;
}

TEST(KeyName, EveryScanCodeHasItsNameOrNone) {
  EXPECT_EQ(NamedKeys().size(), 64u);
  for (int sc = 0; sc < 256; ++sc) {
    const auto it = NamedKeys().find(sc);
    const std::string expected = it == NamedKeys().end() ? "" : "Key_" + it->second;
    EXPECT_EQ(spLibInput::KeyName(0x1000 + sc), expected) << "scan code " << sc;
  }
}

TEST(KeyName, SpotChecksAndJoystickCodes) {
  const struct {
    int32_t code;
    const char* name;
  } cases[] = {
      {0x1000 + 56, ""},  // left Alt has no name
      {0x1000 + 2, ""},   // nor has the digit row
      {0x1000 + 11, ""},
      {0x1000 + 16, "Key_Q"},
      {0x1000 + 74, "Key_NUM-"},
      {0x1000 + 83, "Key_NUM."},
      {0x4102, "Pad2_Button3"},
      {0x4000, "Pad1_Button1"},
      {0x4F1F, "Pad16_Button32"},
      {0x2000, "Pad1_↑"},
      {0x2301, "Pad4_↓"},
      {0x2102, "Pad2_←"},
      {0x2003, "Pad1_→"},
      {0x2004, "Pad1_"},  // a direction beyond the four has the bare prefix
      {0x22FF, "Pad3_"},
      {0x2F00, "Pad16_↑"},
      {0x0000, ""},
      {0x0041, ""},
      {0x3000, ""},
      {0x5000, ""},
      {0x7000, ""},
      {-1, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(spLibInput::KeyName(c.code), c.name) << std::hex << c.code;
  }
}

}  // namespace
}  // namespace input

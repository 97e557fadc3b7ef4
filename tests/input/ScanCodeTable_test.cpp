#include <gtest/gtest.h>

#include <SDL.h>

#include <set>

#include "input/ScanCodeTable.h"
#include "input/spLibInput.h"

namespace input {
namespace {

TEST(ScanCodeTable, KeysLandOnTheirPcScanCodes) {
  const struct {
    SDL_Scancode sdl;
    int scan;
  } cases[] = {
      {SDL_SCANCODE_ESCAPE, 1},     {SDL_SCANCODE_1, 2},          {SDL_SCANCODE_0, 11},
      {SDL_SCANCODE_BACKSPACE, 14}, {SDL_SCANCODE_Q, 16},         {SDL_SCANCODE_RETURN, 28},
      {SDL_SCANCODE_LCTRL, 29},     {SDL_SCANCODE_RCTRL, 157},    {SDL_SCANCODE_LSHIFT, 42},
      {SDL_SCANCODE_RSHIFT, 54},    {SDL_SCANCODE_LALT, 56},      {SDL_SCANCODE_RALT, 184},
      {SDL_SCANCODE_A, 30},         {SDL_SCANCODE_H, 35},         {SDL_SCANCODE_Z, 44},
      {SDL_SCANCODE_B, 48},         {SDL_SCANCODE_N, 49},         {SDL_SCANCODE_M, 50},
      {SDL_SCANCODE_SLASH, 53},     {SDL_SCANCODE_SPACE, 57},     {SDL_SCANCODE_F1, 59},
      {SDL_SCANCODE_F10, 68},       {SDL_SCANCODE_F11, 87},       {SDL_SCANCODE_F12, 88},
      {SDL_SCANCODE_UP, 200},       {SDL_SCANCODE_DOWN, 208},     {SDL_SCANCODE_LEFT, 203},
      {SDL_SCANCODE_RIGHT, 205},    {SDL_SCANCODE_KP_7, 71},      {SDL_SCANCODE_KP_8, 72},
      {SDL_SCANCODE_KP_9, 73},      {SDL_SCANCODE_KP_MINUS, 74},  {SDL_SCANCODE_KP_4, 75},
      {SDL_SCANCODE_KP_5, 76},      {SDL_SCANCODE_KP_6, 77},      {SDL_SCANCODE_KP_PLUS, 78},
      {SDL_SCANCODE_KP_1, 79},      {SDL_SCANCODE_KP_2, 80},      {SDL_SCANCODE_KP_3, 81},
      {SDL_SCANCODE_KP_0, 82},      {SDL_SCANCODE_KP_PERIOD, 83}, {SDL_SCANCODE_KP_ENTER, 156},
      {SDL_SCANCODE_KP_DIVIDE, 181},{SDL_SCANCODE_KP_MULTIPLY, 55},{SDL_SCANCODE_HOME, 199},
      {SDL_SCANCODE_PAGEDOWN, 209}, {SDL_SCANCODE_DELETE, 211},   {SDL_SCANCODE_UNKNOWN, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScanCodeFromSdl(c.sdl), c.scan) << SDL_GetScancodeName(c.sdl);
  }
  EXPECT_EQ(ScanCodeFromSdl(-1), 0);
  EXPECT_EQ(ScanCodeFromSdl(SDL_NUM_SCANCODES), 0);
}

TEST(ScanCodeTable, EveryNamedKeyCanBePressed) {
  for (int sc = 1; sc < 256; ++sc) {
    if (spLibInput::KeyName(0x1000 + sc).empty()) continue;
    const int32_t sdl = SdlFromScanCode(sc);
    ASSERT_NE(sdl, 0) << "scan code " << sc << " has no key";
    EXPECT_EQ(ScanCodeFromSdl(sdl), sc);
  }
}

TEST(ScanCodeTable, DistinctKeysStayDistinct) {
  // Only keys that are one key on some layouts may share a scan code.
  const std::set<int> shared = {SDL_SCANCODE_NONUSHASH, SDL_SCANCODE_AUDIOMUTE};
  std::set<int> seen;
  for (int sdl = 0; sdl < SDL_NUM_SCANCODES; ++sdl) {
    const int scan = ScanCodeFromSdl(sdl);
    if (scan == 0 || shared.count(sdl) != 0) continue;
    EXPECT_TRUE(seen.insert(scan).second) << SDL_GetScancodeName(static_cast<SDL_Scancode>(sdl));
  }
  EXPECT_GT(seen.size(), 100u);
}

}  // namespace
}  // namespace input

// ScreenInput: what the game's screens read of the input in one frame: the merged virtual key
// of every player, the fixed key and mouse counters, the joystick count, and the input module
// itself for the screens that capture a press and name keys. TheApp fills it once per frame;
// tests build one by hand.
#pragma once

#include <cstdint>

#include "game/MatchTypes.h"
#include "input/spLibInput.h"

namespace game {

struct ScreenInput {
  VKey merged;                        // every player's keys merged (direction, trigger, buttons)
  input::InputCounters counters;      // Enter, BackSpace, arrows, mouse buttons and position
  int32_t joystickCount = 0;
  input::spLibInput* device = nullptr;  // capture and key names; null in tests and headless runs

  // Fills the record from the input module (all zero when it is null).
  static ScreenInput From(input::spLibInput* device) {
    ScreenInput in;
    in.device = device;
    if (device == nullptr) return in;
    in.merged = device->MergedVirtualKey();
    in.counters = device->Counters();
    in.joystickCount = device->JoystickCount();
    return in;
  }
};

}  // namespace game

// A joystick's reading as the rest of the module sees it: eight axes on 0..65535, four
// point-of-view hats in hundredths of a degree (0xFFFFFFFF centred), 32 button bytes (0x80
// down); and the axis mapping that turns a raw axis into that range with a dead zone and a
// saturation point. No dependencies.
#pragma once

#include <cstdint>

namespace input {

inline constexpr int32_t kAxisMin = 0;
inline constexpr int32_t kAxisMax = 65535;
// Dead zone and saturation of the x and y axes, in 1/10000 of the half range around the centre.
inline constexpr int32_t kAxisDeadZone = 3000;
inline constexpr int32_t kAxisSaturation = 7000;
inline constexpr uint32_t kPovCentred = 0xFFFFFFFFu;

struct JoyState {
  int32_t x = 0;
  int32_t y = 0;
  int32_t z = 0;
  int32_t rx = 0;
  int32_t ry = 0;
  int32_t rz = 0;
  int32_t slider[2] = {};
  uint32_t pov[4] = {kPovCentred, kPovCentred, kPovCentred, kPovCentred};
  uint8_t buttons[32] = {};
};

struct JoystickRecord {
  bool present = false;
  JoyState state;
  int32_t centreX = 0;
  int32_t centreY = 0;
};

// The centre of an axis range: max / 2 rounded to nearest, halves to even (32768 for 65535).
[[nodiscard]] int32_t AxisCentre(int32_t rangeMax);

// A raw signed 16-bit axis (-32768 .. 32767, 0 at rest) on 0..65535. Within `deadZone` of the
// centre the result is exactly the centre; from `saturation` outwards it is 0 or 65535; in
// between it grows linearly, rounded to nearest with halves to even. Both limits are in
// 1/10000 of the distance from the centre to the extreme on that side and are clamped to
// 0..10000.
[[nodiscard]] int32_t MapJoystickAxis(int32_t raw, int32_t deadZone, int32_t saturation);

// A state at rest: every axis at the centre, hats centred, no button down.
[[nodiscard]] JoyState NeutralJoyState();

// SDL hat bits (up 1, right 2, down 4, left 8) as a point-of-view angle.
[[nodiscard]] uint32_t PovFromHatBits(uint8_t bits);

}  // namespace input

// Axis and hat conversions for the joystick readings.
#include "input/JoystickState.h"

#include <algorithm>
#include <cmath>

namespace input {

int32_t AxisCentre(int32_t rangeMax) {
  return static_cast<int32_t>(std::nearbyint(static_cast<double>(rangeMax) / 2.0));
}

int32_t MapJoystickAxis(int32_t raw, int32_t deadZone, int32_t saturation) {
  raw = std::clamp(raw, -32768, 32767);
  deadZone = std::clamp(deadZone, 0, 10000);
  saturation = std::clamp(saturation, 0, 10000);
  const int32_t centre = AxisCentre(kAxisMax);
  // Raw 0 sits on the centre; the low side spans 32768 steps, the high side 32767.
  const int64_t side = raw < 0 ? centre - kAxisMin : kAxisMax - centre;
  const int64_t scaled = static_cast<int64_t>(raw < 0 ? -static_cast<int64_t>(raw) : raw) * 10000;
  const int64_t dead = static_cast<int64_t>(deadZone) * side;
  const int64_t full = static_cast<int64_t>(saturation) * side;
  int64_t offset = 0;
  if (scaled <= dead) {
    offset = 0;
  } else if (scaled >= full) {
    offset = side;
  } else {
    const int64_t num = (scaled - dead) * side;
    const int64_t den = full - dead;
    offset = num / den;
    const int64_t rem = num % den;
    if (2 * rem > den || (2 * rem == den && (offset & 1) != 0)) ++offset;
  }
  return static_cast<int32_t>(raw < 0 ? centre - offset : centre + offset);
}

JoyState NeutralJoyState() {
  JoyState s;
  const int32_t centre = AxisCentre(kAxisMax);
  s.x = s.y = s.z = s.rx = s.ry = s.rz = centre;
  s.slider[0] = s.slider[1] = centre;
  return s;
}

uint32_t PovFromHatBits(uint8_t bits) {
  const bool up = (bits & 1) != 0;
  const bool right = (bits & 2) != 0;
  const bool down = (bits & 4) != 0;
  const bool left = (bits & 8) != 0;
  const int v = (right ? 1 : 0) - (left ? 1 : 0);
  const int h = (up ? 1 : 0) - (down ? 1 : 0);
  if (v == 0 && h == 0) return kPovCentred;
  // Clockwise from up, in steps of 45 degrees.
  static constexpr uint32_t kAngles[3][3] = {
      // v = -1 (left), 0, 1 (right); rows h = -1 (down), 0, 1 (up)
      {22500, 18000, 13500},
      {27000, kPovCentred, 9000},
      {31500, 0, 4500},
  };
  return kAngles[h + 1][v + 1];
}

}  // namespace input

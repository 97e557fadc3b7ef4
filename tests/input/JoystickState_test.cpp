#include <gtest/gtest.h>

#include "input/JoystickState.h"

namespace input {
namespace {

TEST(AxisCentre, RoundsHalvesToEven) {
  EXPECT_EQ(AxisCentre(65535), 32768);  // 32767.5
  EXPECT_EQ(AxisCentre(65533), 32766);  // 32766.5
  EXPECT_EQ(AxisCentre(100), 50);
}

TEST(MapJoystickAxis, DeadZoneAndSaturationOfXAndY) {
  // Expected values worked out by hand: the low side spans 32768 steps, the high side 32767;
  // dead zone 0.3 and saturation 0.7 of that span; linear in between, halves to even.
  // Worked examples: 12000 -> (120000000 - 3000 * 32767) / 4000 = 5424.75 -> 5425 above the
  // centre; -9831 -> (98310000 - 3000 * 32768) / 4000 = 1.5 -> 2; -9833 -> 6.5 -> 6;
  // -22937 -> 32766.5 -> 32766 below the centre.
  const struct {
    int32_t raw;
    int32_t expected;
  } table[] = {
      {0, 32768},      {1, 32768},      {-1, 32768},     {9830, 32768},   {-9830, 32768},
      {9831, 32770},   {-9831, 32766},  {-9833, 32762},  {12000, 38193},  {16384, 49153},
      {-16384, 16384}, {22936, 65533},  {22937, 65535},  {-22937, 2},     {-22938, 0},
      {32767, 65535},  {-32768, 0},
  };
  for (const auto& c : table) {
    EXPECT_EQ(MapJoystickAxis(c.raw, kAxisDeadZone, kAxisSaturation), c.expected) << c.raw;
  }
}

TEST(MapJoystickAxis, WithoutDeadZoneOrSaturationItOnlyShifts) {
  for (int32_t raw = -32768; raw <= 32767; ++raw) {
    ASSERT_EQ(MapJoystickAxis(raw, 0, 10000), raw + 32768) << raw;
  }
}

TEST(MapJoystickAxis, IsMonotonicAndCoversTheRange) {
  int32_t previous = MapJoystickAxis(-32768, kAxisDeadZone, kAxisSaturation);
  EXPECT_EQ(previous, 0);
  for (int32_t raw = -32767; raw <= 32767; ++raw) {
    const int32_t v = MapJoystickAxis(raw, kAxisDeadZone, kAxisSaturation);
    ASSERT_GE(v, previous) << raw;
    ASSERT_LE(v - previous, 3) << raw;  // slope 1 / 0.4: no jumps
    previous = v;
  }
  EXPECT_EQ(previous, 65535);
}

TEST(MapJoystickAxis, OutOfRangeLimitsAreClamped) {
  // Saturation at or inside the dead zone: a step from centre straight to the extreme.
  EXPECT_EQ(MapJoystickAxis(5000, 3000, 3000), 32768);
  EXPECT_EQ(MapJoystickAxis(20000, 3000, 3000), 65535);
  EXPECT_EQ(MapJoystickAxis(-20000, -5, 20000), 32768 - 20000);
  EXPECT_EQ(MapJoystickAxis(100000, 0, 10000), 65535);
}

TEST(PovFromHatBits, EightDirectionsAndCentre) {
  const struct {
    uint8_t bits;
    uint32_t pov;
  } cases[] = {
      {0, kPovCentred}, {1, 0},      {3, 4500},  {2, 9000},          {6, 13500},
      {4, 18000},       {12, 22500}, {8, 27000}, {9, 31500},         {5, kPovCentred},
  };
  for (const auto& c : cases) EXPECT_EQ(PovFromHatBits(c.bits), c.pov) << int(c.bits);
}

}  // namespace
}  // namespace input

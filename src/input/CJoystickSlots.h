// The attached joysticks, each in a fixed slot 0..15 for as long as it stays plugged in: a new
// controller takes the lowest free slot, a pulled one frees its slot. Reads SDL's joystick
// API in the .cpp; the header stays free of SDL.
#pragma once

#include <cstdint>
#include <memory>

#include "input/InputCode.h"
#include "input/JoystickState.h"

namespace input {

class CJoystickSlots {
 public:
  CJoystickSlots();
  ~CJoystickSlots();
  CJoystickSlots(const CJoystickSlots&) = delete;
  CJoystickSlots& operator=(const CJoystickSlots&) = delete;

  // Starts the joystick service and fills slots with the controllers attached now. False when
  // the service cannot start: every slot stays empty and the game goes on without joysticks.
  bool Open();
  // Closes every controller and the service. Nothing when not open.
  void Close();
  [[nodiscard]] bool IsOpen() const;

  // Refreshes the service's view of the devices, frees the slots of pulled controllers and,
  // when `rescan` is set or more devices exist than slots in use, seats new controllers.
  void Update(bool rescan);
  // The current reading of a slot's controller (x and y with the dead zone and saturation).
  // False, with `out` at rest, for an empty slot or an index outside 0..15.
  bool Read(int32_t slot, JoyState& out) const;
  [[nodiscard]] bool Present(int32_t slot) const;
  // Slots in use.
  [[nodiscard]] int32_t Count() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace input

// The input device as the frame controller sees it. The input module implements it and the program
// hands one instance to the engine root at start (spLib::SetInputDevice); the engine never links
// the input module itself. Everything is called on the window's thread.
#pragma once

#include <cstdint>

namespace engine {

// One virtual key record, fields in their documented order.
struct VKeyState {
  int32_t Button[10] = {};
  int32_t Trigger = 0;         // highest button (1..10) whose counter is 1 this frame, else 0
  int32_t DirectionCount = 0;  // frames the current direction has been held
  int32_t Direction = 0;       // x - 3 * y
  int32_t x = 0;               // -1, 0, 1
  int32_t y = 0;               // -1, 0, 1
};

class IInputDevice {
 public:
  virtual ~IInputDevice() = default;

  // CKestrel::Connect with diInit: create the devices and the default maps for `vkeyCount`
  // virtual keys (diCreateVKeyCounts; the device caps it at its array size). A second Start
  // releases the first one's devices.
  virtual void Start(int32_t vkeyCount) = 0;
  // spLib::DirectInputExit, after the engine root raised TerminateInput: release every device.
  // Nothing when not started.
  virtual void Stop() = 0;
  [[nodiscard]] virtual bool Started() const = 0;

  // The per-frame reads. CKestrel::Poll calls PollMouse, PollKeyboard, PollJoysticks, then
  // UpdateVirtualKeys, then SetWindowMouseButtons and SetCursorRelative, once per frame;
  // CKestrel::PollLocal calls PollKeyboard, PollJoysticks, PollMouse only. Before Start they
  // do nothing.
  virtual void PollMouse() = 0;
  virtual void PollKeyboard() = 0;
  virtual void PollJoysticks() = 0;
  virtual void UpdateVirtualKeys() = 0;

  // Left / right button state taken from the window's own mouse events this frame (the window
  // button counters are advanced from these).
  virtual void SetWindowMouseButtons(bool left, bool right) = 0;
  // Cursor position relative to the drawing area: 0 at the left / top edge, 1 at the right /
  // bottom edge (may lie outside 0..1 when the cursor is outside the area).
  virtual void SetCursorRelative(float fx, float fy) = 0;

  // Wheel movement seen by the last PollMouse (0 when the wheel did not move). With the game
  // services and the debug service on, a non-zero value closes the window.
  [[nodiscard]] virtual int32_t WheelDelta() const = 0;

  // The virtual keys as updated by the last UpdateVirtualKeys (debug page F8, screen-saver
  // keeping). GetVKey returns false for an index outside 0 .. VKeyCount() - 1.
  [[nodiscard]] virtual int32_t VKeyCount() const = 0;
  virtual bool GetVKey(int32_t index, VKeyState& out) const = 0;

  // The window's wheel turned by `notches` (away from the user positive).
  virtual void OnWheel(int32_t notches) { (void)notches; }
  // A game controller was plugged in or out: look for controllers again at the next read.
  virtual void OnDevicesChanged() {}
  // The window lost the keyboard focus: keys held now will never report their release.
  virtual void FocusLost() {}
};

}  // namespace engine

// spLibInput: the keyboard, the mouse and up to 16 joysticks, read once per frame and turned
// into virtual keys (VKey records fed from configurable input codes), fixed counters for the
// keys the menus use, key names and input capture for the key configuration screens.
// Relies on the engine's input device interface; the keyboard and mouse come from injectable
// sources (SDL by default), joysticks from SDL's joystick API.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/IInputDevice.h"
#include "input/IKeyStateSource.h"
#include "input/IMouseStateSource.h"
#include "input/InputCode.h"
#include "input/JoystickState.h"

namespace input {

class CJoystickSlots;

using VKey = engine::VKeyState;

inline constexpr int32_t kMaxVKeys = 16;
// A virtual key's map: ten button codes, then up, down, left, right.
inline constexpr int32_t kMapSlots = 14;
inline constexpr int32_t kMapUp = 10;
inline constexpr int32_t kMapDown = 11;
inline constexpr int32_t kMapLeft = 12;
inline constexpr int32_t kMapRight = 13;
using VKeyMap = std::array<int32_t, kMapSlots>;

// Press counter step: 1 in the first frame of a press, n while held (stops at 2147483647),
// -n in the frame after the release, then 0.
void UpdatePressCounter(int32_t& counter, bool pressed);

// Counters kept every frame for the keys and mouse buttons the menus read directly.
struct InputCounters {
  int32_t Escape = 0;
  int32_t Enter = 0;  // main or keypad
  int32_t Ctrl = 0;   // either
  int32_t Shift = 0;  // either
  int32_t Alt = 0;    // either
  int32_t Space = 0;
  int32_t BackSpace = 0;
  int32_t Up = 0;
  int32_t Down = 0;
  int32_t Left = 0;
  int32_t Right = 0;
  int32_t Arrow = 0;      // any arrow key
  int32_t MouseLeft = 0;  // from the mouse device
  int32_t MouseRight = 0;
  int32_t WindowMouseLeft = 0;  // from the window's own mouse events
  int32_t WindowMouseRight = 0;
  int32_t MouseWheel = 0;  // this frame's wheel movement, 120 per notch, forward positive
  int32_t MouseX = 0;      // cursor in the window's pixels
  int32_t MouseY = 0;
  bool MouseMoved = false;  // the cursor position differs from the previous frame
  float MouseRelX = 0.0f;   // cursor in the drawing area: 0 left / top edge, 1 right / bottom
  float MouseRelY = 0.0f;
  int32_t JoystickCount = 0;
};

class spLibInput final : public engine::IInputDevice {
 public:
  // Keyboard and mouse from SDL, joysticks from SDL.
  spLibInput();
  // Null sources read as "nothing could be read". `joysticks` false leaves every joystick slot
  // empty (SDL's joystick service is then never started).
  spLibInput(std::unique_ptr<IKeyStateSource> keys, std::unique_ptr<IMouseStateSource> mouse,
             bool joysticks = true);
  ~spLibInput() override;
  spLibInput(const spLibInput&) = delete;
  spLibInput& operator=(const spLibInput&) = delete;

  // Start input: the virtual key count is `vkeyCount` capped to 0..16; joysticks are seated,
  // maps cleared and the default maps given.
  void Start(int32_t vkeyCount) override;
  void Stop() override;
  [[nodiscard]] bool Started() const override { return m_started; }

  void PollMouse() override;
  void PollKeyboard() override;
  void PollJoysticks() override;
  void UpdateVirtualKeys() override;

  void SetWindowMouseButtons(bool left, bool right) override;
  void SetCursorRelative(float fx, float fy) override;
  [[nodiscard]] int32_t WheelDelta() const override { return m_counters.MouseWheel; }

  [[nodiscard]] int32_t VKeyCount() const override { return m_vkeyCount; }
  bool GetVKey(int32_t index, VKey& out) const override;

  void OnWheel(int32_t notches) override;
  void OnDevicesChanged() override { m_rescan = true; }
  void FocusLost() override;

  // The documented operations.
  [[nodiscard]] bool IsPressed(int32_t code) const;
  [[nodiscard]] static std::string KeyName(int32_t code);
  // -1 reads every device, 0..15 only that joystick, kCaptureKeyboard only the keyboard; the
  // last newly pressed code when it has a name, else 0.
  static constexpr int32_t kCaptureKeyboard = -2;
  [[nodiscard]] int32_t CaptureInput(int32_t selector);
  [[nodiscard]] int32_t JoystickCount() const { return m_counters.JoystickCount; }
  [[nodiscard]] VKey MergedVirtualKey() const;
  void MapKeyboardPair(int32_t n);
  void MapArrowSet(int32_t n);
  void MapAllToJoysticks();
  [[nodiscard]] static bool RepeatTest(int32_t counter, int32_t delay, int32_t interval);

  // The records themselves; null outside 0 .. VKeyCount() - 1. The game may write a VKey (the
  // computer players do) and edit a map (key configuration).
  [[nodiscard]] VKey* VKeyAt(int32_t index);
  [[nodiscard]] VKeyMap* Map(int32_t index);
  [[nodiscard]] const InputCounters& Counters() const { return m_counters; }
  [[nodiscard]] const KeyBytes& Keys() const { return m_keys; }
  [[nodiscard]] const MouseReading& Mouse() const { return m_mouse; }
  // The record of joystick slot `index`; an absent record for an index outside 0..15.
  [[nodiscard]] const JoystickRecord& Joystick(int32_t index) const;

 private:
  void ReadKeyboard();
  void ReadJoysticks();
  void UpdateKeyCounters();
  void SetMap(int32_t index, const VKeyMap& map);
  void GiveDefaultMaps();

  std::unique_ptr<IKeyStateSource> m_keySource;
  std::unique_ptr<IMouseStateSource> m_mouseSource;
  std::unique_ptr<CJoystickSlots> m_joysticks;
  bool m_useJoysticks = true;
  bool m_started = false;

  int32_t m_vkeyCount = 0;
  std::array<VKey, kMaxVKeys> m_vkeys{};
  std::array<VKeyMap, kMaxVKeys> m_maps{};

  KeyBytes m_keys{};
  // Keys that were down when the focus left: read as up until the keyboard reports them up.
  KeyBytes m_heldAtFocusLoss{};
  MouseReading m_mouse;
  std::array<uint8_t, 4> m_mouseHeldAtFocusLoss{};
  int32_t m_pendingWheel = 0;
  bool m_havePreviousCursor = false;

  std::array<JoystickRecord, kMaxJoysticks> m_joy{};
  bool m_rescan = false;

  KeyBytes m_captureKeys{};
  std::array<JoyState, kMaxJoysticks> m_captureJoy{};

  InputCounters m_counters;
};

}  // namespace input

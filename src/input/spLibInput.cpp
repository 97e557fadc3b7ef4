// The input module. Device reads never fail the frame: a read that fails keeps the previous
// state, a window without focus reads as all keys and buttons up, and a joystick that is
// pulled out reads as released.
#include "input/spLibInput.h"

#include <algorithm>
#include <climits>

#include "input/CJoystickSlots.h"
#include "input/CSdlKeyStateSource.h"
#include "input/CSdlMouseStateSource.h"
#include "input/KeyNames.h"

namespace input {
namespace {

constexpr int32_t K(int32_t scanCode) { return KeyCode(scanCode); }

// Keyboard set A (first of the pair): H/N/B/M for directions.
constexpr VKeyMap kSetA = {K(scan::kZ), K(scan::kX), K(scan::kC), K(scan::kA), K(scan::kS),
                           K(scan::kD), K(scan::kQ), K(scan::kW), K(scan::kE), K(scan::kR),
                           K(scan::kH), K(scan::kN), K(scan::kB), K(scan::kM)};
// Keyboard set B (second of the pair): arrows and the keypad.
constexpr VKeyMap kSetB = {K(scan::kNumpad1),    K(scan::kNumpad2), K(scan::kNumpad3),
                           K(scan::kNumpad4),    K(scan::kNumpad5), K(scan::kNumpad6),
                           K(scan::kNumpad7),    K(scan::kNumpad8), K(scan::kNumpad9),
                           K(scan::kNumpadPlus), K(scan::kUp),      K(scan::kDown),
                           K(scan::kLeft),       K(scan::kRight)};
// The arrow set: arrows with the letter buttons of set A.
constexpr VKeyMap kArrowSet = {K(scan::kZ),    K(scan::kX),    K(scan::kC),  K(scan::kA),
                               K(scan::kS),    K(scan::kD),    K(scan::kQ),  K(scan::kW),
                               K(scan::kE),    K(scan::kR),    K(scan::kUp), K(scan::kDown),
                               K(scan::kLeft), K(scan::kRight)};

VKeyMap JoystickSet(int32_t joystick) {
  VKeyMap map{};
  for (int32_t b = 0; b < 10; ++b) map[static_cast<size_t>(b)] = ButtonCode(joystick, b);
  map[kMapUp] = DirectionCode(joystick, kDirUp);
  map[kMapDown] = DirectionCode(joystick, kDirDown);
  map[kMapLeft] = DirectionCode(joystick, kDirLeft);
  map[kMapRight] = DirectionCode(joystick, kDirRight);
  return map;
}

int32_t SaturatingAdd(int32_t a, int32_t b) {
  const int64_t sum = static_cast<int64_t>(a) + b;
  return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

const JoystickRecord kAbsentRecord{};

}  // namespace

void UpdatePressCounter(int32_t& counter, bool pressed) {
  if (counter < 0) counter = 0;
  if (pressed) {
    if (counter < INT32_MAX) ++counter;
  } else {
    counter = -counter;
  }
}

spLibInput::spLibInput()
    : spLibInput(std::make_unique<CSdlKeyStateSource>(), std::make_unique<CSdlMouseStateSource>(),
                 true) {}

spLibInput::spLibInput(std::unique_ptr<IKeyStateSource> keys,
                       std::unique_ptr<IMouseStateSource> mouse, bool joysticks)
    : m_keySource(std::move(keys)),
      m_mouseSource(std::move(mouse)),
      m_joysticks(std::make_unique<CJoystickSlots>()),
      m_useJoysticks(joysticks) {}

spLibInput::~spLibInput() { Stop(); }

void spLibInput::Start(int32_t vkeyCount) {
  Stop();
  m_vkeyCount = std::clamp(vkeyCount, 0, kMaxVKeys);
  m_vkeys.fill(VKey{});
  m_maps.fill(VKeyMap{});
  m_keys.fill(0);
  m_heldAtFocusLoss.fill(0);
  m_mouse = MouseReading{};
  m_mouseHeldAtFocusLoss.fill(0);
  m_pendingWheel = 0;
  m_havePreviousCursor = false;
  m_counters = InputCounters{};
  m_captureKeys.fill(0);
  m_captureJoy.fill(NeutralJoyState());
  m_rescan = false;

  const int32_t centre = AxisCentre(kAxisMax);
  for (JoystickRecord& record : m_joy) {
    record = JoystickRecord{};
    record.state = NeutralJoyState();
    record.centreX = centre;
    record.centreY = centre;
  }
  // A joystick service that cannot start leaves the game on keyboard and mouse.
  if (m_useJoysticks && m_joysticks->Open()) ReadJoysticks();
  m_counters.JoystickCount = m_joysticks->Count();
  m_started = true;
  GiveDefaultMaps();
}

void spLibInput::Stop() {
  if (!m_started) return;
  m_joysticks->Close();
  m_started = false;
  m_keys.fill(0);
  m_mouse = MouseReading{};
  for (JoystickRecord& record : m_joy) {
    record.present = false;
    record.state = NeutralJoyState();
  }
  m_counters.JoystickCount = 0;
}

void spLibInput::GiveDefaultMaps() {
  const int32_t joysticks = m_counters.JoystickCount;
  if (joysticks >= 1) {
    MapAllToJoysticks();
    if (joysticks < m_vkeyCount) {
      if (joysticks == m_vkeyCount - 1) {
        MapArrowSet(joysticks);
      } else {
        MapKeyboardPair(joysticks);
      }
    }
  } else if (m_vkeyCount >= 2) {
    MapKeyboardPair(0);
  } else {
    MapArrowSet(0);
  }
}

void spLibInput::SetMap(int32_t index, const VKeyMap& map) {
  if (index < 0 || index >= m_vkeyCount) return;
  m_maps[static_cast<size_t>(index)] = map;
}

void spLibInput::MapKeyboardPair(int32_t n) {
  SetMap(n, kSetA);
  if (n < INT32_MAX) SetMap(n + 1, kSetB);
}

void spLibInput::MapArrowSet(int32_t n) { SetMap(n, kArrowSet); }

void spLibInput::MapAllToJoysticks() {
  for (int32_t i = 0; i < m_vkeyCount; ++i) SetMap(i, JoystickSet(i));
}

// ---- Keyboard ----

void spLibInput::ReadKeyboard() {
  if (!m_started) return;
  KeyBytes fresh{};
  const KeyReadResult result =
      m_keySource != nullptr ? m_keySource->Read(fresh) : KeyReadResult::kFailed;
  switch (result) {
    case KeyReadResult::kOk:
      for (size_t i = 0; i < fresh.size(); ++i) {
        if (fresh[i] == 0) {
          m_heldAtFocusLoss[i] = 0;
        } else if (m_heldAtFocusLoss[i] != 0) {
          fresh[i] = 0;
        }
      }
      m_keys = fresh;
      break;
    case KeyReadResult::kNoFocus: m_keys.fill(0); break;
    case KeyReadResult::kFailed: break;  // the previous state stands for this frame
  }
}

void spLibInput::UpdateKeyCounters() {
  auto down = [this](int32_t scanCode) { return m_keys[static_cast<size_t>(scanCode)] != 0; };
  InputCounters& c = m_counters;
  UpdatePressCounter(c.Escape, down(scan::kEscape));
  UpdatePressCounter(c.Enter, down(scan::kReturn) || down(scan::kNumpadEnter));
  UpdatePressCounter(c.Ctrl, down(scan::kLeftControl) || down(scan::kRightControl));
  UpdatePressCounter(c.Shift, down(scan::kLeftShift) || down(scan::kRightShift));
  UpdatePressCounter(c.Alt, down(scan::kLeftAlt) || down(scan::kRightAlt));
  UpdatePressCounter(c.Space, down(scan::kSpace));
  UpdatePressCounter(c.BackSpace, down(scan::kBack));
  UpdatePressCounter(c.Up, down(scan::kUp));
  UpdatePressCounter(c.Down, down(scan::kDown));
  UpdatePressCounter(c.Left, down(scan::kLeft));
  UpdatePressCounter(c.Right, down(scan::kRight));
  UpdatePressCounter(
      c.Arrow, down(scan::kUp) || down(scan::kDown) || down(scan::kLeft) || down(scan::kRight));
}

void spLibInput::PollKeyboard() {
  if (!m_started) return;
  ReadKeyboard();
  UpdateKeyCounters();
}

void spLibInput::FocusLost() {
  for (size_t i = 0; i < m_keys.size(); ++i) {
    if (m_keys[i] != 0) m_heldAtFocusLoss[i] = kKeyDown;
  }
  m_keys.fill(0);
  for (size_t b = 0; b < m_mouseHeldAtFocusLoss.size(); ++b) {
    if (m_mouse.buttons[b] != 0) m_mouseHeldAtFocusLoss[b] = kKeyDown;
    m_mouse.buttons[b] = 0;
  }
}

// ---- Mouse ----

void spLibInput::PollMouse() {
  if (!m_started) return;
  MouseReading fresh = m_mouse;
  const MouseReadResult result =
      m_mouseSource != nullptr ? m_mouseSource->Read(fresh) : MouseReadResult::kFailed;
  switch (result) {
    case MouseReadResult::kOk: m_mouse = fresh; break;
    case MouseReadResult::kNoFocus:
      std::fill(std::begin(m_mouse.buttons), std::end(m_mouse.buttons), uint8_t{0});
      m_mouse.wheel = 0;
      break;
    case MouseReadResult::kFailed:
      m_mouse.wheel = 0;  // a stale wheel would repeat a movement that happened once
      break;
  }
  if (result != MouseReadResult::kOk) {
    m_mouse.dx = 0;
    m_mouse.dy = 0;
  }
  m_mouse.wheel = SaturatingAdd(m_mouse.wheel, m_pendingWheel);
  m_pendingWheel = 0;

  // Buttons held when the focus left stay up until the mouse reports them released.
  if (result == MouseReadResult::kOk) {
    for (size_t b = 0; b < m_mouseHeldAtFocusLoss.size(); ++b) {
      if (m_mouse.buttons[b] == 0) {
        m_mouseHeldAtFocusLoss[b] = 0;
      } else if (m_mouseHeldAtFocusLoss[b] != 0) {
        m_mouse.buttons[b] = 0;
      }
    }
  }

  InputCounters& c = m_counters;
  UpdatePressCounter(c.MouseLeft, m_mouse.buttons[0] != 0);
  UpdatePressCounter(c.MouseRight, m_mouse.buttons[1] != 0);
  c.MouseWheel = m_mouse.wheel;
  c.MouseMoved = m_havePreviousCursor && (m_mouse.x != c.MouseX || m_mouse.y != c.MouseY);
  c.MouseX = m_mouse.x;
  c.MouseY = m_mouse.y;
  m_havePreviousCursor = true;
}

void spLibInput::SetWindowMouseButtons(bool left, bool right) {
  UpdatePressCounter(m_counters.WindowMouseLeft, left);
  UpdatePressCounter(m_counters.WindowMouseRight, right);
}

void spLibInput::SetCursorRelative(float fx, float fy) {
  m_counters.MouseRelX = fx;
  m_counters.MouseRelY = fy;
}

void spLibInput::OnWheel(int32_t notches) {
  const int64_t delta = static_cast<int64_t>(notches) * 120;
  m_pendingWheel = SaturatingAdd(
      m_pendingWheel, static_cast<int32_t>(std::clamp<int64_t>(delta, INT32_MIN, INT32_MAX)));
}

// ---- Joysticks ----

void spLibInput::ReadJoysticks() {
  m_joysticks->Update(m_rescan);
  m_rescan = false;
  for (int32_t j = 0; j < kMaxJoysticks; ++j) {
    JoystickRecord& record = m_joy[static_cast<size_t>(j)];
    const bool wasPresent = record.present;
    record.present = m_joysticks->Read(j, record.state);
    // A controller leaving (or a new one taking) the slot starts capture from rest.
    if (record.present != wasPresent) m_captureJoy[static_cast<size_t>(j)] = NeutralJoyState();
  }
  m_counters.JoystickCount = m_joysticks->Count();
}

void spLibInput::PollJoysticks() {
  if (!m_started) return;
  ReadJoysticks();
}

const JoystickRecord& spLibInput::Joystick(int32_t index) const {
  if (index < 0 || index >= kMaxJoysticks) return kAbsentRecord;
  return m_joy[static_cast<size_t>(index)];
}

// ---- Codes ----

bool spLibInput::IsPressed(int32_t code) const {
  switch (CodeKind(code)) {
    case kCodeKeyboard: return m_keys[static_cast<size_t>(CodeLow(code))] != 0;
    case kCodeDirection: {
      const JoystickRecord& record = m_joy[static_cast<size_t>(CodeJoystick(code))];
      if (!record.present) return false;
      switch (CodeLow(code)) {
        case kDirUp: return record.state.y < record.centreY;
        case kDirDown: return record.state.y > record.centreY;
        case kDirLeft: return record.state.x < record.centreX;
        case kDirRight: return record.state.x > record.centreX;
        default: return false;
      }
    }
    case kCodeButton: {
      const JoystickRecord& record = m_joy[static_cast<size_t>(CodeJoystick(code))];
      return record.present && record.state.buttons[code & 0x1F] != 0;
    }
    default: return false;
  }
}

std::string spLibInput::KeyName(int32_t code) { return InputCodeName(code); }

int32_t spLibInput::CaptureInput(int32_t selector) {
  if (!m_started) return 0;
  int32_t found = 0;
  if (selector == -1 || selector == kCaptureKeyboard) {
    ReadKeyboard();
    for (int32_t sc = 0; sc < 256; ++sc) {
      const size_t i = static_cast<size_t>(sc);
      if (m_keys[i] != 0 && m_captureKeys[i] == 0) found = KeyCode(sc);
    }
    m_captureKeys = m_keys;
  }
  if (selector == -1 || (selector >= 0 && selector < kMaxJoysticks)) {
    ReadJoysticks();
    for (int32_t j = 0; j < kMaxJoysticks; ++j) {
      if (selector != -1 && selector != j) continue;
      const JoystickRecord& record = m_joy[static_cast<size_t>(j)];
      if (!record.present) continue;
      JoyState& before = m_captureJoy[static_cast<size_t>(j)];
      const JoyState& now = record.state;
      for (int32_t b = 0; b < kJoystickButtons; ++b) {
        if (now.buttons[b] != 0 && before.buttons[b] == 0) found = ButtonCode(j, b);
      }
      if (before.y == record.centreY) {
        if (now.y < record.centreY) found = DirectionCode(j, kDirUp);
        if (now.y > record.centreY) found = DirectionCode(j, kDirDown);
      }
      if (before.x == record.centreX) {
        if (now.x < record.centreX) found = DirectionCode(j, kDirLeft);
        if (now.x > record.centreX) found = DirectionCode(j, kDirRight);
      }
      before = now;
    }
  }
  if (found == 0 || InputCodeName(found).empty()) return 0;
  return found;
}

// ---- Virtual keys ----

void spLibInput::UpdateVirtualKeys() {
  if (!m_started) return;
  for (int32_t i = 0; i < m_vkeyCount; ++i) {
    VKey& key = m_vkeys[static_cast<size_t>(i)];
    const VKeyMap& map = m_maps[static_cast<size_t>(i)];
    key.y = (IsPressed(map[kMapUp]) ? -1 : 0) + (IsPressed(map[kMapDown]) ? 1 : 0);
    key.x = (IsPressed(map[kMapLeft]) ? -1 : 0) + (IsPressed(map[kMapRight]) ? 1 : 0);
    const int32_t direction = key.x - 3 * key.y;
    if (direction != key.Direction) {
      key.Direction = direction;
      key.DirectionCount = 1;
    } else if (key.DirectionCount < INT32_MAX) {
      ++key.DirectionCount;
    }
    key.Trigger = 0;
    for (int32_t b = 0; b < 10; ++b) {
      UpdatePressCounter(key.Button[b], IsPressed(map[static_cast<size_t>(b)]));
      if (key.Button[b] == 1) key.Trigger = b + 1;
    }
  }
}

bool spLibInput::GetVKey(int32_t index, VKey& out) const {
  if (index < 0 || index >= m_vkeyCount) return false;
  out = m_vkeys[static_cast<size_t>(index)];
  return true;
}

VKey* spLibInput::VKeyAt(int32_t index) {
  if (index < 0 || index >= m_vkeyCount) return nullptr;
  return &m_vkeys[static_cast<size_t>(index)];
}

VKeyMap* spLibInput::Map(int32_t index) {
  if (index < 0 || index >= m_vkeyCount) return nullptr;
  return &m_maps[static_cast<size_t>(index)];
}

VKey spLibInput::MergedVirtualKey() const {
  VKey merged;
  for (int32_t i = m_vkeyCount - 1; i >= 0; --i) {
    const VKey& key = m_vkeys[static_cast<size_t>(i)];
    if (key.Direction != 0) {
      merged.Direction = key.Direction;
      merged.DirectionCount = key.DirectionCount;
      merged.x = key.x;
      merged.y = key.y;
    }
    if (key.Trigger != 0) merged.Trigger = key.Trigger;
  }
  for (int32_t b = 0; b < 10; ++b) {
    for (int32_t i = 0; i < m_vkeyCount; ++i) {
      const int32_t counter = m_vkeys[static_cast<size_t>(i)].Button[b];
      if (i == 0 || counter > merged.Button[b]) merged.Button[b] = counter;
    }
  }
  return merged;
}

bool spLibInput::RepeatTest(int32_t counter, int32_t delay, int32_t interval) {
  if (counter == 1 || counter == delay) return true;
  if (counter <= delay || interval <= 0) return false;
  const int64_t past = static_cast<int64_t>(counter) - delay;
  return past % interval == 0;
}

}  // namespace input

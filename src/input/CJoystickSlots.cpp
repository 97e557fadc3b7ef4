// Joystick slots over SDL's joystick API.
#include "input/CJoystickSlots.h"

#include <SDL.h>

#include <algorithm>
#include <vector>

namespace input {

struct CJoystickSlots::Impl {
  bool open = false;
  SDL_Joystick* handles[kMaxJoysticks] = {};
  SDL_JoystickID ids[kMaxJoysticks] = {};
  // Devices that refused to open; not tried again every frame.
  std::vector<SDL_JoystickID> refused;

  int32_t InUse() const {
    return static_cast<int32_t>(std::count_if(std::begin(handles), std::end(handles),
                                              [](SDL_Joystick* j) { return j != nullptr; }));
  }

  bool Seated(SDL_JoystickID id) const {
    for (int32_t i = 0; i < kMaxJoysticks; ++i) {
      if (handles[i] != nullptr && ids[i] == id) return true;
    }
    return false;
  }

  void DropPulled() {
    for (int32_t i = 0; i < kMaxJoysticks; ++i) {
      if (handles[i] != nullptr && SDL_JoystickGetAttached(handles[i]) == SDL_FALSE) {
        SDL_JoystickClose(handles[i]);
        handles[i] = nullptr;
        ids[i] = -1;
      }
    }
  }

  // SDL_Quit closes every joystick behind our back; the handles are gone then, not ours to close.
  bool ServiceGone() {
    if (SDL_WasInit(SDL_INIT_JOYSTICK) != 0) return false;
    std::fill(std::begin(handles), std::end(handles), nullptr);
    std::fill(std::begin(ids), std::end(ids), -1);
    refused.clear();
    open = false;
    return true;
  }

  void SeatNew() {
    const int count = SDL_NumJoysticks();
    for (int device = 0; device < count; ++device) {
      const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
      if (id < 0 || Seated(id)) continue;
      if (std::find(refused.begin(), refused.end(), id) != refused.end()) continue;
      int32_t slot = 0;
      while (slot < kMaxJoysticks && handles[slot] != nullptr) ++slot;
      if (slot == kMaxJoysticks) return;
      SDL_Joystick* joystick = SDL_JoystickOpen(device);
      if (joystick == nullptr) {
        refused.push_back(id);
        continue;
      }
      handles[slot] = joystick;
      ids[slot] = id;
    }
  }
};

CJoystickSlots::CJoystickSlots() : m_impl(std::make_unique<Impl>()) {
  std::fill(std::begin(m_impl->ids), std::end(m_impl->ids), -1);
}

CJoystickSlots::~CJoystickSlots() { Close(); }

bool CJoystickSlots::Open() {
  Close();
  // Joysticks keep reporting while another window has the focus, as a background device does.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
  m_impl->open = true;
  SDL_JoystickUpdate();
  m_impl->SeatNew();
  return true;
}

void CJoystickSlots::Close() {
  if (!m_impl->open || m_impl->ServiceGone()) return;
  for (int32_t i = 0; i < kMaxJoysticks; ++i) {
    if (m_impl->handles[i] != nullptr) SDL_JoystickClose(m_impl->handles[i]);
    m_impl->handles[i] = nullptr;
    m_impl->ids[i] = -1;
  }
  m_impl->refused.clear();
  m_impl->open = false;
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

bool CJoystickSlots::IsOpen() const { return m_impl->open; }

void CJoystickSlots::Update(bool rescan) {
  if (!m_impl->open || m_impl->ServiceGone()) return;
  SDL_JoystickUpdate();
  m_impl->DropPulled();
  const int devices = SDL_NumJoysticks();
  if (rescan || devices > m_impl->InUse() + static_cast<int>(m_impl->refused.size())) {
    m_impl->SeatNew();
  }
}

bool CJoystickSlots::Read(int32_t slot, JoyState& out) const {
  out = NeutralJoyState();
  if (!Present(slot)) return false;
  SDL_Joystick* joystick = m_impl->handles[slot];
  const int axes = SDL_JoystickNumAxes(joystick);
  // Only x and y carry a dead zone and saturation; the other axes map straight.
  auto axis = [&](int index, int32_t deadZone, int32_t saturation) -> int32_t {
    // An axis the device lacks rests at the centre, so it never reads as a direction.
    if (index >= axes) return AxisCentre(kAxisMax);
    return MapJoystickAxis(SDL_JoystickGetAxis(joystick, index), deadZone, saturation);
  };
  out.x = axis(0, kAxisDeadZone, kAxisSaturation);
  out.y = axis(1, kAxisDeadZone, kAxisSaturation);
  out.z = axis(2, 0, 10000);
  out.rx = axis(3, 0, 10000);
  out.ry = axis(4, 0, 10000);
  out.rz = axis(5, 0, 10000);
  out.slider[0] = axis(6, 0, 10000);
  out.slider[1] = axis(7, 0, 10000);
  const int hats = std::min(SDL_JoystickNumHats(joystick), 4);
  for (int h = 0; h < hats; ++h) out.pov[h] = PovFromHatBits(SDL_JoystickGetHat(joystick, h));
  const int buttons = std::min(SDL_JoystickNumButtons(joystick), static_cast<int>(kJoystickButtons));
  for (int b = 0; b < buttons; ++b) {
    out.buttons[b] = SDL_JoystickGetButton(joystick, b) != 0 ? 0x80 : 0;
  }
  return true;
}

bool CJoystickSlots::Present(int32_t slot) const {
  return slot >= 0 && slot < kMaxJoysticks && m_impl->handles[slot] != nullptr;
}

int32_t CJoystickSlots::Count() const { return m_impl->InUse(); }

}  // namespace input

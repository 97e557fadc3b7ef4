// Shared pieces of the sound classes. The message box is SDL's, with two buttons.
#include "sound/SoundShared.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/CDesktop.h"
#include "sound/SoundTypes.h"

namespace sound {

namespace {
util::CApi* g_files = nullptr;
}

util::CApi& SoundFiles() {
  if (g_files != nullptr) return *g_files;
  static util::CApi own;
  return own;
}

void SetSoundFiles(util::CApi* api) { g_files = api; }

int32_t VolumeFor(float volum) {
  const double v = std::clamp(volum, 0.0f, 1.0f);
  return static_cast<int32_t>(std::lrint((std::sin(v * 1.5707) - 1.0) * 5000.0));
}

int32_t PanFor(float pan) {
  const double p = std::clamp(pan, -1.0f, 1.0f);
  return static_cast<int32_t>(std::lrint(std::sin(p * 1.5707) * 10000.0));
}

int32_t FrequencyFor(float tempo, int32_t hz) {
  if (tempo == 0.0f) return DSBFREQUENCY_ORIGINAL;
  float f = static_cast<float>(std::pow(1.0594630943592953, static_cast<double>(tempo)));
  if (!(f >= 0.5f)) f = 0.5f;  // NaN too
  if (f > 2.0f) f = 2.0f;
  const double freq = std::nearbyint(static_cast<double>(f) * hz);
  return static_cast<int32_t>(std::clamp(freq, 100.0, 100000.0));
}

bool AskOkCancel(const std::string& text, const std::string& caption) {
  if (platform::CDesktop::Headless() || !platform::CDesktop::Started()) {
    std::fprintf(stderr, "%s\n%s\n", caption.c_str(), text.c_str());
    return true;
  }
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "OK"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "Cancel"},
  };
  SDL_MessageBoxData data{};
  data.flags = SDL_MESSAGEBOX_WARNING;
  data.title = caption.c_str();
  data.message = text.c_str();
  data.numbuttons = 2;
  data.buttons = buttons;
  int pressed = 1;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) return true;
  return pressed == 1;
}

}  // namespace sound

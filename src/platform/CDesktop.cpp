// SDL behind the desktop services.
#include "CDesktop.h"

#include <SDL.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace platform {

namespace {
bool g_started = false;

// Xlib ends the program with exit() when the display connection breaks (the X server went
// away); the shutdown that exit() starts would then wait forever for that server. The program
// ends at once instead: nothing can be shown any more, and the system takes back the rest.
int DisplayLost(void*) {
  static const char kText[] = "tumbleroo: the connection to the display was lost\n";
  (void)!write(2, kText, sizeof kText - 1);
  _exit(1);
}

// SDL loads Xlib itself; its handler setter is found in the loaded library (no X link here).
void CatchDisplayLoss() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "x11") != 0) return;
  void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
  if (xlib == nullptr) return;
  using Handler = int (*)(void*);
  using SetHandler = Handler (*)(Handler);
  if (auto set = reinterpret_cast<SetHandler>(dlsym(xlib, "XSetIOErrorHandler"))) set(DisplayLost);
  dlclose(xlib);  // still loaded by SDL: the handler stays valid
}

int32_t DepthOf(uint32_t format) {
  const int bytes = SDL_BYTESPERPIXEL(format);
  return bytes == 4 ? 32 : static_cast<int32_t>(SDL_BITSPERPIXEL(format));
}
}  // namespace

bool CDesktop::Start(std::string& error) {
  if (g_started) return true;
  // The screen saver is held off only while controllers alone drive the game.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // A closed window is the frame controller's business, not a request to quit.
  SDL_SetHint("SDL_QUIT_ON_LAST_WINDOW_CLOSE", "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) {
    // Which driver was asked for (or which SDL could try), then SDL's own words.
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (asked != nullptr && *asked != '\0') {
      error = std::string("video driver \"") + asked + "\" (SDL_VIDEODRIVER): ";
    } else {
      error = "video drivers tried:";
      for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        error += std::string(i == 0 ? " " : ", ") + SDL_GetVideoDriver(i);
      }
      error += ": ";
    }
    error += SDL_GetError();
    return false;
  }
  CatchDisplayLoss();
  g_started = true;
  return true;
}

void CDesktop::Stop() {
  if (!g_started) return;
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
  g_started = false;
}

bool CDesktop::Started() { return g_started; }

std::string CDesktop::VideoDriver() {
  const char* name = g_started ? SDL_GetCurrentVideoDriver() : nullptr;
  return name != nullptr ? std::string(name) : std::string();
}

bool CDesktop::Headless() {
  const std::string driver = VideoDriver();
  if (driver.empty()) {
    const char* hint = SDL_getenv("SDL_VIDEODRIVER");
    if (hint != nullptr && (std::strcmp(hint, "dummy") == 0 || std::strcmp(hint, "offscreen") == 0))
      return true;
    return SDL_getenv("DISPLAY") == nullptr && SDL_getenv("WAYLAND_DISPLAY") == nullptr;
  }
  return driver == "dummy" || driver == "offscreen";
}

void CDesktop::MessageBox(const std::string& text, const std::string& caption, Icon icon) {
  if (!Headless()) {
    Uint32 flags = SDL_MESSAGEBOX_ERROR;
    if (icon == Icon::kWarning) flags = SDL_MESSAGEBOX_WARNING;
    if (icon == Icon::kInformation) flags = SDL_MESSAGEBOX_INFORMATION;
    if (SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), nullptr) == 0) return;
  }
  std::fprintf(stderr, "[%s]\n%s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
}

bool CDesktop::AskOkCancel(const std::string& text, const std::string& caption) {
  if (!Headless()) {
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "OK"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "キャンセル"},
    };
    SDL_MessageBoxData data{};
    data.flags = SDL_MESSAGEBOX_WARNING;
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = 2;
    data.buttons = buttons;
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) == 0) return pressed != 0;
  }
  // No display: the default button.
  std::fprintf(stderr, "[%s]\n%s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  return true;
}

void CDesktop::ShowCursor(bool visible) {
  if (g_started) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void CDesktop::HoldOffScreenSaver() {
  if (g_started) SDL_DisableScreenSaver();
}

void CDesktop::AllowScreenSaver() {
  if (g_started && !SDL_IsScreenSaverEnabled()) SDL_EnableScreenSaver();
}

int32_t CDesktop::DesktopDepth() {
  SDL_DisplayMode mode{};
  if (!g_started || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return DepthOf(mode.format);
}

bool CDesktop::HasDepth(int32_t bits) {
  if (!g_started) return false;
  if (bits == DesktopDepth()) return true;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode{};
    if (SDL_GetDisplayMode(0, i, &mode) == 0 && DepthOf(mode.format) == bits) return true;
  }
  return false;
}

}  // namespace platform

// The main window on SDL2: native window and renderer, event translation to desktop key codes,
// auxiliary timers run from the message pump, and the menu bar's input and layout.
#include "CWindow.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>

#include "CDesktop.h"
#include "CMenuGui.h"

namespace platform {

namespace {

constexpr int32_t kMenuBarHeight = 22;  // font + 2 x 3 pixels of frame padding

std::vector<CWindow*>& Windows() {
  static std::vector<CWindow*> windows;
  return windows;
}

bool Registered(const CWindow* w) {
  const auto& all = Windows();
  return std::find(all.begin(), all.end(), w) != all.end();
}

uint32_t NowMs() {
  if (SDL_WasInit(SDL_INIT_TIMER) != 0) return SDL_GetTicks();
  using namespace std::chrono;
  static const auto start = steady_clock::now();
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now() - start).count() &
                               0xFFFFFFFFu);
}

int32_t ShiftState(uint16_t mod) {
  int32_t s = 0;
  if ((mod & KMOD_SHIFT) != 0) s |= CWindow::kShiftMask;
  if ((mod & KMOD_CTRL) != 0) s |= CWindow::kCtrlMask;
  if ((mod & KMOD_ALT) != 0) s |= CWindow::kAltMask;
  return s;
}

// SDL key to the desktop key code; 0 for keys the window does not report.
int32_t KeyCode(SDL_Keycode k) {
  if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return CWindow::kKeyF1 + (k - SDLK_F1);
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return 97 + (k - SDLK_KP_1);
  switch (k) {
    case SDLK_BACKSPACE: return CWindow::kKeyBack;
    case SDLK_TAB: return CWindow::kKeyTab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return CWindow::kKeyReturn;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return CWindow::kKeyShift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return CWindow::kKeyControl;
    case SDLK_LALT:
    case SDLK_RALT: return CWindow::kKeyMenu;
    case SDLK_ESCAPE: return CWindow::kKeyEscape;
    case SDLK_SPACE: return CWindow::kKeySpace;
    case SDLK_LEFT: return CWindow::kKeyLeft;
    case SDLK_UP: return CWindow::kKeyUp;
    case SDLK_RIGHT: return CWindow::kKeyRight;
    case SDLK_DOWN: return CWindow::kKeyDown;
    case SDLK_KP_0: return 96;
    case SDLK_KP_PLUS: return 107;
    default: return 0;
  }
}

int32_t MouseButton(uint8_t b) {
  switch (b) {
    case SDL_BUTTON_LEFT: return CWindow::kLeftButton;
    case SDL_BUTTON_RIGHT: return CWindow::kRightButton;
    case SDL_BUTTON_MIDDLE: return CWindow::kMiddleButton;
    default: return 0;
  }
}

int32_t ButtonMask(uint32_t state) {
  int32_t m = 0;
  if ((state & SDL_BUTTON_LMASK) != 0) m |= CWindow::kLeftButton;
  if ((state & SDL_BUTTON_RMASK) != 0) m |= CWindow::kRightButton;
  if ((state & SDL_BUTTON_MMASK) != 0) m |= CWindow::kMiddleButton;
  return m;
}

}  // namespace

struct CWindow::Impl {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* canvas = nullptr;  // PresentPixels' picture
  int32_t canvasW = 0, canvasH = 0;
  std::unique_ptr<CMenuGui> gui;
  uint32_t windowId = 0;
};

CWindow::CWindow() : m_impl(std::make_unique<Impl>()) { Windows().push_back(this); }

CWindow::~CWindow() {
  auto& all = Windows();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
  DestroyNative();
  Released.Raise();
}

bool CWindow::Load() {
  if (m_impl->window != nullptr) return true;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
    m_lastError = "the video system is not started";
    return false;
  }
  SDL_Window* w =
      SDL_CreateWindow(m_caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, m_drawW,
                       m_drawH + MenuBarHeight(), SDL_WINDOW_HIDDEN);
  if (w == nullptr) {
    m_lastError = SDL_GetError();
    return false;
  }
  SDL_Renderer* r = nullptr;
  if (!CDesktop::Headless()) r = SDL_CreateRenderer(w, -1, SDL_RENDERER_ACCELERATED);
  if (r == nullptr) r = SDL_CreateRenderer(w, -1, SDL_RENDERER_SOFTWARE);
  if (r == nullptr) {
    m_lastError = SDL_GetError();
    SDL_DestroyWindow(w);
    return false;
  }
  m_impl->window = w;
  m_impl->renderer = r;
  m_impl->windowId = SDL_GetWindowID(w);
  m_visible = false;
  ApplySize();
  return true;
}

bool CWindow::Loaded() const { return m_impl->window != nullptr; }

void CWindow::Show() {
  if (m_impl->window == nullptr) return;
  SDL_ShowWindow(m_impl->window);
  m_visible = true;
}

void CWindow::Hide() {
  if (m_impl->window == nullptr) return;
  SDL_HideWindow(m_impl->window);
  m_visible = false;
}

bool CWindow::Visible() const { return m_visible; }

void CWindow::SetCaption(const std::string& caption) {
  m_caption = caption;
  if (m_impl->window != nullptr) SDL_SetWindowTitle(m_impl->window, caption.c_str());
}

bool CWindow::Close(int32_t mode) {
  int32_t cancel = 0;
  QueryUnload.Raise(cancel, mode);
  if (cancel != 0) return false;
  UnloadEvent.Raise(cancel);
  if (cancel != 0) return false;
  DestroyNative();
  return true;
}

void CWindow::DestroyNative() {
  if (m_impl->window == nullptr) return;
  Destroying.Raise();
  m_impl->gui.reset();
  if (m_impl->canvas != nullptr) SDL_DestroyTexture(m_impl->canvas);
  m_impl->canvas = nullptr;
  SDL_DestroyRenderer(m_impl->renderer);
  SDL_DestroyWindow(m_impl->window);
  m_impl->renderer = nullptr;
  m_impl->window = nullptr;
  m_impl->windowId = 0;
  m_visible = false;
}

bool CWindow::PresentPixels(const uint32_t* pixels, int32_t width, int32_t height) {
  Impl& impl = *m_impl;
  if (impl.renderer == nullptr || pixels == nullptr || width <= 0 || height <= 0) return false;
  if (impl.canvas == nullptr || impl.canvasW != width || impl.canvasH != height) {
    if (impl.canvas != nullptr) SDL_DestroyTexture(impl.canvas);
    impl.canvas = SDL_CreateTexture(impl.renderer, SDL_PIXELFORMAT_ARGB8888,
                                    SDL_TEXTUREACCESS_STREAMING, width, height);
    impl.canvasW = width;
    impl.canvasH = height;
    if (impl.canvas == nullptr) return false;
  }
  if (SDL_UpdateTexture(impl.canvas, nullptr, pixels, width * 4) != 0) return false;
  SDL_RenderClear(impl.renderer);
  int32_t x = 0, y = 0, w = 0, h = 0;
  DrawingArea(x, y, w, h);
  const SDL_Rect area{x, y, w, h};
  SDL_RenderCopy(impl.renderer, impl.canvas, nullptr, &area);
  SDL_RenderPresent(impl.renderer);
  return true;
}

void CWindow::PlaceBeside(const CWindow& owner) {
  if (m_impl->window == nullptr || owner.m_impl->window == nullptr) return;
  int32_t ox = 0, oy = 0, ow = 0, oh = 0, w = 0, h = 0;
  SDL_GetWindowPosition(owner.m_impl->window, &ox, &oy);
  SDL_GetWindowSize(owner.m_impl->window, &ow, &oh);
  SDL_GetWindowSize(m_impl->window, &w, &h);
  SDL_SetWindowPosition(m_impl->window, ox + (ow - w) / 2, oy + (oh - h) / 2);
}

void CWindow::SetDrawingSize(int32_t width, int32_t height) {
  m_drawW = std::max<int32_t>(1, width);
  m_drawH = std::max<int32_t>(1, height);
  ApplySize();
}

int32_t CWindow::MenuBarHeight() const { return (HasMenu() && !m_fullscreen) ? kMenuBarHeight : 0; }

void CWindow::ApplySize() {
  if (m_impl->window == nullptr || m_fullscreen) return;
  SDL_SetWindowSize(m_impl->window, m_drawW, m_drawH + MenuBarHeight());
}

void CWindow::DrawingArea(int32_t& x, int32_t& y, int32_t& w, int32_t& h) const {
  if (!m_fullscreen || m_impl->window == nullptr) {
    x = 0;
    y = MenuBarHeight();
    w = m_drawW;
    h = m_drawH;
    return;
  }
  // The renderer's output is what the frame is drawn into; it can differ from the size the
  // window manager reports while a mode switch settles.
  int ww = 0, wh = 0;
  if (m_impl->renderer == nullptr || SDL_GetRendererOutputSize(m_impl->renderer, &ww, &wh) != 0)
    SDL_GetWindowSize(m_impl->window, &ww, &wh);
  if (ww <= 0 || wh <= 0) {
    x = y = 0;
    w = m_drawW;
    h = m_drawH;
    return;
  }
  // Scale to fit, keeping the drawing's aspect.
  if (static_cast<int64_t>(ww) * m_drawH <= static_cast<int64_t>(wh) * m_drawW) {
    w = ww;
    h = static_cast<int32_t>(static_cast<int64_t>(ww) * m_drawH / m_drawW);
  } else {
    h = wh;
    w = static_cast<int32_t>(static_cast<int64_t>(wh) * m_drawW / m_drawH);
  }
  x = (ww - w) / 2;
  y = (wh - h) / 2;
}

void CWindow::SetFullscreen(bool fullscreen) {
  m_fullscreen = fullscreen;
  m_menuVisible = !fullscreen;
  if (m_impl->window == nullptr) return;
  SDL_SetWindowFullscreen(m_impl->window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  ApplySize();
}

bool CWindow::MousePosition(int32_t& x, int32_t& y) const {
  if (m_impl->window == nullptr) return false;
  int mx = 0, my = 0;
  SDL_GetMouseState(&mx, &my);
  x = mx;
  y = my;
  return true;
}

void CWindow::SetMenuVisible(bool visible) {
  if (m_menuVisible == visible) return;
  m_menuVisible = visible;
  ApplySize();
}

bool CWindow::BuildMenuFrame(MenuFrame& frame) {
  if (!HasMenu() || !m_menuVisible || m_impl->window == nullptr) return false;
  if (!m_impl->gui) m_impl->gui = std::make_unique<CMenuGui>();
  int w = 0, h = 0;
  if (m_impl->renderer == nullptr || SDL_GetRendererOutputSize(m_impl->renderer, &w, &h) != 0)
    SDL_GetWindowSize(m_impl->window, &w, &h);
  m_impl->gui->BuildFrame(m_menu, w, h, kMenuBarHeight, frame);
  return true;
}

int32_t CWindow::AddTimer(const std::string& name, uint32_t intervalMs,
                          std::function<void()> onTick) {
  if (HasControl(name)) return kNameInUse;
  Control c;
  c.name = name;
  c.timer = true;
  c.interval = std::max<uint32_t>(1, intervalMs);
  c.last = NowMs();
  c.onTick = std::move(onTick);
  m_controls.push_back(std::move(c));
  return 0;
}

int32_t CWindow::AddPictureBox(const std::string& name) {
  if (HasControl(name)) return kNameInUse;
  Control c;
  c.name = name;
  m_controls.push_back(std::move(c));
  return 0;
}

void CWindow::RemoveControl(const std::string& name) {
  m_controls.erase(std::remove_if(m_controls.begin(), m_controls.end(),
                                  [&](const Control& c) { return c.name == name; }),
                   m_controls.end());
}

bool CWindow::HasControl(const std::string& name) const {
  return std::any_of(m_controls.begin(), m_controls.end(),
                     [&](const Control& c) { return c.name == name; });
}

void* CWindow::NativeWindow() const { return m_impl->window; }
void* CWindow::NativeRenderer() const { return m_impl->renderer; }

void CWindow::RunTimers(uint32_t now) {
  for (size_t i = 0; i < m_controls.size(); ++i) {
    if (!m_controls[i].timer) continue;
    if (now - m_controls[i].last < m_controls[i].interval) continue;
    m_controls[i].last = now;
    const std::function<void()> tick = m_controls[i].onTick;  // the handler may remove it
    if (tick) tick();
  }
}

void CWindow::PumpMessages() {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
    SDL_Event e;
    while (SDL_PollEvent(&e) != 0) {
      uint32_t id = 0;
      switch (e.type) {
        case SDL_WINDOWEVENT: id = e.window.windowID; break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: id = e.key.windowID; break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: id = e.button.windowID; break;
        case SDL_MOUSEMOTION: id = e.motion.windowID; break;
        case SDL_MOUSEWHEEL: id = e.wheel.windowID; break;
        case SDL_TEXTINPUT: id = e.text.windowID; break;
        default: break;
      }
      const std::vector<CWindow*> all = Windows();
      for (CWindow* w : all) {
        if (!Registered(w)) continue;
        const bool mine = id == 0 || id == w->m_impl->windowId;
        if (!mine) continue;
        if (e.type == SDL_QUIT) {
          w->Close(kCloseByUser);
        } else if (e.type == SDL_RENDER_TARGETS_RESET || e.type == SDL_RENDER_DEVICE_RESET) {
          w->RenderReset.Raise();
        } else if (w->m_impl->window != nullptr) {
          w->Dispatch(&e);
        }
      }
    }
  }
  const uint32_t now = NowMs();
  const std::vector<CWindow*> all = Windows();
  for (CWindow* w : all) {
    if (Registered(w)) w->RunTimers(now);
    if (Registered(w)) w->m_menu.RunPending();
  }
}

void CWindow::Dispatch(const void* event) {
  const SDL_Event& e = *static_cast<const SDL_Event*>(event);
  bool menuHasMouse = false;
  if (m_impl->gui && HasMenu() && m_menuVisible) menuHasMouse = m_impl->gui->ProcessEvent(&e);
  int32_t ax = 0, ay = 0, aw = 0, ah = 0;
  DrawingArea(ax, ay, aw, ah);
  const int32_t shift = ShiftState(static_cast<uint16_t>(SDL_GetModState()));
  switch (e.type) {
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: Close(kCloseByUser); break;
        case SDL_WINDOWEVENT_EXPOSED: Paint.Raise(); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: FocusLost.Raise(); break;
        default: break;
      }
      break;
    case SDL_KEYDOWN:
      if (const int32_t code = KeyCode(e.key.keysym.sym); code != 0)
        KeyDown.Raise(code, ShiftState(e.key.keysym.mod));
      break;
    case SDL_KEYUP:
      if (const int32_t code = KeyCode(e.key.keysym.sym); code != 0)
        KeyUp.Raise(code, ShiftState(e.key.keysym.mod));
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (menuHasMouse) break;
      if (const int32_t b = MouseButton(e.button.button); b != 0) {
        MouseDown.Raise(b, shift, e.button.x - ax, e.button.y - ay);
        if (e.button.clicks == 2) DblClick.Raise();
      }
      break;
    case SDL_MOUSEBUTTONUP:
      if (const int32_t b = MouseButton(e.button.button); b != 0)
        MouseUp.Raise(b, shift, e.button.x - ax, e.button.y - ay);
      break;
    case SDL_MOUSEMOTION:
      MouseMove.Raise(ButtonMask(e.motion.state), shift, e.motion.x - ax, e.motion.y - ay);
      break;
    case SDL_MOUSEWHEEL:
      if (!menuHasMouse)
        Wheel.Raise(e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y);
      break;
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED: DevicesChanged.Raise(); break;
    default: break;
  }
}

}  // namespace platform

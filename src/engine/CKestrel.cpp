// Frame controller: the frame's steps in their fixed order, window events, debug pages.
#include "engine/CKestrel.h"

#include <algorithm>
#include <cstdio>

#include "platform/CDesktop.h"

namespace engine {

namespace {

// Right-aligns to the width of an "@@..." format; longer text is kept whole.
std::string FormatAt(const std::string& value, size_t width) {
  return value.size() >= width ? value : std::string(width - value.size(), ' ') + value;
}

struct Reentry {
  explicit Reentry(bool& flag) : m_flag(flag) { m_flag = true; }
  ~Reentry() { m_flag = false; }
  bool& m_flag;
};

}  // namespace

CKestrel::CKestrel(spLib& root) : m_root(root) {
  m_rootEvents.push_back(m_root.Unload.Subscribe([this] { m_engineUnloaded = true; }));
  m_rootEvents.push_back(m_root.ViderMemoryOver.Subscribe([this] { OnSurfaceLost(); }));
}

CKestrel::~CKestrel() { UnConnect(); }

void CKestrel::Hook() {
  platform::CWindow& w = *m_window;
  std::vector<platform::CSubscription>& e = m_windowEvents;
  e.clear();
  e.push_back(w.UnloadEvent.Subscribe([this](int32_t& cancel) { OnUnload(cancel); }));
  e.push_back(w.Paint.Subscribe([this] { OnPaint(); }));
  e.push_back(w.KeyDown.Subscribe([this](int32_t k, int32_t s) { OnKeyDown(k, s); }));
  e.push_back(w.KeyUp.Subscribe([this](int32_t k, int32_t s) { OnKeyUp(k, s); }));
  e.push_back(
      w.MouseDown.Subscribe([this](int32_t b, int32_t, int32_t, int32_t) { OnMouseDown(b); }));
  e.push_back(w.MouseUp.Subscribe([this](int32_t b, int32_t, int32_t, int32_t) { OnMouseUp(b); }));
  e.push_back(w.DblClick.Subscribe([this] { OnMouseDown(m_lastButton); }));
  e.push_back(
      w.MouseMove.Subscribe([this](int32_t, int32_t, int32_t, int32_t) { m_mouseMoved = true; }));
  e.push_back(w.Wheel.Subscribe([this](int32_t notches) {
    if (IInputDevice* in = m_root.InputDevice()) in->OnWheel(notches);
  }));
  e.push_back(w.DevicesChanged.Subscribe([this] {
    if (IInputDevice* in = m_root.InputDevice()) in->OnDevicesChanged();
  }));
  e.push_back(w.FocusLost.Subscribe([this] {
    if (IInputDevice* in = m_root.InputDevice()) in->FocusLost();
  }));
  // The window object going away while connected: disconnect without touching it again.
  e.push_back(w.Released.Subscribe([this] {
    m_window = nullptr;
    m_disconnected = true;
  }));
}

void CKestrel::Unhook() { m_windowEvents.clear(); }

int32_t CKestrel::ChooseDepth() const {
  const int32_t candidates[] = {Config.ddPixelBits1, Config.ddPixelBits2, Config.ddPixelBits3,
                                Config.ddPixelBits4};
  const int32_t desktop = platform::CDesktop::DesktopDepth();
  for (int32_t c : candidates) {
    const int32_t bits = c == 0 ? desktop : c;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) continue;
    if (platform::CDesktop::HasDepth(bits)) return bits;
  }
  // Nothing matched: the back buffer is 32-bit whatever the display shows.
  return 32;
}

bool CKestrel::Connect(platform::CWindow* form, bool invisible) {
  if (form == nullptr) return false;
  UnConnect();
  bool ok = true;
  // Without a native window the engine still connects (headless runs and tests), but says
  // why; a display that needs the window then fails on its own.
  if (!form->Loaded() && !form->Load())
    std::fprintf(stderr, "kestrel: no window: %s\n", form->LastError().c_str());
  m_window = form;
  Hook();
  m_root.Connect(*form);
  m_disconnected = false;
  m_engineUnloaded = false;
  m_hasMenu = form->HasMenu();

  if (Config.ddInit) {
    if (IDisplayDevice* display = m_root.DisplayDevice()) {
      DisplayParams p;
      p.width = Config.ddWidth;
      p.height = Config.ddHeight;
      p.pixelBits = ChooseDepth();
      p.refreshRate = Config.ddRefreshRate;
      p.fullscreen = Config.ddFullscreen;
      p.halGraphics = Config.ddHALGraphics;
      p.direct3DDevice = Config.ddDirect3DDevice;
      p.attachZBuffer = Config.ddAttachZBuffer;
      p.textureCompress = Config.ddTextureCompress;
      p.disable32BitTexture = Config.ddDisable32BitTexture;
      // The frame controller runs on without a display (nothing is presented) rather than
      // stop the program, and says so.
      if (!display->Start(p)) {
        std::fprintf(stderr, "kestrel: the display device did not start (%dx%d, %d bits)\n",
                     p.width, p.height, p.pixelBits);
        ok = false;
      }
    }
  }
  if (Config.diInit) {
    if (IInputDevice* input = m_root.InputDevice()) {
      input->Start(Config.diCreateVKeyCounts);
      if (!input->Started()) {
        std::fprintf(stderr, "kestrel: the input device did not start\n");
        ok = false;
      }
    }
  }
  if (Config.dsInit) {
    if (ISoundDevice* sound = m_root.SoundDevice()) {
      sound->Start(Config.dsHz, Config.dsBits, Config.dsChannel);
      if (!sound->Started()) {
        std::fprintf(stderr, "kestrel: the sound device did not start\n");
        ok = false;
      }
    }
  }
  if (!invisible) form->Show();
  return ok;
}

void CKestrel::UnConnect() {
  if (m_window == nullptr) return;
  if (m_root.MainForm() == m_window) m_root.UnConnect();
  m_disconnected = true;
  Unhook();
  if (m_cursorHidden) {
    platform::CDesktop::ShowCursor(true);
    m_cursorHidden = false;
  }
  m_window = nullptr;
}

void CKestrel::RePaintRect(const util::CRect* dirt) {
  if (dirt == nullptr) return;
  Config.PaintRect.ExpandRect(*dirt);
}

int32_t CKestrel::Poll() {
  if (m_inPoll) return 0;
  Reentry guard(m_inPoll);
  platform::CWindow::PumpMessages();
  util::IClock& clock = m_root.Clock();
  clock.SleepMs(static_cast<uint32_t>(std::max<int32_t>(0, Config.SleepTime)));
  if (!m_disconnected) InputStep();
  if (!m_disconnected) PresentStep();
  m_rate.Step(clock.NowMs());
  return m_disconnected ? 1 : 0;
}

int32_t CKestrel::PollLocal() {
  platform::CWindow::PumpMessages();
  m_root.Clock().SleepMs(0);
  if (m_disconnected) return 1;
  if (IInputDevice* input = m_root.InputDevice()) {
    input->PollKeyboard();
    input->PollJoysticks();
    input->PollMouse();
  }
  RestoreCheck();
  return 0;
}

void CKestrel::InputStep() {
  if (m_window == nullptr) return;
  IInputDevice* input = m_root.InputDevice();
  if (input != nullptr) {
    input->PollMouse();
    input->PollKeyboard();
    input->PollJoysticks();
    input->UpdateVirtualKeys();
    int32_t mx = 0, my = 0, ax = 0, ay = 0, aw = 0, ah = 0;
    if (m_window->MousePosition(mx, my)) {
      m_window->DrawingArea(ax, ay, aw, ah);
      if (aw > 0 && ah > 0)
        input->SetCursorRelative(static_cast<float>(mx - ax) / static_cast<float>(aw),
                                 static_cast<float>(my - ay) / static_cast<float>(ah));
    }
    input->SetWindowMouseButtons(m_leftDown || m_leftPressed, m_rightDown || m_rightPressed);
  }
  m_leftPressed = m_rightPressed = false;
  ScreenSaverStep();
  FullscreenStep();
  m_mouseMoved = false;
  if (Config.GameAppService && Config.DebugService && input != nullptr && input->WheelDelta() != 0)
    m_window->Close(platform::CWindow::kCloseByUser);
}

void CKestrel::ScreenSaverStep() {
  if (!Config.GameAppService || !Config.SleepSaver) return;
  IDisplayDevice* display = m_root.DisplayDevice();
  if (display != nullptr && display->IsFullscreen()) return;
  if (m_saverIdle < INT32_MAX) ++m_saverIdle;
  if (m_saverIdle > kSaverIdleFrames && m_vkeysUsed) {
    m_saverIdle = 0;
    m_vkeysUsed = false;
    // Where a desktop would get a Shift keystroke: controllers alone are driving the game.
    platform::CDesktop::HoldOffScreenSaver();
  }
  if (m_mouseMoved) {
    m_saverIdle = 0;
    m_vkeysUsed = false;
    return;
  }
  if (IInputDevice* input = m_root.InputDevice()) {
    for (int32_t i = 0; i < 2; ++i) {
      VKeyState k;
      if (input->GetVKey(i, k) && (k.Trigger != 0 || k.Direction != 0)) m_vkeysUsed = true;
    }
  }
}

void CKestrel::FullscreenStep() {
  if (!Config.GameAppService || m_window == nullptr) return;
  IDisplayDevice* display = m_root.DisplayDevice();
  const bool fullscreen = display != nullptr && display->IsFullscreen();
  if (!fullscreen) {
    if (m_cursorHidden) {
      platform::CDesktop::ShowCursor(true);
      m_cursorHidden = false;
    }
    m_cursorIdle = 0;
    return;
  }
  if (m_hasMenu) {
    int32_t mx = 0, my = 0;
    const bool known = m_window->MousePosition(mx, my);
    if (known && my < kMenuShowBand) {
      m_window->SetMenuVisible(true);
      m_menuHideCount = kMenuHideFrames;
    } else if (m_window->MenuVisible()) {
      if (--m_menuHideCount <= 0) m_window->SetMenuVisible(false);
    }
  }
  if (m_mouseMoved) {
    m_cursorIdle = 0;
    if (m_cursorHidden) {
      platform::CDesktop::ShowCursor(true);
      m_cursorHidden = false;
    }
  } else if (m_cursorIdle < INT32_MAX && ++m_cursorIdle > kCursorIdleFrames && !m_cursorHidden) {
    platform::CDesktop::ShowCursor(false);
    m_cursorHidden = true;
  }
}

void CKestrel::RestoreCheck() {
  IDisplayDevice* display = m_root.DisplayDevice();
  if (!m_lost || display == nullptr || !display->SurfacesUsable()) return;
  m_lost = false;
  if (!Config.RestoreManual)
    display->RestoreSurfaces();
  else
    PaintDGRetore.Raise();
  Config.PaintAllFlag = true;
}

void CKestrel::PresentStep() {
  IDisplayDevice* display = m_root.DisplayDevice();
  if (m_debugCountdown > 0) {
    --m_debugCountdown;
    DrawDebugPage();
    Config.PaintAllFlag = true;
  }
  if (Config.SleepFrame > 0) {
    util::IClock& clock = m_root.Clock();
    const uint32_t sleep = m_pacer.Pace(Config.SleepFrame, clock.NowMs());
    if (sleep > 0) clock.SleepMs(sleep);
    if (m_disconnected) return;
  }
  RestoreCheck();
  const bool canPresent = display != nullptr && display->Started();
  if (Config.ddDirect3DDevice && canPresent) display->FinishScene();
  if (Config.PaintManual) {
    Paint.Raise();
    Config.PaintAllFlag = false;
    Config.PaintRect.Delete();
  } else if (Config.PaintAllFlag) {
    Config.PaintAllFlag = false;
    if (canPresent) display->PresentAll(Config.WaitVsink);
  } else if (!Config.PaintRect.IsZero()) {
    if (canPresent) display->Present(Config.PaintRect, Config.WaitVsink);
    Config.PaintRect.Delete();
  } else {
    if (canPresent) display->Present(util::CRect{}, Config.WaitVsink);
    Config.PaintRect.Delete();
  }
}

std::string CKestrel::DebugPageText() const {
  IDisplayDevice* display = m_root.DisplayDevice();
  switch (m_debugPage) {
    case 6:
      if (display == nullptr) return {};
      return " [ Support ] \r\n" + display->SupportList() + " [ NonSupport ] \r\n" +
             display->NonSupportList();
    case 7: return FormatAt(std::to_string(GetFPS()), 2);
    case 8: {
      std::string text;
      IInputDevice* input = m_root.InputDevice();
      const int32_t n = input != nullptr ? input->VKeyCount() : 0;
      for (int32_t i = 0; i < n; ++i) {
        VKeyState k;
        if (!input->GetVKey(i, k)) continue;
        const std::string idx = std::to_string(i);
        text += "VKey(" + idx + ").x = " + std::to_string(k.x) + " .y = " + std::to_string(k.y);
        text += "  VKey(" + idx + ").Button = ";
        for (int b = 0; b < 10; ++b) text += (b ? "." : "") + std::to_string(k.Button[b]);
        text += "\r\n";
      }
      return text;
    }
    case 9: return display != nullptr ? display->MemoryReport() : std::string();
    default: return {};
  }
}

void CKestrel::DrawDebugPage() {
  IDisplayDevice* display = m_root.DisplayDevice();
  if (display == nullptr || !display->Started()) return;
  const DisplayParams& p = display->Params();
  util::CRect screen;
  screen.Create(0, 0, p.width, p.height);
  switch (m_debugPage) {
    case 6:
      display->DrawText(" [ Support ] \r\n" + display->SupportList(), 32, 32);
      display->DrawText(" [ NonSupport ] \r\n" + display->NonSupportList(), 232, 32);
      break;
    case 7: display->DrawText(DebugPageText(), 32, 72); break;
    case 8: display->DrawText(DebugPageText(), 32, 32); break;
    case 9:
      display->DrawText(DebugPageText(), 32, 32);
      if (Config.PaintAllFlag)
        display->DrawFrame(screen, 255);
      else if (!Config.PaintRect.IsZero())
        display->DrawFrame(Config.PaintRect, 49152);
      else
        display->DrawFrame(screen, 0xFFFFFF);
      break;
    default: break;
  }
}

void CKestrel::SelectDebugPage(int32_t page) {
  if (page == m_debugPage && m_debugCountdown > 0) {
    m_debugCountdown = 1;
  } else {
    m_debugPage = page;
    m_debugCountdown = kDebugForever;
  }
}

void CKestrel::ToggleFullscreen() {
  IDisplayDevice* display = m_root.DisplayDevice();
  if (display == nullptr || !display->Started()) return;
  if (!display->ToggleFullscreen(!display->IsFullscreen()))
    std::fprintf(stderr, "kestrel: the display device did not switch screen modes\n");
  Config.PaintAllFlag = true;
}

void CKestrel::OnUnload(int32_t& cancel) {
  if (!m_engineUnloaded) {
    cancel = 1;
    m_disconnected = true;
  } else if (m_window != nullptr) {
    m_window->Hide();
  }
}

void CKestrel::OnPaint() {
  if (!Config.GameAppService && m_window != nullptr && !m_root.Picture().empty() &&
      m_window->HasControl(m_root.Picture()))
    return;
  if (Config.PaintManual) {
    PaintAll.Raise();
    return;
  }
  IDisplayDevice* display = m_root.DisplayDevice();
  if (!m_disconnected && display != nullptr && display->Started()) display->PresentAll(false);
}

void CKestrel::OnKeyDown(int32_t keyCode, int32_t shift) {
  if (!Config.GameAppService) return;
  if (keyCode >= platform::CWindow::kKeyF6 && keyCode <= platform::CWindow::kKeyF9) {
    if (Config.DebugService) SelectDebugPage(keyCode - platform::CWindow::kKeyF6 + 6);
  } else if (keyCode == platform::CWindow::kKeyReturn &&
             (shift & platform::CWindow::kAltMask) != 0) {
    ToggleFullscreen();
  } else if (keyCode == platform::CWindow::kKeyEscape) {
    if (m_window != nullptr) m_window->Close(platform::CWindow::kCloseByUser);
  }
  m_saverIdle = 0;
  m_vkeysUsed = false;
  platform::CDesktop::AllowScreenSaver();
}

void CKestrel::OnKeyUp(int32_t keyCode, int32_t) {
  if (!Config.GameAppService || keyCode != platform::CWindow::kKeyMenu) return;
  IDisplayDevice* display = m_root.DisplayDevice();
  if (m_hasMenu && m_window != nullptr && display != nullptr && display->IsFullscreen()) {
    m_window->SetMenuVisible(true);
    m_menuHideCount = kMenuHideFrames;
  }
}

void CKestrel::OnMouseDown(int32_t button) {
  if (button == platform::CWindow::kLeftButton) m_leftDown = m_leftPressed = true;
  if (button == platform::CWindow::kRightButton) m_rightDown = m_rightPressed = true;
  if (button != 0) m_lastButton = button;
}

void CKestrel::OnMouseUp(int32_t button) {
  if (button == platform::CWindow::kLeftButton) m_leftDown = false;
  if (button == platform::CWindow::kRightButton) m_rightDown = false;
}

void CKestrel::OnSurfaceLost() {
  if (m_engineUnloaded) return;
  m_lost = true;
  IDisplayDevice* display = m_root.DisplayDevice();
  if (!Config.RestoreManual) {
    if (display != nullptr) display->SaveSurfaces();
  } else {
    PaintDGLost.Raise();
  }
}

}  // namespace engine

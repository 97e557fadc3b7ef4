// CKestrel: the frame controller. It binds the engine to the game's window and runs one frame
// per Poll: pump the window's messages, give time back, poll input, draw the debug pages, pace
// the frame, present and count the frame rate. Relies on the engine root for the window and
// the devices, and on its clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/CFramePacer.h"
#include "engine/CFrameRate.h"
#include "engine/CKestrelConfig.h"
#include "engine/spLib.h"
#include "platform/CEvent.h"
#include "platform/CWindow.h"
#include "util/CRect.h"

namespace engine {

class CKestrel {
 public:
  static constexpr int32_t kDebugForever = 0x7FFFFF;
  static constexpr int32_t kSaverIdleFrames = 1000;
  static constexpr int32_t kCursorIdleFrames = 150;
  static constexpr int32_t kMenuHideFrames = 10;
  static constexpr int32_t kMenuShowBand = 10;

  explicit CKestrel(spLib& root = spLib::Shared());
  ~CKestrel();
  CKestrel(const CKestrel&) = delete;
  CKestrel& operator=(const CKestrel&) = delete;

  CKestrelConfig Config;

  // Connects to the window and starts the devices the configuration asks for; nothing when
  // `form` is null. False when an asked device did not start (each failure is said on stderr,
  // a missing native window too): the frame controller then runs on without it.
  [[nodiscard]] bool Connect(platform::CWindow* form, bool invisible = false);
  void UnConnect();
  // One frame: 1 when disconnected, else 0. A call made while one runs returns 0 at once.
  int32_t Poll();
  // A light frame for modal loops: messages, input, restore check; no present, no counting.
  int32_t PollLocal();
  void RePaint() { Config.PaintAllFlag = true; }
  void RePaintRect(const util::CRect* dirt);
  [[nodiscard]] int32_t GetFPS() const { return m_rate.GetFPS(); }
  [[nodiscard]] int32_t GetFPSA() const { return m_rate.GetFPSA(); }

  [[nodiscard]] bool Disconnected() const { return m_disconnected; }
  [[nodiscard]] int32_t DebugPage() const { return m_debugPage; }
  [[nodiscard]] int32_t DebugCountdown() const { return m_debugCountdown; }
  [[nodiscard]] bool SurfacesLost() const { return m_lost; }
  [[nodiscard]] platform::CWindow* Form() const { return m_window; }

  // Toggles window / full screen with the display's stored parameters.
  void ToggleFullscreen();

  // The text of the current debug page (what DrawDebugPage draws), for tests and tools.
  [[nodiscard]] std::string DebugPageText() const;

  platform::CEvent<> Paint;
  platform::CEvent<> PaintAll;
  platform::CEvent<> PaintDGLost;
  platform::CEvent<> PaintDGRetore;

 private:
  void Hook();
  void Unhook();
  void InputStep();
  void PresentStep();
  void RestoreCheck();
  void ScreenSaverStep();
  void FullscreenStep();
  void DrawDebugPage();
  void SelectDebugPage(int32_t page);
  int32_t ChooseDepth() const;

  void OnUnload(int32_t& cancel);
  void OnPaint();
  void OnKeyDown(int32_t keyCode, int32_t shift);
  void OnKeyUp(int32_t keyCode, int32_t shift);
  void OnMouseDown(int32_t button);
  void OnMouseUp(int32_t button);
  void OnSurfaceLost();

  spLib& m_root;
  platform::CWindow* m_window = nullptr;
  bool m_disconnected = true;
  bool m_engineUnloaded = false;
  bool m_lost = false;
  bool m_hasMenu = false;
  bool m_inPoll = false;

  int32_t m_debugPage = 0;
  int32_t m_debugCountdown = 0;

  int32_t m_saverIdle = 0;
  bool m_vkeysUsed = false;

  bool m_mouseMoved = false;
  bool m_leftDown = false;
  bool m_rightDown = false;
  // A press since the last input step: a click whose release came in the same frame (a quick
  // tap, a scripted click) still reaches the input step as one frame down.
  bool m_leftPressed = false;
  bool m_rightPressed = false;
  int32_t m_lastButton = 0;

  CFrameRate m_rate;
  CFramePacer m_pacer;
  int32_t m_cursorIdle = 0;
  bool m_cursorHidden = false;
  int32_t m_menuHideCount = 0;

  // Window and root subscriptions.
  std::vector<platform::CSubscription> m_windowEvents;  // while connected
  std::vector<platform::CSubscription> m_rootEvents;
};

}  // namespace engine

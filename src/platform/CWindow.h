// CWindow: the program's main window. An SDL window with a renderer, the window's events
// (close query, unload, paint, keys with desktop key codes, mouse), named auxiliary controls
// (timers that tick while messages are pumped, picture boxes), and a menu bar laid out with Dear
// ImGui above the drawing area (on demand in full screen) and drawn by the display's 3-D device.
// SDL stays in the .cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CEvent.h"
#include "CMenuBar.h"
#include "CMenuGui.h"

namespace platform {

class CWindow {
 public:
  // Desktop key codes the window reports.
  static constexpr int32_t kKeyBack = 8, kKeyTab = 9, kKeyReturn = 13, kKeyShift = 16,
                           kKeyControl = 17, kKeyMenu = 18, kKeyEscape = 27, kKeySpace = 32,
                           kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40, kKeyF1 = 112,
                           kKeyF6 = 117, kKeyF9 = 120;
  // Shift state bits of key and mouse events.
  static constexpr int32_t kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;
  // Mouse buttons.
  static constexpr int32_t kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;
  // Control errors.
  static constexpr int32_t kNameInUse = 727;
  // Why the window is closing (close query).
  static constexpr int32_t kCloseByUser = 0, kCloseByCode = 1;

  CWindow();
  ~CWindow();
  CWindow(const CWindow&) = delete;
  CWindow& operator=(const CWindow&) = delete;

  // Creates the native window, hidden, with a drawing area of width x height. false (and the
  // reason in LastError) when the video system is not started or refuses.
  [[nodiscard]] bool Load();
  [[nodiscard]] bool Loaded() const;
  void Show();
  void Hide();
  [[nodiscard]] bool Visible() const;
  void SetCaption(const std::string& caption);
  [[nodiscard]] const std::string& Caption() const { return m_caption; }
  [[nodiscard]] const std::string& LastError() const { return m_lastError; }

  // Close query then unload; each can be cancelled by a handler. True when the window went.
  bool Close(int32_t mode = kCloseByCode);

  // Drawing area size in window pixels (the menu bar, when shown in a window, comes on top).
  void SetDrawingSize(int32_t width, int32_t height);
  // Shows a 0xAARRGGBB picture in the drawing area (for small windows drawn in software, such as
  // dialogs); false when the window is not loaded or the picture cannot be shown.
  bool PresentPixels(const uint32_t* pixels, int32_t width, int32_t height);
  // Centres the window over the owner.
  void PlaceBeside(const CWindow& owner);
  [[nodiscard]] int32_t DrawingWidth() const { return m_drawW; }
  [[nodiscard]] int32_t DrawingHeight() const { return m_drawH; }
  // Where the drawing area lies in the window now: in full screen the logical size scaled to
  // fit, centred.
  void DrawingArea(int32_t& x, int32_t& y, int32_t& w, int32_t& h) const;
  void SetFullscreen(bool fullscreen);
  [[nodiscard]] bool Fullscreen() const { return m_fullscreen; }
  // Cursor position in window pixels; false when unknown.
  bool MousePosition(int32_t& x, int32_t& y) const;

  // The menu bar. In a window it is always shown when it has menus; in full screen only on
  // demand.
  [[nodiscard]] CMenuBar& Menu() { return m_menu; }
  [[nodiscard]] bool HasMenu() const { return !m_menu.Empty(); }
  void SetMenuVisible(bool visible);
  [[nodiscard]] bool MenuVisible() const { return m_menuVisible; }
  [[nodiscard]] int32_t MenuBarHeight() const;
  // Lays out the menu bar for this frame and fills `frame` with its triangles in window pixels;
  // false when no bar is shown. The display calls it just before showing the frame.
  bool BuildMenuFrame(MenuFrame& frame);

  // Auxiliary controls: 0, or kNameInUse when a control of that name exists.
  int32_t AddTimer(const std::string& name, uint32_t intervalMs, std::function<void()> onTick);
  int32_t AddPictureBox(const std::string& name);
  void RemoveControl(const std::string& name);
  [[nodiscard]] bool HasControl(const std::string& name) const;

  // The opaque SDL_Window* and SDL_Renderer*; null before Load.
  [[nodiscard]] void* NativeWindow() const;
  [[nodiscard]] void* NativeRenderer() const;

  // Processes every pending event of every window, runs due timers and queued menu clicks.
  static void PumpMessages();

  // Events. QueryUnload(cancel, mode) and Unload(cancel): set cancel non-zero to refuse.
  CEvent<int32_t&, int32_t> QueryUnload;
  CEvent<int32_t&> UnloadEvent;
  CEvent<> Paint;
  CEvent<int32_t, int32_t> KeyDown;  // key code, shift state
  CEvent<int32_t, int32_t> KeyUp;
  CEvent<int32_t, int32_t, int32_t, int32_t> MouseDown;  // button, shift, x, y (drawing area)
  CEvent<int32_t, int32_t, int32_t, int32_t> MouseUp;
  CEvent<int32_t, int32_t, int32_t, int32_t> MouseMove;
  CEvent<> DblClick;
  CEvent<> FocusLost;
  CEvent<> RenderReset;     // the renderer's textures were lost
  CEvent<> Destroying;      // the native window and renderer are about to go
  CEvent<> Released;        // the window object itself is going: forget it, touch nothing
  CEvent<int32_t> Wheel;    // notches turned, away from the user positive
  CEvent<> DevicesChanged;  // a game controller was plugged in or out

 private:
  struct Impl;
  struct Control {
    std::string name;
    bool timer = false;
    uint32_t interval = 0;
    uint32_t last = 0;
    std::function<void()> onTick;
  };

  void Dispatch(const void* event);
  void DestroyNative();
  void ApplySize();
  void RunTimers(uint32_t now);

  std::unique_ptr<Impl> m_impl;
  std::string m_caption = "Tumbleroo";
  std::string m_lastError;
  int32_t m_drawW = 800;
  int32_t m_drawH = 600;
  bool m_fullscreen = false;
  bool m_visible = false;
  bool m_menuVisible = true;
  CMenuBar m_menu;
  std::vector<Control> m_controls;
};

}  // namespace platform

// frmKeyConfig: the key configuration dialog for one player, a small window of its own opened
// from the main window's menu. Its timer captures inputs: a captured input binds the slot that
// has the focus and moves the focus on, the keyboard's arrow keys move the focus (so they are
// not bound here; the key configuration screen binds them), and on the buttons any input
// presses them. OK writes the working copy back to the player's map only when no two slots
// show the same key; the dialog then closes itself, and its job's nested loop ends.
//
// The timer reads the keyboard and the edited player's own joystick (never another player's):
// players on the keyboard can set their keys too. Slots with nothing bound are no clash.
// The window is drawn in software with the game's font and presented through the window layer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "input/spLibInput.h"
#include "platform/CEvent.h"

namespace platform {
class CWindow;
class CFontRaster;
}  // namespace platform

namespace game {

class frmKeyConfig {
 public:
  static constexpr int32_t kFocusOk = -1;
  static constexpr int32_t kFocusCancel = -2;
  static constexpr int32_t kWidth = 400;
  static constexpr int32_t kHeight = 480;
  static constexpr const char* kOkCaption = "ＯＫ";
  static constexpr const char* kDuplicateCaption = "重複しています！";

  // The slots shown, in focus order: buttons 1 to 6, then up, down, left, right.
  static const std::vector<int32_t>& VisibleSlots();

  explicit frmKeyConfig(input::spLibInput& input);
  ~frmKeyConfig();
  frmKeyConfig(const frmKeyConfig&) = delete;
  frmKeyConfig& operator=(const frmKeyConfig&) = delete;

  // Prepares the dialog for player 0..3 and shows it over the owner (no window: the dialog
  // runs without one, as in tests).
  void SetPlayerIndex(platform::CWindow* owner, int32_t playerIndex);
  // One timer tick: captures an input and acts on it.
  void Timer1_Timer();
  // What a tick does with a captured code (0: nothing captured).
  void Captured(int32_t code);
  void SetFocus(int32_t focus);
  void Command1_Click();  // OK
  void Command2_Click();  // cancel
  void Unload();
  // Draws the dialog into its window (when it has one).
  void Draw();
  // A click in the window's drawing area.
  void Click(int32_t x, int32_t y);

  [[nodiscard]] bool Closed() const { return m_closed; }
  [[nodiscard]] int32_t Focus() const { return m_focus; }
  [[nodiscard]] int32_t PlayerIndex() const { return m_player; }
  [[nodiscard]] const std::string& Caption() const { return m_caption; }
  [[nodiscard]] const std::string& Label(int32_t slot) const { return m_labels[static_cast<size_t>(slot)]; }
  [[nodiscard]] const std::string& OkCaption() const { return m_okCaption; }
  [[nodiscard]] bool OkEnabled() const { return m_okEnabled; }
  [[nodiscard]] const input::VKeyMap& Working() const { return m_working; }

 private:
  void SetLabel(int32_t slot, const std::string& name);
  void Recheck();
  [[nodiscard]] bool HasDuplicates() const;
  void MoveFocus(int32_t step);
  void Close();

  input::spLibInput& m_input;
  int32_t m_player = 0;
  int32_t m_focus = 0;
  bool m_closed = false;
  input::VKeyMap m_working{};
  std::array<std::string, input::kMapSlots> m_labels;
  std::string m_caption;
  std::string m_okCaption = kOkCaption;
  bool m_okEnabled = true;
  std::unique_ptr<platform::CWindow> m_window;
  std::vector<platform::CSubscription> m_windowEvents;  // dropped before the window
  std::unique_ptr<platform::CFontRaster> m_font;
  std::unique_ptr<platform::CFontRaster> m_small;
  std::vector<uint32_t> m_pixels;
};

}  // namespace game

// CKeyConfigScreen: the full-screen key configuration (JobKeyConfigScreen). A panel with the
// four player items, the ten binding slots of the edited player and a way back; choosing a
// player captures ten presses in a row into that player's map of the input module.
// Relies on CTextScreen's layer set, util::CRects (the items, from KeyConfig.txt), and the
// input module through ScreenInput (capture, key names, maps). Like the other text screens it
// never presents: the caller calls CTextScreen::Sub_RenderLayer after every Frame.
#pragma once

#include <cstdint>
#include <string>

#include "game/CTextScreen.h"
#include "game/ScreenInput.h"
#include "image/CmgBBI.h"
#include "util/CRects.h"

namespace util {
class CApi;
}

namespace game {

// JobKeyConfigScreen. True when the screen is finished (back to the menu).
class CKeyConfigScreen {
 public:
  // Items of KeyConfig.txt: binding slots 0-9 (up, down, left, right, buttons 1-6), players,
  // back to the menu.
  static constexpr int32_t kLastSlot = 9;
  static constexpr int32_t kFirstPlayerItem = 12;
  static constexpr int32_t kBackItem = 16;
  static constexpr int32_t kPlayers = 4;
  // Layers: the backdrop, the panel, the outline, the prompt, the key names.
  static constexpr int32_t kBackdropLayer = 0;
  static constexpr int32_t kPanelLayer = 1;
  static constexpr int32_t kOutlineLayer = 7;
  static constexpr int32_t kPromptLayer = 8;
  static constexpr int32_t kNameLayer = 9;
  static constexpr const char* kPrompt = "設定するキーを押してください";
  static constexpr const char* kCapturing = "■";

  // api: file access for the rectangle list and the pictures (the engine root's when null).
  explicit CKeyConfigScreen(util::CApi* api = nullptr);

  bool Frame(int32_t framecount, const ScreenInput& in, CTextScreen& text);

  // The map index (input::VKeyMap) a binding slot writes: 0-3 up, down, left, right; 4-9
  // buttons 1-6. -1 for anything else.
  static int32_t MapIndexOfSlot(int32_t slot);

  [[nodiscard]] int32_t Cursor() const { return m_cursor; }
  [[nodiscard]] int32_t Player() const { return m_player; }
  [[nodiscard]] bool PromptShown() const { return m_promptShown; }
  [[nodiscard]] const util::CRects& Items() const { return m_items; }
  // What the slot shows: the key name of the bound code, or "■" while it is captured.
  [[nodiscard]] const std::string& SlotText(int32_t slot) const;

 private:
  void Start(CTextScreen& text);
  void Redraw(const ScreenInput& in, CTextScreen& text);
  // A frame `width` pixels wide, `gap` pixels outside the rectangle.
  void DrawOutline(CTextScreen& text, const util::CRect& r, int32_t gap, int32_t width);
  [[nodiscard]] static bool IsSlot(int32_t item) { return item >= 0 && item <= kLastSlot; }
  [[nodiscard]] util::CApi& Api() const;

  util::CApi* m_api = nullptr;
  util::CRects m_items;
  image::CmgBBI m_panel;
  image::CmgBBI m_backdrop;
  int32_t m_cursor = -1;
  int32_t m_player = 0;
  bool m_redraw = false;
  int32_t m_lastCaptured = 0;
  bool m_promptShown = false;
  std::string m_slotText[kLastSlot + 1];
};

}  // namespace game

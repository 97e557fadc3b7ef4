// CMenuScreen: the main menu. Five captioned items over the default stage picture, a cursor
// moved by the players' keys and the mouse, the number of human players set with left and
// right, the game mode stepped in place, and the chosen item handed back to the scene chain.
// Relies on CGraphics (drawn as quads of the 3-D device), CRects (cursor and hit tests) and
// ScreenInput; the match record holds the mode and the number of humans.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "game/CMatch.h"
#include "game/ScreenInput.h"
#include "present/CGraphics.h"
#include "util/CRects.h"

namespace engine {
class spLib;
}

namespace game {

class CMenuScreen {
 public:
  static constexpr int32_t kItems = 5;
  static constexpr int32_t kModes = 8;
  static constexpr int32_t kItemLeft = 36;
  static constexpr int32_t kItemWidth = 200;
  static constexpr int32_t kItemHeight = 50;
  static constexpr int32_t kItemTop[kItems] = {200, 265, 330, 395, 460};
  // Items 2 (key configuration screen) and 3 (under construction) are shown but never chosen.
  static constexpr bool kItemEnabled[kItems] = {true, true, false, false, true};
  static constexpr int32_t kRepeatDelay = 24;
  static constexpr int32_t kRepeatInterval = 6;
  static constexpr uint32_t kTintCursor = 0xFFA0D0B0u;
  static constexpr uint32_t kTintEnabled = 0xEE808080u;
  static constexpr uint32_t kTintDisabled = 0x60808080u;
  static constexpr int32_t kScreenWidth = 800;
  static constexpr int32_t kScreenHeight = 600;

  // What Frame returns.
  static constexpr int32_t kNothing = -1;
  static constexpr int32_t kStart = 0;
  static constexpr int32_t kMode = 1;  // already acted on: the mode has stepped
  static constexpr int32_t kKeyConfig = 2;
  static constexpr int32_t kUnderConstruction = 3;
  static constexpr int32_t kExit = 4;

  // match: the mode chosen / mode in play / human players live there (match.modeChosen,
  // match.modeInPlay, match.humanPlayers). root: the engine root (DirectDrawViderMemoryOver on
  // the first frame; null in tests).
  CMenuScreen(CMatch& match, engine::spLib* root);
  CMenuScreen(const CMenuScreen&) = delete;
  CMenuScreen& operator=(const CMenuScreen&) = delete;

  // Scene convention: framecount 1 = first frame (set-up), > 1 running, < 0 final frame (release
  // pictures). Draws the menu on the back buffer through CGraphics (the caller presents with
  // CKestrel::RePaint). Returns the item chosen this frame: 0 start, 2 key configuration
  // screen, 3 under construction, 4 exit; 1 when the mode was stepped (nothing for the caller
  // to do); -1 when nothing was chosen.
  int32_t Frame(int32_t framecount, const ScreenInput& in);
  [[nodiscard]] int32_t Cursor() const { return m_cursor; }

  // The players text for a number of humans ("人間 1人", "ｺﾝﾋﾟｭｰﾀ 3人", "←→" on three lines).
  [[nodiscard]] static std::string PlayersText(int32_t humans);
  // The texts the pictures were last rendered from (empty before the first frame).
  [[nodiscard]] const std::string& ModeTextShown() const { return m_modeTextShown; }
  [[nodiscard]] const std::string& PlayersTextShown() const { return m_playersTextShown; }
  [[nodiscard]] const util::CRects& Items() const { return m_rects; }

 private:
  void SetUp(const ScreenInput& in);
  void Steer(const ScreenInput& in);
  void Draw();
  int32_t Choose(const ScreenInput& in);
  void RenderModeText();
  void RenderPlayersText();
  // The enabled item under the pointer, -1 when none (or the pointer is off the drawing area).
  [[nodiscard]] int32_t ItemUnderPointer(const input::InputCounters& c) const;
  // Gives a fresh text picture its dark rim, its shadow and its colour.
  static void Dress(present::CGraphics& text, uint32_t colour);

  CMatch& m_match;
  engine::spLib* m_root = nullptr;
  int32_t m_cursor = 0;
  util::CRects m_rects;
  present::CGraphics m_background;
  std::array<present::CGraphics, kItems> m_itemPictures;
  present::CGraphics m_modeText;
  present::CGraphics m_playersText;
  std::string m_modeTextShown;
  std::string m_playersTextShown;
};

}  // namespace game

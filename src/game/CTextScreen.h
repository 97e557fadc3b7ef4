// The text screens: the result screen, the "工事中" screen and (CKeyConfigScreen.h) the key
// configuration screen. They are composed in software, through a layer set, into one 800 x 600
// screen image that CTextScreen::Sub_RenderLayer copies to the display's back buffer.
// Relies on present::CLayer, the image functions, the pixel library (through the run-time
// binding) for the copies to and from the back buffer, and the engine root's display device.
//
// Every screen's Frame only changes the layers; it never presents. The caller presents each
// frame (the first one included) with CTextScreen::Sub_RenderLayer right after Frame.
#pragma once

#include <cstdint>
#include <string>

#include "game/CMatch.h"
#include "game/GameFont.h"
#include "game/IMatchSound.h"
#include "game/ScreenInput.h"
#include "image/CmgBBI.h"
#include "present/CLayer.h"
#include "util/CRect.h"

namespace engine {
class CKestrel;
class spLib;
}  // namespace engine
namespace util {
class CApi;
}

namespace game {

// The text screens' state: the 800 x 600 screen image, the layer set (10 layers), the frozen
// screen, the dirty rectangle and the force-repaint flag.
class CTextScreen {
 public:
  static constexpr int32_t kWidth = 800;
  static constexpr int32_t kHeight = 600;
  static constexpr int32_t kLayers = 10;
  // The text screens' font unless a screen names another.
  static constexpr const char* kFont = kGameFont;

  // root: the engine root whose display device holds the back buffer; with none (tests,
  // headless runs) nothing is read from or copied to a display.
  explicit CTextScreen(engine::spLib* root = nullptr);
  CTextScreen(const CTextScreen&) = delete;
  CTextScreen& operator=(const CTextScreen&) = delete;

  present::CLayer& Layers() { return m_layers; }
  image::CmgBBI& ScreenImage() { return m_screen; }
  image::CmgBBI& FrozenScreen() { return m_frozen; }
  [[nodiscard]] const util::CRect& DirtyRect() const { return m_dirt; }
  [[nodiscard]] bool ForceRepaint() const { return m_forceRepaint; }

  // Empties the layer set: every layer cleared, unused, with default settings.
  void ClearLayers();
  // Clears the layer set, copies the back buffer into the frozen screen and shows it dimmed
  // (layer configuration Add with blend 1.0, Vivit 0.1, BlackBorder 0x605020, white).
  void FreezeDimmed();
  // Shows str at once in layer `index`, laid out in box; with a shadow layer (below it) the
  // same text also falls there as a soft dark shadow, so it reads over any frozen picture.
  void ShowText(int32_t index, const std::string& str, int32_t fontSize, uint32_t color,
                int32_t alignX, int32_t alignY, const util::CRect& box, int32_t shadowIndex = -1);

  // Sub_RenderLayer: compose; present the whole image when forced, else only the dirty
  // rectangle (CKestrel::RePaint / RePaintRect). windowScale: the display's window scale.
  // The display device scales the window itself and the back buffer stays 800 x 600, so no
  // half-size image is made: while the scale is not 1.0 the whole image is copied and
  // presented and the force-repaint flag is set; the first frame back at 1.0 is then presented
  // whole (clearing the flag), and later frames only by their dirty rectangle.
  void Sub_RenderLayer(engine::CKestrel& kestrel, float windowScale);

 private:
  // The display's back buffer as a pixel-library handle; null without a started display.
  void* BackBuffer() const;
  void CopyToBackBuffer(const util::CRect& area);

  engine::spLib* m_root = nullptr;
  image::CmgBBI m_screen;
  image::CmgBBI m_frozen;
  present::CLayer m_layers;
  util::CRect m_dirt;
  bool m_forceRepaint = false;
};

// JobResult. Returns 1 when a button starts the next round, 2 when Enter or BackSpace released
// returns to the menu (both only after frame 40), else 0.
class CResultScreen {
 public:
  // Layers: 0 the frozen screen; each text over its shadow.
  static constexpr int32_t kTitleLayer = 2;
  static constexpr int32_t kResultLayer = 4;
  static constexpr int32_t kContinueLayer = 6;
  static constexpr int32_t kDeafFrames = 40;
  static constexpr int32_t kNextRound = 1;
  static constexpr int32_t kToMenu = 2;

  int32_t Frame(int32_t framecount, const CMatch& match, const ScreenInput& in, CTextScreen& text,
                IMatchSound& sound, util::CApi& api);

  // The result text: the players' results (or one of the draw texts, by Math_Rnd(0, 3)), a
  // line break, then every player's win count.
  static std::string ResultText(const CMatch& match, util::CApi& api);
};

// JobUnderConstruction. True when a button (from frame 11) returns to the menu.
class CUnderConstructionScreen {
 public:
  static constexpr int32_t kTitleLayer = 2;
  static constexpr int32_t kMessageLayer = 4;
  static constexpr int32_t kFirstButtonFrame = 11;

  bool Frame(int32_t framecount, const ScreenInput& in, CTextScreen& text);
};

}  // namespace game

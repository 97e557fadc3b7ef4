// CMenuScreen: set-up, steering, drawing and choosing.
#include "game/CMenuScreen.h"

#include <algorithm>
#include <cmath>

#include "engine/spLib.h"
#include "game/GameFont.h"
#include "image/CmgBBIFunction.h"
#include "input/spLibInput.h"

namespace game {

namespace {

constexpr const char* kBackgroundFile = "\\Res\\Graphic\\Back\\デフォルトステージ.bmp";
constexpr int32_t kModeTextWidth = 512, kModeTextHeight = 64, kModeTextSize = 30;
constexpr int32_t kPlayersTextSide = 256, kPlayersTextSize = 40;
constexpr int32_t kModeTextBottomX = 400, kModeTextBottomY = 600;
constexpr int32_t kPlayersTextX = 600, kPlayersTextY = 300;
// Alpha blend, the texture's colour times twice the corner colour (mid-grey leaves it as it
// is, so the cursor's tint lifts its item clearly), the texture's alpha times the corner
// alpha: the item tints brighten and fade.
constexpr uint32_t kRenderTinted = 0x231u;
// Alpha blend, the picture's colour times the corner colour, its alpha times the corner alpha:
// white glyphs take the corner colour, their dark rim stays dark.
constexpr uint32_t kRenderText = 0x221u;
constexpr uint32_t kTextColour = 0xFFFFFFFFu;
constexpr uint32_t kModeTextColour = 0xFFFFF4C8u;
constexpr uint32_t kRimColour = 0xFF2A1E3Au;
constexpr uint32_t kShadowColour = 0x70000000u;

std::string ItemFile(int32_t item) {
  return "\\Res\\Graphic\\Menu\\" + std::to_string(item + 1) + ".bmp";
}

}  // namespace

CMenuScreen::CMenuScreen(CMatch& match, engine::spLib* root)
    : m_match(match),
      m_root(root),
      m_background(root),
      m_itemPictures{present::CGraphics(root), present::CGraphics(root), present::CGraphics(root),
                     present::CGraphics(root), present::CGraphics(root)},
      m_modeText(root),
      m_playersText(root) {}

int32_t CMenuScreen::Frame(int32_t framecount, const ScreenInput& in) {
  if (framecount == 1) {
    SetUp(in);
    return kNothing;
  }
  if (framecount < 0) {
    // Fresh objects: the textures, the pictures and the shared bitmap references all go.
    for (present::CGraphics& item : m_itemPictures) item = present::CGraphics(m_root);
    m_modeText = present::CGraphics(m_root);
    m_playersText = present::CGraphics(m_root);
    return kNothing;
  }
  if (framecount == 0) return kNothing;
  Steer(in);
  Draw();
  return Choose(in);
}

std::string CMenuScreen::PlayersText(int32_t humans) {
  return "人間 " + std::to_string(humans) + "人\r\nｺﾝﾋﾟｭｰﾀ " +
         std::to_string(kPlayerCount - humans) + "人\r\n←→";
}

void CMenuScreen::SetUp(const ScreenInput& in) {
  if (m_root != nullptr) m_root->DirectDrawViderMemoryOver();
  m_cursor = 0;
  m_rects.Resize(kItems);
  for (int32_t i = 0; i < kItems; ++i) {
    m_rects.Item(i)->Create(kItemLeft, kItemTop[i], kItemWidth, kItemHeight);
    m_rects.ItemEnabled(i, true);
  }
  for (int32_t i = 0; i < kItems; ++i)
    if (!kItemEnabled[i]) m_rects.ItemEnabled(i, false);

  m_background.Load(kBackgroundFile, present::CGraphics::kLoadErrorText);
  for (int32_t i = 0; i < kItems; ++i) {
    present::CGraphics& item = m_itemPictures[static_cast<size_t>(i)];
    item.Load(ItemFile(i), present::CGraphics::kLoadErrorText);
    item.SetRender(kRenderTinted);
  }

  m_match.modeChosen = 0;
  m_match.modeInPlay = 0;
  RenderModeText();
  // Every controller plugged in is a human; the keyboard is always one. More controllers than
  // places leave no computers rather than a negative count.
  m_match.humanPlayers = std::clamp(in.joystickCount, 1, kPlayerCount);
  RenderPlayersText();
}

void CMenuScreen::Steer(const ScreenInput& in) {
  const VKey& key = in.merged;
  const bool repeat =
      input::spLibInput::RepeatTest(key.DirectionCount, kRepeatDelay, kRepeatInterval);
  if (repeat && (key.x != 0 || key.y != 0)) m_cursor = m_rects.NextIndexEx(m_cursor, key.x, key.y);
  if (repeat && (key.Direction == -1 || key.Direction == 1)) {
    int32_t humans = m_match.humanPlayers + key.Direction;
    if (humans < 0) humans = kPlayerCount;
    if (humans > kPlayerCount) humans = 0;
    m_match.humanPlayers = humans;
    RenderPlayersText();
  }

  // The window's own button events, not the mouse device: the device also counts the clicks
  // that the window's menu bar takes, a click on the bar or in one of its drop-downs, and the
  // click that closes an open drop-down wherever it lands. Read from the device, such a click
  // would knock the cursor off its item or choose the item under it (exit, say).
  const input::InputCounters& c = in.counters;
  if (c.MouseMoved) {
    const int32_t under = ItemUnderPointer(c);
    if (under >= 0) m_cursor = under;
  }
  if (c.WindowMouseLeft == 1) m_cursor = ItemUnderPointer(c);
}

int32_t CMenuScreen::ItemUnderPointer(const input::InputCounters& c) const {
  const float fx = c.MouseRelX * static_cast<float>(kScreenWidth);
  const float fy = c.MouseRelY * static_cast<float>(kScreenHeight);
  // A pointer far outside the drawing area (or a broken reading) is over no item; this also
  // keeps the conversion to an integer defined.
  if (!std::isfinite(fx) || !std::isfinite(fy) || std::fabs(fx) > 1e6f || std::fabs(fy) > 1e6f)
    return -1;
  return m_rects.PointEx(static_cast<int32_t>(std::lrint(fx)),
                         static_cast<int32_t>(std::lrint(fy)));
}

void CMenuScreen::Draw() {
  m_background.DrawD3DDraw(0, 0);
  for (int32_t i = 0; i < kItems; ++i) {
    present::CGraphics& item = m_itemPictures[static_cast<size_t>(i)];
    const uint32_t tint = i == m_cursor            ? kTintCursor
                          : m_rects.ItemEnabled(i) ? kTintEnabled
                                                   : kTintDisabled;
    item.Color(tint);
    item.DrawD3DDraw(static_cast<float>(kItemLeft), static_cast<float>(kItemTop[i]));
  }
  m_modeText.DrawD3DDraw(static_cast<float>(kModeTextBottomX - kModeTextWidth / 2),
                         static_cast<float>(kModeTextBottomY - kModeTextHeight));
  m_playersText.DrawD3DDraw(static_cast<float>(kPlayersTextX - kPlayersTextSide / 2),
                            static_cast<float>(kPlayersTextY - kPlayersTextSide / 2));
}

void CMenuScreen::Dress(present::CGraphics& text, uint32_t colour) {
  // The texts stand on a bright sky and a green hill: a dark rim and a soft shadow keep the
  // thin strokes readable on both. Made once per text, not per frame.
  image::CmgBBIFunction& fn = image::CmgBBIFunction::Shared();
  fn.EfectOutLine(text.BBI, kRimColour, kRimColour, kRimColour, kRimColour, 2);
  fn.EfectDropShadow(text.BBI, 2, 3, 2, kShadowColour);
  text.Refresh();
  text.SetRender(kRenderText);
  text.Color(colour);
}

int32_t CMenuScreen::Choose(const ScreenInput& in) {
  const input::InputCounters& c = in.counters;
  if (c.Enter != 1 && c.WindowMouseLeft != 1 && in.merged.Trigger == 0) return kNothing;
  switch (m_cursor) {
    case kStart:
    case kKeyConfig:
    case kUnderConstruction:
    case kExit: return m_cursor;
    case kMode:
      m_match.modeChosen = m_match.modeChosen >= kModes - 1 ? 0 : m_match.modeChosen + 1;
      RenderModeText();
      return kMode;
    default: return kNothing;
  }
}

void CMenuScreen::RenderModeText() {
  const int32_t mode =
      m_match.modeChosen >= 0 && m_match.modeChosen < kModes ? m_match.modeChosen : 0;
  m_modeTextShown = CMatch::kModeNames[mode];
  m_modeText.LoadText(m_modeTextShown, kModeTextWidth, kModeTextHeight, kModeTextSize, kGameFont, 0, true,
                      0, 0, 1, 1);
  Dress(m_modeText, kModeTextColour);
}

void CMenuScreen::RenderPlayersText() {
  m_playersTextShown = PlayersText(m_match.humanPlayers);
  m_playersText.LoadText(m_playersTextShown, kPlayersTextSide, kPlayersTextSide, kPlayersTextSize,
                         kGameFont, 0, true, 0, 0, 1, 1);
  Dress(m_playersText, kTextColour);
}

}  // namespace game

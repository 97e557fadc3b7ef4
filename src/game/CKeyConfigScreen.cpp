// Key configuration screen: items, capture into the maps, cursor, mouse and drawing.
#include "game/CKeyConfigScreen.h"

#include <algorithm>
#include <cmath>

#include "engine/spLib.h"
#include "image/CmgBBIFunction.h"
#include "input/spLibInput.h"
#include "util/CApi.h"

namespace game {

namespace {

constexpr const char* kItemsFile = "\\Res\\Graphic\\Menu\\KeyConfig.txt";
constexpr const char* kPanelFile = "\\Res\\Graphic\\Menu\\KeyConfig.bmp";
constexpr const char* kBackdropFile = "\\Res\\Graphic\\Back\\デフォルトステージ.bmp";
constexpr const char* kLoadError = "ファイルの読み込みに失敗";
constexpr const char* kNameFont = "ＭＳ ゴシック";

constexpr int32_t kOutlineColor = 0xFFD060;
constexpr int32_t kPromptColor = 0xFFE890;
constexpr int32_t kNameColor = 0xFFFFFF;
// The prompt sits between the player items and the slots.
constexpr int32_t kPromptTop = 158, kPromptHeight = 30;

void ClearImage(image::CmgBBI& img) {
  uint32_t* p = img.Pixels();
  if (p == nullptr) return;
  const auto stride = static_cast<size_t>(img.XLen()) / 4;
  for (int32_t y = 0; y < img.height(); ++y)
    std::fill_n(p + static_cast<size_t>(y) * stride, img.Width(), 0u);
}

// Opaque pixels in [l, r) x [t, b), clipped to the image; the layer's colour shows them.
void FillOpaque(image::CmgBBI& img, int32_t l, int32_t t, int32_t r, int32_t b) {
  uint32_t* p = img.Pixels();
  if (p == nullptr) return;
  l = std::max(l, 0), t = std::max(t, 0);
  r = std::min(r, img.Width()), b = std::min(b, img.height());
  const auto stride = static_cast<size_t>(img.XLen()) / 4;
  for (int32_t y = t; y < b; ++y)
    for (int32_t x = l; x < r; ++x)
      p[static_cast<size_t>(y) * stride + static_cast<size_t>(x)] = 0xFF000000u;
}

}  // namespace

CKeyConfigScreen::CKeyConfigScreen(util::CApi* api) : m_api(api) {}

util::CApi& CKeyConfigScreen::Api() const {
  return m_api != nullptr ? *m_api : engine::spLib::Shared().Api();
}

int32_t CKeyConfigScreen::MapIndexOfSlot(int32_t slot) {
  switch (slot) {
    case 0: return input::kMapUp;
    case 1: return input::kMapDown;
    case 2: return input::kMapLeft;
    case 3: return input::kMapRight;
    default: return IsSlot(slot) ? slot - 4 : -1;
  }
}

const std::string& CKeyConfigScreen::SlotText(int32_t slot) const {
  static const std::string none;
  return IsSlot(slot) ? m_slotText[slot] : none;
}

void CKeyConfigScreen::Start(CTextScreen& text) {
  present::CLayer& layers = text.Layers();
  text.ClearLayers();
  m_cursor = -1;
  m_player = 0;
  m_lastCaptured = 0;
  m_promptShown = false;
  // A missing list leaves it empty: nothing can be chosen.
  m_items = util::CRects();
  (void)m_items.Load(kItemsFile, &Api());
  m_panel = image::CmgBBI(&Api());
  m_backdrop = image::CmgBBI(&Api());
  image::CmgBBIFunction& fn = image::CmgBBIFunction::Shared();
  if (m_backdrop.CreateBBIfromFile(kBackdropFile, kLoadError) == 0)
    fn.BBIExpandBlt(*layers.BBI(kBackdropLayer), m_backdrop);
  layers.Redraw(kBackdropLayer);
  // The panel is drawn with its own alpha over the backdrop.
  if (m_panel.CreateBBIfromFile(kPanelFile, kLoadError) == 0)
    fn.BBIExpandBlt(*layers.BBI(kPanelLayer), m_panel, 0, 0, m_panel.Width(), m_panel.height());
  layers.Config(kPanelLayer)->Add(1.0f, true);
  layers.Redraw(kPanelLayer);
  layers.Config(kOutlineLayer)->AddTextColor(kOutlineColor);
  layers.Config(kPromptLayer)
      ->AddText(kPromptColor, 1.0f, false, 22, CTextScreen::kFont, 0, true, 0, kPromptTop,
                CTextScreen::kWidth, kPromptHeight, 0, 0, 1, 1);
  layers.Config(kNameLayer)
      ->AddText(kNameColor, 1.0f, false, 20, kNameFont, 0, true, 0, 0, CTextScreen::kWidth,
                CTextScreen::kHeight, 0, 0, 1, 1);
  m_redraw = true;
}

bool CKeyConfigScreen::Frame(int32_t framecount, const ScreenInput& in, CTextScreen& text) {
  if (framecount <= 0) return false;
  if (framecount == 1) {
    Start(text);
    Redraw(in, text);
    return false;
  }
  // A press held over several frames is one press.
  const int32_t raw = in.device != nullptr ? in.device->CaptureInput(-1) : 0;
  const int32_t code = raw == m_lastCaptured ? 0 : raw;
  m_lastCaptured = raw;

  if (IsSlot(m_cursor)) {
    // Capturing: only a press does anything, so a key bound here never also moves or chooses.
    if (code != 0) {
      if (input::VKeyMap* map = in.device->Map(m_player))
        (*map)[static_cast<size_t>(MapIndexOfSlot(m_cursor))] = code;
      ++m_cursor;
      // After the last slot: the next player's item (after the last player, the way back).
      if (m_cursor > kLastSlot) m_cursor = kFirstPlayerItem + 1 + m_player;
      m_redraw = true;
    }
  } else {
    const VKey& key = in.merged;
    if (key.Direction != 0 && input::spLibInput::RepeatTest(key.DirectionCount, 24, 6)) {
      m_cursor = m_items.NextIndexEx(m_cursor, key.x, key.y);
      m_redraw = true;
    }
    const auto px = static_cast<int32_t>(std::lrint(in.counters.MouseRelX * CTextScreen::kWidth));
    const auto py = static_cast<int32_t>(std::lrint(in.counters.MouseRelY * CTextScreen::kHeight));
    const int32_t pointed = m_items.PointEx(px, py);
    const bool click = in.counters.MouseLeft == 1;
    if ((in.counters.MouseMoved || click) && pointed >= 0 && pointed != m_cursor) {
      m_cursor = pointed;
      m_redraw = true;
    }
    if (key.Trigger == 1 || (click && pointed >= 0)) {
      if (m_cursor >= kFirstPlayerItem && m_cursor < kFirstPlayerItem + kPlayers) {
        m_player = m_cursor - kFirstPlayerItem;
        m_cursor = 0;
        m_redraw = true;
      } else if (m_cursor == kBackItem) {
        return true;
      }
    }
  }
  if (m_redraw) Redraw(in, text);
  return false;
}

void CKeyConfigScreen::DrawOutline(CTextScreen& text, const util::CRect& r, int32_t gap,
                                   int32_t width) {
  image::CmgBBI& img = *text.Layers().BBI(kOutlineLayer);
  const int32_t l = r.Left - gap - width, t = r.Top - gap - width;
  const int32_t rr = r.Left + r.Width + gap + width, b = r.Top + r.Height + gap + width;
  // Corners left open by one pixel, so the frame reads as rounded.
  FillOpaque(img, l + 1, t, rr - 1, t + width);
  FillOpaque(img, l + 1, b - width, rr - 1, b);
  FillOpaque(img, l, t + 1, l + width, b - 1);
  FillOpaque(img, rr - width, t + 1, rr, b - 1);
}

void CKeyConfigScreen::Redraw(const ScreenInput& in, CTextScreen& text) {
  m_redraw = false;
  present::CLayer& layers = text.Layers();
  if (m_cursor >= kFirstPlayerItem && m_cursor < kFirstPlayerItem + kPlayers)
    m_player = m_cursor - kFirstPlayerItem;

  // Key names: the bound code's name, or the mark on the slot being captured.
  const input::VKeyMap* map = in.device != nullptr ? in.device->Map(m_player) : nullptr;
  image::CmgBBI& names = *layers.BBI(kNameLayer);
  ClearImage(names);
  layers.Redraw(kNameLayer);
  for (int32_t slot = 0; slot <= kLastSlot; ++slot) {
    std::string& shown = m_slotText[slot];
    if (slot == m_cursor) {
      shown = kCapturing;
    } else if (map != nullptr) {
      shown = input::spLibInput::KeyName((*map)[static_cast<size_t>(MapIndexOfSlot(slot))]);
    } else {
      shown.clear();
    }
    const auto rect = m_items.Item(slot);
    if (!rect || shown.empty()) continue;
    layers.Config(kNameLayer)
        ->AddTextBox(rect->Left, rect->Top, rect->Width, rect->Height, 0, 0, 1, 1);
    layers.TextOut(kNameLayer, shown);
  }

  // The cursor's item is outlined; the edited player's item gets a thin frame.
  ClearImage(*layers.BBI(kOutlineLayer));
  layers.Redraw(kOutlineLayer);
  if (const auto tab = m_items.Item(kFirstPlayerItem + m_player)) DrawOutline(text, *tab, 2, 1);
  if (m_items.ItemExist(m_cursor)) DrawOutline(text, *m_items.Item(m_cursor), 3, 3);

  // The prompt shows while a slot waits for its press.
  const bool prompt = IsSlot(m_cursor);
  if (prompt != m_promptShown) {
    m_promptShown = prompt;
    if (prompt)
      layers.Text(kPromptLayer, kPrompt);
    else
      layers.Remove(kPromptLayer, true);
  }
}

}  // namespace game

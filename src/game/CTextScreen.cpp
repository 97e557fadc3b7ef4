// Text screens: the layer set's presentation, the result screen and the "工事中" screen.
#include "game/CTextScreen.h"

#include <algorithm>
#include <array>

#include "engine/CKestrel.h"
#include "engine/spLib.h"
#include "image/CmgBBIFunction.h"
#include "platform/CBlivoBinding.h"
#include "util/CApi.h"

namespace game {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kResultColor = 0xFFE6A0;
constexpr uint32_t kContinueColor = 0xC8F0FF;
// Space kept between the lowest texts and the bottom edge.
constexpr int32_t kMargin = 36;

const std::array<const char*, 4> kDrawTexts = {"ＤｒａｗＧａｍｅ！", "全滅！", "引き分け",
                                               "┻ Destroy ╋"};

util::CRect Box(int32_t x, int32_t y, int32_t w, int32_t h) {
  util::CRect r;
  r.Create(x, y, w, h);
  return r;
}

util::CRect WholeScreen() { return Box(0, 0, CTextScreen::kWidth, CTextScreen::kHeight); }

}  // namespace

// ---- CTextScreen ----------------------------------------------------------------------------

CTextScreen::CTextScreen(engine::spLib* root) : m_root(root) {
  m_screen.CreateBBI(kWidth, kHeight);
  m_frozen.CreateBBI(kWidth, kHeight);
  ClearLayers();
}

void CTextScreen::ClearLayers() { m_layers.Resize(kWidth, kHeight, kLayers); }

void* CTextScreen::BackBuffer() const {
  if (m_root == nullptr) return nullptr;
  engine::IDisplayDevice* display = m_root->DisplayDevice();
  if (display == nullptr || !display->Started()) return nullptr;
  return display->BackBuffer();
}

void CTextScreen::FreezeDimmed() {
  ClearLayers();
  // A fresh image, so that with no display the frozen screen is black, not an older one.
  m_frozen = image::CmgBBI();
  m_frozen.CreateBBI(kWidth, kHeight);
  if (void* back = BackBuffer()) {
    if (auto blt = BLIVO_FN(BBIBlt))
      blt(m_frozen.GetBBIHandle(), back, 0, 0, kWidth, kHeight, 0, 0);
  }
  image::CmgBBIFunction::Shared().BBIExpandBlt(*m_layers.BBI(0), m_frozen);
  m_layers.Config(0)->Add(1.0f, false, false, 0.1f, 0x605020, 0xFFFFFF);
  m_layers.Redraw(0);
}

void CTextScreen::ShowText(int32_t index, const std::string& str, int32_t fontSize, uint32_t color,
                           int32_t alignX, int32_t alignY, const util::CRect& box,
                           int32_t shadowIndex) {
  if (present::CLayerConfig* c = m_layers.Config(shadowIndex)) {
    // Offset and blur grow with the text; the blurred glyphs keep their place.
    const int32_t offset = std::clamp(fontSize / 24, 2, 5);
    c->AddText(0x000000, 0.75f, false, fontSize, kFont, offset, true, box.Left + offset,
               box.Top + offset, box.Width, box.Height, 0, 0, alignX, alignY);
    m_layers.Text(shadowIndex, str);
  }
  present::CLayerConfig* c = m_layers.Config(index);
  if (c == nullptr) return;
  c->AddText(static_cast<int32_t>(color), 1.0f, false, fontSize, kFont, 0, true, box.Left, box.Top,
             box.Width, box.Height, 0, 0, alignX, alignY);
  m_layers.Text(index, str);
}

void CTextScreen::CopyToBackBuffer(const util::CRect& area) {
  if (area.Width <= 0 || area.Height <= 0) return;
  void* back = BackBuffer();
  auto blt = BLIVO_FN(BBIBlt);
  if (back == nullptr || blt == nullptr) return;
  blt(back, m_screen.GetBBIHandle(), area.Left, area.Top, area.Width, area.Height, area.Left,
      area.Top);
}

void CTextScreen::Sub_RenderLayer(engine::CKestrel& kestrel, float windowScale) {
  // The union starts empty each frame: it says what this frame changed.
  m_dirt.Delete();
  m_layers.DoCompose(m_screen, m_dirt);
  if (windowScale != 1.0f) {
    CopyToBackBuffer(WholeScreen());
    kestrel.RePaint();
    m_forceRepaint = true;
  } else if (m_forceRepaint) {
    m_forceRepaint = false;
    CopyToBackBuffer(WholeScreen());
    kestrel.RePaint();
  } else {
    CopyToBackBuffer(m_dirt);
    kestrel.RePaintRect(&m_dirt);
  }
}

// ---- CResultScreen --------------------------------------------------------------------------

std::string CResultScreen::ResultText(const CMatch& match, util::CApi& api) {
  std::string text;
  if (match.winner >= 0 && match.winner < kPlayerCount) {
    text = "   ";
    for (int32_t p = 0; p < kPlayerCount; ++p)
      text += (p == match.winner ? "Win!" : "負け") + std::string("   ");
  } else {
    text = kDrawTexts[static_cast<size_t>(api.Math_Rnd(0, 3) & 3)];
  }
  text += "\r\n      ";
  for (int32_t p = 0; p < kPlayerCount; ++p)
    text += std::to_string(match.wins[static_cast<size_t>(p)]) + "      ";
  return text;
}

int32_t CResultScreen::Frame(int32_t framecount, const CMatch& match, const ScreenInput& in,
                             CTextScreen& text, IMatchSound& sound, util::CApi& api) {
  if (framecount <= 0) return 0;
  if (framecount == 1) {
    text.FreezeDimmed();
    text.ShowText(kTitleLayer, "おつかれー", 300, kWhite, 1, 0, WholeScreen(), kTitleLayer - 1);
    text.ShowText(kResultLayer, ResultText(match, api), 40, kResultColor, 1, 1, WholeScreen(),
                  kResultLayer - 1);
    sound.Play("GameSet1.wav", 0.7f, 0.0f, 0.0f);
    return 0;
  }
  if (framecount == 20) {
    // From a quarter of the height down, kept clear of the bottom edge.
    const int32_t top = CTextScreen::kHeight / 4;
    text.ShowText(kContinueLayer, "こんてぃにゅー\r\nEnter : めにゅーにもどる", 27, kContinueColor,
                  1, 2, Box(0, top, CTextScreen::kWidth, CTextScreen::kHeight - top - kMargin),
                  kContinueLayer - 1);
  }
  if (framecount <= kDeafFrames) return 0;
  if (in.merged.Trigger != 0) return kNextRound;
  if (in.counters.Enter < 0 || in.counters.BackSpace < 0) return kToMenu;
  return 0;
}

// ---- CUnderConstructionScreen ---------------------------------------------------------------

bool CUnderConstructionScreen::Frame(int32_t framecount, const ScreenInput& in, CTextScreen& text) {
  if (framecount <= 0) return false;
  if (framecount == 1) {
    text.FreezeDimmed();
    text.ShowText(kTitleLayer, "工事中", 300, kWhite, 1, 1, WholeScreen(), kTitleLayer - 1);
    return false;
  }
  if (framecount == 20) {
    text.ShowText(kMessageLayer, "メインメニューに戻ります", 30, kContinueColor, 1, 2,
                  Box(0, 0, CTextScreen::kWidth, CTextScreen::kHeight - kMargin),
                  kMessageLayer - 1);
  }
  return framecount >= kFirstButtonFrame && in.merged.Trigger != 0;
}

}  // namespace game

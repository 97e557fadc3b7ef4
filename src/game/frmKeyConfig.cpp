// Key configuration dialog: focus, capture, duplicate check, and its own small window.
#include "game/frmKeyConfig.h"

#include <algorithm>

#include "game/GameFont.h"
#include "platform/CBlivoBinding.h"
#include "platform/CFontRaster.h"
#include "platform/CWindow.h"

namespace game {

namespace {

constexpr const char* kFontFamily = kGameFont;
constexpr const char* kSlotNames[input::kMapSlots] = {
    "ボタン１", "ボタン２", "ボタン３",   "ボタン４", "ボタン５", "ボタン６", "ボタン７",
    "ボタン８", "ボタン９", "ボタン１０", "上",       "下",       "左",       "右"};

// Layout of the window, in pixels.
constexpr int32_t kRowTop = 70, kRowHeight = 34, kRowLeft = 16,
                  kRowRight = frmKeyConfig::kWidth - 16;
constexpr int32_t kKeyBoxLeft = 170;
constexpr int32_t kButtonTop = frmKeyConfig::kHeight - 58, kButtonHeight = 42;
constexpr int32_t kOkLeft = 16, kOkRight = 226, kCancelLeft = 236,
                  kCancelRight = frmKeyConfig::kWidth - 16;

constexpr uint32_t kBackground = 0xFF1B2130u, kRowFocus = 0xFF2F4A86u, kBox = 0xFF262D3Fu,
                   kBorder = 0xFF56627Fu, kFocusBorder = 0xFFFFD060u, kText = 0xFFFFFFFFu,
                   kDim = 0xFF9AA3B8u, kWarn = 0xFFFF7A70u, kButton = 0xFF34405Cu;

void Fill(std::vector<uint32_t>& px, int32_t l, int32_t t, int32_t r, int32_t b, uint32_t c) {
  l = std::max(l, 0), t = std::max(t, 0);
  r = std::min(r, frmKeyConfig::kWidth), b = std::min(b, frmKeyConfig::kHeight);
  for (int32_t y = t; y < b; ++y)
    std::fill(px.begin() + y * frmKeyConfig::kWidth + l, px.begin() + y * frmKeyConfig::kWidth + r,
              c);
}

void Frame(std::vector<uint32_t>& px, int32_t l, int32_t t, int32_t r, int32_t b, uint32_t c,
           int32_t w) {
  Fill(px, l, t, r, t + w, c);
  Fill(px, l, b - w, r, b, c);
  Fill(px, l, t, l + w, b, c);
  Fill(px, r - w, t, r, b, c);
}

int32_t RowOf(size_t visibleIndex) {
  return kRowTop + static_cast<int32_t>(visibleIndex) * kRowHeight;
}

}  // namespace

const std::vector<int32_t>& frmKeyConfig::VisibleSlots() {
  static const std::vector<int32_t> slots = {
      0, 1, 2, 3, 4, 5, input::kMapUp, input::kMapDown, input::kMapLeft, input::kMapRight};
  return slots;
}

frmKeyConfig::frmKeyConfig(input::spLibInput& input) : m_input(input) {}

frmKeyConfig::~frmKeyConfig() = default;

void frmKeyConfig::SetPlayerIndex(platform::CWindow* owner, int32_t playerIndex) {
  m_player = playerIndex;
  m_caption = "キーコンフィグ [ Player" + std::to_string(playerIndex + 1) + " ]";
  m_focus = VisibleSlots().front();
  m_closed = false;
  if (const input::VKeyMap* map = m_input.Map(playerIndex)) m_working = *map;
  for (int32_t slot = 0; slot < input::kMapSlots; ++slot)
    m_labels[static_cast<size_t>(slot)] =
        input::spLibInput::KeyName(m_working[static_cast<size_t>(slot)]);
  Recheck();
  if (owner == nullptr) return;
  m_window = std::make_unique<platform::CWindow>();
  m_window->SetCaption(m_caption);
  m_window->SetDrawingSize(kWidth, kHeight);
  if (!m_window->Load()) {
    m_window.reset();
    return;
  }
  platform::CFontRaster::LoadConfigFile(platform::ExecutableFolder() +
                                        "fonts/tumbleroo-fonts.conf");
  m_font = std::make_unique<platform::CFontRaster>();
  m_font->Open(kFontFamily, 22);
  m_small = std::make_unique<platform::CFontRaster>();
  m_small->Open(kFontFamily, 15);
  m_windowEvents.push_back(m_window->UnloadEvent.Subscribe([this](int32_t&) { m_closed = true; }));
  m_windowEvents.push_back(
      m_window->MouseDown.Subscribe([this](int32_t button, int32_t, int32_t x, int32_t y) {
        if (button == platform::CWindow::kLeftButton) Click(x, y);
      }));
  m_window->AddTimer("Timer1", 16, [this] {
    Timer1_Timer();
    Draw();
  });
  m_window->PlaceBeside(*owner);
  m_window->Show();
  Draw();
}

void frmKeyConfig::Timer1_Timer() {
  if (m_closed) return;
  // The player's own joystick, and the keyboard, which any player may be using.
  int32_t code = m_input.CaptureInput(m_player);
  const int32_t key = m_input.CaptureInput(input::spLibInput::kCaptureKeyboard);
  if (code == 0) code = key;
  Captured(code);
}

void frmKeyConfig::Captured(int32_t code) {
  if (code == 0 || m_closed) return;
  const std::string name = input::spLibInput::KeyName(code);
  // The keyboard's arrows navigate; joystick directions ("Pad1_↓") are bound like buttons.
  const std::string arrow = name.starts_with("Key_") ? name.substr(4) : std::string();
  if (arrow == "↓" || arrow == "→") {
    MoveFocus(1);
  } else if (arrow == "↑" || arrow == "←") {
    MoveFocus(-1);
  } else if (m_focus >= 0) {
    m_working[static_cast<size_t>(m_focus)] = code;
    SetLabel(m_focus, name);
    MoveFocus(1);
  } else if (m_focus == kFocusOk) {
    Command1_Click();
  } else {
    Command2_Click();
  }
}

void frmKeyConfig::SetFocus(int32_t focus) {
  const auto& slots = VisibleSlots();
  if (focus == kFocusOk || focus == kFocusCancel ||
      std::find(slots.begin(), slots.end(), focus) != slots.end())
    m_focus = focus;
}

void frmKeyConfig::MoveFocus(int32_t step) {
  std::vector<int32_t> order = VisibleSlots();
  order.push_back(kFocusOk);
  order.push_back(kFocusCancel);
  const auto n = static_cast<int32_t>(order.size());
  const auto at =
      static_cast<int32_t>(std::find(order.begin(), order.end(), m_focus) - order.begin());
  m_focus = order[static_cast<size_t>(((at + step) % n + n) % n)];
}

void frmKeyConfig::SetLabel(int32_t slot, const std::string& name) {
  m_labels[static_cast<size_t>(slot)] = name;
  Recheck();
}

// Slots with nothing bound show no name, and are no clash.
bool frmKeyConfig::HasDuplicates() const {
  const auto& slots = VisibleSlots();
  for (size_t i = 0; i < slots.size(); ++i)
    for (size_t j = i + 1; j < slots.size(); ++j)
      if (!m_labels[static_cast<size_t>(slots[i])].empty() &&
          m_labels[static_cast<size_t>(slots[i])] == m_labels[static_cast<size_t>(slots[j])])
        return true;
  return false;
}

void frmKeyConfig::Recheck() {
  m_okEnabled = !HasDuplicates();
  m_okCaption = m_okEnabled ? kOkCaption : kDuplicateCaption;
}

void frmKeyConfig::Command1_Click() {
  if (HasDuplicates()) {
    MoveFocus(1);
    return;
  }
  if (input::VKeyMap* map = m_input.Map(m_player)) *map = m_working;
  Close();
}

void frmKeyConfig::Command2_Click() { Close(); }

void frmKeyConfig::Unload() { Close(); }

void frmKeyConfig::Close() {
  m_closed = true;
  // The window itself goes with the dialog object, outside any of its own event handlers.
  if (m_window) m_window->Hide();
}

void frmKeyConfig::Click(int32_t x, int32_t y) {
  if (m_closed) return;
  if (y >= kButtonTop && y < kButtonTop + kButtonHeight) {
    if (x >= kOkLeft && x < kOkRight) {
      m_focus = kFocusOk;
      Command1_Click();
    } else if (x >= kCancelLeft && x < kCancelRight) {
      m_focus = kFocusCancel;
      Command2_Click();
    }
    return;
  }
  const auto& slots = VisibleSlots();
  for (size_t i = 0; i < slots.size(); ++i)
    if (y >= RowOf(i) && y < RowOf(i) + kRowHeight && x >= kRowLeft && x < kRowRight)
      m_focus = slots[i];
}

void frmKeyConfig::Draw() {
  if (!m_window || m_closed) return;
  m_pixels.assign(static_cast<size_t>(kWidth) * kHeight, kBackground);
  auto text = [this](platform::CFontRaster* font, int32_t x, int32_t y, const std::string& s,
                     uint32_t c) {
    if (font != nullptr && font->IsOpen())
      font->Draw(m_pixels.data(), kWidth * 4, kWidth, kHeight, x, y, s, c);
  };
  text(m_font.get(), 18, 12, "プレイヤー" + std::to_string(m_player + 1) + " のキー", kText);
  text(m_small.get(), 18, 44, "押したキーが選んだ欄に入ります　矢印キー：移動", kDim);
  const auto& slots = VisibleSlots();
  for (size_t i = 0; i < slots.size(); ++i) {
    const int32_t slot = slots[i], top = RowOf(i);
    const bool focused = m_focus == slot;
    if (focused) Fill(m_pixels, kRowLeft, top + 1, kRowRight, top + kRowHeight - 1, kRowFocus);
    // The option button: a ring, filled when it has the focus.
    const int32_t cx = kRowLeft + 16, cy = top + kRowHeight / 2;
    for (int32_t y = -8; y <= 8; ++y)
      for (int32_t x = -8; x <= 8; ++x) {
        const int32_t d = x * x + y * y;
        if (d <= 64 && (d >= 36 || (focused && d <= 12)))
          m_pixels[static_cast<size_t>((cy + y) * kWidth + cx + x)] =
              focused ? kFocusBorder : kBorder;
      }
    text(m_font.get(), kRowLeft + 34, top + 5, kSlotNames[slot], kText);
    Fill(m_pixels, kKeyBoxLeft, top + 4, kRowRight - 6, top + kRowHeight - 4, kBox);
    Frame(m_pixels, kKeyBoxLeft, top + 4, kRowRight - 6, top + kRowHeight - 4,
          focused ? kFocusBorder : kBorder, 1);
    // Bold: the name drawn twice, a pixel apart.
    text(m_font.get(), kKeyBoxLeft + 10, top + 5, Label(slot), kText);
    text(m_font.get(), kKeyBoxLeft + 11, top + 5, Label(slot), kText);
  }
  auto button = [&](int32_t l, int32_t r, const std::string& caption, bool enabled, bool focused) {
    Fill(m_pixels, l, kButtonTop, r, kButtonTop + kButtonHeight, kButton);
    Frame(m_pixels, l, kButtonTop, r, kButtonTop + kButtonHeight, focused ? kFocusBorder : kBorder,
          focused ? 2 : 1);
    const int32_t w = m_font && m_font->IsOpen() ? m_font->Measure(caption) : 0;
    text(m_font.get(), (l + r - w) / 2, kButtonTop + 9, caption, enabled ? kText : kWarn);
  };
  button(kOkLeft, kOkRight, m_okCaption, m_okEnabled, m_focus == kFocusOk);
  button(kCancelLeft, kCancelRight, "キャンセル", true, m_focus == kFocusCancel);
  m_window->PresentPixels(m_pixels.data(), kWidth, kHeight);
}

}  // namespace game

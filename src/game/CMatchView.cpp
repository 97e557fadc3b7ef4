// The match drawing: base images and their stand-ins, the round's backdrop, digits and banner
// pictures, and the frame in its order (backdrop, balls, players with their bars, shots and
// explosions, banner, counters, frame rate).
#include "game/CMatchView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/spLib.h"
#include "game/GameFont.h"
#include "present/CIMDevice.h"
#include "present/IGraphicsTarget.h"
#include "util/CApi.h"

namespace game {

namespace {

constexpr const char* kGraphicFolder = "\\Res\\Graphic\\";
constexpr const char* kLoadFailed = "ファイルの読み込みに失敗";

// Render modes: alpha blend of the texture as it is; the same with the corner colour multiplied
// into colour and alpha (tints and fades); add signed with the texture's alpha (the players:
// mid-grey fur takes the light colour of its player); text (corner colour, texture alpha).
constexpr uint32_t kModeSprite = 0x101;
constexpr uint32_t kModeTinted = 0x221;
constexpr uint32_t kModePlayer = 0x171;
constexpr uint32_t kModeOpaque = 0x000;

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kOutline = 0xC8201A2Cu;  // the ink round texts

// "Ｒｅａｄｙ" warms from orange through gold to white as "Ｇｏ！" nears; only positions 0.7 to
// 1.0 of the ramp are used.
constexpr std::array<int32_t, 11> kReadyRamp = {
    static_cast<int32_t>(0xFFFF7028u), static_cast<int32_t>(0xFFFF7028u),
    static_cast<int32_t>(0xFFFF7028u), static_cast<int32_t>(0xFFFF7028u),
    static_cast<int32_t>(0xFFFF7028u), static_cast<int32_t>(0xFFFF7028u),
    static_cast<int32_t>(0xFFFF7028u), static_cast<int32_t>(0xFFFF7028u),
    static_cast<int32_t>(0xFFFFB040u), static_cast<int32_t>(0xFFFFE27Au),
    static_cast<int32_t>(0xFFFFFFF0u)};

uint32_t Opaque(uint32_t rgb) { return 0xFF000000u | (rgb & 0xFFFFFFu); }
uint32_t WithAlpha(uint32_t argb, uint32_t alpha) { return (alpha << 24) | (argb & 0xFFFFFFu); }

uint8_t Channel(uint32_t c, int shift) { return static_cast<uint8_t>((c >> shift) & 0xFFu); }

uint32_t Mix(uint32_t a, uint32_t b, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const float v =
        static_cast<float>(Channel(a, shift)) * (1 - t) + static_cast<float>(Channel(b, shift)) * t;
    out |= static_cast<uint32_t>(std::lround(v)) << shift;
  }
  return out;
}

// Coverage of a disc edge at distance d from a radius r (one pixel of soft edge).
float Cover(float d, float r) { return std::clamp(r - d + 0.5f, 0.0f, 1.0f); }

// Paints `color` over a pixel with coverage a (straight alpha).
void Over(image::CmgBBI& img, int32_t x, int32_t y, uint32_t color, float a) {
  if (a <= 0 || x < 0 || y < 0 || x >= img.Width() || y >= img.height()) return;
  const uint32_t under = img.dwGetPixel(x, y);
  const float ua = static_cast<float>(under >> 24) / 255.0f;
  const float ca = a * static_cast<float>(color >> 24) / 255.0f;
  const float oa = ca + ua * (1 - ca);
  if (oa <= 0) return;
  uint32_t out = static_cast<uint32_t>(std::lround(oa * 255.0f)) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const float v = (static_cast<float>(Channel(color, shift)) * ca +
                     static_cast<float>(Channel(under, shift)) * ua * (1 - ca)) /
                    oa;
    out |= static_cast<uint32_t>(std::lround(v)) << shift;
  }
  img.dwSetPixel(x, y, out);
}

// Every pixel of the square round a circle of radius r, covered as `coverage(distance)` says.
template <typename Coverage>
void PaintRound(image::CmgBBI& img, float cx, float cy, float r, uint32_t color,
                Coverage coverage) {
  const int32_t x0 = static_cast<int32_t>(std::floor(cx - r - 1));
  const int32_t x1 = static_cast<int32_t>(std::ceil(cx + r + 1));
  const int32_t y0 = static_cast<int32_t>(std::floor(cy - r - 1));
  const int32_t y1 = static_cast<int32_t>(std::ceil(cy + r + 1));
  for (int32_t y = y0; y <= y1; ++y)
    for (int32_t x = x0; x <= x1; ++x) {
      const float d =
          std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy);
      Over(img, x, y, color, coverage(d));
    }
}

void Disc(image::CmgBBI& img, float cx, float cy, float r, uint32_t color) {
  PaintRound(img, cx, cy, r, color, [r](float d) { return Cover(d, r); });
}

void Ring(image::CmgBBI& img, float cx, float cy, float r, float band, uint32_t color) {
  PaintRound(img, cx, cy, r, color,
             [r, band](float d) { return Cover(d, r) * (1 - Cover(d, r - band)); });
}

// Fire by heat, 0 embers to 1 white-hot.
uint32_t Heat(float h) {
  static constexpr uint32_t kStops[] = {0xFF6A2020u, 0xFFD0401Cu, 0xFFFF8A20u, 0xFFFFD050u,
                                        0xFFFFF8E0u};
  h = std::clamp(h, 0.0f, 1.0f) * 4.0f;
  const int32_t i = std::min(3, static_cast<int32_t>(h));
  return Mix(kStops[i], kStops[i + 1], h - static_cast<float>(i));
}

void DrawQuadOf(present::CGraphics& g, float x, float y, float w, float h, float sx, float sy,
                float sw, float sh) {
  // DrawD3DDrawStretch scales the destination by the global scale; the callers' positions are
  // already on the 800 x 600 screen.
  g.DrawD3DDrawStretch(x, y, w, h, sx, sy, sw, sh, false, false);
}

}  // namespace

const char* const CMatchView::kEffectFiles[kEffectCount] = {
    "Bom\\Bakuha1.bmp", "Bom\\Bakuha2.bmp", "Bom\\Bakuha3.bmp", "Bom\\Bakuha4.bmp",
    "Bom\\Bakuha5.bmp", "Bom\\Bakuha6.bmp", "Bom\\Bakuha7.bmp", "Bom\\ball_Red3.bmp",
    "Bom\\ani01.bmp",   "Bom\\ani02.bmp"};
const char* const CMatchView::kCharacterFiles[4] = {"Chara\\L1.bmp", "Chara\\L2.bmp",
                                                    "Chara\\R1.bmp", "Chara\\R2.bmp"};

// ---- Rules of the drawing ------------------------------------------------------------------

int32_t CMatchView::BarWidth(int32_t full, int32_t value, int32_t maximum) {
  if (maximum <= 0 || full <= 0) return 1;
  const int64_t num = static_cast<int64_t>(full) * std::max(value, 0);
  int64_t q = num / maximum;
  const int64_t twice = 2 * (num % maximum);
  if (twice > maximum || (twice == maximum && (q & 1) != 0)) ++q;
  if (q < 2) return 1;
  return static_cast<int32_t>(std::min<int64_t>(q, INT32_MAX));
}

CMatchView::ShotLook CMatchView::LookOf(const CObject& shot) {
  ShotLook look;
  if (!shot.alive) return look;
  const int32_t life = std::max(shot.life, 1);
  const auto once = [life](int32_t k) {
    return kStripFrames - 1 - std::min(kStripFrames - 1, (life - 1) / k);
  };
  const auto cycle = [life](int32_t k) { return (life / k) % kStripFrames; };
  const int32_t diameter = std::max(shot.width, 1);
  switch (shot.state) {
    case kShotBlast: look = {kBakuha1, once(1), kStripFrame, false}; break;
    case kShotMissile: look = {kAni01, 1 + (life / 2) % 3, 56, true}; break;
    case kShotBomb: look = {kBallRed3, cycle(3), diameter, false}; break;
    case kShotBarrier: look = {kBakuha4, once(3), diameter, false}; break;
    case kShotBomblet: look = {kBallRed3, cycle(2), kStripFrame, false}; break;
    case kShotCancelled: look = {kBakuha5, once(2), kStripFrame, false}; break;
    case kShotMissileExplosion: look = {kBakuha2, once(2), kStripFrame, false}; break;
    case kShotBombExplosion: look = {kBakuha3, once(2), diameter, false}; break;
    case kShotDeathBlast: look = {kBakuha7, once(3), diameter, false}; break;
    default: break;
  }
  return look;
}

// ---- Pictures ------------------------------------------------------------------------------

CMatchView::CMatchView(engine::spLib* root) : m_root(root) {}
CMatchView::~CMatchView() = default;

std::unique_ptr<present::CGraphics> CMatchView::NewPicture() const {
  return std::make_unique<Picture>(m_root);
}

void CMatchView::Report(const std::string& file) {
  if (m_reported.insert(file).second && m_message) m_message(std::string(kLoadFailed) + " " + file);
}

bool CMatchView::LoadPicture(Picture& picture, const std::string& file) {
  // The loader's own question box stays shut: failures are reported once here, and the drawing
  // goes on with a stand-in.
  if (picture.Load(file) == 1 && picture.Width() > 0 && picture.height() > 0) return true;
  Report(file);
  return false;
}

void CMatchView::LoadBaseImages(const CMatchAssets& assets,
                                const std::function<void(const std::string&)>& message) {
  m_message = message;
  m_reported.clear();
  const std::string base = kGraphicFolder;

  for (int32_t i = 0; i < kEffectCount; ++i) {
    auto p = NewPicture();
    if (LoadPicture(*p, base + kEffectFiles[i])) {
      if (i <= kBallRed3) p->ChooseColorKey();
    } else {
      StandInStrip(*p, i);
    }
    p->SetRender(kModeTinted);
    m_effects[static_cast<size_t>(i)] = std::move(p);
  }
  for (int32_t i = 0; i < 4; ++i) {
    auto p = NewPicture();
    if (LoadPicture(*p, base + kCharacterFiles[i]))
      p->ChooseColorKeyAntiAreas();
    else
      StandInCharacter(*p, assets.characterWidth, assets.characterHeight, i < 2);
    p->SetRender(kModePlayer);
    m_characters[static_cast<size_t>(i)] = std::move(p);
  }

  // The gauge and the reload bar share their back picture.
  struct BarFile {
    std::unique_ptr<Picture>* slot;
    const char* file;
    uint32_t standIn;
    int32_t width, height;
  };
  const BarFile bars[] = {{&m_barBack, "ChargeBar\\BaBackr.bmp", 0xFF2A1E3Au, 34, 4},
                          {&m_gaugeBar, "ChargeBar\\Bar.bmp", 0xFFFFB830u, 32, 3},
                          {&m_reloadBar, "ChargeBar\\Blue.bmp", 0xFF3C9CFFu, 32, 3}};
  for (const BarFile& b : bars) {
    auto p = NewPicture();
    if (!LoadPicture(*p, base + b.file)) {
      p->Add(b.width, b.height);
      for (int32_t y = 0; y < b.height; ++y)
        for (int32_t x = 0; x < b.width; ++x) p->BBI.dwSetPixel(x, y, b.standIn);
      p->Refresh();
    }
    p->SetRender(kModeSprite);
    *b.slot = std::move(p);
  }

  for (int32_t kind = 0; kind < kBallKinds; ++kind) {
    auto& set = m_balls[static_cast<size_t>(kind)];
    set.clear();
    const auto& listed = assets.Balls(kind);
    auto standIn = NewPicture();
    StandInBall(*standIn, kind,
                listed.empty() ? CMatchAssets::kStandInBall[static_cast<size_t>(kind)]
                               : listed.front().width,
                listed.empty() ? CMatchAssets::kStandInBall[static_cast<size_t>(kind)]
                               : listed.front().height);
    standIn->SetRender(kModeSprite);
    m_standInBalls[static_cast<size_t>(kind)] = std::move(standIn);
    if (assets.StandIn(kind)) continue;
    for (const BallImage& image : listed) {
      auto p = NewPicture();
      if (LoadPicture(*p, base + image.file))
        p->ChooseColorKeyAntiAreas();
      else if (image.width > 0 && image.height > 0)
        StandInBall(*p, kind, image.width, image.height);
      p->SetRender(kModeSprite);
      set.push_back(std::move(p));
    }
  }
  MakeMarkers();
}

void CMatchView::StandInStrip(Picture& picture, int32_t index) {
  picture.Add(kStripFrame * kStripFrames, kStripFrame, true);
  image::CmgBBI& img = picture.BBI;
  for (int32_t f = 0; f < kStripFrames; ++f) {
    const float t = static_cast<float>(f) / (kStripFrames - 1);
    const float cx = static_cast<float>(f * kStripFrame) + kStripFrame / 2.0f;
    const float cy = kStripFrame / 2.0f;
    switch (index) {
      case kBallRed3:
        Disc(img, cx, cy + 2, 10, 0xFF8A1010u);
        Disc(img, cx - 3, cy - 1, 4, (f & 2) != 0 ? 0xFFFF8060u : 0xFFD03030u);
        Disc(img, cx + 6, cy - 11, 2.5f, (f & 1) != 0 ? 0xFFFFE080u : 0xFFFFA030u);
        break;
      case kAni01: {
        const float r = 10 * std::sin(t * std::numbers::pi_v<float>);
        for (int32_t d = -static_cast<int32_t>(r); d <= static_cast<int32_t>(r); ++d) {
          const float a = 1 - std::fabs(static_cast<float>(d)) / (r + 1);
          Over(img, static_cast<int32_t>(cx) + d, static_cast<int32_t>(cy), 0xFFFFF4D0u, a);
          Over(img, static_cast<int32_t>(cx), static_cast<int32_t>(cy) + d, 0xFFFFF4D0u, a);
        }
        break;
      }
      case kAni02:
      case kBakuha5:
        Ring(img, cx, cy, 6 + 24 * t, 3,
             WithAlpha(index == kAni02 ? 0xFF9AD8D0u : 0xFFFFE9A8u,
                       static_cast<uint32_t>(255 * (1 - t * 0.8f))));
        break;
      default: {
        // A fireball that swells, cools and thins; the electric one in blue.
        const float r = (index == kBakuha7 ? 30.0f : 24.0f) * (0.35f + 0.65f * std::sqrt(t));
        uint32_t c = Heat(1 - t);
        if (index == kBakuha4) c = Mix(0xFF2E6CFFu, 0xFFE8FCFFu, 1 - t);
        Disc(img, cx, cy, r, WithAlpha(c, static_cast<uint32_t>(255 * (1 - t * 0.9f))));
        Disc(img, cx, cy, r * 0.5f * (1 - t), WithAlpha(0xFFFFFFF0u, 220));
        break;
      }
    }
  }
  picture.Refresh();
}

void CMatchView::StandInCharacter(Picture& picture, int32_t width, int32_t height, bool left) {
  width = std::max(width, 8);
  height = std::max(height, 8);
  picture.Add(width, height, true);
  image::CmgBBI& img = picture.BBI;
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  const float r = std::min(w, h) * 0.42f;
  const float cx = w / 2, cy = h - r - 1;
  Disc(img, cx, cy, r + 1, 0xFF2A1E3Au);  // ink outline
  Disc(img, cx, cy, r, 0xFF9A9AA2u);      // fur, shaded
  Disc(img, cx - r * 0.15f, cy - r * 0.15f, r * 0.8f, 0xFFC4C4C4u);
  Disc(img, cx, cy + r * 0.25f, r * 0.45f, 0xFFEDEDEDu);  // belly
  const float eye = left ? cx - r * 0.45f : cx + r * 0.45f;
  Disc(img, eye, cy - r * 0.35f, std::max(1.5f, r * 0.14f), 0xFF2A1E3Au);
  // Ears, so the figure reads as a roo even without its picture.
  for (float ex : {cx - r * 0.35f, cx + r * 0.1f}) {
    Disc(img, ex, cy - r * 1.05f, std::max(2.0f, r * 0.22f), 0xFF2A1E3Au);
    Disc(img, ex, cy - r * 1.05f, std::max(1.0f, r * 0.22f - 1), 0xFFC4C4C4u);
  }
  picture.Refresh();
}

void CMatchView::StandInBall(Picture& picture, int32_t kind, int32_t width, int32_t height) {
  width = std::max(width, 2);
  height = std::max(height, 2);
  picture.Add(width, height, true);
  static constexpr uint32_t kBody[kBallKinds] = {0xFF5A6270u, 0xFFFFC838u, 0xFF7A3AB0u};
  static constexpr uint32_t kLight[kBallKinds] = {0xFFB8C4D4u, 0xFFFFF4B0u, 0xFFD0A0FFu};
  const uint32_t body = kBody[std::clamp(kind, 0, kBallKinds - 1)];
  const uint32_t light = kLight[std::clamp(kind, 0, kBallKinds - 1)];
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  const float r = std::min(w, h) / 2 - 0.5f;
  Disc(picture.BBI, w / 2, h / 2, r, 0xFF2A1E3Au);
  Disc(picture.BBI, w / 2, h / 2, r - 1.5f, body);
  Disc(picture.BBI, w / 2 - r * 0.3f, h / 2 - r * 0.3f, r * 0.35f, light);
  picture.Refresh();
}

void CMatchView::MakeMarkers() {
  // A soft ellipse for the ground under each player, tinted with its dark colour.
  m_shadow = NewPicture();
  constexpr int32_t kW = 44, kH = 16;
  m_shadow->Add(kW, kH, true);
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) {
      const float dx = (static_cast<float>(x) + 0.5f - kW / 2.0f) / (kW / 2.0f);
      const float dy = (static_cast<float>(y) + 0.5f - kH / 2.0f) / (kH / 2.0f);
      const float d = std::sqrt(dx * dx + dy * dy);
      const float a = std::clamp((1 - d) * 3.0f, 0.0f, 1.0f);
      if (a > 0)
        m_shadow->BBI.dwSetPixel(x, y, WithAlpha(0xFFFFFFFFu, static_cast<uint32_t>(a * 255)));
    }
  m_shadow->Refresh();
  m_shadow->SetRender(kModeTinted);
  // A rounded plate, white so that the corner colour gives it the player's colour.
  m_plate = NewPicture();
  constexpr int32_t kPW = 130, kPH = 38;
  constexpr float kRadius = 9;
  m_plate->Add(kPW, kPH, true);
  for (int32_t y = 0; y < kPH; ++y)
    for (int32_t x = 0; x < kPW; ++x) {
      const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
      const float qx = std::max({kRadius - px, px - (kPW - kRadius), 0.0f});
      const float qy = std::max({kRadius - py, py - (kPH - kRadius), 0.0f});
      const float a = Cover(std::hypot(qx, qy), kRadius);
      // A lighter rim along the top edge.
      const uint32_t c = y < 2 ? 0xFFFFFFFFu : 0xFFD0D0D0u;
      if (a > 0) m_plate->BBI.dwSetPixel(x, y, WithAlpha(c, static_cast<uint32_t>(a * 255)));
    }
  m_plate->Refresh();
  m_plate->SetRender(kModeTinted);
  for (int32_t i = 0; i < kPlayerCount; ++i) {
    auto tag = NewPicture();
    tag->LoadText(std::to_string(i + 1) + "P", 32, 16, 14, kGameFont, 0, true, 0, 0, 1, 1);
    tag->SetRender(kModeTinted);
    m_tags[static_cast<size_t>(i)] = std::move(tag);
  }
}

void CMatchView::MakePlainBackdrop() {
  // A calm tiled floor with a soft light in the middle: enough to see the players and balls on
  // when no stage could be read.
  m_plainBackdrop = NewPicture();
  m_plainBackdrop->Add(kFieldWidth, kFieldHeight);
  image::CmgBBI& img = m_plainBackdrop->BBI;
  constexpr int32_t kTile = 50;
  for (int32_t y = 0; y < kFieldHeight; ++y)
    for (int32_t x = 0; x < kFieldWidth; ++x) {
      const float dx = (static_cast<float>(x) - 400.0f) / 400.0f;
      const float dy = (static_cast<float>(y) - 300.0f) / 300.0f;
      const float light = 1.0f - 0.35f * std::min(1.0f, (dx * dx + dy * dy) * 0.6f);
      const bool odd = ((x / kTile) + (y / kTile)) % 2 != 0;
      uint32_t c = odd ? 0xFF6E9A84u : 0xFF76A48Cu;
      if (x % kTile == 0 || y % kTile == 0)
        c = 0xFF5E8672u;
      else if (x % kTile == 1 || y % kTile == 1)
        c = 0xFF86B49Cu;
      img.dwSetPixel(x, y, Mix(0xFF10201Au, c, light));
    }
  m_plainBackdrop->Refresh();
  m_plainBackdrop->SetRender(kModeOpaque);
}

void CMatchView::PrepareDigits() {
  for (int32_t d = 0; d < 10; ++d) {
    const std::string text = std::to_string(d);
    const auto make = [&](int32_t side, int32_t size, int32_t blur) {
      auto p = NewPicture();
      p->LoadText(text, side, side, size, kGameFont, blur, true, 0, 0, 1, 1);
      p->SetRender(kModeTinted);
      return p;
    };
    m_digitsLarge[static_cast<size_t>(d)] = make(64, 40, 0);
    m_digitsMedium[static_cast<size_t>(d)] = make(64, 30, 0);
    m_digitsSmall[static_cast<size_t>(d)] = make(32, 20, 0);
    // The same digits blurred: the dark halo behind the small ones.
    m_digitsGlow[static_cast<size_t>(d)] = make(32, 20, 3);
  }
}

void CMatchView::ReleaseRound() {
  m_backdrop.reset();
  m_backdropFile.clear();
  m_backdropChosen = false;
  for (auto* set : {&m_digitsLarge, &m_digitsMedium, &m_digitsSmall, &m_digitsGlow})
    for (auto& p : *set) p.reset();
  m_fpsText.reset();
  m_fpsShown = -1;
  m_modeText.reset();
  m_roundItem.reset();
  m_numberItem.reset();
  m_readyGo.reset();
  m_modeTextState = m_readyGoState = 0;
  m_readyGoIsGo = false;
  m_readyGoColor = 0;
  m_roundRefreshSeen = 0;
  m_bannerRound = -1;
  m_bannerFrame = -1;
}

// ---- The frame -----------------------------------------------------------------------------

void CMatchView::Frame(int32_t framecount, CMatch& match, int32_t fps) {
  if (framecount < 0) {
    ReleaseRound();
    return;
  }
  if (framecount == 0) return;
  if (framecount == 1) {
    ReleaseRound();
    PrepareDigits();
    return;
  }
  if (!m_digitsLarge[0]) PrepareDigits();
  UpdateBackdrop(match);
  UpdateBanner(match);
  DrawBackdrop();
  DrawBalls(match);
  DrawPlayers(match);
  DrawShots(match);
  DrawBanner(match);
  DrawCounters(match);
  DrawFps(fps);
}

void CMatchView::UpdateBackdrop(const CMatch& match) {
  const std::string wanted = match.stage.found ? match.stage.line.backdrop : std::string();
  if (m_backdropChosen && wanted == m_backdropFile) return;
  m_backdropChosen = true;
  m_backdropFile = wanted;
  m_backdrop.reset();
  if (wanted.empty()) return;
  auto p = NewPicture();
  if (LoadPicture(*p, std::string(CStageList::kStageFolder) + wanted)) {
    p->SetRender(kModeOpaque);
    m_backdrop = std::move(p);
  }
}

void CMatchView::DrawBackdrop() {
  const bool covers =
      m_backdrop && m_backdrop->Width() >= kFieldWidth && m_backdrop->height() >= kFieldHeight;
  if (!covers) {
    if (!m_plainBackdrop) MakePlainBackdrop();
    m_plainBackdrop->DrawD3DDraw(kFieldWidth / 2.0f, kFieldHeight / 2.0f, 0, 0, 0, 0, true);
  }
  if (m_backdrop)
    m_backdrop->DrawD3DDraw(kFieldWidth / 2.0f, kFieldHeight / 2.0f, 0, 0, 0, 0, true);
}

void CMatchView::DrawBalls(const CMatch& match) {
  const float scale = Picture::DrawScale();
  for (const CObject& b : match.balls) {
    if (!b.alive || b.kind < 0 || b.kind >= kBallKinds) continue;
    const auto& set = m_balls[static_cast<size_t>(b.kind)];
    Picture* p = nullptr;
    if (b.image >= 0 && static_cast<size_t>(b.image) < set.size())
      p = set[static_cast<size_t>(b.image)].get();
    else if (b.image < 0)
      p = m_standInBalls[static_cast<size_t>(b.kind)].get();
    if (p == nullptr || p->Width() <= 0 || p->height() <= 0) continue;
    const int32_t w = p->Width(), h = p->height();
    // The corner at the centre minus half the size (whole pixels), moved back half a pixel so
    // that texels land on pixels; the draw applies the window scale to what it is given.
    const float s = scale != 0.0f ? scale : 1.0f;
    const float x = b.x - static_cast<float>(w / 2) - 0.5f / s;
    const float y = b.y - static_cast<float>(h / 2) - 0.5f / s;
    p->SetRender(kModeSprite);
    DrawQuadOf(*p, x, y, static_cast<float>(w), static_cast<float>(h), 0, 0, static_cast<float>(w),
               static_cast<float>(h));
  }
}

void CMatchView::DrawPlayers(const CMatch& match) {
  for (int32_t i = 0; i < kPlayerCount; ++i) {
    const CObject& p = match.players[static_cast<size_t>(i)];
    if (!p.alive) continue;
    const int32_t hh = p.height / 2;
    if (m_shadow) {
      m_shadow->Color(WithAlpha(kPlayerColors[static_cast<size_t>(i)], 0xC0));
      m_shadow->DrawD3DDraw(p.x, p.y + static_cast<float>(hh) - 2, 0, 0, 0, 0, true);
    }
    Picture* sprite = m_characters[static_cast<size_t>(std::clamp(p.frame, 0, 3))].get();
    if (sprite != nullptr && sprite->Width() > 0) {
      const int32_t w = sprite->Width(), h = sprite->height();
      sprite->Color(Opaque(kPlayerLightColors[static_cast<size_t>(i)]));
      DrawQuadOf(*sprite, p.x - static_cast<float>(w / 2) - 0.5f,
                 p.y - static_cast<float>(h / 2) - 0.5f, static_cast<float>(w),
                 static_cast<float>(h), 0, 0, static_cast<float>(w), static_cast<float>(h));
    }
    if (Picture* tag = m_tags[static_cast<size_t>(i)].get()) {
      const float ty = p.y - static_cast<float>(hh) - 9;
      DrawOutlined(*tag, p.x, ty, 1.0f, Opaque(kPlayerLightColors[static_cast<size_t>(i)]), 1);
    }
    DrawBars(p);
  }
}

void CMatchView::DrawBars(const CObject& p) {
  const int32_t hh = p.height / 2;
  const auto bar = [&](Picture* fill, int32_t value, int32_t maximum, int32_t backY, int32_t top) {
    if (fill == nullptr || !m_barBack) return;
    m_barBack->DrawD3DDraw(p.x, p.y + static_cast<float>(backY), 0, 0, 0, 0, true);
    const int32_t full = fill->Width();
    const int32_t w = std::min(BarWidth(full, value, maximum), full);
    DrawQuadOf(*fill, p.x - static_cast<float>(full / 2), p.y + static_cast<float>(top),
               static_cast<float>(w), static_cast<float>(fill->height()), 0, 0,
               static_cast<float>(w), static_cast<float>(fill->height()));
  };
  if (p.gauge < kGaugeMaximum) bar(m_gaugeBar.get(), p.gauge, kGaugeMaximum, hh + 5, hh + 3);
  if (p.reload < kReloadMaximum) bar(m_reloadBar.get(), p.reload, kReloadMaximum, hh + 2, hh);
}

void CMatchView::DrawStrip(int32_t strip, int32_t frame, float cx, float cy, float size,
                           uint32_t color, uint32_t mode) {
  if (strip < 0 || strip >= kEffectCount) return;
  Picture* p = m_effects[static_cast<size_t>(strip)].get();
  if (p == nullptr || p->Width() <= 0 || p->height() <= 0) return;
  const int32_t frames = std::max(1, p->Width() / kStripFrame);
  const int32_t side = std::min(kStripFrame, p->height());
  frame = std::clamp(frame, 0, frames - 1);
  p->SetRender(mode);
  p->Color(color);
  DrawQuadOf(*p, cx - size / 2, cy - size / 2, size, size, static_cast<float>(frame * kStripFrame),
             0, static_cast<float>(std::min(kStripFrame, p->Width())), static_cast<float>(side));
}

present::CIMDevice* CMatchView::Device() const {
  if (m_device != nullptr) return m_device;
  if (m_root == nullptr) return nullptr;
  auto* target = dynamic_cast<present::IGraphicsTarget*>(m_root->DisplayDevice());
  return target != nullptr ? target->Device3D() : nullptr;
}

void CMatchView::DrawShots(const CMatch& match) {
  // The strips are drawn larger or smaller than their 64-pixel frames: filtered, they stay
  // round instead of growing uneven steps.
  present::CIMDevice* device = Device();
  const bool wasLinear = device != nullptr && device->State().linearFilter;
  if (device != nullptr) device->SetFilterMode(true);
  for (const CObject& s : match.shots) {
    const ShotLook look = LookOf(s);
    if (look.strip < 0) continue;
    const uint32_t owner =
        Opaque(kPlayerLightColors[static_cast<size_t>(std::clamp(s.owner, 0, kPlayerCount - 1))]);
    const auto size = static_cast<float>(look.size);
    if (s.state == kShotBomb) {
      // The trigger area, faint until the bomb is armed.
      const float ring = static_cast<float>(std::max(s.width, 1)) * 1.1f;
      DrawStrip(kAni02, 3, s.x, s.y, ring, WithAlpha(owner, s.arming > 0 ? 0x50 : 0xC0),
                kModeTinted);
    }
    if (s.state == kShotMissile) {
      // Smoke puffs back along the course, so a player sees where it comes from, then a
      // white-hot core under the owner's twinkle.
      const double rad = s.direction * std::numbers::pi / 180.0;
      const auto step = static_cast<float>(std::max(s.speed, 3.0f) * 1.2f);
      for (int32_t k = 3; k >= 1; --k) {
        const auto tx = static_cast<float>(s.x - std::cos(rad) * step * static_cast<float>(k));
        const auto ty = static_cast<float>(s.y + std::sin(rad) * step * static_cast<float>(k));
        DrawStrip(kBakuha6, 4 + k, tx, ty, 44.0f,
                  WithAlpha(kWhite, static_cast<uint32_t>(0xF0 - 0x38 * k)), kModeTinted);
      }
      DrawStrip(kBakuha6, 1, s.x, s.y, 40.0f, kWhite, kModeTinted);
    }
    DrawStrip(look.strip, look.frame, s.x, s.y, size, look.ownerTint ? owner : kWhite, kModeTinted);
  }
  if (device != nullptr) device->SetFilterMode(wasLinear);
}

// ---- Banner --------------------------------------------------------------------------------

CMatchView::BannerPictures CMatchView::Banner() const {
  BannerPictures b;
  b.modeText = m_modeText != nullptr;
  b.modeTextShown = b.modeText && m_modeTextState != 0;
  b.roundItem = m_roundItem != nullptr;
  b.numberItem = m_numberItem != nullptr;
  b.readyGo = m_readyGo != nullptr;
  b.readyGoShown = b.readyGo && m_readyGoState != 0;
  b.readyGoIsGo = b.readyGo && m_readyGoIsGo;
  return b;
}

void CMatchView::UpdateBanner(CMatch& match) {
  BannerState& state = match.banner;
  // The last banner frame the simulation ran (frame in round has moved past it).
  const int32_t f = std::min(match.frameInRound - 1, kBannerFrames - 1);
  if (match.roundNumber != m_bannerRound || f < m_bannerFrame) {
    m_modeText.reset();
    m_roundItem.reset();
    m_numberItem.reset();
    m_readyGo.reset();
    m_readyGoIsGo = false;
    m_roundRefreshSeen = 0;
    m_bannerRound = match.roundNumber;
    m_bannerFrame = -1;
  }

  if (state.readyGoReleased) {
    m_modeText.reset();
    m_readyGo.reset();
  } else {
    if (state.modeText != 0 && !m_modeText) {
      m_modeText = NewPicture();
      const int32_t mode = std::clamp(match.modeInPlay, 0, 7);
      m_modeText->LoadText(CMatch::kModeNames[mode], 512, 64, 30, kGameFont, 0, true, 0, 0, 1, 1);
    }
    const bool readyAgain = m_bannerFrame < 60 && f >= 60;
    if (f >= 2 && (!m_readyGo || m_readyGoIsGo != state.readyGoIsGo || readyAgain)) {
      if (!m_readyGo) m_readyGo = NewPicture();
      m_readyGoIsGo = state.readyGoIsGo;
      if (m_readyGoIsGo)
        m_readyGo->LoadText("Ｇｏ！", 512, 256, 170, kGameFont, 0, true, 0, 0, 1, 1);
      else
        m_readyGo->LoadText("Ｒｅａｄｙ", 512, 128, 100, kGameFont, 0, true, 0, 0, 1, 1);
    }
  }
  m_modeTextState = m_modeText ? state.modeText : 0;
  m_readyGoState = m_readyGo ? state.readyGo : 0;
  m_readyGoColor =
      state.readyGoColor != 0
          ? state.readyGoColor
          : static_cast<uint32_t>(util::CApi::Math_Color(state.readyGoColorPos, kReadyRamp));

  // The items live while their counters last; the drawing counts them down, and an item is
  // only rendered when it lives on.
  for (auto [life, picture] : {std::pair{&state.roundItemLife, &m_roundItem},
                               std::pair{&state.numberItemLife, &m_numberItem}}) {
    if (*life > 0) --*life;
    if (*life <= 0) picture->reset();
  }
  // "ラウンド" comes into focus over its refreshes; the number appears sharp.
  if (state.roundItemLife > 0 && (!m_roundItem || state.roundItemRefresh != m_roundRefreshSeen)) {
    if (!m_roundItem) m_roundItem = NewPicture();
    const int32_t blur = std::max(0, 8 - 2 * state.roundItemRefresh);
    m_roundItem->LoadText("ラウンド", 512, 128, 100, kGameFont, blur, true, 0, 0, 1, 1);
    m_roundRefreshSeen = state.roundItemRefresh;
  }
  if (state.numberItemLife > 0 && !m_numberItem) {
    m_numberItem = NewPicture();
    m_numberItem->LoadText(std::to_string(match.roundNumber), 256, 128, 128, kGameFont, 0, true, 0,
                           0, 1, 1);
  }
  m_bannerFrame = f;
}

void CMatchView::DrawTextPicture(Picture& picture, float cx, float cy, float scale,
                                 uint32_t color) {
  const auto w = static_cast<float>(picture.Width()), h = static_cast<float>(picture.height());
  if (w <= 0 || h <= 0) return;
  picture.SetRender(kModeTinted);
  picture.Color(color);
  DrawQuadOf(picture, cx - w * scale / 2, cy - h * scale / 2, w * scale, h * scale, 0, 0, w, h);
}

void CMatchView::DrawOutlined(Picture& picture, float cx, float cy, float scale, uint32_t color,
                              int32_t radius) {
  // A dark ink ring round the letters (eight copies), then the letters.
  const auto r = static_cast<float>(radius);
  static constexpr float kRing[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0},
                                        {1, 0},   {-1, 1}, {0, 1},  {1, 1}};
  for (const auto& d : kRing)
    DrawTextPicture(picture, cx + d[0] * r, cy + d[1] * r + 1, scale, kOutline);
  DrawTextPicture(picture, cx, cy, scale, color);
}

void CMatchView::DrawBanner(const CMatch& match) {
  // State 1 breathes between 0.9 and 1.0 about twice a second.
  const float pulse = 0.95f + 0.05f * static_cast<float>(std::cos(match.frameInRound * 0.21));
  const auto scaleOf = [pulse](int32_t state) { return state == 1 ? pulse : 1.0f; };
  if (m_readyGo && m_readyGoState != 0) {
    const float s = scaleOf(m_readyGoState);
    DrawOutlined(*m_readyGo, 400, 300, s, m_readyGoColor, 3);
  }
  if (m_modeText && m_modeTextState != 0) {
    const float s = scaleOf(m_modeTextState);
    DrawOutlined(*m_modeText, 400, 450, s, kWhite, 2);
  }
  if (m_roundItem) {
    DrawOutlined(*m_roundItem, 360, 300, 1.0f, kWhite, 3);
  }
  if (m_numberItem) {
    DrawOutlined(*m_numberItem, 620, 300, 1.0f, 0xFFFFC0A0u, 3);
  }
}

// ---- Counters ------------------------------------------------------------------------------

void CMatchView::DrawNumber(std::array<std::unique_ptr<Picture>, 10>& digits, int32_t value,
                            float lastX, float y, float spacing, uint32_t color, int32_t outline) {
  value = std::max(value, 0);
  float x = lastX;
  do {
    if (Picture* d = digits[static_cast<size_t>(value % 10)].get()) {
      if (outline > 0)
        DrawOutlined(*d, x, y, 1.0f, color, outline);
      else
        DrawTextPicture(*d, x, y, 1.0f, color);
    }
    value /= 10;
    x -= spacing;
  } while (value > 0);
}

void CMatchView::DrawCounters(const CMatch& match) {
  for (int32_t i = 0; i < kPlayerCount; ++i) {
    const CObject& p = match.players[static_cast<size_t>(i)];
    const auto fi = static_cast<float>(i);
    const uint32_t light = Opaque(kPlayerLightColors[static_cast<size_t>(i)]);
    // Each player's numbers sit on a plate of its dark colour, readable on any stage.
    if (m_plate) {
      m_plate->Color(WithAlpha(kPlayerColors[static_cast<size_t>(i)], p.alive ? 0xA8 : 0x60));
      m_plate->DrawD3DDraw(153 + 160 * fi, 581, 0, 0, 0, 0, true);
    }
    // A player who is out keeps the damage, smaller and greyed.
    auto& large = p.alive ? m_digitsLarge : m_digitsMedium;
    const uint32_t color = p.alive ? light : Mix(light, 0xFF606060u, 0.6f);
    DrawNumber(large, p.damage, 145 + 160 * fi, 580, 20, color, 2);
    DrawNumber(m_digitsGlow, p.reload, 204 + 160 * fi, 590, 10, 0xC0000000u, 0);
    DrawNumber(m_digitsSmall, p.reload, 204 + 160 * fi, 590, 10,
               p.reload >= kReloadMaximum ? 0xFFA8E0FFu : 0xFFE8E8E8u, 1);
  }
}

void CMatchView::DrawFps(int32_t fps) {
  const int32_t shown = std::clamp(fps, 0, 60);
  if (!m_fpsText || shown != m_fpsShown) {
    if (!m_fpsText) m_fpsText = NewPicture();
    m_fpsText->LoadText("FPS:" + std::to_string(shown), 64, 20, 20, kGameFont);
    m_fpsShown = shown;
  }
  DrawOutlined(*m_fpsText, 768, 592, 1.0f, kWhite, 1);
}

}  // namespace game

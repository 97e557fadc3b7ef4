// The picture object's image side: creation, loading through the shared bitmap list, text,
// the image-function changes, saved copies, and the life of its surface and texture on the
// engine root's events. The drawing paths are in CGraphics_draw.cpp.
#include "present/CGraphics.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

#include "engine/spLib.h"
#include "image/CmgBBIFunction.h"
#include "image/CmgBBIString.h"
#include "image/CmgBitmapList.h"
#include "present/CIMDevice.h"
#include "present/IGraphicsTarget.h"

namespace present {

namespace {

IGraphicsTarget* g_target = nullptr;
float g_drawScale = 1.0f;

int32_t NextPowerOfTwo(int32_t v) {
  int32_t p = 1;
  while (p < v && p < (1 << 30)) p <<= 1;
  return p;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

TextureMemory& TextureMemory::Shared() {
  static TextureMemory memory;
  return memory;
}

CGraphics::CGraphics(engine::spLib* root)
    : m_root(root != nullptr ? root : &engine::spLib::Shared()) {
  Subscribe();
}

CGraphics::~CGraphics() {
  Unsubscribe();
  DropSurface();
  if (!m_loadedId.empty()) image::CmgBitmapList::Shared().ReferDec(m_loadedId);
}

CGraphics::CGraphics(CGraphics&& other) noexcept { *this = std::move(other); }

CGraphics& CGraphics::operator=(CGraphics&& other) noexcept {
  if (this == &other) return *this;
  Unsubscribe();
  DropSurface();
  if (!m_loadedId.empty()) image::CmgBitmapList::Shared().ReferDec(m_loadedId);
  other.Unsubscribe();
  // The texture's count moves with it; the devices key their copies by the surface, which
  // keeps its address.
  BBI = std::move(other.BBI);
  Flag = other.Flag;
  Tag = std::move(other.Tag);
  DDS = std::move(other.DDS);
  m_root = other.m_root;
  m_surfaceMade = std::exchange(other.m_surfaceMade, false);
  m_textureMade = std::exchange(other.m_textureMade, false);
  m_outdated = std::exchange(other.m_outdated, true);
  m_textureAlpha = other.m_textureAlpha;
  m_reduced = std::exchange(other.m_reduced, false);
  m_textureBytes = std::exchange(other.m_textureBytes, 0);
  m_dataW = other.m_dataW;
  m_dataH = other.m_dataH;
  std::copy(other.m_color, other.m_color + 4, m_color);
  m_tu = other.m_tu;
  m_tv = other.m_tv;
  m_render = other.m_render;
  m_keyChosen = other.m_keyChosen;
  m_keyColor = other.m_keyColor;
  m_children = std::move(other.m_children);
  m_region = std::move(other.m_region);
  m_loadedId = std::exchange(other.m_loadedId, std::string());
  m_pending = std::move(other.m_pending);
  m_pendingNext = std::exchange(other.m_pendingNext, 0);
  Subscribe();
  return *this;
}

void CGraphics::Subscribe() {
  if (m_root == nullptr) return;
  m_rootEvents[0] = m_root->TerminateDraw.Subscribe([this] { Release(); });
  m_rootEvents[1] = m_root->ViderMemoryOver.Subscribe([this] { Release(); });
  m_rootEvents[2] =
      m_root->ViderMemoryCash.Subscribe([this] { (void)ExistDDSTexture(true, true); });
}

void CGraphics::Unsubscribe() {
  for (platform::CSubscription& s : m_rootEvents) s.Reset();
}

void CGraphics::DrawScale(float scale) {
  if (scale > 0.0f) g_drawScale = scale;
}

float CGraphics::DrawScale() { return g_drawScale; }

void CGraphics::UseTarget(IGraphicsTarget* target) { g_target = target; }

IGraphicsTarget* CGraphics::Target() const {
  if (g_target != nullptr) return g_target;
  if (m_root == nullptr) return nullptr;
  return dynamic_cast<IGraphicsTarget*>(m_root->DisplayDevice());
}

// ---- The picture ----------------------------------------------------------------------------

void CGraphics::Add(int32_t Width, int32_t height, bool AlwaysDataClear) {
  const bool kept = BBI.CreateBBI(Width, height);
  if (kept && AlwaysDataClear) image::CmgBBIFunction::Shared().BBIClear(BBI, 0, 0, 0, 0);
  m_keyChosen = false;
  m_pending.clear();
  Refresh();
}

int32_t CGraphics::Load(const std::string& Filename, const std::string& ErrorMsg) {
  // Pictures are decoded once and shared through the bitmap list; each object keeps its own
  // copy to change, and one reference while it lives.
  image::CmgBitmapList& list = image::CmgBitmapList::Shared();
  const std::string id = "\x01graphics:" + Lower(Filename);
  int32_t result = 0;
  if (image::CmgBBI* cached = list.BBI(id)) {
    BBI.CreateBBICopy(*cached);
    if (m_loadedId != id) {
      list.ReferInc(id);
      if (!m_loadedId.empty()) list.ReferDec(m_loadedId);
      m_loadedId = id;
    }
    result = 1;
  } else {
    image::CmgBBI loaded;
    if (loaded.CreateBBIfromFile(Filename, ErrorMsg) == 0) {
      if (image::CmgBBI* entry = list.Add(id)) {
        entry->CreateBBICopy(loaded);
        if (!m_loadedId.empty()) list.ReferDec(m_loadedId);
        m_loadedId = id;
      }
      BBI.CreateBBICopy(loaded);
      result = 1;
    }
  }
  if (result == 1) {
    m_keyChosen = false;
    m_pending.clear();
  }
  Refresh();
  return result;
}

void CGraphics::LoadText(const std::string& Text, int32_t Width, int32_t height, int32_t FontSize,
                         const std::string& FontName, int32_t FontBlur, bool FontAntiAreas,
                         int32_t SpaceX, int32_t SpaceY, int32_t AlignX, int32_t AlignY,
                         bool Wait) {
  image::CmgBBIString& text = image::CmgBBIString::Shared();
  text.FontSize(FontSize);
  if (!FontName.empty()) text.FontName(FontName);
  text.FontBlur(FontBlur);
  text.FontAntiAreas(FontAntiAreas);
  BBI.CreateBBI(Width, height);
  // White everywhere, the glyphs' coverage in alpha: the corner colours give the text colour.
  image::CmgBBIFunction::Shared().BBIClear(BBI, 255, 255, 255, 0);
  util::CRect box;
  box.Create(0, 0, BBI.Width(), BBI.height());
  util::CRects rects = text.MathTextBox(Text, box, SpaceX, SpaceY, AlignX, AlignY);
  m_pending.clear();
  m_pendingNext = 0;
  for (int32_t i = 0; i < rects.Count(); ++i) {
    std::shared_ptr<util::CRect> r = rects.Item(i);
    if (!r) continue;
    m_pending.push_back({r->Left, r->Top, rects.ItemCaption(i)});
  }
  m_keyChosen = false;
  if (!Wait)
    while (LoadTextNext()) {
    }
  Refresh();
}

bool CGraphics::LoadTextNext() {
  if (m_pendingNext >= m_pending.size()) return false;
  const PendingChar& c = m_pending[m_pendingNext++];
  image::CmgBBIString& text = image::CmgBBIString::Shared();
  if (image::CmgBBI* glyph = text.LoadFont(c.text)) {
    // Overlapping glyphs keep the stronger coverage.
    image::CmgBBIFunction::Shared().BBIBltAlpha(BBI, *glyph, c.x, c.y, glyph->Width(),
                                                glyph->height(), 0, 0, 1, 0, 0, 0);
  }
  Refresh();
  if (m_pendingNext < m_pending.size()) return true;
  m_pending.clear();
  m_pendingNext = 0;
  return false;
}

void CGraphics::LoadDDSTex(engine::CSurface& srcDDS) {
  BBI.CreateBBI(srcDDS.Width(), srcDDS.Height());
  BBI.BltToBBIGetDDS(srcDDS);
  m_keyChosen = false;
  Refresh();
}

void CGraphics::Release() { DropSurface(); }

void CGraphics::DropSurface() {
  if (DDS) {
    if (IGraphicsTarget* t = Target()) t->ForgetTexture(DDS.get());
    DDS.reset();
  }
  if (m_textureBytes > 0) TextureMemory::Shared().Remove(m_textureBytes);
  m_textureBytes = 0;
  m_surfaceMade = m_textureMade = false;
  m_reduced = false;
  m_outdated = true;
}

// ---- Corner colours -------------------------------------------------------------------------

void CGraphics::Color(uint32_t color) { std::fill(m_color, m_color + 4, color); }

uint32_t CGraphics::ColorIndex(int32_t index) const {
  return index >= 0 && index < 4 ? m_color[index] : 0;
}

void CGraphics::ColorIndex(int32_t index, uint32_t color) {
  if (index >= 0 && index < 4) m_color[index] = color;
}

// ---- Saved copies ---------------------------------------------------------------------------

image::CmgBBI* CGraphics::Child(int32_t index) {
  if (index < 0 || index >= GetChildCount()) return nullptr;
  return &m_children[static_cast<size_t>(index)];
}

void CGraphics::ChildRedim(int32_t count) {
  m_children.clear();
  ChildRedimPreserve(count);
}

void CGraphics::ChildRedimPreserve(int32_t count) {
  m_children.resize(static_cast<size_t>(std::max(count, 0)));
}

void CGraphics::ChildPush() { m_children.push_back(BBI); }

bool CGraphics::ChildPop() {
  if (m_children.empty()) return false;
  BBI = std::move(m_children.back());
  m_children.pop_back();
  Refresh();
  return true;
}

void CGraphics::RgnAdd(const util::CRect& rect) {
  if (!rect.IsZero() && rect.Width > 0 && rect.Height > 0) m_region.push_back(rect);
}

// ---- Image-function changes -----------------------------------------------------------------

void CGraphics::ChooseCA(int32_t RGB, int32_t Alpha) {
  image::CmgBBIFunction::Shared().BBIChooseCA(BBI, BBI, RGB, Alpha);
  Refresh();
}

void CGraphics::ChooseColor(int32_t r, int32_t g, int32_t b, int32_t a) {
  image::CmgBBIFunction::Shared().ChooseColor(BBI, r, g, b, a);
  Refresh();
}

void CGraphics::ChooseScale(int32_t AddLength, int32_t DivLength) {
  image::CmgBBIFunction::Shared().EfectScale(BBI, AddLength, DivLength);
  Refresh();
}

uint32_t CGraphics::KeyColor() const {
  return (m_keyChosen ? m_keyColor : BBI.dwGetPixel(0, 0)) & 0xFFFFFFu;
}

void CGraphics::ChooseColorKey() {
  m_keyColor = BBI.dwGetPixel(0, 0) & 0xFFFFFFu;
  m_keyChosen = true;
  image::CmgBBIFunction::Shared().BBIKeying(BBI, m_keyColor);
  Refresh();
}

void CGraphics::ChooseColorKeyAntiAreas() {
  m_keyColor = BBI.dwGetPixel(0, 0) & 0xFFFFFFu;
  m_keyChosen = true;
  image::CmgBBIFunction::Shared().BBIKeyingAntiAreas(BBI, m_keyColor);
  Refresh();
}

void CGraphics::Blt(image::CmgBBI& src, int32_t DstX, int32_t DstY, int32_t Width, int32_t height,
                    int32_t SrcX, int32_t SrcY, int32_t BltMode, float BltReality) {
  if (Width == 0) Width = src.Width();
  if (height == 0) height = src.height();
  image::CmgBBIFunction::Shared().BBIBltFX(BBI, src, DstX, DstY, Width, height, SrcX, SrcY, BltMode,
                                           BltReality);
  Refresh();
}

void CGraphics::BltRgn(image::CmgBBI& src, int32_t DstX, int32_t DstY, int32_t BltMode,
                       float BltAlpha) {
  for (const util::CRect& r : m_region)
    image::CmgBBIFunction::Shared().BBIBltFX(BBI, src, DstX + r.Left, DstY + r.Top, r.Width,
                                             r.Height, r.Left, r.Top, BltMode, BltAlpha);
  Refresh();
}

// ---- Surface and texture --------------------------------------------------------------------

bool CGraphics::ExistDDS(bool WithBBIData) {
  if (DDS && (DDS->Lost() || DDS->IsTexture())) DropSurface();
  if (!DDS) {
    // Plain surfaces take the back buffer's layout, so blits are row copies.
    DDS = std::make_unique<engine::CSurface>(Width(), height(), engine::PixelFormat::Argb8888(),
                                             false);
    if (DDS->Lost()) {
      DDS.reset();
      return false;
    }
    m_surfaceMade = true;
    m_outdated = true;
    m_dataW = Width();
    m_dataH = height();
    m_tu = m_tv = 1.0f;
  }
  if (WithBBIData && m_outdated) return Upload();
  return true;
}

void CGraphics::ChooseTextureSize(CIMDevice* device, bool withAlpha, int32_t& picW, int32_t& picH,
                                  int32_t& texW, int32_t& texH) {
  const int32_t maxSide = device != nullptr ? device->MaxTextureSize() : 2048;
  IGraphicsTarget* t = Target();
  const int32_t bytesPerTexel = t != nullptr ? t->TextureFormat(withAlpha).bits / 8 : 4;
  picW = Width();
  picH = height();
  m_reduced = false;
  auto halve = [&] {
    bool any = false;
    // Sizes as the image functions' box resampling makes them (halves to even).
    if (picW >= kMinReduceSide) picW = static_cast<int32_t>(std::lrint(picW * 0.5)), any = true;
    if (picH >= kMinReduceSide) picH = static_cast<int32_t>(std::lrint(picH * 0.5)), any = true;
    m_reduced = m_reduced || any;
    return any;
  };
  // Too large for the device: halve until it fits (or nothing may be halved).
  while ((NextPowerOfTwo(picW) > maxSide || NextPowerOfTwo(picH) > maxSide) && halve()) {
  }
  // Video memory short: one halving, when the menu allows it.
  const int64_t bytes = int64_t{NextPowerOfTwo(picW)} * NextPowerOfTwo(picH) * bytesPerTexel;
  if (t != nullptr && t->ReduceTextures() && TextureMemory::Shared().Short(bytes)) (void)halve();
  texW = std::min(NextPowerOfTwo(picW), maxSide);
  texH = std::min(NextPowerOfTwo(picH), maxSide);
  picW = std::min(picW, texW);
  picH = std::min(picH, texH);
}

bool CGraphics::ExistDDSTexture(bool WithBBIData, bool WithAlphaCannel) {
  if (DDS && (DDS->Lost() || !DDS->IsTexture() || m_textureAlpha != WithAlphaCannel)) DropSurface();
  if (!DDS) {
    IGraphicsTarget* t = Target();
    CIMDevice* device = t != nullptr ? t->Device3D() : nullptr;
    int32_t picW = 0, picH = 0, texW = 0, texH = 0;
    ChooseTextureSize(device, WithAlphaCannel, picW, picH, texW, texH);
    const engine::PixelFormat format = t != nullptr      ? t->TextureFormat(WithAlphaCannel)
                                       : WithAlphaCannel ? engine::PixelFormat::Argb8888()
                                                         : engine::PixelFormat::Xrgb8888();
    DDS = std::make_unique<engine::CSurface>(texW, texH, format, true);
    if (DDS->Lost()) {
      DDS.reset();
      m_reduced = false;
      return false;
    }
    m_textureMade = true;
    m_textureAlpha = WithAlphaCannel;
    m_outdated = true;
    m_dataW = picW;
    m_dataH = picH;
    m_tu = static_cast<float>(picW) / static_cast<float>(texW);
    m_tv = static_cast<float>(picH) / static_cast<float>(texH);
    m_textureBytes = int64_t{texW} * texH * (format.bits / 8);
    TextureMemory::Shared().Add(m_textureBytes);
  }
  if (WithBBIData && m_outdated) return Upload();
  return true;
}

bool CGraphics::Upload() {
  if (!DDS || DDS->Lost()) return false;
  if (m_dataW == Width() && m_dataH == height()) {
    BBI.BltToDDS(*DDS, 0, 0, m_dataW, m_dataH, 0, 0);
  } else {
    // The reduced copy: box-averaged by the image functions.
    image::CmgBBI half = BBI;
    image::CmgBBIFunction& fn = image::CmgBBIFunction::Shared();
    if (m_dataW != Width()) (void)fn.EfectScaleX(half, 1, 2);
    if (m_dataH != height()) (void)fn.EfectScaleY(half, 1, 2);
    // Repeated halvings (a picture far beyond the device's side) go the rest of the way here.
    if (half.Width() != m_dataW || half.height() != m_dataH) {
      image::CmgBBI fit;
      fit.CreateBBI(m_dataW, m_dataH);
      fn.BBILinearBlt(fit, half, 0, 0, m_dataW, m_dataH, 0, 0, half.Width(), half.height());
      half = std::move(fit);
    }
    half.BltToDDS(*DDS, 0, 0, m_dataW, m_dataH, 0, 0);
  }
  m_outdated = false;
  return true;
}

}  // namespace present

// CmgRaiseFont: a face on a memory context, through FreeType and fontconfig.
#include "image/CmgRaiseFont.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "platform/CBlivoBinding.h"
#include "platform/CCodePage.h"
#include "platform/CFontRaster.h"

namespace image {

namespace {

// Face lookups are kept per name for the life of the process (fontconfig is not quick), and
// each fallback is reported once.
const platform::CFontRaster::Face& FaceFor(const std::string& faceName) {
  static std::map<std::string, platform::CFontRaster::Face> faces;
  static bool configured = false;
  if (!configured) {
    configured = true;
    const std::string conf = platform::ExecutableFolder() + "fonts/tumbleroo-fonts.conf";
    if (!platform::CFontRaster::LoadConfigFile(conf))
      std::fprintf(stderr, "tumbleroo: font aliases %s not loaded; faces come from the system\n",
                   conf.c_str());
  }
  auto it = faces.find(faceName);
  if (it != faces.end()) return it->second;
  platform::CFontRaster::Face face = platform::CFontRaster::FindFace(faceName);
  if (face.path.empty()) {
    std::fprintf(stderr, "tumbleroo: no font found for \"%s\": text will not be drawn\n",
                 faceName.c_str());
  } else if (face.substitute) {
    std::fprintf(stderr, "tumbleroo: no font found for \"%s\"; using \"%s\"\n", faceName.c_str(),
                 face.family.c_str());
  }
  return faces.emplace(faceName, std::move(face)).first->second;
}

}  // namespace

CmgRaiseFont::CmgRaiseFont()
    : m_dc(std::make_unique<engine::CSurface>(1, 1, engine::PixelFormat::Xrgb8888())),
      m_raster(std::make_unique<platform::CFontRaster>()) {
  CreateFont(20, "ＭＳ ゴシック");
}

CmgRaiseFont::~CmgRaiseFont() = default;

void CmgRaiseFont::CreateFont(int32_t size, const std::string& faceName) {
  if (size < 1) size = 1;
  if (m_ready && size == m_size && faceName == m_faceName) return;
  m_size = size;
  m_faceName = faceName;
  m_dc = std::make_unique<engine::CSurface>(size, size, engine::PixelFormat::Xrgb8888());
  const platform::CFontRaster::Face& face = FaceFor(faceName);
  m_family = face.family;
  m_ready = m_raster->OpenCell(face, size);
  m_fallbacks.clear();
}

bool CmgRaiseFont::DrawFromFallback(uint32_t* pixels, char32_t codePoint, int32_t cellWidth, bool antiAlias) {
  // Faces claim characters they never drew, so each candidate is tried until one inks it.
  for (const platform::CFontRaster::Face& face : platform::CFontRaster::FindFacesFor(m_faceName, codePoint)) {
    auto& raster = m_fallbacks[face.path + "#" + std::to_string(face.index)];
    if (!raster) {
      raster = std::make_unique<platform::CFontRaster>();
      raster->OpenCell(face, m_size);
    }
    if (!raster->IsOpen() ||
        !raster->DrawCell(pixels, m_dc->Pitch(), m_dc->Width(), m_dc->Height(), codePoint, cellWidth, antiAlias))
      continue;
    static std::set<std::string> said;
    if (said.insert(m_faceName + "\n" + face.family).second)
      std::fprintf(stderr, "tumbleroo: \"%s\" lacks some characters; they are drawn with \"%s\"\n",
                   m_family.c_str(), face.family.c_str());
    return true;
  }
  return false;
}

void CmgRaiseFont::Clear() {
  if (uint8_t* p = m_dc->Lock()) {
    std::memset(p, 0, static_cast<size_t>(m_dc->Pitch()) * static_cast<size_t>(m_dc->Height()));
    m_dc->Unlock();
  }
}

void CmgRaiseFont::CreateText(const std::string& text) {
  if (!m_ready) return;
  Clear();
  uint8_t* p = m_dc->Lock();
  if (p == nullptr) return;
  m_raster->Draw(reinterpret_cast<uint32_t*>(p), m_dc->Pitch(), m_dc->Width(), m_dc->Height(), 0,
                 0, text, 0xFFFFFFFF);
  // The drawing blends with alpha; the context holds plain colour.
  auto* px = reinterpret_cast<uint32_t*>(p);
  for (int64_t i = 0, n = int64_t{m_dc->Width()} * m_dc->Height(); i < n; ++i) px[i] &= 0x00FFFFFF;
  m_dc->Unlock();
}

void CmgRaiseFont::CreateTextCell(const std::string& character, int32_t cellWidth,
                                  bool antiAlias) {
  if (!m_ready) return;
  Clear();
  size_t pos = 0;
  if (character.empty()) return;
  const char32_t cp = platform::CCodePage::NextCodePoint(character, pos);
  uint8_t* p = m_dc->Lock();
  if (p == nullptr) return;
  auto* px = reinterpret_cast<uint32_t*>(p);
  if (!m_raster->DrawCell(px, m_dc->Pitch(), m_dc->Width(), m_dc->Height(), cp, cellWidth, antiAlias))
    DrawFromFallback(px, cp, cellWidth, antiAlias);
  m_dc->Unlock();
}

void CmgRaiseFont::GetTextSize(const std::string& text, int32_t& width, int32_t& height) const {
  width = m_ready ? m_raster->Measure(text) : 0;
  height = m_ready ? m_raster->LineHeight() : 0;
}

}  // namespace image

// fontconfig for the face lookup, FreeType for the glyphs; coverage is blended straight into
// the destination with the colour's own alpha.
#include "CFontRaster.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

// fontconfig (configuration parsing), D-Bus (screen-saver inhibition) and SDL (its per-thread
// error text, set by failed picture loads) keep a few blocks for the life of the process; they
// are not ours to free, so the leak checker ignores them.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\nleak:libSDL2-2.0.so\n";
}

namespace platform {

namespace {

// Next code point of UTF-8 text; broken bytes give U+FFFD and advance one byte.
char32_t NextCodePoint(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int len = 0;
  char32_t cp = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + static_cast<size_t>(len) > s.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  i += static_cast<size_t>(len);
  return cp;
}

uint32_t BlendOver(uint32_t dst, uint32_t colour, uint32_t coverage) {
  const uint32_t a = ((colour >> 24) * coverage + 127) / 255;
  if (a == 0) return dst;
  auto mix = [a](uint32_t d, uint32_t s) { return (s * a + d * (255 - a) + 127) / 255; };
  const uint32_t r = mix((dst >> 16) & 0xFF, (colour >> 16) & 0xFF);
  const uint32_t g = mix((dst >> 8) & 0xFF, (colour >> 8) & 0xFF);
  const uint32_t b = mix(dst & 0xFF, colour & 0xFF);
  const uint32_t da = dst >> 24;
  const uint32_t outA = a + (da * (255 - a) + 127) / 255;
  return outA << 24 | r << 16 | g << 8 | b;
}

}  // namespace

struct CFontRaster::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int32_t lineHeight = 0;
  int32_t ascent = 0;

  ~Impl() {
    if (face != nullptr) FT_Done_Face(face);
    if (library != nullptr) FT_Done_FreeType(library);
  }
};

bool CFontRaster::LoadConfigFile(const std::string& path) {
  static std::set<std::string> loaded;
  if (loaded.count(path)) return true;
  if (FcInit() == FcFalse) return false;
  FcConfig* config = FcConfigGetCurrent();
  if (FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(path.c_str()), FcFalse) ==
      FcFalse)
    return false;
  loaded.insert(path);
  return true;
}

namespace {

// A pattern asking for the family and Japanese coverage, with the configuration applied; null
// when fontconfig cannot start. The caller destroys it.
FcPattern* JapanesePattern(const std::string& family) {
  if (FcInit() == FcFalse) return nullptr;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return nullptr;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcLangSet* langs = FcLangSetCreate();
  FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddLangSet(pattern, FC_LANG, langs);
  FcLangSetDestroy(langs);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  return pattern;
}

// fontconfig's best match for the family, preferring faces that cover Japanese.
CFontRaster::Face Match(const std::string& family) {
  CFontRaster::Face result;
  FcPattern* pattern = JapanesePattern(family);
  if (pattern == nullptr) return result;
  // The families the configuration put in front of the one asked for (its aliases).
  std::set<std::string> wanted{family};
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    const std::string n = reinterpret_cast<const char*>(name);
    if (n == family) break;
    wanted.insert(n);
  }
  FcResult res = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &res);
  if (match != nullptr) {
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr)
      result.path = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) result.index = index;
    bool known = false;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
      if (i == 0) result.family = reinterpret_cast<const char*>(name);
      if (wanted.count(reinterpret_cast<const char*>(name))) known = true;
    }
    result.substitute = !known;
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return result;
}

}  // namespace

CFontRaster::Face CFontRaster::FindFace(const std::string& family) { return Match(family); }

std::vector<CFontRaster::Face> CFontRaster::FindFacesFor(const std::string& family, char32_t codePoint,
                                                         size_t most) {
  std::vector<Face> faces;
  if (codePoint == 0 || most == 0) return faces;
  FcPattern* pattern = JapanesePattern(family);
  if (pattern == nullptr) return faces;
  FcResult res = FcResultNoMatch;
  FcFontSet* sorted = FcFontSort(nullptr, pattern, FcFalse, nullptr, &res);
  for (int i = 0; sorted != nullptr && i < sorted->nfont && faces.size() < most; ++i) {
    FcPattern* font = sorted->fonts[i];
    FcCharSet* has = nullptr;
    FcChar8* file = nullptr;
    FcChar8* name = nullptr;
    int index = 0;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &has) != FcResultMatch || FcCharSetHasChar(has, codePoint) != FcTrue)
      continue;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || file == nullptr) continue;
    Face face;
    face.path = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(font, FC_INDEX, 0, &index) == FcResultMatch) face.index = index;
    if (FcPatternGetString(font, FC_FAMILY, 0, &name) == FcResultMatch) face.family = reinterpret_cast<const char*>(name);
    face.substitute = true;
    faces.push_back(std::move(face));
  }
  if (sorted != nullptr) FcFontSetDestroy(sorted);
  FcPatternDestroy(pattern);
  return faces;
}

CFontRaster::CFontRaster() = default;
CFontRaster::~CFontRaster() = default;

namespace {
bool g_missingFontReported = false;

// Text silently missing from the screen would look like a drawing fault: say why, once.
void ReportMissingFont(const std::string& why) {
  if (g_missingFontReported) return;
  g_missingFontReported = true;
  std::fprintf(stderr, "tumbleroo: %s; text is drawn without it\n", why.c_str());
  std::fflush(stderr);
}
}  // namespace

bool CFontRaster::MissingFontReported() { return g_missingFontReported; }

bool CFontRaster::Open(const std::string& family, int32_t pixelSize) {
  const Face face = FindFace(family);
  if (face.path.empty()) {
    m_impl.reset();
    ReportMissingFont("no font found for \"" + family + "\" (fontconfig)");
    return false;
  }
  return OpenFace(face, pixelSize);
}

bool CFontRaster::OpenFace(const Face& face, int32_t pixelSize) {
  m_impl.reset();
  if (face.path.empty() || pixelSize <= 0 || pixelSize > 1024) return false;
  auto impl = std::make_unique<Impl>();
  if (FT_Init_FreeType(&impl->library) != 0) return false;
  if (FT_New_Face(impl->library, face.path.c_str(), face.index, &impl->face) != 0) {
    ReportMissingFont("the font " + face.path + " cannot be opened");
    return false;
  }
  if (FT_Set_Pixel_Sizes(impl->face, 0, static_cast<FT_UInt>(pixelSize)) != 0) return false;
  const FT_Size_Metrics& m = impl->face->size->metrics;
  impl->ascent = static_cast<int32_t>(m.ascender >> 6);
  impl->lineHeight = std::max<int32_t>(static_cast<int32_t>(m.height >> 6), pixelSize);
  m_impl = std::move(impl);
  return true;
}

bool CFontRaster::IsOpen() const { return m_impl != nullptr; }
int32_t CFontRaster::LineHeight() const { return m_impl ? m_impl->lineHeight : 0; }
int32_t CFontRaster::Ascent() const { return m_impl ? m_impl->ascent : 0; }

int32_t CFontRaster::Measure(std::string_view text) const {
  return Draw(nullptr, 0, 0, 0, 0, 0, text, 0);
}

int32_t CFontRaster::Draw(uint32_t* pixels, int32_t strideBytes, int32_t width, int32_t height,
                          int32_t x, int32_t y, std::string_view text, uint32_t colour) const {
  if (!m_impl) return 0;
  FT_Face face = m_impl->face;
  int64_t penX = x;
  int64_t baseline = static_cast<int64_t>(y) + m_impl->ascent;
  int64_t widest = 0;
  size_t i = 0;
  while (i < text.size()) {
    const char32_t cp = NextCodePoint(text, i);
    if (cp == '\r') continue;
    if (cp == '\n') {
      widest = std::max(widest, penX - x);
      penX = x;
      baseline += m_impl->lineHeight;
      continue;
    }
    if (FT_Load_Char(face, cp, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = face->glyph;
    if (pixels != nullptr && g->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
      const int64_t left = penX + g->bitmap_left;
      const int64_t top = baseline - g->bitmap_top;
      for (unsigned row = 0; row < g->bitmap.rows; ++row) {
        const int64_t py = top + row;
        if (py < 0 || py >= height) continue;
        auto* dst = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) +
                                                py * static_cast<int64_t>(strideBytes));
        const uint8_t* src = g->bitmap.buffer + static_cast<int64_t>(row) * g->bitmap.pitch;
        for (unsigned col = 0; col < g->bitmap.width; ++col) {
          const int64_t px = left + col;
          if (px < 0 || px >= width || src[col] == 0) continue;
          dst[px] = BlendOver(dst[px], colour, src[col]);
        }
      }
    }
    penX += g->advance.x >> 6;
  }
  widest = std::max(widest, penX - x);
  return static_cast<int32_t>(std::min<int64_t>(widest, INT32_MAX));
}

bool CFontRaster::OpenCell(const Face& face, int32_t cellHeight) {
  if (!OpenFace(face, cellHeight)) return false;
  FT_Face f = m_impl->face;
  // Scale so that ascender - descender (font units) becomes the cell height.
  const int64_t span = int64_t{f->ascender} - f->descender;
  if (FT_IS_SCALABLE(f) && span > 0 && f->units_per_EM > 0) {
    const auto ppem = static_cast<FT_UInt>(
        std::max<int64_t>(1, cellHeight * int64_t{f->units_per_EM} / span));
    if (FT_Set_Pixel_Sizes(f, 0, ppem) != 0) return false;
    m_impl->ascent = static_cast<int32_t>((int64_t{f->ascender} * ppem + f->units_per_EM / 2) /
                                          f->units_per_EM);
  }
  m_impl->lineHeight = cellHeight;
  return true;
}

bool CFontRaster::DrawCell(uint32_t* pixels, int32_t strideBytes, int32_t width, int32_t height,
                           char32_t codePoint, int32_t cellWidth, bool antiAlias) const {
  if (!m_impl) return false;
  FT_Face face = m_impl->face;
  const FT_UInt index = FT_Get_Char_Index(face, codePoint);
  if (index == 0) return false;
  const FT_Int32 target = antiAlias ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
  FT_Set_Transform(face, nullptr, nullptr);
  if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | target) != 0) return false;
  // Some faces map characters they never drew to an empty outline: as good as missing.
  const bool space = codePoint == U' ' || codePoint == U'\u3000' || codePoint == U'\u00A0' ||
                     (codePoint >= U'\u2000' && codePoint <= U'\u200B');
  if (!space && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE && face->glyph->outline.n_contours == 0)
    return false;
  int64_t advance = face->glyph->advance.x >> 6;
  if (advance > cellWidth && advance > 0) {
    // Too wide for its cell: condense it rather than cut it off.
    FT_Matrix m{static_cast<FT_Fixed>(0x10000 * int64_t{cellWidth} / advance), 0, 0, 0x10000};
    FT_Set_Transform(face, &m, nullptr);
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_HINTING | target) != 0) {
      FT_Set_Transform(face, nullptr, nullptr);
      return false;
    }
    advance = cellWidth;
  }
  if (FT_Render_Glyph(face->glyph, antiAlias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) {
    FT_Set_Transform(face, nullptr, nullptr);
    return false;
  }
  FT_Set_Transform(face, nullptr, nullptr);
  const FT_GlyphSlot g = face->glyph;
  const int64_t left = (cellWidth - advance) / 2 + g->bitmap_left;
  const int64_t top = int64_t{m_impl->ascent} - g->bitmap_top;
  const bool mono = g->bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  for (unsigned row = 0; row < g->bitmap.rows; ++row) {
    const int64_t py = top + row;
    if (py < 0 || py >= height) continue;
    auto* dst = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) +
                                            py * static_cast<int64_t>(strideBytes));
    const uint8_t* src = g->bitmap.buffer + static_cast<int64_t>(row) * g->bitmap.pitch;
    for (unsigned col = 0; col < g->bitmap.width; ++col) {
      const int64_t px = left + col;
      if (px < 0 || px >= width) continue;
      const uint32_t v = mono ? ((src[col >> 3] >> (7 - (col & 7))) & 1) * 255u : src[col];
      if (v != 0) dst[px] = v << 16 | v << 8 | v;
    }
  }
  return true;
}

}  // namespace platform

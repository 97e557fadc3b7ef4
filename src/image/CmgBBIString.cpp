// CmgBBIString: glyph names, the glyph cache (bitmap list, then font folder, then rendering),
// the rendering chain, and text layout.
#include "image/CmgBBIString.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "engine/spLib.h"
#include "image/CmgBBIFunction.h"
#include "image/CmgBitmapList.h"
#include "image/CmgRaiseFont.h"
#include "platform/CCodePage.h"
#include "util/CApi.h"

namespace image {

namespace {

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", v);
  return buf;
}

std::string Two(int32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

// The first character of text, as UTF-8, and its code point.
std::string FirstCharacter(const std::string& text, char32_t& cp) {
  size_t pos = 0;
  cp = platform::CCodePage::NextCodePoint(text, pos);
  return text.substr(0, pos);
}

struct TableRow {
  const char* names[3];
  const char* normalized;
};

constexpr TableRow kFontTable[] = {
    {{"A", "ゴシック", "ＭＳ ゴシック"}, "#A ＭＳ ゴシック"},
    {{"B", "明朝", "ＭＳ 明朝"}, "#B ＭＳ 明朝"},
    {{"C", "行書", "HG行書体"}, "#C HG行書体"},
    {{"D", "太字", "HG創英角ｺﾞｼｯｸUB"}, "#D HG創英角ｺﾞｼｯｸUB"},
    {{"E", "ポップ", "HG創英角ﾎﾟｯﾌﾟ体"}, "#E HG創英角ﾎﾟｯﾌﾟ体"},
    {{"F", "ことり", "ことり文字ふぉんと等幅"}, "#F ことり文字ふぉんと等幅"},
};

}  // namespace

CmgBBIString::CmgBBIString(CmgBitmapList* list, CmgBBIFunction* functions, util::CApi* api)
    : m_list(list), m_functions(functions), m_api(api) {
  FontFolder("\\font\\");
  SplitFontName(NormalizeFontName(""), m_faceName, m_fontNumber);
  BuildPrefix();
}

CmgBBIString::~CmgBBIString() = default;

CmgBBIString& CmgBBIString::Shared() {
  static CmgBBIString shared;
  return shared;
}

util::CApi& CmgBBIString::Api() const { return m_api ? *m_api : engine::spLib::Shared().Api(); }
CmgBitmapList& CmgBBIString::List() const { return m_list ? *m_list : CmgBitmapList::Shared(); }
CmgBBIFunction& CmgBBIString::Functions() const {
  return m_functions ? *m_functions : CmgBBIFunction::Shared();
}

CmgRaiseFont& CmgBBIString::Raiser() {
  if (!m_raiser) m_raiser = std::make_unique<CmgRaiseFont>();
  return *m_raiser;
}

// ---- Settings ------------------------------------------------------------------------------

void CmgBBIString::FontFolder(const std::string& folder) {
  std::string path = folder;
  Api().ExepathAddition(path);
  if (!path.empty() && path.back() != '/') path += '/';
  m_folder = path;
  std::error_code ec;
  m_folderExists = std::filesystem::is_directory(path, ec);
}

std::string CmgBBIString::NormalizeFontName(const std::string& name) {
  if (name.empty()) return kFontTable[0].normalized;
  for (const TableRow& row : kFontTable)
    for (const char* n : row.names)
      if (name == n) return row.normalized;
  return name;
}

void CmgBBIString::SplitFontName(const std::string& normalized, std::string& face,
                                 int32_t& number) {
  if (!normalized.empty() && normalized[0] == '#') {
    const char digit = normalized.size() > 1 ? normalized[1] : '0';
    number = std::isxdigit(static_cast<unsigned char>(digit))
                 ? static_cast<int32_t>(std::stoi(std::string(1, digit), nullptr, 16))
                 : 0;
    std::string rest = normalized.size() > 2 ? normalized.substr(2) : "";
    const auto first = rest.find_first_not_of(" \t");
    const auto last = rest.find_last_not_of(" \t");
    face = first == std::string::npos ? "" : rest.substr(first, last - first + 1);
    return;
  }
  face = normalized;
  // The sum of the name's codes in upper case (one-byte characters upper-cased; two-byte
  // characters count with their signed 16-bit code).
  int32_t sum = 0;
  size_t pos = 0;
  while (pos < normalized.size()) {
    char32_t cp = platform::CCodePage::NextCodePoint(normalized, pos);
    if (cp >= 'a' && cp <= 'z') cp -= 'a' - 'A';
    const auto c = platform::CCodePage::Encode(cp);
    sum += c.bytes == 1 ? c.code : static_cast<int16_t>(c.code);
  }
  number = sum;
}

void CmgBBIString::FontName(const std::string& name) {
  std::string face;
  int32_t number = 0;
  SplitFontName(NormalizeFontName(name), face, number);
  if (face == m_faceName) return;
  m_faceName = face;
  m_fontNumber = number;
  BuildPrefix();
}

void CmgBBIString::FontSize(int32_t size) {
  size = std::clamp(size, 1, kMaxFontSize);
  if (size == m_size) return;
  m_size = size;
  BuildPrefix();
}

void CmgBBIString::FontBlur(int32_t blur) {
  blur = std::clamp(blur, 0, kMaxFontBlur);
  if (blur == m_blur) return;
  m_blur = blur;
  BuildPrefix();
}

void CmgBBIString::FontAntiAreas(bool on) {
  if (on == m_antiAreas) return;
  m_antiAreas = on;
  BuildPrefix();
}

void CmgBBIString::BuildPrefix() {
  const std::string core = Hex(static_cast<uint32_t>(m_fontNumber)) + "_" + Two(m_size) + "_";
  if (m_blur == 0)
    m_prefix = (m_antiAreas ? "font_" : "fareas_") + core;
  else
    m_prefix = (m_antiAreas ? "blur_" : "bareas_") + Two(m_blur) + "_" + core;
  ++m_prefixBuilds;
}

std::string CmgBBIString::GlyphName(const std::string& text) const {
  if (text.empty()) return {};
  char32_t cp = 0;
  const std::string ch = FirstCharacter(text, cp);
  const platform::CCodePage::Char c = platform::CCodePage::Encode(cp);
  // A character the code page cannot hold would share '?''s name: it is named by code point.
  if (c.code == platform::CCodePage::kUnencodableCode && cp != '?')
    return m_prefix + "U" + Hex(static_cast<uint32_t>(cp)) + "_" + ch + ".bbi";
  const auto code = static_cast<int32_t>(static_cast<int16_t>(c.code));
  if (code >= 0 && code < 256) return m_prefix + Hex(static_cast<uint32_t>(code)) + ".bbi";
  return m_prefix + Hex(static_cast<uint32_t>(code)) + "_" + ch + ".bbi";
}

int32_t CmgBBIString::GetCharWidth(const std::string& text) const {
  char32_t cp = 0;
  if (text.empty()) return m_size / 2;
  FirstCharacter(text, cp);
  return platform::CCodePage::ByteLength(cp) == 1 ? m_size / 2 : m_size;
}

// ---- Glyphs --------------------------------------------------------------------------------

CmgBBI* CmgBBIString::LoadFont(const std::string& text) {
  if (text.empty()) return nullptr;
  const std::string name = GlyphName(text);
  CmgBitmapList& list = List();
  if (CmgBBI* glyph = list.BBI(name)) return glyph;
  CmgBBI* glyph = list.Add(name);
  if (glyph == nullptr) return nullptr;
  // A file in the folder is taken only when it is a sound block of the glyph's size.
  char32_t cp = 0;
  const std::string ch = FirstCharacter(text, cp);
  CmgBBIBase base(&Api());
  const bool loaded = m_folderExists && base.CreateBBIfromFile(glyph->Data(), m_folder + name) == 0 &&
                      glyph->Width() == GetCharWidth(ch) + 2 * m_blur &&
                      glyph->height() == m_size + 2 * m_blur;
  if (!loaded) {
    RenderGlyph(*glyph, ch);
    if (m_folderExists) glyph->SaveToBBI(m_folder + name, false);
  }
  return glyph;
}

void CmgBBIString::LoadFontCash(const std::string& text) {
  if (m_folderExists) {
    std::error_code ec;
    CmgBBIBase base(&Api());
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, ec)) {
      if (!entry.is_regular_file(ec)) continue;
      const std::string name = entry.path().filename().string();
      if (List().BBI(name) != nullptr) continue;
      if (CmgBBI* glyph = List().Add(name)) {
        if (base.CreateBBIfromFile(glyph->Data(), m_folder + name) != 0) List().Remove(name);
      }
    }
  }
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t start = pos;
    (void)platform::CCodePage::NextCodePoint(text, pos);
    LoadFont(text.substr(start, pos - start));
  }
}

void CmgBBIString::RenderGlyph(CmgBBI& img, const std::string& character) {
  const int32_t cw = GetCharWidth(character), b = m_blur;
  img.CreateBBI(cw + 2 * b, m_size + 2 * b);
  int32_t k = 1;
  if (m_antiAreas) k = m_size <= 9 ? 5 : m_size <= 17 ? 4 : m_size <= 37 ? 3 : m_size <= 100 ? 2 : 1;
  const int32_t s = m_size * k;
  if (!m_work) m_work = std::make_unique<CmgBBI>(&Api());
  CmgBBI& work = *m_work;
  work.CreateBBI(s, s);
  CmgRaiseFont& raiser = Raiser();
  raiser.CreateFont(s, m_faceName);
  // Supersampled glyphs are drawn two-level and averaged down; at the largest sizes the
  // face's own smoothing is kept.
  raiser.CreateTextCell(character, cw * k, !m_antiAreas || k == 1);
  work.BltToBBIGetDIB(raiser.GetHDC());
  CmgBBIFunction& fn = Functions();
  if (m_antiAreas) {
    const uint32_t background = work.dwGetPixel(0, 0);
    fn.BBIKeyingAntiAreas(work, background);
    if (k > 1) {
      fn.BBIBltUScale(work, work, 0, 0, s, s, 0, 0, 1, k);
      fn.BBIBltVScale(work, work, 0, 0, s, s, 0, 0, 1, k);
    }
  } else {
    fn.BBIChooseRGBA(work, work, 0, 1, 2, 0);
  }
  if (b == 0) {
    fn.BBIBlt(img, work, 0, 0, cw, m_size, 0, 0);
    return;
  }
  fn.BBIClear(img, 0, 0, 0, 0);
  fn.BBIBlt(img, work, b, b, cw, m_size, 0, 0);
  const int32_t w = img.Width(), h = img.height();
  fn.BBIBltUBlur(img, img, 0, 0, w, h, 0, 0, b / 2 + b % 2);
  fn.BBIBltVBlur(img, img, 0, 0, w, h, 0, 0, b / 2 + b % 2);
  fn.BBIBltUBlur(img, img, 0, 0, w, h, 0, 0, b / 2);
  fn.BBIBltVBlur(img, img, 0, 0, w, h, 0, 0, b / 2);
  fn.BBIBltAdd(img, img, 0, 0, w, h, 0, 0);
}

// ---- Layout --------------------------------------------------------------------------------

util::CRects CmgBBIString::MathTextBox(const std::string& text, const util::CRect& box,
                                       int32_t spaceX, int32_t spaceY, int32_t alignX,
                                       int32_t alignY) {
  // The characters up to the first NUL.
  std::vector<std::string> chars;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t start = pos;
    const char32_t cp = platform::CCodePage::NextCodePoint(text, pos);
    if (cp == 0) break;
    chars.push_back(text.substr(start, pos - start));
  }
  const auto placed = static_cast<int32_t>(std::count_if(chars.begin(), chars.end(), [](const std::string& c) {
    return c != "\r" && c != "\n" && c != "\t";
  }));
  util::CRects rects;
  rects.Resize(placed);
  const int64_t W = box.Width, H = box.Height, b = m_blur;
  int64_t x = 0, y = 0, lineHeight = m_size;
  int32_t next = 0, lineStart = 0;
  auto endLine = [&]() {
    const int64_t shift = alignX == 1 ? (W - x) / 2 : alignX == 2 ? W - x : 0;
    for (int32_t i = lineStart; i < next && shift != 0; ++i)
      if (auto r = rects.Item(i)) r->Left = static_cast<int32_t>(r->Left + shift);
    y += lineHeight + spaceY;
    x = 0;
    lineHeight = m_size;
    lineStart = next;
    return !(H >= 1 && y > H);
  };
  for (size_t i = 0; i <= chars.size(); ++i) {
    if (i == chars.size()) {
      endLine();
      break;
    }
    const std::string& c = chars[i];
    if (c == "\r") {
      if (!endLine()) break;
      continue;
    }
    if (c == "\n" || c == "\t") continue;
    const int64_t cw = GetCharWidth(c), ch = GetCharHeight();
    // A character that does not fit starts a new line, unless it is the first of its line.
    if (W >= 1 && x > 0 && x + cw > W && !endLine()) break;
    lineHeight = std::max(lineHeight, ch);
    if (auto r = rects.Item(next)) {
      r->Create(static_cast<int32_t>(box.Left + x - b), static_cast<int32_t>(box.Top + y - b),
                static_cast<int32_t>(cw + 2 * b), static_cast<int32_t>(ch + 2 * b));
      rects.ItemCaption(next, c);
    }
    ++next;
    x += cw + spaceX;
  }
  const int64_t shiftY = alignY == 1 ? (H - y) / 2 : alignY == 2 ? H - y : 0;
  if (shiftY != 0)
    for (int32_t i = 0; i < next; ++i)
      if (auto r = rects.Item(i)) r->Top = static_cast<int32_t>(r->Top + shiftY);
  return rects;
}

}  // namespace image

// CmgBBIString: the text renderer. Each character becomes a glyph image whose alpha carries its
// coverage, kept in the shared bitmap list under a name made of the font settings and the
// character's CP932 code, and stored as a block file in the font folder so that later runs load
// it instead of rendering it. It also lays strings out in a box, one rectangle per character.
// Relies on CmgBitmapList, CmgBBIFunction, CmgRaiseFont, the CP932 code page and util::CRects.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "image/CmgBBI.h"
#include "util/CRect.h"
#include "util/CRects.h"

namespace util {
class CApi;
}

namespace image {

class CmgBitmapList;
class CmgBBIFunction;
class CmgRaiseFont;

class CmgBBIString {
 public:
  static constexpr int32_t kMaxFontSize = 144;
  static constexpr int32_t kMaxFontBlur = 36;

  // The list, function library and utility object are the program's shared ones unless given.
  explicit CmgBBIString(CmgBitmapList* list = nullptr, CmgBBIFunction* functions = nullptr,
                        util::CApi* api = nullptr);
  ~CmgBBIString();
  CmgBBIString(const CmgBBIString&) = delete;
  CmgBBIString& operator=(const CmgBBIString&) = delete;

  static CmgBBIString& Shared();

  // Settings. The folder is completed to a full path ("\" prefix: the program's folder).
  void FontFolder(const std::string& folder);
  [[nodiscard]] const std::string& FontFolder() const { return m_folder; }
  [[nodiscard]] bool FontFolderExists() const { return m_folderExists; }
  void FontName(const std::string& name);
  [[nodiscard]] const std::string& FontName() const { return m_faceName; }
  [[nodiscard]] int32_t FontNumber() const { return m_fontNumber; }
  void FontSize(int32_t size);
  [[nodiscard]] int32_t FontSize() const { return m_size; }
  void FontBlur(int32_t blur);
  [[nodiscard]] int32_t FontBlur() const { return m_blur; }
  void FontAntiAreas(bool on);
  [[nodiscard]] bool FontAntiAreas() const { return m_antiAreas; }
  [[nodiscard]] const std::string& CachePrefix() const { return m_prefix; }
  // How many times the prefix was rebuilt (a setting changed to a different value).
  [[nodiscard]] int32_t PrefixBuilds() const { return m_prefixBuilds; }

  // The font table: the normalised name ("#A ＭＳ ゴシック" ...), and its face and number.
  static std::string NormalizeFontName(const std::string& name);
  static void SplitFontName(const std::string& normalized, std::string& face, int32_t& number);
  // The glyph name of the first character of text under the current settings.
  [[nodiscard]] std::string GlyphName(const std::string& text) const;

  [[nodiscard]] int32_t GetCharWidth(const std::string& text) const;
  [[nodiscard]] int32_t GetCharHeight() const { return m_size; }

  // The glyph of the first character of text (null for empty text).
  CmgBBI* LoadFont(const std::string& text);
  // Loads every glyph file of the folder, then gets the glyph of every character of text.
  void LoadFontCash(const std::string& text = "");
  // One rectangle per character (CR, LF and tab take none; a NUL ends the text), each captioned
  // with its character.
  util::CRects MathTextBox(const std::string& text, const util::CRect& textBox, int32_t spaceX = 0,
                           int32_t spaceY = 0, int32_t alignX = 0, int32_t alignY = 0);

  // Renders the glyph of one character into img with the current settings.
  void RenderGlyph(CmgBBI& img, const std::string& character);
  [[nodiscard]] CmgRaiseFont& Raiser();

 private:
  void BuildPrefix();
  [[nodiscard]] util::CApi& Api() const;
  [[nodiscard]] CmgBitmapList& List() const;
  [[nodiscard]] CmgBBIFunction& Functions() const;

  CmgBitmapList* m_list = nullptr;
  CmgBBIFunction* m_functions = nullptr;
  util::CApi* m_api = nullptr;
  std::string m_folder;
  bool m_folderExists = false;
  std::string m_faceName;
  int32_t m_fontNumber = 10;
  int32_t m_size = 20;
  int32_t m_blur = 0;
  bool m_antiAreas = true;
  std::string m_prefix;
  int32_t m_prefixBuilds = 0;
  std::unique_ptr<CmgRaiseFont> m_raiser;
  std::unique_ptr<CmgBBI> m_work;
};

}  // namespace image

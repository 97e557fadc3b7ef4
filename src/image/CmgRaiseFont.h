// CmgRaiseFont: the text renderer's drawing surface. A size x size memory device context (a
// 32-bit surface) with a face selected: it draws text white on black and measures it. Faces are
// found by name through fontconfig, with the aliases of the program's own configuration file
// (fonts/tumbleroo-fonts.conf beside the executable); a name nothing answers to falls back to
// any face that covers Japanese, said once on stderr. A character the face lacks is drawn from
// the best face that has it (also said once), so no character is silently left blank.
// Relies on platform::CFontRaster.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "engine/CSurface.h"

namespace platform {
class CFontRaster;
}

namespace image {

class CmgRaiseFont {
 public:
  CmgRaiseFont();  // CreateFont(20, "ＭＳ ゴシック")
  ~CmgRaiseFont();
  CmgRaiseFont(const CmgRaiseFont&) = delete;
  CmgRaiseFont& operator=(const CmgRaiseFont&) = delete;

  // Selects the face at this cell size (making a new size x size context) when either differs.
  void CreateFont(int32_t size, const std::string& faceName);
  // Clears the context to black and draws the text from (0, 0); nothing before a CreateFont
  // that found a face.
  void CreateText(const std::string& text);
  // Clears the context and draws one character centred in a cell of cellWidth pixels,
  // condensed when it is wider. antiAlias false draws two-level pixels.
  void CreateTextCell(const std::string& character, int32_t cellWidth, bool antiAlias = true);
  [[nodiscard]] engine::CSurface& GetHDC() { return *m_dc; }
  void GetTextSize(const std::string& text, int32_t& width, int32_t& height) const;

  [[nodiscard]] bool Ready() const { return m_ready; }
  [[nodiscard]] const std::string& FaceName() const { return m_faceName; }
  [[nodiscard]] int32_t Size() const { return m_size; }
  // The family fontconfig chose for the current face name.
  [[nodiscard]] const std::string& MatchedFamily() const { return m_family; }

 private:
  void Clear();
  // Draws the character from another face that has it; false when none does.
  bool DrawFromFallback(uint32_t* pixels, char32_t codePoint, int32_t cellWidth, bool antiAlias);

  std::unique_ptr<engine::CSurface> m_dc;
  std::unique_ptr<platform::CFontRaster> m_raster;
  std::map<std::string, std::unique_ptr<platform::CFontRaster>> m_fallbacks;  // by face file
  std::string m_faceName;
  std::string m_family;
  int32_t m_size = 0;
  bool m_ready = false;
};

}  // namespace image

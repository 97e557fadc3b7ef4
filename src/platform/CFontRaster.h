// CFontRaster: a font face found by family name through fontconfig and rasterised with
// FreeType into 32-bit 0xAARRGGBB buffers (the BBI pixel layout). The debug pages draw with it;
// the text renderer builds on it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class CFontRaster {
 public:
  struct Face {
    std::string path;   // empty: nothing found
    int32_t index = 0;  // face within a collection file
    std::string family;     // the family fontconfig matched
    bool substitute = false;  // neither the family asked for nor what its aliases name
  };

  // The best face fontconfig offers for the family, preferring ones that cover Japanese.
  [[nodiscard]] static Face FindFace(const std::string& family);
  // Up to `most` faces that claim the character, best first for the family.
  [[nodiscard]] static std::vector<Face> FindFacesFor(const std::string& family, char32_t codePoint,
                                                      size_t most = 8);
  // Adds a configuration file (aliases of face names) to fontconfig's current configuration;
  // false when it cannot be read. Each file is loaded once.
  static bool LoadConfigFile(const std::string& path);

  CFontRaster();
  ~CFontRaster();
  CFontRaster(const CFontRaster&) = delete;
  CFontRaster& operator=(const CFontRaster&) = delete;

  // Opening fails when no face is found or it cannot be read; the first such failure in the
  // process is reported on stderr, since text then goes missing from the screen.
  bool Open(const std::string& family, int32_t pixelSize);
  bool OpenFace(const Face& face, int32_t pixelSize);
  // Whether a missing or unreadable font has been reported in this process.
  [[nodiscard]] static bool MissingFontReported();
  [[nodiscard]] bool IsOpen() const;
  [[nodiscard]] int32_t LineHeight() const;
  [[nodiscard]] int32_t Ascent() const;

  // Blends `text` (UTF-8; LF or CR LF starts a new line) in `colour` into the buffer with its
  // first line's top-left at (x, y); everything outside the buffer is clipped. Returns the width
  // of the widest line in pixels.
  int32_t Draw(uint32_t* pixels, int32_t strideBytes, int32_t width, int32_t height, int32_t x,
               int32_t y, std::string_view text, uint32_t colour) const;
  // Width of the widest line, without drawing.
  [[nodiscard]] int32_t Measure(std::string_view text) const;

  // Opens the face so that its ascent and descent together fill cellHeight pixels: every
  // character drawn in a cell then shares one baseline and none is cut at the top or bottom.
  bool OpenCell(const Face& face, int32_t cellHeight);
  // Draws one character white on black (0x00RRGGBB grey) into a buffer whose top row is the
  // cell's top, centred in cellWidth and condensed when its advance is wider than the cell.
  // antiAlias false gives two-level pixels. False when the face has no such character
  // (or only an empty outline for one that is not a space).
  bool DrawCell(uint32_t* pixels, int32_t strideBytes, int32_t width, int32_t height,
                char32_t codePoint, int32_t cellWidth, bool antiAlias) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace platform

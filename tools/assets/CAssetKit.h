// The asset generator's drawing kit: the engine's own image functions, text renderer and
// savers, plus the few helpers every asset family shares (a seeded random stream, shapes in
// floating-point coordinates, supersampled sprites, colour-keyed finishing). Relies on
// image::CmgBBIFunction, image::CmgBBIString and util::CApi; nothing here touches the screen.
#pragma once

#include <cstdint>
#include <string>

#include "image/CmgBBI.h"
#include "image/CmgBBIFunction.h"
#include "image/CmgBBIString.h"
#include "image/CmgBitmapList.h"
#include "util/CApi.h"

namespace assets {

using image::CmgBBI;

// The colour every keyed picture is painted on, and what its corners hold: black, alpha 0.
// Art pixels are never exactly this colour, so keying by the corner pixel or by black removes
// the background and nothing else.
constexpr uint32_t kKey = 0x00000000u;

// A small xorshift stream: the same numbers on every machine and every build.
class CRng {
 public:
  explicit CRng(uint32_t seed) : m_state(seed == 0 ? 0x9E3779B9u : seed) {}
  uint32_t Next() {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
  }
  // [0, 1)
  float Unit() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }
  float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
  int32_t Int(int32_t lo, int32_t hi) {
    return lo + static_cast<int32_t>(Next() % static_cast<uint32_t>(hi - lo + 1));
  }

 private:
  uint32_t m_state;
};

// Packs components (clamped) into 0xAARRGGBB.
uint32_t Argb(int32_t a, int32_t r, int32_t g, int32_t b);
// An opaque colour from 0xRRGGBB.
constexpr uint32_t Opaque(uint32_t rgb) { return 0xFF000000u | (rgb & 0xFFFFFFu); }
// The colour a fraction t of the way from c0 to c1, every byte (alpha too).
uint32_t Mix(uint32_t c0, uint32_t c1, float t);
// The colour with its alpha replaced.
constexpr uint32_t WithAlpha(uint32_t c, uint32_t a) { return (c & 0xFFFFFFu) | (a << 24); }

class CAssetKit {
 public:
  CAssetKit();
  CAssetKit(const CAssetKit&) = delete;
  CAssetKit& operator=(const CAssetKit&) = delete;

  util::CApi api;
  image::CmgBBIFunction fn;
  image::CmgBitmapList glyphs;
  image::CmgBBIString text;

  // A w x h picture filled with colour.
  CmgBBI Image(int32_t w, int32_t h, uint32_t colour = kKey);

  // ---- Shapes (replace the pixels they cover) ----
  // An ellipse centred at (cx, cy) with radii rx, ry: a radial ramp from inner at the centre to
  // outer at the rim.
  void Ellipse(CmgBBI& img, float cx, float cy, float rx, float ry, uint32_t inner, uint32_t outer);
  void Disc(CmgBBI& img, float cx, float cy, float r, uint32_t colour) {
    Ellipse(img, cx, cy, r, r, colour, colour);
  }
  void Triangle(CmgBBI& img, float x1, float y1, float x2, float y2, float x3, float y3,
                uint32_t colour);
  // A stroke of the given width with round ends.
  void Stroke(CmgBBI& img, float x1, float y1, float x2, float y2, float width, uint32_t colour);
  // A box with rounded corners (radius r), a vertical gradient from top to bottom.
  void RoundBox(CmgBBI& img, float x, float y, float w, float h, float r, uint32_t top,
                uint32_t bottom);

  // ---- Layers ----
  // src composited over dst at (x, y), straight alpha, with an overall opacity.
  void Over(CmgBBI& dst, CmgBBI& src, int32_t x = 0, int32_t y = 0, float opacity = 1.0f);
  // Reduces a picture drawn at factor times the size (box filter), with colour weighted by
  // alpha so edges keep their colour instead of darkening.
  void Reduce(CmgBBI& img, int32_t factor);
  // The silhouette grown by size pixels in colour, under the picture (an outline).
  void Outline(CmgBBI& img, uint32_t colour, int32_t size = 1);

  // ---- Text ----
  // A transparent w x h layer with text laid out in it by the text renderer: font by the
  // renderer's face letters or names, size in pixels, aligned 0 left/top, 1 centre, 2 right/
  // bottom, every glyph in colour.
  CmgBBI TextLayer(int32_t w, int32_t h, const std::string& str, const std::string& font,
                   int32_t size, uint32_t colour, int32_t alignX = 1, int32_t alignY = 1,
                   int32_t spaceX = 0);

  // The game's way of tinting a sprite with a light colour: the colour minus mid grey added to
  // every byte (grey 0x808080 leaves the picture as it is).
  static void TintAddSigned(CmgBBI& img, uint32_t tint);

  // ---- Finishing and saving ----
  // For pictures the game colour-keys: pixels below half coverage become the key, every other
  // pixel keeps its colour (never exactly black) and its alpha.
  static void FinishKeyed(CmgBBI& img);
  // A bitmap with its alpha channel (32 bits); false when it cannot be written.
  static bool SaveWithAlpha(CmgBBI& img, const std::string& path);
  // A 24-bit bitmap (stage maps: exact colours, nothing else).
  static bool SaveOpaque(CmgBBI& img, const std::string& path);
};

}  // namespace assets

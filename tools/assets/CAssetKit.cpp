// The drawing kit: shapes on the pixel library's primitives, layers, supersampling, text.
#include "CAssetKit.h"

#include <algorithm>
#include <cmath>

#include "util/CRect.h"
#include "util/CRects.h"

namespace assets {

namespace {

int32_t Px(float v) { return static_cast<int32_t>(std::lrint(v)); }

}  // namespace

uint32_t Argb(int32_t a, int32_t r, int32_t g, int32_t b) {
  auto c = [](int32_t v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
  return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

uint32_t Mix(uint32_t c0, uint32_t c1, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const float a = static_cast<float>((c0 >> shift) & 0xFF);
    const float b = static_cast<float>((c1 >> shift) & 0xFF);
    out |= static_cast<uint32_t>(std::lrint(a + (b - a) * t)) << shift;
  }
  return out;
}

CAssetKit::CAssetKit() : fn(&api), text(&glyphs, &fn, &api) {}

CmgBBI CAssetKit::Image(int32_t w, int32_t h, uint32_t colour) {
  CmgBBI img(&api);
  img.CreateBBI(w, h);
  fn.BBIClear(img, static_cast<int32_t>((colour >> 16) & 0xFF),
              static_cast<int32_t>((colour >> 8) & 0xFF), static_cast<int32_t>(colour & 0xFF),
              static_cast<int32_t>(colour >> 24));
  return img;
}

void CAssetKit::Ellipse(CmgBBI& img, float cx, float cy, float rx, float ry, uint32_t inner,
                        uint32_t outer) {
  if (rx < 0.5f || ry < 0.5f) return;
  fn.dwDrawCircle(img, Px(cx - rx), Px(cy - ry), Px(cx + rx) - 1, Px(cy + ry) - 1, inner, outer);
}

void CAssetKit::Triangle(CmgBBI& img, float x1, float y1, float x2, float y2, float x3, float y3,
                         uint32_t colour) {
  fn.BBIDrawTriangle(img, Px(x1), Px(y1), Px(x2), Px(y2), Px(x3), Px(y3), 0, colour);
}

void CAssetKit::Stroke(CmgBBI& img, float x1, float y1, float x2, float y2, float width,
                       uint32_t colour) {
  const float dx = x2 - x1, dy = y2 - y1;
  const float len = std::sqrt(dx * dx + dy * dy);
  const float r = width / 2;
  if (len > 0.5f) {
    const float nx = -dy / len * r, ny = dx / len * r;
    Triangle(img, x1 + nx, y1 + ny, x2 + nx, y2 + ny, x2 - nx, y2 - ny, colour);
    Triangle(img, x1 + nx, y1 + ny, x2 - nx, y2 - ny, x1 - nx, y1 - ny, colour);
  }
  Disc(img, x1, y1, r, colour);
  Disc(img, x2, y2, r, colour);
}

void CAssetKit::RoundBox(CmgBBI& img, float x, float y, float w, float h, float r, uint32_t top,
                         uint32_t bottom) {
  const int32_t iw = std::max(1, Px(w)), ih = std::max(1, Px(h));
  CmgBBI fill = Image(iw, ih, 0);
  fn.BBIDrawBox(fill, 0, 0, iw, ih, 0, top, top, bottom, bottom);
  // The rounded shape as alpha: the fill keeps the lower of its alpha and the shape's.
  CmgBBI shape = Image(iw, ih, 0);
  const uint32_t solid = 0xFFFFFFFFu;
  r = std::min({r, w / 2, h / 2});
  fn.BBIDrawColorFill(shape, Px(r), 0, iw - 2 * Px(r), ih, 0, solid);
  fn.BBIDrawColorFill(shape, 0, Px(r), iw, ih - 2 * Px(r), 0, solid);
  Disc(shape, r, r, r, solid);
  Disc(shape, w - r, r, r, solid);
  Disc(shape, r, h - r, r, solid);
  Disc(shape, w - r, h - r, r, solid);
  fn.BBIBltAlpha(fill, shape, 0, 0, iw, ih, 0, 0, 0, 1, 0, 0);
  Over(img, fill, Px(x), Px(y));
}

void CAssetKit::Over(CmgBBI& dst, CmgBBI& src, int32_t x, int32_t y, float opacity) {
  fn.BBIBltTrueBlend(dst, src, x, y, src.Width(), src.height(), 0, 0, opacity);
}

void CAssetKit::Reduce(CmgBBI& img, int32_t factor) {
  uint32_t* p = img.Pixels();
  const int64_t n = int64_t{img.XLen() / 4} * img.height();
  // Colour weighted by coverage while averaging, then divided out again.
  for (int64_t i = 0; i < n; ++i) {
    const uint32_t v = p[i], a = v >> 24;
    uint32_t out = v & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
      out |= ((((v >> shift) & 0xFF) * a + 127) / 255) << shift;
    p[i] = out;
  }
  fn.EfectScale(img, 1, factor);
  p = img.Pixels();
  const int64_t m = int64_t{img.XLen() / 4} * img.height();
  for (int64_t i = 0; i < m; ++i) {
    const uint32_t v = p[i], a = v >> 24;
    if (a == 0) {
      p[i] = 0;
      continue;
    }
    uint32_t out = v & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
      out |= std::min<uint32_t>(255, (((v >> shift) & 0xFF) * 255 + a / 2) / a) << shift;
    p[i] = out;
  }
}

void CAssetKit::Outline(CmgBBI& img, uint32_t colour, int32_t size) {
  fn.EfectOutLine(img, colour, colour, colour, colour, size);
}

CmgBBI CAssetKit::TextLayer(int32_t w, int32_t h, const std::string& str, const std::string& font,
                            int32_t size, uint32_t colour, int32_t alignX, int32_t alignY,
                            int32_t spaceX) {
  CmgBBI layer = Image(w, h, 0);
  text.FontName(font);
  text.FontSize(size);
  text.FontBlur(0);
  text.FontAntiAreas(true);
  util::CRect box;
  box.Create(0, 0, w, h);
  util::CRects places = text.MathTextBox(str, box, spaceX, 0, alignX, alignY);
  for (int32_t i = 0; i < places.Count(); ++i) {
    const auto place = places.Item(i);
    if (!place || place->Width <= 0) continue;
    const CmgBBI* glyph = text.LoadFont(places.ItemCaption(i));
    if (glyph == nullptr) continue;
    CmgBBI ink = *glyph;
    fn.ChooseColor(ink, static_cast<int32_t>((colour >> 16) & 0xFF),
                   static_cast<int32_t>((colour >> 8) & 0xFF), static_cast<int32_t>(colour & 0xFF));
    Over(layer, ink, place->Left, place->Top);
  }
  return layer;
}

void CAssetKit::TintAddSigned(CmgBBI& img, uint32_t tint) {
  uint32_t* p = img.Pixels();
  const int64_t n = int64_t{img.XLen() / 4} * img.height();
  for (int64_t i = 0; i < n; ++i) {
    uint32_t out = p[i] & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      const int32_t v = static_cast<int32_t>((p[i] >> shift) & 0xFF) +
                        static_cast<int32_t>((tint >> shift) & 0xFF) - 128;
      out |= static_cast<uint32_t>(std::clamp(v, 0, 255)) << shift;
    }
    p[i] = out;
  }
}

void CAssetKit::FinishKeyed(CmgBBI& img) {
  uint32_t* p = img.Pixels();
  const int64_t n = int64_t{img.XLen() / 4} * img.height();
  for (int64_t i = 0; i < n; ++i) {
    if ((p[i] >> 24) < 128)
      p[i] = kKey;
    else if ((p[i] & 0xFFFFFFu) == (kKey & 0xFFFFFFu))
      p[i] |= 0x010101u;
  }
}

bool CAssetKit::SaveWithAlpha(CmgBBI& img, const std::string& path) {
  return img.SaveToBitmap(path, true) == 0;
}

bool CAssetKit::SaveOpaque(CmgBBI& img, const std::string& path) {
  return img.SaveToBitmap(path, false) == 0;
}

}  // namespace assets

// Text from outside through the text renderer's naming and layout: font names through the font
// table, glyph names of arbitrary bytes, and boxes with any spacing and alignment. Nothing is
// rendered; the layout's rectangles must match the characters placed.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image/CmgBBIFunction.h"
#include "image/CmgBBIString.h"
#include "image/CmgBitmapList.h"
#include "util/CApi.h"
#include "util/CRect.h"

namespace {

int32_t Take(const uint8_t*& data, size_t& size) {
  int32_t v = 0;
  const size_t n = size < 4 ? size : 4;
  if (n == 0) return 0;
  std::memcpy(&v, data, n);
  data += n;
  size -= n;
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static util::CApi api;
  static image::CmgBitmapList list;
  static image::CmgBBIFunction functions(&api);
  static image::CmgBBIString text(&list, &functions, &api);

  const int32_t fontSize = Take(data, size), blur = Take(data, size);
  const int32_t spaceX = Take(data, size), spaceY = Take(data, size);
  const int32_t align = Take(data, size), boxW = Take(data, size), boxH = Take(data, size);
  const size_t nameLength = size == 0 ? 0 : data[0] % 16;
  const std::string all = size == 0 ? std::string() : std::string(reinterpret_cast<const char*>(data), size);
  const std::string name = all.substr(size == 0 ? 0 : 1, nameLength);
  const std::string body = all.substr(std::min(all.size(), nameLength + 1));

  std::string face;
  int32_t number = -1;
  image::CmgBBIString::SplitFontName(image::CmgBBIString::NormalizeFontName(name), face, number);
  text.FontName(name);
  text.FontSize(fontSize);
  text.FontBlur(blur);
  if (text.FontSize() < 1 || text.FontSize() > image::CmgBBIString::kMaxFontSize) std::abort();
  if (text.FontBlur() < 0 || text.FontBlur() > image::CmgBBIString::kMaxFontBlur) std::abort();
  const std::string glyph = text.GlyphName(body);
  if (!body.empty() && body[0] != '\0' && (glyph.size() < 4 || glyph.compare(glyph.size() - 4, 4, ".bbi") != 0)) std::abort();

  util::CRect box;
  box.Create(0, 0, boxW & 0xFFFF, boxH & 0xFFFF);
  util::CRects rects = text.MathTextBox(body, box, spaceX % 1000, spaceY % 1000, align & 3, (align >> 2) & 3);
  const int32_t b = text.FontBlur();
  for (int32_t i = 0; i < rects.Count(); ++i) {
    const auto r = rects.Item(i);
    if (r == nullptr) continue;  // past the box's last line: never placed
    const std::string c = rects.ItemCaption(i);
    if (c.empty()) continue;
    if (c == "\r" || c == "\n" || c == "\t") std::abort();
    if (r->Width != text.GetCharWidth(c) + 2 * b || r->Height != text.GetCharHeight() + 2 * b) std::abort();
  }
  return 0;
}

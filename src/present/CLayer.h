// CLayer: a stack of equally sized software images composed bottom first into a target image,
// only where something changed. Each layer has its settings (CLayerConfig), a dirty rectangle
// and a text that can appear character by character. Relies on image::CmgBBI, the image
// function library (glyph drawing, image::LayerBlendRect) and the text renderer.
//
// Choices made here:
//  - Every operation takes an optional index; a given index inside the stack becomes current,
//    one outside it makes the call do nothing at all (the current index stays).
//  - A layer is in use (composed) once it may hold content: its image was handed out, it got
//    a text, TextOut drew, or Redraw was asked. Resize makes every layer unused.
//  - Redraw marks the whole area; Remove marks the area its text covered.
//  - DoCompose starts every dirty area from transparent black before the layers are laid over
//    it, so the target shows exactly the stack (a removed text really disappears).
//  - Glyphs are drawn with a per-byte maximum, so the blurred margins of neighbouring
//    characters add up instead of cutting into each other.
//  - TextMultiPost 0: a new text replaces the old one (its pixels are cleared). Any other value:
//    the new text is posted over what the layer already shows.
#pragma once

#include <concepts>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/CmgBBI.h"
#include "present/CLayerConfig.h"
#include "util/CRect.h"
#include "util/CRects.h"

namespace image {
class CmgBBIString;
class CmgBBIFunction;
}  // namespace image

namespace present {

class CLayer {
 public:
  using Index = std::optional<int32_t>;
  static constexpr int32_t kMinSize = 8;

  // The text renderer and the image functions are the program's shared ones unless given.
  explicit CLayer(image::CmgBBIString* text = nullptr, image::CmgBBIFunction* functions = nullptr);
  ~CLayer();
  CLayer(const CLayer&) = delete;
  CLayer& operator=(const CLayer&) = delete;

  [[nodiscard]] int32_t index() const { return m_index; }
  void index(int32_t value) { m_index = value; }
  [[nodiscard]] int32_t Count() const { return static_cast<int32_t>(m_layers.size()); }
  [[nodiscard]] const util::CRect& Area() const { return m_area; }

  // Width and height at least 8, count at least 1; everything is recreated.
  void Resize(int32_t width, int32_t height, int32_t count);
  void AllRemove();
  void Redraw(Index index = {});
  void Remove(Index index = {}, bool deleteImage = false);
  // Remove(true) would read as index 1: write Remove({}, true).
  template <typename T>
    requires std::same_as<T, bool>
  void Remove(T) = delete;
  // Null for an index outside the stack.
  image::CmgBBI* BBI(Index index = {});
  CLayerConfig* Config(Index index = {});
  util::CRect* Dirt(Index index = {});

  void Text(Index index, const std::string& str);
  void Text(const std::string& str) { Text(Index{}, str); }
  [[nodiscard]] std::string Text(Index index = {});
  [[nodiscard]] int32_t TextWaitCount(Index index = {});
  void TextNoWait(Index index = {});
  [[nodiscard]] util::CRect TextRgn(Index index = {});
  // Draws str (without one: the rest of the layer's own text) at once.
  void TextOut(Index index = {}, std::optional<std::string> str = {});
  void TextOut(const std::string& str) { TextOut(Index{}, str); }

  // Composes the stack into GetBBI; DirtRect receives the union of the dirty rectangles (what
  // the caller has to present), clipped to the area.
  void DoCompose(image::CmgBBI& GetBBI, util::CRect& DirtRect);

  // The work image (area sized), for callers that need a scratch picture of the stack's size.
  [[nodiscard]] image::CmgBBI& WorkBBI() { return m_work; }

 private:
  struct Layer {
    image::CmgBBI bbi;
    CLayerConfig config;
    util::CRect dirt;
    std::string text;
    util::CRects layout;
    int32_t next = 0;
    int32_t last = -1;
    float waitAccumulator = 0.0f;
    util::CRect textRgn;
    bool inUse = false;
    bool marked = false;
    util::CRect markRect;
  };

  // The layer an optional index addresses (making it current), or null.
  Layer* At(Index index);
  void SetFont(const CLayerConfig& config);
  // Draws characters first..lastChar of the layout into the layer.
  void DrawChars(Layer& layer, const util::CRects& layout, int32_t first, int32_t lastChar);
  void AdvanceText(Layer& layer);
  void ClearRect(image::CmgBBI& img, const util::CRect& rect);
  [[nodiscard]] image::CmgBBIString& Renderer() const;
  [[nodiscard]] image::CmgBBIFunction& Functions() const;

  image::CmgBBIString* m_text = nullptr;
  image::CmgBBIFunction* m_functions = nullptr;
  util::CRect m_area;
  int32_t m_index = 0;
  std::vector<std::unique_ptr<Layer>> m_layers;
  image::CmgBBI m_work;
};

}  // namespace present

// CLayer: the stack, its texts and the composition of the dirty area.
#include "present/CLayer.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "image/CmgBBIFunction.h"
#include "image/CmgBBIString.h"
#include "image/LayerBlend.h"

namespace present {

CLayer::CLayer(image::CmgBBIString* text, image::CmgBBIFunction* functions)
    : m_text(text), m_functions(functions) {
  Resize(kMinSize, kMinSize, 1);
}

CLayer::~CLayer() = default;

image::CmgBBIString& CLayer::Renderer() const {
  return m_text != nullptr ? *m_text : image::CmgBBIString::Shared();
}

image::CmgBBIFunction& CLayer::Functions() const {
  return m_functions != nullptr ? *m_functions : image::CmgBBIFunction::Shared();
}

void CLayer::Resize(int32_t width, int32_t height, int32_t count) {
  width = std::max(width, kMinSize);
  height = std::max(height, kMinSize);
  count = std::max(count, 1);
  m_area.Create(0, 0, width, height);
  m_layers.clear();
  m_layers.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    auto layer = std::make_unique<Layer>();
    // A reused block keeps its pixels; a fresh one is zero-filled, which is what we want.
    layer->bbi.CreateBBI(width, height);
    layer->config.TextBox = m_area;
    m_layers.push_back(std::move(layer));
  }
  m_work.CreateBBI(width, height);
  m_index = 0;
}

CLayer::Layer* CLayer::At(Index index) {
  const int32_t i = index.value_or(m_index);
  if (i < 0 || i >= Count()) return nullptr;
  if (index) m_index = i;
  return m_layers[static_cast<size_t>(i)].get();
}

void CLayer::AllRemove() {
  const int32_t keep = m_index;
  for (int32_t i = 0; i < Count(); ++i) Remove(i);
  m_index = keep;
}

void CLayer::Redraw(Index index) {
  Layer* layer = At(index);
  if (layer == nullptr) return;
  layer->inUse = true;
  layer->marked = true;
  layer->markRect = m_area;
}

void CLayer::Remove(Index index, bool deleteImage) {
  Layer* layer = At(index);
  if (layer == nullptr) return;
  layer->marked = true;
  layer->markRect.ExpandRect(layer->textRgn);
  layer->dirt.ExpandRect(layer->textRgn);
  layer->text.clear();
  layer->layout.Resize(0);
  layer->next = 0;
  layer->last = -1;
  layer->waitAccumulator = 0.0f;
  layer->textRgn.Delete();
  if (deleteImage) ClearRect(layer->bbi, layer->dirt);
}

image::CmgBBI* CLayer::BBI(Index index) {
  Layer* layer = At(index);
  if (layer == nullptr) return nullptr;
  layer->inUse = true;
  return &layer->bbi;
}

CLayerConfig* CLayer::Config(Index index) {
  Layer* layer = At(index);
  return layer != nullptr ? &layer->config : nullptr;
}

util::CRect* CLayer::Dirt(Index index) {
  Layer* layer = At(index);
  return layer != nullptr ? &layer->dirt : nullptr;
}

void CLayer::SetFont(const CLayerConfig& config) {
  image::CmgBBIString& r = Renderer();
  r.FontSize(config.FontSize);
  r.FontName(config.FontName);
  r.FontBlur(config.FontBlur);
  r.FontAntiAreas(config.FontAntiAreas);
}

void CLayer::Text(Index index, const std::string& str) {
  Layer* layer = At(index);
  if (layer == nullptr) return;
  if (layer->config.TextMultiPost == 0 && !layer->textRgn.IsZero()) {
    layer->dirt.ExpandRect(layer->textRgn);
    ClearRect(layer->bbi, layer->textRgn);
    layer->textRgn.Delete();
  }
  const CLayerConfig& c = layer->config;
  SetFont(c);
  layer->text = str;
  layer->layout = Renderer().MathTextBox(str, c.TextBox, c.TextSpaceX, c.TextSpaceY, c.TextAlignX,
                                         c.TextAlignY);
  layer->next = 0;
  layer->last = layer->layout.Count() - 1;
  layer->waitAccumulator = 0.0f;
  layer->inUse = true;
}

std::string CLayer::Text(Index index) {
  Layer* layer = At(index);
  return layer != nullptr ? layer->text : std::string();
}

int32_t CLayer::TextWaitCount(Index index) {
  Layer* layer = At(index);
  if (layer == nullptr) return 0;
  return std::max(layer->last - layer->next + 1, 0);
}

void CLayer::TextNoWait(Index index) {
  Layer* layer = At(index);
  if (layer == nullptr || layer->next > layer->last) return;
  SetFont(layer->config);
  DrawChars(*layer, layer->layout, layer->next, layer->last);
  layer->next = layer->last + 1;
}

util::CRect CLayer::TextRgn(Index index) {
  Layer* layer = At(index);
  return layer != nullptr ? layer->textRgn : util::CRect{};
}

void CLayer::TextOut(Index index, std::optional<std::string> str) {
  Layer* layer = At(index);
  if (layer == nullptr) return;
  layer->inUse = true;
  if (!str) {
    TextNoWait(index);
    return;
  }
  const CLayerConfig& c = layer->config;
  SetFont(c);
  const util::CRects layout = Renderer().MathTextBox(*str, c.TextBox, c.TextSpaceX, c.TextSpaceY,
                                                     c.TextAlignX, c.TextAlignY);
  DrawChars(*layer, layout, 0, layout.Count() - 1);
}

void CLayer::DrawChars(Layer& layer, const util::CRects& layout, int32_t first, int32_t lastChar) {
  image::CmgBBIString& r = Renderer();
  image::CmgBBIFunction& f = Functions();
  auto& list = const_cast<util::CRects&>(layout);
  for (int32_t i = first; i <= lastChar; ++i) {
    const std::shared_ptr<util::CRect> rect = list.Item(i);
    if (!rect) continue;
    image::CmgBBI* glyph = r.LoadFont(list.ItemCaption(i));
    if (glyph == nullptr) continue;
    f.BBIBltMax(layer.bbi, *glyph, rect->Left, rect->Top, glyph->Width(), glyph->height(), 0, 0);
    util::CRect drawn = *rect;
    drawn.TrimRect(m_area);
    if (drawn.IsZero()) continue;
    layer.dirt.ExpandRect(drawn);
    layer.textRgn.ExpandRect(drawn);
  }
}

void CLayer::AdvanceText(Layer& layer) {
  if (layer.next > layer.last) return;
  int32_t lastChar = layer.last;
  const float wait = layer.config.TextWait;
  if (wait > 0.0f) {
    layer.waitAccumulator += 1.0f;
    int32_t n = 0;
    while (layer.waitAccumulator >= wait) {
      layer.waitAccumulator -= wait;
      ++n;
    }
    if (n == 0) return;
    lastChar = std::min(layer.next + n - 1, layer.last);
  }
  SetFont(layer.config);
  DrawChars(layer, layer.layout, layer.next, lastChar);
  layer.next = lastChar + 1;
}

void CLayer::ClearRect(image::CmgBBI& img, const util::CRect& rect) {
  util::CRect r = rect;
  r.Trim(0, 0, img.Width(), img.height());
  uint32_t* pixels = img.Pixels();
  if (r.IsZero() || pixels == nullptr) return;
  const int32_t stride = img.XLen();
  for (int32_t y = r.Top; y < r.Top + r.Height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) + int64_t{y} * stride);
    std::memset(row + r.Left, 0, static_cast<size_t>(r.Width) * 4);
  }
}

void CLayer::DoCompose(image::CmgBBI& GetBBI, util::CRect& DirtRect) {
  for (auto& layer : m_layers) {
    if (layer->marked) {
      layer->dirt.ExpandRect(layer->markRect);
      layer->markRect.Delete();
      layer->marked = false;
    }
    AdvanceText(*layer);
  }
  for (auto& layer : m_layers) {
    DirtRect.ExpandRect(layer->dirt);
    layer->dirt.Delete();
  }
  DirtRect.TrimRect(m_area);
  if (DirtRect.IsZero() || DirtRect.Width < 0 || DirtRect.Height < 0) return;

  // The target may be smaller than the area; only what lies in both is composed.
  util::CRect r = DirtRect;
  r.Trim(0, 0, GetBBI.Width(), GetBBI.height());
  uint32_t* target = GetBBI.Pixels();
  if (r.IsZero() || target == nullptr) return;
  const int32_t dstStride = GetBBI.XLen();
  auto rowOf = [](uint32_t* base, int32_t stride, int32_t x, int32_t y) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(base) + int64_t{y} * stride) + x;
  };
  // Each layer's settings become tables once per compose.
  std::vector<std::pair<Layer*, image::LayerBlendPlan>> plans;
  for (auto& layer : m_layers)
    if (layer->inUse && layer->bbi.Pixels() != nullptr)
      plans.emplace_back(layer.get(), image::LayerBlendPlan(layer->config.BlendParams()));
  // Bands of rows keep the target's part in cache while every layer passes over it.
  constexpr int32_t kBand = 16;
  for (int32_t y0 = r.Top; y0 < r.Top + r.Height; y0 += kBand) {
    const int32_t rows = std::min(kBand, r.Top + r.Height - y0);
    for (int32_t y = y0; y < y0 + rows; ++y)
      std::memset(rowOf(target, dstStride, r.Left, y), 0, static_cast<size_t>(r.Width) * 4);
    for (const auto& [layer, plan] : plans) {
      plan.Apply(rowOf(target, dstStride, r.Left, y0), dstStride,
                 rowOf(layer->bbi.Pixels(), layer->bbi.XLen(), r.Left, y0), layer->bbi.XLen(),
                 r.Width, rows);
    }
  }
}

}  // namespace present

// CLayerConfig: the drawing settings of one layer of a CLayer stack: how the layer is composed
// (the nine composition fields, see image/LayerBlend.h), its font and its text layout, with
// setting groups that change several fields at once. Plain data; relies on util::CRect.
#pragma once

#include <cstdint>
#include <string>

#include "image/LayerBlend.h"
#include "util/CRect.h"

namespace present {

class CLayerConfig {
 public:
  // Composition.
  float Blend = 1.0f;
  bool ApplySrcAlpha = false;
  bool ApplySrcAdd = false;
  float Vivit = 1.0f;
  int32_t BlackBorder = 0;
  int32_t WhiteBorder = 0xFFFFFF;
  int32_t DstMask = 0;
  int32_t SrcMask = -1;
  int32_t SrcBaseColor = 0;
  // Font.
  int32_t FontSize = 20;
  int32_t FontBlur = 0;
  bool FontAntiAreas = true;
  std::string FontName = "ＭＳ ゴシック";
  // Text layout.
  util::CRect TextBox;
  int32_t TextSpaceX = 0;
  int32_t TextSpaceY = 0;
  int32_t TextAlignX = 0;
  int32_t TextAlignY = 0;
  // Frames per character of progressive text; 0 (or less) shows a text at once.
  float TextWait = 0.0f;
  // 0: a new text replaces the layer's previous one (its pixels are cleared and recomposed);
  // any other value: texts are posted on top of each other, the layer keeps what it shows.
  int32_t TextMultiPost = 0;

  void Add(float blend = 1.0f, bool applySrcAlpha = false, bool applySrcAdd = false,
           float vivit = 1.0f, int32_t blackBorder = 0, int32_t whiteBorder = 0xFFFFFF,
           int32_t dstMask = 0, int32_t srcMask = -1, int32_t srcBaseColor = 0);
  // The layer shows its alpha channel in one colour.
  void AddTextColor(int32_t color = 0xFFFFFF, float blend = 1.0f, bool applyADD = false);
  void AddFont(int32_t fontSize = 20, const std::string& fontName = "ＭＳ ゴシック",
               int32_t fontBlur = 0, bool fontAntiAreas = true);
  void AddTextBox(int32_t x = 0, int32_t y = 0, int32_t w = 0, int32_t h = 0, int32_t spaceX = 0,
                  int32_t spaceY = 0, int32_t alignX = 0, int32_t alignY = 0, float wait = 0.0f);
  void AddText(int32_t color = 0xFFFFFF, float blend = 1.0f, bool applyADD = false,
               int32_t fontSize = 20, const std::string& fontName = "ＭＳ ゴシック",
               int32_t fontBlur = 0, bool fontAntiAreas = true, int32_t x = 0, int32_t y = 0,
               int32_t w = 0, int32_t h = 0, int32_t spaceX = 0, int32_t spaceY = 0,
               int32_t alignX = 0, int32_t alignY = 0, float wait = 0.0f);
  void AddCopy(const CLayerConfig& srcLayerConfig) { *this = srcLayerConfig; }

  // The composition fields as the image function library takes them.
  [[nodiscard]] image::LayerBlendParams BlendParams() const;
};

}  // namespace present

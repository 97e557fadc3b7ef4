// CLayerConfig: the setting groups.
#include "present/CLayerConfig.h"

namespace present {

void CLayerConfig::Add(float blend, bool applySrcAlpha, bool applySrcAdd, float vivit,
                       int32_t blackBorder, int32_t whiteBorder, int32_t dstMask, int32_t srcMask,
                       int32_t srcBaseColor) {
  Blend = blend;
  ApplySrcAlpha = applySrcAlpha;
  ApplySrcAdd = applySrcAdd;
  Vivit = vivit;
  BlackBorder = blackBorder;
  WhiteBorder = whiteBorder;
  DstMask = dstMask;
  SrcMask = srcMask;
  SrcBaseColor = srcBaseColor;
}

void CLayerConfig::AddTextColor(int32_t color, float blend, bool applyADD) {
  Add(blend, true, applyADD, 1.0f, 0, 0xFFFFFF, 0, static_cast<int32_t>(0xFF000000u), color);
}

void CLayerConfig::AddFont(int32_t fontSize, const std::string& fontName, int32_t fontBlur,
                           bool fontAntiAreas) {
  FontSize = fontSize;
  FontName = fontName;
  FontBlur = fontBlur;
  FontAntiAreas = fontAntiAreas;
}

void CLayerConfig::AddTextBox(int32_t x, int32_t y, int32_t w, int32_t h, int32_t spaceX,
                              int32_t spaceY, int32_t alignX, int32_t alignY, float wait) {
  TextBox.Create(x, y, w, h);
  TextSpaceX = spaceX;
  TextSpaceY = spaceY;
  TextAlignX = alignX;
  TextAlignY = alignY;
  TextWait = wait;
}

void CLayerConfig::AddText(int32_t color, float blend, bool applyADD, int32_t fontSize,
                           const std::string& fontName, int32_t fontBlur, bool fontAntiAreas,
                           int32_t x, int32_t y, int32_t w, int32_t h, int32_t spaceX,
                           int32_t spaceY, int32_t alignX, int32_t alignY, float wait) {
  AddTextColor(color, blend, applyADD);
  AddFont(fontSize, fontName, fontBlur, fontAntiAreas);
  AddTextBox(x, y, w, h, spaceX, spaceY, alignX, alignY, wait);
}

image::LayerBlendParams CLayerConfig::BlendParams() const {
  image::LayerBlendParams p;
  p.Blend = Blend;
  p.ApplySrcAlpha = ApplySrcAlpha;
  p.ApplySrcAdd = ApplySrcAdd;
  p.Vivit = Vivit;
  p.BlackBorder = static_cast<uint32_t>(BlackBorder);
  p.WhiteBorder = static_cast<uint32_t>(WhiteBorder);
  p.DstMask = static_cast<uint32_t>(DstMask);
  p.SrcMask = static_cast<uint32_t>(SrcMask);
  p.SrcBaseColor = static_cast<uint32_t>(SrcBaseColor);
  return p;
}

}  // namespace present

// The device's render states: the render mode's bit fields turned into blend factors and stage
// operations, shared by the software and the OpenGL device.
#include "present/CIMDevice.h"

#include <algorithm>

namespace present {

namespace {

struct BlendPair {
  BlendFactor src, dest;
};

constexpr BlendPair kBlendPairs[8] = {
    {BlendFactor::One, BlendFactor::Zero},
    {BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha},
    {BlendFactor::SrcColor, BlendFactor::InvSrcColor},
    {BlendFactor::DestColor, BlendFactor::InvDestColor},
    {BlendFactor::One, BlendFactor::One},
    {BlendFactor::SrcAlpha, BlendFactor::One},
    {BlendFactor::SrcColor, BlendFactor::One},
    {BlendFactor::DestColor, BlendFactor::One},
};

constexpr ColorOp kColorOps[10] = {
    ColorOp::SelectArg1, ColorOp::SelectArg2, ColorOp::Modulate,  ColorOp::Modulate2x,
    ColorOp::Modulate4x, ColorOp::Add,        ColorOp::Subtract,  ColorOp::AddSigned,
    ColorOp::BlendTextureAlpha, ColorOp::BlendFactorAlpha};

constexpr ColorOp kAlphaOps[3] = {ColorOp::SelectArg2, ColorOp::SelectArg1, ColorOp::Modulate};

}  // namespace

void ApplyRenderMode(RenderState& state, uint32_t mode, int32_t stageIndex) {
  const uint32_t blend = mode & 7u;
  const uint32_t colorOp = (mode >> 4) & 15u;
  const uint32_t alphaOp = (mode >> 8) & 15u;
  StageState& stage = state.stage[stageIndex == 0 ? 0 : 1];
  if (stageIndex == 0) {
    state.blend = blend != 0;
    state.srcBlend = kBlendPairs[blend].src;
    state.destBlend = kBlendPairs[blend].dest;
    state.colorKey = (mode & 8u) != 0;
    stage.colorArg1 = stage.alphaArg1 = StageArg::Texture;
    stage.colorArg2 = stage.alphaArg2 = StageArg::Diffuse;
    state.stage[1].colorOp = state.stage[1].alphaOp = ColorOp::Disable;
  } else {
    // The second stage combines its texture with what stage 0 made.
    stage.colorArg1 = stage.alphaArg1 = StageArg::Texture;
    stage.colorArg2 = stage.alphaArg2 = StageArg::Current;
  }
  if (colorOp < 10) stage.colorOp = kColorOps[colorOp];
  if (alphaOp < 3) stage.alphaOp = kAlphaOps[alphaOp];
}

CIMDevice::CIMDevice() {
  // The device's defaults: stage 0 modulates texture by diffuse, stage 1 is off.
  m_state.stage[1].colorOp = m_state.stage[1].alphaOp = ColorOp::Disable;
}

CIMDevice::~CIMDevice() = default;

void CIMDevice::SetCullingMode(int32_t cullMode) {
  if (cullMode >= kCullNone && cullMode <= kCullCounterClockwise) m_state.cullMode = cullMode;
}

bool CIMDevice::SetAntiAreasMode(bool antiAreasMode) {
  (void)antiAreasMode;
  m_state.antiAlias = false;
  return false;
}

void CIMDevice::SetClipRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  m_state.clipX0 = x0;
  m_state.clipY0 = y0;
  m_state.clipX1 = std::max(x0, x1);
  m_state.clipY1 = std::max(y0, y1);
}

TLVertex CIMDevice::TLVERTEX(float sx, float sy, uint32_t color, float tu, float tv) {
  TLVertex v;
  v.sx = sx;
  v.sy = sy;
  v.sz = 0;
  v.rhw = 1;
  v.color = color;
  v.specular = 0;
  v.tu = tu;
  v.tv = tv;
  return v;
}

}  // namespace present

// CIMDevice: the immediate-mode 3-D device the picture objects draw through. It keeps the render
// states (textures of stages 0 and 1, factor colour, culling, filtering, anti-aliasing, the
// render mode decoded into blend factors and stage operations, a scissor rectangle) and draws
// transformed-and-lit vertices; the software device (CRgbDevice) and the OpenGL device implement
// the drawing. Textures are engine::CSurface objects.
#pragma once

#include <cstdint>

#include "engine/CSurface.h"

namespace present {

// One transformed-and-lit vertex: screen position (pixel (x, y) is sampled at exactly x, y),
// depth and reciprocal w (kept, unused by 2-D drawing), diffuse and specular colour (0xAARRGGBB)
// and texture coordinates.
struct TLVertex {
  float sx = 0, sy = 0, sz = 0, rhw = 1;
  uint32_t color = 0xFFFFFFFFu;
  uint32_t specular = 0;
  float tu = 0, tv = 0;
};

// Blend factors, stage operations and their arguments as the render mode sets them.
enum class BlendFactor : uint8_t { Zero, One, SrcAlpha, InvSrcAlpha, SrcColor, InvSrcColor,
                                   DestColor, InvDestColor };
enum class ColorOp : uint8_t { Disable, SelectArg1, SelectArg2, Modulate, Modulate2x,
                               Modulate4x, Add, Subtract, AddSigned, BlendTextureAlpha,
                               BlendFactorAlpha };
enum class StageArg : uint8_t { Texture, Diffuse, Current, Factor };

struct StageState {
  ColorOp colorOp = ColorOp::Modulate;
  StageArg colorArg1 = StageArg::Texture, colorArg2 = StageArg::Diffuse;
  ColorOp alphaOp = ColorOp::SelectArg1;
  StageArg alphaArg1 = StageArg::Texture, alphaArg2 = StageArg::Diffuse;
};

struct RenderState {
  bool blend = false;
  BlendFactor srcBlend = BlendFactor::One, destBlend = BlendFactor::Zero;
  bool colorKey = false;
  uint32_t colorKeyValue = 0;  // RGB of the texels that colour keying drops
  StageState stage[2];
  bool linearFilter = false;
  int32_t cullMode = 1;  // 1 none, 2 clockwise, 3 counter-clockwise (the device's numbers)
  bool antiAlias = false;
  uint32_t factor = 0xFFFFFFFFu;
  // Scissor in pixels, right and bottom exclusive; the whole target when empty.
  int32_t clipX0 = 0, clipY0 = 0, clipX1 = 0, clipY1 = 0;
};

// Applies a render mode to one stage's state and the blend states: the stage arguments are
// reset to (texture, diffuse) first and stage 1 is disabled; bit fields out of range leave the
// operation as it was.
void ApplyRenderMode(RenderState& state, uint32_t mode, int32_t stageIndex);

class CIMDevice {
 public:
  static constexpr int32_t kCullNone = 1, kCullClockwise = 2, kCullCounterClockwise = 3;
  static constexpr int32_t kFilterPoint = 1, kFilterLinear = 2;
  // The texture side the software device takes, as the cards of its time did.
  static constexpr int32_t kMaxTextureSide = 2048;

  CIMDevice();
  virtual ~CIMDevice();
  CIMDevice(const CIMDevice&) = delete;
  CIMDevice& operator=(const CIMDevice&) = delete;

  // "IID_IDirect3DRGBDevice" or "IID_IDirect3DHALDevice".
  [[nodiscard]] virtual const char* DeviceName() const = 0;
  // Where the device draws: 32-bit 0xAARRGGBB pixels, pitch in bytes. The OpenGL device draws
  // into its own frame and takes this only for its size.
  virtual void SetRenderTarget(uint32_t* pixels, int32_t width, int32_t height, int32_t pitch) = 0;

  // Clears the target (and the depth buffer, which 2-D drawing never reads) with the colour.
  virtual void SceneClear(bool target = true, bool zBuffer = false, uint32_t color = 0) = 0;
  void SetTexture(engine::CSurface* surface) { m_texture[0] = surface; }
  void SetTextureSecondTexture(engine::CSurface* surface) { m_texture[1] = surface; }
  [[nodiscard]] engine::CSurface* Texture(int32_t stage) const { return m_texture[stage & 1]; }
  [[nodiscard]] uint32_t FactorColor() const { return m_state.factor; }
  void FactorColor(uint32_t color) { m_state.factor = color; }
  void SetCullingMode(int32_t cullMode);
  // Magnification and minification filter of stage 0: linear or point.
  void SetFilterMode(bool linearMode) { m_state.linearFilter = linearMode; }
  // Neither device smooths polygon edges: the mode set is always false.
  bool SetAntiAreasMode(bool antiAreasMode);
  void SetRenderMode(uint32_t mode) { ApplyRenderMode(m_state, mode, 0); }
  void SetRenderModeSecondTexture(uint32_t mode) { ApplyRenderMode(m_state, mode, 1); }
  void SetColorKeyValue(uint32_t rgb) { m_state.colorKeyValue = rgb & 0xFFFFFFu; }
  void SetClipRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  void ResetClipRect() { SetClipRect(0, 0, 0, 0); }
  [[nodiscard]] const RenderState& State() const { return m_state; }

  static TLVertex TLVERTEX(float sx, float sy, uint32_t color, float tu, float tv);

  // The largest texture side the device takes.
  [[nodiscard]] virtual int32_t MaxTextureSize() const { return kMaxTextureSide; }
  // A texture is going away: drop whatever the device keeps for it.
  virtual void ForgetTexture(const engine::CSurface* surface) { (void)surface; }

  // Triangle strip: vertices 0-1-2, 1-2-3, ...
  virtual void DrawStrip(const TLVertex* vertices, int32_t count) = 0;
  // Indexed triangle list (the menu bar's drawing); indexes beyond count are skipped.
  virtual void DrawIndexed(const TLVertex* vertices, int32_t count, const uint16_t* indexes,
                           int32_t indexCount) = 0;

 protected:
  RenderState m_state;
  engine::CSurface* m_texture[2] = {nullptr, nullptr};
};

}  // namespace present

// The picture object's drawing paths: GDI-style copies straight from the software image,
// DirectDraw-style blits from its surface (with the source colour key), and textured quads
// through the 3-D device with the corner colours, tu / tv, the render mode and the global
// drawing scale.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "present/CGraphics.h"
#include "present/CIMDevice.h"
#include "present/IGraphicsTarget.h"

namespace present {

namespace {

// A picture's half extent for centring: the size rounded (halves to even), halved by integer
// division, as the game places its sprites.
float HalfRounded(float size) { return static_cast<float>(std::lrint(size) / 2); }

}  // namespace

// ---- GDI and DirectDraw paths -----------------------------------------------------------------

void CGraphics::CopyToBackBuffer(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH,
                                 int32_t SrcX, int32_t SrcY, int32_t SrcW, int32_t SrcH,
                                 bool center, bool fromSurface, bool colorkey) {
  IGraphicsTarget* t = Target();
  if (t == nullptr) return;
  const uint8_t* src = nullptr;
  int64_t srcPitch = 0;
  int32_t srcW = 0, srcH = 0;
  if (fromSurface) {
    if (!ExistDDS(true) || DDS->Bytes() == nullptr) return;
    src = DDS->Bytes();
    srcPitch = DDS->Pitch();
    srcW = DDS->Width();
    srcH = DDS->Height();
  } else {
    src = reinterpret_cast<const uint8_t*>(BBI.Pixels());
    if (src == nullptr) return;
    srcPitch = BBI.XLen();
    srcW = Width();
    srcH = height();
  }
  int32_t bw = 0, bh = 0, bpitch = 0;
  uint32_t* dst = t->SoftwarePixels(bw, bh, bpitch);
  if (dst == nullptr) return;
  if (DstW == 0) DstW = Width();
  if (DstH == 0) DstH = height();
  if (SrcW == 0) SrcW = DstW;
  if (SrcH == 0) SrcH = DstH;
  if (DstW <= 0 || DstH <= 0 || SrcW <= 0 || SrcH <= 0) return;
  if (center) {
    DstX -= DstW / 2;
    DstY -= DstH / 2;
  }
  const uint32_t key = KeyColor();
  // Nearest source pixel for each destination pixel; both sides clipped, nothing read or
  // written outside either buffer.
  const int64_t y0 = std::max<int64_t>(0, DstY), y1 = std::min<int64_t>(bh, int64_t{DstY} + DstH);
  const int64_t x0 = std::max<int64_t>(0, DstX), x1 = std::min<int64_t>(bw, int64_t{DstX} + DstW);
  for (int64_t y = y0; y < y1; ++y) {
    const int64_t sy = SrcY + (y - DstY) * SrcH / DstH;
    if (sy < 0 || sy >= srcH) continue;
    const auto* srow = reinterpret_cast<const uint32_t*>(src + sy * srcPitch);
    auto* drow = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + y * bpitch);
    for (int64_t x = x0; x < x1; ++x) {
      const int64_t sx = SrcX + (x - DstX) * SrcW / DstW;
      if (sx < 0 || sx >= srcW) continue;
      const uint32_t p = srow[sx];
      if (colorkey && (p & 0xFFFFFFu) == key) continue;
      drow[x] = p;
    }
  }
}

void CGraphics::DrawGDI(int32_t DstX, int32_t DstY, int32_t Width, int32_t height, int32_t SrcX,
                        int32_t SrcY, bool center) {
  CopyToBackBuffer(DstX, DstY, Width, height, SrcX, SrcY, 0, 0, center, false, false);
}

void CGraphics::DrawGDIRgn(int32_t DstX, int32_t DstY, bool center) {
  if (center) {
    DstX -= Width() / 2;
    DstY -= height() / 2;
  }
  for (const util::CRect& r : m_region)
    CopyToBackBuffer(DstX + r.Left, DstY + r.Top, r.Width, r.Height, r.Left, r.Top, 0, 0, false,
                     false, false);
}

void CGraphics::DrawGDIStretch(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH,
                               int32_t SrcX, int32_t SrcY, int32_t SrcW, int32_t SrcH,
                               bool center) {
  if (SrcW == 0) SrcW = Width();
  if (SrcH == 0) SrcH = height();
  CopyToBackBuffer(DstX, DstY, DstW, DstH, SrcX, SrcY, SrcW, SrcH, center, false, false);
}

void CGraphics::DrawDDraw(int32_t DstX, int32_t DstY, int32_t Width, int32_t height,
                          int32_t SrcX, int32_t SrcY, bool center, bool colorkey) {
  CopyToBackBuffer(DstX, DstY, Width, height, SrcX, SrcY, 0, 0, center, true, colorkey);
}

void CGraphics::DrawDDrawRgn(int32_t DstX, int32_t DstY, bool center, bool colorkey) {
  if (center) {
    DstX -= Width() / 2;
    DstY -= height() / 2;
  }
  for (const util::CRect& r : m_region)
    CopyToBackBuffer(DstX + r.Left, DstY + r.Top, r.Width, r.Height, r.Left, r.Top, 0, 0, false,
                     true, colorkey);
}

void CGraphics::DrawDDrawStretch(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH,
                                 int32_t SrcX, int32_t SrcY, int32_t SrcW, int32_t SrcH,
                                 bool center, bool colorkey) {
  if (SrcW == 0) SrcW = Width();
  if (SrcH == 0) SrcH = height();
  CopyToBackBuffer(DstX, DstY, DstW, DstH, SrcX, SrcY, SrcW, SrcH, center, true, colorkey);
}

// ---- Direct3D paths -----------------------------------------------------------------------

void CGraphics::Corners(TLVertex* v, float x0, float y0, float x1, float y1, float SrcX,
                        float SrcY, float SrcW, float SrcH) const {
  // Texture coordinates: the source rectangle as a fraction of the picture, times the part of
  // the texture the picture fills.
  const float w = static_cast<float>(std::max(Width(), 1));
  const float h = static_cast<float>(std::max(height(), 1));
  const float u0 = SrcX / w * m_tu, u1 = (SrcX + SrcW) / w * m_tu;
  const float v0 = SrcY / h * m_tv, v1 = (SrcY + SrcH) / h * m_tv;
  v[0] = CIMDevice::TLVERTEX(x0, y0, m_color[0], u0, v0);
  v[1] = CIMDevice::TLVERTEX(x1, y0, m_color[1], u1, v0);
  v[2] = CIMDevice::TLVERTEX(x0, y1, m_color[2], u0, v1);
  v[3] = CIMDevice::TLVERTEX(x1, y1, m_color[3], u1, v1);
}

void CGraphics::DrawQuad(CIMDevice& device, const TLVertex* corners, bool applyMode,
                         bool colorkey) {
  device.SetTexture(DDS.get());
  if (applyMode) device.SetRenderMode(m_render | (colorkey ? 8u : 0u));
  device.SetColorKeyValue(KeyColor());
  device.DrawStrip(corners, 4);
}

void CGraphics::DrawD3DDraw(float DstX, float DstY, float Width, float height, float SrcX,
                            float SrcY, bool center, bool colorkey) {
  if (Width == 0) Width = static_cast<float>(this->Width());
  if (height == 0) height = static_cast<float>(this->height());
  DrawD3DDrawStretch(DstX, DstY, Width, height, SrcX, SrcY, Width, height, center, colorkey);
}

void CGraphics::DrawD3DDrawStretch(float DstX, float DstY, float DstW, float DstH, float SrcX,
                                   float SrcY, float SrcW, float SrcH, bool center,
                                   bool colorkey) {
  IGraphicsTarget* t = Target();
  CIMDevice* device = t != nullptr ? t->Device3D() : nullptr;
  if (device == nullptr || !ExistDDSTexture(true, true)) return;
  if (DstW == 0) DstW = static_cast<float>(Width());
  if (DstH == 0) DstH = static_cast<float>(height());
  if (SrcW == 0) SrcW = static_cast<float>(Width());
  if (SrcH == 0) SrcH = static_cast<float>(height());
  if (center) {
    DstX -= HalfRounded(DstW);
    DstY -= HalfRounded(DstH);
  }
  const float s = DrawScale();
  float x0 = DstX, y0 = DstY, x1 = DstX + DstW, y1 = DstY + DstH;
  if (s != 1.0f) {
    x0 *= s;
    y0 *= s;
    x1 *= s;
    y1 *= s;
  }
  TLVertex v[4];
  Corners(v, x0, y0, x1, y1, SrcX, SrcY, SrcW, SrcH);
  DrawQuad(*device, v, true, colorkey);
}

void CGraphics::DrawD3DDrawRgn(float DstX, float DstY, bool center, bool colorkey) {
  if (center) {
    DstX -= HalfRounded(static_cast<float>(Width()));
    DstY -= HalfRounded(static_cast<float>(height()));
  }
  for (const util::CRect& r : m_region) {
    const auto l = static_cast<float>(r.Left), tp = static_cast<float>(r.Top);
    const auto w = static_cast<float>(r.Width), h = static_cast<float>(r.Height);
    DrawD3DDrawStretch(DstX + l, DstY + tp, w, h, l, tp, w, h, false, colorkey);
  }
}

void CGraphics::DrawD3D(float DstX, float DstY, float Width, float height, float SrcX, float SrcY,
                        float SrcW, float SrcH) {
  IGraphicsTarget* t = Target();
  CIMDevice* device = t != nullptr ? t->Device3D() : nullptr;
  if (device == nullptr || !ExistDDSTexture(true, true)) return;
  if (Width == 0) Width = static_cast<float>(this->Width());
  if (height == 0) height = static_cast<float>(this->height());
  if (SrcW == 0) SrcW = static_cast<float>(this->Width());
  if (SrcH == 0) SrcH = static_cast<float>(this->height());
  TLVertex v[4];
  Corners(v, DstX, DstY, DstX + Width, DstY + height, SrcX, SrcY, SrcW, SrcH);
  DrawQuad(*device, v, false, false);
}

void CGraphics::DrawD3DPolygon(const float x[4], const float y[4], float SrcX, float SrcY,
                               float SrcW, float SrcH, bool colorkey) {
  IGraphicsTarget* t = Target();
  CIMDevice* device = t != nullptr ? t->Device3D() : nullptr;
  if (device == nullptr || x == nullptr || y == nullptr || !ExistDDSTexture(true, true)) return;
  if (SrcW == 0) SrcW = static_cast<float>(Width());
  if (SrcH == 0) SrcH = static_cast<float>(height());
  TLVertex v[4];
  Corners(v, 0, 0, 0, 0, SrcX, SrcY, SrcW, SrcH);
  const float s = DrawScale();
  for (int i = 0; i < 4; ++i) {
    v[i].sx = x[i] * s;
    v[i].sy = y[i] * s;
  }
  DrawQuad(*device, v, true, colorkey);
}

}  // namespace present

// CRgbDevice: the software 3-D device ("IID_IDirect3DRGBDevice"). It rasterises triangles into a
// 32-bit 0xAARRGGBB target with a top-left fill rule on a 1/16-pixel grid (adjacent triangles
// neither overlap nor leave gaps), interpolates corner colours and texture coordinates, samples
// with point or bilinear filtering (clamped at the texture's edges) and runs the stage
// operations and the blend of the render mode. Relies on CIMDevice and engine::CSurface.
#pragma once

#include <cstdint>
#include <vector>

#include "present/CIMDevice.h"

namespace present {

class CRgbDevice final : public CIMDevice {
 public:
  static constexpr const char* kName = "IID_IDirect3DRGBDevice";
  // How spans are drawn: the plain per-pixel loop (the reference), specialised scalar loops for
  // the common sprite spans, or those in SSE2 or AVX2 (chosen at run time; what AVX2 lacks falls
  // back to SSE2). Every path gives the same pixels.
  enum class SpanPath { Reference, Scalar, Sse2, Avx2 };
  [[nodiscard]] static SpanPath BestPath();
  [[nodiscard]] static bool HasAvx2();

  CRgbDevice();
  void SetSpanPath(SpanPath path) { m_path = path; }
  [[nodiscard]] SpanPath Path() const { return m_path; }

  [[nodiscard]] const char* DeviceName() const override { return kName; }
  void SetRenderTarget(uint32_t* pixels, int32_t width, int32_t height, int32_t pitch) override;
  void SceneClear(bool target = true, bool zBuffer = false, uint32_t color = 0) override;
  void DrawStrip(const TLVertex* vertices, int32_t count) override;
  void DrawIndexed(const TLVertex* vertices, int32_t count, const uint16_t* indexes,
                   int32_t indexCount) override;
  void ForgetTexture(const engine::CSurface* surface) override;

  // A texture's pixels as 0xAARRGGBB rows (converted from other layouts when needed); false
  // when the surface is lost.
  struct TexelView {
    const uint32_t* pixels = nullptr;
    int32_t width = 0, height = 0, stride = 0;  // stride in pixels
  };

 private:
  void DrawTriangle(const TLVertex& a, const TLVertex& b, const TLVertex& c);
  bool PrepareTexture(int32_t stage);

  SpanPath m_path = SpanPath::Reference;
  uint32_t* m_target = nullptr;
  int32_t m_width = 0, m_height = 0, m_pitch = 0;  // pitch in pixels
  struct Converted {
    const engine::CSurface* surface = nullptr;
    uint32_t version = 0;
    std::vector<uint32_t> pixels;
  };
  Converted m_converted[2];
  TexelView m_view[2];
};

}  // namespace present

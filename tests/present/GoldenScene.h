// The golden scene both 3-D devices draw: a cleared frame, a shaded floor, a ball in mode
// 0x101 off the pixel grid, a stretched, linearly filtered ball in mode 0x271 with corner
// colours, a small additive ball (0x151) and a flat additive quad (0x015).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/CSurface.h"
#include "present/CIMDevice.h"

constexpr int32_t kGoldenWidth = 96, kGoldenHeight = 64;

inline std::vector<uint32_t> GoldenBallTexels() {
  std::vector<uint32_t> texels(32 * 32);
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 32; ++x) {
      const int32_t dx = x - 16, dy = y - 16;
      const uint32_t a = dx * dx + dy * dy < 196 ? 255u : dx * dx + dy * dy < 256 ? 128u : 0u;
      texels[static_cast<size_t>(y * 32 + x)] = a << 24 | static_cast<uint32_t>(x * 8) << 16 |
                                                static_cast<uint32_t>(y * 8) << 8 | 0x40u;
    }
  return texels;
}

inline void GoldenQuad(present::CIMDevice& d, float x0, float y0, float x1, float y1,
                       const uint32_t c[4]) {
  using present::CIMDevice;
  const present::TLVertex v[4] = {CIMDevice::TLVERTEX(x0, y0, c[0], 0, 0),
                                  CIMDevice::TLVERTEX(x1, y0, c[1], 1, 0),
                                  CIMDevice::TLVERTEX(x0, y1, c[2], 0, 1),
                                  CIMDevice::TLVERTEX(x1, y1, c[3], 1, 1)};
  d.DrawStrip(v, 4);
}

inline void DrawGoldenScene(present::CIMDevice& d, engine::CSurface* ball, int32_t W, int32_t H) {
  const auto w = static_cast<float>(W), h = static_cast<float>(H);
  auto flat = [](uint32_t c, uint32_t out[4]) {
    for (int i = 0; i < 4; ++i) out[i] = c;
  };
  uint32_t c[4];
  d.SceneClear(true, false, 0xFF203060u);
  const uint32_t ramp[4] = {0xFF000000u, 0xFFFF0000u, 0xFF0000FFu, 0xFFFFFFFFu};
  d.SetRenderMode(0x010);
  GoldenQuad(d, 0, 40, w, h, ramp);
  d.SetTexture(ball);
  d.SetRenderMode(0x101);
  flat(0xFFFFFFFFu, c);
  GoldenQuad(d, 4.5f, 4.25f, 36.5f, 36.25f, c);
  d.SetFilterMode(true);
  d.SetRenderMode(0x271);
  const uint32_t grey[4] = {0xFF808080u, 0xC0FFFFFFu, 0xFF404040u, 0x80808080u};
  GoldenQuad(d, 30, 10, 90, 58, grey);
  d.SetRenderMode(0x151);
  flat(0xFF303030u, c);
  GoldenQuad(d, 60, 2, 76, 18, c);
  d.SetTexture(nullptr);
  d.SetRenderMode(0x015);
  flat(0x80FF8000u, c);
  GoldenQuad(d, 10, 44, 50, 60, c);
}

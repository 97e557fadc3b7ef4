// A back buffer and the software 3-D device standing in for the display, for the tests that
// draw pictures (hand it to present::CGraphics::UseTarget).
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "present/CRgbDevice.h"
#include "present/IGraphicsTarget.h"

namespace testsupport {

class SoftwareTarget : public present::IGraphicsTarget {
 public:
  SoftwareTarget(int32_t w, int32_t h, uint32_t back)
      : width(w), height(h), px(static_cast<size_t>(w) * static_cast<size_t>(h), back) {
    device.SetRenderTarget(px.data(), w, h, w * 4);
  }
  SoftwareTarget(const SoftwareTarget&) = delete;
  SoftwareTarget& operator=(const SoftwareTarget&) = delete;

  present::CIMDevice* Device3D() override { return &device; }
  uint32_t* SoftwarePixels(int32_t& w, int32_t& h, int32_t& pitch) override {
    w = width;
    h = height;
    pitch = width * 4;
    return px.data();
  }
  bool ReduceTextures() const override { return reduce; }
  engine::PixelFormat TextureFormat(bool withAlpha) const override {
    return withAlpha ? engine::PixelFormat::Argb8888() : engine::PixelFormat::Xrgb8888();
  }
  void ForgetTexture(const engine::CSurface* s) override {
    forgotten.push_back(s);
    device.ForgetTexture(s);
  }
  [[nodiscard]] uint32_t At(int32_t x, int32_t y) const {
    return px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
  void Fill(uint32_t colour) { std::fill(px.begin(), px.end(), colour); }

  int32_t width, height;
  std::vector<uint32_t> px;
  present::CRgbDevice device;
  bool reduce = false;  // the video memory menu's consent to halve large textures
  std::vector<const engine::CSurface*> forgotten;
};

}  // namespace testsupport

// CGlDevice: the OpenGL 3-D device ("IID_IDirect3DHALDevice"). A core-profile context through
// SDL, one small shader program whose uniforms select the stage operations, and GL's own
// blending for the blend pairs. It draws into a frame-buffer object that holds a copy of the
// render target: SetRenderTarget uploads the target's pixels (the software drawing so far),
// Finish reads the frame back into them. Positions follow the software device's sampling
// (pixel (x, y) at exactly x, y) and fill rule, so the two devices draw the same frames within
// a small tolerance. SDL and GL stay in the .cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "present/CIMDevice.h"

namespace present {

class CGlDevice final : public CIMDevice {
 public:
  static constexpr const char* kName = "IID_IDirect3DHALDevice";

  // A device with its own hidden window and context; null (and the reason in `why`) when SDL's
  // video driver cannot make an OpenGL 3.3 core context.
  static std::unique_ptr<CGlDevice> Create(std::string& why);
  ~CGlDevice() override;

  [[nodiscard]] const char* DeviceName() const override { return kName; }
  void SetRenderTarget(uint32_t* pixels, int32_t width, int32_t height, int32_t pitch) override;
  void SceneClear(bool target = true, bool zBuffer = false, uint32_t color = 0) override;
  void DrawStrip(const TLVertex* vertices, int32_t count) override;
  void DrawIndexed(const TLVertex* vertices, int32_t count, const uint16_t* indexes,
                   int32_t indexCount) override;
  // Brings the frame drawn so far into the render target's pixels.
  void Finish();
  // Draws on into the frame kept from before (no upload of the target's pixels).
  void Resume();
  // Where and how the frame goes to a window.
  struct PresentArea {
    int32_t x = 0, y = 0, w = 0, h = 0;  // the drawing area, from the window's top-left
    int vsync = 0;
    // Window-sized 0xAARRGGBB pixels blended over the frame inside box (x0, y0, x1, y1).
    const uint32_t* overlay = nullptr;
    int32_t overlayW = 0, overlayH = 0;
    int32_t box[4] = {0, 0, 0, 0};
    // Tests: the window's pixels as shown, rows bottom-up, sized by the caller.
    std::vector<uint32_t>* readBack = nullptr;
  };
  // Shows the frame (scaled into the area) and the overlay in an OpenGL window and swaps;
  // false when the window cannot take this device's context.
  bool PresentToWindow(void* nativeWindow, const PresentArea& area);
  // The renderer's name, for the support page.
  [[nodiscard]] const std::string& Renderer() const;
  // The card's own video memory figures in KB, when the driver tells them (NVX or ATI
  // memory-info extensions); false otherwise (Mesa's software renderer says nothing).
  bool VideoMemoryKb(int64_t& totalKb, int64_t& freeKb);
  // Drops the cached copy of a surface that is going away.
  void ForgetTexture(const engine::CSurface* surface) override;
  // The context's texture side, at most the software device's (both devices then reduce the
  // same pictures).
  [[nodiscard]] int32_t MaxTextureSize() const override;

 private:
  struct Impl;
  CGlDevice();
  bool Prepare();  // states, textures and uniforms for the next draw; false: draw nothing
  std::unique_ptr<Impl> m_impl;
};

}  // namespace present

// CDisplayDevice: the draw module's display on SDL2. An 800 x 600 (or any size) back buffer held
// as a BBI block in memory, shown through a streaming texture of the main window's renderer, in
// a window (optionally at another scale) or full screen; the capability lists of the chosen 3-D
// device and the memory report for the debug pages. SDL stays in the .cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "blivo/bbi_record.h"
#include "engine/CSurface.h"
#include "engine/IDisplayDevice.h"
#include "engine/spLib.h"
#include "platform/CMenuGui.h"
#include "present/CGlDevice.h"
#include "present/CRgbDevice.h"
#include "present/IGraphicsTarget.h"

namespace platform {
class CFontRaster;
class CWindow;
}  // namespace platform

namespace present {

class CDisplayDevice final : public engine::IDisplayDevice, public IGraphicsTarget {
 public:
  static constexpr int32_t kBbiPictOffset = BLIVO_BBI_PICT;
  static constexpr int32_t kMaxSide = BLIVO_BBI_MAX_WIDTH;  // 8191 x 4 bytes fits the row field
  static constexpr const char* kHalDeviceName = "IID_IDirect3DHALDevice";
  static constexpr const char* kRgbDeviceName = "IID_IDirect3DRGBDevice";
  static constexpr const char* kEnumErrorName = "GetDevicesEnum Error";
  // Every capability name, in report order.
  static const char* const kCapabilityNames[11];

  explicit CDisplayDevice(engine::spLib& root = engine::spLib::Shared());
  ~CDisplayDevice() override;
  CDisplayDevice(const CDisplayDevice&) = delete;
  CDisplayDevice& operator=(const CDisplayDevice&) = delete;

  [[nodiscard]] bool Start(const engine::DisplayParams& params) override;
  [[nodiscard]] bool ToggleFullscreen(bool fullscreen) override;
  void Stop() override;
  [[nodiscard]] bool Started() const override { return m_started; }
  [[nodiscard]] bool IsFullscreen() const override { return m_params.fullscreen; }
  [[nodiscard]] const engine::DisplayParams& Params() const override { return m_params; }

  void Present(const util::CRect& area, bool waitVblank) override;
  void PresentAll(bool waitVblank) override;
  [[nodiscard]] bool SurfacesUsable() override;
  void SaveSurfaces() override;
  void RestoreSurfaces() override;
  void FinishScene() override;

  // The back buffer for reading and writing: a frame the OpenGL device keeps comes back first.
  [[nodiscard]] void* BackBuffer() override;
  [[nodiscard]] uint32_t* Pixels();
  [[nodiscard]] int32_t Pitch() const { return m_params.width * 4; }

  void DrawText(const std::string& text, int32_t x, int32_t y) override;
  void DrawFrame(const util::CRect& rect, uint32_t colorRef) override;
  [[nodiscard]] std::string SupportList() const override { return m_support; }
  [[nodiscard]] std::string NonSupportList() const override { return m_nonSupport; }
  [[nodiscard]] std::string MemoryReport() const override;

  // The 3-D device chosen at the last start: its name and what stands for it here.
  [[nodiscard]] const std::string& DeviceName() const { return m_deviceName; }
  [[nodiscard]] const std::string& DeviceBackend() const { return m_deviceBackend; }
  // The menu's (or the command line's) device choice: it overrides the settings' choice and
  // takes effect at once. HAL is the OpenGL device; when no OpenGL context can be made it
  // draws with the software device and says so once on stderr.
  void SelectDevice(bool hal);
  // Whether the OpenGL device can be made (tried once).
  [[nodiscard]] bool HalAvailable();
  // The 3-D device drawing into the back buffer; null before a start with a 3-D device. The
  // OpenGL device takes the back buffer's picture at the first call of a frame and gives its
  // frame back at FinishScene.
  [[nodiscard]] CIMDevice* Device3D() override;
  // The menu's choice for large textures when video memory runs short, kept for the 3-D device.
  void SetReduceTextures(bool reduce) { m_reduceTextures = reduce; }
  [[nodiscard]] bool ReduceTextures() const override { return m_reduceTextures; }
  // The back buffer for software drawing; an open OpenGL scene is read back first.
  [[nodiscard]] uint32_t* SoftwarePixels(int32_t& width, int32_t& height, int32_t& pitch) override;
  // 32-bit layouts, or 16-bit ones (4444 with alpha, 565 without) when 32-bit textures are
  // turned off.
  [[nodiscard]] engine::PixelFormat TextureFormat(bool withAlpha) const override;
  void ForgetTexture(const engine::CSurface* surface) override;
  // Window size as a multiple of the back buffer (1 or 0.5); takes effect at once in a window.
  void SetWindowScale(float scale);
  [[nodiscard]] float WindowScale() const { return m_scale; }
  [[nodiscard]] int32_t InitCount() const { return m_initCount; }
  // Whether the last frame was shown by the OpenGL device itself.
  [[nodiscard]] bool PresentedByGl() const { return m_glPresented; }
  // Tests: the window's pixels (rows bottom-up) are copied here at each OpenGL present.
  void CaptureWindow(std::vector<uint32_t>* pixels) { m_windowReadBack = pixels; }
  // Marks the surfaces lost, as the renderer's reset does (tests use it).
  void NoticeLoss();

 private:
  void BuildCapabilities();
  [[nodiscard]] uint32_t* RawPixels();
  // Reads a frame kept by the OpenGL device back into the back buffer.
  void SyncBackBuffer();
  // The OpenGL device shows the frame itself (HAL in a window that takes its context).
  [[nodiscard]] bool GlPresents() const;
  // Lays the menu bar out and redraws its overlay when it changed; false when no bar shows.
  bool UpdateMenuOverlay(bool& changed);
  bool CreateTexture();
  void DestroyTexture();
  void Show(const util::CRect* area, bool waitVblank);
  // Software renderer: blit straight into the window's surface, only the area that changed.
  void ShowSoftware(const util::CRect& clip);
  void Unsubscribe();
  void ApplyDevice();
  // The menu bar: its triangles drawn by the software device into a window-sized overlay,
  // shown over the frame through a blended texture.
  void DrawMenu(void* renderer);
  // HAL in an OpenGL window: the frame goes from the device to the window without a read-back.
  void ShowGl(bool waitVblank);

  engine::spLib& m_root;
  engine::DisplayParams m_params;
  bool m_started = false;
  bool m_lost = false;
  bool m_reduceTextures = true;
  float m_scale = 1.0f;
  int32_t m_initCount = 0;
  uint32_t m_startTime = 0;
  int m_vsync = -1;
  bool m_accelerated = false;

  platform::CWindow* m_window = nullptr;
  void* m_texture = nullptr;  // SDL_Texture*, when the renderer works in video memory
  void* m_surface = nullptr;  // SDL_Surface* over the back buffer, for the software renderer
  bool m_needFull = true;     // the window's picture must be redrawn whole (new size or mode)
  int m_targetW = 0, m_targetH = 0;
  bool m_textureStale = false;  // the direct path drew last: the texture needs everything
  platform::CSubscription m_reset;
  platform::CSubscription m_destroying;

  std::vector<uint8_t> m_block;
  std::vector<uint8_t> m_saved;
  std::string m_support;
  std::string m_nonSupport;
  std::string m_deviceName;
  std::string m_deviceBackend;
  std::unique_ptr<platform::CFontRaster> m_font;

  std::optional<bool> m_halChoice;
  bool m_toldNoHal = false;
  std::unique_ptr<CRgbDevice> m_device3d;
  std::unique_ptr<CGlDevice> m_glDevice;
  bool m_glTried = false;
  std::string m_glWhy;
  bool m_sceneOpen = false;  // the OpenGL device is bound for this frame's drawing
  bool m_glFrame = false;    // the OpenGL device holds a frame newer than the back buffer
  bool m_glPresented = false;

  platform::MenuFrame m_menuFrame;
  CRgbDevice m_menuDevice;
  std::vector<uint32_t> m_menuPixels;
  std::unique_ptr<engine::CSurface> m_menuAtlas;
  uint32_t m_menuAtlasVersion = 0;
  uint64_t m_menuHash = 0;
  int32_t m_menuW = 0, m_menuH = 0;
  int32_t m_menuBox[4] = {0, 0, 0, 0};  // drawn area: x0, y0, x1, y1
  void* m_menuTexture = nullptr;       // SDL_Texture*
  int32_t m_menuTextureW = 0, m_menuTextureH = 0;
  std::vector<uint32_t>* m_windowReadBack = nullptr;
};

}  // namespace present

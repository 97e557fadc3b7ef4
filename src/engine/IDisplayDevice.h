// The display device as the engine sees it: back buffer, present, full-screen switch, surface
// state and the debug pages' reports. The presentation module implements it and the program
// hands one instance to the engine root at start (spLib::SetDisplayDevice).
#pragma once

#include <cstdint>
#include <string>

#include "util/CRect.h"

namespace engine {

// What a display start is asked for, in the order the frame controller passes it.
struct DisplayParams {
  int32_t width = 640;
  int32_t height = 480;
  int32_t pixelBits = 32;
  int32_t refreshRate = 0;
  bool fullscreen = false;
  bool halGraphics = false;
  bool direct3DDevice = false;
  bool attachZBuffer = false;
  bool textureCompress = false;
  bool disable32BitTexture = false;
};

class IDisplayDevice {
 public:
  virtual ~IDisplayDevice() = default;

  // (Re)creates every display object for the engine root's window; false when there is no
  // window or the window cannot be drawn to (the display then stays stopped).
  [[nodiscard]] virtual bool Start(const DisplayParams& params) = 0;
  // Starts again with the stored parameters and the new full-screen flag.
  [[nodiscard]] virtual bool ToggleFullscreen(bool fullscreen) = 0;
  // The release half of spLib::DirectDrawExit (the engine root raises TerminateDraw first).
  virtual void Stop() = 0;
  [[nodiscard]] virtual bool Started() const = 0;
  [[nodiscard]] virtual bool IsFullscreen() const = 0;
  [[nodiscard]] virtual const DisplayParams& Params() const = 0;

  // Copies `area` of the back buffer to the window (an empty area shows the frame unchanged),
  // or all of it, waiting for the vertical blank when asked.
  virtual void Present(const util::CRect& area, bool waitVblank) = 0;
  virtual void PresentAll(bool waitVblank) = 0;
  // True when the surfaces exist and are not lost (restoring them when possible).
  [[nodiscard]] virtual bool SurfacesUsable() = 0;
  // Software copies kept across a surface loss: save what is still readable, put it back.
  virtual void SaveSurfaces() = 0;
  virtual void RestoreSurfaces() = 0;
  // Closes the frame's 3-D scene before the present.
  virtual void FinishScene() = 0;

  // The back buffer as a BBI block (32-bit 0xAARRGGBB), null while stopped.
  [[nodiscard]] virtual void* BackBuffer() = 0;

  // Debug page drawing onto the back buffer. Colours are desktop colour values 0x00BBGGRR.
  virtual void DrawText(const std::string& text, int32_t x, int32_t y) = 0;
  virtual void DrawFrame(const util::CRect& rect, uint32_t colorRef) = 0;
  // Capability names, each followed by CR LF.
  [[nodiscard]] virtual std::string SupportList() const = 0;
  [[nodiscard]] virtual std::string NonSupportList() const = 0;
  [[nodiscard]] virtual std::string MemoryReport() const = 0;
};

}  // namespace engine

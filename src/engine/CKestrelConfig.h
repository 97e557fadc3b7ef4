// CKestrelConfig: the frame controller's settings record. The game fills it before connecting a
// window; fields take effect at the next Connect or frame.
#pragma once

#include <cstdint>

#include "util/CRect.h"

namespace engine {

class CKestrelConfig {
 public:
  CKestrelConfig() { AddDDraw(640, 480); }

  int32_t SleepTime = 1;   // ms given to the system at the start of every Poll
  int32_t SleepFrame = 1;  // frame length in sixtieths of a second; 0 or less: no pacing
  bool SleepSaver = true;
  bool WaitVsink = true;
  bool PaintManual = false;
  bool RestoreManual = false;
  util::CRect PaintRect;
  bool PaintAllFlag = false;
  bool GameAppService = true;
  bool DebugService = true;
  bool ddInit = true;
  int32_t ddWidth = 640;
  int32_t ddHeight = 480;
  int32_t ddRefreshRate = 0;
  int32_t ddPixelBits1 = 0;
  int32_t ddPixelBits2 = 32;
  int32_t ddPixelBits3 = 16;
  int32_t ddPixelBits4 = 0;
  bool ddFullscreen = false;
  bool ddHALGraphics = false;
  bool ddDirect3DDevice = false;
  bool ddAttachZBuffer = false;
  bool ddTextureCompress = false;
  bool ddDisable32BitTexture = false;
  bool diInit = true;
  int32_t diCreateVKeyCounts = 4;
  bool dsInit = true;
  int32_t dsHz = 44100;
  int32_t dsBits = 16;
  int32_t dsChannel = 2;

  // Sets the display fields in one call; an omitted argument sets its field to 0 / false.
  void AddDDraw(int32_t width = 0, int32_t height = 0, bool fullscreen = false,
                bool halGraphics = false, bool direct3DDevice = false, bool attachZBuffer = false,
                bool textureCompress = false, bool disable32BitTexture = false) {
    ddWidth = width;
    ddHeight = height;
    ddFullscreen = fullscreen;
    ddHALGraphics = halGraphics;
    ddDirect3DDevice = direct3DDevice;
    ddAttachZBuffer = attachZBuffer;
    ddTextureCompress = textureCompress;
    ddDisable32BitTexture = disable32BitTexture;
  }
};

}  // namespace engine

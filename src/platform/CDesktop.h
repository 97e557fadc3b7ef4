// CDesktop: the process-wide desktop services behind the engine: starting and stopping the
// video system, message boxes, the mouse cursor and the screen saver. SDL lives in the .cpp
// only. With no display (SDL's dummy or offscreen driver) message boxes go to stderr.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class CDesktop {
 public:
  enum class Icon { kCritical, kWarning, kInformation };

  // Starts SDL's video and timer services; false with the reason when that fails (the video
  // driver asked for, or those SDL could try, and SDL's error).
  [[nodiscard]] static bool Start(std::string& error);
  static void Stop();
  [[nodiscard]] static bool Started();
  // True when no real display exists (dummy / offscreen video): nothing may block on a dialog.
  [[nodiscard]] static bool Headless();
  // The video driver's name, empty before Start.
  [[nodiscard]] static std::string VideoDriver();

  // A modal message box with one OK button (stderr when headless).
  static void MessageBox(const std::string& text, const std::string& caption, Icon icon);

  // OK and Cancel; true for OK. Without a display it prints and answers with the default, OK.
  static bool AskOkCancel(const std::string& text, const std::string& caption);

  static void ShowCursor(bool visible);
  // Keeps the screen saver from starting (the game is driven by controllers alone), or gives
  // it back once the user touches the mouse or keyboard again.
  static void HoldOffScreenSaver();
  static void AllowScreenSaver();

  // The desktop's pixel depth in bits (32 for a 4-byte format), 0 when unknown.
  [[nodiscard]] static int32_t DesktopDepth();
  // Whether the display reports a mode of this depth (any size: full screen scales).
  [[nodiscard]] static bool HasDepth(int32_t bits);
};

}  // namespace platform

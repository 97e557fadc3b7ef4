// The translation from SDL's USB-style scancodes to the keyboard scan codes that the key bytes,
// input codes and key names use. The table lives in the .cpp so no SDL type leaks out.
#pragma once

#include <cstdint>

namespace input {

// The scan code (1..255) for an SDL scancode, 0 when the key has no scan code.
[[nodiscard]] uint8_t ScanCodeFromSdl(int32_t sdlScancode);

// The SDL scancode that produces `scanCode`, 0 (SDL_SCANCODE_UNKNOWN) when none does.
[[nodiscard]] int32_t SdlFromScanCode(int32_t scanCode);

}  // namespace input

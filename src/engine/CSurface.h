// CSurface: a display surface or texture held in memory, standing in for the video surfaces the
// image objects and graphics objects move pixels to and from. It has a pixel layout described
// by bit count and channel masks, a lock, a lost state (a surface loss empties it until it is
// restored), and a version that grows with every unlock so that a device can tell when its own
// copy (an OpenGL texture) is stale. Its device-context side reads and writes 0xAARRGGBB pixels
// whatever the layout. Relies on nothing but the C++ runtime.
#pragma once

#include <cstdint>
#include <vector>

namespace engine {

struct PixelFormat {
  int32_t bits = 32;  // 16, 24 or 32
  uint32_t rMask = 0x00FF0000;
  uint32_t gMask = 0x0000FF00;
  uint32_t bMask = 0x000000FF;
  uint32_t aMask = 0xFF000000;

  static PixelFormat Argb8888() { return {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}; }
  static PixelFormat Xrgb8888() { return {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0}; }
  static PixelFormat Rgb888() { return {24, 0x00FF0000, 0x0000FF00, 0x000000FF, 0}; }
  static PixelFormat Rgb565() { return {16, 0xF800, 0x07E0, 0x001F, 0}; }
  static PixelFormat Rgb555() { return {16, 0x7C00, 0x03E0, 0x001F, 0}; }
  static PixelFormat Argb1555() { return {16, 0x7C00, 0x03E0, 0x001F, 0x8000}; }
  static PixelFormat Argb4444() { return {16, 0x0F00, 0x00F0, 0x000F, 0xF000}; }

  bool operator==(const PixelFormat&) const = default;
};

// The five layouts pixels are moved by directly: 555, 565, 888, 4444, 8888; 0 for any other
// (those go through the device-context path).
int32_t FormatCode(const PixelFormat& format);

class CSurface {
 public:
  // Sizes below 1 become 1. A surface the memory cannot hold is made 1 x 1 and lost.
  CSurface(int32_t width, int32_t height, PixelFormat format, bool texture = false);

  [[nodiscard]] int32_t Width() const { return m_width; }
  [[nodiscard]] int32_t Height() const { return m_height; }
  [[nodiscard]] int32_t Pitch() const { return m_pitch; }
  [[nodiscard]] const PixelFormat& Format() const { return m_format; }
  [[nodiscard]] int32_t FormatCode() const { return engine::FormatCode(m_format); }
  [[nodiscard]] bool IsTexture() const { return m_texture; }
  [[nodiscard]] int32_t BytesPerPixel() const { return m_format.bits / 8; }
  [[nodiscard]] uint32_t Version() const { return m_version; }

  // The first byte of row 0 while locked; null when the surface is lost. Locks nest.
  [[nodiscard]] uint8_t* Lock();
  void Unlock();
  [[nodiscard]] bool Locked() const { return m_locks > 0; }
  // Read-only view for devices that upload the contents (null when lost).
  [[nodiscard]] const uint8_t* Bytes() const { return m_lost ? nullptr : m_bytes.data(); }

  [[nodiscard]] bool Lost() const { return m_lost; }
  // What a display reset does: the contents are gone.
  void Lose() { m_lost = true; }
  // Makes the surface usable again, cleared to zero; false when it cannot be.
  bool Restore();

  // Device-context access: one pixel as 0xAARRGGBB (alpha 0 when the layout has none), and
  // the write that packs it into the layout. Out-of-range positions read 0 and write nothing.
  [[nodiscard]] uint32_t ReadPixel(int32_t x, int32_t y) const;
  void WritePixel(int32_t x, int32_t y, uint32_t argb);
  // Marks the contents changed by a device-context write (lock and unlock do it themselves).
  void Touch() { ++m_version; }

 private:
  int32_t m_width = 1;
  int32_t m_height = 1;
  int32_t m_pitch = 4;
  PixelFormat m_format;
  bool m_texture = false;
  bool m_lost = false;
  int32_t m_locks = 0;
  uint32_t m_version = 1;
  std::vector<uint8_t> m_bytes;
};

}  // namespace engine

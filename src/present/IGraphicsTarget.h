// IGraphicsTarget: what a picture object draws onto. The display device is one (its back buffer
// and 3-D device); tests hand a plain buffer and a software device instead. Also the process's
// count of the bytes picture textures hold, which the video-memory report and the half-size
// rule read.
#pragma once

#include <cstdint>

#include "engine/CSurface.h"

namespace present {

class CIMDevice;

class IGraphicsTarget {
 public:
  virtual ~IGraphicsTarget() = default;
  // The 3-D device drawing into the back buffer; null when there is none.
  [[nodiscard]] virtual CIMDevice* Device3D() = 0;
  // The back buffer for software drawing (GDI and DirectDraw paths): 0xAARRGGBB rows, pitch in
  // bytes. A device that keeps the frame elsewhere hands it back first. Null when stopped.
  [[nodiscard]] virtual uint32_t* SoftwarePixels(int32_t& width, int32_t& height,
                                                 int32_t& pitch) = 0;
  // The menu's choice: large textures may be made at half size when video memory runs short.
  [[nodiscard]] virtual bool ReduceTextures() const = 0;
  // Layout of new textures, with or without an alpha channel.
  [[nodiscard]] virtual engine::PixelFormat TextureFormat(bool withAlpha) const = 0;
  // A texture is going away: devices drop what they keep for it.
  virtual void ForgetTexture(const engine::CSurface* surface) = 0;
};

// Bytes held by live picture textures, against the budget that stands for the card's video
// memory. One count per process; only the picture objects change it.
class TextureMemory {
 public:
  static constexpr int64_t kDefaultBudget = int64_t{32} * 1024 * 1024;
  static TextureMemory& Shared();
  void Add(int64_t bytes) { m_used += bytes; }
  void Remove(int64_t bytes) { m_used = m_used > bytes ? m_used - bytes : 0; }
  [[nodiscard]] int64_t Used() const { return m_used; }
  [[nodiscard]] int64_t Budget() const { return m_budget; }
  void SetBudget(int64_t bytes) { m_budget = bytes > 0 ? bytes : kDefaultBudget; }
  // True when `bytes` more would pass the budget.
  [[nodiscard]] bool Short(int64_t bytes) const { return m_used + bytes > m_budget; }

 private:
  int64_t m_used = 0;
  int64_t m_budget = kDefaultBudget;
};

}  // namespace present

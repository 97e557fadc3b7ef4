// CMenuGui: our glue between SDL, Dear ImGui and the menu bar. It feeds SDL's events to ImGui's
// input state, lays out the menu bar each frame, and hands back what ImGui drew as plain
// textured, vertex-coloured triangles (MenuFrame) for the display's 3-D device to draw. ImGui
// and SDL stay in the .cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

class CMenuBar;

// Window pixels; colour 0xAARRGGBB; (u, v) over the font atlas.
struct MenuVertex {
  float x = 0, y = 0, u = 0, v = 0;
  uint32_t argb = 0;
};

// A run of triangles (three indexes each, relative to vertexOffset) inside a clip rectangle.
struct MenuBatch {
  int32_t clipX0 = 0, clipY0 = 0, clipX1 = 0, clipY1 = 0;
  uint32_t vertexOffset = 0;
  uint32_t firstIndex = 0;
  uint32_t indexCount = 0;
};

struct MenuFrame {
  int32_t width = 0, height = 0;  // the window's size
  std::vector<MenuVertex> vertices;
  std::vector<uint16_t> indexes;
  std::vector<MenuBatch> batches;
  // The font atlas as 0xAARRGGBB rows; the version grows when the glyphs change.
  const uint32_t* atlas = nullptr;
  int32_t atlasWidth = 0, atlasHeight = 0;
  uint32_t atlasVersion = 0;
};

class CMenuGui {
 public:
  CMenuGui();
  ~CMenuGui();
  CMenuGui(const CMenuGui&) = delete;
  CMenuGui& operator=(const CMenuGui&) = delete;

  // One SDL_Event (opaque). True when the menu wants the mouse (the window then keeps clicks
  // to itself).
  bool ProcessEvent(const void* sdlEvent);
  // Lays out the bar for a window of width x height and fills `frame`; clicks go to the
  // menu's queue. barHeight is the bar's height in pixels.
  void BuildFrame(CMenuBar& menu, int32_t width, int32_t height, int32_t barHeight,
                  MenuFrame& frame);
  [[nodiscard]] bool WantsMouse() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace platform

// CQuadrangle: screen transitions. The picture in a rectangle of the screen is cut into a grid
// of cells that fly apart and shrink over a number of frames, over black or over the picture
// that comes next. Relies on image::CmgBBI, util::CApi (random numbers, directions) and the
// engine root's events (the captured picture and the target are dropped when drawing ends or
// video memory runs out).
//
// Choices made here:
//  - sx and sy are how many pixels a cell loses in width and height per frame; it shrinks about
//    its centre (half on each side), so with sx = sy = 1 every cell is gone after min(cw, ch)
//    frames, one frame before EndCount.
//  - Cells are drawn scaled to their current size (nearest pixel) over the background: black
//    for DoCompose, the image After for DoComposeCross. With Efects set the cells also fade
//    out with the remaining frames.
//  - SplitRgnStatic(cx, cy, sx, sy, fx, fy): cells stay where they are and shrink towards the
//    point (fx, fy) of each cell (0 .. 1 across and down; 0.5, 0.5 is its centre).
//  - SplitRgnRing's centre is (width x fx, height y fy) of the clip area, in the area.
//  - There is no rotating mode. Writing EndCount is not offered: it is the grid's.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "image/CmgBBI.h"
#include "platform/CEvent.h"
#include "util/CApi.h"
#include "util/CRect.h"

namespace engine {
class spLib;
}

namespace present {

class CQuadrangle {
 public:
  static constexpr int32_t kMaxCells = 40;
  static constexpr int32_t kMaxEndCount = 1000;

  // root: whose events drop the resources (none when null); api: random numbers (the root's,
  // else a private one).
  explicit CQuadrangle(engine::spLib* root = nullptr, util::CApi* api = nullptr);
  ~CQuadrangle();
  CQuadrangle(const CQuadrangle&) = delete;
  CQuadrangle& operator=(const CQuadrangle&) = delete;

  // The screen picture drawn on (32-bit pixels, stride in bytes). The picture is not owned.
  void Target(uint32_t* pixels, int32_t width, int32_t height, int32_t stride);
  void Target(image::CmgBBI& image);
  [[nodiscard]] bool HasTarget() const { return m_pixels != nullptr; }

  // Limits the transition to a rectangle of the target (the whole target by default).
  void Clipper(int32_t x, int32_t y, int32_t w, int32_t h);

  // Set-ups: each captures the target's picture inside the clip area and cuts it up.
  void SplitRgnAngle(int32_t cx, int32_t cy, float sx, float sy, float speed, float angle,
                     float spread, float ax, float ay);
  void SplitRgnRand(int32_t cx, int32_t cy, float sx, float sy, float speed);
  void SplitRgnRing(int32_t cx, int32_t cy, float sx, float sy, float speed, float fx, float fy,
                    float ax, float ay);
  void SplitRgnStatic(int32_t cx, int32_t cy, float sx, float sy, float fx, float fy);

  [[nodiscard]] int32_t EndCount() const { return m_endCount; }
  [[nodiscard]] bool Efects() const { return m_frame < m_endCount; }
  [[nodiscard]] int32_t FrameCount() const { return m_frame; }
  // Cells across and down after the grid rule, and the cell size.
  [[nodiscard]] int32_t CellsX() const { return m_cx; }
  [[nodiscard]] int32_t CellsY() const { return m_cy; }
  [[nodiscard]] int32_t CellWidth() const { return m_cw; }
  [[nodiscard]] int32_t CellHeight() const { return m_ch; }
  [[nodiscard]] int32_t CellCount() const { return static_cast<int32_t>(m_cells.size()); }

  // One frame: count it, move the cells, draw them over black.
  void DoCompose(bool efects = false);
  // The same over the picture After (read at the target's coordinates).
  void DoComposeCross(image::CmgBBI& After, bool efects = false);

  // Drops the captured picture and forgets the target (the events call it).
  void Release();
  [[nodiscard]] bool HasPicture() const { return !m_picture.empty(); }

  struct Cell {
    util::CRect src;             // part of the captured picture, area coordinates
    float x = 0, y = 0;          // top-left of the drawn cell, area coordinates
    float w = 0, h = 0;          // drawn size
    float a = 0, v = 0;          // direction (radians) and speed at set-up
    float vx = 0, vy = 0;        // velocity
    float ax = 0, ay = 0;        // acceleration
    float sx = 0, sy = 0;        // shrink per frame
    float hx = 0, hy = 0;        // how far the corner moves per frame as the cell shrinks
  };
  [[nodiscard]] const std::vector<Cell>& Cells() const { return m_cells; }

 private:
  [[nodiscard]] util::CRect ClipArea() const;
  [[nodiscard]] float Rnd();
  // The grid rule; captures the picture and lays the cells out. False without a target.
  bool Grid(int32_t cx, int32_t cy, float sx, float sy);
  void Step();
  void Draw(const uint32_t* back, int32_t backStride, bool efects);

  engine::spLib* m_root = nullptr;
  util::CApi* m_api = nullptr;
  std::optional<util::CApi> m_ownApi;
  platform::CSubscription m_memoryOver;
  platform::CSubscription m_terminateDraw;

  uint32_t* m_pixels = nullptr;
  int32_t m_width = 0, m_height = 0, m_stride = 0;
  std::optional<util::CRect> m_clip;

  util::CRect m_area;            // the clip area used at set-up, target coordinates
  std::vector<uint32_t> m_picture;  // the captured picture, m_area sized
  std::vector<Cell> m_cells;
  int32_t m_cx = 0, m_cy = 0, m_cw = 0, m_ch = 0;
  int32_t m_endCount = 0;
  int32_t m_frame = 0;
};

}  // namespace present

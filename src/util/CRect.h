// CRect: the integer box used everywhere things are placed on screen: top-left corner and size,
// right and bottom edges exclusive, empty when a size is 0. Self-contained; edge sums are taken
// in 64 bits so extreme fields never overflow.
#pragma once

#include <cstdint>
#include <string>

namespace util {

class CRect {
 public:
  // Declared in this order on purpose: the record layout is Top, Left, Width, Height.
  int32_t Top = 0;
  int32_t Left = 0;
  int32_t Width = 0;
  int32_t Height = 0;

  CRect() = default;

  void Create(int32_t x, int32_t y, int32_t w, int32_t h);
  // Bounding box of two end points, both inclusive.
  void CreateLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Delete();
  // Grows by s on every side (shrinks when s < 0).
  void ScaleExpand(int32_t s);
  // Union with (x, y, w, h).
  void Expand(int32_t x, int32_t y, int32_t w, int32_t h);
  // Intersection with (x, y, w, h); a disjoint box leaves an empty rectangle at the far corner.
  void Trim(int32_t x, int32_t y, int32_t w, int32_t h);
  // Largest box of aspect w:h inside this size, centred; Left/Top become offsets in the old box.
  void Zoom(int32_t x, int32_t y, int32_t w, int32_t h);

  void CreateCopy(const CRect& other) { Create(other.Left, other.Top, other.Width, other.Height); }
  void ExpandRect(const CRect& other) { Expand(other.Left, other.Top, other.Width, other.Height); }
  void TrimRect(const CRect& other) { Trim(other.Left, other.Top, other.Width, other.Height); }
  void ZoomRect(const CRect& other) { Zoom(other.Left, other.Top, other.Width, other.Height); }

  // Sends "Left Top Width Height" to the debug trace, if one is attached.
  void DebugPrint() const;

  [[nodiscard]] bool IsZero() const { return Width == 0 || Height == 0; }
  [[nodiscard]] bool PointIn(int32_t x, int32_t y) const;

  bool operator==(const CRect&) const = default;

  // The debug trace: a sink for single lines, none by default (DebugPrint is then silent).
  using TraceSink = void (*)(const std::string& line);
  static void SetDebugTrace(TraceSink sink);
};

}  // namespace util

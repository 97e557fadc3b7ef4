// CRect: union, intersection and aspect fitting of integer boxes. Sums of an edge and a size
// are formed in 64 bits and narrowed back (modulo 2^32), so no field combination overflows.
#include "util/CRect.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>

namespace util {
namespace {

std::atomic<CRect::TraceSink> g_traceSink{nullptr};

int32_t Narrow(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

// Nearest integer, halves to even, saturated to the 32-bit range.
int32_t RoundToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(std::nearbyint(value));
}

}  // namespace

void CRect::Create(int32_t x, int32_t y, int32_t w, int32_t h) {
  Left = x;
  Top = y;
  Width = w;
  Height = h;
}

void CRect::CreateLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  Left = std::min(x1, x2);
  Top = std::min(y1, y2);
  Width = Narrow(std::llabs(int64_t{x2} - x1) + 1);
  Height = Narrow(std::llabs(int64_t{y2} - y1) + 1);
}

void CRect::Delete() { *this = CRect{}; }

void CRect::ScaleExpand(int32_t s) {
  Left = Narrow(int64_t{Left} - s);
  Top = Narrow(int64_t{Top} - s);
  Width = Narrow(int64_t{Width} + 2 * int64_t{s});
  Height = Narrow(int64_t{Height} + 2 * int64_t{s});
}

void CRect::Expand(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (w == 0 || h == 0) return;
  if (IsZero()) {
    Create(x, y, w, h);
    return;
  }
  const int64_t right = std::max(int64_t{Left} + Width, int64_t{x} + w);
  const int64_t bottom = std::max(int64_t{Top} + Height, int64_t{y} + h);
  Top = std::min(Top, y);
  Left = std::min(Left, x);
  Width = Narrow(right - Left);
  Height = Narrow(bottom - Top);
}

void CRect::Trim(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (IsZero()) return;
  if (w == 0 || h == 0) {
    Delete();
    return;
  }
  const int64_t right = std::min(int64_t{Left} + Width, int64_t{x} + w);
  const int64_t bottom = std::min(int64_t{Top} + Height, int64_t{y} + h);
  Top = std::max(Top, y);
  Left = std::max(Left, x);
  Width = Narrow(std::max<int64_t>(right - Left, 0));
  Height = Narrow(std::max<int64_t>(bottom - Top, 0));
}

void CRect::Zoom(int32_t /*x*/, int32_t /*y*/, int32_t w, int32_t h) {
  if (IsZero()) return;
  if (w == 0 || h == 0) {
    Delete();
    return;
  }
  const double width = Width;
  const double height = Height;
  const double r = width / height;
  const double a = static_cast<double>(w) / h;
  if (r <= a) {
    Left = 0;
    Top = RoundToInt32((height - width / a) / 2);
    Height = RoundToInt32(width / a);
  } else {
    Top = 0;
    Left = RoundToInt32((width - height * a) / 2);
    Width = RoundToInt32(height * a);
  }
}

void CRect::DebugPrint() const {
  TraceSink sink = g_traceSink.load();
  if (sink == nullptr) return;
  sink(std::to_string(Left) + " " + std::to_string(Top) + " " + std::to_string(Width) + " " +
       std::to_string(Height));
}

bool CRect::PointIn(int32_t x, int32_t y) const {
  return Left <= x && int64_t{x} < int64_t{Left} + Width && Top <= y &&
         int64_t{y} < int64_t{Top} + Height;
}

void CRect::SetDebugTrace(TraceSink sink) { g_traceSink.store(sink); }

}  // namespace util

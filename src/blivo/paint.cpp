// Whole-region fills: BBIPaint (scanline flood fill with an explicit span stack, never recursion)
// and BBIPaintChoose (colour replacement and key outlines judged on the values before the call).
// Scratch memory is taken with malloc, bounded by the image size and freed before returning.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "bbi.h"
#include "blivo.h"

namespace blivo::draw {
namespace {

struct Seed {
  int32_t x, y;
};

// A stack of seeds; each pixel is queued at most once (the queued mask), so it never holds more
// entries than the image has pixels.
class SeedStack {
 public:
  ~SeedStack() { std::free(m_items); }
  bool Push(Seed s) {
    if (m_size == m_capacity) {
      const size_t grown = m_capacity == 0 ? 256 : m_capacity * 2;
      void* p = std::realloc(m_items, grown * sizeof(Seed));
      if (p == nullptr) return false;
      m_items = static_cast<Seed*>(p);
      m_capacity = grown;
    }
    m_items[m_size++] = s;
    return true;
  }
  bool Pop(Seed& s) {
    if (m_size == 0) return false;
    s = m_items[--m_size];
    return true;
  }

 private:
  Seed* m_items = nullptr;
  size_t m_size = 0;
  size_t m_capacity = 0;
};

}  // namespace
}  // namespace blivo::draw

using blivo::Image;
using blivo::kBadMode;
using blivo::kDone;
using blivo::kNothing;

extern "C" {

BLIVO_API int32_t BBIPaint(void* image, int32_t x, int32_t y, uint32_t colour, int32_t* minX,
                           int32_t* minY, int32_t* maxX, int32_t* maxY) {
  const Image img = blivo::View(image);
  if (!img.Valid() || x < 0 || y < 0 || x >= img.width || y >= img.height) return kNothing;
  const uint32_t seedColour = img.At(x, y);
  if (seedColour == colour) return kNothing;
  const size_t w = static_cast<size_t>(img.width);
  auto* queued = static_cast<uint8_t*>(std::calloc(w * static_cast<size_t>(img.height), 1));
  if (queued == nullptr) return kNothing;
  blivo::draw::SeedStack stack;
  int32_t left = x, right = x, top = y, bottom = y;
  bool ok = stack.Push({x, y});
  queued[static_cast<size_t>(y) * w + static_cast<size_t>(x)] = 1;
  blivo::draw::Seed s{};
  while (ok && stack.Pop(s)) {
    uint32_t* row = img.Row(s.y);
    if (row[s.x] != seedColour) continue;
    int32_t a = s.x, b = s.x;
    while (a > 0 && row[a - 1] == seedColour) --a;
    while (b + 1 < img.width && row[b + 1] == seedColour) ++b;
    for (int32_t i = a; i <= b; ++i) row[i] = colour;
    if (a < left) left = a;
    if (b > right) right = b;
    if (s.y < top) top = s.y;
    if (s.y > bottom) bottom = s.y;
    // One seed per run of the old colour in the rows above and below the filled span.
    for (int32_t ny = s.y - 1; ny <= s.y + 1 && ok; ny += 2) {
      if (ny < 0 || ny >= img.height) continue;
      const uint32_t* next = img.Row(ny);
      uint8_t* mark = queued + static_cast<size_t>(ny) * w;
      for (int32_t i = a; i <= b && ok; ++i) {
        if (next[i] != seedColour || (i > a && next[i - 1] == seedColour)) continue;
        if (mark[i]) continue;
        mark[i] = 1;
        ok = stack.Push({i, ny});
      }
    }
  }
  std::free(queued);
  if (minX) *minX = left;
  if (minY) *minY = top;
  if (maxX) *maxX = right;
  if (maxY) *maxY = bottom;
  return ok ? kDone : kNothing;
}

BLIVO_API int32_t BBIPaintChoose(void* image, int32_t mode, uint32_t a, uint32_t b, uint32_t c,
                                 uint32_t d) {
  const Image img = blivo::View(image);
  if (mode < 0 || mode > 4) return kBadMode;
  if (!img.Valid()) return kNothing;
  const int32_t w = img.width, h = img.height;
  if (mode <= 1) {
    for (int32_t y = 0; y < h; ++y) {
      uint32_t* row = img.Row(y);
      for (int32_t x = 0; x < w; ++x)
        if ((row[x] == b) == (mode == 0)) row[x] = a;
    }
    return kDone;
  }
  // Modes 2 to 4 compare against the values before the call: the current row and the one above
  // are kept as copies; the row below is not written yet.
  const size_t bytes = static_cast<size_t>(w) * sizeof(uint32_t);
  auto* prev = static_cast<uint32_t*>(std::malloc(bytes));
  auto* cur = static_cast<uint32_t*>(std::malloc(bytes));
  if (prev == nullptr || cur == nullptr) {
    std::free(prev);
    std::free(cur);
    return kNothing;
  }
  for (int32_t y = 0; y < h; ++y) {
    uint32_t* row = img.Row(y);
    if (y > 0) std::memcpy(prev, cur, bytes);
    std::memcpy(cur, row, bytes);
    const uint32_t* below = y + 1 < h ? img.Row(y + 1) : nullptr;
    for (int32_t x = 0; x < w; ++x) {
      const bool key = cur[x] == b;
      // Whether an edge neighbour is of the other kind (key versus non-key).
      bool other = false;
      if (x > 0 && (cur[x - 1] == b) != key) other = true;
      if (x + 1 < w && (cur[x + 1] == b) != key) other = true;
      if (y > 0 && (prev[x] == b) != key) other = true;
      if (below != nullptr && (below[x] == b) != key) other = true;
      switch (mode) {
        case 2:
          if (!key) row[x] = other ? c : a;
          else if (other) row[x] = d;
          break;
        case 3:
          if (key && other) row[x] = a;
          break;
        default:
          if (!key && other) row[x] = a;
          break;
      }
    }
  }
  std::free(prev);
  std::free(cur);
  return kDone;
}

}  // extern "C"

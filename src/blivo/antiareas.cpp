// Keying with softened staircase edges (BBIAntiAreas, which the glyph renderer relies on) and the
// general keyed rewrite BBIKeyingEfect. The softening works on a copy padded by one transparent
// pixel on every side, so every neighbour test stays inside the copy; the image is written only
// once the new alphas and colours are known.
#include <cstdint>
#include <cstdlib>

#include "bbi.h"
#include "blivo.h"

namespace blivo::draw {
namespace {

class Softener {
 public:
  Softener(const Image& img, const uint8_t* table, uint32_t* copy, uint8_t* alpha)
      : m_img(img), m_table(table), m_copy(copy), m_alpha(alpha), m_pitch(img.width + 2) {}

  bool Opaque(int32_t x, int32_t y) const { return (Copy(x, y) >> 24) != 0; }
  uint32_t Copy(int32_t x, int32_t y) const {
    return m_copy[static_cast<size_t>(y + 1) * static_cast<size_t>(m_pitch) +
                  static_cast<size_t>(x + 1)];
  }
  uint8_t& Alpha(int32_t x, int32_t y) {
    return m_alpha[static_cast<size_t>(y) * static_cast<size_t>(m_img.width) +
                   static_cast<size_t>(x)];
  }

  // One line of len pixels from (x, y) stepping (ux, uy); the edge lies across (vx, vy).
  void Line(int32_t x, int32_t y, int32_t ux, int32_t uy, int32_t len, int32_t vx, int32_t vy) {
    auto edge = [&](int32_t t) {
      const int32_t px = x + t * ux, py = y + t * uy;
      return Opaque(px, py) && !Opaque(px + vx, py + vy);
    };
    // A step: the pixel beside the run along the line is opaque and so is its neighbour across,
    // i.e. the opaque side moves out by one pixel there. Positions -1 and len are the padding.
    auto stepped = [&](int32_t t) {
      const int32_t px = x + t * ux, py = y + t * uy;
      return Opaque(px, py) && Opaque(px + vx, py + vy);
    };
    int32_t t = 0;
    while (t < len) {
      if (!edge(t)) {
        ++t;
        continue;
      }
      const int32_t start = t;
      while (t < len && edge(t)) ++t;
      const int32_t n = t - start;
      if (!stepped(start - 1)) continue;
      // Stepped at both ends: each end softens its own half.
      const int32_t run = stepped(t) ? (n + 1) / 2 : n;
      for (int32_t m = 0; m < run; ++m) {
        const int32_t px = x + (start + m) * ux, py = y + (start + m) * uy;
        uint32_t value = 0;
        if (run == 1) {
          const bool enclosed = Opaque(px - 1, py - 1) && Opaque(px + 1, py - 1) &&
                                Opaque(px - 1, py + 1) && Opaque(px + 1, py + 1);
          value = enclosed ? 96u : 32u;
        } else {
          const int32_t capped = run < 64 ? run : 64;
          const int32_t pos = run <= 64 ? m : static_cast<int32_t>(static_cast<int64_t>(m) * 64 / run);
          value = m_table[static_cast<size_t>(pos) + 256u * static_cast<size_t>(capped - 1)];
        }
        uint8_t& a = Alpha(px, py);
        if (value < a) a = static_cast<uint8_t>(value);
      }
    }
  }

  void Run() {
    const int32_t w = m_img.width, h = m_img.height;
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t side = -1; side <= 1; side += 2) {
        Line(0, y, 1, 0, w, 0, side);
        Line(w - 1, y, -1, 0, w, 0, side);
      }
    }
    for (int32_t x = 0; x < w; ++x) {
      for (int32_t side = -1; side <= 1; side += 2) {
        Line(x, 0, 0, 1, h, side, 0);
        Line(x, h - 1, 0, -1, h, side, 0);
      }
    }
  }

  // The per-channel mean colour of the opaque edge neighbours (the pixel's own when none).
  uint32_t MeanColour(int32_t x, int32_t y) const {
    const int32_t dx[4] = {-1, 1, 0, 0}, dy[4] = {0, 0, -1, 1};
    uint32_t sum[3] = {0, 0, 0}, count = 0;
    for (int k = 0; k < 4; ++k) {
      if (!Opaque(x + dx[k], y + dy[k])) continue;
      const uint32_t p = Copy(x + dx[k], y + dy[k]);
      for (int c = 0; c < 3; ++c) sum[c] += (p >> (8 * c)) & 0xFFu;
      ++count;
    }
    if (count == 0) return Copy(x, y) & 0x00FFFFFFu;
    return (sum[2] / count) << 16 | (sum[1] / count) << 8 | (sum[0] / count);
  }

 private:
  const Image& m_img;
  const uint8_t* m_table;
  uint32_t* m_copy;
  uint8_t* m_alpha;
  int32_t m_pitch;
};

}  // namespace
}  // namespace blivo::draw

using blivo::Image;
using blivo::kDone;
using blivo::kNothing;

extern "C" {

BLIVO_API int32_t BBIAntiAreas(void* image, const void* table, uint32_t keyColour) {
  const Image img = blivo::View(image);
  if (!img.Valid() || table == nullptr) return kNothing;
  const size_t w = static_cast<size_t>(img.width), h = static_cast<size_t>(img.height);
  auto* copy = static_cast<uint32_t*>(std::calloc((w + 2) * (h + 2), sizeof(uint32_t)));
  auto* alpha = static_cast<uint8_t*>(std::malloc(w * h));
  if (copy == nullptr || alpha == nullptr) {
    std::free(copy);
    std::free(alpha);
    return kNothing;
  }
  const uint32_t key = keyColour & 0x00FFFFFFu;
  for (size_t y = 0; y < h; ++y) {
    const uint32_t* row = img.Row(static_cast<int32_t>(y));
    uint32_t* out = copy + (y + 1) * (w + 2) + 1;
    for (size_t x = 0; x < w; ++x) {
      const uint32_t colour = row[x] & 0x00FFFFFFu;
      out[x] = colour == key ? colour : colour | 0xFF000000u;
      alpha[y * w + x] = colour == key ? 0 : 255;
    }
  }
  blivo::draw::Softener soft(img, static_cast<const uint8_t*>(table), copy, alpha);
  soft.Run();
  for (int32_t y = 0; y < img.height; ++y) {
    uint32_t* row = img.Row(y);
    for (int32_t x = 0; x < img.width; ++x) {
      const uint32_t a = soft.Alpha(x, y);
      uint32_t colour = soft.Copy(x, y) & 0x00FFFFFFu;
      if (a < 255 && soft.Opaque(x, y)) colour = soft.MeanColour(x, y);  // lowered
      row[x] = a << 24 | colour;
    }
  }
  std::free(copy);
  std::free(alpha);
  return kDone;
}

BLIVO_API int32_t BBIKeyingEfect(void* image, uint32_t keyColour, uint32_t compareMask,
                                 uint32_t keyValue, uint32_t keyMask, uint32_t otherValue,
                                 uint32_t otherMask) {
  const Image img = blivo::View(image);
  if (!img.Valid()) return kNothing;
  const uint32_t key = keyColour & compareMask;
  for (int32_t y = 0; y < img.height; ++y) {
    uint32_t* row = img.Row(y);
    for (int32_t x = 0; x < img.width; ++x) {
      const uint32_t p = row[x];
      row[x] = (p & compareMask) == key ? (keyValue & ~keyMask) | (p & keyMask)
                                        : (otherValue & ~otherMask) | (p & otherMask);
    }
  }
  return kDone;
}

}  // extern "C"

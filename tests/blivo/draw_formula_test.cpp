// The box, gradient and shape exports against the documented formulas evaluated pixel by pixel
// over the whole (unclipped) shape, on images wider than one batch of precomputed column weights
// and with corners outside the image.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "blit_test_image.h"
#include "blivo.h"

namespace {

using blittest::TestImage;

constexpr int32_t kW = 1100, kH = 5;  // wider than a 1024-column batch

// The documented per-byte blend, written out here rather than taken from the library:
// (from * (256 - k) + to * k) >> 8 for each of the four bytes.
uint32_t LerpBytes(uint32_t from, uint32_t to, uint32_t k) {
  uint32_t out = 0;
  for (int c = 0; c < 4; ++c) {
    const uint32_t f = (from >> (8 * c)) & 0xFFu, t = (to >> (8 * c)) & 0xFFu;
    out |= ((f * (256u - k) + t * k) >> 8) << (8 * c);
  }
  return out;
}

int32_t Coord(std::mt19937& rng, int32_t span) {
  return static_cast<int32_t>(rng() % static_cast<uint32_t>(2 * span)) - span / 2;
}

TEST(Formulas, DrawBoxPixelByPixel) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    std::mt19937 rng(seed);
    const int32_t x = Coord(rng, kW), y = Coord(rng, kH), w = 1 + static_cast<int32_t>(rng() % 1500),
                  h = 1 + static_cast<int32_t>(rng() % 9);
    uint32_t c[4];
    for (uint32_t& v : c) v = static_cast<uint32_t>(rng());
    const uint32_t mask = seed % 3 == 0 ? 0xFF00FF00u : 0u;
    TestImage got(kW, kH, 1), want(kW, kH, 1);
    got.Randomize(rng);
    want.SetPixels(got.Pixels());
    BBIDrawBox(got.Block(), x, y, w, h, mask, c[0], c[1], c[2], c[3]);
    for (int32_t j = 0; j < h; ++j)
      for (int32_t i = 0; i < w; ++i) {
        const int32_t px = x + i, py = y + j;
        if (px < 0 || py < 0 || px >= kW || py >= kH) continue;
        const float v = h == 1 ? 0.0f : static_cast<float>(j) / static_cast<float>(h - 1);
        const float u = w == 1 ? 0.0f : static_cast<float>(i) / static_cast<float>(w - 1);
        const uint32_t kv = static_cast<uint32_t>(v * 256.0f), ku = static_cast<uint32_t>(u * 256.0f);
        const uint32_t left = LerpBytes(c[0], c[2], kv), right = LerpBytes(c[1], c[3], kv);
        const uint32_t colour = LerpBytes(left, right, ku);
        want.Set(px, py, (colour & ~mask) | (want.Get(px, py) & mask));
      }
    ASSERT_EQ(got.Pixels(), want.Pixels()) << "seed " << seed;
    ASSERT_TRUE(got.GuardsIntact());
  }
}

TEST(Formulas, GradationBoxPixelByPixel) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    std::mt19937 rng(seed);
    const int32_t x1 = Coord(rng, kW), y1 = Coord(rng, kH), x2 = Coord(rng, kW), y2 = Coord(rng, kH);
    TestImage ramp(2, 2), got(kW, kH, 1), want(kW, kH, 1);
    ramp.Randomize(rng);
    got.Randomize(rng);
    want.SetPixels(got.Pixels());
    BBIDrawGradationBox(got.Block(), ramp.Block(), x1, y1, x2, y2);
    const int32_t sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    for (int32_t y = y1;; y += sy) {
      for (int32_t x = x1;; x += sx) {
        if (x >= 0 && y >= 0 && x < kW && y < kH) {
          const float fy = static_cast<float>(y - y1) / static_cast<float>(y2 == y1 ? 1 : y2 - y1);
          const float fx = static_cast<float>(x - x1) / static_cast<float>(x2 == x1 ? 1 : x2 - x1);
          uint32_t out = 0;
          for (int c = 0; c < 4; ++c) {
            auto byte = [&](int32_t rx, int32_t ry) {
              return static_cast<float>((ramp.Get(rx, ry) >> (8 * c)) & 0xFF);
            };
            const float left = (1.0f - fy) * byte(0, 0) + fy * byte(0, 1);
            const float right = (1.0f - fy) * byte(1, 0) + fy * byte(1, 1);
            out |= static_cast<uint32_t>(left * (1.0f - fx) + right * fx) << (8 * c);
          }
          want.Set(x, y, out);
        }
        if (x == x2) break;
      }
      if (y == y2) break;
    }
    ASSERT_EQ(got.Pixels(), want.Pixels()) << "seed " << seed;
  }
}

TEST(Formulas, TrianglesPixelByPixel) {
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    std::mt19937 rng(seed);
    int32_t p[6];
    for (int k = 0; k < 6; ++k) p[k] = static_cast<int32_t>(rng() % 40) - 10;
    const bool closed = seed % 2 == 0;
    TestImage got(20, 16, 1), want(20, 16, 1);
    (closed ? BBIDrawTriangleA : BBIDrawTriangle)(got.Block(), p[0], p[1], p[2], p[3], p[4], p[5], 0, 7);
    auto edge = [&](int a, int b, int32_t x, int32_t y) {
      return static_cast<int64_t>(p[2 * b] - p[2 * a]) * (y - p[2 * a + 1]) -
             static_cast<int64_t>(p[2 * b + 1] - p[2 * a + 1]) * (x - p[2 * a]);
    };
    const int64_t area = edge(0, 1, p[4], p[5]);
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < 20; ++x) {
        const int64_t e[3] = {edge(0, 1, x, y), edge(1, 2, x, y), edge(2, 0, x, y)};
        bool in = area != 0;
        for (int64_t v : e) {
          const int64_t s = area > 0 ? v : -v;
          in = in && (closed ? s >= 0 : s > 0);
        }
        if (in) want.Set(x, y, 7);
      }
    ASSERT_EQ(got.Pixels(), want.Pixels()) << "seed " << seed;
  }
}

TEST(Formulas, CircleOutlinePixelByPixel) {
  for (uint32_t seed = 1; seed <= 100; ++seed) {
    std::mt19937 rng(seed);
    const int32_t cx = static_cast<int32_t>(rng() % 60) - 20, cy = static_cast<int32_t>(rng() % 50) - 15;
    const int32_t r = static_cast<int32_t>(rng() % 30);
    TestImage got(24, 18, 1), want(24, 18, 1);
    BBIDrawPolaCircle(got.Block(), cx, cy, r, 0, 9);
    for (int32_t y = 0; y < 18; ++y)
      for (int32_t x = 0; x < 24; ++x) {
        const int64_t d4 = 4 * (int64_t{x - cx} * (x - cx) + int64_t{y - cy} * (y - cy));
        const int64_t lo = r == 0 ? 0 : int64_t{2 * r - 1} * (2 * r - 1);
        if (d4 >= lo && d4 < int64_t{2 * r + 1} * (2 * r + 1)) want.Set(x, y, 9);
      }
    ASSERT_EQ(got.Pixels(), want.Pixels()) << "seed " << seed;
  }
}

}  // namespace

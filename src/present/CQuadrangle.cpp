// CQuadrangle: the grid, the set-ups, the per-frame motion and the drawing of the cells.
#include "present/CQuadrangle.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/spLib.h"

namespace present {

namespace {

uint32_t* RowOf(uint32_t* base, int32_t stride, int32_t y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(base) + int64_t{y} * stride);
}

// d + (s - d) * a / 255 per channel, coverage kept opaque.
uint32_t Mix(uint32_t d, uint32_t s, uint32_t a) {
  uint32_t out = 0xFF000000u;
  for (int ch = 0; ch < 24; ch += 8) {
    const uint32_t sc = (s >> ch) & 0xFF, dc = (d >> ch) & 0xFF;
    uint32_t t = sc * a + dc * (255 - a) + 128;
    out |= ((t + (t >> 8)) >> 8) << ch;
  }
  return out;
}

}  // namespace

CQuadrangle::CQuadrangle(engine::spLib* root, util::CApi* api) : m_root(root), m_api(api) {
  if (m_api == nullptr && m_root != nullptr) m_api = &m_root->Api();
  if (m_api == nullptr) m_api = &m_ownApi.emplace();
  if (m_root != nullptr) {
    m_memoryOver = m_root->ViderMemoryOver.Subscribe([this] { Release(); });
    m_terminateDraw = m_root->TerminateDraw.Subscribe([this] { Release(); });
  }
}

CQuadrangle::~CQuadrangle() = default;

void CQuadrangle::Target(uint32_t* pixels, int32_t width, int32_t height, int32_t stride) {
  if (pixels == nullptr || width <= 0 || height <= 0 || stride < width * 4) {
    m_pixels = nullptr;
    return;
  }
  m_pixels = pixels;
  m_width = width;
  m_height = height;
  m_stride = stride;
}

void CQuadrangle::Target(image::CmgBBI& img) {
  Target(img.Pixels(), img.Width(), img.height(), img.XLen());
}

void CQuadrangle::Clipper(int32_t x, int32_t y, int32_t w, int32_t h) {
  m_clip.emplace();
  m_clip->Create(x, y, w, h);
}

util::CRect CQuadrangle::ClipArea() const {
  util::CRect r;
  r.Create(0, 0, m_width, m_height);
  if (m_clip) r.TrimRect(*m_clip);
  if (r.Width < 0 || r.Height < 0) r.Delete();
  return r;
}

float CQuadrangle::Rnd() { return m_api->NextUniform(); }

void CQuadrangle::Release() {
  m_picture.clear();
  m_picture.shrink_to_fit();
  m_pixels = nullptr;
}

bool CQuadrangle::Grid(int32_t cx, int32_t cy, float sx, float sy) {
  m_cells.clear();
  m_picture.clear();
  m_frame = 0;
  m_endCount = 0;
  if (m_pixels == nullptr) return false;
  m_area = ClipArea();
  if (m_area.IsZero()) return false;
  const int32_t W = m_area.Width, H = m_area.Height;
  cx = std::clamp(cx, 1, kMaxCells);
  cy = std::clamp(cy, 1, kMaxCells);
  m_cw = std::max(std::min(W / cx + (W % cx != 0 ? 1 : 0), W), 2);
  m_ch = std::max(std::min(H / cy + (H % cy != 0 ? 1 : 0), H), 2);
  m_cx = W / m_cw;
  m_cy = H / m_ch;
  float end = 1000.0f;
  const float cwf = static_cast<float>(m_cw), chf = static_cast<float>(m_ch);
  if (sx > 0 && sy > 0)
    end = std::min(cwf / sx, chf / sy);
  else if (sx > 0)
    end = cwf / sx;
  else if (sy > 0)
    end = chf / sy;
  m_endCount = static_cast<int32_t>(std::min(std::nearbyint(end), 1000.0f)) + 1;

  m_picture.resize(static_cast<size_t>(W) * static_cast<size_t>(H));
  for (int32_t y = 0; y < H; ++y)
    std::memcpy(&m_picture[static_cast<size_t>(y) * W],
                RowOf(m_pixels, m_stride, m_area.Top + y) + m_area.Left,
                static_cast<size_t>(W) * 4);

  for (int32_t j = 0; j <= m_cy; ++j) {
    for (int32_t i = 0; i <= m_cx; ++i) {
      Cell c;
      const int32_t left = i * m_cw, top = j * m_ch;
      c.src.Create(left, top, std::max(std::min(m_cw, W - left), 0),
                   std::max(std::min(m_ch, H - top), 0));
      c.x = static_cast<float>(left);
      c.y = static_cast<float>(top);
      c.w = static_cast<float>(c.src.Width);
      c.h = static_cast<float>(c.src.Height);
      c.sx = sx;
      c.sy = sy;
      c.hx = sx / 2;
      c.hy = sy / 2;
      m_cells.push_back(c);
    }
  }
  return true;
}

void CQuadrangle::SplitRgnAngle(int32_t cx, int32_t cy, float sx, float sy, float speed,
                                float angle, float spread, float ax, float ay) {
  if (!Grid(cx, cy, sx, sy)) return;
  for (Cell& c : m_cells) {
    c.a = angle + (Rnd() - 0.5f) * spread;
    c.v = (Rnd() + 0.05f) * speed;
    c.vx = c.v * std::cos(c.a);
    c.vy = -c.v * std::sin(c.a);
    c.ax = ax;
    c.ay = ay;
  }
}

void CQuadrangle::SplitRgnRand(int32_t cx, int32_t cy, float sx, float sy, float speed) {
  if (!Grid(cx, cy, sx, sy)) return;
  for (Cell& c : m_cells) {
    c.a = Rnd() * 6.2831853f;
    c.v = Rnd() * speed;
    c.vx = c.v * std::cos(c.a);
    c.vy = -c.v * std::sin(c.a);
  }
}

void CQuadrangle::SplitRgnRing(int32_t cx, int32_t cy, float sx, float sy, float speed, float fx,
                               float fy, float ax, float ay) {
  if (!Grid(cx, cy, sx, sy)) return;
  const float centreX = static_cast<float>(m_area.Width) * fx;
  const float centreY = static_cast<float>(m_area.Height) * fy;
  for (Cell& c : m_cells) {
    const float px = c.x + c.w / 2, py = c.y + c.h / 2;
    c.a = util::CApi::Math_HomingRadian(px, py, centreX, centreY);
    const float d = util::CApi::Math_Length(px, py, centreX, centreY);
    c.v = -(d / 200.0f) * Rnd() * speed;
    c.vx = c.v * std::cos(c.a);
    c.vy = -c.v * std::sin(c.a);
    c.ax = 0.1f * c.v * std::cos(c.a) + ax;
    c.ay = -0.1f * c.v * std::sin(c.a) + ay;
  }
}

void CQuadrangle::SplitRgnStatic(int32_t cx, int32_t cy, float sx, float sy, float fx, float fy) {
  if (!Grid(cx, cy, sx, sy)) return;
  fx = std::clamp(fx, 0.0f, 1.0f);
  fy = std::clamp(fy, 0.0f, 1.0f);
  for (Cell& c : m_cells) {
    c.hx = sx * fx;
    c.hy = sy * fy;
  }
}

void CQuadrangle::Step() {
  for (Cell& c : m_cells) {
    c.x += c.vx + c.hx;
    c.y += c.vy + c.hy;
    c.vx += c.ax;
    c.vy += c.ay;
    c.w -= c.sx;
    c.h -= c.sy;
  }
}

void CQuadrangle::Draw(const uint32_t* back, int32_t backStride, bool efects) {
  const int32_t W = m_area.Width, H = m_area.Height;
  // A target that shrank since the set-up is left alone.
  if (m_area.Left + W > m_width || m_area.Top + H > m_height) return;
  // The background first: black, or the picture that comes next.
  for (int32_t y = 0; y < H; ++y) {
    uint32_t* row = RowOf(m_pixels, m_stride, m_area.Top + y) + m_area.Left;
    if (back != nullptr) {
      const auto* b = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(back) +
                                                        int64_t{m_area.Top + y} * backStride) +
                      m_area.Left;
      std::memcpy(row, b, static_cast<size_t>(W) * 4);
    } else {
      std::fill(row, row + W, 0xFF000000u);
    }
  }
  const uint32_t fade =
      efects && m_endCount > 0
          ? static_cast<uint32_t>(std::clamp(255 * (m_endCount - m_frame) / m_endCount, 0, 255))
          : 255;
  if (fade == 0) return;
  for (const Cell& c : m_cells) {
    if (c.w < 0.5f || c.h < 0.5f || c.src.IsZero()) continue;
    if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.w) || !std::isfinite(c.h))
      continue;
    // Whole pixels covered by the cell, clipped to the area.
    const float x0f = std::max(c.x, 0.0f), y0f = std::max(c.y, 0.0f);
    const float x1f = std::min(c.x + c.w, static_cast<float>(W));
    const float y1f = std::min(c.y + c.h, static_cast<float>(H));
    if (x0f >= x1f || y0f >= y1f) continue;
    const auto x0 = static_cast<int32_t>(std::lrint(x0f)),
               x1 = static_cast<int32_t>(std::lrint(x1f));
    const auto y0 = static_cast<int32_t>(std::lrint(y0f)),
               y1 = static_cast<int32_t>(std::lrint(y1f));
    const float scaleX = static_cast<float>(c.src.Width) / c.w;
    const float scaleY = static_cast<float>(c.src.Height) / c.h;
    for (int32_t y = y0; y < y1; ++y) {
      const int32_t sy = std::clamp(
          static_cast<int32_t>((static_cast<float>(y) + 0.5f - c.y) * scaleY), 0, c.src.Height - 1);
      const uint32_t* srow = &m_picture[static_cast<size_t>(c.src.Top + sy) * W + c.src.Left];
      uint32_t* drow = RowOf(m_pixels, m_stride, m_area.Top + y) + m_area.Left;
      for (int32_t x = x0; x < x1; ++x) {
        const int32_t sxp =
            std::clamp(static_cast<int32_t>((static_cast<float>(x) + 0.5f - c.x) * scaleX), 0,
                       c.src.Width - 1);
        drow[x] = fade == 255 ? (srow[sxp] | 0xFF000000u) : Mix(drow[x], srow[sxp], fade);
      }
    }
  }
}

void CQuadrangle::DoCompose(bool efects) {
  ++m_frame;
  if (m_pixels == nullptr || m_picture.empty()) return;
  Step();
  Draw(nullptr, 0, efects);
}

void CQuadrangle::DoComposeCross(image::CmgBBI& After, bool efects) {
  ++m_frame;
  if (m_pixels == nullptr || m_picture.empty()) return;
  Step();
  const uint32_t* back = After.Pixels();
  const bool fits = back != nullptr && After.Width() >= m_area.Left + m_area.Width &&
                    After.height() >= m_area.Top + m_area.Height;
  Draw(fits ? back : nullptr, After.XLen(), efects);
}

}  // namespace present

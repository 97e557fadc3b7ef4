// The software rasteriser: exact integer edge functions on a 1/16-pixel grid decide coverage,
// plane equations in float give colours and texture coordinates at each sample point, and the
// span loop runs texture taps, the two stages and the blend per pixel.
#include "present/CRgbDevice.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "present/RgbPixel.h"

namespace present {

namespace {

constexpr int32_t kSub = 16;  // sub-pixel steps per pixel

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

int64_t CeilDiv(int64_t a, int64_t b) {  // b > 0
  return -FloorDiv(-a, b);
}

// A plane f(x, y) = base + dx * (x - x0) + dy * (y - y0) through three vertices' values.
struct Plane {
  float base = 0, dx = 0, dy = 0;
  [[nodiscard]] float At(float x, float y, float x0, float y0) const {
    return base + dx * (x - x0) + dy * (y - y0);
  }
};

// What a span needs: per attribute its value at the span's first pixel and its step per pixel.
// Attributes: 0..3 diffuse B, G, R, A (0..255), 4..5 stage-0 texel u, v, 6..7 stage-1 u, v.
constexpr int kAttrs = 8;

struct Span {
  uint32_t* dst = nullptr;
  int32_t count = 0;
  float start[kAttrs] = {};
  float step[kAttrs] = {};
};

struct Pipeline {
  const RenderState* state = nullptr;
  const CRgbDevice::TexelView* tex[2] = {nullptr, nullptr};
  rgb::Px factor;
  bool flatColor = false;  // corners of one colour: the diffuse is the same everywhere
};

inline uint32_t Tap(const CRgbDevice::TexelView& t, int32_t x, int32_t y) {
  x = std::clamp(x, 0, t.width - 1);
  y = std::clamp(y, 0, t.height - 1);
  return t.pixels[static_cast<size_t>(y) * static_cast<size_t>(t.stride) +
                  static_cast<size_t>(x)];
}

// Samples a texture at texel-space (u, v). Colour-keyed texels count as transparent black; the
// result is false when every tap that was read is keyed (the pixel is then not drawn).
inline bool Sample(const CRgbDevice::TexelView& t, float u, float v, bool linear, bool keyed,
                   uint32_t key, rgb::Px& out) {
  if (!linear) {
    const uint32_t c = Tap(t, static_cast<int32_t>(std::floor(u)),
                           static_cast<int32_t>(std::floor(v)));
    if (keyed && (c & 0xFFFFFFu) == key) return false;
    out = rgb::Unpack(c);
    return true;
  }
  const float s = u - 0.5f, r = v - 0.5f;
  const float fs = std::floor(s), fr = std::floor(r);
  const int32_t x0 = static_cast<int32_t>(fs), y0 = static_cast<int32_t>(fr);
  const int32_t wx = static_cast<int32_t>((s - fs) * 256.0f);
  const int32_t wy = static_cast<int32_t>((r - fr) * 256.0f);
  uint32_t taps[4] = {Tap(t, x0, y0), Tap(t, x0 + 1, y0), Tap(t, x0, y0 + 1),
                      Tap(t, x0 + 1, y0 + 1)};
  if (keyed) {
    int kept = 0;
    for (uint32_t& c : taps) {
      if ((c & 0xFFFFFFu) == key)
        c = 0;
      else
        ++kept;
    }
    if (kept == 0) return false;
  }
  const int32_t w[4] = {(256 - wx) * (256 - wy), wx * (256 - wy), (256 - wx) * wy, wx * wy};
  for (int ch = 0; ch < 4; ++ch) {
    int32_t sum = 0;
    for (int i = 0; i < 4; ++i)
      sum += static_cast<int32_t>((taps[i] >> (8 * ch)) & 0xFFu) * w[i];
    out.c[ch] = (sum + 32768) >> 16;
  }
  return true;
}

inline int32_t Channel(float v) { return std::clamp(static_cast<int32_t>(v + 0.5f), 0, 255); }

// The plain span loop: every pixel through the whole pipeline.
void SpanGeneric(const Pipeline& p, const Span& s) {
  const RenderState& st = *p.state;
  const bool stage1 = st.stage[1].colorOp != ColorOp::Disable && p.tex[1] != nullptr;
  const rgb::Px white = rgb::Unpack(0xFFFFFFFFu);
  rgb::Px diffuse;
  for (int32_t i = 0; i < s.count; ++i) {
    const float fi = static_cast<float>(i);
    if (!p.flatColor || i == 0)
      for (int ch = 0; ch < 4; ++ch) diffuse.c[ch] = Channel(s.start[ch] + s.step[ch] * fi);
    rgb::Px texel = white;
    if (p.tex[0] != nullptr &&
        !Sample(*p.tex[0], s.start[4] + s.step[4] * fi, s.start[5] + s.step[5] * fi,
                st.linearFilter, st.colorKey, st.colorKeyValue, texel))
      continue;
    rgb::Px color = rgb::RunStage(st.stage[0], texel, diffuse, diffuse, p.factor);
    if (stage1) {
      rgb::Px texel1 = white;
      (void)Sample(*p.tex[1], s.start[6] + s.step[6] * fi, s.start[7] + s.step[7] * fi,
                   st.linearFilter, false, 0, texel1);
      color = rgb::RunStage(st.stage[1], texel1, diffuse, color, p.factor);
    }
    s.dst[i] = st.blend ? rgb::Blend(st.srcBlend, st.destBlend, color, s.dst[i])
                        : rgb::Pack(color);
  }
}

// Texture shown as it is (mode 0x000 on an opaque picture, 1:1, point sampled): a row copy.
bool SpanCopy(const Pipeline& p, const Span& s) {
  const RenderState& st = *p.state;
  // The alpha is the texture's, or one vertex alpha over the whole span.
  const bool alphaFromVertex = st.stage[0].alphaOp == ColorOp::SelectArg2 && p.flatColor;
  if (st.blend || st.colorKey || st.linearFilter || p.tex[0] == nullptr ||
      st.stage[0].colorOp != ColorOp::SelectArg1 ||
      (st.stage[0].alphaOp != ColorOp::SelectArg1 && !alphaFromVertex) ||
      st.stage[1].colorOp != ColorOp::Disable || s.step[4] != 1.0f || s.step[5] != 0.0f)
    return false;
  const CRgbDevice::TexelView& t = *p.tex[0];
  const float u0 = std::floor(s.start[4]), v0 = std::floor(s.start[5]);
  if (u0 < 0 || v0 < 0 || u0 + static_cast<float>(s.count) > static_cast<float>(t.width) ||
      v0 >= static_cast<float>(t.height))
    return false;
  std::memcpy(s.dst,
              t.pixels + static_cast<size_t>(v0) * static_cast<size_t>(t.stride) +
                  static_cast<size_t>(u0),
              static_cast<size_t>(s.count) * 4);
  if (alphaFromVertex) {
    const uint32_t alpha = static_cast<uint32_t>(Channel(s.start[3])) << 24;
    for (int32_t i = 0; i < s.count; ++i) s.dst[i] = (s.dst[i] & 0xFFFFFFu) | alpha;
  }
  return true;
}

}  // namespace

void CRgbDevice::SetRenderTarget(uint32_t* pixels, int32_t width, int32_t height, int32_t pitch) {
  const bool usable = pixels != nullptr && width > 0 && height > 0 && pitch >= width * 4 &&
                      pitch % 4 == 0;
  m_target = usable ? pixels : nullptr;
  m_width = usable ? width : 0;
  m_height = usable ? height : 0;
  m_pitch = usable ? pitch / 4 : 0;
}

void CRgbDevice::SceneClear(bool target, bool zBuffer, uint32_t color) {
  (void)zBuffer;  // no depth buffer: 2-D drawing never tests depth
  if (!target || m_target == nullptr) return;
  for (int32_t y = 0; y < m_height; ++y)
    std::fill_n(m_target + static_cast<size_t>(y) * static_cast<size_t>(m_pitch), m_width, color);
}

bool CRgbDevice::PrepareTexture(int32_t stage) {
  const engine::CSurface* s = m_texture[stage];
  TexelView& view = m_view[stage];
  view = TexelView{};
  if (s == nullptr) return true;
  const uint8_t* bytes = s->Bytes();
  if (bytes == nullptr) return false;
  const engine::PixelFormat& f = s->Format();
  if (f == engine::PixelFormat::Argb8888()) {
    view = {reinterpret_cast<const uint32_t*>(bytes), s->Width(), s->Height(), s->Pitch() / 4};
    return true;
  }
  // Other layouts are converted once per content version; a texture without alpha is opaque.
  Converted& c = m_converted[stage];
  const size_t count = static_cast<size_t>(s->Width()) * static_cast<size_t>(s->Height());
  if (c.surface != s || c.version != s->Version() || c.pixels.size() != count) {
    c.surface = s;
    c.version = s->Version();
    c.pixels.resize(count);
    const bool hasAlpha = f.aMask != 0;
    for (int32_t y = 0; y < s->Height(); ++y)
      for (int32_t x = 0; x < s->Width(); ++x) {
        const uint32_t argb = s->ReadPixel(x, y);
        c.pixels[static_cast<size_t>(y) * static_cast<size_t>(s->Width()) +
                 static_cast<size_t>(x)] = hasAlpha ? argb : (argb | 0xFF000000u);
      }
  }
  view = {c.pixels.data(), s->Width(), s->Height(), s->Width()};
  return true;
}

void CRgbDevice::DrawStrip(const TLVertex* vertices, int32_t count) {
  if (vertices == nullptr || m_target == nullptr) return;
  if (!PrepareTexture(0) || !PrepareTexture(1)) return;
  for (int32_t i = 0; i + 2 < count; ++i) {
    // Odd triangles of a strip are wound the other way round; keep every triangle's winding.
    if ((i & 1) == 0)
      DrawTriangle(vertices[i], vertices[i + 1], vertices[i + 2]);
    else
      DrawTriangle(vertices[i + 1], vertices[i], vertices[i + 2]);
  }
}

void CRgbDevice::DrawIndexed(const TLVertex* vertices, int32_t count, const uint16_t* indexes,
                             int32_t indexCount) {
  if (vertices == nullptr || indexes == nullptr || m_target == nullptr) return;
  if (!PrepareTexture(0) || !PrepareTexture(1)) return;
  for (int32_t i = 0; i + 2 < indexCount; i += 3) {
    const int32_t a = indexes[i], b = indexes[i + 1], c = indexes[i + 2];
    if (a >= count || b >= count || c >= count) continue;
    DrawTriangle(vertices[a], vertices[b], vertices[c]);
  }
}

void CRgbDevice::DrawTriangle(const TLVertex& va, const TLVertex& vb, const TLVertex& vc) {
  // Vertices beyond this range are not drawn: the fixed-point edge terms must stay exact.
  constexpr float kLimit = 1 << 20;
  const TLVertex* v[3] = {&va, &vb, &vc};
  int64_t X[3], Y[3];
  for (int i = 0; i < 3; ++i) {
    if (!(std::fabs(v[i]->sx) < kLimit && std::fabs(v[i]->sy) < kLimit)) return;
    X[i] = std::lround(v[i]->sx * kSub);
    Y[i] = std::lround(v[i]->sy * kSub);
  }
  int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
  if (area == 0) return;
  // With y downwards a positive area is a clockwise triangle on screen.
  if (m_state.cullMode == kCullClockwise && area > 0) return;
  if (m_state.cullMode == kCullCounterClockwise && area < 0) return;
  if (area < 0) {
    std::swap(v[1], v[2]);
    std::swap(X[1], X[2]);
    std::swap(Y[1], Y[2]);
    area = -area;
  }

  // Pixels this triangle may touch: the target, the scissor, the bounding box.
  int32_t cx0 = 0, cy0 = 0, cx1 = m_width, cy1 = m_height;
  if (m_state.clipX1 > m_state.clipX0 && m_state.clipY1 > m_state.clipY0) {
    cx0 = std::max(cx0, m_state.clipX0);
    cy0 = std::max(cy0, m_state.clipY0);
    cx1 = std::min(cx1, m_state.clipX1);
    cy1 = std::min(cy1, m_state.clipY1);
  }
  const int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
  const int64_t yStart = std::max<int64_t>(cy0, CeilDiv(minY, kSub));
  const int64_t yEnd = std::min<int64_t>(cy1 - 1, FloorDiv(maxY, kSub));
  if (yStart > yEnd || cx0 >= cx1) return;

  // Edge i runs from vertex i to vertex i+1; inside is E >= 0 on top and left edges, E > 0 on
  // the others, so a sample on an edge shared by two triangles belongs to exactly one of them.
  struct Edge {
    int64_t a = 0, b = 0, c = 0;  // E(px, py) = a * px + b * py + c, in sub-pixel units
  } edges[3];
  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    Edge& e = edges[i];
    e.a = -(Y[j] - Y[i]);
    e.b = X[j] - X[i];
    e.c = (Y[j] - Y[i]) * X[i] - (X[j] - X[i]) * Y[i];
    const bool topLeft = e.a > 0 || (e.a == 0 && e.b > 0);
    if (!topLeft) e.c -= 1;  // E > 0 becomes E - 1 >= 0
  }

  // Attribute planes over the snapped positions.
  const float fx[3] = {static_cast<float>(X[0]) / kSub, static_cast<float>(X[1]) / kSub,
                       static_cast<float>(X[2]) / kSub};
  const float fy[3] = {static_cast<float>(Y[0]) / kSub, static_cast<float>(Y[1]) / kSub,
                       static_cast<float>(Y[2]) / kSub};
  const float fArea = static_cast<float>(area) / (kSub * kSub);
  float values[kAttrs][3];
  for (int i = 0; i < 3; ++i) {
    const rgb::Px c = rgb::Unpack(v[i]->color);
    for (int ch = 0; ch < 4; ++ch) values[ch][i] = static_cast<float>(c.c[ch]);
    values[4][i] = v[i]->tu * static_cast<float>(m_view[0].width);
    values[5][i] = v[i]->tv * static_cast<float>(m_view[0].height);
    values[6][i] = v[i]->tu * static_cast<float>(m_view[1].width);
    values[7][i] = v[i]->tv * static_cast<float>(m_view[1].height);
  }
  Plane planes[kAttrs];
  for (int k = 0; k < kAttrs; ++k) {
    const float d1 = values[k][1] - values[k][0], d2 = values[k][2] - values[k][0];
    planes[k].base = values[k][0];
    planes[k].dx = (d1 * (fy[2] - fy[0]) - d2 * (fy[1] - fy[0])) / fArea;
    planes[k].dy = (d2 * (fx[1] - fx[0]) - d1 * (fx[2] - fx[0])) / fArea;
  }

  Pipeline pipe;
  pipe.state = &m_state;
  pipe.tex[0] = m_texture[0] != nullptr ? &m_view[0] : nullptr;
  pipe.tex[1] = m_texture[1] != nullptr ? &m_view[1] : nullptr;
  pipe.factor = rgb::Unpack(m_state.factor);
  pipe.flatColor = va.color == vb.color && va.color == vc.color;

  for (int64_t y = yStart; y <= yEnd; ++y) {
    const int64_t py = y * kSub;
    int64_t xl = cx0, xr = cx1 - 1;
    for (const Edge& e : edges) {
      const int64_t k = e.b * py + e.c;  // E = a * 16x + k >= 0
      if (e.a > 0)
        xl = std::max(xl, CeilDiv(-k, e.a * kSub));
      else if (e.a < 0)
        xr = std::min(xr, FloorDiv(k, -e.a * kSub));
      else if (k < 0)
        xr = xl - 1;
    }
    if (xl > xr) continue;
    Span s;
    s.dst = m_target + static_cast<size_t>(y) * static_cast<size_t>(m_pitch) +
            static_cast<size_t>(xl);
    s.count = static_cast<int32_t>(xr - xl + 1);
    const float sx = static_cast<float>(xl), sy = static_cast<float>(y);
    for (int k = 0; k < kAttrs; ++k) {
      s.start[k] = planes[k].At(sx, sy, fx[0], fy[0]);
      s.step[k] = planes[k].dx;
    }
    if (!SpanCopy(pipe, s)) SpanGeneric(pipe, s);
  }
}

}  // namespace present

// The software rasteriser: exact integer edge functions on a 1/16-pixel grid decide coverage,
// plane equations in float give colours and texture coordinates at each sample point, and the
// span loop runs texture taps, the two stages and the blend per pixel.
#include "present/CRgbDevice.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "present/RgbPixel.h"
#include "present/RgbSpan.h"

namespace present {

namespace {

using rgbspan::FastBlend;
using rgbspan::kAttrs;
using rgbspan::Pipeline;
using rgbspan::Span;
using rgbspan::SpanPointFn;

constexpr int32_t kSub = 16;  // sub-pixel steps per pixel

// floor(a / b) for b > 0. The edge terms stay far below 2^53, so the double quotient is off by
// at most one, which the integer check puts right; it saves a 64-bit division per edge and row.
int64_t FloorDiv(int64_t a, int64_t b) {
  auto q = static_cast<int64_t>(std::floor(static_cast<double>(a) / static_cast<double>(b)));
  if (q * b > a) --q;
  else if ((q + 1) * b <= a) ++q;
  return q;
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

// The common sprite span, specialised: point sampling along one texture row (an axis-aligned
// quad, scaled or not), the colour operation and the blend pair fixed at compile time. Every
// value is computed by the same expressions as the plain loop, so the two agree bit for bit.

template <ColorOp kOp, FastBlend kBlend>
void SpanPoint(const Pipeline& p, const Span& s, const uint32_t* row, ColorOp alphaOp) {
  const bool flat = p.flatColor;
  int32_t d[4] = {Channel(s.start[0]), Channel(s.start[1]), Channel(s.start[2]),
                  Channel(s.start[3])};
  for (int32_t i = 0; i < s.count; ++i) {
    const float fi = static_cast<float>(i);
    if (!flat)
      for (int ch = 0; ch < 4; ++ch) d[ch] = Channel(s.start[ch] + s.step[ch] * fi);
    // Taps are known to be at u >= 0, where truncation is the floor.
    const uint32_t t = row[static_cast<int32_t>(s.start[4] + s.step[4] * fi)];
    const int32_t tc[4] = {static_cast<int32_t>(t & 0xFFu), static_cast<int32_t>((t >> 8) & 0xFFu),
                           static_cast<int32_t>((t >> 16) & 0xFFu), static_cast<int32_t>(t >> 24)};
    int32_t c[4];
    for (int ch = 0; ch < 3; ++ch) {
      if constexpr (kOp == ColorOp::SelectArg1) c[ch] = tc[ch];
      else if constexpr (kOp == ColorOp::SelectArg2) c[ch] = d[ch];
      else if constexpr (kOp == ColorOp::Modulate) c[ch] = rgb::Mul(tc[ch], d[ch]);
      else if constexpr (kOp == ColorOp::Add) c[ch] = std::min(255, tc[ch] + d[ch]);
      else c[ch] = rgb::Clamp255(tc[ch] + d[ch] - 128);
    }
    c[3] = alphaOp == ColorOp::SelectArg1 ? tc[3]
           : alphaOp == ColorOp::SelectArg2 ? d[3]
                                            : rgb::Mul(tc[3], d[3]);
    uint32_t& out = s.dst[i];
    if constexpr (kBlend == FastBlend::None) {
      out = static_cast<uint32_t>(c[0]) | static_cast<uint32_t>(c[1]) << 8 |
            static_cast<uint32_t>(c[2]) << 16 | static_cast<uint32_t>(c[3]) << 24;
    } else {
      const int32_t a = c[3];
      if (a == 0 && kBlend == FastBlend::AlphaAdd) continue;
      const uint32_t o = out;
      uint32_t r = 0;
      for (int ch = 0; ch < 4; ++ch) {
        const int32_t dc = static_cast<int32_t>((o >> (8 * ch)) & 0xFFu);
        const int32_t v = kBlend == FastBlend::Alpha
                              ? rgb::Div255(c[ch] * a + dc * (255 - a))
                              : std::min(255, rgb::Div255(c[ch] * a + dc * 255));
        r |= static_cast<uint32_t>(v) << (8 * ch);
      }
      out = r;
    }
  }
}


template <FastBlend kBlend>
SpanPointFn PickOp(ColorOp op) {
  switch (op) {
    case ColorOp::SelectArg1: return SpanPoint<ColorOp::SelectArg1, kBlend>;
    case ColorOp::SelectArg2: return SpanPoint<ColorOp::SelectArg2, kBlend>;
    case ColorOp::Modulate: return SpanPoint<ColorOp::Modulate, kBlend>;
    case ColorOp::Add: return SpanPoint<ColorOp::Add, kBlend>;
    case ColorOp::AddSigned: return SpanPoint<ColorOp::AddSigned, kBlend>;
    default: return nullptr;
  }
}

#if defined(__SSE2__)
// The same span two pixels at a time in 16-bit lanes (SSE2 is part of every x86-64). Sums stay
// below 65536, where ((x + 128) + ((x + 128) >> 8)) >> 8 is exactly round(x / 255).
inline __m128i Div255x8(__m128i x) {
  const __m128i t = _mm_add_epi16(x, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Diffuse of pixel i as four 32-bit lanes B, G, R, A, by the plain loop's expression.
inline __m128i DiffuseAt(const Span& s, float fi) {
  const __m128 v = _mm_add_ps(_mm_add_ps(_mm_loadu_ps(s.start), _mm_mul_ps(_mm_loadu_ps(s.step),
                                                                           _mm_set1_ps(fi))),
                              _mm_set1_ps(0.5f));
  return _mm_cvttps_epi32(v);
}

template <ColorOp kOp, FastBlend kBlend>
void SpanPointSse2(const Pipeline& p, const Span& s, const uint32_t* row, ColorOp alphaOp) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
  const __m128i c255 = _mm_set1_epi16(255);
  __m128i flatD = zero;
  if (p.flatColor) {
    const __m128i d = _mm_packs_epi32(DiffuseAt(s, 0), zero);  // 16-bit lanes, clamped below
    flatD = _mm_unpacklo_epi64(d, d);
    flatD = _mm_min_epi16(_mm_max_epi16(flatD, zero), c255);
  }
  // A 1:1 span starting on a whole texel reads texels u0, u0 + 1, ... exactly (whole numbers
  // below 2^24 add exactly in float), so pairs are loaded at once.
  const bool unitStep = s.step[4] == 1.0f && s.start[4] == std::floor(s.start[4]);
  const auto u0 = static_cast<int32_t>(s.start[4]);
  for (int32_t i = 0; i < s.count; i += 2) {
    const bool pair = i + 1 < s.count;
    const float f0 = static_cast<float>(i), f1 = static_cast<float>(pair ? i + 1 : i);
    __m128i t;
    if (unitStep && pair) {
      t = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + u0 + i)), zero);
    } else {
      const uint32_t t0 = row[static_cast<int32_t>(s.start[4] + s.step[4] * f0)];
      const uint32_t t1 = row[static_cast<int32_t>(s.start[4] + s.step[4] * f1)];
      t = _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(t0)),
                                               _mm_cvtsi32_si128(static_cast<int>(t1))),
                            zero);
    }
    __m128i d = flatD;
    if (!p.flatColor) {
      d = _mm_packs_epi32(DiffuseAt(s, f0), DiffuseAt(s, f1));
      d = _mm_min_epi16(_mm_max_epi16(d, zero), c255);
    }
    __m128i c;
    if constexpr (kOp == ColorOp::SelectArg1) c = t;
    else if constexpr (kOp == ColorOp::SelectArg2) c = d;
    else if constexpr (kOp == ColorOp::Modulate) c = Div255x8(_mm_mullo_epi16(t, d));
    else if constexpr (kOp == ColorOp::Add) c = _mm_min_epi16(_mm_add_epi16(t, d), c255);
    else c = _mm_min_epi16(_mm_max_epi16(_mm_sub_epi16(_mm_add_epi16(t, d), _mm_set1_epi16(128)),
                                         zero), c255);
    const __m128i a = alphaOp == ColorOp::SelectArg1   ? t
                      : alphaOp == ColorOp::SelectArg2 ? d
                                                       : Div255x8(_mm_mullo_epi16(t, d));
    c = _mm_or_si128(_mm_andnot_si128(alphaLanes, c), _mm_and_si128(alphaLanes, a));
    uint32_t* out = s.dst + i;
    __m128i result;
    if constexpr (kBlend == FastBlend::None) {
      result = c;
    } else {
      __m128i sa = _mm_shufflelo_epi16(c, _MM_SHUFFLE(3, 3, 3, 3));
      sa = _mm_shufflehi_epi16(sa, _MM_SHUFFLE(3, 3, 3, 3));
      const __m128i dst = _mm_unpacklo_epi8(
          pair ? _mm_loadl_epi64(reinterpret_cast<const __m128i*>(out))
               : _mm_cvtsi32_si128(static_cast<int>(out[0])),
          zero);
      if constexpr (kBlend == FastBlend::Alpha)
        result = Div255x8(_mm_add_epi16(_mm_mullo_epi16(c, sa),
                                        _mm_mullo_epi16(dst, _mm_sub_epi16(c255, sa))));
      else
        result = _mm_min_epi16(_mm_add_epi16(dst, Div255x8(_mm_mullo_epi16(c, sa))), c255);
    }
    const __m128i packed = _mm_packus_epi16(result, zero);
    if (pair)
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
    else
      out[0] = static_cast<uint32_t>(_mm_cvtsi128_si32(packed));
  }
}

template <FastBlend kBlend>
SpanPointFn PickOpSse2(ColorOp op) {
  switch (op) {
    case ColorOp::SelectArg1: return SpanPointSse2<ColorOp::SelectArg1, kBlend>;
    case ColorOp::SelectArg2: return SpanPointSse2<ColorOp::SelectArg2, kBlend>;
    case ColorOp::Modulate: return SpanPointSse2<ColorOp::Modulate, kBlend>;
    case ColorOp::Add: return SpanPointSse2<ColorOp::Add, kBlend>;
    case ColorOp::AddSigned: return SpanPointSse2<ColorOp::AddSigned, kBlend>;
    default: return nullptr;
  }
}
#endif

bool SpanFast(const Pipeline& p, const Span& s) {
  const RenderState& st = *p.state;
  if (st.colorKey || st.linearFilter || p.tex[0] == nullptr || s.step[5] != 0.0f ||
      st.stage[1].colorOp != ColorOp::Disable)
    return false;
  const ColorOp alphaOp = st.stage[0].alphaOp;
  if (alphaOp != ColorOp::SelectArg1 && alphaOp != ColorOp::SelectArg2 &&
      alphaOp != ColorOp::Modulate)
    return false;
  SpanPointFn fn = nullptr;
  const ColorOp op = st.stage[0].colorOp;
  FastBlend blend = FastBlend::None;
  if (!st.blend)
    blend = FastBlend::None;
  else if (st.srcBlend == BlendFactor::SrcAlpha && st.destBlend == BlendFactor::InvSrcAlpha)
    blend = FastBlend::Alpha;
  else if (st.srcBlend == BlendFactor::SrcAlpha && st.destBlend == BlendFactor::One)
    blend = FastBlend::AlphaAdd;
  else
    return false;
  if (p.path == CRgbDevice::SpanPath::Avx2) fn = rgbspan::PickSpanAvx2(blend, op);
#if defined(__SSE2__)
  if (fn == nullptr && (p.path == CRgbDevice::SpanPath::Sse2 ||
                        p.path == CRgbDevice::SpanPath::Avx2))
    fn = blend == FastBlend::None    ? PickOpSse2<FastBlend::None>(op)
         : blend == FastBlend::Alpha ? PickOpSse2<FastBlend::Alpha>(op)
                                     : PickOpSse2<FastBlend::AlphaAdd>(op);
#endif
  if (fn == nullptr)
    fn = blend == FastBlend::None    ? PickOp<FastBlend::None>(op)
         : blend == FastBlend::Alpha ? PickOp<FastBlend::Alpha>(op)
                                     : PickOp<FastBlend::AlphaAdd>(op);
  if (fn == nullptr) return false;
  // Every tap must lie inside the texture: then no clamping is needed along the span.
  const CRgbDevice::TexelView& t = *p.tex[0];
  const float v = std::floor(s.start[5]);
  const float uFirst = std::floor(s.start[4]);
  const float uLast = std::floor(s.start[4] + s.step[4] * static_cast<float>(s.count - 1));
  if (v < 0 || v >= static_cast<float>(t.height) || std::min(uFirst, uLast) < 0 ||
      std::max(uFirst, uLast) >= static_cast<float>(t.width))
    return false;
  fn(p, s, t.pixels + static_cast<size_t>(v) * static_cast<size_t>(t.stride), alphaOp);
  return true;
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

bool CRgbDevice::HasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

CRgbDevice::SpanPath CRgbDevice::BestPath() {
  // TUMBLEROO_DISABLE=avx2, =sse2 (or =fast) forces the slower loops, for checks and comparisons.
  const char* off = std::getenv("TUMBLEROO_DISABLE");
  const std::string disabled = off != nullptr ? off : "";
  if (disabled.find("fast") != std::string::npos) return SpanPath::Reference;
  // The AVX2 path leans on the SSE2 one for what it lacks: turning SSE2 off turns both off.
  if (disabled.find("sse2") != std::string::npos) return SpanPath::Scalar;
  if (disabled.find("avx2") == std::string::npos && HasAvx2()) return SpanPath::Avx2;
#if defined(__SSE2__)
  return SpanPath::Sse2;
#endif
  return SpanPath::Scalar;
}

CRgbDevice::CRgbDevice() : m_path(BestPath()) {}

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

void CRgbDevice::ForgetTexture(const engine::CSurface* surface) {
  for (Converted& c : m_converted)
    if (c.surface == surface) c = Converted{};
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
  pipe.path = m_path;

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
    if (m_path == SpanPath::Reference || (!SpanCopy(pipe, s) && !SpanFast(pipe, s)))
      SpanGeneric(pipe, s);
  }
}

}  // namespace present

// The software 3-D device: the render modes' decoding, every blend pair and stage operation
// against a model written from the formulas in real arithmetic, colour keying, the fill rule,
// point and bilinear filtering, corner colours, culling, texture layouts, and a golden frame.
#include "present/CRgbDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/CSurface.h"
#include "present/GoldenScene.h"

namespace {

using engine::CSurface;
using engine::PixelFormat;
using present::BlendFactor;
using present::CIMDevice;
using present::ColorOp;
using present::CRgbDevice;
using present::RenderState;
using present::StageArg;
using present::TLVertex;

struct Target {
  int32_t w, h;
  std::vector<uint32_t> px;
  Target(int32_t width, int32_t height, uint32_t fill = 0)
      : w(width), h(height), px(static_cast<size_t>(width) * height, fill) {}
  uint32_t& at(int32_t x, int32_t y) { return px[static_cast<size_t>(y) * w + x]; }
  void Bind(CRgbDevice& d) { d.SetRenderTarget(px.data(), w, h, w * 4); }
};

std::unique_ptr<CSurface> MakeTexture(int32_t w, int32_t h, const std::vector<uint32_t>& argb) {
  auto s = std::make_unique<CSurface>(w, h, PixelFormat::Argb8888(), true);
  uint8_t* p = s->Lock();
  for (int32_t y = 0; y < h; ++y)
    std::memcpy(p + static_cast<size_t>(y) * s->Pitch(), argb.data() + static_cast<size_t>(y) * w,
                static_cast<size_t>(w) * 4);
  s->Unlock();
  return s;
}

// A quad as a strip: corners top-left, top-right, bottom-left, bottom-right.
void DrawQuad(CIMDevice& d, float x0, float y0, float x1, float y1, const uint32_t colors[4],
              float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1) {
  const TLVertex v[4] = {CIMDevice::TLVERTEX(x0, y0, colors[0], u0, v0),
                         CIMDevice::TLVERTEX(x1, y0, colors[1], u1, v0),
                         CIMDevice::TLVERTEX(x0, y1, colors[2], u0, v1),
                         CIMDevice::TLVERTEX(x1, y1, colors[3], u1, v1)};
  d.DrawStrip(v, 4);
}

void DrawQuad(CIMDevice& d, float x0, float y0, float x1, float y1, uint32_t color) {
  const uint32_t c[4] = {color, color, color, color};
  DrawQuad(d, x0, y0, x1, y1, c);
}

// Random pixels heavy in the extremes.
uint32_t RandomPixel(std::mt19937& rng) {
  uint32_t v = 0;
  for (int ch = 0; ch < 4; ++ch) {
    const uint32_t r = rng() % 8;
    const uint32_t c = r == 0 ? 0 : r == 1 ? 255 : rng() % 256;
    v |= c << (8 * ch);
  }
  return v;
}

double Ch(uint32_t argb, int ch) { return ((argb >> (8 * ch)) & 0xFFu) / 255.0; }

// The model: channels on [0, 1], ops and blends as the formulas say; `ch` 0..2 B, G, R, 3 A.
double StageOp(uint32_t op, double tex, double dif, double texAlpha, double factorAlpha) {
  switch (op) {
    case 0: return tex;
    case 1: return dif;
    case 2: return tex * dif;
    case 3: return std::min(1.0, 2 * tex * dif);
    case 4: return std::min(1.0, 4 * tex * dif);
    case 5: return std::min(1.0, tex + dif);
    case 6: return std::max(0.0, tex - dif);
    case 7: return std::clamp(tex + dif - 0.5, 0.0, 1.0);
    case 8: return tex * texAlpha + dif * (1 - texAlpha);
    case 9: return tex * factorAlpha + dif * (1 - factorAlpha);
    default: return -1;
  }
}

uint32_t ModelPixel(uint32_t mode, uint32_t tex, uint32_t dif, uint32_t dst, uint32_t factor) {
  double src[4];
  for (int ch = 0; ch < 3; ++ch)
    src[ch] = StageOp((mode >> 4) & 15, Ch(tex, ch), Ch(dif, ch), Ch(tex, 3), Ch(factor, 3));
  const uint32_t alphaOp = (mode >> 8) & 15;
  src[3] = alphaOp == 0 ? Ch(dif, 3) : alphaOp == 1 ? Ch(tex, 3) : Ch(tex, 3) * Ch(dif, 3);
  double out[4];
  for (int ch = 0; ch < 4; ++ch) {
    const double s = src[ch], d = Ch(dst, ch), as = src[3];
    double fs = 1, fd = 0;
    switch (mode & 7) {
      case 0: fs = 1; fd = 0; break;
      case 1: fs = as; fd = 1 - as; break;
      case 2: fs = s; fd = 1 - s; break;
      case 3: fs = d; fd = 1 - d; break;
      case 4: fs = 1; fd = 1; break;
      case 5: fs = as; fd = 1; break;
      case 6: fs = s; fd = 1; break;
      case 7: fs = d; fd = 1; break;
    }
    out[ch] = std::min(1.0, s * fs + d * fd);
  }
  uint32_t r = 0;
  for (int ch = 0; ch < 4; ++ch) r |= static_cast<uint32_t>(std::lround(out[ch] * 255)) << (8 * ch);
  return r;
}

int MaxChannelDiff(uint32_t a, uint32_t b) {
  int m = 0;
  for (int ch = 0; ch < 4; ++ch)
    m = std::max(m, std::abs(static_cast<int>((a >> (8 * ch)) & 0xFF) -
                             static_cast<int>((b >> (8 * ch)) & 0xFF)));
  return m;
}

TEST(RenderMode, DecodesBlendKeyAndStageOperations) {
  struct Case {
    uint32_t mode;
    bool blend;
    BlendFactor src, dst;
    ColorOp color, alpha;
  };
  const Case cases[] = {
      {0x070, false, BlendFactor::One, BlendFactor::Zero, ColorOp::AddSigned, ColorOp::SelectArg2},
      {0x101, true, BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha, ColorOp::SelectArg1,
       ColorOp::SelectArg1},
      {0x151, true, BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha, ColorOp::Add,
       ColorOp::SelectArg1},
      {0x271, true, BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha, ColorOp::AddSigned,
       ColorOp::Modulate},
      {0x211, true, BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha, ColorOp::SelectArg2,
       ColorOp::Modulate},
      {0x215, true, BlendFactor::SrcAlpha, BlendFactor::One, ColorOp::SelectArg2,
       ColorOp::Modulate},
      {0x011, true, BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha, ColorOp::SelectArg2,
       ColorOp::SelectArg2},
      {0x015, true, BlendFactor::SrcAlpha, BlendFactor::One, ColorOp::SelectArg2,
       ColorOp::SelectArg2},
      {0x002, true, BlendFactor::SrcColor, BlendFactor::InvSrcColor, ColorOp::SelectArg1,
       ColorOp::SelectArg2},
      {0x093, true, BlendFactor::DestColor, BlendFactor::InvDestColor,
       ColorOp::BlendFactorAlpha, ColorOp::SelectArg2},
      {0x086, true, BlendFactor::SrcColor, BlendFactor::One, ColorOp::BlendTextureAlpha,
       ColorOp::SelectArg2},
      {0x027, true, BlendFactor::DestColor, BlendFactor::One, ColorOp::Modulate,
       ColorOp::SelectArg2},
  };
  for (const Case& c : cases) {
    CRgbDevice d;
    d.SetRenderMode(c.mode);
    const RenderState& s = d.State();
    EXPECT_EQ(s.blend, c.blend) << std::hex << c.mode;
    EXPECT_EQ(s.srcBlend, c.src) << std::hex << c.mode;
    EXPECT_EQ(s.destBlend, c.dst) << std::hex << c.mode;
    EXPECT_EQ(s.stage[0].colorOp, c.color) << std::hex << c.mode;
    EXPECT_EQ(s.stage[0].alphaOp, c.alpha) << std::hex << c.mode;
    EXPECT_FALSE(s.colorKey);
  }
}

TEST(RenderMode, ResetsArgumentsDisablesStageOneAndKeepsOutOfRangeOperations) {
  CRgbDevice d;
  d.SetRenderModeSecondTexture(0x020);
  EXPECT_EQ(d.State().stage[1].colorOp, ColorOp::Modulate);
  EXPECT_EQ(d.State().stage[1].colorArg2, StageArg::Current);
  d.SetRenderMode(0x158);  // colour key, add, texture alpha
  EXPECT_TRUE(d.State().colorKey);
  EXPECT_FALSE(d.State().blend);
  EXPECT_EQ(d.State().stage[1].colorOp, ColorOp::Disable);
  EXPECT_EQ(d.State().stage[0].colorArg1, StageArg::Texture);
  EXPECT_EQ(d.State().stage[0].colorArg2, StageArg::Diffuse);
  d.SetRenderMode(0xFA0);  // operations 10 and 15: left as they were
  EXPECT_EQ(d.State().stage[0].colorOp, ColorOp::Add);
  EXPECT_EQ(d.State().stage[0].alphaOp, ColorOp::SelectArg1);
  EXPECT_FALSE(d.State().colorKey);
}

// Every blend pair with every colour operation and alpha operation, and the modes the game uses,
// over random textures, targets and corner colours.
TEST(RgbDevice, EveryModeMatchesThePerPixelModel) {
  constexpr int32_t W = 24, H = 9;
  std::vector<uint32_t> modes = {0x070, 0x101, 0x151, 0x271, 0x211, 0x215, 0x011, 0x015};
  for (uint32_t blend = 0; blend < 8; ++blend)
    for (uint32_t op = 0; op < 10; ++op) modes.push_back(blend | op << 4 | (op % 3) << 8);
  std::mt19937 rng(7);
  for (const uint32_t mode : modes) {
    std::vector<uint32_t> texels(W * H);
    for (uint32_t& t : texels) t = RandomPixel(rng);
    const auto tex = MakeTexture(W, H, texels);
    Target target(W, H);
    for (uint32_t& p : target.px) p = RandomPixel(rng);
    const std::vector<uint32_t> before = target.px;
    const uint32_t color = RandomPixel(rng), factor = RandomPixel(rng);
    CRgbDevice d;
    target.Bind(d);
    d.SetTexture(tex.get());
    d.FactorColor(factor);
    d.SetRenderMode(mode);
    DrawQuad(d, 0, 0, W, H, color);
    for (int32_t y = 0; y < H; ++y)
      for (int32_t x = 0; x < W; ++x) {
        const size_t i = static_cast<size_t>(y) * W + x;
        const uint32_t want = ModelPixel(mode, texels[i], color, before[i], factor);
        ASSERT_LE(MaxChannelDiff(target.px[i], want), 2)
            << std::hex << "mode 0x" << mode << " at " << std::dec << x << "," << y << std::hex
            << " got 0x" << target.px[i] << " want 0x" << want << " tex 0x" << texels[i]
            << " diffuse 0x" << color << " dst 0x" << before[i];
      }
  }
}

TEST(RgbDevice, ColorKeyDropsKeyedTexelsWithPointAndLinearFiltering) {
  const uint32_t key = 0x00FF00FFu;
  // Left column keyed, right column opaque white; drawn 1:1 and stretched.
  const std::vector<uint32_t> texels = {0xFFFF00FFu, 0xFFFFFFFFu, 0x00FF00FFu, 0xFFFFFFFFu};
  const auto tex = MakeTexture(2, 2, texels);
  for (const bool linear : {false, true}) {
    Target target(8, 2, 0xFF000000u);
    CRgbDevice d;
    target.Bind(d);
    d.SetTexture(tex.get());
    d.SetColorKeyValue(key);
    d.SetFilterMode(linear);
    d.SetRenderMode(0x108);  // no blend, colour key, texture colour and alpha
    DrawQuad(d, 0, 0, 8, 2, 0xFFFFFFFFu);
    for (int32_t y = 0; y < 2; ++y) {
      EXPECT_EQ(target.at(0, y), 0xFF000000u) << "keyed texels leave the target as it was";
      EXPECT_EQ(target.at(7, y), 0xFFFFFFFFu);
    }
    if (linear) {
      EXPECT_EQ(target.at(4, 0) >> 24, 0x80u) << "a keyed tap weighs as transparent";
    }
  }
}

// Quads on a grid of random sub-pixel lines, added one by one: every covered pixel is counted
// exactly once, whatever the fractions.
TEST(RgbDevice, AdjacentQuadsNeitherOverlapNorLeaveGaps) {
  std::mt19937 rng(11);
  for (int round = 0; round < 20; ++round) {
    // Lines on the device's 1/16-pixel grid, so the expected coverage is exact.
    std::vector<float> xs = {1.0f + static_cast<float>(rng() % 16) / 16},
                       ys = {1.0f + static_cast<float>(rng() % 16) / 16};
    for (int i = 0; i < 6; ++i) {
      xs.push_back(xs.back() + static_cast<float>(1 + rng() % 120) / 16);
      ys.push_back(ys.back() + static_cast<float>(1 + rng() % 120) / 16);
    }
    Target target(64, 64, 0);
    CRgbDevice d;
    target.Bind(d);
    d.SetRenderMode(0x014);  // add the vertex colour
    for (size_t i = 0; i + 1 < xs.size(); ++i)
      for (size_t j = 0; j + 1 < ys.size(); ++j)
        DrawQuad(d, xs[i], ys[j], xs[i + 1], ys[j + 1], 0x01010101u);
    for (int32_t y = 0; y < 64; ++y)
      for (int32_t x = 0; x < 64; ++x) {
        const bool inside = x >= std::ceil(xs.front()) && x < std::ceil(xs.back()) &&
                            y >= std::ceil(ys.front()) && y < std::ceil(ys.back());
        const uint32_t want = inside ? 0x01010101u : 0;
        ASSERT_EQ(target.at(x, y), want) << "round " << round << " at " << x << "," << y;
      }
  }
}

TEST(RgbDevice, CentredPictureCoversItsRectangleExactly) {
  // A 64 x 32 picture centred on (100, 100) lies over (68, 84) to (132, 116).
  Target target(200, 200, 0);
  CRgbDevice d;
  target.Bind(d);
  d.SetRenderMode(0x010);
  DrawQuad(d, 100 - 32, 100 - 16, 100 + 32, 100 + 16, 0xFFFFFFFFu);
  int32_t minX = 999, minY = 999, maxX = -1, maxY = -1;
  for (int32_t y = 0; y < 200; ++y)
    for (int32_t x = 0; x < 200; ++x)
      if (target.at(x, y) != 0) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  EXPECT_EQ(minX, 68);
  EXPECT_EQ(minY, 84);
  EXPECT_EQ(maxX + 1, 132);
  EXPECT_EQ(maxY + 1, 116);
}

TEST(RgbDevice, PointFilterRepeatsTexelsAndLinearFilterInterpolates) {
  const auto tex = MakeTexture(2, 1, {0xFF000000u, 0xFFFFFFFFu});
  Target target(8, 1, 0);
  CRgbDevice d;
  target.Bind(d);
  d.SetTexture(tex.get());
  d.SetRenderMode(0x100);
  DrawQuad(d, 0, 0, 8, 1, 0xFFFFFFFFu);
  for (int32_t x = 0; x < 8; ++x)
    EXPECT_EQ(target.at(x, 0), x < 4 ? 0xFF000000u : 0xFFFFFFFFu) << x;

  d.SetFilterMode(true);
  DrawQuad(d, 0, 0, 8, 1, 0xFFFFFFFFu);
  // Texel centres at u = 0.25 and 0.75 (pixels 2 and 6); clamped outside, a ramp between.
  const int expect[8] = {0, 0, 0, 64, 128, 191, 255, 255};
  for (int32_t x = 0; x < 8; ++x) EXPECT_NEAR(static_cast<int>(target.at(x, 0) & 0xFF), expect[x], 1) << x;
}

TEST(RgbDevice, CornerColoursInterpolateAcrossTheQuad) {
  Target target(33, 33, 0);
  CRgbDevice d;
  target.Bind(d);
  d.SetRenderMode(0x010);
  const uint32_t corners[4] = {0xFF000000u, 0xFF0000FFu, 0xFF00FF00u, 0xFF00FFFFu};
  DrawQuad(d, 0, 0, 32, 32, corners);
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 32; ++x) {
      const uint32_t c = target.at(x, y);
      EXPECT_NEAR(static_cast<int>(c & 0xFF), x * 255 / 32, 1) << x << "," << y;
      EXPECT_NEAR(static_cast<int>((c >> 8) & 0xFF), y * 255 / 32, 1) << x << "," << y;
    }
}

TEST(RgbDevice, CullingDropsTheChosenWinding) {
  // (0,0) (10,0) (0,10) is clockwise on a screen whose y grows downwards.
  const TLVertex cw[3] = {CIMDevice::TLVERTEX(0, 0, 0xFFFFFFFFu, 0, 0),
                          CIMDevice::TLVERTEX(10, 0, 0xFFFFFFFFu, 0, 0),
                          CIMDevice::TLVERTEX(0, 10, 0xFFFFFFFFu, 0, 0)};
  const TLVertex ccw[3] = {cw[0], cw[2], cw[1]};
  struct Case {
    int32_t mode;
    bool cwDrawn, ccwDrawn;
  } cases[] = {{CIMDevice::kCullNone, true, true},
               {CIMDevice::kCullClockwise, false, true},
               {CIMDevice::kCullCounterClockwise, true, false}};
  for (const Case& c : cases) {
    for (int which = 0; which < 2; ++which) {
      Target target(16, 16, 0);
      CRgbDevice d;
      target.Bind(d);
      d.SetRenderMode(0x010);
      d.SetCullingMode(c.mode);
      d.DrawStrip(which == 0 ? cw : ccw, 3);
      EXPECT_EQ(target.at(2, 2) != 0, which == 0 ? c.cwDrawn : c.ccwDrawn)
          << "cull " << c.mode << " winding " << which;
    }
  }
}

TEST(RgbDevice, TexturesOfOtherLayoutsAndScissorAndClear) {
  CSurface tex(2, 1, PixelFormat::Rgb565(), true);
  tex.WritePixel(0, 0, 0xFFFF0000u);
  tex.WritePixel(1, 0, 0xFF0000FFu);
  Target target(6, 4, 0x12345678u);
  CRgbDevice d;
  target.Bind(d);
  d.SceneClear(true, true, 0xFF101010u);
  EXPECT_EQ(target.at(5, 3), 0xFF101010u);
  d.SetTexture(&tex);
  d.SetRenderMode(0x101);  // texture alpha: a layout without alpha is opaque
  d.SetClipRect(0, 0, 6, 1);
  DrawQuad(d, 0, 0, 6, 4, 0xFFFFFFFFu);
  EXPECT_EQ(target.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(target.at(5, 0), 0xFF0000FFu);
  EXPECT_EQ(target.at(0, 1), 0xFF101010u) << "outside the scissor";
  // A new content version is converted again.
  tex.WritePixel(0, 0, 0xFF00FF00u);
  tex.Touch();
  d.ResetClipRect();
  DrawQuad(d, 0, 0, 6, 4, 0xFFFFFFFFu);
  EXPECT_EQ(target.at(0, 3), 0xFF00FF00u);
  // A lost texture draws nothing.
  tex.Lose();
  d.SceneClear(true, false, 0);
  DrawQuad(d, 0, 0, 6, 4, 0xFFFFFFFFu);
  EXPECT_EQ(target.at(2, 2), 0u);
}

// A small scene in the game's modes compared with its golden frame (RGB as binary PPM). With
// TUMBLEROO_UPDATE_GOLDEN set the frame is written instead.
TEST(RgbDevice, SceneMatchesGoldenFrame) {
  constexpr int32_t W = kGoldenWidth, H = kGoldenHeight;
  const std::vector<uint32_t> texels = GoldenBallTexels();
  const auto ball = MakeTexture(32, 32, texels);
  Target target(W, H, 0);
  CRgbDevice d;
  target.Bind(d);
  DrawGoldenScene(d, ball.get(), W, H);

  std::string ppm = "P6\n" + std::to_string(W) + " " + std::to_string(H) + "\n255\n";
  for (const uint32_t p : target.px) {
    ppm += static_cast<char>((p >> 16) & 0xFF);
    ppm += static_cast<char>((p >> 8) & 0xFF);
    ppm += static_cast<char>(p & 0xFF);
  }
  const std::string path = std::string(TUMBLEROO_SOURCE_DIR) + "/tests/data/golden/rgb_scene.ppm";
  if (std::getenv("TUMBLEROO_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(path, std::ios::binary) << ppm;
    GTEST_SKIP() << "golden frame written";
  }
  std::ifstream in(path, std::ios::binary);
  const std::string golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (golden != ppm) {
    std::ofstream("rgb_scene.actual.ppm", std::ios::binary) << ppm;
    FAIL() << "the scene differs from " << path << "; see rgb_scene.actual.ppm";
  }
}

}  // namespace

namespace {

// Random sprites in every mode the fast loops take (and some they leave to the plain loop),
// scaled, off-grid, partly outside the target, flat and shaded: every span path gives the
// reference's pixels exactly.
TEST(RgbDevice, EverySpanPathMatchesTheReference) {
  const uint32_t modes[] = {0x000, 0x100, 0x101, 0x151, 0x271, 0x211, 0x215, 0x011,
                            0x015, 0x070, 0x221, 0x031, 0x125, 0x159, 0x102};
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    const int32_t tw = 1 + static_cast<int32_t>(rng() % 40), th = 1 + static_cast<int32_t>(rng() % 40);
    std::vector<uint32_t> texels(static_cast<size_t>(tw) * th);
    for (uint32_t& t : texels) t = RandomPixel(rng);
    const auto tex = MakeTexture(tw, th, texels);
    std::vector<uint32_t> background(64 * 48);
    for (uint32_t& p : background) p = RandomPixel(rng);
    std::vector<std::vector<uint32_t>> results;
    std::vector<CRgbDevice::SpanPath> paths = {CRgbDevice::SpanPath::Reference,
                                               CRgbDevice::SpanPath::Scalar,
                                               CRgbDevice::SpanPath::Sse2};
    if (CRgbDevice::HasAvx2()) paths.push_back(CRgbDevice::SpanPath::Avx2);
    for (const auto path : paths) {
      std::mt19937 draw(seed * 977);
      Target target(64, 48);
      target.px = background;
      CRgbDevice d;
      d.SetSpanPath(path);
      target.Bind(d);
      d.SetTexture(tex.get());
      d.SetColorKeyValue(texels[0] & 0xFFFFFFu);
      for (int n = 0; n < 12; ++n) {
        d.SetRenderMode(modes[draw() % std::size(modes)]);
        d.SetFilterMode(draw() % 5 == 0);
        const bool unit = draw() % 2 == 0;
        const float x = static_cast<float>(static_cast<int32_t>(draw() % 80) - 8) / (unit ? 1 : 3.0f);
        const float y = static_cast<float>(static_cast<int32_t>(draw() % 60) - 6) / (unit ? 1 : 3.0f);
        const float w = unit ? static_cast<float>(tw) : 1 + static_cast<float>(draw() % 300) / 7;
        const float h = unit ? static_cast<float>(th) : 1 + static_cast<float>(draw() % 300) / 7;
        uint32_t c[4];
        const bool flat = draw() % 2 == 0;
        for (uint32_t& k : c) k = RandomPixel(draw);
        if (flat) c[1] = c[2] = c[3] = c[0];
        DrawQuad(d, x, y, x + w, y + h, c);
      }
      results.push_back(target.px);
    }
    for (size_t i = 0; i < results[0].size(); ++i) {
      ASSERT_EQ(results[1][i], results[0][i]) << "scalar, seed " << seed << " pixel " << i;
      ASSERT_EQ(results[2][i], results[0][i]) << "sse2, seed " << seed << " pixel " << i;
      if (results.size() > 3) {
        ASSERT_EQ(results[3][i], results[0][i]) << "avx2, seed " << seed << " pixel " << i;
      }
    }
  }
}

}  // namespace

// CmgBBIFunction: wrappers, drawing operations, the edge table and the transition script.
// The effects live in CmgBBIFunction_effects.cpp.
#include "image/CmgBBIFunction.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/spLib.h"
#include "image/CTranser.h"
#include "platform/CBlivoBinding.h"
#include "util/CApi.h"

namespace image {

namespace {

constexpr int32_t kNothing = 1;
constexpr int32_t kUnknownMode = 2;
// Largest cell of a pattern command; larger ones look the same on any image.
constexpr int64_t kMaxCell = int64_t{1} << 20;

uint32_t Clamp255(int32_t v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); }

uint32_t Pack(int32_t r, int32_t g, int32_t b, int32_t a) {
  return (Clamp255(a) << 24) | (Clamp255(r) << 16) | (Clamp255(g) << 8) | Clamp255(b);
}

// A width or height of 0 means the whole image.
void Whole(int32_t& w, int32_t& h, const CmgBBI& image) {
  if (w == 0) w = image.Width();
  if (h == 0) h = image.height();
}

int32_t Narrow(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// The library's two-image blit of the (dx, dy, w, h, sx, sy) form, sizes completed from src.
template <class Fn, class... Extra>
int32_t Blit2(Fn fn, CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w, int32_t h,
              int32_t sx, int32_t sy, Extra... extra) {
  void* d = dst.GetBBIHandle();
  void* s = src.GetBBIHandle();
  if (d == nullptr || s == nullptr || fn == nullptr) return kNothing;
  Whole(w, h, src);
  return fn(d, s, dx, dy, w, h, sx, sy, extra...);
}

// One image, the rest of the arguments as they are.
template <class Fn, class... Args>
int32_t Call1(Fn fn, CmgBBI& image, Args... args) {
  void* p = image.GetBBIHandle();
  if (p == nullptr || fn == nullptr) return kNothing;
  return fn(p, args...);
}

// An image and a ramp image, then a box.
template <class Fn>
int32_t CallRamp(Fn fn, CmgBBI& image, CmgBBI& ramp, int32_t x1, int32_t y1, int32_t x2,
                 int32_t y2) {
  void* p = image.GetBBIHandle();
  void* r = ramp.GetBBIHandle();
  if (p == nullptr || r == nullptr || fn == nullptr) return kNothing;
  return fn(p, r, x1, y1, x2, y2);
}

template <class Fn>
int32_t CallMap(Fn fn, CmgBBI& dst, CmgBBI& src, CmgBBI& map, int32_t dx, int32_t dy, int32_t w,
                int32_t h, int32_t sx, int32_t sy) {
  void* d = dst.GetBBIHandle();
  void* s = src.GetBBIHandle();
  void* m = map.GetBBIHandle();
  if (d == nullptr || s == nullptr || m == nullptr || fn == nullptr) return kNothing;
  Whole(w, h, src);
  return fn(d, s, m, dx, dy, w, h, sx, sy);
}

template <class Fn>
int32_t CallStencil(Fn fn, CmgBBI& dst, CmgBBI& src, CmgBBI& stencil, int32_t dx, int32_t dy,
                    int32_t w, int32_t h, int32_t sx, int32_t sy, int32_t tx, int32_t ty,
                    float fraction) {
  void* d = dst.GetBBIHandle();
  void* s = src.GetBBIHandle();
  void* t = stencil.GetBBIHandle();
  if (d == nullptr || s == nullptr || t == nullptr || fn == nullptr) return kNothing;
  Whole(w, h, src);
  return fn(d, s, t, dx, dy, w, h, sx, sy, tx, ty, fraction);
}

// Scaled copies: destination sizes from the destination, source sizes from the source.
void WholeScaled(int32_t& dw, int32_t& dh, int32_t& sw, int32_t& sh, const CmgBBI& dst,
                 const CmgBBI& src) {
  Whole(dw, dh, dst);
  Whole(sw, sh, src);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction and scratch images

CmgBBIFunction::CmgBBIFunction(util::CApi* api)
    : m_api(api),
      m_dot(std::make_unique<CmgBBI>()),
      m_pen(std::make_unique<CmgBBI>()),
      m_map(std::make_unique<CmgBBI>()) {
  m_dot->CreateBBI(2, 1);
  m_pen->CreateBBI(kRampWidth, 2);
}

CmgBBIFunction::~CmgBBIFunction() = default;

CmgBBIFunction& CmgBBIFunction::Shared() {
  static CmgBBIFunction shared;
  return shared;
}

util::CApi& CmgBBIFunction::Api() const {
  return m_api != nullptr ? *m_api : engine::spLib::Shared().Api();
}

CmgBBI& CmgBBIFunction::TempBBI(const CmgBBI& image) {
  if (!m_temp) m_temp = std::make_unique<CmgBBI>();
  m_temp->CreateBBI(image.Width(), image.height());
  return *m_temp;
}

CmgBBI& CmgBBIFunction::Scratch(size_t i, int32_t w, int32_t h) {
  auto& slot = m_scratch.at(i);
  if (!slot) slot = std::make_unique<CmgBBI>();
  slot->CreateBBI(w, h);
  return *slot;
}

// ---------------------------------------------------------------------------------------------
// One-image wrappers

int32_t CmgBBIFunction::BBIClear(CmgBBI& image, int32_t r, int32_t g, int32_t b, int32_t a) {
  return Call1(BLIVO_FN(BBIClear), image, r, g, b, a);
}
int32_t CmgBBIFunction::BBIClearMask(CmgBBI& image, int32_t r, int32_t g, int32_t b, int32_t a,
                                     uint32_t mask) {
  return Call1(BLIVO_FN(BBIClearMask), image, r, g, b, a, mask);
}
int32_t CmgBBIFunction::BBIClearRGB(CmgBBI& image, int32_t r, int32_t g, int32_t b) {
  return Call1(BLIVO_FN(BBIClearRGB), image, r, g, b);
}
int32_t CmgBBIFunction::BBIMirror(CmgBBI& image) { return Call1(BLIVO_FN(BBIMirror), image); }
int32_t CmgBBIFunction::BBIVMirror(CmgBBI& image) { return Call1(BLIVO_FN(BBIVMirror), image); }
int32_t CmgBBIFunction::BBIFlipLineX(CmgBBI& image, int32_t x, int32_t y, int32_t count,
                                     uint32_t colour) {
  if (count == 0) count = image.Width();
  return Call1(BLIVO_FN(BBIFlipLineX), image, x, y, count, colour);
}
int32_t CmgBBIFunction::BBIFlipLineY(CmgBBI& image, int32_t x, int32_t y, int32_t count,
                                     uint32_t colour) {
  if (count == 0) count = image.height();
  return Call1(BLIVO_FN(BBIFlipLineY), image, x, y, count, colour);
}
int32_t CmgBBIFunction::BBIPaint(CmgBBI& image, int32_t x, int32_t y, uint32_t colour,
                                 int32_t* minX, int32_t* minY, int32_t* maxX, int32_t* maxY) {
  return Call1(BLIVO_FN(BBIPaint), image, x, y, colour, minX, minY, maxX, maxY);
}
int32_t CmgBBIFunction::BBIPaintChoose(CmgBBI& image, int32_t mode, uint32_t a, uint32_t b,
                                       uint32_t c, uint32_t d) {
  return Call1(BLIVO_FN(BBIPaintChoose), image, mode, a, b, c, d);
}
int32_t CmgBBIFunction::BBIKeying(CmgBBI& image, uint32_t keyColour) {
  return Call1(BLIVO_FN(BBIKeying), image, keyColour);
}
int32_t CmgBBIFunction::BBILinear(CmgBBI& image, int32_t count) {
  return Call1(BLIVO_FN(BBILinear), image, count);
}
int32_t CmgBBIFunction::BBICompare(CmgBBI& image1, CmgBBI& image2, int32_t mode) {
  void* a = image1.GetBBIHandle();
  void* b = image2.GetBBIHandle();
  auto fn = BLIVO_FN(BBICompare);
  if (a == nullptr || b == nullptr || fn == nullptr) return kNothing;
  return fn(a, b, mode);
}
int32_t CmgBBIFunction::BBIBltColor(CmgBBI& image, int32_t x, int32_t y, int32_t w, int32_t h,
                                    uint32_t mask, uint32_t xorValue, uint32_t colour) {
  Whole(w, h, image);
  return Call1(BLIVO_FN(BBIBltColor), image, x, y, w, h, mask, xorValue, colour);
}

// ---------------------------------------------------------------------------------------------
// Two-image blits

int32_t CmgBBIFunction::BBIBlt(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                               int32_t h, int32_t sx, int32_t sy, float reality) {
  if (reality == 1.0f) return Blit2(BLIVO_FN(BBIBlt), dst, src, dx, dy, w, h, sx, sy);
  return Blit2(BLIVO_FN(BBIFlip), dst, src, dx, dy, w, h, sx, sy, reality);
}
int32_t CmgBBIFunction::BBIBltAdd(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                  int32_t h, int32_t sx, int32_t sy) {
  if (dst.GetBBIHandle() == nullptr || src.GetBBIHandle() == nullptr) return kNothing;
  if (auto mmx = BLIVO_FN(MMX)) mmx(UseMMX ? 1 : 0);
  return Blit2(BLIVO_FN(BBIBltAdd), dst, src, dx, dy, w, h, sx, sy);
}
int32_t CmgBBIFunction::BBIBltSub(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                  int32_t h, int32_t sx, int32_t sy) {
  return Blit2(BLIVO_FN(BBIBltSub), dst, src, dx, dy, w, h, sx, sy);
}
int32_t CmgBBIFunction::BBIBltXor(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                  int32_t h, int32_t sx, int32_t sy) {
  return Blit2(BLIVO_FN(BBIBltXor), dst, src, dx, dy, w, h, sx, sy);
}
int32_t CmgBBIFunction::BBIBltNot(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                  int32_t h, int32_t sx, int32_t sy) {
  return Blit2(BLIVO_FN(BBIBltNot), dst, src, dx, dy, w, h, sx, sy);
}
int32_t CmgBBIFunction::BBIBltMin(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                  int32_t h, int32_t sx, int32_t sy) {
  return Blit2(BLIVO_FN(BBIBltMin), dst, src, dx, dy, w, h, sx, sy);
}
int32_t CmgBBIFunction::BBIBltMax(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                  int32_t h, int32_t sx, int32_t sy) {
  return Blit2(BLIVO_FN(BBIBltMax), dst, src, dx, dy, w, h, sx, sy);
}
int32_t CmgBBIFunction::BBIBltKeying(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy,
                                     int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return Blit2(BLIVO_FN(BBIBltKeying), dst, src, dx, dy, w, h, sx, sy);
}
int32_t CmgBBIFunction::BBIBltHalfBlend(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy,
                                        int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return Blit2(BLIVO_FN(BBIBltHalfBlend), dst, src, dx, dy, w, h, sx, sy);
}
int32_t CmgBBIFunction::BBIBltHalfSize(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy,
                                       int32_t w, int32_t h, int32_t sx, int32_t sy) {
  // The library does not clip this one, so "whole" is the largest area that fits both.
  if (w == 0) w = Narrow(std::min<int64_t>(int64_t{dst.Width()} - dx, (int64_t{src.Width()} - sx) / 2));
  if (h == 0)
    h = Narrow(std::min<int64_t>(int64_t{dst.height()} - dy, (int64_t{src.height()} - sy) / 2));
  if (w <= 0 || h <= 0) return kNothing;
  return Blit2(BLIVO_FN(BBIBltHalfSize), dst, src, dx, dy, w, h, sx, sy);
}
int32_t CmgBBIFunction::BBIBltBlend(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                    int32_t h, int32_t sx, int32_t sy, int32_t useMMX) {
  return Blit2(BLIVO_FN(BBIBltBlend), dst, src, dx, dy, w, h, sx, sy, useMMX);
}
int32_t CmgBBIFunction::BBIBltTrueBlend(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy,
                                        int32_t w, int32_t h, int32_t sx, int32_t sy,
                                        float opacity) {
  return Blit2(BLIVO_FN(BBIBltTrueBlend), dst, src, dx, dy, w, h, sx, sy, opacity);
}
int32_t CmgBBIFunction::BBIBltShiftAlpha(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy,
                                         int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return Blit2(BLIVO_FN(BBIBltShiftAlpha), dst, src, dx, dy, w, h, sx, sy);
}
int32_t CmgBBIFunction::BBIBltShiftBlock(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy,
                                         int32_t w, int32_t h, int32_t sx, int32_t sy) {
  return Blit2(BLIVO_FN(BBIBltShiftBlock), dst, src, dx, dy, w, h, sx, sy);
}
int32_t CmgBBIFunction::BBIBltAlpha(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                    int32_t h, int32_t sx, int32_t sy, int32_t keepMax,
                                    int32_t keepMin, int32_t invert, int32_t subtract) {
  return Blit2(BLIVO_FN(BBIBltAlpha), dst, src, dx, dy, w, h, sx, sy, keepMax, keepMin, invert,
               subtract);
}
int32_t CmgBBIFunction::BBIDepth(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                 int32_t h, int32_t sx, int32_t sy) {
  return Blit2(BLIVO_FN(BBIDepth), dst, src, dx, dy, w, h, sx, sy);
}
int32_t CmgBBIFunction::BBIDepthMask(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                     int32_t h, int32_t sx, int32_t sy, uint32_t mask) {
  return Blit2(BLIVO_FN(BBIDepthMask), dst, src, dx, dy, w, h, sx, sy, mask);
}
int32_t CmgBBIFunction::BBIBltUBlur(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                    int32_t h, int32_t sx, int32_t sy, int32_t radius) {
  return Blit2(BLIVO_FN(BBIBltUBlur), dst, src, dx, dy, w, h, sx, sy, radius);
}
int32_t CmgBBIFunction::BBIBltVBlur(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                    int32_t h, int32_t sx, int32_t sy, int32_t radius) {
  return Blit2(BLIVO_FN(BBIBltVBlur), dst, src, dx, dy, w, h, sx, sy, radius);
}
int32_t CmgBBIFunction::BBIBltUScale(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                     int32_t h, int32_t sx, int32_t sy, int32_t num,
                                     int32_t den) {
  return Blit2(BLIVO_FN(BBIBltUScale), dst, src, dx, dy, w, h, sx, sy, num, den);
}
int32_t CmgBBIFunction::BBIBltVScale(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w,
                                     int32_t h, int32_t sx, int32_t sy, int32_t num,
                                     int32_t den) {
  return Blit2(BLIVO_FN(BBIBltVScale), dst, src, dx, dy, w, h, sx, sy, num, den);
}
int32_t CmgBBIFunction::BBIRotation(CmgBBI& dst, CmgBBI& src, int32_t type) {
  void* d = dst.GetBBIHandle();
  void* s = src.GetBBIHandle();
  auto fn = BLIVO_FN(BBIRotation);
  if (d == nullptr || s == nullptr || fn == nullptr) return kNothing;
  return fn(d, s, type);
}

namespace {
template <class Fn, class... Args>
int32_t Call2(Fn fn, CmgBBI& dst, CmgBBI& src, Args... args) {
  void* d = dst.GetBBIHandle();
  void* s = src.GetBBIHandle();
  if (d == nullptr || s == nullptr || fn == nullptr) return kNothing;
  return fn(d, s, args...);
}
}  // namespace

int32_t CmgBBIFunction::BBIChooseCA(CmgBBI& dst, CmgBBI& src, int32_t flags1, int32_t flags2) {
  return Call2(BLIVO_FN(BBIChooseCA), dst, src, flags1, flags2);
}
int32_t CmgBBIFunction::BBIChooseRGBA(CmgBBI& dst, CmgBBI& src, int32_t rCode, int32_t gCode,
                                      int32_t bCode, int32_t aCode) {
  return Call2(BLIVO_FN(BBIChooseRGBA), dst, src, rCode, gCode, bCode, aCode);
}
int32_t CmgBBIFunction::BBIChooseCATR(CmgBBI& dst, CmgBBI& src, int32_t flags1, int32_t flags2) {
  return Call2(BLIVO_FN(BBIChooseCATR), dst, src, flags1, flags2);
}

int32_t CmgBBIFunction::BBIBltFX(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t width,
                                 int32_t height, int32_t sx, int32_t sy, int32_t bltMode,
                                 float bltReality) {
  if (bltMode < kFxCopy || bltMode > kFxShiftAlpha) return kUnknownMode;
  if (dst.GetBBIHandle() == nullptr || src.GetBBIHandle() == nullptr) return kNothing;
  Whole(width, height, src);
  switch (bltMode) {
    case kFxCopy:
      return BBIBlt(dst, src, dx, dy, width, height, sx, sy, bltReality);
    case kFxBlend:
      if (bltReality == 1.0f)
        return BBIBltBlend(dst, src, dx, dy, width, height, sx, sy, UseMMX ? 1 : 0);
      return Blit2(BLIVO_FN(BBIFlipBlend), dst, src, dx, dy, width, height, sx, sy, bltReality);
    case kFxTrueBlend:
      return BBIBltTrueBlend(dst, src, dx, dy, width, height, sx, sy, bltReality);
    case kFxKeying: {
      const float f = std::isnan(bltReality) ? 0.0f : std::clamp(bltReality, 0.0f, 1.0f);
      return Blit2(BLIVO_FN(BBIBltKeyingFX), dst, src, dx, dy, width, height, sx, sy, 1,
                   static_cast<int32_t>(f * 256.0f));
    }
    default:
      break;
  }
  auto apply = [&](CmgBBI& d) -> int32_t {
    switch (bltMode) {
      case kFxAdd: return BBIBltAdd(d, src, dx, dy, width, height, sx, sy);
      case kFxSub: return BBIBltSub(d, src, dx, dy, width, height, sx, sy);
      case kFxXor: return BBIBltXor(d, src, dx, dy, width, height, sx, sy);
      case kFxNot: return BBIBltNot(d, src, dx, dy, width, height, sx, sy);
      case kFxMin: return BBIBltMin(d, src, dx, dy, width, height, sx, sy);
      case kFxMax: return BBIBltMax(d, src, dx, dy, width, height, sx, sy);
      case kFxHalfBlend: return BBIBltHalfBlend(d, src, dx, dy, width, height, sx, sy);
      case kFxDepth: return BBIDepth(d, src, dx, dy, width, height, sx, sy);
      default: return BBIBltShiftAlpha(d, src, dx, dy, width, height, sx, sy);
    }
  };
  if (bltReality == 1.0f) return apply(dst);
  // The mode's result on a copy, faded in; pixels outside the blit are equal in both and
  // come through the fade unchanged.
  CmgBBI& work = Scratch(5, dst.Width(), dst.height());
  BBIBlt(work, dst);
  const int32_t r = apply(work);
  if (r != 0) return r;
  return Blit2(BLIVO_FN(BBIFlip), dst, work, dx, dy, width, height, dx, dy, bltReality);
}

int32_t CmgBBIFunction::BBIBltRect(CmgBBI& dst, CmgBBI& src, const util::CRect& dirt,
                                   float reality) {
  if (dirt.Width <= 0 || dirt.Height <= 0) return kNothing;
  return BBIBlt(dst, src, dirt.Left, dirt.Top, dirt.Width, dirt.Height, dirt.Left, dirt.Top,
                reality);
}

// ---------------------------------------------------------------------------------------------
// Scaled copies

int32_t CmgBBIFunction::BBIExpandBlt(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t dw,
                                     int32_t dh, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                                     float opacity) {
  WholeScaled(dw, dh, sw, sh, dst, src);
  return Call2(BLIVO_FN(BBIExpandBlt), dst, src, dx, dy, dw, dh, sx, sy, sw, sh, opacity);
}
int32_t CmgBBIFunction::BBIExpandColorBlt(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy,
                                          int32_t dw, int32_t dh, int32_t sx, int32_t sy,
                                          int32_t sw, int32_t sh, float opacity,
                                          uint32_t keepMask, uint32_t colourMask, uint32_t c1,
                                          uint32_t c2, uint32_t c3, uint32_t c4,
                                          int32_t useAlpha) {
  WholeScaled(dw, dh, sw, sh, dst, src);
  return Call2(BLIVO_FN(BBIExpandColorBlt), dst, src, dx, dy, dw, dh, sx, sy, sw, sh, opacity,
               keepMask, colourMask, c1, c2, c3, c4, useAlpha);
}
int32_t CmgBBIFunction::BBIExpandChooseBlt(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy,
                                           int32_t dw, int32_t dh, int32_t sx, int32_t sy,
                                           int32_t sw, int32_t sh, float opacity,
                                           float saturation, uint32_t levelLow,
                                           uint32_t levelHigh, uint32_t keepMask,
                                           uint32_t colourMask, uint32_t colour,
                                           uint32_t invertMask, int32_t useAlpha,
                                           int32_t addColour, int32_t addAlpha,
                                           int32_t ignoreDest) {
  WholeScaled(dw, dh, sw, sh, dst, src);
  return Call2(BLIVO_FN(BBIExpandChooseBlt), dst, src, dx, dy, dw, dh, sx, sy, sw, sh, opacity,
               saturation, levelLow, levelHigh, keepMask, colourMask, colour, invertMask,
               useAlpha, addColour, addAlpha, ignoreDest);
}
int32_t CmgBBIFunction::BBILinearBlt(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t dw,
                                     int32_t dh, int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
  WholeScaled(dw, dh, sw, sh, dst, src);
  return Call2(BLIVO_FN(BBILinearBlt), dst, src, dx, dy, dw, dh, sx, sy, sw, sh);
}
int32_t CmgBBIFunction::BBILinearAverage(CmgBBI& dst, CmgBBI& src) {
  return BBILinearBlt(dst, src);
}

// ---------------------------------------------------------------------------------------------
// Colour maps and stencils

#define TUMBLEROO_MAP_WRAPPER(name)                                                         \
  int32_t CmgBBIFunction::name(CmgBBI& dst, CmgBBI& src, CmgBBI& map, int32_t dx, int32_t dy, \
                               int32_t w, int32_t h, int32_t sx, int32_t sy) {              \
    return CallMap(BLIVO_FN(name), dst, src, map, dx, dy, w, h, sx, sy);                    \
  }
TUMBLEROO_MAP_WRAPPER(BBIMapUC)
TUMBLEROO_MAP_WRAPPER(BBIMapUCVA)
TUMBLEROO_MAP_WRAPPER(BBIMapUDVA)
TUMBLEROO_MAP_WRAPPER(BBIMapMCUCVA)
TUMBLEROO_MAP_WRAPPER(BBIMapMCUDVA)
TUMBLEROO_MAP_WRAPPER(BBIMapUCVC)
TUMBLEROO_MAP_WRAPPER(BBIMapUDVC)
TUMBLEROO_MAP_WRAPPER(BBIMapUCVX)
TUMBLEROO_MAP_WRAPPER(BBIMapUCVY)
#undef TUMBLEROO_MAP_WRAPPER

int32_t CmgBBIFunction::BBIStencilFlip(CmgBBI& dst, CmgBBI& src, CmgBBI& stencil, int32_t dx,
                                       int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy,
                                       int32_t tx, int32_t ty, float fraction) {
  return CallStencil(BLIVO_FN(BBIStencilFlip), dst, src, stencil, dx, dy, w, h, sx, sy, tx, ty,
                     fraction);
}
int32_t CmgBBIFunction::BBIStencilFlipLE(CmgBBI& dst, CmgBBI& src, CmgBBI& stencil, int32_t dx,
                                         int32_t dy, int32_t w, int32_t h, int32_t sx,
                                         int32_t sy, int32_t tx, int32_t ty, float fraction) {
  return CallStencil(BLIVO_FN(BBIStencilFlipLE), dst, src, stencil, dx, dy, w, h, sx, sy, tx, ty,
                     fraction);
}
int32_t CmgBBIFunction::BBIStencilFlipRect(CmgBBI& dst, CmgBBI& src, CmgBBI& stencil,
                                           const util::CRect& dirt, float fraction) {
  if (dirt.Width <= 0 || dirt.Height <= 0) return kNothing;
  return BBIStencilFlip(dst, src, stencil, dirt.Left, dirt.Top, dirt.Width, dirt.Height,
                        dirt.Left, dirt.Top, dirt.Left, dirt.Top, fraction);
}
int32_t CmgBBIFunction::BBIStencilFlipLERect(CmgBBI& dst, CmgBBI& src, CmgBBI& stencil,
                                             const util::CRect& dirt, float fraction) {
  if (dirt.Width <= 0 || dirt.Height <= 0) return kNothing;
  return BBIStencilFlipLE(dst, src, stencil, dirt.Left, dirt.Top, dirt.Width, dirt.Height,
                          dirt.Left, dirt.Top, dirt.Left, dirt.Top, fraction);
}

// ---------------------------------------------------------------------------------------------
// Drawing primitives

int32_t CmgBBIFunction::BBIDotThick(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                    uint32_t mask, uint32_t colour) {
  return Call1(BLIVO_FN(BBIDotThick), image, x1, y1, x2, y2, mask, colour);
}
int32_t CmgBBIFunction::BBIDrawLine(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                    uint32_t mask, uint32_t colour) {
  return Call1(BLIVO_FN(BBIDrawLine), image, x1, y1, x2, y2, mask, colour);
}
int32_t CmgBBIFunction::BBIDrawTriangle(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2,
                                        int32_t y2, int32_t x3, int32_t y3, uint32_t mask,
                                        uint32_t colour) {
  return Call1(BLIVO_FN(BBIDrawTriangle), image, x1, y1, x2, y2, x3, y3, mask, colour);
}
int32_t CmgBBIFunction::BBIDrawColorFill(CmgBBI& image, int32_t x, int32_t y, int32_t w,
                                         int32_t h, uint32_t mask, uint32_t colour) {
  Whole(w, h, image);
  return Call1(BLIVO_FN(BBIDrawColorFill), image, x, y, w, h, mask, colour);
}
int32_t CmgBBIFunction::BBIDrawColorTile(CmgBBI& image, int32_t x, int32_t y, int32_t w,
                                         int32_t h, uint32_t mask, int32_t tileW, int32_t tileH,
                                         uint32_t c0, uint32_t c1, uint32_t c2, uint32_t c3) {
  Whole(w, h, image);
  return Call1(BLIVO_FN(BBIDrawColorTile), image, x, y, w, h, mask, tileW, tileH, c0, c1, c2,
               c3);
}
int32_t CmgBBIFunction::BBIDrawAlphaLine(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2,
                                         int32_t y2, uint32_t startColour, uint32_t endColour) {
  return Call1(BLIVO_FN(BBIDrawAlphaLine), image, x1, y1, x2, y2, startColour, endColour);
}
int32_t CmgBBIFunction::BBIDrawBox(CmgBBI& image, int32_t x, int32_t y, int32_t w, int32_t h,
                                   uint32_t mask, uint32_t topLeft, uint32_t topRight,
                                   uint32_t bottomLeft, uint32_t bottomRight) {
  Whole(w, h, image);
  return Call1(BLIVO_FN(BBIDrawBox), image, x, y, w, h, mask, topLeft, topRight, bottomLeft,
               bottomRight);
}
int32_t CmgBBIFunction::BBIDrawGradationLine(CmgBBI& image, CmgBBI& ramp, int32_t x1, int32_t y1,
                                             int32_t x2, int32_t y2) {
  return CallRamp(BLIVO_FN(BBIDrawGradationLine), image, ramp, x1, y1, x2, y2);
}
int32_t CmgBBIFunction::BBIDrawGradationBox(CmgBBI& image, CmgBBI& ramp, int32_t x1, int32_t y1,
                                            int32_t x2, int32_t y2) {
  return CallRamp(BLIVO_FN(BBIDrawGradationBox), image, ramp, x1, y1, x2, y2);
}
int32_t CmgBBIFunction::BBIDrawMultiplyLineBox(CmgBBI& image, CmgBBI& ramp, int32_t x1,
                                               int32_t y1, int32_t x2, int32_t y2) {
  return CallRamp(BLIVO_FN(BBIDrawMultiplyLineBox), image, ramp, x1, y1, x2, y2);
}
int32_t CmgBBIFunction::BBIDrawExclusiveLineBox(CmgBBI& image, CmgBBI& ramp, int32_t x1,
                                                int32_t y1, int32_t x2, int32_t y2) {
  return CallRamp(BLIVO_FN(BBIDrawExclusiveLineBox), image, ramp, x1, y1, x2, y2);
}
int32_t CmgBBIFunction::BBIDrawLineCircle(CmgBBI& image, CmgBBI& ramp, int32_t x1, int32_t y1,
                                          int32_t x2, int32_t y2) {
  return CallRamp(BLIVO_FN(BBIDrawLineCircle), image, ramp, x1, y1, x2, y2);
}
int32_t CmgBBIFunction::BBIDrawPolaCircle(CmgBBI& image, int32_t cx, int32_t cy, int32_t radius,
                                          uint32_t mask, uint32_t colour) {
  return Call1(BLIVO_FN(BBIDrawPolaCircle), image, cx, cy, radius, mask, colour);
}

// ---------------------------------------------------------------------------------------------
// Keyed edges

const std::array<uint8_t, CmgBBIFunction::kEdgeTableSize>& CmgBBIFunction::KeyingEdgeTable() {
  static const std::array<uint8_t, kEdgeTableSize> table = [] {
    std::array<uint8_t, kEdgeTableSize> t{};
    for (int32_t r = 1; r <= 128; ++r) {
      const float inv = 1.0f / static_cast<float>(r);
      size_t at = static_cast<size_t>(128) * static_cast<size_t>(r - 1);
      // The values 2r - 1, 2r - 3, ..., 1 taken in pairs; an odd r leaves 1 on its own.
      for (int32_t v = 2 * r - 1; v >= 1; v -= 4) {
        const int32_t sum = v >= 3 ? v + (v - 2) : v;
        const double value = 32.0 * sum * static_cast<double>(inv);
        t[at++] = static_cast<uint8_t>(std::nearbyint(value));
      }
    }
    return t;
  }();
  return table;
}

int32_t CmgBBIFunction::BBIKeyingAntiAreas(CmgBBI& image, uint32_t colour) {
  void* p = image.GetBBIHandle();
  auto fn = BLIVO_FN(BBIAntiAreas);
  if (p == nullptr || fn == nullptr) return kNothing;
  return fn(p, KeyingEdgeTable().data(), colour);
}

// ---------------------------------------------------------------------------------------------
// Drawing operations

int32_t CmgBBIFunction::DrawMap(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                int32_t r1, int32_t g1, int32_t b1, int32_t a1, int32_t r2,
                                int32_t g2, int32_t b2, int32_t a2, int32_t r3, int32_t g3,
                                int32_t b3, int32_t a3, int32_t r4, int32_t g4, int32_t b4,
                                int32_t a4) {
  return DrawMapGs(image, x1, y1, x2, y2, Pack(r1, g1, b1, a1), Pack(r2, g2, b2, a2),
                   Pack(r3, g3, b3, a3), Pack(r4, g4, b4, a4));
}

namespace {
// A four-corner gradient box between two inclusive corners, corners reordered with their
// colours so either corner may be the larger.
int32_t CornerBox(CmgBBIFunction& f, CmgBBI& image, int32_t x1, int32_t y1, int32_t x2,
                  int32_t y2, uint32_t mask, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4) {
  if (x2 < x1) {
    std::swap(x1, x2);
    std::swap(c1, c2);
    std::swap(c3, c4);
  }
  if (y2 < y1) {
    std::swap(y1, y2);
    std::swap(c1, c3);
    std::swap(c2, c4);
  }
  const int32_t w = Narrow(int64_t{x2} - x1 + 1);
  const int32_t h = Narrow(int64_t{y2} - y1 + 1);
  return f.BBIDrawBox(image, x1, y1, w, h, mask, c1, c2, c3, c4);
}
}  // namespace

int32_t CmgBBIFunction::DrawMapColor(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2,
                                     int32_t y2, int32_t r1, int32_t g1, int32_t b1, int32_t r2,
                                     int32_t g2, int32_t b2, int32_t r3, int32_t g3, int32_t b3,
                                     int32_t r4, int32_t g4, int32_t b4) {
  return CornerBox(*this, image, x1, y1, x2, y2, 0xFF000000u, Pack(r1, g1, b1, 0),
                   Pack(r2, g2, b2, 0), Pack(r3, g3, b3, 0), Pack(r4, g4, b4, 0));
}
int32_t CmgBBIFunction::DrawMapGs(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                  uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4) {
  return CornerBox(*this, image, x1, y1, x2, y2, 0, c1, c2, c3, c4);
}
int32_t CmgBBIFunction::dwDrawMap(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                  uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4) {
  return DrawMapGs(image, x1, y1, x2, y2, c1, c2, c3, c4);
}

void CmgBBIFunction::PenRamp(int32_t row, uint32_t from, uint32_t to) {
  m_pen->CreateBBI(kRampWidth, 2);
  m_dot->CreateBBI(2, 1);
  m_dot->dwSetPixel(0, 0, from);
  m_dot->dwSetPixel(1, 0, to);
  // The gradient line draws from one step past its start, so starting at -1 fills 0..R-1.
  BBIDrawGradationLine(*m_pen, *m_dot, -1, row, kRampWidth - 2, row);
}

int32_t CmgBBIFunction::DrawCircle(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                   int32_t ri, int32_t gi, int32_t bi, int32_t ai, int32_t ro,
                                   int32_t go, int32_t bo, int32_t ao) {
  return dwDrawCircle(image, x1, y1, x2, y2, Pack(ri, gi, bi, ai), Pack(ro, go, bo, ao));
}
int32_t CmgBBIFunction::dwDrawCircle(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2,
                                     int32_t y2, uint32_t inner, uint32_t outer) {
  if (image.GetBBIHandle() == nullptr) return kNothing;
  // The radial ramp reads the rim at index 0 and the centre at the far end.
  PenRamp(0, outer, inner);
  return BBIDrawLineCircle(image, *m_pen, x1, y1, x2, y2);
}
int32_t CmgBBIFunction::dwDrawCircleLE(CmgBBI& image, int32_t x, int32_t y, int32_t r,
                                       uint32_t colour) {
  return BBIDrawPolaCircle(image, x, y, r, 0, colour);
}
int32_t CmgBBIFunction::DrawLine(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                 int32_t r1, int32_t g1, int32_t b1, int32_t a1, int32_t r2,
                                 int32_t g2, int32_t b2, int32_t a2) {
  return dwDrawLine(image, x1, y1, x2, y2, Pack(r1, g1, b1, a1), Pack(r2, g2, b2, a2));
}
int32_t CmgBBIFunction::dwDrawLine(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                   uint32_t startColour, uint32_t endColour) {
  if (image.GetBBIHandle() == nullptr) return kNothing;
  m_dot->CreateBBI(2, 1);
  m_dot->dwSetPixel(0, 0, startColour);
  m_dot->dwSetPixel(1, 0, endColour);
  return BBIDrawGradationLine(image, *m_dot, x1, y1, x2, y2);
}
int32_t CmgBBIFunction::DrawLineAntiAreas(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2,
                                          int32_t y2, int32_t r1, int32_t g1, int32_t b1,
                                          int32_t a1, int32_t r2, int32_t g2, int32_t b2,
                                          int32_t a2) {
  return BBIDrawAlphaLine(image, x1, y1, x2, y2, Pack(r1, g1, b1, a1), Pack(r2, g2, b2, a2));
}
int32_t CmgBBIFunction::dwDrawLineAntiAreas(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2,
                                            int32_t y2, uint32_t startColour,
                                            uint32_t endColour) {
  return BBIDrawAlphaLine(image, x1, y1, x2, y2, startColour, endColour);
}

namespace {
// A one-pixel frame along the inside of (x, y, w, h), sizes already positive.
int32_t Frame(CmgBBI& image, int64_t x, int64_t y, int64_t w, int64_t h, uint32_t colour) {
  void* p = image.GetBBIHandle();
  auto lineX = BLIVO_FN(BBIFlipLineX);
  auto lineY = BLIVO_FN(BBIFlipLineY);
  if (p == nullptr || lineX == nullptr || lineY == nullptr || w <= 0 || h <= 0) return kNothing;
  const int64_t right = x + w - 1;
  const int64_t bottom = y + h - 1;
  int32_t drawn = 0;
  auto row = [&](int64_t ry) {
    if (lineX(p, Narrow(x), Narrow(ry), Narrow(w), colour) == 0) ++drawn;
  };
  auto column = [&](int64_t cx) {
    if (h > 2 && lineY(p, Narrow(cx), Narrow(y + 1), Narrow(h - 2), colour) == 0) ++drawn;
  };
  row(y);
  if (h > 1) row(bottom);
  column(x);
  if (w > 1) column(right);
  return drawn > 0 ? 0 : kNothing;
}
}  // namespace

int32_t CmgBBIFunction::fxOutLine(CmgBBI& image, int32_t x, int32_t y, int32_t w, int32_t h,
                                  uint32_t colour) {
  Whole(w, h, image);
  return Frame(image, x, y, w, h, colour);
}
int32_t CmgBBIFunction::fxBoxLine(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                  uint32_t colour) {
  if (x1 == 0 && y1 == 0 && x2 == 0 && y2 == 0) {
    x2 = image.Width() - 1;
    y2 = image.height() - 1;
  }
  const int64_t left = std::min(x1, x2), top = std::min(y1, y2);
  return Frame(image, left, top, int64_t{std::max(x1, x2)} - left + 1,
               int64_t{std::max(y1, y2)} - top + 1, colour);
}

int32_t CmgBBIFunction::Blt(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t dw,
                            int32_t dh, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                            float reality) {
  Whole(sw, sh, src);
  if (dw == 0) dw = sw;
  if (dh == 0) dh = sh;
  if (dw == sw && dh == sh) return BBIBlt(dst, src, dx, dy, dw, dh, sx, sy, reality);
  return BBIExpandBlt(dst, src, dx, dy, dw, dh, sx, sy, sw, sh, reality);
}

int32_t CmgBBIFunction::ChooseColor(CmgBBI& image, int32_t r, int32_t g, int32_t b, int32_t a) {
  uint32_t keep = 0;
  if (r < 0) keep |= 0x00FF0000u;
  if (g < 0) keep |= 0x0000FF00u;
  if (b < 0) keep |= 0x000000FFu;
  if (a < 0) keep |= 0xFF000000u;
  if (keep == 0xFFFFFFFFu) return kNothing;
  return BBIClearMask(image, r, g, b, a, keep);
}

// ---------------------------------------------------------------------------------------------
// Transition patterns

void CmgBBIFunction::DrawCommand(CmgBBI& target, int32_t keyword,
                                 const std::vector<std::string>& params) {
  const int32_t width = target.Width();
  const int32_t height = target.height();
  auto param = [&](size_t i) -> std::string_view {
    return i < params.size() ? std::string_view(params[i]) : std::string_view();
  };
  // Cell sizes: magnitude, 0 the whole image; bounded so cell corners stay in 32 bits.
  auto cell = [](int32_t v, int32_t whole) -> int64_t {
    int64_t m = v < 0 ? -int64_t{v} : int64_t{v};
    if (m == 0) m = whole;
    return std::clamp<int64_t>(m, 1, kMaxCell);
  };
  const int64_t w = cell(CTranser::Length(param(0), width, 0), width);
  const int64_t h = cell(CTranser::Length(param(1), height, 0), height);
  const bool circle = keyword == CTranser::kCircle;
  const uint32_t c1 = CTranser::Colour(param(2), 0x00000000u);
  const uint32_t c2 = CTranser::Colour(param(3), 0xFFFFFFFFu);
  const uint32_t c3 = circle ? c1 : CTranser::Colour(param(4), c1);
  const uint32_t c4 = circle ? c2 : CTranser::Colour(param(5), c2);
  const size_t at = circle ? 4 : 6;
  const int64_t ox = CTranser::Length(param(at), width, 0);
  const int64_t oy = CTranser::Length(param(at + 1), height, 0);

  if (keyword == CTranser::kMul || keyword == CTranser::kXor) {
    PenRamp(0, c1, c2);
    PenRamp(1, c3, c4);
  } else if (circle) {
    PenRamp(0, c2, c1);
  }
  // Cells anchored at (ox, oy): the first one starts at or left of / above 0.
  auto floorDiv = [](int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  const int64_t firstCol = floorDiv(-ox, w);
  const int64_t firstRow = floorDiv(-oy, h);
  for (int64_t row = firstRow; oy + row * h < height; ++row) {
    const int64_t y = oy + row * h;
    for (int64_t col = firstCol; ox + col * w < width; ++col) {
      const int64_t x = ox + col * w;
      const auto xi = static_cast<int32_t>(x), yi = static_cast<int32_t>(y);
      const auto wi = static_cast<int32_t>(w), hi = static_cast<int32_t>(h);
      switch (keyword) {
        case CTranser::kBox:
          BBIDrawBox(target, xi, yi, wi, hi, 0, c1, c2, c3, c4);
          break;
        case CTranser::kTile: {
          uint32_t a = c1, b = c2, c = c3, d = c4;
          if (col & 1) {
            std::swap(a, b);
            std::swap(c, d);
          }
          if (row & 1) {
            std::swap(a, c);
            std::swap(b, d);
          }
          BBIDrawBox(target, xi, yi, wi, hi, 0, a, b, c, d);
          break;
        }
        case CTranser::kMul:
          BBIDrawMultiplyLineBox(target, *m_pen, xi, yi, xi + wi - 1, yi + hi - 1);
          break;
        case CTranser::kXor:
          BBIDrawExclusiveLineBox(target, *m_pen, xi, yi, xi + wi - 1, yi + hi - 1);
          break;
        default:
          BBIDrawColorFill(target, xi, yi, wi, hi, 0, c2);
          BBIDrawLineCircle(target, *m_pen, xi, yi, xi + wi - 1, yi + hi - 1);
          break;
      }
    }
  }
}

int32_t CmgBBIFunction::Transer(CmgBBI& terget, std::string_view script) {
  if (terget.GetBBIHandle() == nullptr) return 0;
  const std::vector<CTranserCommand> commands = CTranser::Parse(script);
  int32_t drawn = 0;
  for (const CTranserCommand& cmd : commands) {
    if (drawn == 0) {
      DrawCommand(terget, cmd.keyword, cmd.params);
    } else {
      CmgBBI& layer = Scratch(3, terget.Width(), terget.height());
      BBIClear(layer, 0, 0, 0, 0);
      DrawCommand(layer, cmd.keyword, cmd.params);
      BBIBltHalfBlend(terget, layer);
    }
    ++drawn;
  }
  return drawn;
}

int32_t CmgBBIFunction::TranserAlpha(CmgBBI& terget, std::string_view script) {
  if (terget.GetBBIHandle() == nullptr) return 0;
  CmgBBI& canvas = Scratch(4, terget.Width(), terget.height());
  BBIClear(canvas, 0, 0, 0, 0);
  const int32_t drawn = Transer(canvas, script);
  // Colour from Terget, alpha from the drawing.
  if (drawn > 0) BBIChooseRGBA(terget, canvas, 4, 5, 6, 3);
  return drawn;
}

std::string CmgBBIFunction::TranserGetRndScript() { return TranserGetRndScript(Api()); }

std::string CmgBBIFunction::TranserGetRndScript(util::CApi& api) {
  auto colour = [&api] {
    std::string c = "#";
    for (int i = 0; i < 3; ++i) c += static_cast<char>('0' + api.Math_Rnd(0, 8));
    return c;
  };
  int32_t size = api.Math_Rnd(2, 24);
  const int32_t extra = api.Math_Rnd(0, 2);
  std::string script;
  for (int32_t i = 0; i <= extra; ++i) {
    const int32_t variant = api.Math_Rnd(0, 8);
    const bool circle = variant == 8;
    script += variant <= 3   ? "[box "
              : variant <= 5 ? "[tile "
              : variant == 6 ? "[MUL "
              : variant == 7 ? "[XOR "
                             : "[CIRCLE ";
    script += std::to_string(size * 40) + "," + std::to_string(size * 30);
    const int colours = circle ? 2 : 4;
    for (int k = 0; k < colours; ++k) script += "," + colour();
    script += "," + std::to_string(api.Math_Rnd(8, 160));
    script += "," + std::to_string(api.Math_Rnd(8, 160));
    script += "]";
    size /= 2;
  }
  return script;
}

}  // namespace image

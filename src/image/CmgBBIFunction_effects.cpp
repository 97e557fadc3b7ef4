// CmgBBIFunction's effects: fog, depth and outline images, outline and drop shadow, the
// 3 x 3 morphology family (fat, thin, max, min) and box scaling along one axis. Each is a short
// run of pixel library calls on scratch images of the function library's own.
#include "image/CmgBBIFunction.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "blivo/bbi_record.h"
#include "util/CApi.h"

namespace image {

namespace {

constexpr int32_t kNothing = 1;
// Scratch slots: 0 the copy a morphology step reads, 1 a second working image, 2 the source
// kept for comparison, 5 the effects' main working image (3 and 4 belong to the script).
constexpr size_t kStepCopy = 0;
constexpr size_t kWork2 = 1;
constexpr size_t kOriginal = 2;
constexpr size_t kWork = 5;

uint32_t A(uint32_t c) { return c >> 24; }
int32_t R(uint32_t c) { return static_cast<int32_t>((c >> 16) & 0xFF); }
int32_t G(uint32_t c) { return static_cast<int32_t>((c >> 8) & 0xFF); }
int32_t B(uint32_t c) { return static_cast<int32_t>(c & 0xFF); }

bool TooLarge(int64_t w, int64_t h) { return w * h > CmgBBIBase::kMaxPixels; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Images built from others

int32_t CmgBBIFunction::CreateFog(CmgBBI& dst, int32_t width, int32_t height, uint32_t colour,
                                  float density, int32_t grain) {
  if (width < 1 || height < 1 || TooLarge(width, height)) return kNothing;
  grain = std::clamp(grain, 2, 254);
  if (!(density >= 0.0f)) density = 0.0f;
  density = std::min(density, 1.0f);
  // Random alpha on a coarse grid, enlarged, then blurred twice across a cell.
  const int32_t gw = width / grain + 2;
  const int32_t gh = height / grain + 2;
  CmgBBI& seeds = Scratch(kWork, gw, gh);
  util::CApi& api = Api();
  const float top = static_cast<float>(A(colour)) * density;
  for (int32_t y = 0; y < gh; ++y)
    for (int32_t x = 0; x < gw; ++x) {
      const auto a = static_cast<uint32_t>(static_cast<float>(api.Math_Rnd(0, 255)) * top / 255.0f);
      seeds.dwSetPixel(x, y, (std::min(a, 255u) << 24) | (colour & 0x00FFFFFFu));
    }
  dst.CreateBBI(width, height);
  BBIExpandBlt(dst, seeds, 0, 0, width, height, 0, 0, gw - 1, gh - 1, 1.0f);
  const int32_t radius = grain / 2;
  for (int pass = 0; pass < 2; ++pass) {
    BBIBltUBlur(dst, dst, 0, 0, width, height, 0, 0, radius);
    BBIBltVBlur(dst, dst, 0, 0, width, height, 0, 0, radius);
  }
  return 0;
}

int32_t CmgBBIFunction::CreateDepthApply(CmgBBI& dst, CmgBBI& src) {
  if (dst.GetBBIHandle() == nullptr || src.GetBBIHandle() == nullptr) return kNothing;
  if (&dst != &src) dst.CreateBBI(src.Width(), src.height());
  // Value and the other bytes from src; the grey value goes to alpha.
  return BBIChooseCATR(dst, src, 0, 0);
}

int32_t CmgBBIFunction::CreateOutLine(CmgBBI& dst, CmgBBI& src, uint32_t colour, int32_t size) {
  if (dst.GetBBIHandle() == nullptr || src.GetBBIHandle() == nullptr) return kNothing;
  const int32_t w = src.Width();
  const int32_t h = src.height();
  size = std::clamp(size, 0, std::max(w, h));
  CmgBBI& shape = Scratch(kWork, w, h);
  BBIBlt(shape, src);
  CmgBBI& grown = Scratch(kWork2, w, h);
  BBIBlt(grown, src);
  for (int32_t i = 0; i < size; ++i) MorphStep(grown, Morph::kFat, kStepCopy);
  if (&dst != &src) dst.CreateBBI(w, h);
  BBIClear(dst, R(colour), G(colour), B(colour), 255);
  BBIBltAlpha(dst, grown, 0, 0, w, h, 0, 0, 0, 1, 0, 0);  // alpha = the grown shape's
  BBIBltAlpha(dst, shape, 0, 0, w, h, 0, 0, 0, 0, 0, 1);  // less the shape's own
  CmgBBI& limit = Scratch(kStepCopy, w, h);
  BBIClear(limit, 0, 0, 0, static_cast<int32_t>(A(colour)));
  return BBIBltAlpha(dst, limit, 0, 0, w, h, 0, 0, 0, 1, 0, 0);
}

// ---------------------------------------------------------------------------------------------
// Effects

int32_t CmgBBIFunction::EfectOutLine(CmgBBI& image, uint32_t c1, uint32_t c2, uint32_t c3,
                                     uint32_t c4, int32_t size) {
  if (image.GetBBIHandle() == nullptr) return kNothing;
  const int32_t w = image.Width();
  const int32_t h = image.height();
  size = std::clamp(size, 0, std::max(w, h));
  CmgBBI& grown = Scratch(kWork, w, h);
  BBIBlt(grown, image);
  for (int32_t i = 0; i < size; ++i) MorphStep(grown, Morph::kFat, kStepCopy);
  CmgBBI& ring = Scratch(kWork2, w, h);
  BBIDrawBox(ring, 0, 0, w, h, 0, c1, c2, c3, c4);
  BBIBltAlpha(ring, grown, 0, 0, w, h, 0, 0, 0, 1, 0, 0);  // alpha: the lower of the two
  BBIBltTrueBlend(ring, image, 0, 0, w, h, 0, 0, 1.0f);
  return BBIBlt(image, ring);
}

int32_t CmgBBIFunction::EfectDropShadow(CmgBBI& image, int32_t offsetX, int32_t offsetY,
                                        int32_t blur, uint32_t colour) {
  if (image.GetBBIHandle() == nullptr) return kNothing;
  const int32_t w = image.Width();
  const int32_t h = image.height();
  CmgBBI& shadow = Scratch(kWork, w, h);
  BBIClear(shadow, R(colour), G(colour), B(colour), static_cast<int32_t>(A(colour)));
  BBIBltAlpha(shadow, image, 0, 0, w, h, 0, 0, 0, 1, 0, 0);
  if (blur > 0) {
    BBIBltUBlur(shadow, shadow, 0, 0, w, h, 0, 0, blur);
    BBIBltVBlur(shadow, shadow, 0, 0, w, h, 0, 0, blur);
  }
  CmgBBI& out = Scratch(kWork2, w, h);
  BBIClear(out, R(colour), G(colour), B(colour), 0);
  BBIBlt(out, shadow, offsetX, offsetY, w, h, 0, 0);
  BBIBltTrueBlend(out, image, 0, 0, w, h, 0, 0, 1.0f);
  return BBIBlt(image, out);
}

void CmgBBIFunction::MorphStep(CmgBBI& img, Morph op, size_t copy) {
  const int32_t w = img.Width();
  const int32_t h = img.height();
  CmgBBI& c = Scratch(copy, w, h);
  auto apply = [&](int32_t dx, int32_t dy, int32_t sx, int32_t sy) {
    switch (op) {
      case Morph::kFat: BBIDepth(img, c, dx, dy, w, h, sx, sy); break;
      case Morph::kThin: BBIBltAlpha(img, c, dx, dy, w, h, sx, sy, 0, 1, 0, 0); break;
      case Morph::kMax: BBIBltMax(img, c, dx, dy, w, h, sx, sy); break;
      case Morph::kMin: BBIBltMin(img, c, dx, dy, w, h, sx, sy); break;
    }
  };
  // Separable: left and right neighbours, then (on the result) upper and lower ones.
  BBIBlt(c, img);
  apply(1, 0, 0, 0);
  apply(0, 0, 1, 0);
  BBIBlt(c, img);
  apply(0, 1, 0, 0);
  apply(0, 0, 0, 1);
}

int32_t CmgBBIFunction::MorphEffect(CmgBBI& dst, CmgBBI& src, float size, Morph op,
                                    bool* changed) {
  if (dst.GetBBIHandle() == nullptr || src.GetBBIHandle() == nullptr) return kNothing;
  const int32_t w = src.Width();
  const int32_t h = src.height();
  if (!(size >= 0.0f)) size = 0.0f;
  // Past the image's larger side another step changes nothing.
  const float cap = static_cast<float>(std::max(w, h));
  if (size > cap) size = cap;
  const auto steps = static_cast<int32_t>(std::floor(size));
  const float fraction = size - static_cast<float>(steps);
  if (changed != nullptr) BBIBlt(Scratch(kOriginal, w, h), src);
  if (&dst != &src) {
    dst.CreateBBI(w, h);
    BBIBlt(dst, src);
  }
  for (int32_t i = 0; i < steps; ++i) MorphStep(dst, op, kStepCopy);
  if (fraction > 0.0f) {
    CmgBBI& next = Scratch(kWork2, w, h);
    BBIBlt(next, dst);
    MorphStep(next, op, kStepCopy);
    BBIBlt(dst, next, 0, 0, w, h, 0, 0, fraction);
  }
  if (changed != nullptr) *changed = BBICompare(dst, *m_scratch[kOriginal], 0) != 0;
  return 0;
}

int32_t CmgBBIFunction::EfectFat(CmgBBI& dst, CmgBBI& src, float size) {
  return MorphEffect(dst, src, size, Morph::kFat, nullptr);
}
int32_t CmgBBIFunction::EfectThin(CmgBBI& dst, CmgBBI& src, float size) {
  return MorphEffect(dst, src, size, Morph::kThin, nullptr);
}
int32_t CmgBBIFunction::EfectMax(CmgBBI& dst, CmgBBI& src, float size, bool* dstIsNotSrc) {
  return MorphEffect(dst, src, size, Morph::kMax, dstIsNotSrc);
}
int32_t CmgBBIFunction::EfectMin(CmgBBI& dst, CmgBBI& src, float size, bool* dstIsNotSrc) {
  return MorphEffect(dst, src, size, Morph::kMin, dstIsNotSrc);
}

// ---------------------------------------------------------------------------------------------
// Scaling

int32_t CmgBBIFunction::ScaleAxis(CmgBBI& image, int32_t num, int32_t den, bool vertical) {
  if (image.GetBBIHandle() == nullptr || num < 1 || den < 1 || num == den) return kNothing;
  const int32_t w = image.Width();
  const int32_t h = image.height();
  const int64_t old = vertical ? h : w;
  // The new length: old x num / den rounded halves to even, in exact integers.
  const int64_t product = old * num;
  int64_t length = product / den;
  const int64_t twice = (product % den) * 2;
  if (twice > den || (twice == den && (length & 1) != 0)) ++length;
  length = std::max<int64_t>(length, 1);
  const int64_t limit = vertical ? BLIVO_BBI_MAX_HEIGHT : BLIVO_BBI_MAX_WIDTH;
  if (length > limit || TooLarge(vertical ? w : length, vertical ? length : h)) return kNothing;
  // The resampler takes factors up to 128 / 128: reduce, and approximate what is still larger.
  const int32_t g = std::gcd(num, den);
  num /= g;
  den /= g;
  if (num > 128 || den > 128) {
    const double k = 128.0 / std::max(num, den);
    num = std::max(1, static_cast<int32_t>(std::lrint(num * k)));
    den = std::max(1, static_cast<int32_t>(std::lrint(den * k)));
  }
  const auto n = static_cast<int32_t>(length);
  const int32_t nw = vertical ? w : n;
  const int32_t nh = vertical ? n : h;
  auto resample = [&](CmgBBI& d, CmgBBI& s, int32_t rw, int32_t rh) {
    if (vertical) return BBIBltVScale(d, s, 0, 0, rw, rh, 0, 0, num, den);
    return BBIBltUScale(d, s, 0, 0, rw, rh, 0, 0, num, den);
  };
  if (n > old) {
    // Enlarging reads the source over the new length: copy into a scratch of that length, the
    // first line past the picture repeating its last so a rounded-up end stays its colour.
    CmgBBI& s = Scratch(kWork, nw, nh);
    BBIBlt(s, image, 0, 0, w, h, 0, 0);
    if (vertical)
      BBIBlt(s, image, 0, h, w, 1, 0, h - 1);
    else
      BBIBlt(s, image, w, 0, 1, h, w - 1, 0);
    image.CreateBBI(nw, nh);
    return resample(image, s, nw, nh);
  }
  CmgBBI& s = Scratch(kWork, w, h);
  resample(s, image, w, h);
  image.CreateBBI(nw, nh);
  return BBIBlt(image, s, 0, 0, nw, nh, 0, 0);
}

int32_t CmgBBIFunction::EfectScaleX(CmgBBI& image, int32_t numerator, int32_t denominator) {
  return ScaleAxis(image, numerator, denominator, false);
}
int32_t CmgBBIFunction::EfectScaleY(CmgBBI& image, int32_t numerator, int32_t denominator) {
  return ScaleAxis(image, numerator, denominator, true);
}
int32_t CmgBBIFunction::EfectScale(CmgBBI& image, int32_t numerator, int32_t denominator) {
  const int32_t x = EfectScaleX(image, numerator, denominator);
  const int32_t y = EfectScaleY(image, numerator, denominator);
  return x == 0 || y == 0 ? 0 : kNothing;
}

}  // namespace image

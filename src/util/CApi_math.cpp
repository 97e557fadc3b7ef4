// CApi's maths: random draws, counters, interpolation, colour ramps, angles, distances and hit
// tests. The radian constants are the program's own literals (not the exact values), and the
// values stored in single precision mid-way stay floats: both show in the last bits of results
// that game logic compares.
#include "util/CApi.h"

#include <bit>
#include <climits>
#include <cmath>

#include "platform/CBlivoBinding.h"

namespace util {

namespace {

constexpr double kQuarterTurn = 1.5707963;
constexpr double kThreeQuarters = 4.7123889;
constexpr double kFullTurn = 6.2831852;
constexpr float kHalfTurn = 3.1415925f;
static_assert(std::bit_cast<uint32_t>(kHalfTurn) == 0x40490FDAu);
constexpr double kRadToDeg = 57.2957914;
constexpr double kDegToRad = 0.01745328;

// Round halves to even into the 32-bit range.
int32_t RoundToInt32(double v) {
  if (std::isnan(v)) return 0;
  if (v <= static_cast<double>(INT32_MIN)) return INT32_MIN;
  if (v >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  return static_cast<int32_t>(std::nearbyint(v));
}

// The pixel library's two-lane colour blend, for when the export cannot be had.
uint32_t BlendLocally(uint32_t c1, uint32_t c2, float fraction) {
  float f = fraction;
  if (!(f >= 0.0f)) f = 0.0f;
  if (f > 1.0f) f = 1.0f;
  const auto k = static_cast<uint32_t>(f * 256.0f);
  const uint32_t lo = ((c1 & 0x00FF00FFu) * (256 - k) + (c2 & 0x00FF00FFu) * k) >> 8;
  const uint32_t hi = (((c1 >> 8) & 0x00FF00FFu) * (256 - k) + ((c2 >> 8) & 0x00FF00FFu) * k) >> 8;
  return (lo & 0x00FF00FFu) | ((hi & 0x00FF00FFu) << 8);
}

uint32_t ColorBlend(uint32_t c1, uint32_t c2, float fraction) {
  using BlendFn = uint32_t (*)(uint32_t, uint32_t, float);
  static platform::BlivoSlot slot{"dwColorBlend"};
  if (auto fn = reinterpret_cast<BlendFn>(platform::Resolve(slot))) return fn(c1, c2, fraction);
  return BlendLocally(c1, c2, fraction);
}

}  // namespace

// ---- Random numbers and counters ----------------------------------------------------------

float CApi::NextUniform() {
  // 24 random bits: every float in [0, 1) on the 2^-24 grid, never 1.
  return static_cast<float>(m_rng() >> 8) * (1.0f / 16777216.0f);
}

void CApi::Randomize(uint32_t seed) { m_rng.seed(seed); }

void CApi::FixSeed(uint32_t seed) {
  m_rng.seed(seed);
  m_fixedSeed = true;
  if (auto fn = BLIVO_FN(SetRandomSeed)) fn(seed);
}

int32_t CApi::Math_Rnd(int32_t min, int32_t max) {
  const float r = NextUniform();
  const double n = static_cast<double>(max) - static_cast<double>(min) + 1.0;
  return RoundToInt32(std::floor(static_cast<double>(r) * n) + min);
}

int32_t CApi::Rnd(int32_t min, int32_t max) {
  const int64_t n = static_cast<int64_t>(max) - min + 1;
  if (n < 1 || n > INT32_MAX) return min;
  auto fn = BLIVO_FN(GetRandom);
  if (fn == nullptr) return min;
  int64_t r = fn(static_cast<int32_t>(n));
  if (r < 0 || r >= n) r = 0;
  return static_cast<int32_t>(min + r);
}

float CApi::Math_Remainder(float a, float b) {
  const double da = a;
  const double db = b;
  return static_cast<float>(da - std::floor(da / db) * db);
}

int32_t CApi::Math_MaxDiv(int32_t src1, int32_t src2) {
  if (src1 == 0 || src2 == 0) return 0;
  if (src1 == 1 || src2 == 1) return 1;
  // 64-bit so that INT32_MIN mod -1 is simply 0.
  int64_t r = static_cast<int64_t>(src1) % src2;
  if (r == 0) return src2;
  int64_t a = src2;
  int64_t b = r;
  for (;;) {
    if (b == 1) return 1;
    r = a % b;
    a = b;
    b = r;
    if (r == 0) return static_cast<int32_t>(a);
  }
}

// ---- Interpolation and colour ---------------------------------------------------------------

float CApi::Math_Line(float t, float a, float b, float t1, float t2) {
  if (t1 == t2) return static_cast<float>((static_cast<double>(a) + b) / 2.0);
  const double span = static_cast<double>(t2) - t1;
  const double dt = static_cast<double>(t) - t1;
  return static_cast<float>((1.0 - dt / span) * a + dt * b / span);
}

int32_t CApi::Math_Color(float pos, std::span<const int32_t> colors) {
  if (colors.empty()) return 0;
  const size_t n = std::min<size_t>(colors.size() - 1, INT32_MAX - 1);
  float p = pos;
  if (!(p >= 0.0f)) p = 0.0f;
  if (p > 1.0f) p = 1.0f;
  p *= static_cast<float>(n);
  const float whole = std::floor(p);
  const auto i = static_cast<size_t>(whole);
  if (i >= n) return colors[n];
  const float f = p - whole;
  return static_cast<int32_t>(ColorBlend(static_cast<uint32_t>(colors[i]),
                                         static_cast<uint32_t>(colors[i + 1]), f));
}

int32_t CApi::Math_FlipColor(int32_t color) {
  const int32_t r = color % 256;
  const int32_t g = (color / 256) % 256;
  const int32_t b = (color / 65536) % 256;
  return r * 65536 + g * 256 + b;
}

// ---- Angles and vectors ---------------------------------------------------------------------

float CApi::Homing(float dx, float dy) {
  if (dy == 0.0f) return dx < 0.0f ? kHalfTurn : 0.0f;
  const double base = std::atan(static_cast<double>(dx) / static_cast<double>(dy));
  return static_cast<float>(dy < 0.0f ? base + kQuarterTurn : base + kThreeQuarters);
}

float CApi::Math_HomingRadian(float x1, float y1, float x2, float y2) {
  if (y1 == y2) return x1 > x2 ? kHalfTurn : 0.0f;
  const double base = std::atan((static_cast<double>(x1) - x2) / (static_cast<double>(y1) - y2));
  return static_cast<float>(y1 < y2 ? base + kThreeQuarters : base + kQuarterTurn);
}

float CApi::Math_Homing(float x1, float y1, float x2, float y2) {
  if (y1 == y2) return x1 > x2 ? 180.0f : 0.0f;
  const double base =
      std::atan((static_cast<double>(x1) - x2) / (static_cast<double>(y1) - y2)) * kRadToDeg;
  return static_cast<float>(y1 < y2 ? base + 270.0 : base + 90.0);
}

float CApi::Math_Sin(float deg) { return static_cast<float>(std::sin(deg * kDegToRad)); }

float CApi::Math_Cos(float deg) { return static_cast<float>(std::cos(deg * kDegToRad)); }

float CApi::Math_Fan(float a, float b) {
  const auto d = static_cast<float>(static_cast<double>(b) - a);
  if (d < 0.0f) return d < -kHalfTurn ? static_cast<float>(d + kFullTurn) : d;
  return d < kHalfTurn ? d : static_cast<float>(d - kFullTurn);
}

void CApi::Math_Vector_Add(float& angle, float& length, float addAngle, float addLength) {
  const auto x = static_cast<float>(static_cast<double>(length) * std::cos(static_cast<double>(angle)) +
                                    static_cast<double>(addLength) * std::cos(static_cast<double>(addAngle)));
  const auto y = static_cast<float>(-(static_cast<double>(length) * std::sin(static_cast<double>(angle)) +
                                      static_cast<double>(addLength) * std::sin(static_cast<double>(addAngle))));
  angle = Homing(x, y);
  length = Math_Length(0.0f, 0.0f, x, y);
}

float CApi::Math_Length(float x1, float y1, float x2, float y2) {
  const auto dx = static_cast<float>(static_cast<double>(x1) - x2);
  const auto dy = static_cast<float>(static_cast<double>(y1) - y2);
  return static_cast<float>(
      std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
}

// ---- Geometry and hit tests -----------------------------------------------------------------

bool CApi::Math_Hit_PointRect(float tx, float ty, float boxX1, float boxY1, float boxX2,
                              float boxY2) {
  return boxX1 <= tx && tx <= boxX2 && boxY1 <= ty && ty <= boxY2;
}

bool CApi::Math_Hit_RectRect(float aBoxX1, float aBoxY1, float aBoxX2, float aBoxY2, float bBoxX1,
                             float bBoxY1, float bBoxX2, float bBoxY2) {
  return aBoxX1 <= bBoxX2 && aBoxX2 >= bBoxX1 && aBoxY1 <= bBoxY2 && aBoxY2 >= bBoxY1;
}

float CApi::Math_Side(float px, float py, float ax, float ay, float bx, float by) {
  const double v = (static_cast<double>(px) - ax) * (static_cast<double>(py) - by) -
                   (static_cast<double>(py) - ay) * (static_cast<double>(px) - bx);
  return static_cast<float>(v);
}

bool CApi::Math_Hit_LineLine(float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                             float y4) {
  const float s1 = Math_Side(x3, y3, x1, y1, x2, y2);
  const float s2 = Math_Side(x4, y4, x1, y1, x2, y2);
  const float s3 = Math_Side(x1, y1, x3, y3, x4, y4);
  const float s4 = Math_Side(x2, y2, x3, y3, x4, y4);
  const auto p12 = static_cast<float>(static_cast<double>(s2) * s1);
  const auto p34 = static_cast<float>(static_cast<double>(s4) * s3);
  return p12 < 0.0f && p34 < 0.0f;
}

bool CApi::Math_Hit_LineRect(float x1, float y1, float x2, float y2, float boxX1, float boxY1,
                             float boxX2, float boxY2) {
  return Math_Hit_PointRect(x1, y1, boxX1, boxY1, boxX2, boxY2) ||
         Math_Hit_PointRect(x2, y2, boxX1, boxY1, boxX2, boxY2) ||
         Math_Hit_LineLine(x1, y1, x2, y2, boxX1, boxY1, boxX2, boxY1) ||
         Math_Hit_LineLine(x1, y1, x2, y2, boxX2, boxY1, boxX2, boxY2) ||
         Math_Hit_LineLine(x1, y1, x2, y2, boxX2, boxY2, boxX1, boxY2) ||
         Math_Hit_LineLine(x1, y1, x2, y2, boxX1, boxY2, boxX1, boxY1);
}

int32_t CApi::Math_Intersection(float& outX, float& outY, float x1, float y1, float x2, float y2,
                                float x3, float y3, float x4, float y4) {
  const auto dx1 = static_cast<float>(static_cast<double>(x2) - x1);
  const auto dy1 = static_cast<float>(static_cast<double>(y2) - y1);
  const auto dx2 = static_cast<float>(static_cast<double>(x4) - x3);
  const auto dy2 = static_cast<float>(static_cast<double>(y4) - y3);
  const auto den = static_cast<float>(static_cast<double>(dy1) * dx2 - static_cast<double>(dy2) * dx1);
  if (den == 0.0f) return 2;
  const auto t2 = static_cast<float>(((static_cast<double>(y3) - y1) * dx1 -
                                      (static_cast<double>(x3) - x1) * dy1) / den);
  float t1 = 0.0f;
  if (dx1 == 0.0f) {
    t1 = static_cast<float>((static_cast<double>(t2) * dy2 + y3 - y1) / dy1);
  } else {
    t1 = static_cast<float>((static_cast<double>(t2) * dx2 + x3 - x1) / dx1);
  }
  outX = static_cast<float>(static_cast<double>(t1) * dx1 + x1);
  outY = static_cast<float>(static_cast<double>(dy1) * t1 + y1);
  const bool onFirst = t1 >= 0.0f && t1 <= 1.0f;
  const bool onSecond = t2 >= 0.0f && t2 <= 1.0f;
  return onFirst && onSecond ? 0 : 1;
}

int32_t CApi::Math_CrossLength(float& dist, float x1, float y1, float x2, float y2, float px,
                               float py) {
  const auto dx = static_cast<float>(static_cast<double>(x1) - x2);
  const auto dy = static_cast<float>(static_cast<double>(y1) - y2);
  const auto l2 = static_cast<float>(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
  if (l2 == 0.0f) return 3;
  const double cross = (static_cast<double>(y2) - y1) * px + (static_cast<double>(x1) - x2) * py +
                       static_cast<double>(y1) * x2 - static_cast<double>(x1) * y2;
  dist = static_cast<float>(std::fabs(cross) / std::sqrt(static_cast<double>(l2)));
  const auto t = static_cast<float>(((static_cast<double>(x2) - x1) * (static_cast<double>(px) - x1) +
                                     (static_cast<double>(y2) - y1) * (static_cast<double>(py) - y1)) / l2);
  if (t < 0.0f) return 1;
  if (t > 1.0f) return 2;
  return 0;
}

}  // namespace util

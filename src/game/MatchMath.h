// Rounding and angle helpers shared by the match's source files: conversions to integers round
// halves to even, and "modulo 360" keeps the dividend's sign, as the rules state.
#pragma once

#include <climits>
#include <cmath>
#include <cstdint>

#include "util/CApi.h"

namespace game::match_math {

inline int32_t RoundI(double v) {
  if (std::isnan(v)) return 0;
  if (v <= static_cast<double>(INT32_MIN)) return INT32_MIN;
  if (v >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  return static_cast<int32_t>(std::nearbyint(v));
}

// round(v) modulo 360, the remainder taking the sign of the dividend.
inline float RoundMod360(double v) { return static_cast<float>(RoundI(v) % 360); }

inline double CosD(double deg) { return util::CApi::Math_Cos(static_cast<float>(deg)); }
inline double SinD(double deg) { return util::CApi::Math_Sin(static_cast<float>(deg)); }

}  // namespace game::match_math

// The numeric parser on arbitrary text: no overflow, no read past the end, results that agree
// with the clamping rules.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "util/CApi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto parsed = util::CApi::ParseNumber(text);
  const int32_t value = util::CApi::LVal(text);
  if (!parsed && value != 0) std::abort();
  if (parsed && *parsed >= 2147483647.0 && value != INT32_MAX) std::abort();
  if (parsed && *parsed <= -2147483648.0 && value != INT32_MIN) std::abort();
  const int32_t bounded = util::CApi::LValBound(text, -100, 100);
  if (bounded < -100 || bounded > 100) std::abort();
  (void)util::CApi::UVal(text);
  return 0;
}

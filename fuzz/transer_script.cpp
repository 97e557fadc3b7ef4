// Pattern scripts from outside: any bytes are a script. The parser keeps only the five
// keywords, every value notation reads without fault, and drawing touches only the target,
// whose size never changes; TranserAlpha changes nothing but alpha.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "image/CTranser.h"
#include "image/CmgBBIFunction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view script(reinterpret_cast<const char*>(data), size);
  const auto commands = image::CTranser::Parse(script);
  for (const auto& cmd : commands) {
    if (cmd.keyword < 1 || cmd.keyword > 5) std::abort();
    for (const auto& p : cmd.params) {
      (void)image::CTranser::Length(p, 24, 0);
      (void)image::CTranser::Colour(p, 0);
    }
  }
  static image::CmgBBIFunction fn;
  image::CmgBBI target;
  target.CreateBBI(24, 18);
  if (fn.Transer(target, script) != static_cast<int32_t>(commands.size())) std::abort();
  if (target.Width() != 24 || target.height() != 18) std::abort();
  image::CmgBBI alpha;
  alpha.CreateBBI(9, 7);
  for (int32_t y = 0; y < 7; ++y)
    for (int32_t x = 0; x < 9; ++x) alpha.dwSetPixel(x, y, 0x00123456u);
  fn.TranserAlpha(alpha, script);
  for (int32_t y = 0; y < 7; ++y)
    for (int32_t x = 0; x < 9; ++x)
      if ((alpha.dwGetPixel(x, y) & 0xFFFFFFu) != 0x123456u) std::abort();
  return 0;
}

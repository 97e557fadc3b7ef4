// Text file bytes as LoadText reads them: plain text cut at NUL, or the scrambled format whose
// length field and check patterns come from outside. A text that decodes must survive a round
// trip through the writer.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "util/CApi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const std::string text = util::CApi::DecodeTextBytes(bytes);
  // UTF-16 units of 2 bytes become at most 3 UTF-8 bytes.
  if (text.size() > size + size / 2) std::abort();
  if (!text.empty() && size > 0 && data[0] == 0) {
    // Scrambled text: written again it must read back the same (replacement characters from
    // broken UTF-16 are valid UTF-8 and stay as they are).
    if (util::CApi::DecodeTextBytes(util::CApi::EncodeScrambledText(text)) != text) std::abort();
  }
  return 0;
}

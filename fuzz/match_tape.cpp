// Recording files: any bytes are either refused with a reason or parsed into a tape that
// serializes back to the very same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "game/CMatchTape.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  game::CMatchTape tape;
  const std::span<const uint8_t> bytes(data, size);
  if (!game::CMatchTape::Parse(bytes, tape).empty()) return 0;
  const std::vector<uint8_t> again = tape.Serialize();
  if (again.size() != size || !std::equal(again.begin(), again.end(), bytes.begin())) std::abort();
  return 0;
}

// Recording files: any bytes are either refused with a reason or parsed into a tape that
// serializes back to the very same bytes. Each input is tried as it is and with a correct
// checksum appended, so that the checks behind the checksum are reached too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "game/CMatchTape.h"

namespace {

void ParseOrRefuse(std::span<const uint8_t> bytes) {
  game::CMatchTape tape;
  if (!game::CMatchTape::Parse(bytes, tape).empty()) return;
  const std::vector<uint8_t> again = tape.Serialize();
  if (again.size() != bytes.size() || !std::equal(again.begin(), again.end(), bytes.begin()))
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  ParseOrRefuse(bytes);
  std::vector<uint8_t> sealed(bytes.begin(), bytes.end());
  const uint32_t crc = game::CMatchTape::Crc32(bytes);
  for (int i = 0; i < 4; ++i) sealed.push_back(static_cast<uint8_t>(crc >> (8 * i)));
  ParseOrRefuse(sealed);
  return 0;
}

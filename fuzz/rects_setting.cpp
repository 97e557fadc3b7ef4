// Fuzz target: rectangle list text through CRects::Setting, then the cursor moves over the
// result, and the text form written back must read in to the same text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "util/CRects.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  util::CRects list;
  list.Setting(text);
  if (list.Count() > util::CRects::kMaxSlots) std::abort();
  // Each spatial move scans every slot: probe a few slots, and only one on the largest lists.
  const int32_t probes = list.Count() > 1024 ? 1 : (list.Count() < 8 ? list.Count() : 8);
  for (int32_t i = -1; i < probes; ++i) {
    for (int32_t dx = -1; dx <= 1; ++dx) {
      for (int32_t dy = -1; dy <= 1; ++dy) {
        const int32_t next = list.NextIndexEx(i, dx, dy);
        if (next < -1 || next >= list.Count()) std::abort();
      }
    }
    (void)list.LinearIndex(i, -1);
    (void)list.Point(i, i);
  }
  const std::string written = list.GetSettingStr();
  util::CRects again;
  again.Setting(written);
  if (again.GetSettingStr() != written) std::abort();
  return 0;
}

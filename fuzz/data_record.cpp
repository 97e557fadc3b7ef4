// Fuzz target: a data record file in memory through the loader (plain or scrambled). A tree that
// loads and can be written plainly must come back equal from its own plain bytes.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "util/PSSData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  util::PSSData tree;
  if (tree.DataLoadFromBytes(std::span<const uint8_t>(data, size)) != 0) return 0;
  (void)tree.DataReport();
  const auto plain = tree.DataSaveToBytes(0);
  if (!plain) return 0;  // a string longer than the plain format holds
  util::PSSData again;
  if (again.DataLoadFromBytes(*plain) != 0) std::abort();
  if (util::PSSData::DataTest(again, tree) != 0) std::abort();
  const auto scrambled = tree.DataSaveToBytes(1);
  if (!scrambled || again.DataLoadFromBytes(*scrambled) != 0) std::abort();
  return 0;
}

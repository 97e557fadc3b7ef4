// Fuzz target: a whole .pak archive in memory through the directory reader. A directory that
// loads must describe only members inside the bytes given, sorted for the lookup, and every
// member must be found again by its own name.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "util/CPakArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  util::CPakArchive archive;
  if (archive.LoadFromMemory(std::span<const uint8_t>(data, size)) !=
      util::CPakArchive::LoadStatus::kOk) {
    return 0;
  }
  const auto& files = archive.Files();
  for (size_t i = 0; i < files.size(); ++i) {
    const util::PakEntry& entry = files[i];
    if (entry.position < 1 || entry.size < 0 ||
        static_cast<uint64_t>(entry.position) - 1 + static_cast<uint64_t>(entry.size) > size) {
      std::abort();
    }
    if (i > 0 && util::CPakArchive::CompareNames(files[i - 1].name, entry.name) > 0) std::abort();
    if (archive.Find(entry.name) == nullptr) std::abort();
  }
  return 0;
}

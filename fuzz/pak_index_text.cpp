// Fuzz target: the plain texts of an archive's two tables, scrambled here, so that mutations
// reach the member fields behind the scrambler's check. The input is the file index text, a
// byte 0xFF, the folder text, a byte 0xFF, then the member data; the counts are the texts' own.
// A directory that loads must hold members that lie inside the data without sharing a byte,
// each found again by its own name, and every folder name as stored.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "util/CPakArchive.h"
#include "util/TextCodec.h"

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(v >> (8 * k)));
}

void PutTable(std::vector<uint8_t>& out, std::string_view text) {
  const std::vector<uint8_t> block = util::CPakArchive::ScrambleBlock(util::Utf8ToUtf16Le(text));
  out.insert(out.end(), {1, 0});
  PutU32(out, static_cast<uint32_t>(block.size()));
  PutU32(out, 0);
  out.insert(out.end(), block.begin(), block.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t firstCut = std::min(input.find('\xFF'), input.size());
  const std::string_view fileText = input.substr(0, firstCut);
  std::string_view rest = input.substr(std::min(firstCut + 1, input.size()));
  const size_t secondCut = std::min(rest.find('\xFF'), rest.size());
  const std::string_view folderText = rest.substr(0, secondCut);
  const std::string_view memberData = rest.substr(std::min(secondCut + 1, rest.size()));

  std::vector<uint8_t> archive;
  PutU32(archive, util::CPakArchive::kIdentifier);
  archive.insert(archive.end(), {'<', 'P', '1', '>'});
  PutU32(archive, 0);
  PutU32(archive, static_cast<uint32_t>(util::PakNameList::Count(fileText)));
  PutTable(archive, fileText);
  const size_t folderCount = util::PakNameList::Count(folderText);
  PutU32(archive, static_cast<uint32_t>(folderCount));
  PutTable(archive, folderText);
  const auto start = static_cast<uint32_t>(archive.size() + 1);
  for (int k = 0; k < 4; ++k) archive[8 + k] = static_cast<uint8_t>(start >> (8 * k));
  archive.insert(archive.end(), memberData.begin(), memberData.end());

  util::CPakArchive pak;
  if (pak.LoadFromMemory(archive) != util::CPakArchive::LoadStatus::kOk) return 0;
  const auto& files = pak.Files();
  std::vector<std::pair<int64_t, int64_t>> spans;
  for (size_t i = 0; i < files.size(); ++i) {
    const util::PakEntry& entry = files[i];
    if (entry.position < static_cast<int32_t>(start) || entry.size < 0 ||
        static_cast<uint64_t>(entry.position) - 1 + static_cast<uint64_t>(entry.size) >
            archive.size()) {
      std::abort();
    }
    if (i > 0 && util::CPakArchive::CompareNames(files[i - 1].name, entry.name) > 0) std::abort();
    if (pak.Find(entry.name) == nullptr) std::abort();
    spans.emplace_back(entry.position, entry.size);
  }
  std::sort(spans.begin(), spans.end());
  for (size_t i = 1; i < spans.size(); ++i) {
    if (spans[i - 1].first + spans[i - 1].second > spans[i].first) std::abort();
  }
  if (pak.Folders().size() != folderCount) std::abort();
  size_t walked = 0;
  for (std::string_view name : pak.Folders()) {
    if (name.find('\0') != std::string_view::npos) std::abort();
    ++walked;
  }
  if (walked != folderCount) std::abort();
  return 0;
}

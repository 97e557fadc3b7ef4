// tumbleroo-pak: the command-line face of the game's .pak archives (CPakArchive): pack a folder
// into FOLDER.pak, unpack an archive into a folder, list an archive's members. Messages go to
// stderr; the exit code says how it went.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "util/CPakArchive.h"

namespace {

// Exit codes.
constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kPartial = 3;  // done, but some entries were left out

constexpr const char* kUsageText =
    "usage: tumbleroo-pak pack FOLDER\n"
    "       tumbleroo-pak unpack ARCHIVE FOLDER\n"
    "       tumbleroo-pak list ARCHIVE\n"
    "\n"
    "  pack    writes every file below FOLDER into FOLDER.pak (replacing it)\n"
    "  unpack  writes the members of ARCHIVE below FOLDER (FOLDER is created when its parent\n"
    "          exists); members that are absolute or climb out of FOLDER are refused\n"
    "  list    prints each member's name and size in bytes, tab-separated\n"
    "\n"
    "exit codes: 0 done, 1 failed, 2 bad command line, 3 done but some entries were left out\n";

std::string Shown(std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return name;
}

const char* Reason(util::CPakArchive::LoadStatus status) {
  switch (status) {
    case util::CPakArchive::LoadStatus::kMissing:
      return "cannot open";
    case util::CPakArchive::LoadStatus::kNotArchive:
      return "not a pak archive";
    case util::CPakArchive::LoadStatus::kCorrupt:
      return "corrupt archive directory";
    case util::CPakArchive::LoadStatus::kOk:
      break;
  }
  return "ok";
}

int Pack(const std::string& folder) {
  const util::CPakArchive::CreateResult result = util::CPakArchive::Create(folder);
  for (const std::string& name : result.skipped) {
    std::fprintf(stderr, "tumbleroo-pak: left out (name cannot be stored): %s\n", name.c_str());
  }
  if (!result.error.empty()) {
    std::fprintf(stderr, "tumbleroo-pak: %s\n", result.error.c_str());
    return kFailed;
  }
  if (result.archive.empty()) {
    std::fprintf(stderr, "tumbleroo-pak: no files below %s; nothing written\n", folder.c_str());
    return kFailed;
  }
  std::printf("%s\n", result.archive.c_str());
  return result.skipped.empty() ? kOk : kPartial;
}

int Unpack(const std::string& archive, const std::string& folder) {
  util::CPakArchive probe;
  const util::CPakArchive::LoadStatus status = probe.Load(archive);
  if (status != util::CPakArchive::LoadStatus::kOk) {
    std::fprintf(stderr, "tumbleroo-pak: %s: %s\n", archive.c_str(), Reason(status));
    return kFailed;
  }
  const util::CPakArchive::DecodeResult result = util::CPakArchive::Decode(folder, archive);
  if (result.folder.empty()) {
    std::fprintf(stderr, "tumbleroo-pak: cannot make the folder %s\n", folder.c_str());
    return kFailed;
  }
  if (!result.loaded) {
    std::fprintf(stderr, "tumbleroo-pak: %s: cannot read the archive\n", archive.c_str());
    return kFailed;
  }
  for (const std::string& name : result.skipped) {
    std::fprintf(stderr, "tumbleroo-pak: refused unsafe member: %s\n", name.c_str());
  }
  for (const std::string& name : result.failed) {
    std::fprintf(stderr, "tumbleroo-pak: could not write member: %s\n", name.c_str());
  }
  if (!result.failed.empty()) return kFailed;
  return result.skipped.empty() ? kOk : kPartial;
}

int List(const std::string& archive) {
  util::CPakArchive pak;
  const util::CPakArchive::LoadStatus status = pak.Load(archive);
  if (status != util::CPakArchive::LoadStatus::kOk) {
    std::fprintf(stderr, "tumbleroo-pak: %s: %s\n", archive.c_str(), Reason(status));
    return kFailed;
  }
  for (const util::PakEntry& entry : pak.Files()) {
    std::printf("%s\t%d\n", Shown(entry.name).c_str(), entry.size);
  }
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::fputs(kUsageText, stderr);
    return kUsage;
  }
  const std::string_view command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsageText, stdout);
    return kOk;
  }
  if (command == "pack" && args.size() == 2) return Pack(std::string(args[1]));
  if (command == "unpack" && args.size() == 3) {
    return Unpack(std::string(args[1]), std::string(args[2]));
  }
  if (command == "list" && args.size() == 2) return List(std::string(args[1]));
  std::fprintf(stderr, "tumbleroo-pak: bad command line\n%s", kUsageText);
  return kUsage;
}

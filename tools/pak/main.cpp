// tumbleroo-pak: the command-line face of the game's .pak archives (CPakArchive): pack a folder
// into FOLDER.pak, unpack an archive into a folder, list an archive's members. Messages go to
// stderr, names in them escaped; the exit code says how it went.
#include <cstdint>
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
    "          exists); members that are absolute, climb out of FOLDER or pass through a\n"
    "          symbolic link are refused\n"
    "  list    prints each member's name and size in bytes, tab-separated\n"
    "\n"
    "exit codes: 0 done, 1 failed, 2 bad command line, 3 done but some entries were left out\n";

// Names come from archives and folders that may be hostile: control characters, bytes that are
// not UTF-8 and the marks that reorder text are escaped, so a name cannot forge lines or drive
// the terminal.
std::string Printable(std::string_view text) {
  std::string out;
  char code[16] = {};
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 1;
    uint32_t c = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      c = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      c = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      c = lead & 0x07u;
    } else if (lead >= 0x80) {
      length = 0;  // a byte that cannot start a character
    }
    for (size_t k = 1; k < length; ++k) {
      const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
      if ((next & 0xC0u) != 0x80u) {
        length = 0;
        break;
      }
      c = (c << 6) | (next & 0x3Fu);
    }
    const bool shortest = length < 3 || (length == 3 && c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) ||
                          (length == 4 && c >= 0x10000 && c <= 0x10FFFF);
    if (length == 0 || !shortest) {
      std::snprintf(code, sizeof code, "\\x%02X", lead);
      out += code;
      ++i;
      continue;
    }
    const bool control = c < 0x20 || c == 0x7F;
    const bool hidden = (c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
                        (c >= 0x200E && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
                        (c >= 0x2066 && c <= 0x2069);
    if (control) {
      std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned>(c));
      out += code;
    } else if (hidden) {
      std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c));
      out += code;
    } else {
      out.append(text.substr(i, length));
    }
    i += length;
  }
  return out;
}

// A member name as the list shows it: "/" separators, escaped.
std::string Shown(std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return Printable(name);
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
  for (const util::PakSkip& skip : result.skipped) {
    std::fprintf(stderr, "tumbleroo-pak: left out %s (%s)\n", Printable(skip.name).c_str(),
                 skip.reason.c_str());
  }
  if (!result.error.empty()) {
    std::fprintf(stderr, "tumbleroo-pak: %s\n", Printable(result.error).c_str());
    return kFailed;
  }
  if (result.archive.empty()) {
    std::fprintf(stderr, "tumbleroo-pak: no files below %s; nothing written\n",
                 Printable(folder).c_str());
    return kFailed;
  }
  std::printf("%s\n", Printable(result.archive).c_str());
  return result.skipped.empty() ? kOk : kPartial;
}

int Unpack(const std::string& archive, const std::string& folder) {
  util::CPakArchive probe;
  const util::CPakArchive::LoadStatus status = probe.Load(archive);
  if (status != util::CPakArchive::LoadStatus::kOk) {
    std::fprintf(stderr, "tumbleroo-pak: %s: %s\n", Printable(archive).c_str(), Reason(status));
    return kFailed;
  }
  const util::CPakArchive::DecodeResult result = util::CPakArchive::Decode(folder, archive);
  if (result.folder.empty()) {
    std::fprintf(stderr, "tumbleroo-pak: cannot make the folder %s\n", Printable(folder).c_str());
    return kFailed;
  }
  if (!result.loaded) {
    std::fprintf(stderr, "tumbleroo-pak: %s: cannot read the archive\n",
                 Printable(archive).c_str());
    return kFailed;
  }
  for (const util::PakSkip& skip : result.skipped) {
    std::fprintf(stderr, "tumbleroo-pak: refused unsafe member: %s (%s)\n",
                 Printable(skip.name).c_str(), skip.reason.c_str());
  }
  for (const util::PakSkip& failure : result.failed) {
    std::fprintf(stderr, "tumbleroo-pak: could not write member: %s (%s)\n",
                 Printable(failure.name).c_str(), failure.reason.c_str());
  }
  if (!result.failed.empty()) return kFailed;
  return result.skipped.empty() ? kOk : kPartial;
}

int List(const std::string& archive) {
  util::CPakArchive pak;
  const util::CPakArchive::LoadStatus status = pak.Load(archive);
  if (status != util::CPakArchive::LoadStatus::kOk) {
    std::fprintf(stderr, "tumbleroo-pak: %s: %s\n", Printable(archive).c_str(), Reason(status));
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

// tumbleroo-img: the command-line face of the game's image objects, for people who make assets.
// It loads and saves through exactly the game's readers and writers (CmgBBIBase) and has no
// image code of its own. Messages go to stderr, one line each; the exit code says how it went.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "image/CmgBBI.h"
#include "util/CApi.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "usage: tumbleroo-img info FILE\n"
    "       tumbleroo-img convert IN OUT [--compress MODE] [--alpha]\n"
    "\n"
    "  info     prints the image's size, which reader loaded it and how a block file is stored\n"
    "  convert  loads IN (block file, bitmap, PNG, JPEG, GIF, ...) and writes OUT: a bitmap when\n"
    "           OUT ends in .bmp (24 bits, 32 with --alpha), else a block file compressed by\n"
    "           MODE: -1 stored, 0 the shortest of the three methods (default), 1, 2 or 3\n"
    "\n"
    "exit codes: 0 done, 1 failed, 2 bad command line\n";

int Usage(const char* problem) {
  std::fprintf(stderr, "tumbleroo-img: %s\n%s", problem, kUsageText);
  return kUsage;
}

int Fail(const std::string& file, const std::string& reason) {
  std::fprintf(stderr, "tumbleroo-img: %s: %s\n", file.c_str(), reason.c_str());
  return kFailed;
}

bool EndsWith(std::string_view s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char c = s[s.size() - tail.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != tail[i]) return false;
  }
  return true;
}

// Loads through the game's path; on failure says why in the message.
bool LoadImage(util::CApi& api, image::CmgBBI& img, const std::string& file,
               image::LoadInfo& info, std::string& why) {
  if (api.PakFileOpen(file) != 0) {
    why = "cannot be opened";
    return false;
  }
  api.PakFileClose();
  if (img.CreateBBIfromFile(file, "", &info) != 0) {
    why = "not an image this program reads, or damaged";
    return false;
  }
  return true;
}

const char* ReaderName(image::LoadInfo::Reader r) {
  switch (r) {
    case image::LoadInfo::Reader::kBlockFile:
      return "block file";
    case image::LoadInfo::Reader::kBitmap:
      return "bitmap";
    case image::LoadInfo::Reader::kPicture:
      return "picture";
    default:
      return "none";
  }
}

int Info(util::CApi& api, const std::string& file) {
  image::CmgBBI img(&api);
  image::LoadInfo info;
  std::string why;
  if (!LoadImage(api, img, file, info, why)) return Fail(file, why);
  std::printf("%s: %d x %d, %s", file.c_str(), img.Width(), img.height(), ReaderName(info.reader));
  if (info.reader == image::LoadInfo::Reader::kBlockFile) {
    if (info.compression < 0)
      std::printf(", stored");
    else
      std::printf(", compressed by method %d (mode %d)", info.compression, info.compression + 1);
  } else if (info.reader == image::LoadInfo::Reader::kBitmap) {
    std::printf(", %d bits", info.fileBits);
  }
  std::printf("\n");
  return kOk;
}

int Convert(util::CApi& api, const std::vector<std::string>& args) {
  std::string in, out;
  int32_t mode = 0;
  bool alpha = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--alpha") {
      alpha = true;
    } else if (a == "--compress") {
      if (i + 1 >= args.size()) return Usage("--compress needs a mode");
      const std::string& m = args[++i];
      if (m != "-1" && m != "0" && m != "1" && m != "2" && m != "3")
        return Usage("the compression mode is -1, 0, 1, 2 or 3");
      mode = std::atoi(m.c_str());
    } else if (a.starts_with("--")) {
      return Usage(("unknown option " + a).c_str());
    } else if (in.empty()) {
      in = a;
    } else if (out.empty()) {
      out = a;
    } else {
      return Usage("too many files");
    }
  }
  if (in.empty() || out.empty()) return Usage("convert needs IN and OUT");
  image::CmgBBI img(&api);
  image::LoadInfo info;
  std::string why;
  if (!LoadImage(api, img, in, info, why)) return Fail(in, why);
  const bool bitmap = EndsWith(out, ".bmp");
  const int32_t result =
      bitmap ? img.SaveToBitmap(out, alpha) : img.SaveToBBI(out, mode >= 0, "", mode);
  if (result != 0) return Fail(out, "cannot be written");
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("no command");
  util::CApi api;
  // The tool never asks: a load failure is its exit code and message.
  image::ImageMessages::Current().askOkCancel = nullptr;
  image::ImageMessages::Current().tell = nullptr;
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "info") {
    if (args.size() != 1) return Usage("info takes one file");
    return Info(api, args[0]);
  }
  if (command == "convert") return Convert(api, args);
  return Usage(("unknown command " + command).c_str());
}

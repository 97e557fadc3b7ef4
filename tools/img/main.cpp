// tumbleroo-img: the command-line face of the game's image objects, for people who make assets.
// It loads and saves through exactly the game's readers and writers (CmgBBIBase) and has no
// image code of its own. Messages go to stderr, one line each; the exit code says how it went.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "blivo/bbi_record.h"
#include "image/CmgBBI.h"
#include "image/CmgBBIFunction.h"
#include "image/CmgBBIString.h"
#include "image/CmgBitmapList.h"
#include "util/CApi.h"
#include "util/CRect.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "usage: tumbleroo-img info FILE\n"
    "       tumbleroo-img convert IN OUT [--compress MODE] [--alpha]\n"
    "       tumbleroo-img text TEXT OUT [--font NAME] [--size N] [--blur B] [--width W]\n"
    "                     [--cache DIR]\n"
    "\n"
    "  info     prints the image's size, which reader loaded it and how a block file is stored\n"
    "  convert  loads IN (block file, bitmap, PNG, JPEG, GIF, ...) and writes OUT: a bitmap when\n"
    "           OUT ends in .bmp (24 bits, 32 with --alpha), else a block file compressed by\n"
    "           MODE: -1 stored, 0 the shortest of the three methods (default), 1, 2 or 3\n"
    "  text     renders TEXT (UTF-8; \\n breaks a line) with the game's text renderer: white,\n"
    "           coverage in alpha, written as a 32-bit bitmap when OUT ends in .bmp, else a\n"
    "           block file. NAME is a font of the table (A to F, \"ゴシック\", ...) or a\n"
    "           \"#n Face\" name; N the size (1 to 144, default 20) and B the blur (0 to 36);\n"
    "           W wraps lines at that width; DIR is the glyph cache (default: the game's)\n"
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

bool ParseInt(const std::string& text, int32_t low, int32_t high, int32_t& out) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < low || v > high) return false;
  out = static_cast<int32_t>(v);
  return true;
}

// "\n" in the argument stands for a line break, since shells make real ones awkward.
std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += "\r\n";
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

int Text(util::CApi& api, const std::vector<std::string>& args) {
  std::string text, out, font, cache;
  int32_t size = 20, blur = 0, width = 0;
  bool haveText = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool valued = a == "--font" || a == "--size" || a == "--blur" || a == "--width" || a == "--cache";
    if (valued) {
      if (i + 1 >= args.size()) return Usage((a + " needs a value").c_str());
      const std::string& v = args[++i];
      if (a == "--font") font = v;
      if (a == "--cache") cache = v;
      if (a == "--size" && !ParseInt(v, 1, 100000, size)) return Usage("the size is a positive number");
      if (a == "--blur" && !ParseInt(v, 0, 100000, blur)) return Usage("the blur is a number from 0");
      if (a == "--width" && !ParseInt(v, 1, 100000, width)) return Usage("the width is a positive number");
    } else if (a.starts_with("--")) {
      return Usage(("unknown option " + a).c_str());
    } else if (!haveText) {
      text = Unescape(a);
      haveText = true;
    } else if (out.empty()) {
      out = a;
    } else {
      return Usage("too many arguments");
    }
  }
  if (!haveText || out.empty()) return Usage("text needs TEXT and OUT");

  image::CmgBitmapList list;
  image::CmgBBIFunction functions(&api);
  image::CmgBBIString renderer(&list, &functions, &api);
  if (cache.empty()) {
    renderer.FontFolder("\\Res\\font\\");  // the game's, beside the program; used only if it exists
  } else {
    if (cache.back() != '/') cache += '/';
    renderer.FontFolder(cache);
    if (!renderer.FontFolderExists()) return Fail(cache, "the cache folder does not exist");
  }
  renderer.FontName(font);
  renderer.FontSize(size);  // clamped as the game clamps
  renderer.FontBlur(blur);

  util::CRect box;
  box.Create(0, 0, width, 0);
  util::CRects rects = renderer.MathTextBox(text, box);
  // The picture is as large as the glyphs placed (blurred ones reach left of their box), with
  // a small margin.
  constexpr int32_t kMargin = 4;
  int64_t left = 0, top = 0, right = 1, bottom = 1;
  std::vector<image::CmgBBI*> glyphs;
  for (int32_t i = 0; i < rects.Count(); ++i) {
    image::CmgBBI* glyph = renderer.LoadFont(rects.ItemCaption(i));
    glyphs.push_back(glyph);
    if (glyph == nullptr) continue;
    const auto r = rects.Item(i);
    left = std::min<int64_t>(left, r->Left);
    top = std::min<int64_t>(top, r->Top);
    right = std::max<int64_t>(right, int64_t{r->Left} + glyph->Width());
    bottom = std::max<int64_t>(bottom, int64_t{r->Top} + glyph->height());
  }
  const int64_t w = right - left + 2 * kMargin, h = bottom - top + 2 * kMargin;
  image::CmgBBI picture(&api);
  if (w > BLIVO_BBI_MAX_WIDTH || h > BLIVO_BBI_MAX_HEIGHT) return Fail(out, "the text is too large for one picture");
  picture.CreateBBI(static_cast<int32_t>(w), static_cast<int32_t>(h));
  // White everywhere, coverage in alpha: the glyphs' own form, ready to be drawn over anything.
  functions.BBIClear(picture, 255, 255, 255, 0);
  for (int32_t i = 0; i < rects.Count(); ++i) {
    if (glyphs[size_t(i)] == nullptr) continue;
    const auto r = rects.Item(i);
    functions.BBIBltMax(picture, *glyphs[size_t(i)], static_cast<int32_t>(r->Left - left + kMargin),
                          static_cast<int32_t>(r->Top - top + kMargin));
  }
  const int32_t result = EndsWith(out, ".bmp") ? picture.SaveToBitmap(out, true) : picture.SaveToBBI(out, true, "", 0);
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
  if (command == "text") return Text(api, args);
  return Usage(("unknown command " + command).c_str());
}

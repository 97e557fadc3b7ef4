// tumbleroo-assets: lays out the game's whole Res tree (pictures, stages, sounds), drawn and
// synthesised from code with the engine's own image functions, text renderer and savers. The
// build runs it beside the program; the same sources always give the same bytes.
#include <cstdio>
#include <string>
#include <vector>

#include "ContactSheet.h"
#include "Families.h"
#include "image/CmgBBIBase.h"
#include "platform/CBlivoBinding.h"

namespace {

constexpr const char* kUsageText =
    "usage: tumbleroo-assets [--out FOLDER] [--sheets FOLDER]\n"
    "\n"
    "  --out     writes the Res tree into FOLDER (default: Res beside this program); the\n"
    "            Graphic, Sound and Stage folders are replaced, the glyph cache is left alone\n"
    "  --sheets  then writes PNG contact sheets of that tree into FOLDER\n"
    "\n"
    "exit codes: 0 done, 1 a file could not be written, 2 bad command line\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string out = platform::ExecutableFolder() + "Res";
  std::string sheets;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--out" && i + 1 < args.size()) {
      out = args[++i];
    } else if (args[i] == "--sheets" && i + 1 < args.size()) {
      sheets = args[++i];
    } else {
      std::fprintf(stderr, "tumbleroo-assets: unexpected argument %s\n%s", args[i].c_str(),
                   kUsageText);
      return 2;
    }
  }
  // A generator never waits on a dialog: failures are its exit code and messages.
  image::ImageMessages::Current().askOkCancel = nullptr;
  image::ImageMessages::Current().tell = nullptr;
  const std::vector<std::string> failures = assets::GenerateAll(out);
  for (const std::string& f : failures)
    std::fprintf(stderr, "tumbleroo-assets: %s/%s could not be written\n", out.c_str(), f.c_str());
  if (!failures.empty()) return 1;
  if (!sheets.empty() && !assets::WriteContactSheets(out, sheets)) {
    std::fprintf(stderr, "tumbleroo-assets: the contact sheets could not be written to %s\n",
                 sheets.c_str());
    return 1;
  }
  return 0;
}

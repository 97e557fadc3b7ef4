// Entry procedure: start the engine root (its checks end the program with a message when the
// system cannot run the game), bind the main window, create the scheduler and run game cycles
// until the window watcher says stop. Options come from one table (`kOptions`): `--version`
// prints the version; `--frames N` asks the window to close after N frames (the closing wipe
// then runs as after a user's close). Anything else on the command line is refused with the
// usage and exit code 2.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/CJob.h"
#include "engine/spLib.h"
#include "game/CForm.h"
#include "game/TheApp.h"
#include "input/spLibInput.h"
#include "platform/CWindow.h"
#include "present/CDisplayDevice.h"
#include "sound/spLibSound.h"
#include "version.h"

namespace {

struct Options {
  bool help = false;
  bool version = false;
  int64_t frames = -1;  // -1: no limit
};

// A whole decimal number within [low, high], or nullopt.
std::optional<int64_t> WholeNumber(const char* text, int64_t low, int64_t high) {
  errno = 0;
  char* end = nullptr;
  const long long n = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE || n < low || n > high) return std::nullopt;
  return n;
}

constexpr int64_t kMaxFrames = INT32_MAX;

// The program's options: adding one is one entry here. `value` names the value an option takes
// (nullptr: none); `apply` stores it and gives an error text for a value it cannot take.
struct OptionEntry {
  const char* name;
  const char* value;
  const char* help;
  std::string (*apply)(Options& options, const char* value);
};

const OptionEntry kOptions[] = {
    {"--help", nullptr, "print this help and exit",
     [](Options& o, const char*) {
       o.help = true;
       return std::string();
     }},
    {"--version", nullptr, "print the version and exit",
     [](Options& o, const char*) {
       o.version = true;
       return std::string();
     }},
    {"--frames", "N", "close the window after N frames (1 to 2147483647); the closing wipe runs",
     [](Options& o, const char* value) {
       const std::optional<int64_t> n = WholeNumber(value, 1, kMaxFrames);
       if (!n) return "--frames takes a whole number from 1 to " + std::to_string(kMaxFrames);
       o.frames = *n;
       return std::string();
     }},
};

// "--name VALUE", as the usage shows an option.
std::string Shown(const OptionEntry& entry) {
  return entry.value != nullptr ? std::string(entry.name) + " " + entry.value : entry.name;
}

std::string Usage() {
  std::string text = "usage: tumbleroo";
  for (const OptionEntry& entry : kOptions) text += " [" + Shown(entry) + "]";
  text += "\n";
  for (const OptionEntry& entry : kOptions) {
    std::string left = "  " + Shown(entry);
    left.resize(std::max<size_t>(left.size() + 2, 16), ' ');
    text += left + entry.help + "\n";
  }
  return text;
}

// Parses the command line; an error text for anything it cannot take. Values follow their
// option as the next argument or after "=".
std::string ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    const OptionEntry* entry = nullptr;
    for (const OptionEntry& candidate : kOptions) {
      if (name == candidate.name) entry = &candidate;
    }
    if (entry == nullptr) return "unknown option: " + std::string(arg);
    std::string value;
    if (entry->value == nullptr) {
      if (equals != std::string_view::npos) return std::string(name) + " takes no value";
    } else if (equals != std::string_view::npos) {
      value = std::string(arg.substr(equals + 1));
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      return std::string(name) + " needs a value (" + entry->value + ")";
    }
    if (std::string error = entry->apply(options, value.c_str()); !error.empty()) return error;
  }
  return {};
}

game::TheApp* g_app = nullptr;

// The main window's menu; the items act on the game cycle that is running.
void BuildMenu(platform::CWindow& form, engine::CJob& job, present::CDisplayDevice* display) {
  platform::CMenuBar& menu = form.Menu();
  const int32_t keys = menu.AddMenu("キーコンフィグ");
  const char* players[] = {"プレイヤー１", "プレイヤー２", "プレイヤー３", "プレイヤー４"};
  for (int32_t n = 0; n < 4; ++n) {
    menu.AddItem(keys, players[n], [&job, n] {
      job.SendMessage(game::TheApp::JobKeyDialog, n);
      job.Add(game::TheApp::JobKeyDialog);
    });
  }
  menu.AddMenu("スクリーンモードを変更", [] {
    if (g_app != nullptr) g_app->Kestrel().ToggleFullscreen();
  });
  menu.AddMenu("解像度を変更", [display] {
    if (display == nullptr || g_app == nullptr) return;
    const bool half = display->WindowScale() >= 1.0f;
    display->SetWindowScale(half ? 0.5f : 1.0f);
    g_app->Kestrel().Config.WaitVsink = !half;
    g_app->Kestrel().RePaint();
  });
  const int32_t vram = menu.AddMenu("VRAM");
  menu.AddItem(vram, "VRAMが足りないとき大きいﾃｸｽﾁｬ-の解像度を下げる", {}, true);
  menu.AddItem(vram, "VRAMが足りなくても解像度を下げない", {}, true);
  for (int32_t i = 0; i < 2; ++i) {
    menu.GetItem(vram, i)->onClick = [&menu, vram, i, display] {
      menu.SetChecked(vram, i, true);
      menu.SetChecked(vram, 1 - i, false);
      if (display != nullptr) display->SetReduceTextures(i == 0);
    };
  }
  menu.SetChecked(vram, 0, true);
  const int32_t d3d = menu.AddMenu("Direct3D");
  menu.AddItem(d3d, "HAL デバイス", {}, true);
  menu.AddItem(d3d, "RGB デバイス", {}, true);
  for (int32_t i = 0; i < 2; ++i) {
    menu.GetItem(d3d, i)->onClick = [&menu, d3d, i, display] {
      menu.SetChecked(d3d, i, true);
      menu.SetChecked(d3d, 1 - i, false);
      if (display != nullptr) display->SetHalGraphics(i == 0);
    };
  }
  menu.SetChecked(d3d, 0, true);
  menu.AddMenu("終了", [&form] { form.Close(platform::CWindow::kCloseByCode); });
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const std::string error = ParseOptions(argc, argv, options); !error.empty()) {
    std::fprintf(stderr, "tumbleroo: %s\n%s", error.c_str(), Usage().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(Usage().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("tumbleroo %s\n", TUMBLEROO_VERSION_STRING);
    return 0;
  }

  engine::spLib& root = engine::spLib::Shared();
  root.Init(true);
  auto displayOwned = std::make_unique<present::CDisplayDevice>(root);
  present::CDisplayDevice* display = displayOwned.get();
  root.SetDisplayDevice(std::move(displayOwned));
  root.SetInputDevice(std::make_unique<input::spLibInput>());
  root.SetSoundDevice(std::make_unique<sound::spLibSound>());

  {
    platform::CWindow form1;
    form1.SetCaption(std::string("Tumbleroo ") + TUMBLEROO_VERSION_STRING);
    auto watcher = std::make_unique<game::CForm>();
    auto job = std::make_unique<engine::CJob>();
    BuildMenu(form1, *job, display);
    watcher->SetForm(&form1);

    int64_t frames = 0;
    while (!watcher->Break()) {
      game::TheApp app(*job, *watcher, display);
      g_app = &app;
      job->Add(app.GetJobkey(game::TheApp::JobBoot));
      while (job->Poll() != 0) {
        if (app.Kestrel().Poll() != 0) job->Destroy();
        if (options.frames >= 0 && ++frames == options.frames)
          form1.Close(platform::CWindow::kCloseByUser);
      }
      g_app = nullptr;
    }
    job.reset();
    watcher.reset();
  }
  engine::spLib::ReleaseShared();
  return 0;
}

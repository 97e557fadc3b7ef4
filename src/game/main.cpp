// Entry procedure: start the engine root (its checks end the program with a message when the
// system cannot run the game), bind the main window, create the scheduler and run game cycles
// until the window watcher says stop. Options come from one table (`kOptions`): `--version`
// prints the version; `--frames N` asks the window to close after N frames (the closing wipe
// then runs as after a user's close). `--device`, `--shot` and `--seed` are PlayOptions, taken
// out of the command line first; F12 saves a screenshot. `--headless` plays computer rounds
// with no window (CHeadless). `--record` / `--replay` record and replay the match, headless or
// in the window (where a replay starts the taped rounds itself). Anything else is refused with
// the usage and exit code 2.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "engine/CJob.h"
#include "engine/spLib.h"
#include "game/CForm.h"
#include "game/CHeadless.h"
#include "game/CMatchTape.h"
#include "game/PlayOptions.h"
#include "game/TheApp.h"
#include "input/spLibInput.h"
#include "platform/CWindow.h"
#include "present/CDisplayDevice.h"
#include "present/CScreenshot.h"
#include "sound/spLibSound.h"
#include "version.h"

namespace {

struct Options {
  bool help = false;
  bool version = false;
  int64_t frames = -1;  // -1: no limit
  bool headless = false;
  game::HeadlessOptions match;
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
    {"--headless", nullptr, "play computer rounds with no window and no sound",
     [](Options& o, const char*) {
       o.headless = true;
       return std::string();
     }},
    {"--rounds", "N", "headless: rounds to play (1 to 1000000, default 1)",
     [](Options& o, const char* value) {
       const std::optional<int64_t> n = WholeNumber(value, 1, 1000000);
       if (!n) return std::string("--rounds takes a whole number from 1 to 1000000");
       o.match.rounds = static_cast<int32_t>(*n);
       o.match.roundsGiven = true;
       return std::string();
     }},
    {"--mode", "M", "headless: the game mode (0 random each round, 1 to 7; default 0)",
     [](Options& o, const char* value) {
       const std::optional<int64_t> n = WholeNumber(value, 0, 7);
       if (!n) return std::string("--mode takes a whole number from 0 to 7");
       o.match.mode = static_cast<int32_t>(*n);
       o.match.modeGiven = true;
       return std::string();
     }},
    {"--record", "FILE", "write the match's seed and every step's keys to FILE",
     [](Options& o, const char* value) {
       if (*value == '\0') return std::string("--record needs a file name");
       o.match.record = value;
       return std::string();
     }},
    {"--replay", "FILE", "play the rounds recorded in FILE again (in the window or headless)",
     [](Options& o, const char* value) {
       if (*value == '\0') return std::string("--replay needs a file name");
       o.match.replay = value;
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
  text +=
      "  --device rgb|hal  the 3-D device to start on (software or OpenGL)\n"
      "  --shot N:FILE   save the frame presented in frame N to FILE (.png or .bmp)\n"
      "  --seed S        make every random draw reproducible\n";
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

// The "Direct3D" menu shows the device that draws: HAL falls back to RGB when it cannot be made.
void CheckDevice(platform::CMenuBar& menu, int32_t d3dMenu, bool hal,
                 present::CDisplayDevice* display) {
  hal = hal && display != nullptr && display->HalAvailable();
  menu.SetChecked(d3dMenu, 0, hal);
  menu.SetChecked(d3dMenu, 1, !hal);
}

int32_t FindMenu(const platform::CMenuBar& menu, const std::string& caption) {
  const auto& all = menu.Menus();
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i].caption == caption) return static_cast<int32_t>(i);
  return -1;
}

// The main window's menu; the items act on the game cycle that is running (`app`, null between
// game cycles).
void BuildMenu(platform::CWindow& form, engine::CJob& job, present::CDisplayDevice* display,
               game::TheApp* const& app) {
  platform::CMenuBar& menu = form.Menu();
  const int32_t keys = menu.AddMenu("キーコンフィグ");
  const char* players[] = {"プレイヤー１", "プレイヤー２", "プレイヤー３", "プレイヤー４"};
  for (int32_t n = 0; n < 4; ++n) {
    menu.AddItem(keys, players[n], [&job, n] {
      job.SendMessage(game::TheApp::JobKeyDialog, n);
      job.Add(game::TheApp::JobKeyDialog);
    });
  }
  menu.AddMenu("スクリーンモードを変更", [&app] {
    if (app != nullptr) app->Kestrel().ToggleFullscreen();
  });
  menu.AddMenu("解像度を変更", [display, &app] {
    if (display == nullptr || app == nullptr) return;
    const bool half = display->WindowScale() >= 1.0f;
    display->SetWindowScale(half ? 0.5f : 1.0f);
    app->Kestrel().Config.WaitVsink = !half;
    app->Kestrel().RePaint();
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
      if (display != nullptr) display->SelectDevice(i == 0);
      CheckDevice(menu, d3d, i == 0, display);
    };
  }
  CheckDevice(menu, d3d, true, display);
  menu.AddMenu("終了", [&form] { form.Close(platform::CWindow::kCloseByCode); });
}

// Saves the back buffer as it was presented; false (and a message) when it cannot.
bool SaveFrame(present::CDisplayDevice* display, const std::string& path) {
  std::string error;
  const uint32_t* pixels = display != nullptr ? display->Pixels() : nullptr;
  const engine::DisplayParams& p = display->Params();
  if (pixels == nullptr ||
      !present::CScreenshot::Save(pixels, p.width, p.height, display->Pitch(), path, error)) {
    std::fprintf(stderr, "tumbleroo: frame not saved: %s\n",
                 error.empty() ? "no display" : error.c_str());
    return false;
  }
  return true;
}

void SaveScreenshot(present::CDisplayDevice* display) {
  const std::string folder = present::CScreenshot::Folder();
  std::error_code ec;
  if (folder.empty() || (std::filesystem::create_directories(folder, ec), ec)) {
    std::fprintf(stderr, "tumbleroo: no folder for screenshots (%s)\n",
                 folder.empty() ? "neither XDG_DATA_HOME nor HOME is set" : folder.c_str());
    return;
  }
  const std::string path =
      folder + "/" + present::CScreenshot::FreeName(folder, std::time(nullptr));
  if (SaveFrame(display, path))
    std::fprintf(stderr, "tumbleroo: screenshot saved to %s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const game::PlayOptions play = game::ParsePlayOptions(argc, argv);
  if (!play.error.empty()) {
    std::fprintf(stderr, "tumbleroo: %s\n%s", play.error.c_str(), Usage().c_str());
    return 2;
  }
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
  if (options.headless) {
    options.match.seed = play.seed;
    return game::CHeadless::Run(options.match, stdout, stderr);
  }
  if (options.match.roundsGiven || options.match.modeGiven) {
    std::fprintf(stderr, "tumbleroo: --rounds and --mode need --headless\n%s", Usage().c_str());
    return 2;
  }
  // Recordings in the window: the match's own generator is seeded from the tape, --seed, or
  // the system.
  game::CMatchTape replay, recording;
  const bool replaying = !options.match.replay.empty();
  if (replaying) {
    if (play.seed) {
      std::fprintf(stderr, "tumbleroo: --replay takes the seed from the recording\n");
      return 2;
    }
    if (const std::string error = game::CMatchTape::Load(options.match.replay, replay);
        !error.empty()) {
      std::fprintf(stderr, "tumbleroo: %s: %s\n", options.match.replay.c_str(), error.c_str());
      return 1;
    }
  }
  const uint32_t matchSeed = replaying   ? replay.seed
                             : play.seed ? *play.seed
                                         : std::random_device{}();
  recording.seed = matchSeed;
  std::string replayError;

  engine::spLib& root = engine::spLib::Shared();
  root.Init(true);
  if (play.seed) root.Api().FixSeed(*play.seed);
  auto displayOwned = std::make_unique<present::CDisplayDevice>(root);
  present::CDisplayDevice* display = displayOwned.get();
  root.SetDisplayDevice(std::move(displayOwned));
  root.SetInputDevice(std::make_unique<input::spLibInput>());
  root.SetSoundDevice(std::make_unique<sound::spLibSound>());

  {
    game::TheApp* running = nullptr;  // outlives the window whose menu reads it
    platform::CWindow form1;
    form1.SetCaption(std::string("Tumbleroo ") + TUMBLEROO_VERSION_STRING);
    auto watcher = std::make_unique<game::CForm>();
    auto job = std::make_unique<engine::CJob>();
    BuildMenu(form1, *job, display, running);
    watcher->SetForm(&form1);
    if (play.device != game::PlayOptions::Device::Settings) {
      const bool hal = play.device == game::PlayOptions::Device::Hal;
      display->SelectDevice(hal);
      CheckDevice(form1.Menu(), FindMenu(form1.Menu(), "Direct3D"), hal, display);
    }
    bool screenshotAsked = false;
    const platform::CSubscription f12 =
        form1.KeyDown.Subscribe([&screenshotAsked](int32_t key, int32_t) {
          if (key == platform::CWindow::kKeyF1 + 11) screenshotAsked = true;  // F12
        });

    int64_t frames = 0;
    int64_t frameNumber = 0;  // every frame of the program, across game cycles
    while (!watcher->Break()) {
      game::TheApp app(*job, *watcher, display);
      running = &app;
      app.SeedMatch(matchSeed);
      if (!options.match.record.empty()) app.Record(&recording);
      if (replaying)
        app.Replay(&replay, [](const std::string& line) {
          std::printf("%s\n", line.c_str());
          std::fflush(stdout);
        });
      job->Add(app.GetJobkey(game::TheApp::JobBoot));
      while (job->Poll() != 0) {
        if (app.Kestrel().Poll() != 0) job->Destroy();
        ++frameNumber;
        for (const game::PlayOptions::Shot& shot : play.shots)
          if (shot.frame == frameNumber && SaveFrame(display, shot.file))
            std::fprintf(stderr, "tumbleroo: frame %lld saved to %s\n",
                         static_cast<long long>(frameNumber), shot.file.c_str());
        if (screenshotAsked) {
          screenshotAsked = false;
          SaveScreenshot(display);
        }
        if (options.frames >= 0 && ++frames == options.frames)
          form1.Close(platform::CWindow::kCloseByUser);
      }
      if (replayError.empty()) replayError = app.ReplayError();
      running = nullptr;
    }
    job.reset();
    watcher.reset();
  }
  engine::spLib::ReleaseShared();
  if (!replayError.empty()) {
    std::fprintf(stderr, "tumbleroo: %s: %s\n", options.match.replay.c_str(), replayError.c_str());
    return 1;
  }
  if (!options.match.record.empty()) {
    if (const std::string error = recording.Save(options.match.record); !error.empty()) {
      std::fprintf(stderr, "tumbleroo: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}

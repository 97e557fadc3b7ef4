// Entry procedure: start the engine root (its checks end the program with a message when the
// system cannot run the game), bind the main window, create the scheduler and run game cycles
// until the window watcher says stop. `--version` prints the version; `--frames N` asks the
// window to close after N frames (the closing wipe then runs as after a user's close).
// `--device`, `--shot` and `--seed` are PlayOptions; F12 saves a screenshot.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/CJob.h"
#include "engine/spLib.h"
#include "game/CForm.h"
#include "game/PlayOptions.h"
#include "game/TheApp.h"
#include "input/spLibInput.h"
#include "platform/CWindow.h"
#include "present/CDisplayDevice.h"
#include "present/CScreenshot.h"
#include "version.h"

namespace {

struct Options {
  bool version = false;
  long frames = -1;  // -1: no limit
  bool bad = false;
};

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      o.version = true;
    } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
      char* end = nullptr;
      const long n = std::strtol(argv[++i], &end, 10);
      if (end == argv[i] || *end != '\0' || n < 0) o.bad = true;
      o.frames = n;
    } else {
      o.bad = true;
    }
  }
  return o;
}

game::TheApp* g_app = nullptr;

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
  const std::string path = folder + "/" + present::CScreenshot::FreeName(folder, std::time(nullptr));
  if (SaveFrame(display, path)) std::fprintf(stderr, "tumbleroo: screenshot saved to %s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const game::PlayOptions play = game::ParsePlayOptions(argc, argv);
  if (!play.error.empty()) {
    std::fprintf(stderr, "tumbleroo: %s\n", play.error.c_str());
    return 2;
  }
  const Options options = ParseOptions(argc, argv);
  if (options.bad) {
    std::fprintf(stderr,
                 "usage: tumbleroo [--version] [--frames N] [--device rgb|hal] "
                 "[--shot N:FILE]... [--seed S]\n");
    return 2;
  }
  if (options.version) {
    std::printf("tumbleroo %s\n", TUMBLEROO_VERSION_STRING);
    return 0;
  }

  engine::spLib& root = engine::spLib::Shared();
  root.Init(true);
  if (play.seed) root.Api().FixSeed(*play.seed);
  auto displayOwned = std::make_unique<present::CDisplayDevice>(root);
  present::CDisplayDevice* display = displayOwned.get();
  root.SetDisplayDevice(std::move(displayOwned));
  root.SetInputDevice(std::make_unique<input::spLibInput>());

  {
    platform::CWindow form1;
    form1.SetCaption(std::string("Tumbleroo ") + TUMBLEROO_VERSION_STRING);
    auto watcher = std::make_unique<game::CForm>();
    auto job = std::make_unique<engine::CJob>();
    BuildMenu(form1, *job, display);
    watcher->SetForm(&form1);
    if (play.device != game::PlayOptions::Device::Settings) {
      const bool hal = play.device == game::PlayOptions::Device::Hal;
      display->SelectDevice(hal);
      CheckDevice(form1.Menu(), FindMenu(form1.Menu(), "Direct3D"), hal, display);
    }
    bool screenshotAsked = false;
    form1.KeyDown.Subscribe([&screenshotAsked](int32_t key, int32_t) {
      if (key == platform::CWindow::kKeyF1 + 11) screenshotAsked = true;  // F12
    });

    long frames = 0;
    int64_t frameNumber = 0;  // every frame of the program, across game cycles
    while (!watcher->Break()) {
      game::TheApp app(*job, *watcher, display);
      g_app = &app;
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
      g_app = nullptr;
    }
    job.reset();
    watcher.reset();
  }
  engine::spLib::ReleaseShared();
  return 0;
}

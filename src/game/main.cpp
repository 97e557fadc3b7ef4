// Entry procedure: start the engine root (its checks end the program with a message when the
// system cannot run the game), bind the main window, create the scheduler and run game cycles
// until the window watcher says stop. `--version` prints the version; `--frames N` asks the
// window to close after N frames (the closing wipe then runs as after a user's close).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

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
  const Options options = ParseOptions(argc, argv);
  if (options.bad) {
    std::fprintf(stderr, "usage: tumbleroo [--version] [--frames N]\n");
    return 2;
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

    long frames = 0;
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

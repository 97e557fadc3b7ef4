// Game form: settings, connection and the scene dispatch of one game cycle.
#include "game/TheApp.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "engine/spLib.h"
#include "game/frmKeyConfig.h"
#include "input/spLibInput.h"
#include "platform/CFontRaster.h"
#include "present/CDisplayDevice.h"
#include "version.h"

namespace game {

namespace {

constexpr int32_t kBallRadius = 28;

platform::CFontRaster& TitleFont() {
  static platform::CFontRaster font;
  static bool tried = false;
  if (!tried) {
    tried = true;
    font.Open("sans-serif:bold", 56);
  }
  return font;
}

}  // namespace

TheApp::TheApp(engine::CJob& job, CForm& watcher, present::CDisplayDevice* display)
    : m_job(job), m_watcher(watcher), m_display(display) {
  m_job.SetComing([this](int32_t index, int32_t framecount, int32_t msg) {
    xJob_Coming(index, framecount, msg);
  });
  m_kestrel = std::make_unique<engine::CKestrel>();
  engine::CKestrelConfig& c = m_kestrel->Config;
  c.AddDDraw(kScreenWidth, kScreenHeight, false, true, true, false, true, false);
  c.ddPixelBits1 = 32;
  c.ddPixelBits2 = 16;
  c.ddPixelBits3 = 0;
  c.diCreateVKeyCounts = 4;
  c.DebugService = true;
  c.WaitVsink = true;
  c.SleepFrame = 1;
  m_kestrel->Connect(m_watcher.Form(), false);
}

TheApp::~TheApp() {
  m_kestrel->UnConnect();
  m_job.SetComing(nullptr);
  m_kestrel.reset();
}

void TheApp::xJob_Coming(int32_t index, int32_t framecount, int32_t msg) {
  switch (index) {
    case JobBoot: JobBootFrame(framecount); break;
    case JobKeyDialog: JobKeyDialogFrame(framecount, msg); break;
    case JobMenu: JobMenuFrame(framecount); break;
    case JobCloseWatch: JobCloseWatchFrame(framecount); break;
    case JobExit: JobExitFrame(framecount); break;
    default: break;
  }
}

void TheApp::JobBootFrame(int32_t framecount) {
  if (framecount != 1) return;
  m_job.Add(GetJobkey(JobMenu));
  m_job.Add(GetJobkey(JobCloseWatch));
  m_job.Remove(GetJobkey(JobBoot));
}

void TheApp::JobKeyDialogFrame(int32_t framecount, int32_t msg) {
  if (framecount == 0) {
    m_keyDialogPlayer = std::clamp(msg, 0, 3);
    return;
  }
  if (framecount != 1) return;
  auto* input = dynamic_cast<input::spLibInput*>(engine::spLib::Shared().InputDevice());
  if (input != nullptr) {
    frmKeyConfig dialog(*input);
    dialog.SetPlayerIndex(m_watcher.Form(), m_keyDialogPlayer);
    // The dialog's own loop: frames go on (the game's jobs wait) until it closes or the
    // window goes.
    while (!dialog.Closed() && m_kestrel->Poll() == 0) {
    }
  }
  m_job.Remove(GetJobkey(JobKeyDialog));
}

void TheApp::JobCloseWatchFrame(int32_t framecount) {
  if (framecount == 1) m_watcher.CatchClose = true;
  if (framecount <= 0) {
    m_watcher.CatchClose = false;
    return;
  }
  if (m_watcher.CloseRequested) {
    m_watcher.CloseRequested = false;
    m_job.Destroy();
    m_job.Add(GetJobkey(JobExit));
  }
}

void TheApp::JobMenuFrame(int32_t framecount) {
  if (framecount <= 0 || m_display == nullptr) return;
  uint32_t* pixels = m_display->Pixels();
  if (pixels == nullptr) return;
  const int32_t steps = m_kestrel->GetFPSA();
  for (int32_t s = 0; s < steps; ++s) {
    ++m_steps;
    m_ballX += m_ballVX;
    m_ballY += m_ballVY;
    if (m_ballX < kBallRadius || m_ballX > kScreenWidth - kBallRadius) m_ballVX = -m_ballVX;
    if (m_ballY < 120 + kBallRadius || m_ballY > 520 - kBallRadius) m_ballVY = -m_ballVY;
  }
  DrawDemo(pixels, m_steps);
  m_kestrel->RePaint();
}

void TheApp::DrawDemo(uint32_t* pixels, int32_t frame) {
  // Sky gradient that drifts slowly, a ground band, the ball and the title.
  for (int32_t y = 0; y < kScreenHeight; ++y) {
    uint32_t colour = 0;
    if (y < 520) {
      const uint32_t b = static_cast<uint32_t>(160 + y * 95 / 520);
      const uint32_t g = static_cast<uint32_t>(60 + y * 100 / 520);
      colour = 0xFF000000u | 0x20u << 16 | g << 8 | b;
    } else {
      colour = ((y / 8 + frame / 6) % 2 == 0) ? 0xFF3C8C3Cu : 0xFF347A34u;
    }
    std::fill(pixels + static_cast<size_t>(y) * kScreenWidth,
              pixels + static_cast<size_t>(y + 1) * kScreenWidth, colour);
  }
  const auto cx = static_cast<int32_t>(m_ballX), cy = static_cast<int32_t>(m_ballY);
  for (int32_t dy = -kBallRadius; dy <= kBallRadius; ++dy) {
    const int32_t y = cy + dy;
    if (y < 0 || y >= kScreenHeight) continue;
    for (int32_t dx = -kBallRadius; dx <= kBallRadius; ++dx) {
      const int32_t x = cx + dx;
      if (x < 0 || x >= kScreenWidth || dx * dx + dy * dy > kBallRadius * kBallRadius) continue;
      const bool shine = (dx + 9) * (dx + 9) + (dy + 9) * (dy + 9) < 64;
      pixels[static_cast<size_t>(y) * kScreenWidth + static_cast<size_t>(x)] =
          shine ? 0xFFFFF0D0u : 0xFFE04830u;
    }
  }
  platform::CFontRaster& font = TitleFont();
  if (font.IsOpen()) {
    const std::string title = "Tumbleroo";
    const int32_t w = font.Measure(title);
    font.Draw(pixels, kScreenWidth * 4, kScreenWidth, kScreenHeight, (kScreenWidth - w) / 2 + 3,
              40 + 3, title, 0x80000000u);
    font.Draw(pixels, kScreenWidth * 4, kScreenWidth, kScreenHeight, (kScreenWidth - w) / 2, 40,
              title, 0xFFFFE060u);
  }
  m_display->DrawText("F6-F9: debug pages   Alt+Enter: full screen   Esc: quit   " +
                          std::string("v") + TUMBLEROO_VERSION_STRING,
                      24, 540);
}

void TheApp::JobExitFrame(int32_t framecount) {
  if (framecount <= 0) return;
  if (framecount == 1) {
    // The last frame shown is cut up and flies apart.
    m_wipe = std::make_unique<CClosingWipe>(&engine::spLib::Shared());
    uint32_t* pixels = m_display != nullptr ? m_display->Pixels() : nullptr;
    m_wipe->Start(pixels, kScreenWidth, kScreenHeight,
                  m_display != nullptr ? m_display->Pitch() : 0);
    return;
  }
  if (m_wipe && m_wipe->Frame()) {
    m_kestrel->RePaint();
    return;
  }
  m_wipe.reset();
  m_job.Remove(GetJobkey(JobExit));
  if (platform::CWindow* form = m_watcher.Form()) form->Close(platform::CWindow::kCloseByCode);
}

}  // namespace game

// TheApp: the game form for one game cycle. It connects the frame controller to the main
// window with the game's settings and dispatches the scheduler's events to the scenes. For now
// the scenes are the boot, a demonstration scene, the close watch and the closing wipe.
#pragma once

#include <cstdint>

#include "engine/CJob.h"
#include "engine/CKestrel.h"
#include "game/CClosingWipe.h"
#include "game/CForm.h"

namespace present {
class CDisplayDevice;
}

namespace game {

class TheApp {
 public:
  static constexpr int32_t JobBoot = 1;
  static constexpr int32_t JobKeyDialog = 3;
  static constexpr int32_t JobMenu = 4;
  static constexpr int32_t JobCloseWatch = 11;
  static constexpr int32_t JobExit = 12;
  static constexpr int32_t kScreenWidth = 800;
  static constexpr int32_t kScreenHeight = 600;

  TheApp(engine::CJob& job, CForm& watcher, present::CDisplayDevice* display);
  ~TheApp();
  TheApp(const TheApp&) = delete;
  TheApp& operator=(const TheApp&) = delete;

  [[nodiscard]] int32_t GetJobkey(int32_t jobKey) const { return jobKey; }
  [[nodiscard]] engine::CKestrel& Kestrel() { return *m_kestrel; }

 private:
  void xJob_Coming(int32_t index, int32_t framecount, int32_t msg);
  void JobBootFrame(int32_t framecount);
  void JobMenuFrame(int32_t framecount);
  void JobKeyDialogFrame(int32_t framecount, int32_t msg);
  void JobCloseWatchFrame(int32_t framecount);
  void JobExitFrame(int32_t framecount);
  void DrawDemo(uint32_t* pixels, int32_t frame);

  engine::CJob& m_job;
  CForm& m_watcher;
  present::CDisplayDevice* m_display;
  std::unique_ptr<engine::CKestrel> m_kestrel;
  // The demonstration: a ball that bounces at 60 steps per second whatever the frame rate.
  float m_ballX = 120.0f, m_ballY = 160.0f, m_ballVX = 3.0f, m_ballVY = 2.2f;
  int32_t m_steps = 0;
  int32_t m_keyDialogPlayer = 0;
  std::unique_ptr<CClosingWipe> m_wipe;
};

}  // namespace game

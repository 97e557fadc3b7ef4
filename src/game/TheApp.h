// TheApp: the game form for one game cycle. It connects the frame controller to the main
// window with the game's settings, owns everything a game cycle holds (the match, the screens,
// the sounds, the wipe) and dispatches the scheduler's events: each screen draws and reports
// what the player chose, then the scene chain adds and removes the jobs.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "engine/CJob.h"
#include "engine/CKestrel.h"
#include "game/CClosingWipe.h"
#include "game/CForm.h"
#include "game/CMatch.h"
#include "game/CMatchRunner.h"
#include "game/CKeyConfigScreen.h"
#include "game/CMatchView.h"
#include "game/CMenuScreen.h"
#include "game/CPlayFrameInput.h"
#include "game/CSceneChain.h"
#include "game/CTextScreen.h"
#include "game/CWaveListSound.h"
#include "sound/CmgWaveList.h"

namespace input {
class spLibInput;
}
namespace present {
class CDisplayDevice;
}

namespace game {

class TheApp {
 public:
  static constexpr int32_t JobBoot = scene::JobBoot;
  static constexpr int32_t JobKeyDialog = scene::JobKeyDialog;
  static constexpr int32_t JobMenu = scene::JobMenu;
  static constexpr int32_t JobCloseWatch = scene::JobCloseWatch;
  static constexpr int32_t JobExit = scene::JobExit;
  static constexpr int32_t kScreenWidth = 800;
  static constexpr int32_t kScreenHeight = 600;

  TheApp(engine::CJob& job, CForm& watcher, present::CDisplayDevice* display);
  ~TheApp();
  TheApp(const TheApp&) = delete;
  TheApp& operator=(const TheApp&) = delete;

  [[nodiscard]] int32_t GetJobkey(int32_t jobKey) const { return jobKey; }
  [[nodiscard]] engine::CKestrel& Kestrel() { return *m_kestrel; }
  [[nodiscard]] CMatch& Match() { return m_match; }
  // Recording appends every round's inputs to `tape`; replaying plays the rounds from it.
  void Record(CMatchTape* tape) { m_runner.Record(tape); }
  void Replay(const CMatchTape* tape) { m_runner.Replay(tape); }
  [[nodiscard]] const std::string& ReplayError() const { return m_runner.ReplayError(); }

 private:
  void xJob_Coming(int32_t index, int32_t framecount, int32_t msg);
  // The screens' part of a frame: draw, present, and report to the chain.
  void Screens(int32_t index, int32_t framecount);
  void BootSetUp();
  void Sub_LoadBaseImage();
  void Sub_RenderLayer();
  void RunKeyDialog(int32_t player);
  void Message(const std::string& text);

  engine::CJob& m_job;
  CForm& m_watcher;
  present::CDisplayDevice* m_display;
  std::unique_ptr<engine::CKestrel> m_kestrel;
  input::spLibInput* m_input = nullptr;
  sound::CmgWaveList m_waves;
  CWaveListSound m_sound{m_waves};
  CMatch m_match;
  CPlayFrameInput m_frameInput;
  CMatchRunner m_runner;
  CSceneChain m_chain;
  CMenuScreen m_menu;
  CMatchView m_view;
  CTextScreen m_text;
  CResultScreen m_result;
  CUnderConstructionScreen m_construction;
  CKeyConfigScreen m_keyScreen;
  std::unique_ptr<CClosingWipe> m_wipe;
  std::set<std::string> m_said;  // each load message is shown once
};

}  // namespace game

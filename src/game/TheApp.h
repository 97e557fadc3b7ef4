// TheApp: the game form for one game cycle. It connects the frame controller to the main
// window with the game's settings, owns everything a game cycle holds (the match, the screens,
// the sounds, the wipe) and dispatches the scheduler's events: each screen draws and reports
// what the player chose, then the scene chain adds and removes the jobs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "engine/CJob.h"
#include "engine/CKestrel.h"
#include "game/CClosingWipe.h"
#include "game/CForm.h"
#include "game/CKeyConfigScreen.h"
#include "game/CMatch.h"
#include "game/CMatchRunner.h"
#include "game/CMatchView.h"
#include "game/CMenuScreen.h"
#include "game/CPlayFrameInput.h"
#include "game/CSceneChain.h"
#include "game/CTextScreen.h"
#include "game/CWaveListSound.h"
#include "sound/CmgWaveList.h"
#include "util/CApi.h"

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
  // The match draws from a generator of its own, so a recording replays exactly whatever the
  // screens draw between rounds.
  void SeedMatch(uint32_t seed);
  // Recording: every round started from the menu with the same mode and players is appended to
  // `tape` (its seed is the caller's); other settings end the recording, with a message.
  void Record(CMatchTape* tape);
  // Replaying: the menu starts the taped rounds with the tape's mode and players, one after the
  // other, and is back when they are over. Each round's line goes to `roundLines`.
  void Replay(const CMatchTape* tape, std::function<void(const std::string&)> roundLines);
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
  // The menu starts a round while recording: the first fixes the tape's mode and players.
  void NoteRecordedStart();

  util::CApi m_matchApi;
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
  CMatchTape* m_record = nullptr;
  const CMatchTape* m_replay = nullptr;
  std::function<void(const std::string&)> m_roundLines;
};

}  // namespace game

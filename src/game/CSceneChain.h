// CSceneChain: the twelve scene jobs and which starts and stops which, as logic without
// pictures. The screens report what the player chose (menu item, result buttons, a finished key
// screen, the end of the closing wipe) and the window reports a refused close; the chain adds
// and removes jobs on the scheduler exactly as the scenes do. The match's jobs (7, 8) are
// handed to a callback (the match runner); the drawing job (9) to another.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/CJob.h"

namespace game {

namespace scene {
inline constexpr int32_t JobBoot = 1;
inline constexpr int32_t JobStartMatch = 2;  // no scene adds it; not built
inline constexpr int32_t JobKeyDialog = 3;
inline constexpr int32_t JobMenu = 4;
inline constexpr int32_t JobUnderConstruction = 5;
inline constexpr int32_t JobKeyConfigScreen = 6;
inline constexpr int32_t JobMatchStep = 7;
inline constexpr int32_t JobRound = 8;
inline constexpr int32_t JobMatchDraw = 9;
inline constexpr int32_t JobResult = 10;
inline constexpr int32_t JobCloseWatch = 11;
inline constexpr int32_t JobExit = 12;
}  // namespace scene

class CSceneChain {
 public:
  // What the screens and the window report; each is taken (and cleared) by the scene that reads it.
  struct Reports {
    int32_t menuItem = -1;          // the menu item chosen (0 start, 2 keys, 3 construction, 4 exit)
    bool resultNextRound = false;   // a button on the result screen
    bool resultToMenu = false;      // Enter or BackSpace released on the result screen
    bool constructionButton = false;
    bool keyConfigFinished = false;
    bool wipeFinished = false;
  };
  using Scene = std::function<void(int32_t index, int32_t framecount, int32_t msg)>;

  explicit CSceneChain(engine::CJob& job) : m_job(job) {}

  void SetMatch(Scene match) { m_match = std::move(match); }
  void SetDrawing(Scene drawing) { m_drawing = std::move(drawing); }
  // The game cycle set-up of the boot job (wave folder, screen, default keys, base images).
  void SetBootSetUp(std::function<void()> setUp) { m_bootSetUp = std::move(setUp); }

  // The scheduler's Coming event.
  void Coming(int32_t index, int32_t framecount, int32_t msg);

  Reports reports;
  // The window watcher's flags (CForm): a close is refused while catchClose is set.
  bool catchClose = false;
  bool closeRequested = false;
  // Set when a scene unloads the main window; the program then ends the game cycle.
  bool formUnloaded = false;
  // The player whose keys the key dialog edits (its message).
  int32_t keyDialogPlayer = -1;
  // The game form's unload of the window: refused and recorded while a close is caught.
  void UnloadForm();

 private:
  engine::CJob& m_job;
  Scene m_match;
  Scene m_drawing;
  std::function<void()> m_bootSetUp;
};

}  // namespace game

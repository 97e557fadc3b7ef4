// CSceneChain: the chaining table of the scene jobs.
#include "game/CSceneChain.h"

namespace game {

using namespace scene;

void CSceneChain::UnloadForm() {
  if (catchClose) {
    closeRequested = true;
    return;
  }
  formUnloaded = true;
}

void CSceneChain::Coming(int32_t index, int32_t framecount, int32_t msg) {
  const bool first = framecount == 1;
  const bool later = framecount > 1;
  switch (index) {
    case JobBoot:
      if (first) {
        m_job.Add(JobMenu);
        m_job.Add(JobCloseWatch);
        m_job.Remove(JobBoot);
        if (m_bootSetUp) m_bootSetUp();
      }
      break;
    case JobKeyDialog:
      if (framecount == 0) keyDialogPlayer = msg;
      if (first) m_job.Remove(JobKeyDialog);  // the dialog runs its own loop in this frame
      break;
    case JobMenu:
      if (!later) break;
      switch (reports.menuItem) {
        case 0: m_job.Add(JobRound); m_job.Remove(JobMenu); break;
        case 2: m_job.Add(JobKeyConfigScreen); m_job.Remove(JobMenu); break;
        case 3: m_job.Add(JobUnderConstruction); m_job.Remove(JobMenu); break;
        case 4: UnloadForm(); break;
        default: break;
      }
      reports.menuItem = -1;
      break;
    case JobUnderConstruction:
      if (framecount >= 11 && reports.constructionButton) {
        m_job.Add(JobMenu);
        m_job.Remove(JobUnderConstruction);
      }
      if (later) reports.constructionButton = false;
      break;
    case JobKeyConfigScreen:
      if (later && reports.keyConfigFinished) {
        m_job.Add(JobMenu);
        m_job.Remove(JobKeyConfigScreen);
      }
      if (later) reports.keyConfigFinished = false;
      break;
    case JobMatchStep:
    case JobRound:
      if (m_match) m_match(index, framecount, msg);
      break;
    case JobMatchDraw:
      if (m_drawing) m_drawing(index, framecount, msg);
      break;
    case JobResult:
      // The first 40 frames ignore every button.
      if (framecount > 40 && reports.resultNextRound) {
        m_job.Add(JobRound);
        m_job.Remove(JobResult);
      } else if (framecount > 40 && reports.resultToMenu) {
        m_job.Add(JobMenu);
        m_job.Remove(JobResult);
      }
      if (later) reports.resultNextRound = reports.resultToMenu = false;
      break;
    case JobCloseWatch:
      if (first) catchClose = true;
      if (framecount <= 0) catchClose = false;
      if (framecount > 0 && closeRequested) {
        closeRequested = false;
        m_job.Destroy();
        m_job.Add(JobExit);
      }
      break;
    case JobExit:
      if (later && reports.wipeFinished) {
        reports.wipeFinished = false;
        m_job.Remove(JobExit);
        UnloadForm();
      }
      break;
    default:
      break;
  }
}

}  // namespace game

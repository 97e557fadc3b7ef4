// Game form: settings, connection, the game cycle's set-up and the scene dispatch.
#include "game/TheApp.h"

#include <algorithm>
#include <cstdio>

#include "engine/spLib.h"
#include "game/CHeadless.h"
#include "game/GameFont.h"
#include "game/ScreenInput.h"
#include "game/frmKeyConfig.h"
#include "image/CmgBBIString.h"
#include "input/spLibInput.h"
#include "present/CDisplayDevice.h"
#include "util/CApi.h"

namespace game {

TheApp::TheApp(engine::CJob& job, CForm& watcher, present::CDisplayDevice* display)
    : m_job(job),
      m_watcher(watcher),
      m_display(display),
      m_kestrel(std::make_unique<engine::CKestrel>()),
      m_input(dynamic_cast<input::spLibInput*>(engine::spLib::Shared().InputDevice())),
      m_match(m_matchApi),
      m_frameInput(*m_kestrel, m_input),
      m_runner(m_match, job, m_frameInput),
      m_chain(job),
      m_menu(m_match, &engine::spLib::Shared()),
      m_view(&engine::spLib::Shared()),
      m_text(&engine::spLib::Shared()),
      m_keyScreen(&engine::spLib::Shared().Api()) {
  m_job.SetComing([this](int32_t index, int32_t framecount, int32_t msg) {
    xJob_Coming(index, framecount, msg);
  });
  engine::CKestrelConfig& c = m_kestrel->Config;
  c.AddDDraw(kScreenWidth, kScreenHeight, false, true, true, false, true, false);
  c.ddPixelBits1 = 32;
  c.ddPixelBits2 = 16;
  c.ddPixelBits3 = 0;
  c.diCreateVKeyCounts = 4;
  c.DebugService = true;
  c.WaitVsink = true;
  c.SleepFrame = 1;
  // A device that did not start was named on stderr; the game runs on without it.
  if (!m_kestrel->Connect(m_watcher.Form(), false)) Message("the game runs without some devices");
  m_match.SetSound(&m_sound);

  m_chain.SetBootSetUp([this] { BootSetUp(); });
  m_chain.SetMatch([this](int32_t index, int32_t framecount, int32_t) {
    if (index == scene::JobRound)
      m_runner.JobRoundFrame(framecount);
    else
      m_runner.JobMatchStepFrame(framecount);
  });
  m_chain.SetDrawing([this](int32_t, int32_t framecount, int32_t) {
    m_view.Frame(framecount, m_match, m_kestrel->GetFPS());
    if (framecount > 1) m_kestrel->RePaint();
  });
}

TheApp::~TheApp() {
  m_kestrel->UnConnect();
  m_job.SetComing(nullptr);
  m_kestrel.reset();
}

void TheApp::SeedMatch(uint32_t seed) { m_matchApi.FixSeed(seed); }

void TheApp::Record(CMatchTape* tape) {
  m_record = tape;
  m_runner.Record(tape);
}

void TheApp::Replay(const CMatchTape* tape, std::function<void(const std::string&)> roundLines) {
  m_replay = tape;
  m_roundLines = std::move(roundLines);
  m_runner.Replay(tape);
}

void TheApp::NoteRecordedStart() {
  if (m_record->rounds.empty()) {
    m_record->modeChosen = m_match.modeChosen;
    m_record->humanPlayers = m_match.humanPlayers;
  } else if (m_record->modeChosen != m_match.modeChosen ||
             m_record->humanPlayers != m_match.humanPlayers) {
    // One recording holds one mode and one set of players.
    Message("the recording ends here: the mode or the players changed");
    m_record = nullptr;
    m_runner.Record(nullptr);
  }
}

void TheApp::Message(const std::string& text) {
  if (m_said.insert(text).second) std::fprintf(stderr, "tumbleroo: %s\n", text.c_str());
}

void TheApp::BootSetUp() {
  m_waves.SetBasePath("\\Res\\Sound\\");
  // The main window's face is the texts' face.
  image::CmgBBIString::Shared().FontName(kGameFont);
  // Keyboard sets for the virtual keys that have no joystick.
  if (m_input != nullptr) {
    switch (m_input->JoystickCount()) {
      case 0: m_input->MapKeyboardPair(0); break;
      case 1: m_input->MapKeyboardPair(1); break;
      case 2: m_input->MapKeyboardPair(2); break;
      case 3: m_input->MapArrowSet(3); break;
      default: break;
    }
  }
  Sub_LoadBaseImage();
}

void TheApp::Sub_LoadBaseImage() {
  util::CApi& api = m_match.Api();
  const auto message = [this](const std::string& text) { Message(text); };
  m_match.assets.Load(api, message, CMatchAssets::ImageSizeReader(api));
  m_match.SetStageChooser([&api, message] { return CStageList::Choose(api, message); });
  m_view.LoadBaseImages(m_match.assets, message);
}

void TheApp::Sub_RenderLayer() {
  m_text.Sub_RenderLayer(*m_kestrel, m_display != nullptr ? m_display->WindowScale() : 1.0f);
}

void TheApp::xJob_Coming(int32_t index, int32_t framecount, int32_t msg) {
  Screens(index, framecount);
  // The window watcher and the chain share the close flags.
  m_chain.catchClose = m_watcher.CatchClose;
  m_chain.closeRequested = m_watcher.CloseRequested;
  m_chain.Coming(index, framecount, msg);
  m_watcher.CatchClose = m_chain.catchClose;
  m_watcher.CloseRequested = m_chain.closeRequested;
  if (index == JobKeyDialog && framecount == 1) RunKeyDialog(m_chain.keyDialogPlayer);
  if (m_chain.formUnloaded) {
    m_chain.formUnloaded = false;
    if (platform::CWindow* form = m_watcher.Form()) form->Close(platform::CWindow::kCloseByCode);
  }
}

void TheApp::Screens(int32_t index, int32_t framecount) {
  CSceneChain::Reports& r = m_chain.reports;
  const ScreenInput in = ScreenInput::From(m_input);
  switch (index) {
    case scene::JobMenu:
      r.menuItem = m_menu.Frame(framecount, in);
      if (framecount > 1) m_kestrel->RePaint();
      if (m_replay != nullptr) {
        if (framecount == 1) {
          m_match.modeChosen = m_replay->modeChosen;
          m_match.humanPlayers = m_replay->humanPlayers;
        } else if (framecount > 1 &&
                   static_cast<size_t>(m_match.roundNumber) < m_replay->rounds.size()) {
          r.menuItem = 0;
        }
      }
      if (r.menuItem == 0 && m_record != nullptr) NoteRecordedStart();
      break;
    case scene::JobResult: {
      if (framecount == 0) break;
      if (framecount == 1 && m_roundLines)
        m_roundLines(CHeadless::RoundLine(m_match, m_runner.Cut()));
      const int32_t choice =
          m_result.Frame(framecount, m_match, in, m_text, m_sound, engine::spLib::Shared().Api());
      r.resultNextRound = choice == CResultScreen::kNextRound;
      r.resultToMenu = choice == CResultScreen::kToMenu;
      // A replay goes on by itself once the screen takes buttons.
      if (m_replay != nullptr && framecount == CResultScreen::kDeafFrames + 1) {
        const bool more = static_cast<size_t>(m_match.roundNumber) < m_replay->rounds.size();
        r.resultNextRound = more;
        r.resultToMenu = !more;
      }
      if (framecount > 0) Sub_RenderLayer();
      break;
    }
    case scene::JobUnderConstruction:
      if (framecount == 0) break;
      r.constructionButton = m_construction.Frame(framecount, in, m_text);
      if (framecount > 0) Sub_RenderLayer();
      break;
    case scene::JobKeyConfigScreen:
      if (framecount == 0) break;
      r.keyConfigFinished = m_keyScreen.Frame(framecount, in, m_text);
      if (framecount > 0) Sub_RenderLayer();
      break;
    case scene::JobExit:
      if (framecount == 1) {
        // The last frame shown is cut up and flies apart.
        m_wipe = std::make_unique<CClosingWipe>(&engine::spLib::Shared());
        uint32_t* pixels = m_display != nullptr ? m_display->Pixels() : nullptr;
        m_wipe->Start(pixels, kScreenWidth, kScreenHeight,
                      m_display != nullptr ? m_display->Pitch() : 0);
      } else if (framecount > 1) {
        if (m_wipe && m_wipe->Frame()) {
          m_kestrel->RePaint();
        } else {
          m_wipe.reset();
          r.wipeFinished = true;
        }
      }
      break;
    default: break;
  }
}

void TheApp::RunKeyDialog(int32_t player) {
  if (m_input == nullptr) return;
  frmKeyConfig dialog(*m_input);
  dialog.SetPlayerIndex(m_watcher.Form(), std::clamp(player, 0, 3));
  // The dialog's own loop: frames go on (the game's jobs wait) until it closes or the window
  // goes.
  while (!dialog.Closed() && m_kestrel->Poll() == 0) {
  }
}

}  // namespace game

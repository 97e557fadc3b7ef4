// Engine root: start-up checks gathered into one error text, the tick timer and picture box on
// the connected window, and the release order display, input, sound.
#include "engine/spLib.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/CBlivoBinding.h"
#include "platform/CDesktop.h"

namespace engine {

namespace {

const char* const kControlAdvice = "コントロールのランタイムライブラリをインストールしてください";

std::unique_ptr<spLib>& SharedSlot() {
  static std::unique_ptr<spLib> root;
  return root;
}

}  // namespace

spLibServices spLibServices::Defaults() {
  spLibServices s;
  s.startVideo = [](std::string& error) { return platform::CDesktop::Start(error); };
  s.stopVideo = [] { platform::CDesktop::Stop(); };
  s.probeLibrary = [] {
    auto getCpuId = BLIVO_FN(GetCpuID);
    if (getCpuId == nullptr) return false;
    (void)getCpuId();
    return true;
  };
  s.libraryProblem = [] {
    const platform::CBlivoBinding& binding = platform::CBlivoBinding::Shared();
    std::string error = binding.LastError();
    // The loader usually names the file itself.
    const std::string named = binding.LibraryPath() + ": ";
    if (error.rfind(named, 0) == 0) error.erase(0, named.size());
    return "tried " + binding.LibraryPath() + ": " + error;
  };
  s.reportCauses = [](const std::string& causes) {
    std::fputs(causes.c_str(), stderr);
    std::fflush(stderr);
  };
  s.messageBox = [](const std::string& text, const std::string& caption) {
    platform::CDesktop::MessageBox(text, caption, platform::CDesktop::Icon::kCritical);
  };
  s.endProgram = [](int code) { std::exit(code); };
  s.showCursor = [](bool visible) { platform::CDesktop::ShowCursor(visible); };
  s.clock = &util::SteadyClock();
  return s;
}

spLib& spLib::Shared() {
  auto& slot = SharedSlot();
  if (!slot) slot = std::make_unique<spLib>(spLibServices::Defaults());
  return *slot;
}

void spLib::ReleaseShared() { SharedSlot().reset(); }

spLib::spLib(spLibServices services) : m_services(std::move(services)) {
  if (m_services.clock == nullptr) m_services.clock = &util::SteadyClock();

  std::string why;
  m_videoStarted = m_services.startVideo && m_services.startVideo(why);
  if (!m_videoStarted) {
    AddError("インストールエラー", "DirectX7の初期化に失敗しました",
             "DirectX7以降をインストールしてください");
    m_causeText += "tumbleroo: the video system cannot start: " +
                   (why.empty() ? std::string("no reason given") : why) + "\n";
  }

  CreateSharedObjects();
  // The utility object's generator is the one the game draws from: seeded from the clock.
  m_api->Randomize(static_cast<uint32_t>(std::time(nullptr)));
  TimePeriod(true);

  if (!m_services.probeLibrary || !m_services.probeLibrary()) {
    AddError("インストールエラー", "BLIVO.DLLがインストールされていません",
             "ＤＬＬファイルをフォルダにコピーしてください");
    const std::string problem = m_services.libraryProblem ? m_services.libraryProblem() : "";
    m_causeText += "tumbleroo: the pixel library cannot be used: " +
                   (problem.empty() ? std::string("no reason given") : problem) + "\n";
  }
}

spLib::~spLib() { Teardown(); }

void spLib::Teardown() {
  if (m_tornDown) return;
  m_tornDown = true;
  UnConnect();
  TimePeriod(false);
  if (m_services.showCursor) m_services.showCursor(true);
  // Devices go before the video system they draw on.
  m_display.reset();
  m_input.reset();
  m_sound.reset();
  ReleaseSharedObjects();
  if (m_videoStarted && m_services.stopVideo) m_services.stopVideo();
  m_videoStarted = false;
}

void spLib::AddError(const std::string& title, const std::string& problem,
                     const std::string& advice) {
  m_errorText += title + "\r\n" + problem + "\r\n" + advice + "\r\n";
}

void spLib::CreateSharedObjects() {
  // In this order: the utility object, the 3-D device, the image function library, the
  // bitmap list, the text renderer. Each joins here as its module arrives.
  m_api = std::make_unique<util::CApi>();
  m_api->SetClock(m_services.clock);
}

void spLib::ReleaseSharedObjects() { m_api.reset(); }

void spLib::TimePeriod(bool begin) {
  if (m_api) m_api->timePeriod(begin);
}

void spLib::Init(bool errorThenEnd) {
  if (!errorThenEnd || m_errorText.empty()) return;
  // The causes first: a message box may wait for the user.
  if (m_services.reportCauses && !m_causeText.empty()) m_services.reportCauses(m_causeText);
  if (m_services.messageBox) m_services.messageBox(m_errorText, kStartCaption);
  Teardown();
  if (m_services.endProgram) m_services.endProgram(1);
}

void spLib::SetMainForm(platform::CWindow* form) {
  if (form == nullptr) {
    UnConnect();
    return;
  }
  Connect(*form);
}

void spLib::Connect(platform::CWindow& form) {
  if (m_mainForm != nullptr) UnConnect();
  m_mainForm = &form;
  // A window released while bound: release everything as usual but leave the window alone.
  m_released = form.Released.Subscribe([this] {
    m_timerName.clear();
    m_pictureName.clear();
    UnConnect();
  });

  for (int32_t n = 1;; ++n) {
    const std::string name = "spLibTimer" + std::to_string(n);
    const int32_t err = form.AddTimer(name, kTickIntervalMs, [this] { Tick(); });
    if (err == platform::CWindow::kNameInUse) continue;
    if (err != 0) {
      AddError("CreateObject", "タイマーの作成に失敗しました", kControlAdvice);
      return;
    }
    m_timerName = name;
    break;
  }
  for (int32_t n = 1;; ++n) {
    const std::string name = "spLibPicture" + std::to_string(n);
    const int32_t err = form.AddPictureBox(name);
    if (err == platform::CWindow::kNameInUse) continue;
    if (err != 0) {
      AddError("CreateObject", "ピクチャボックスの作成に失敗しました", kControlAdvice);
      return;
    }
    m_pictureName = name;
    break;
  }
}

void spLib::UnConnect() {
  if (m_mainForm == nullptr) return;
  Unload.Raise();
  DirectDrawExit();
  DirectInputExit();
  DirectSoundExit();
  m_released.Reset();
  if (!m_timerName.empty()) m_mainForm->RemoveControl(m_timerName);
  if (!m_pictureName.empty()) m_mainForm->RemoveControl(m_pictureName);
  m_timerName.clear();
  m_pictureName.clear();
  m_mainForm = nullptr;
}

void spLib::DirectDrawExit() {
  if (!m_display || !m_display->Started()) return;
  TerminateDraw.Raise();
  m_display->Stop();
}

void spLib::DirectInputExit() {
  if (!m_input || !m_input->Started()) return;
  TerminateInput.Raise();
  m_input->Stop();
}

void spLib::DirectSoundExit() {
  if (!m_sound || !m_sound->Started()) return;
  TerminateSound.Raise();
  m_sound->Stop();
}

void spLib::DirectDrawViderMemoryOver() {
  if (m_display && m_display->Started()) ViderMemoryOver.Raise();
}

void spLib::DirectDrawViderMemoryCash() {
  if (m_display && m_display->Started()) ViderMemoryCash.Raise();
}

void spLib::Tick() {
  const uint32_t now = m_services.clock->NowMs();
  if (now < m_tickStamp) m_tickStamp = now;
  uint32_t elapsed = now - m_tickStamp;
  if (elapsed > kMaxTick) elapsed = kMaxTick;
  m_tickStamp = now;
  Timer.Raise(static_cast<int32_t>(elapsed));
}

void spLib::SetDisplayDevice(std::unique_ptr<IDisplayDevice> device) {
  DirectDrawExit();
  m_display = std::move(device);
}

void spLib::SetInputDevice(std::unique_ptr<IInputDevice> device) {
  DirectInputExit();
  m_input = std::move(device);
}

void spLib::SetSoundDevice(std::unique_ptr<ISoundDevice> device) {
  DirectSoundExit();
  m_sound = std::move(device);
}

}  // namespace engine

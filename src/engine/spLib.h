// spLib: the engine root. One per process, created on first use: it checks that the system can
// run the game (video system, pixel library), creates the shared engine objects, owns the
// display, input and sound devices and releases them in a fixed order, and owns the tick timer
// and picture box on the connected window. Its events tell subscribers about both.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/IDisplayDevice.h"
#include "engine/IInputDevice.h"
#include "engine/ISoundDevice.h"
#include "platform/CEvent.h"
#include "platform/CWindow.h"
#include "util/CApi.h"
#include "util/IClock.h"

namespace engine {

// The outside services the engine root relies on; tests replace them.
struct spLibServices {
  // Starts the video system (the multimedia root); false with the reason.
  std::function<bool(std::string& error)> startVideo;
  std::function<void()> stopVideo;
  // Calls the pixel library's processor identification; false when it cannot be called.
  std::function<bool()> probeLibrary;
  // Why the probe failed, for the operator: the file tried and the loader's words.
  std::function<std::string()> libraryProblem;
  // Tells the operator the causes behind a failed start (the user sees the error text).
  std::function<void(const std::string& causes)> reportCauses;
  std::function<void(const std::string& text, const std::string& caption)> messageBox;
  // Ends the program at once.
  std::function<void(int code)> endProgram;
  std::function<void(bool visible)> showCursor;
  util::IClock* clock = nullptr;

  static spLibServices Defaults();
};

class spLib {
 public:
  static constexpr const char* kStartCaption = "起動できません";
  static constexpr uint32_t kTickIntervalMs = 10;
  static constexpr uint32_t kMaxTick = 1000;

  // The process's engine root, created on first use.
  static spLib& Shared();
  // Tears the shared root down (the entry procedure's last step). The next Shared() makes a
  // new one.
  static void ReleaseShared();

  explicit spLib(spLibServices services);
  ~spLib();
  spLib(const spLib&) = delete;
  spLib& operator=(const spLib&) = delete;

  // With errorThenEnd set and a non-empty error text: report the causes, show the text, tear
  // down, end the program.
  void Init(bool errorThenEnd = false);
  [[nodiscard]] const std::string& ErrorText() const { return m_errorText; }
  // The causes behind the error text, one line each (the video system's and the loader's own
  // words); empty when nothing failed.
  [[nodiscard]] const std::string& CauseText() const { return m_causeText; }

  void Connect(platform::CWindow& form);
  void UnConnect();
  [[nodiscard]] platform::CWindow* MainForm() const { return m_mainForm; }
  void SetMainForm(platform::CWindow* form);
  // Names of the auxiliary controls on the connected window (empty when none).
  [[nodiscard]] const std::string& TimerName() const { return m_timerName; }
  [[nodiscard]] const std::string& Picture() const { return m_pictureName; }

  void DirectDrawExit();
  void DirectInputExit();
  void DirectSoundExit();
  void DirectDrawViderMemoryOver();
  void DirectDrawViderMemoryCash();

  // What the tick timer runs every 10 ms: raises Timer with the milliseconds since the
  // previous tick (the first one reports 1000, never more than 1000).
  void Tick();

  // Devices, handed over by the program at start; the root owns and releases them.
  void SetDisplayDevice(std::unique_ptr<IDisplayDevice> device);
  void SetInputDevice(std::unique_ptr<IInputDevice> device);
  void SetSoundDevice(std::unique_ptr<ISoundDevice> device);
  [[nodiscard]] IDisplayDevice* DisplayDevice() const { return m_display.get(); }
  [[nodiscard]] IInputDevice* InputDevice() const { return m_input.get(); }
  [[nodiscard]] ISoundDevice* SoundDevice() const { return m_sound.get(); }

  [[nodiscard]] util::IClock& Clock() const { return *m_services.clock; }
  // The shared utility object.
  [[nodiscard]] util::CApi& Api() const { return *m_api; }

  // Events, in declaration order.
  platform::CEvent<int32_t> Timer;
  platform::CEvent<> Unload;
  platform::CEvent<> TerminateInput;
  platform::CEvent<> TerminateSound;
  platform::CEvent<> TerminateDraw;
  platform::CEvent<> ViderMemoryOver;
  platform::CEvent<> ViderMemoryCash;

 private:
  void AddError(const std::string& title, const std::string& problem, const std::string& advice);
  void CreateSharedObjects();
  void ReleaseSharedObjects();
  void TimePeriod(bool begin);
  void Teardown();

  spLibServices m_services;
  std::string m_errorText;
  std::string m_causeText;
  bool m_videoStarted = false;
  bool m_tornDown = false;
  uint32_t m_tickStamp = 0;

  platform::CWindow* m_mainForm = nullptr;
  platform::CSubscription m_released;
  std::string m_timerName;
  std::string m_pictureName;

  std::unique_ptr<util::CApi> m_api;
  std::unique_ptr<IDisplayDevice> m_display;
  std::unique_ptr<IInputDevice> m_input;
  std::unique_ptr<ISoundDevice> m_sound;
};

}  // namespace engine

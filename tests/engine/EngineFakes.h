// Test doubles for the engine: a hand-driven clock and display / input / sound devices that
// record what the engine asks of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/IDisplayDevice.h"
#include "engine/IInputDevice.h"
#include "engine/ISoundDevice.h"
#include "engine/spLib.h"
#include "util/IClock.h"

namespace enginetest {

class FakeClock : public util::IClock {
 public:
  uint32_t NowMs() override { return now; }
  void SleepMs(uint32_t ms) override {
    sleeps.push_back(ms);
    now += ms;
  }
  uint32_t now = 5000;
  std::vector<uint32_t> sleeps;
};

// Every call the engine makes on a device, in order, shared by the fakes.
using CallLog = std::vector<std::string>;

class FakeDisplay : public engine::IDisplayDevice {
 public:
  explicit FakeDisplay(CallLog& log) : m_log(log) {}
  bool Start(const engine::DisplayParams& p) override {
    m_log.push_back("display.Start");
    params = p;
    started = !refuseStart;
    ++starts;
    return started;
  }
  bool ToggleFullscreen(bool fs) override {
    engine::DisplayParams p = params;
    p.fullscreen = fs;
    return Start(p);
  }
  void Stop() override {
    m_log.push_back("display.Stop");
    started = false;
  }
  bool Started() const override { return started; }
  bool IsFullscreen() const override { return params.fullscreen; }
  const engine::DisplayParams& Params() const override { return params; }
  void Present(const util::CRect& area, bool wait) override {
    presents.push_back(area);
    waits.push_back(wait);
  }
  void PresentAll(bool wait) override {
    util::CRect all;
    all.Create(0, 0, params.width, params.height);
    Present(all, wait);
  }
  bool SurfacesUsable() override { return usable; }
  void SaveSurfaces() override { m_log.push_back("display.Save"); }
  void RestoreSurfaces() override { m_log.push_back("display.Restore"); }
  void FinishScene() override { ++scenesFinished; }
  void* BackBuffer() override { return nullptr; }
  void DrawText(const std::string& text, int32_t x, int32_t y) override {
    texts.push_back(text + "@" + std::to_string(x) + "," + std::to_string(y));
  }
  void DrawFrame(const util::CRect& rect, uint32_t colorRef) override {
    frames.push_back(rect);
    frameColours.push_back(colorRef);
  }
  std::string SupportList() const override { return "A\r\n"; }
  std::string NonSupportList() const override { return "B\r\nC\r\n"; }
  std::string MemoryReport() const override { return "report"; }

  engine::DisplayParams params;
  bool refuseStart = false;  // Start fails
  bool started = false;
  bool usable = true;
  int starts = 0;
  int scenesFinished = 0;
  std::vector<util::CRect> presents;
  std::vector<bool> waits;
  std::vector<std::string> texts;
  std::vector<util::CRect> frames;
  std::vector<uint32_t> frameColours;

 private:
  CallLog& m_log;
};

class FakeInput : public engine::IInputDevice {
 public:
  explicit FakeInput(CallLog& log) : m_log(log) {}
  void Start(int32_t n) override {
    m_log.push_back("input.Start(" + std::to_string(n) + ")");
    started = true;
    count = n;
  }
  void Stop() override {
    m_log.push_back("input.Stop");
    started = false;
  }
  bool Started() const override { return started; }
  void PollMouse() override { m_log.push_back("input.PollMouse"); }
  void PollKeyboard() override { m_log.push_back("input.PollKeyboard"); }
  void PollJoysticks() override { m_log.push_back("input.PollJoysticks"); }
  void UpdateVirtualKeys() override { m_log.push_back("input.UpdateVirtualKeys"); }
  void SetWindowMouseButtons(bool l, bool r) override {
    left = l;
    right = r;
  }
  void SetCursorRelative(float, float) override {}
  int32_t WheelDelta() const override { return wheel; }
  int32_t VKeyCount() const override { return count; }
  bool GetVKey(int32_t i, engine::VKeyState& out) const override {
    if (i < 0 || i >= count || i >= 4) return false;
    out = keys[i];
    return true;
  }

  bool started = false;
  int32_t count = 0;
  int32_t wheel = 0;
  bool left = false, right = false;
  engine::VKeyState keys[4];

 private:
  CallLog& m_log;
};

class FakeSound : public engine::ISoundDevice {
 public:
  explicit FakeSound(CallLog& log) : m_log(log) {}
  void Start(int32_t hz, int32_t bits, int32_t ch) override {
    m_log.push_back("sound.Start(" + std::to_string(hz) + "," + std::to_string(bits) + "," +
                    std::to_string(ch) + ")");
    started = !refuseStart;
  }
  void Stop() override {
    m_log.push_back("sound.Stop");
    started = false;
  }
  bool Started() const override { return started; }
  bool refuseStart = false;  // Start fails
  bool started = false;

 private:
  CallLog& m_log;
};

// Services with every check passing and nothing shown or ended for real.
inline engine::spLibServices PassingServices(FakeClock& clock, std::vector<std::string>* shown,
                                             int* endCode) {
  engine::spLibServices s;
  s.startVideo = [](std::string&) { return true; };
  s.stopVideo = [] {};
  s.probeLibrary = [] { return true; };
  s.messageBox = [shown](const std::string& text, const std::string& caption) {
    if (shown != nullptr) shown->push_back(caption + "|" + text);
  };
  s.endProgram = [endCode](int code) {
    if (endCode != nullptr) *endCode = code;
  };
  s.showCursor = [](bool) {};
  s.clock = &clock;
  return s;
}

}  // namespace enginetest

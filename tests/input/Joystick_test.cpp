// Joysticks through SDL's virtual joysticks, so these run without hardware or a display.
#include <gtest/gtest.h>

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

#include "input/FakeSources.h"
#include "input/spLibInput.h"

namespace input {
namespace {

class VirtualPad {
 public:
  explicit VirtualPad(int axes = 2, int buttons = 16, int hats = 1) {
    const int index =
        SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
    if (index >= 0) m_handle = SDL_JoystickOpen(index);
    if (m_handle != nullptr) m_id = SDL_JoystickInstanceID(m_handle);
  }
  ~VirtualPad() { Unplug(); }
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;

  [[nodiscard]] bool Ok() const { return m_handle != nullptr; }
  void Axis(int axis, Sint16 value) { SDL_JoystickSetVirtualAxis(m_handle, axis, value); }
  void Button(int button, bool down) {
    SDL_JoystickSetVirtualButton(m_handle, button, down ? SDL_PRESSED : SDL_RELEASED);
  }
  void Hat(int hat, Uint8 bits) { SDL_JoystickSetVirtualHat(m_handle, hat, bits); }
  // For after SDL itself closed every joystick: the handle is no longer ours to close.
  void Forget() { m_handle = nullptr; }
  void Unplug() {
    if (m_handle == nullptr) return;
    SDL_JoystickClose(m_handle);
    m_handle = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == m_id) {
        SDL_JoystickDetachVirtual(i);
        break;
      }
    }
  }

 private:
  SDL_Joystick* m_handle = nullptr;
  SDL_JoystickID m_id = -1;
};

class JoystickTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  }
  static void TearDownTestSuite() { SDL_QuitSubSystem(SDL_INIT_JOYSTICK); }

  void SetUp() override {
    // No real controllers may leak into the counts below.
    ASSERT_EQ(SDL_NumJoysticks(), 0) << "a joystick is attached to this machine";
  }

  VirtualPad& Plug() {
    m_pads.push_back(std::make_unique<VirtualPad>());
    EXPECT_TRUE(m_pads.back()->Ok()) << SDL_GetError();
    return *m_pads.back();
  }
  void Make(int32_t vkeys) {
    auto keys = std::make_unique<testing::FakeKeys>();
    m_keys = keys.get();
    m_input =
        std::make_unique<spLibInput>(std::move(keys), std::make_unique<testing::FakeMouse>(), true);
    m_input->Start(vkeys);
  }
  void Frame() {
    m_input->PollMouse();
    m_input->PollKeyboard();
    m_input->PollJoysticks();
    m_input->UpdateVirtualKeys();
  }
  const VKey& Key(int32_t i) { return *m_input->VKeyAt(i); }

  void TearDown() override {
    m_input.reset();
    m_pads.clear();
  }

  std::vector<std::unique_ptr<VirtualPad>> m_pads;
  testing::FakeKeys* m_keys = nullptr;
  std::unique_ptr<spLibInput> m_input;
};

VKeyMap PadMap(int pad) {
  VKeyMap m{};
  const int base = 256 * (pad - 1);
  for (int b = 0; b < 10; ++b) m[static_cast<size_t>(b)] = 0x4000 + base + b;
  for (int d = 0; d < 4; ++d) m[static_cast<size_t>(10 + d)] = 0x2000 + base + d;
  return m;
}

// Keyboard sets, by their first direction code: H for set A, the up arrow for set B and the
// arrow set; the arrow set's buttons are letters, set B's the keypad.
std::string Describe(const VKeyMap& m) {
  for (int pad = 1; pad <= 16; ++pad) {
    if (m == PadMap(pad)) return "pad" + std::to_string(pad);
  }
  if (m[10] == 0x1000 + 35) return "A";
  if (m[10] == 0x1000 + 200) return m[0] == 0x1000 + 79 ? "B" : "arrows";
  if (m == VKeyMap{}) return "none";
  return "other";
}

TEST_F(JoystickTest, DefaultMapsByJoystickCount) {
  const struct {
    int joysticks;
    int32_t vkeys;
    std::vector<std::string> maps;
  } cases[] = {
      {1, 4, {"pad1", "A", "B", "pad4"}},
      {2, 4, {"pad1", "pad2", "A", "B"}},
      {3, 4, {"pad1", "pad2", "pad3", "arrows"}},
      {4, 4, {"pad1", "pad2", "pad3", "pad4"}},
      {5, 4, {"pad1", "pad2", "pad3", "pad4"}},
      {1, 1, {"pad1"}},
      {1, 2, {"pad1", "arrows"}},
      {2, 6, {"pad1", "pad2", "A", "B", "pad5", "pad6"}},
  };
  for (const auto& c : cases) {
    for (int i = 0; i < c.joysticks; ++i) Plug();
    Make(c.vkeys);
    EXPECT_EQ(m_input->JoystickCount(), c.joysticks);
    for (int32_t v = 0; v < c.vkeys; ++v) {
      EXPECT_EQ(Describe(*m_input->Map(v)), c.maps[static_cast<size_t>(v)])
          << c.joysticks << " joysticks, virtual key " << v;
    }
    m_input.reset();
    m_pads.clear();
  }
}

TEST_F(JoystickTest, AxesButtonsAndHatsReachTheRecordAndTheVirtualKey) {
  VirtualPad& pad = Plug();
  Make(4);
  const JoystickRecord& record = m_input->Joystick(0);
  EXPECT_TRUE(record.present);
  EXPECT_EQ(record.centreX, 32768);
  EXPECT_EQ(record.centreY, 32768);

  pad.Axis(1, -32768);
  pad.Axis(0, 20000);
  pad.Button(2, true);
  pad.Hat(0, SDL_HAT_RIGHT);
  Frame();
  EXPECT_EQ(record.state.y, 0);
  // (20000 * 10000 - 3000 * 32767) / 4000 = 25424.75 -> 25425 above the centre.
  EXPECT_EQ(record.state.x, 58193);
  EXPECT_EQ(record.state.pov[0], 9000u);
  EXPECT_EQ(record.state.buttons[2], 0x80);
  EXPECT_EQ(Key(0).y, -1);
  EXPECT_EQ(Key(0).x, 1);
  EXPECT_EQ(Key(0).Direction, 4);
  EXPECT_EQ(Key(0).Button[2], 1);
  EXPECT_EQ(Key(0).Trigger, 3);
  EXPECT_TRUE(m_input->IsPressed(0x2000));  // up
  EXPECT_TRUE(m_input->IsPressed(0x2003));  // right
  EXPECT_FALSE(m_input->IsPressed(0x2001));
  EXPECT_FALSE(m_input->IsPressed(0x2100));  // pad 2 is not there

  // A stick within the dead zone is at rest.
  pad.Axis(1, -9000);
  pad.Axis(0, 9000);
  Frame();
  EXPECT_EQ(record.state.y, 32768);
  EXPECT_EQ(record.state.x, 32768);
  EXPECT_EQ(Key(0).Direction, 0);
  EXPECT_EQ(Key(0).Button[2], 2);
}

TEST_F(JoystickTest, ControllersComeAndGoWhileRunning) {
  VirtualPad& first = Plug();
  Make(4);
  ASSERT_EQ(m_input->JoystickCount(), 1);
  m_input->MapAllToJoysticks();

  first.Button(0, true);
  Frame();
  Frame();
  EXPECT_EQ(Key(0).Button[0], 2);

  // A second controller takes slot 1 and works through virtual key 1's map at once.
  VirtualPad& second = Plug();
  second.Button(1, true);
  second.Axis(0, -32768);
  Frame();
  EXPECT_EQ(m_input->JoystickCount(), 2);
  EXPECT_TRUE(m_input->Joystick(1).present);
  EXPECT_EQ(Key(1).Button[1], 1);
  EXPECT_EQ(Key(1).x, -1);

  // Pulled while its button is held: reads as released.
  first.Unplug();
  Frame();
  EXPECT_FALSE(m_input->Joystick(0).present);
  EXPECT_EQ(m_input->JoystickCount(), 1);
  EXPECT_EQ(Key(0).Button[0], -3);
  EXPECT_FALSE(m_input->IsPressed(0x4000));
  Frame();
  EXPECT_EQ(Key(0).Button[0], 0);
  EXPECT_EQ(Key(1).Button[1], 3);  // the other controller carried on

  // The next controller fills the free slot 0; the one after takes slot 2.
  VirtualPad& third = Plug();
  third.Button(5, true);
  Frame();
  EXPECT_TRUE(m_input->Joystick(0).present);
  EXPECT_EQ(Key(0).Button[5], 1);
  VirtualPad& fourth = Plug();
  fourth.Axis(1, 32767);
  Frame();
  EXPECT_TRUE(m_input->Joystick(2).present);
  EXPECT_EQ(Key(2).y, 1);
  EXPECT_EQ(m_input->JoystickCount(), 3);
}

TEST_F(JoystickTest, DeviceEventsAreAcceptedFromTheWindowPump) {
  Make(2);
  EXPECT_EQ(m_input->JoystickCount(), 0);
  VirtualPad& pad = Plug();
  m_input->OnDevicesChanged();
  pad.Button(3, true);
  Frame();
  EXPECT_EQ(m_input->JoystickCount(), 1);
  EXPECT_TRUE(m_input->IsPressed(0x4003));
}

TEST_F(JoystickTest, CaptureNewButtonsAndDirectionsLeavingTheCentre) {
  VirtualPad& one = Plug();
  VirtualPad& two = Plug();
  Make(4);
  EXPECT_EQ(m_input->CaptureInput(-1), 0);

  one.Button(4, true);
  EXPECT_EQ(m_input->CaptureInput(-1), 0x4004);
  EXPECT_EQ(m_input->CaptureInput(-1), 0);  // held

  two.Axis(1, -32768);
  EXPECT_EQ(m_input->CaptureInput(-1), 0x2100);  // Pad2 up
  // Straight from up to down never passes the centre as seen by the snapshots: nothing.
  two.Axis(1, 32767);
  EXPECT_EQ(m_input->CaptureInput(-1), 0);
  two.Axis(1, 0);
  EXPECT_EQ(m_input->CaptureInput(-1), 0);
  two.Axis(0, 32767);
  EXPECT_EQ(m_input->CaptureInput(-1), 0x2103);  // Pad2 right
  EXPECT_EQ(m_input->KeyName(0x2103), "Pad2_→");

  // A selector reads only its own joystick, and never the keyboard.
  two.Button(0, true);
  one.Button(7, true);
  m_keys->Set({44});
  EXPECT_EQ(m_input->CaptureInput(0), 0x4007);
  EXPECT_EQ(m_input->CaptureInput(1), 0x4100);
  EXPECT_EQ(m_input->CaptureInput(-1), 0x1000 + 44);
  // The keyboard alone: no joystick, however new its press.
  m_keys->Set({44, 30});
  one.Button(2, true);
  EXPECT_EQ(m_input->CaptureInput(input::spLibInput::kCaptureKeyboard), 0x1000 + 30);
  EXPECT_EQ(m_input->CaptureInput(input::spLibInput::kCaptureKeyboard), 0);
  EXPECT_EQ(m_input->CaptureInput(0), 0x4002);

  // Several new inputs at once: buttons first, then y, then x; the last found wins.
  two.Axis(0, 0);
  two.Axis(1, 0);
  (void)m_input->CaptureInput(1);
  two.Button(9, true);
  two.Axis(1, 32767);
  two.Axis(0, -32768);
  EXPECT_EQ(m_input->CaptureInput(1), 0x2102);  // Pad2 left
}

TEST_F(JoystickTest, DirectionsOfTheFifthControllerAndBeyondReadTheirOwnController) {
  for (int i = 0; i < 5; ++i) Plug();
  Make(4);
  m_pads[4]->Axis(1, -32768);
  // Captured as Pad5 up, and that code must read pad 5, not pad 1.
  EXPECT_EQ(m_input->CaptureInput(4), 0x2400);
  EXPECT_EQ(m_input->KeyName(0x2400), "Pad5_↑");
  Frame();
  EXPECT_TRUE(m_input->IsPressed(0x2400));
  EXPECT_FALSE(m_input->IsPressed(0x2000));
  m_pads[0]->Axis(0, 32767);
  Frame();
  EXPECT_TRUE(m_input->IsPressed(0x2003));
  EXPECT_FALSE(m_input->IsPressed(0x2403));
}

TEST_F(JoystickTest, JoystickServiceShutDownUnderneathReadsAsNoJoysticks) {
  VirtualPad& pad = Plug();
  Make(2);
  pad.Button(0, true);
  Frame();
  ASSERT_EQ(Key(0).Button[0], 1);
  // Someone shuts SDL's joysticks down completely (as SDL_Quit does): the module's handles are
  // freed by SDL, so it must neither read nor close them afterwards.
  int holders = 0;
  while (SDL_WasInit(SDL_INIT_JOYSTICK) != 0) {
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    ++holders;
  }
  Frame();
  EXPECT_EQ(m_input->JoystickCount(), 0);
  EXPECT_EQ(Key(0).Button[0], -1);
  (void)m_input->CaptureInput(-1);
  m_input.reset();
  pad.Forget();
  m_pads.clear();
  // Give the suite its own hold on the service back.
  EXPECT_GE(holders, 2);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
}

}  // namespace
}  // namespace input

// The sound device as the engine root owns it: started with the settings' format, released with
// TerminateSound raised while the waves still have their buffers, every buffer lost after.
#include <gtest/gtest.h>

#include "SoundFakes.h"
#include "engine/EngineFakes.h"
#include "engine/spLib.h"
#include "sound/CmsWAV.h"
#include "sound/spLibSound.h"

namespace {

TEST(EngineSound, TheRootStartsAndReleasesTheDevice) {
  enginetest::FakeClock clock;
  engine::spLib root(enginetest::PassingServices(clock, nullptr, nullptr));
  soundtest::OutputState out;
  root.SetSoundDevice(std::make_unique<sound::spLibSound>(
      [&out] { return std::make_unique<soundtest::FakeOutput>(out); }));
  ASSERT_NE(root.SoundDevice(), nullptr);
  EXPECT_EQ(sound::spLibSound::Current(), root.SoundDevice());
  root.SoundDevice()->Start(22050, 8, 1);  // as the frame controller does at Connect
  EXPECT_TRUE(root.SoundDevice()->Started());
  EXPECT_EQ(out.format.hz, 22050);
  EXPECT_EQ(out.format.bits, 8);
  EXPECT_EQ(out.format.channels, 1);

  sound::CmsWAV wave;
  ASSERT_EQ(wave.Add(100, 16, 1, 22050), 0);
  wave.BufferCreate(0);
  wave.BufferWrite();
  wave.Play(1);
  bool aliveWhenTold = false;
  const platform::CSubscription onTerminateSound =
      root.TerminateSound.Subscribe([&] { aliveWhenTold = wave.GetState(); });
  root.DirectSoundExit();
  EXPECT_TRUE(aliveWhenTold);
  EXPECT_FALSE(root.SoundDevice()->Started());
  EXPECT_EQ(out.fill, nullptr);
  EXPECT_EQ(wave.Buffer()->GetStatus(), sound::DSBSTATUS_BUFFERLOST);
  wave.Play(0);
  EXPECT_FALSE(wave.BufferValid());
}

}  // namespace

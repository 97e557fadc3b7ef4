// The sound device: output at the engine's format, silence without an output, a lost output that
// comes back, buffers lost when the device stops, and real mixing through SDL's disk driver.
#include "sound/spLibSound.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "SoundFakes.h"
#include "sound/CmsWAV.h"

namespace {

using soundtest::FakeClock;
using soundtest::FakeOutput;
using soundtest::OutputState;

struct Rig {
  OutputState out;
  FakeClock clock;
  sound::spLibSound device{[this] { return std::make_unique<FakeOutput>(out); }, &clock};
};

// A looping 16-bit stereo buffer of a constant level.
std::unique_ptr<sound::CSoundBuffer> Tone(sound::spLibSound& d, int16_t level, int32_t frames) {
  auto b = d.CreateBuffer(frames * 4, 44100, 16, 2, 0);
  if (!b) return b;
  std::vector<int16_t> s(static_cast<size_t>(frames) * 2, level);
  (void)b->Write(0, soundtest::Bytes16(s));
  return b;
}

TEST(SoundDevice, StartsAtTheEngineFormatOrFallsBack) {
  struct Case {
    int32_t hz, bits, channels;
    sound::MixFormat expect;
  };
  const Case cases[] = {
      {22050, 8, 1, {22050, 8, 1}},
      {44100, 16, 2, {44100, 16, 2}},
      {48000, 24, 2, {44100, 16, 2}},
      {44100, 16, 6, {44100, 16, 2}},
      {1000, 16, 2, {44100, 16, 2}},
  };
  for (const Case& c : cases) {
    Rig rig;
    EXPECT_FALSE(rig.device.Started());
    EXPECT_EQ(rig.device.CreateBuffer(400, 44100, 16, 2, 0), nullptr);
    rig.device.Start(c.hz, c.bits, c.channels);
    EXPECT_TRUE(rig.device.Started());
    EXPECT_TRUE(rig.device.OutputOpen());
    EXPECT_EQ(rig.out.format.hz, c.expect.hz);
    EXPECT_EQ(rig.out.format.bits, c.expect.bits);
    EXPECT_EQ(rig.out.format.channels, c.expect.channels);
  }
}

TEST(SoundDevice, WithoutAnOutputTimeStillPassesAndTheOutputIsTriedAgain) {
  Rig rig;
  rig.out.available = false;
  rig.device.Start(44100, 16, 2);
  EXPECT_FALSE(rig.device.OutputOpen());
  auto tone = Tone(rig.device, 1000, 44100);  // one second
  ASSERT_NE(tone, nullptr);
  EXPECT_EQ(tone->Play(0), sound::SoundResult::kOk);
  rig.clock.now += 500;
  uint32_t play = 0, write = 0;
  ASSERT_EQ(tone->GetCurrentPosition(play, write), sound::SoundResult::kOk);
  EXPECT_EQ(play, 22050u * 4);
  EXPECT_EQ(rig.out.opens, 1);
  rig.clock.now += 600;  // past the end
  EXPECT_EQ(tone->GetStatus(), 0u);
  EXPECT_EQ(rig.out.opens, 1);
  rig.clock.now += 1000;  // past the retry interval
  rig.device.Pump();
  EXPECT_EQ(rig.out.opens, 2);
  EXPECT_FALSE(rig.device.OutputOpen());
  rig.out.available = true;
  rig.clock.now += sound::spLibSound::kRetryMs;
  rig.device.Pump();
  EXPECT_TRUE(rig.device.OutputOpen());
  tone->Play(sound::DSBPLAY_LOOPING);
  const std::vector<int16_t> heard = soundtest::Pull(rig.out, 8);
  EXPECT_EQ(heard[0], 1000);
}

TEST(SoundDevice, LostOutputGoesSilentAndVoicesComeBackWithIt) {
  Rig rig;
  rig.device.Start(44100, 16, 2);
  auto tone = Tone(rig.device, 3000, 1000);
  tone->Play(sound::DSBPLAY_LOOPING);
  EXPECT_EQ(soundtest::Pull(rig.out, 4)[0], 3000);
  rig.out.lost = true;
  EXPECT_NE(tone->GetStatus() & sound::DSBSTATUS_PLAYING, 0u);  // the check happens here
  EXPECT_FALSE(rig.device.OutputOpen());
  EXPECT_EQ(rig.out.fill, nullptr);
  // The game carries on: effects still start and stop without errors.
  EXPECT_EQ(tone->Play(sound::DSBPLAY_LOOPING), sound::SoundResult::kOk);
  rig.clock.now += sound::spLibSound::kRetryMs;
  rig.device.Pump();
  ASSERT_TRUE(rig.device.OutputOpen());
  EXPECT_EQ(soundtest::Pull(rig.out, 4)[0], 3000);
}

TEST(SoundDevice, StoppingTheDeviceLosesEveryBuffer) {
  Rig rig;
  rig.device.Start(44100, 16, 2);
  sound::CmsWAV wave;
  ASSERT_EQ(wave.Add(100, 16, 2, 44100), 0);
  wave.BufferCreate(sound::DSBCAPS_CTRLVOLUME);
  wave.BufferWrite();
  ASSERT_TRUE(wave.BufferValid());
  rig.device.Stop();
  EXPECT_EQ(wave.Buffer()->GetStatus(), sound::DSBSTATUS_BUFFERLOST);
  wave.PlaySE(1, 0, 0);
  EXPECT_FALSE(wave.BufferValid());  // silent until its buffer is made again
  rig.device.Start(44100, 16, 2);
  wave.BufferCreate(sound::DSBCAPS_CTRLVOLUME);
  wave.BufferWrite();
  wave.Play(0);
  EXPECT_TRUE(wave.GetState());
}

TEST(SoundDevice, MixesIntoSdlsDiskDriver) {
  soundtest::TempDir dir;
  const std::string file = dir.File("out.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "1", 1);
  {
    sound::spLibSound device;
    device.Start(22050, 16, 2);
    if (!device.OutputOpen()) GTEST_SKIP() << "SDL has no disk audio driver here";
    auto left = device.CreateBuffer(4 * 4000, 22050, 16, 2, sound::DSBCAPS_CTRLPAN);
    ASSERT_NE(left, nullptr);
    std::vector<int16_t> s(8000, 12000);
    (void)left->Write(0, soundtest::Bytes16(s));
    (void)left->SetPan(-10000);
    left->Play(sound::DSBPLAY_LOOPING);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    device.Stop();
  }
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  const std::vector<uint8_t> raw = dir.Read("out.raw");
  ASSERT_GE(raw.size(), 4000u);
  size_t heard = 0;
  for (size_t i = 0; i + 4 <= raw.size(); i += 4) {
    int16_t l = 0, r = 0;
    std::memcpy(&l, &raw[i], 2);
    std::memcpy(&r, &raw[i + 2], 2);
    if (l == 0 && r == 0) continue;  // before the voice started
    EXPECT_EQ(l, 12000);
    EXPECT_EQ(r, 0);
    ++heard;
  }
  EXPECT_GT(heard, 100u);
}

}  // namespace

// The mixer driven directly: levels from hundredths of a decibel, pan, resampling, saturation,
// loops and ends, the 3-D model, cursors, status and loss.
#include "sound/CMixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

using sound::CMixer;

constexpr uint32_t kAll = sound::DSBCAPS_CTRLVOLUME | sound::DSBCAPS_CTRLPAN |
                          sound::DSBCAPS_CTRLFREQUENCY;

// A 16-bit stereo buffer holding the given frames (left, right).
CMixer::Id Stereo(CMixer& m, const std::vector<int16_t>& lr, int32_t hz, uint32_t flags = kAll) {
  const CMixer::Id id = m.Create(static_cast<int32_t>(lr.size() * 2), hz, 16, 2, flags);
  std::vector<uint8_t> bytes(lr.size() * 2);
  std::memcpy(bytes.data(), lr.data(), bytes.size());
  EXPECT_EQ(m.Write(id, 0, bytes), sound::SoundResult::kOk);
  return id;
}

std::vector<int16_t> MixOut(CMixer& m, int32_t frames) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * m.Format().channels);
  m.Mix(reinterpret_cast<uint8_t*>(out.data()), frames);
  return out;
}

std::vector<int16_t> Constant(int32_t frames, int16_t l, int16_t r) {
  std::vector<int16_t> v;
  for (int32_t i = 0; i < frames; ++i) {
    v.push_back(l);
    v.push_back(r);
  }
  return v;
}

TEST(Mixer, VolumeAndPanFollowDecibels) {
  struct Case {
    int32_t volume, pan;
    double left, right;  // expected gains
  };
  const Case cases[] = {
      {0, 0, 1.0, 1.0},
      {-600, 0, 0.5012, 0.5012},
      {-2000, 0, 0.1, 0.1},
      {0, 600, 0.5012, 1.0},       // right: the left side is attenuated
      {0, -2000, 1.0, 0.1},
      {-600, 600, 0.2512, 0.5012},
      {-10000, 0, 0.0, 0.0},
      {0, 10000, 0.0, 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "volume " << c.volume << " pan " << c.pan);
    CMixer m({44100, 16, 2});
    const CMixer::Id id = Stereo(m, Constant(64, 20000, 20000), 44100);
    ASSERT_EQ(m.SetVolume(id, c.volume), sound::SoundResult::kOk);
    ASSERT_EQ(m.SetPan(id, c.pan), sound::SoundResult::kOk);
    ASSERT_EQ(m.Play(id, 0), sound::SoundResult::kOk);
    const std::vector<int16_t> out = MixOut(m, 16);
    EXPECT_NEAR(out[20], 20000 * c.left, 3.0);
    EXPECT_NEAR(out[21], 20000 * c.right, 3.0);
  }
}

TEST(Mixer, ControlsNeedTheirCapabilityAndRange) {
  CMixer m({44100, 16, 2});
  const CMixer::Id plain = Stereo(m, Constant(8, 1, 1), 44100, 0);
  EXPECT_EQ(m.SetVolume(plain, -100), sound::SoundResult::kControlUnavail);
  EXPECT_EQ(m.SetPan(plain, 100), sound::SoundResult::kControlUnavail);
  EXPECT_EQ(m.SetFrequency(plain, 22050), sound::SoundResult::kControlUnavail);
  const CMixer::Id id = Stereo(m, Constant(8, 1, 1), 44100);
  EXPECT_EQ(m.SetVolume(id, 1), sound::SoundResult::kInvalidParam);
  EXPECT_EQ(m.SetPan(id, -10001), sound::SoundResult::kInvalidParam);
  EXPECT_EQ(m.SetFrequency(id, 99), sound::SoundResult::kInvalidParam);
  EXPECT_EQ(m.SetFrequency(id, 100001), sound::SoundResult::kInvalidParam);
  EXPECT_EQ(m.SetFrequency(id, 0), sound::SoundResult::kOk);
  int32_t f = 0;
  EXPECT_EQ(m.GetFrequency(id, f), sound::SoundResult::kOk);
  EXPECT_EQ(f, 44100);
  // Formats and sizes the device does not take.
  EXPECT_LT(m.Create(100, 44100, 24, 2, 0).slot, 0);
  EXPECT_LT(m.Create(100, 44100, 16, 3, 0).slot, 0);
  EXPECT_LT(m.Create(3, 44100, 16, 2, 0).slot, 0);
  EXPECT_LT(m.Create(sound::DSBSIZE_MAX + 1, 44100, 16, 2, 0).slot, 0);
}

TEST(Mixer, SumsSaturateInsteadOfWrapping) {
  CMixer m({44100, 16, 2});
  const CMixer::Id a = Stereo(m, Constant(32, 30000, -30000), 44100);
  const CMixer::Id b = Stereo(m, Constant(32, 30000, -30000), 44100);
  m.Play(a, 0);
  m.Play(b, 0);
  const std::vector<int16_t> out = MixOut(m, 8);
  for (size_t i = 0; i < out.size(); i += 2) {
    EXPECT_EQ(out[i], 32767);
    EXPECT_EQ(out[i + 1], -32768);
  }
}

TEST(Mixer, FrequencyChangeInterpolatesLinearly) {
  // A ramp: every output frame lands on (or between) known values.
  std::vector<int16_t> ramp;
  for (int32_t i = 0; i < 200; ++i) {
    ramp.push_back(static_cast<int16_t>(i * 100));
    ramp.push_back(static_cast<int16_t>(-i * 100));
  }
  struct Case {
    int32_t frequency;
    double framesPerOutput;
  };
  for (const Case c : {Case{44100, 1.0}, Case{88200, 2.0}, Case{22050, 0.5}, Case{33075, 0.75}}) {
    SCOPED_TRACE(c.frequency);
    CMixer m({44100, 16, 2});
    const CMixer::Id id = Stereo(m, ramp, 44100);
    ASSERT_EQ(m.SetFrequency(id, c.frequency), sound::SoundResult::kOk);
    m.Play(id, 0);
    const std::vector<int16_t> out = MixOut(m, 64);
    for (int32_t f = 0; f < 64; ++f) {
      const double expected = f * c.framesPerOutput * 100.0;
      EXPECT_NEAR(out[2 * static_cast<size_t>(f)], expected, 1.0) << "frame " << f;
      EXPECT_NEAR(out[2 * static_cast<size_t>(f) + 1], -expected, 1.0) << "frame " << f;
    }
  }
}

TEST(Mixer, EightBitAndMonoFormatsMeetInTheMiddle) {
  // An 8-bit mono source into an 8-bit mono output and a 16-bit stereo one.
  CMixer m8({22050, 8, 1});
  CMixer m16({22050, 16, 2});
  for (CMixer* m : {&m8, &m16}) {
    const CMixer::Id id = m->Create(16, 22050, 8, 1, 0);
    const std::vector<uint8_t> src = {128, 192, 64, 255, 0, 128, 160, 96,
                                      128, 128, 128, 128, 128, 128, 128, 128};
    ASSERT_EQ(m->Write(id, 0, src), sound::SoundResult::kOk);
    m->Play(id, 0);
    std::vector<uint8_t> out(static_cast<size_t>(8 * m->Format().BlockAlign()));
    m->Mix(out.data(), 8);
    for (size_t i = 0; i < 8; ++i) {
      const int32_t sample16 = (src[i] - 128) * 256;
      if (m == &m8) {
        EXPECT_EQ(out[i], src[i]);
      } else {
        int16_t l = 0, r = 0;
        std::memcpy(&l, &out[4 * i], 2);
        std::memcpy(&r, &out[4 * i + 2], 2);
        EXPECT_EQ(l, sample16);
        EXPECT_EQ(r, sample16);
      }
    }
  }
}

TEST(Mixer, LoopsWrapAndOneShotsEnd) {
  CMixer m({44100, 16, 2});
  std::vector<int16_t> lr;
  for (int16_t i = 1; i <= 10; ++i) {
    lr.push_back(i);
    lr.push_back(i);
  }
  const CMixer::Id loop = Stereo(m, lr, 44100, 0);
  m.Play(loop, sound::DSBPLAY_LOOPING);
  EXPECT_EQ(m.GetStatus(loop), sound::DSBSTATUS_PLAYING | sound::DSBSTATUS_LOOPING);
  std::vector<int16_t> out = MixOut(m, 25);
  for (int32_t f = 0; f < 25; ++f) EXPECT_EQ(out[2 * static_cast<size_t>(f)], f % 10 + 1);
  m.Stop(loop);

  const CMixer::Id once = Stereo(m, lr, 44100, 0);
  m.Play(once, 0);
  out = MixOut(m, 25);
  for (int32_t f = 0; f < 25; ++f) EXPECT_EQ(out[2 * static_cast<size_t>(f)], f < 10 ? f + 1 : 0);
  EXPECT_EQ(m.GetStatus(once), 0u);
  uint32_t play = 99, write = 99;
  ASSERT_EQ(m.GetCurrentPosition(once, play, write), sound::SoundResult::kOk);
  EXPECT_EQ(play, 0u);
}

TEST(Mixer, CursorsMoveWithTheMixAndWriteRunsAhead) {
  CMixer m({44100, 16, 2});
  m.SetDevicePeriod(100);
  const CMixer::Id id = Stereo(m, Constant(1000, 5, 5), 44100, 0);
  uint32_t play = 1, write = 1;
  m.GetCurrentPosition(id, play, write);
  EXPECT_EQ(play, 0u);
  EXPECT_EQ(write, 0u);  // stopped: the cursors meet
  m.Play(id, sound::DSBPLAY_LOOPING);
  MixOut(m, 250);
  m.GetCurrentPosition(id, play, write);
  EXPECT_EQ(play, 250u * 4);
  EXPECT_EQ(write, (250u + 102) * 4);
  MixOut(m, 700);
  m.GetCurrentPosition(id, play, write);
  EXPECT_EQ(play, 950u * 4);
  EXPECT_EQ(write, (950u + 102 - 1000) * 4);  // wrapped
  EXPECT_EQ(m.SetCurrentPosition(id, 4001), sound::SoundResult::kInvalidParam);
  EXPECT_EQ(m.SetCurrentPosition(id, 402), sound::SoundResult::kOk);
  m.GetCurrentPosition(id, play, write);
  EXPECT_EQ(play, 400u);  // whole frames
  // A buffer whose size is not whole frames: its tail is no place for the cursor.
  const CMixer::Id odd = m.Create(10, 44100, 16, 2, 0);
  EXPECT_EQ(m.SetCurrentPosition(odd, 4), sound::SoundResult::kOk);
  EXPECT_EQ(m.SetCurrentPosition(odd, 8), sound::SoundResult::kInvalidParam);
}

TEST(Mixer, AdvanceLetsTimePassSilently) {
  CMixer m({44100, 16, 2});
  const CMixer::Id once = Stereo(m, Constant(1000, 5, 5), 44100, sound::DSBCAPS_CTRLFREQUENCY);
  const CMixer::Id loop = Stereo(m, Constant(1000, 5, 5), 44100, 0);
  m.SetFrequency(once, 88200);
  m.Play(once, 0);
  m.Play(loop, sound::DSBPLAY_LOOPING);
  m.Advance(400);
  uint32_t play = 0, write = 0;
  m.GetCurrentPosition(once, play, write);
  EXPECT_EQ(play, 800u * 4);
  m.Advance(2500);
  EXPECT_EQ(m.GetStatus(once), 0u);
  m.GetCurrentPosition(loop, play, write);
  EXPECT_EQ(play, (2900u % 1000) * 4);
}

TEST(Mixer, ReleasedBuffersAreLostAndSlotsAreReused) {
  CMixer m({44100, 16, 2});
  const CMixer::Id a = Stereo(m, Constant(8, 100, 100), 44100, 0);
  m.Play(a, sound::DSBPLAY_LOOPING);
  m.ReleaseAll();
  EXPECT_FALSE(m.Alive(a));
  EXPECT_EQ(m.Play(a, 0), sound::SoundResult::kBufferLost);
  EXPECT_EQ(m.GetStatus(a), sound::DSBSTATUS_BUFFERLOST);
  const std::vector<int16_t> out = MixOut(m, 8);
  for (const int16_t s : out) EXPECT_EQ(s, 0);
  const CMixer::Id b = Stereo(m, Constant(8, 100, 100), 44100, 0);
  EXPECT_EQ(b.slot, a.slot);
  EXPECT_NE(b.generation, a.generation);
  EXPECT_EQ(m.Play(a, 0), sound::SoundResult::kBufferLost);
  EXPECT_EQ(m.Play(b, 0), sound::SoundResult::kOk);
}

TEST(Mixer, ThreeDPositionPansAndAttenuatesBetweenDistances) {
  CMixer m({44100, 16, 2});
  const CMixer::Id id = Stereo(m, Constant(64, 16000, 16000), 44100, sound::DSBCAPS_CTRL3D);
  ASSERT_EQ(m.Set3DDistances(id, 1.0f, 32.0f), sound::SoundResult::kOk);
  struct Case {
    float x, y, z;
    double left, right;
  };
  const Case cases[] = {
      {0, 0, 0.5f, 1.0, 1.0},    // inside the minimum distance: nothing lost
      {0, 0, 4, 0.25, 0.25},     // min / distance
      {0, 0, 64, 1.0 / 32, 1.0 / 32},  // no further than the maximum distance
      {1, 0, 0, 0.1, 1.0},       // right of the listener: the left loses 20 dB
      {-2, 0, 0, 0.5, 0.05},     // twice the minimum distance, on the left
  };
  m.Play(id, sound::DSBPLAY_LOOPING);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << "," << c.z);
    ASSERT_EQ(m.Set3DPosition(id, {c.x, c.y, c.z}), sound::SoundResult::kOk);
    const std::vector<int16_t> out = MixOut(m, 4);
    EXPECT_NEAR(out[0], 16000 * c.left, 4.0);
    EXPECT_NEAR(out[1], 16000 * c.right, 4.0);
  }
  const CMixer::Id flat = Stereo(m, Constant(8, 1, 1), 44100, 0);
  EXPECT_EQ(m.Set3DPosition(flat, {1, 0, 0}), sound::SoundResult::kControlUnavail);
}

}  // namespace

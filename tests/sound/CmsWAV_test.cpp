// Waves: loading through the pak access, the formulas of volume, pan and pitch, PlaySE on a
// buffer, single samples, and both savers with their round trips.
#include "sound/CmsWAV.h"

#include <gtest/gtest.h>

#include <cmath>

#include "SoundFakes.h"
#include "sound/SoundShared.h"
#include "sound/spLibSound.h"

namespace {

using soundtest::MakeWav;
using soundtest::Pattern;
using soundtest::TempDir;
using soundtest::WavShape;

TEST(WaveFormulas, VolumePanAndTempo) {
  struct V {
    float in;
    int32_t out;
  };
  for (const V v : {V{1.0f, 0}, V{2.0f, 0}, V{0.0f, -5000}, V{-1.0f, -5000}, V{0.5f, -1465},
                    V{0.6f, -955}}) {
    EXPECT_EQ(sound::VolumeFor(v.in), v.out) << v.in;
  }
  for (const V v : {V{0.0f, 0}, V{1.0f, 10000}, V{-3.0f, -10000}, V{3.0f, 10000},
                    V{0.5f, 7071}, V{-0.5f, -7071}}) {
    EXPECT_EQ(sound::PanFor(v.in), v.out) << v.in;
  }
  struct T {
    float tempo;
    int32_t hz, out;
  };
  for (const T t : {T{0, 22050, 0}, T{12, 22050, 44100}, T{24, 22050, 44100},
                    T{-12, 22050, 11025}, T{-24, 22050, 11025}, T{1, 44100, 46722},
                    T{12, 96000, 100000}, T{-12, 4000, 2000}, T{-24, 150, 100}}) {
    EXPECT_EQ(sound::FrequencyFor(t.tempo, t.hz), t.out) << t.tempo << " " << t.hz;
  }
}

struct DeviceRig {
  soundtest::OutputState out;
  soundtest::FakeClock clock;
  sound::spLibSound device{[this] { return std::make_unique<soundtest::FakeOutput>(out); },
                           &clock};
  DeviceRig() { device.Start(44100, 16, 2); }
};

TEST(Wave, LoadsThroughTheFileAccessAndPlaysAnEffect) {
  DeviceRig rig;
  TempDir dir;
  WavShape shape;
  shape.hz = 22050;
  const std::vector<uint8_t> samples = Pattern(800);
  dir.Write("hit.wav", MakeWav(shape, samples));
  sound::CmsWAV wave;
  ASSERT_EQ(wave.Load(dir.File("hit.wav")), 0);
  EXPECT_EQ(wave.WaveBit(), 16);
  EXPECT_EQ(wave.WaveChannel(), 2);
  EXPECT_EQ(wave.WaveHz(), 22050);
  EXPECT_EQ(wave.WaveSize(), 800);
  EXPECT_EQ(wave.WaveBlocks(), 200);
  EXPECT_DOUBLE_EQ(wave.GetLength(), 200.0 / 22050);
  EXPECT_EQ(std::vector<uint8_t>(wave.Samples().begin(), wave.Samples().end()), samples);

  wave.BufferCreate(sound::DSBCAPS_CTRLFREQUENCY | sound::DSBCAPS_CTRLPAN |
                    sound::DSBCAPS_CTRLVOLUME);
  wave.BufferWrite();
  ASSERT_TRUE(wave.BufferValid());
  std::vector<uint8_t> inBuffer(800);
  ASSERT_EQ(wave.Buffer()->Read(0, inBuffer), sound::SoundResult::kOk);
  EXPECT_EQ(inBuffer, samples);

  wave.SetCurrentPosition(400);
  wave.PlaySE(0.6f, -0.5f, 12);
  int32_t volume = 1, pan = 0, frequency = 0;
  wave.Buffer()->GetVolume(volume);
  wave.Buffer()->GetPan(pan);
  wave.Buffer()->GetFrequency(frequency);
  EXPECT_EQ(volume, -955);
  EXPECT_EQ(pan, -7071);
  EXPECT_EQ(frequency, 44100);
  EXPECT_TRUE(wave.GetState());
  uint32_t play = 1, write = 0;
  wave.Buffer()->GetCurrentPosition(play, write);
  EXPECT_EQ(play, 0u);  // PlaySE rewinds
  soundtest::Pull(rig.out, 200);  // at 44100 Hz one source frame per output frame: the end
  EXPECT_FALSE(wave.GetState());
  wave.PlaySE(1, 0, 0);
  wave.Buffer()->GetFrequency(frequency);
  EXPECT_EQ(frequency, 22050);
  wave.SetTime(0.005);
  wave.Buffer()->GetCurrentPosition(play, write);
  EXPECT_EQ(play, 440u);  // round(22050 * 0.005 * 4) = 441, whole frames
  wave.Pose();
  EXPECT_FALSE(wave.GetState());
}

TEST(Wave, MissingAndLyingFilesDoNotLoad) {
  DeviceRig rig;
  TempDir dir;
  sound::CmsWAV wave;
  EXPECT_EQ(wave.Load(dir.File("none.wav")), 1);
  dir.Write("empty.wav", {});
  EXPECT_EQ(wave.Load(dir.File("empty.wav")), 1);
  WavShape cut;
  cut.dataField = 3;
  dir.Write("cut.wav", MakeWav(cut, Pattern(3)));
  EXPECT_EQ(wave.Load(dir.File("cut.wav")), 1);
  EXPECT_FALSE(wave.Loaded());
  wave.BufferCreate(0);
  EXPECT_FALSE(wave.BufferValid());
  wave.PlaySE(1, 0, 0);  // nothing to play, nothing fails
  EXPECT_FALSE(wave.GetState());
  EXPECT_EQ(wave.SaveToW1(dir.File("x.w1"), 1), 1);
  EXPECT_EQ(wave.SaveToWave(dir.File("x.wav")), 1);
}

TEST(Wave, AddMakesSilenceOrRefuses) {
  sound::CmsWAV wave;
  EXPECT_EQ(wave.Add(0, 16, 2, 44100), 1);
  EXPECT_EQ(wave.Add(10, 12, 2, 44100), 1);
  EXPECT_EQ(wave.Add(10, 16, 3, 44100), 1);
  EXPECT_EQ(wave.Add(10, 16, 2, 3999), 1);
  EXPECT_FALSE(wave.Loaded());
  ASSERT_EQ(wave.Add(10, 8, 2, 8000), 0);
  EXPECT_EQ(wave.WaveSize(), 20);
  EXPECT_EQ(wave.Header().formatKey, 10);
  for (const uint8_t b : wave.Samples()) EXPECT_EQ(b, 128);
}

TEST(Wave, SingleSamplesThroughTheWordAccess) {
  sound::CmsWAV mono;
  ASSERT_EQ(mono.Add(8, 16, 1, 8000), 0);
  mono.Wave(3, 40000);
  mono.Wave(5, -1234);
  mono.Wave(8, 77);  // outside: nothing
  EXPECT_EQ(mono.Wave(3), 32767);
  EXPECT_EQ(mono.Wave(5), -1234);
  EXPECT_EQ(mono.Wave(8), 0);
  EXPECT_EQ(mono.Wave(-1), 0);
  int32_t lo = 1, hi = -1;
  EXPECT_EQ(mono.WaveGetLevel(2, 4, lo, hi), 0);
  EXPECT_EQ(lo, -1234);
  EXPECT_EQ(hi, 32767);
  mono.WaveGetLevel(6, 100000, lo, hi);  // past the end reads as 0
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 0);

  sound::CmsWAV stereo;
  ASSERT_EQ(stereo.Add(4, 16, 2, 8000), 0);
  stereo.Wave(1, 1001);  // words 1 and 2
  EXPECT_EQ(stereo.Wave(1), 500 + 500);
  EXPECT_EQ(stereo.Wave(0), 500);  // words 0 and 1: half of 1001 and half of 0

  sound::CmsWAV eight;
  ASSERT_EQ(eight.Add(4, 8, 1, 8000), 0);
  eight.Wave(2, -32768);
  EXPECT_EQ(eight.Samples()[2], 0);
  EXPECT_EQ(eight.Wave(2), -32768);
  EXPECT_EQ(eight.Wave(1), 0);
}

TEST(Wave, ContainersRoundTripByteForByte) {
  TempDir dir;
  WavShape shape;
  shape.bits = 16;
  shape.channels = 1;
  shape.hz = 11025;
  std::vector<int16_t> ramp;
  for (int32_t i = 0; i < 3000; ++i) ramp.push_back(static_cast<int16_t>((i % 200) * 40));
  dir.Write("src.wav", MakeWav(shape, soundtest::Bytes16(ramp)));
  sound::CmsWAV wave;
  ASSERT_EQ(wave.Load(dir.File("src.wav")), 0);
  for (const int32_t mode : {1, 2}) {
    SCOPED_TRACE(mode);
    const std::string name = "out" + std::to_string(mode) + ".w";
    dir.Write(name, {1, 2, 3});  // an existing file is replaced
    ASSERT_EQ(wave.SaveToW1(dir.File(name), mode), 0);
    const std::vector<uint8_t> first = dir.Read(name);
    EXPECT_EQ(std::string(first.begin(), first.begin() + 4), mode == 2 ? "<W2>" : "<W1>");
    sound::CmsWAV again;
    ASSERT_EQ(again.Load(dir.File(name)), 0);
    EXPECT_EQ(again.Header(), wave.Header());
    EXPECT_TRUE(std::equal(again.Samples().begin(), again.Samples().end(),
                           wave.Samples().begin(), wave.Samples().end()));
    ASSERT_EQ(again.SaveToW1(dir.File("again.w"), mode), 0);
    EXPECT_EQ(dir.Read("again.w"), first);
  }
  ASSERT_EQ(wave.SaveToWave(dir.File("copy.wav")), 0);
  sound::CmsWAV copy;
  ASSERT_EQ(copy.Load(dir.File("copy.wav")), 0);
  EXPECT_EQ(copy.Source(), sound::WaveSource::kRiff);
  EXPECT_EQ(copy.WaveBlocks(), 3000);
  EXPECT_TRUE(std::equal(copy.Samples().begin(), copy.Samples().end(), wave.Samples().begin(),
                         wave.Samples().end()));
}

}  // namespace

namespace {

TEST(Wave, ThreeDBuffersTakeThePanAsAPosition) {
  DeviceRig rig;
  sound::CmsWAV wave;
  ASSERT_EQ(wave.Add(400, 16, 1, 44100), 0);
  for (int32_t i = 0; i < 400; ++i) wave.Wave(i, 10000);
  wave.BufferCreate(sound::DSBCAPS_CTRL3D | sound::DSBCAPS_CTRLVOLUME);
  wave.BufferWrite();
  ASSERT_TRUE(wave.Valid3D());
  // Pan 1 at depth 2: two minimum distances away (-6 dB), on the right (the left loses more).
  wave.PlaySE(1, 1, 0);
  wave.SetPan(1, 2);
  std::vector<int16_t> heard = soundtest::Pull(rig.out, 4);
  const double atDistance = 10000 / std::sqrt(5.0);
  const double side = std::pow(10.0, -(2000.0 / std::sqrt(5.0)) / 2000.0);
  EXPECT_NEAR(heard[1], atDistance, 4);
  EXPECT_NEAR(heard[0], atDistance * side, 4);
  // Beyond the maximum distance of 32 the level no longer falls.
  wave.Set3DPosition(0, 0, 100);
  heard = soundtest::Pull(rig.out, 4);
  EXPECT_NEAR(heard[0], 10000 / 32.0, 2);
  EXPECT_NEAR(heard[1], 10000 / 32.0, 2);
  // A buffer without the 3-D control ignores the 3-D calls.
  sound::CmsWAV flat;
  ASSERT_EQ(flat.Add(10, 16, 1, 44100), 0);
  flat.BufferCreate(sound::DSBCAPS_CTRLPAN);
  EXPECT_FALSE(flat.Valid3D());
  flat.Set3DPosition(5, 0, 0);
  flat.SetPan(-1);
  int32_t pan = 0;
  flat.Buffer()->GetPan(pan);
  EXPECT_EQ(pan, -10000);
}

}  // namespace

// Music: the decoding back end (WAV, FLAC, Ogg Vorbis through libsndfile) with length, rate,
// volume, looping by polling; the command-string fallback with its exact vocabulary.
#include "sound/CmsACM.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>

#include "SoundFakes.h"
#include "sound/spLibSound.h"

namespace {

struct MusicRig {
  soundtest::OutputState out;
  soundtest::FakeClock clock;
  sound::spLibSound device{[this] { return std::make_unique<soundtest::FakeOutput>(out); },
                           &clock};
  soundtest::TempDir dir;
  MusicRig() { device.Start(44100, 16, 2); }

  // One second of a 440 Hz tone at 22050 Hz, written by libsndfile in the given format.
  std::string Write(const std::string& name, int format) {
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = 2;
    info.format = format;
    const std::string path = dir.File(name);
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (f == nullptr) return {};
    std::vector<short> pcm(22050 * 2);
    for (size_t i = 0; i < 22050; ++i) {
      const auto v = static_cast<short>(std::lrint(12000 * std::sin(i * 2 * M_PI * 440 / 22050)));
      pcm[2 * i] = pcm[2 * i + 1] = v;
    }
    sf_writef_short(f, pcm.data(), 22050);
    sf_close(f);
    return path;
  }
};

TEST(Music, DecodesCommonFormatsWithLengthAndRate) {
  struct Case {
    const char* name;
    int format;
  };
  const Case cases[] = {
      {"tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
      {"tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
      {"tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MusicRig rig;
    const std::string path = rig.Write(c.name, c.format);
    ASSERT_FALSE(path.empty());
    sound::CmsACM music;
    ASSERT_EQ(music.Load(path), 0);
    EXPECT_TRUE(music.DecoderMode());
    EXPECT_EQ(music.State(), 1);
    EXPECT_NEAR(music.GetLength(), 1.0, 0.01);
    EXPECT_DOUBLE_EQ(music.RoundedLength(), 1.0);
    EXPECT_DOUBLE_EQ(music.Rate(), 1.0);
    music.Play();
    EXPECT_TRUE(music.GetState());
    const std::vector<int16_t> heard = soundtest::Pull(rig.out, 4000);
    int32_t peak = 0;
    for (const int16_t s : heard) peak = std::max<int32_t>(peak, std::abs(s));
    EXPECT_NEAR(peak, 12000, 600);
  }
}

TEST(Music, TempoSetsTheRateWithinHalfAndDouble) {
  MusicRig rig;
  const std::string path = rig.Write("tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  sound::CmsACM music;
  struct Case {
    float tempo;
    double rate;
  };
  for (const Case c : {Case{12, 2.0}, Case{13, 1.0}, Case{-12, 0.5}, Case{0, 1.0}, Case{7, 1.4983}}) {
    SCOPED_TRACE(c.tempo);
    ASSERT_EQ(music.Load(path, 0, c.tempo), 0);
    EXPECT_NEAR(music.Rate(), c.rate, 1e-4);
  }
  music.SetTempo(24);  // beyond the range: clamped
  EXPECT_DOUBLE_EQ(music.Rate(), 2.0);
  music.SetTempo(-1);
  EXPECT_NEAR(music.Rate(), 0.9439, 1e-4);
}

TEST(Music, LoopsByPollingOrPlaysOnce) {
  MusicRig rig;
  const std::string path = rig.Write("tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  for (const bool once : {false, true}) {
    SCOPED_TRACE(once);
    sound::CmsACM music;
    music.PlayAtOnce = once;
    ASSERT_EQ(music.Load(path), 0);
    music.Play();
    soundtest::Pull(rig.out, 30000);
    music.Update();
    EXPECT_TRUE(music.GetState());  // not yet at the end
    soundtest::Pull(rig.out, 20000);  // one second at 22050 Hz is 44100 output frames
    music.Update();
    EXPECT_EQ(music.GetState(), !once);
    EXPECT_EQ(music.State(), once ? 3 : 2);
    if (!once) {
      EXPECT_LT(music.Position(), 0.2);
      const std::vector<int16_t> heard = soundtest::Pull(rig.out, 200);
      EXPECT_NE(heard[300], 0);  // playing again from the start
    }
  }
}

TEST(Music, PoseKeepsThePlaceAndVolumeIsInHundredthsOfADecibel) {
  MusicRig rig;
  const std::string path = rig.Write("tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  sound::CmsACM music;
  ASSERT_EQ(music.Load(path, 0, 0, 0.5f, 0.25), 0);
  EXPECT_NEAR(music.Position(), 0.25, 1e-4);  // the start time
  music.Play();
  soundtest::Pull(rig.out, 4410);
  music.Pose();
  EXPECT_EQ(music.State(), 3);
  const double at = music.Position();
  EXPECT_NEAR(at, 0.25 + 0.1, 1e-3);  // a tenth of a second of output
  music.Play();
  EXPECT_DOUBLE_EQ(music.Position(), at);
  const std::vector<int16_t> half = soundtest::Pull(rig.out, 2000);
  int32_t peak = 0;
  for (const int16_t s : half) peak = std::max<int32_t>(peak, std::abs(s));
  EXPECT_NEAR(peak, 12000 * std::pow(10.0, -2000.0 / 2000), 300);  // -20 dB
  music.SetVolum(1);
  music.SetVolum(-2);  // -12000: out of range, ignored
  const std::vector<int16_t> full = soundtest::Pull(rig.out, 2000);
  peak = 0;
  for (const int16_t s : full) peak = std::max<int32_t>(peak, std::abs(s));
  EXPECT_NEAR(peak, 12000, 600);
}

TEST(Music, MissingFileChangesNothing) {
  MusicRig rig;
  const std::string path = rig.Write("tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  sound::CmsACM music;
  ASSERT_EQ(music.Load(path), 0);
  music.Play();
  EXPECT_EQ(music.Load(rig.dir.File("none.ogg")), 1);
  EXPECT_TRUE(music.GetState());
  EXPECT_TRUE(music.DecoderMode());
  EXPECT_NE(soundtest::Pull(rig.out, 400)[500], 0);
}

class RecordingCommands final : public sound::IMusicCommands {
 public:
  explicit RecordingCommands(std::vector<std::string>& log) : m_log(log) {}
  int32_t SendString(const std::string& command, std::string* answer) override {
    m_log.push_back(command);
    if (answer != nullptr) *answer = status;
    return 0;
  }
  std::string status = "playing";

 private:
  std::vector<std::string>& m_log;
};

TEST(Music, FilesTheDecoderCannotReadGoToTheCommandStrings) {
  MusicRig rig;
  sound::WaveHeader h;
  h.bits = 16;
  h.channels = 1;
  h.hz = 22050;
  h.blockSize = 2;
  h.blocks = 2205;
  h.dataSize = 4410;
  h.formatKey = 17;
  bool encoded = false;
  rig.dir.Write("song.w1", sound::BuildContainer(h, soundtest::Pattern(4410), false, encoded));
  const std::string path = rig.dir.File("song.w1");

  std::vector<std::string> log;
  auto commands = std::make_unique<RecordingCommands>(log);
  RecordingCommands* device = commands.get();
  {
    sound::CmsACM music(std::move(commands));
    ASSERT_EQ(music.Load(path, 0, 12, 0.5f, 3.0), 0);
    EXPECT_FALSE(music.DecoderMode());
    EXPECT_EQ(music.GetLength(), 0.0);
    music.SetTime(1);
    music.SetTempo(3);
    music.SetVolum(0.2f);
    music.Play();
    music.Update();
    device->status = "stopped";
    music.Update();
    music.Pose();
    music.Play();
    music.PlayAtOnce = true;
    music.Update();
    EXPECT_FALSE(music.GetState());
  }
  const std::vector<std::string> expected = {
      "stop bgmfile ",        "close bgmfile ",       "open \"" + path + "\" alias bgmfile ",
      "play bgmfile ",        "status bgmfile mode ", "status bgmfile mode ",
      "play bgmfile from 0 ", "stop bgmfile ",        "play bgmfile ",
      "status bgmfile mode ", "stop bgmfile ",        "close bgmfile ",
  };
  EXPECT_EQ(log, expected);
}

TEST(Music, TheBuiltInFallbackPlaysTheGamesOwnContainers) {
  MusicRig rig;
  sound::WaveHeader h;
  h.bits = 16;
  h.channels = 2;
  h.hz = 44100;
  h.blockSize = 4;
  h.blocks = 1000;
  h.dataSize = 4000;
  h.formatKey = 18;
  std::vector<int16_t> level(2000, 9000);
  bool encoded = false;
  rig.dir.Write("song.w1", sound::BuildContainer(h, soundtest::Bytes16(level), false, encoded));
  sound::CmsACM music;
  ASSERT_EQ(music.Load(rig.dir.File("song.w1")), 0);
  EXPECT_FALSE(music.DecoderMode());
  music.Play();
  EXPECT_EQ(soundtest::Pull(rig.out, 600)[0], 9000);
  soundtest::Pull(rig.out, 600);  // past the end
  music.Update();                 // "stopped": played again from 0
  EXPECT_EQ(soundtest::Pull(rig.out, 10)[0], 9000);
  EXPECT_TRUE(music.GetState());
  sound::CMciStrings mci;
  std::string answer;
  EXPECT_NE(mci.SendString("play bgmfile ", &answer), 0);  // nothing open
  EXPECT_NE(mci.SendString("open \"" + rig.dir.File("none.w1") + "\" alias bgmfile ", nullptr), 0);
}

}  // namespace

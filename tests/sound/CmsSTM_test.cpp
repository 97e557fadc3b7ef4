// Streams: the samples heard are the file's, in order, across the circular buffer's wrap; a
// loop goes back to the data start; the end is silence and a stop; seeking lands 1600 bytes
// ahead of the write cursor.
#include "sound/CmsSTM.h"

#include <gtest/gtest.h>

#include "SoundFakes.h"
#include "sound/spLibSound.h"

namespace {

struct StreamRig {
  soundtest::OutputState out;
  soundtest::FakeClock clock;
  sound::spLibSound device{[this] { return std::make_unique<soundtest::FakeOutput>(out); },
                           &clock};
  soundtest::TempDir dir;
  std::vector<int16_t> samples;
  StreamRig() { device.Start(44100, 16, 2); }
  // A 16-bit mono file at the output rate whose samples are never 0.
  std::string Make(int32_t count) {
    samples.clear();
    for (int32_t i = 0; i < count; ++i) samples.push_back(static_cast<int16_t>(i % 30000 + 1));
    soundtest::WavShape shape;
    shape.channels = 1;
    shape.hz = 44100;
    dir.Write("long.wav", soundtest::MakeWav(shape, soundtest::Bytes16(samples)));
    return dir.File("long.wav");
  }
  // Pulls output, a frame's worth of streaming between pulls; the left channel.
  std::vector<int16_t> Run(sound::CmsSTM& s, int32_t pulls) {
    std::vector<int16_t> heard;
    for (int32_t i = 0; i < pulls; ++i) {
      const std::vector<int16_t> out = soundtest::Pull(this->out, 735);
      for (size_t f = 0; f < out.size(); f += 2) heard.push_back(out[f]);
      s.BufferUpdate();
    }
    return heard;
  }
};

// Index of the first non-silent sample.
size_t Start(const std::vector<int16_t>& heard) {
  size_t i = 0;
  while (i < heard.size() && heard[i] == 0) ++i;
  return i;
}

TEST(Stream, PlaysTheFileInOrderAcrossTheWrapAndStopsAfterItsEnd) {
  // Writing starts 1600 bytes into the buffer, so the end lands at (1600 + bytes) mod 1000000:
  // well inside, just past the buffer's end (the play cursor wraps before reaching it) and just
  // before it.
  for (const int32_t count : {700000, 499400, 499000}) {
    SCOPED_TRACE(count);
    StreamRig rig;
    sound::CmsSTM s;
    ASSERT_EQ(s.FileOpen(rig.Make(count)), 0);
    EXPECT_DOUBLE_EQ(s.GetLength(), count / 44100.0);
    s.BufferCreate(0);
    ASSERT_TRUE(s.BufferValid());
    s.Play(false);
    EXPECT_TRUE(s.GetState());
    const std::vector<int16_t> heard = rig.Run(s, count / 735 + 100);
    const size_t start = Start(heard);
    ASSERT_LT(start, 2000u);
    ASSERT_GE(heard.size(), start + static_cast<size_t>(count) + 1000);
    for (int32_t i = 0; i < count; ++i)
      ASSERT_EQ(heard[start + static_cast<size_t>(i)], rig.samples[static_cast<size_t>(i)]) << i;
    for (size_t i = start + static_cast<size_t>(count); i < heard.size(); ++i)
      ASSERT_EQ(heard[i], 0) << i;
    EXPECT_TRUE(s.Ending());
    EXPECT_FALSE(s.GetState());
  }
}

TEST(Stream, LoopingComesBackToTheDataStart) {
  StreamRig rig;
  const int32_t count = 30000;  // shorter than the buffer
  sound::CmsSTM s;
  ASSERT_EQ(s.FileOpen(rig.Make(count)), 0);
  s.BufferCreate(0);
  s.Play(true);
  const std::vector<int16_t> heard = rig.Run(s, 300);
  const size_t start = Start(heard);
  ASSERT_GE(heard.size(), start + 5 * count);
  for (size_t i = start; i < start + 5 * count; ++i)
    ASSERT_EQ(heard[i], rig.samples[(i - start) % count]) << i;
  EXPECT_TRUE(s.GetState());
  EXPECT_FALSE(s.Ending());
}

TEST(Stream, SeekingContinuesAheadOfTheWriteCursor) {
  StreamRig rig;
  sound::CmsSTM s;
  ASSERT_EQ(s.FileOpen(rig.Make(200000)), 0);
  s.BufferCreate(0);
  s.Play(false);
  rig.Run(s, 20);  // the whole file is read by now: the stream is winding down
  EXPECT_TRUE(s.Ending());
  uint32_t play = 0, write = 0;
  s.Buffer()->GetCurrentPosition(play, write);
  s.SetCurrentPosition(20002);
  s.BufferUpdate();
  const int32_t expectedStart = static_cast<int32_t>(write / 4 * 4) + 1600;
  EXPECT_EQ(s.NextWrite(), expectedStart + 100000);
  EXPECT_EQ(s.ReadPosition(), s.DataStart() + 20000 + 100000);
  EXPECT_FALSE(s.Ending());
  // What is heard from there on is the file from sample 10000.
  std::vector<uint8_t> written(8);
  s.Buffer()->Read(static_cast<uint32_t>(expectedStart), written);
  int16_t first = 0;
  std::memcpy(&first, written.data(), 2);
  EXPECT_EQ(first, rig.samples[10000]);
}

TEST(Stream, OpenRulesAndRefusals) {
  StreamRig rig;
  sound::CmsSTM s;
  EXPECT_EQ(s.FileOpen(rig.dir.File("none.wav")), 1);
  EXPECT_FALSE(s.IsOpen());
  const std::string name = rig.Make(50000);
  ASSERT_EQ(s.FileOpen(name), 0);
  s.BufferCreate(0);
  s.Play(false);
  rig.Run(s, 10);
  const int64_t read = s.ReadPosition();
  EXPECT_EQ(s.FileOpen(name), 0);  // the same name keeps the stream where it is
  EXPECT_EQ(s.ReadPosition(), read);
  EXPECT_TRUE(s.BufferValid());
  // The encoded container cannot be streamed; a lying file is refused.
  sound::WaveHeader h;
  h.bits = 16;
  h.channels = 1;
  h.hz = 44100;
  h.blockSize = 2;
  h.blocks = 2000;
  h.dataSize = 4000;
  h.formatKey = 17;
  bool encoded = false;
  rig.dir.Write("enc.w2", sound::BuildContainer(h, std::vector<uint8_t>(4000, 0), true, encoded));
  ASSERT_TRUE(encoded);
  EXPECT_EQ(s.FileOpen(rig.dir.File("enc.w2")), 1);
  EXPECT_FALSE(s.IsOpen());
  rig.dir.Write("plain.w1", sound::BuildContainer(h, std::vector<uint8_t>(4000, 1), false, encoded));
  EXPECT_EQ(s.FileOpen(rig.dir.File("plain.w1")), 0);
  EXPECT_EQ(s.DataEnd() - s.DataStart(), 4000);
}

}  // namespace

// The wave scan over RIFF files and containers: what loads with which header, what is refused.
#include "sound/WaveFile.h"

#include <gtest/gtest.h>

#include "SoundFakes.h"

namespace {

using soundtest::MakeWav;
using soundtest::Pattern;
using soundtest::WavShape;

struct RiffCase {
  const char* name;
  WavShape shape;
  size_t sampleBytes;
  bool loads;
  int32_t dataSize;  // expected when it loads
  int32_t bits;
};

TEST(WaveScan, RiffFilesLoadOrAreRefusedByTheirHeaders) {
  const RiffCase cases[] = {
      {"16-byte fmt, data right after", {1, 2, 22050, 16, 16}, 400, true, 400, 16},
      {"18-byte fmt", {1, 1, 44100, 16, 18}, 300, true, 300, 16},
      {"14-byte fmt: bits from block align", {1, 2, 8000, 8, 14}, 100, true, 100, 8},
      {"fact chunk", {1, 1, 11025, 8, 16, true}, 99, true, 99, 8},
      {"data size 0: from the RIFF size", {1, 2, 22050, 16, 16, false, 0}, 400, true, 400, 16},
      {"data size 0, RIFF size 0: from the file length", {1, 2, 22050, 16, 16, false, 0, 0}, 400,
       true, 400, 16},
      {"odd data size cut to whole blocks", {1, 2, 22050, 16, 16, false, 403}, 403, true, 400, 16},
      {"data size beyond the file cut to it", {1, 1, 22050, 16, 16, false, 100000}, 64, true, 64,
       16},
      {"24-bit", {1, 2, 22050, 24, 16}, 600, false, 0, 0},
      {"3 channels", {1, 3, 22050, 16, 16}, 600, false, 0, 0},
      {"compressed (format tag 3)", {3, 2, 22050, 16, 16}, 400, false, 0, 0},
      {"2000 Hz", {1, 1, 2000, 16, 16}, 400, false, 0, 0},
      {"100000 Hz", {1, 1, 100000, 16, 16}, 400, false, 0, 0},
      {"no channels", {1, 0, 22050, 16, 16}, 400, false, 0, 0},
      {"data cut to nothing", {1, 2, 22050, 16, 16, false, 3}, 3, false, 0, 0},
      {"no samples at all", {1, 2, 22050, 16, 16}, 0, false, 0, 0},
  };
  for (const RiffCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> samples = Pattern(c.sampleBytes);
    const std::vector<uint8_t> file = MakeWav(c.shape, samples);
    sound::WaveScan scan;
    ASSERT_EQ(sound::ScanWaveBytes(file, false, scan), c.loads);
    if (!c.loads) {
      EXPECT_TRUE(scan.samples.empty());
      continue;
    }
    const sound::WaveHeader& h = scan.header;
    EXPECT_EQ(scan.source, sound::WaveSource::kRiff);
    EXPECT_EQ(h.dataSize, c.dataSize);
    EXPECT_EQ(h.bits, c.bits);
    EXPECT_EQ(h.channels, c.shape.channels);
    EXPECT_EQ(h.hz, c.shape.hz);
    EXPECT_EQ(h.blockSize, c.bits / 8 * c.shape.channels);
    EXPECT_EQ(h.blocks, c.dataSize / h.blockSize);
    EXPECT_EQ(h.formatKey, c.bits + c.shape.channels);
    EXPECT_EQ(h.fmtSize, c.shape.fmtSize);
    ASSERT_EQ(scan.samples.size(), static_cast<size_t>(c.dataSize));
    EXPECT_TRUE(std::equal(scan.samples.begin(), scan.samples.end(), samples.begin()));
    EXPECT_EQ(scan.dataOffset, static_cast<int64_t>(file.size() - c.sampleBytes));
  }
}

TEST(WaveScan, InformationalSizesAreKept) {
  WavShape shape;
  shape.fact = true;
  const std::vector<uint8_t> file = MakeWav(shape, Pattern(80));
  sound::WaveScan scan;
  ASSERT_TRUE(sound::ScanWaveBytes(file, false, scan));
  EXPECT_EQ(scan.header.factSize, 4);
  EXPECT_EQ(scan.header.riffSize, static_cast<int32_t>(file.size() - 8));
}

sound::WaveHeader GoodHeader() {
  sound::WaveHeader h;
  h.fmtSize = 16;
  h.dataSize = 64;
  h.riffSize = 100;
  h.blockSize = 4;
  h.bits = 16;
  h.channels = 2;
  h.hz = 22050;
  h.blocks = 16;
  h.formatKey = 18;
  return h;
}

TEST(WaveScan, PlainContainerRoundTripsByteForByte) {
  const sound::WaveHeader h = GoodHeader();
  const std::vector<uint8_t> samples = Pattern(64, 7);
  bool encoded = true;
  const std::vector<uint8_t> file = sound::BuildContainer(h, samples, false, encoded);
  EXPECT_FALSE(encoded);
  ASSERT_EQ(file.size(), 44u + 64u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "<W1>");
  sound::WaveScan scan;
  ASSERT_TRUE(sound::ScanWaveBytes(file, false, scan));
  EXPECT_EQ(scan.source, sound::WaveSource::kW1);
  EXPECT_EQ(scan.header, h);
  EXPECT_EQ(scan.samples, samples);
  EXPECT_EQ(sound::BuildContainer(scan.header, scan.samples, false, encoded), file);
}

TEST(WaveScan, LyingContainersAreRefused) {
  struct Lie {
    const char* name;
    void (*edit)(sound::WaveHeader&);
  };
  const Lie lies[] = {
      {"12 bits", [](sound::WaveHeader& h) { h.bits = 12; }},
      {"3 channels", [](sound::WaveHeader& h) { h.channels = 3; }},
      {"2000 Hz", [](sound::WaveHeader& h) { h.hz = 2000; }},
      {"block size", [](sound::WaveHeader& h) { h.blockSize = 2; }},
      {"blocks", [](sound::WaveHeader& h) { h.blocks = 17; }},
      {"format key", [](sound::WaveHeader& h) { h.formatKey = 10; }},
      {"data size not whole blocks", [](sound::WaveHeader& h) { h.dataSize = 62; }},
      {"data size beyond n", [](sound::WaveHeader& h) { h.dataSize = 128; h.blocks = 32; }},
  };
  const std::vector<uint8_t> samples = Pattern(64, 3);
  for (const Lie& lie : lies) {
    SCOPED_TRACE(lie.name);
    sound::WaveHeader h = GoodHeader();
    lie.edit(h);
    bool encoded = false;
    const std::vector<uint8_t> file = sound::BuildContainer(h, samples, false, encoded);
    sound::WaveScan scan;
    EXPECT_FALSE(sound::ScanWaveBytes(file, false, scan));
    EXPECT_TRUE(scan.samples.empty());
  }
  // n larger than what follows: refused before anything is sized by it.
  bool encoded = false;
  std::vector<uint8_t> file = sound::BuildContainer(GoodHeader(), samples, false, encoded);
  file[40] = 0xFF;
  file[41] = 0xFF;
  file[42] = 0xFF;
  file[43] = 0x7F;
  sound::WaveScan scan;
  EXPECT_FALSE(sound::ScanWaveBytes(file, false, scan));
  file.resize(30);
  EXPECT_FALSE(sound::ScanWaveBytes(file, false, scan));
}

TEST(WaveScan, EncodedContainerRoundTripsThroughTheLibrary) {
  sound::WaveHeader h = GoodHeader();
  // A slow ramp encodes well with the pair coder.
  std::vector<uint8_t> samples(4000);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i / 64);
  h.dataSize = 4000;
  h.blocks = 1000;
  bool encoded = false;
  const std::vector<uint8_t> file = sound::BuildContainer(h, samples, true, encoded);
  ASSERT_TRUE(encoded);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "<W2>");
  EXPECT_LT(file.size(), 44u + samples.size());
  sound::WaveScan scan;
  ASSERT_TRUE(sound::ScanWaveBytes(file, false, scan));
  EXPECT_EQ(scan.source, sound::WaveSource::kW2);
  EXPECT_EQ(scan.header, h);
  EXPECT_EQ(scan.samples, samples);
  EXPECT_EQ(sound::BuildContainer(scan.header, scan.samples, true, encoded), file);
  // The encoded form cannot be streamed.
  EXPECT_FALSE(sound::ScanWaveBytes(file, true, scan));
  // A block that decodes to another length than the header's is refused.
  h.dataSize = 3996;
  h.blocks = 999;
  std::vector<uint8_t> lying = file;
  const auto head = h.ToBytes();
  std::copy(head.begin(), head.end(), lying.begin() + 4);
  EXPECT_FALSE(sound::ScanWaveBytes(lying, false, scan));
}

TEST(WaveScan, NoiseThatDoesNotEncodeIsStoredPlain) {
  const std::vector<uint8_t> samples = Pattern(64, 11);
  bool encoded = true;
  const std::vector<uint8_t> file = sound::BuildContainer(GoodHeader(), samples, true, encoded);
  EXPECT_FALSE(encoded);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "<W1>");
}

TEST(WaveScan, StandardWaveFileReadsBackTheSame) {
  for (const int32_t bits : {8, 16}) {
    for (const int32_t channels : {1, 2}) {
      SCOPED_TRACE(testing::Message() << bits << " bits, " << channels << " channels");
      sound::WaveHeader h;
      h.bits = bits;
      h.channels = channels;
      h.hz = 11025;
      h.blockSize = bits / 8 * channels;
      h.blocks = 33;
      h.dataSize = h.blocks * h.blockSize;
      h.formatKey = bits + channels;
      const std::vector<uint8_t> samples = Pattern(static_cast<size_t>(h.dataSize), 5);
      const std::vector<uint8_t> file = sound::BuildWaveFile(h, samples);
      EXPECT_EQ(file.size() % 2, 0u);
      sound::WaveScan scan;
      ASSERT_TRUE(sound::ScanWaveBytes(file, false, scan));
      EXPECT_EQ(scan.header.fmtSize, 16);
      EXPECT_EQ(scan.header.dataSize, h.dataSize);
      EXPECT_EQ(scan.header.blocks, h.blocks);
      EXPECT_EQ(scan.header.hz, h.hz);
      EXPECT_EQ(scan.samples, samples);
    }
  }
}

}  // namespace

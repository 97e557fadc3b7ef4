// tumbleroo-wav: looks into and converts the game's sounds through the game's own wave loader
// and savers. `info FILE` prints format, rate, blocks and which reader took the file;
// `convert IN OUT [--w2]` writes a standard WAVE file when OUT ends in ".wav", otherwise the
// game's container ("<W1>", or the encoded "<W2>" with --w2). Exit 0, or 1 with one line on
// stderr.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "sound/CmsWAV.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "tumbleroo-wav: %s\n", message.c_str());
  return 1;
}

bool EndsWithWav(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name.size() > 4 && name.ends_with(".wav");
}

int Info(const std::string& file) {
  sound::CmsWAV wave;
  if (wave.Load(file) != 0) return Fail(file + ": not a wave the game can play");
  std::printf("file:     %s\n", file.c_str());
  std::printf("reader:   %s\n", sound::WaveSourceName(wave.Source()));
  std::printf("format:   %d-bit %s PCM\n", wave.WaveBit(),
              wave.WaveChannel() == 2 ? "stereo" : "mono");
  std::printf("rate:     %d Hz\n", wave.WaveHz());
  std::printf("blocks:   %d\n", wave.WaveBlocks());
  std::printf("bytes:    %d\n", wave.WaveSize());
  std::printf("length:   %.3f s\n", wave.GetLength());
  return 0;
}

int Convert(const std::string& in, const std::string& out, bool encoded) {
  sound::CmsWAV wave;
  if (wave.Load(in) != 0) return Fail(in + ": not a wave the game can play");
  if (EndsWithWav(out)) {
    if (encoded) return Fail("--w2 applies to the container, not to a .wav file");
    if (wave.SaveToWave(out) != 0) return Fail(out + ": cannot be written");
    return 0;
  }
  if (wave.SaveToW1(out, encoded ? 2 : 1) != 0) return Fail(out + ": cannot be written");
  if (encoded) {
    sound::CmsWAV check;
    if (check.Load(out) != 0) return Fail(out + ": written but does not read back");
    if (check.Source() != sound::WaveSource::kW2)
      std::fprintf(stderr, "tumbleroo-wav: note: the samples do not encode; stored as <W1>\n");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "info") return Info(args[1]);
  if (args.size() == 3 && args[0] == "convert") return Convert(args[1], args[2], false);
  if (args.size() == 4 && args[0] == "convert" && args[3] == "--w2")
    return Convert(args[1], args[2], true);
  return Fail("usage: tumbleroo-wav info FILE | convert IN OUT [--w2]");
}

// The three compressors beside zlib (levels 1 and 6) and LZ4 on game-like data: an 800 x 600
// BBI block of flat shapes and gradients, 1 MB of text, 1 MB of random bytes and 1 MB of
// 16-bit sound. Speeds are
// uncompressed bytes per second; "ratio" is compressed size over input size ("gave_up" marks
// an encoder that reports the input incompressible, whose decode is then not measured).
#include <benchmark/benchmark.h>
#include <lz4.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bbi.h"
#include "blivo.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes BbiCorpus() {
  constexpr int32_t kW = 800, kH = 600;
  Bytes block(static_cast<size_t>(blivo::BlockSize(kW, kH, 0)));
  blivo::WriteHeader(block.data(), kW, kH, 0);
  const blivo::Image img = blivo::View(block.data());
  for (int32_t y = 0; y < kH; ++y) {
    for (int32_t x = 0; x < kW; ++x) {
      uint32_t c = 0xFF183060u;  // backdrop
      if (y < 80) {
        c = 0xFF000000u | (static_cast<uint32_t>(x * 255 / kW) << 16) | 0x2040u;  // sky ramp
      } else if (y >= 520) {
        c = 0xFF000000u | (static_cast<uint32_t>((y - 520) * 3) << 8);  // ground ramp
      } else if ((x - 400) * (x - 400) + (y - 300) * (y - 300) < 150 * 150) {
        c = 0xFFE08020u;  // stage disc
      } else if ((x / 120 + y / 100) % 2 == 0 && x % 120 < 80 && y % 100 < 40) {
        c = 0xFF20C040u;  // platforms
      }
      img.At(x, y) = c;
    }
  }
  return block;
}

Bytes TextCorpus() {
  static const char* const kWords[] = {
      "the", "ball", "player", "stage", "round", "blast", "shot", "winner", "draw", "edge",
      "homing", "ground", "field", "match", "four", "keys", "score", "bounce", "of", "and",
      "a", "to", "in", "is", "knocked", "off", "screen", "explodes", "survivor", "mode",
      "computer", "opponent", "banner", "ready", "menu", "configuration", "large", "small"};
  std::mt19937 rng(2024);
  std::string s;
  while (s.size() < (1u << 20)) {
    s += kWords[rng() % std::size(kWords)];
    const unsigned r = rng() % 20;
    s += r == 0 ? ".\n" : r == 1 ? ", " : " ";
  }
  s.resize(1u << 20);
  return Bytes(s.begin(), s.end());
}

// 16-bit PCM: tones under an envelope with silent gaps, the data the pair coder is made for.
Bytes WaveCorpus() {
  Bytes b(1u << 20);
  for (size_t i = 0; i < b.size() / 2; ++i) {
    const double t = static_cast<double>(i) / 22050.0;
    const double envelope = (i / 11025) % 4 == 3 ? 0.0 : 0.25 * (1.0 + std::sin(t * 3.0));
    const auto sample = static_cast<int16_t>(8000.0 * envelope * std::sin(t * 2.0 * 3.14159265 * 220.0));
    const auto u = static_cast<uint16_t>(sample);
    b[2 * i] = static_cast<uint8_t>(u & 0xFF);
    b[2 * i + 1] = static_cast<uint8_t>(u >> 8);
  }
  return b;
}

Bytes RandomCorpus() {
  std::mt19937 rng(7);
  Bytes b(1u << 20);
  for (auto& v : b) v = static_cast<uint8_t>(rng());
  return b;
}

struct Corpus {
  const char* name;
  Bytes bytes;
};

// One compressor: encode returns the compressed size or 0 when it gives up.
struct Codec {
  const char* name;
  std::function<size_t(const Bytes& in, Bytes& out)> encode;
  std::function<bool(const Bytes& packed, Bytes& out)> decode;
};

size_t BlivoEncode(decltype(&::Encoder) fn, const Bytes& in, Bytes& out) {
  out.resize(in.size());
  int32_t len = 0;
  if (fn(in.data(), out.data(), static_cast<int32_t>(in.size()), &len) != 0) return 0;
  return static_cast<size_t>(len);
}

std::vector<Codec> Codecs() {
  std::vector<Codec> codecs;
  const struct {
    const char* name;
    decltype(&::Encoder) encode;
    decltype(&::DecoderEx) decode;
  } blivoMethods[] = {{"blivo_lzss", Encoder, DecoderEx},
                      {"blivo_pair", iEncoder, iDecoderEx},
                      {"blivo_repeat", ioEncoder, ioDecoderEx}};
  for (const auto& m : blivoMethods) {
    auto encode = m.encode;
    auto decode = m.decode;
    codecs.push_back({m.name, [encode](const Bytes& in, Bytes& out) { return BlivoEncode(encode, in, out); },
                      [decode](const Bytes& packed, Bytes& out) {
                        return decode(packed.data(), static_cast<int32_t>(packed.size()), out.data(),
                                      static_cast<int32_t>(out.size())) == 0;
                      }});
  }
  // The unbounded forms, to show what the bounds checks cost.
  codecs.push_back({"blivo_lzss_unbounded",
                    [](const Bytes& in, Bytes& out) { return BlivoEncode(Encoder, in, out); },
                    [](const Bytes& packed, Bytes& out) {
                      return Decoder(packed.data(), out.data(), static_cast<int32_t>(out.size())) == 0;
                    }});
  codecs.push_back({"blivo_repeat_unbounded",
                    [](const Bytes& in, Bytes& out) { return BlivoEncode(ioEncoder, in, out); },
                    [](const Bytes& packed, Bytes& out) {
                      return ioDecoder(packed.data(), out.data(), static_cast<int32_t>(out.size())) == 0;
                    }});
  for (int level : {1, 6}) {
    codecs.push_back({level == 1 ? "zlib_1" : "zlib_6",
                      [level](const Bytes& in, Bytes& out) {
                        uLongf len = compressBound(in.size());
                        out.resize(len);
                        if (compress2(out.data(), &len, in.data(), in.size(), level) != Z_OK) return size_t{0};
                        return static_cast<size_t>(len);
                      },
                      [](const Bytes& packed, Bytes& out) {
                        uLongf len = out.size();
                        return uncompress(out.data(), &len, packed.data(), packed.size()) == Z_OK &&
                               len == out.size();
                      }});
  }
  codecs.push_back({"lz4",
                    [](const Bytes& in, Bytes& out) {
                      out.resize(static_cast<size_t>(LZ4_compressBound(static_cast<int>(in.size()))));
                      const int len = LZ4_compress_default(reinterpret_cast<const char*>(in.data()),
                                                           reinterpret_cast<char*>(out.data()),
                                                           static_cast<int>(in.size()),
                                                           static_cast<int>(out.size()));
                      return static_cast<size_t>(len > 0 ? len : 0);
                    },
                    [](const Bytes& packed, Bytes& out) {
                      return LZ4_decompress_safe(reinterpret_cast<const char*>(packed.data()),
                                                 reinterpret_cast<char*>(out.data()),
                                                 static_cast<int>(packed.size()),
                                                 static_cast<int>(out.size())) ==
                             static_cast<int>(out.size());
                    }});
  return codecs;
}

void Register(const Corpus& corpus, const Codec& codec) {
  const std::string base = std::string(codec.name) + "/" + corpus.name;
  benchmark::RegisterBenchmark((base + "/encode").c_str(), [&corpus, &codec](benchmark::State& state) {
    Bytes out;
    size_t len = 0;
    for (auto _ : state) {
      len = codec.encode(corpus.bytes, out);
      benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus.bytes.size()));
    state.counters["ratio"] = len == 0 ? 1.0 : static_cast<double>(len) / static_cast<double>(corpus.bytes.size());
    state.counters["gave_up"] = len == 0 ? 1 : 0;
  });
  benchmark::RegisterBenchmark((base + "/decode").c_str(), [&corpus, &codec](benchmark::State& state) {
    Bytes packed;
    const size_t len = codec.encode(corpus.bytes, packed);
    if (len == 0) {
      state.SkipWithError("encoder gave up: the input is stored uncompressed");
      return;
    }
    packed.resize(len);
    Bytes out(corpus.bytes.size());
    if (!codec.decode(packed, out) || out != corpus.bytes) {
      state.SkipWithError("round trip failed");
      return;
    }
    for (auto _ : state) {
      codec.decode(packed, out);
      benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus.bytes.size()));
    state.counters["ratio"] = static_cast<double>(len) / static_cast<double>(corpus.bytes.size());
  });
}

}  // namespace

int main(int argc, char** argv) {
  static const std::vector<Corpus> corpora = {
      {"bbi800x600", BbiCorpus()}, {"text1M", TextCorpus()}, {"random1M", RandomCorpus()},
      {"wave1M", WaveCorpus()}};
  static const std::vector<Codec> codecs = Codecs();
  for (const Corpus& corpus : corpora)
    for (const Codec& codec : codecs) Register(corpus, codec);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

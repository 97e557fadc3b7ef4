// The mixer's cost: 32 looping voices of 16-bit stereo at mixed source rates, each with its own
// volume, pan and frequency, mixed to 44.1 kHz stereo in device-sized periods. Beside it SDL's
// own SDL_MixAudioFormat mixing the same 32 voices at the output rate (no resampling, no pan),
// the peer a user would pick. "x_realtime" is seconds of sound mixed per second of one core:
// the share of a core the game's sound costs is 100 / x_realtime percent.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "sound/CMixer.h"

namespace {

constexpr int32_t kVoices = 32;
constexpr int32_t kOutHz = 44100;
constexpr int32_t kPeriod = 1024;

std::vector<int16_t> Noise(size_t frames, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> d(-12000, 12000);
  std::vector<int16_t> s(frames * 2);
  for (auto& v : s) v = static_cast<int16_t>(d(rng));
  return s;
}

void Mixer_32Voices(benchmark::State& state) {
  sound::CMixer mixer({kOutHz, 16, 2});
  mixer.SetDevicePeriod(kPeriod);
  const int32_t rates[] = {22050, 32000, 44100, 48000};
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> ratio(0.8, 1.25);
  for (int32_t v = 0; v < kVoices; ++v) {
    const int32_t hz = rates[v % 4];
    const std::vector<int16_t> s = Noise(static_cast<size_t>(hz) * 2, static_cast<uint32_t>(v));
    const sound::CMixer::Id id = mixer.Create(static_cast<int32_t>(s.size() * 2), hz, 16, 2,
                                              sound::DSBCAPS_CTRLVOLUME | sound::DSBCAPS_CTRLPAN |
                                                  sound::DSBCAPS_CTRLFREQUENCY);
    std::vector<uint8_t> bytes(s.size() * 2);
    std::memcpy(bytes.data(), s.data(), bytes.size());
    (void)mixer.Write(id, 0, bytes);
    (void)mixer.SetVolume(id, -100 * (v % 20));
    (void)mixer.SetPan(id, -3000 + 200 * v);
    (void)mixer.SetFrequency(id, static_cast<int32_t>(hz * ratio(rng)));
    (void)mixer.Play(id, sound::DSBPLAY_LOOPING);
  }
  std::vector<int16_t> out(kPeriod * 2);
  for (auto _ : state) {
    mixer.Mix(reinterpret_cast<uint8_t*>(out.data()), kPeriod);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kPeriod / kOutHz,
                         benchmark::Counter::kIsRate);
}
BENCHMARK(Mixer_32Voices);

void SdlMixAudioFormat_32Voices(benchmark::State& state) {
  std::vector<std::vector<int16_t>> voices;
  for (int32_t v = 0; v < kVoices; ++v) voices.push_back(Noise(kOutHz * 2, static_cast<uint32_t>(v)));
  std::vector<size_t> pos(kVoices, 0);
  std::vector<int16_t> out(kPeriod * 2);
  const size_t bytes = out.size() * 2;
  for (auto _ : state) {
    std::memset(out.data(), 0, bytes);
    for (int32_t v = 0; v < kVoices; ++v) {
      std::vector<int16_t>& s = voices[static_cast<size_t>(v)];
      if (pos[static_cast<size_t>(v)] + out.size() > s.size()) pos[static_cast<size_t>(v)] = 0;
      SDL_MixAudioFormat(reinterpret_cast<Uint8*>(out.data()),
                         reinterpret_cast<const Uint8*>(s.data() + pos[static_cast<size_t>(v)]),
                         AUDIO_S16SYS, static_cast<Uint32>(bytes), 128 - 4 * (v % 20));
      pos[static_cast<size_t>(v)] += out.size();
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kPeriod / kOutHz,
                         benchmark::Counter::kIsRate);
}
BENCHMARK(SdlMixAudioFormat_32Voices);

}  // namespace

BENCHMARK_MAIN();

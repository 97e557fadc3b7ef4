// Sound: every effect synthesised from noise, filters and swept tones, and the two
// announcements as short chiptune jingles; saved as 16-bit mono 44.1 kHz waves through the
// engine's own wave object. Explosions share one recipe (a swept thump under filtered noise
// that darkens as it decays) at four weights; the punch is a short saturated thump, the zap a
// buzzing saw torn by crackles.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "Families.h"
#include "sound/CmsWAV.h"

namespace assets {

namespace {

constexpr int32_t kRate = 44100;
constexpr float kTau = 2 * std::numbers::pi_v<float>;

using Samples = std::vector<float>;

Samples Silence(float seconds) { return Samples(static_cast<size_t>(seconds * kRate), 0.0f); }

float Time(size_t i) { return static_cast<float>(i) / kRate; }

// One-pole low-pass coefficient for a cut-off in hertz.
float PoleFor(float hz) { return 1.0f - std::exp(-kTau * std::max(hz, 10.0f) / kRate); }

struct Boom {
  float seconds;
  float thumpFrom, thumpTo, thumpDecay;  // swept sine (Hz, Hz, s)
  float noiseFrom, noiseTo, noiseDecay;  // low-passed noise (cut-off Hz, Hz, s)
  float crackle;                         // density of sparks in the tail
  float rumble;                          // level of a slow low rumble
  uint32_t seed;
};

// The explosion recipe: a thump, a burst of noise that darkens, a rumble, crackling sparks.
Samples Explosion(const Boom& b) {
  Samples s = Silence(b.seconds);
  CRng rng(b.seed);
  float phase = 0, lp = 0, lp2 = 0, rumble = 0, pop = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const float t = Time(i), u = t / b.seconds;
    const float f = b.thumpTo + (b.thumpFrom - b.thumpTo) * std::exp(-t / (b.thumpDecay * 0.5f));
    phase += kTau * f / kRate;
    const float thump = std::sin(phase) * std::exp(-t / b.thumpDecay);
    const float white = rng.Range(-1, 1);
    const float cut = b.noiseTo + (b.noiseFrom - b.noiseTo) * std::exp(-t / (b.noiseDecay * 0.6f));
    lp += PoleFor(cut) * (white - lp);
    lp2 += PoleFor(cut * 1.5f) * (lp - lp2);
    const float attack = std::min(1.0f, t / 0.004f);
    const float noise = lp2 * 2.2f * std::exp(-t / b.noiseDecay) * attack;
    rumble += PoleFor(90) * (white - rumble);
    const float low = rumble * 5.0f * b.rumble * std::exp(-t / (b.seconds * 0.35f)) * attack;
    // Crackle: now and then a short pop of noise, fewer as the blast dies.
    if (t > 0.03f && rng.Unit() < b.crackle * 0.0002f * (1 - u))
      pop = rng.Range(0.3f, 0.7f) * (1 - u);
    const float spark = pop * lp;
    pop *= 0.985f;
    s[i] = std::tanh(1.4f * (thump * 0.9f + noise + low + spark * 4));
  }
  return s;
}

Samples Punch() {
  Samples s = Silence(0.24f);
  CRng rng(5);
  float phase = 0, lp = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const float t = Time(i);
    const float f = 55 + 120 * std::exp(-t / 0.025f);
    phase += kTau * f / kRate;
    lp += PoleFor(2500) * (rng.Range(-1, 1) - lp);
    const float body = std::sin(phase) * std::exp(-t / 0.06f);
    const float smack = lp * 3.0f * std::exp(-t / 0.012f);
    s[i] = std::tanh(2.2f * (body + smack));
  }
  return s;
}

Samples Zap() {
  Samples s = Silence(0.55f);
  CRng rng(18);
  float phase = 0, hp = 0, prev = 0, gate = 0, soft = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const float t = Time(i), u = t / 0.55f;
    // A saw whose pitch shivers, amplitude-modulated at mains hum.
    const float f = 110 + 40 * std::sin(kTau * 7 * t) + rng.Range(-15, 15);
    phase += f / kRate;
    phase -= std::floor(phase);
    const float saw = 2 * phase - 1;
    const float hum = 0.6f + 0.4f * (std::sin(kTau * 60 * t) > 0 ? 1.0f : -1.0f);
    // Crackle: bursts of bright noise switching on and off.
    if (rng.Unit() < 0.002f) gate = rng.Unit() < 0.6f ? 1.0f : 0.0f;
    const float white = rng.Range(-1, 1);
    hp = 0.7f * (hp + white - prev);
    prev = white;
    soft += PoleFor(6000) * (hp - soft);
    const float env = std::min(1.0f, t / 0.01f) * (1 - u) * (1 - u);
    s[i] = std::tanh(1.8f * env * (saw * hum * 0.6f + soft * gate * 1.2f));
  }
  return s;
}

Samples Volley() {
  Samples s = Silence(1.0f);
  CRng rng(9);
  float lp = 0;
  // A rising whoosh as the bomblets fly out.
  for (size_t i = 0; i < s.size(); ++i) {
    const float t = Time(i);
    lp += PoleFor(600 + 3000 * std::min(1.0f, t / 0.2f)) * (rng.Range(-1, 1) - lp);
    const float env = t < 0.15f ? t / 0.15f : std::exp(-(t - 0.15f) / 0.08f);
    s[i] = lp * 1.6f * env;
  }
  // Then a scatter of small pops.
  for (int32_t k = 0; k < 12; ++k) {
    const size_t at = static_cast<size_t>(rng.Range(0.12f, 0.8f) * kRate);
    const float pitch = rng.Range(150, 320);
    float phase = 0, plp = 0;
    for (size_t j = 0; at + j < s.size() && j < static_cast<size_t>(0.08f * kRate); ++j) {
      const float t = Time(j);
      phase += kTau * pitch * (1 - t * 4) / kRate;
      plp += PoleFor(3500) * (rng.Range(-1, 1) - plp);
      s[at + j] += (std::sin(phase) * 0.5f + plp * 1.5f) * std::exp(-t / 0.018f) * 0.7f;
    }
  }
  for (float& v : s) v = std::tanh(1.3f * v);
  return s;
}

// A note of a soft square (odd harmonics to 8 kHz), with a little vibrato, added into s.
void Note(Samples& s, float start, float seconds, float hz, float level, float decay) {
  const size_t from = static_cast<size_t>(start * kRate);
  const size_t count = static_cast<size_t>(seconds * kRate);
  float phase = 0;
  for (size_t j = 0; j < count && from + j < s.size(); ++j) {
    const float t = Time(j);
    phase += kTau * hz * (1 + 0.004f * std::sin(kTau * 5.5f * t)) / kRate;
    float v = 0;
    for (int32_t h = 1; h * hz < 8000 && h <= 15; h += 2) v += std::sin(phase * h) / h;
    const float env =
        std::min(1.0f, t / 0.008f) * std::exp(-t / decay) * std::min(1.0f, (seconds - t) / 0.02f);
    s[from + j] += v * level * env;
  }
}

float Hz(int32_t midi) { return 440.0f * std::pow(2.0f, static_cast<float>(midi - 69) / 12.0f); }

// "Ready": three quick rising notes and a bright held chord.
Samples ReadyJingle() {
  Samples s = Silence(1.15f);
  const int32_t run[] = {72, 76, 79};  // C5 E5 G5
  for (int32_t i = 0; i < 3; ++i) Note(s, 0.13f * i, 0.13f, Hz(run[i]), 0.35f, 0.2f);
  for (int32_t m : {76, 79, 84}) Note(s, 0.39f, 0.75f, Hz(m), 0.25f, 0.35f);
  Note(s, 0.39f, 0.75f, Hz(48), 0.3f, 0.4f);  // C3 below
  for (float& v : s) v = std::tanh(v);
  return s;
}

// "Game set": a fanfare that climbs and lands on a long major chord.
Samples GameSetFanfare() {
  Samples s = Silence(2.3f);
  const struct {
    float at, len;
    int32_t midi;
  } melody[] = {{0.0f, 0.12f, 67}, {0.12f, 0.12f, 72}, {0.24f, 0.12f, 76},
                {0.36f, 0.3f, 79}, {0.72f, 0.12f, 76}, {0.84f, 0.12f, 79}};
  for (const auto& n : melody) Note(s, n.at, n.len, Hz(n.midi), 0.35f, 0.25f);
  for (int32_t m : {72, 76, 79, 84}) Note(s, 0.98f, 1.3f, Hz(m), 0.2f, 0.7f);
  for (int32_t m : {36, 48}) Note(s, 0.98f, 1.3f, Hz(m), 0.25f, 0.8f);
  Note(s, 0.0f, 0.96f, Hz(43), 0.2f, 0.5f);  // G2 under the run
  // A splash of cymbal on the chord.
  CRng rng(77);
  float prev = 0;
  for (size_t j = 0; j < static_cast<size_t>(1.3f * kRate); ++j) {
    const size_t at = static_cast<size_t>(0.98f * kRate) + j;
    if (at >= s.size()) break;
    const float white = rng.Range(-1, 1);
    s[at] += (white - prev) * 0.25f * std::exp(-Time(j) / 0.25f);
    prev = white;
  }
  for (float& v : s) v = std::tanh(v);
  return s;
}

void Save(CResWriter& out, Samples s, const std::string& name) {
  // Peaks at 90% of full scale; a short fade keeps the last sample from clicking.
  float peak = 0;
  for (float v : s) peak = std::max(peak, std::abs(v));
  const float gain = peak > 0 ? 0.9f / peak : 0.0f;
  const size_t fade = std::min<size_t>(s.size(), kRate / 100);
  for (size_t j = 0; j < fade; ++j) s[s.size() - 1 - j] *= static_cast<float>(j) / fade;
  sound::CmsWAV wave;
  const std::string relative = "Sound/" + name;
  if (wave.Add(static_cast<int32_t>(s.size()), 16, 1, kRate) != 0) {
    out.Fail(relative);
    return;
  }
  for (size_t i = 0; i < s.size(); ++i)
    wave.Wave(static_cast<int32_t>(i), static_cast<int32_t>(std::lrint(s[i] * gain * 32767.0f)));
  if (wave.SaveToWave(out.Path(relative)) == 0)
    out.Done(relative);
  else
    out.Fail(relative);
}

}  // namespace

void SynthesiseSounds(CResWriter& out) {
  // Weights: 007 a light pop (missile hit), 003 a blast, 002 a bomb, 004 a player's fall.
  Save(out, Explosion({0.45f, 220, 80, 0.05f, 6000, 900, 0.07f, 2, 0.1f, 7}), "007bom.wav");
  Save(out, Explosion({0.8f, 120, 50, 0.1f, 4500, 500, 0.14f, 4, 0.3f, 3}), "003bom.wav");
  Save(out, Explosion({1.4f, 90, 35, 0.2f, 3000, 200, 0.28f, 6, 0.7f, 2}), "002bom.wav");
  Save(out, Explosion({2.1f, 70, 28, 0.3f, 3500, 150, 0.4f, 8, 1.0f, 4}), "004bom.wav");
  Save(out, Volley(), "009bom.wav");
  Save(out, Punch(), "050punch.wav");
  Save(out, Zap(), "zio18.wav");
  Save(out, ReadyJingle(), "060Ready.wav");
  Save(out, GameSetFanfare(), "GameSet1.wav");
}

}  // namespace assets

// Graphic/Bom: explosions as strips of eight 64 x 64 frames, drawn four times larger and
// reduced. Each explosion is a flash, a fireball that cools from white through yellow and
// orange to red, and smoke that rises and thins; the variants differ in size, spikes, rings,
// sparks and smoke. The red bomblet blinks with a burning fuse; the two small effects (a
// twinkle and an aura ring) keep soft alpha because the game does not key them.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "Families.h"

namespace assets {

namespace {

constexpr int32_t kFrame = 64;
constexpr int32_t kFrames = 8;
constexpr int32_t kSs = 4;  // supersampling factor
constexpr float kPi = std::numbers::pi_v<float>;

// Fire by heat: 0 embers, 1 white-hot.
uint32_t Heat(float h) {
  static constexpr uint32_t kStops[] = {0xFF5A1A22u, 0xFFC42A1Cu, 0xFFFF7A1Au, 0xFFFFC83Au,
                                        0xFFFFF6D0u};
  h = std::clamp(h, 0.0f, 1.0f) * 4.0f;
  const int32_t i = std::min(3, static_cast<int32_t>(h));
  return Mix(kStops[i], kStops[i + 1], h - static_cast<float>(i));
}

// Electric light by strength: 0 deep blue, 1 white.
uint32_t Volt(float h) {
  static constexpr uint32_t kStops[] = {0xFF1A2A8Au, 0xFF2E6CFFu, 0xFF5CD8FFu, 0xFFE8FCFFu};
  h = std::clamp(h, 0.0f, 1.0f) * 3.0f;
  const int32_t i = std::min(2, static_cast<int32_t>(h));
  return Mix(kStops[i], kStops[i + 1], h - static_cast<float>(i));
}

struct Burst {
  float size = 24;     // fireball radius at its largest, in output pixels
  int32_t spikes = 8;  // flash rays
  float smoke = 1;     // how much smoke follows (0 none)
  bool ring = false;   // a shock ring
  int32_t sparks = 0;  // flying embers
  uint32_t seed = 1;
  bool electric = false;
};

float EaseOut(float t) { return 1 - (1 - t) * (1 - t); }

// One frame at (cx, cy) of a supersampled strip; t runs 0 (the flash) to 1 (the last wisp).
void ExplosionFrame(CAssetKit& kit, CmgBBI& strip, float cx, float cy, float t, const Burst& b) {
  CRng rng(b.seed);  // the same puff layout in every frame, so the frames animate
  const float s = b.size * kSs;
  auto heatColour = [&](float h) { return b.electric ? Volt(h) : Heat(h); };

  // Shock ring behind everything: a bright band that widens and thins.
  if (b.ring && t > 0.05f && t < 0.99f) {
    CmgBBI ring = kit.Image(strip.Width(), strip.height(), 0);
    const float r = s * (0.5f + 0.75f * EaseOut(t));
    const float band = s * 0.16f * (1 - t);
    kit.Disc(ring, cx, cy, std::min(r, 31.0f * kSs), b.electric ? 0xFFB8F0FFu : 0xFFFFE9A8u);
    kit.Disc(ring, cx, cy, std::min(r, 31.0f * kSs) - band - 2 * kSs, 0);
    kit.Over(strip, ring);
  }

  // Smoke: dark puffs that rise and drift outward while the fire dies.
  const int32_t puffs = 9;
  float angles[puffs];
  float jitter[puffs];
  for (int32_t i = 0; i < puffs; ++i) {
    angles[i] = 2 * kPi * static_cast<float>(i) / puffs + rng.Range(-0.3f, 0.3f);
    jitter[i] = rng.Range(0.8f, 1.2f);
  }
  if (b.smoke > 0 && t > 0.3f) {
    const float k = (t - 0.3f) / 0.7f;
    const float swell = (0.7f + 0.6f * k) * std::sqrt(1 - 0.92f * k);
    for (int32_t i = 0; i < puffs; ++i) {
      // Out and up at first, then drawn together into one last wisp.
      const float d = s * (0.22f + 0.3f * k * (1 - k) * 2) * jitter[i];
      const float px = cx + std::cos(angles[i]) * d;
      const float py = cy + std::sin(angles[i]) * d * 0.8f - s * 0.3f * k;
      const float r = s * 0.4f * b.smoke * jitter[i] * swell;
      kit.Ellipse(strip, px, py, r, r, b.electric ? 0xFF7C8CB4u : 0xFFA49AAAu,
                  b.electric ? 0xFF404A78u : 0xFF5E5468u);
    }
    const float r = s * 0.45f * b.smoke * swell;
    kit.Ellipse(strip, cx, cy - s * 0.3f * k, r, r, b.electric ? 0xFF8C9CC4u : 0xFFB4AAB8u,
                b.electric ? 0xFF505A88u : 0xFF6E6478u);
  }

  // Fireball: puffs around a core, growing fast and then shrinking as they cool.
  const float grow = EaseOut(std::min(1.0f, t / 0.4f));
  const float fade = t < 0.5f ? 1.0f : std::max(0.0f, 1 - (t - 0.5f) / 0.35f);
  const float fr = s * (0.35f + 0.55f * grow) * fade;
  const float heat = std::clamp(1.05f - t * 1.2f, 0.0f, 1.0f);
  if (fr > kSs) {
    for (int32_t i = 0; i < puffs; ++i) {
      const float d = fr * 0.5f * jitter[i];
      const float r = fr * 0.5f * jitter[i];
      kit.Ellipse(strip, cx + std::cos(angles[i]) * d, cy + std::sin(angles[i]) * d, r, r,
                  heatColour(heat * 0.8f), heatColour(heat * 0.35f));
    }
    kit.Ellipse(strip, cx, cy, fr * 0.72f, fr * 0.72f, heatColour(heat + 0.15f),
                heatColour(heat * 0.6f));
  }

  // Flash: rays and a white core in the first frames.
  if (t < 0.2f) {
    const float ray = s * (1.0f - t * 2);
    for (int32_t i = 0; i < b.spikes; ++i) {
      const float a = 2 * kPi * static_cast<float>(i) / b.spikes + 0.2f;
      const float len = ray * (i % 2 == 0 ? 1.0f : 0.65f);
      const float w = s * 0.14f;
      kit.Triangle(strip, cx + std::cos(a) * len, cy + std::sin(a) * len,
                   cx + std::cos(a + kPi / 2) * w, cy + std::sin(a + kPi / 2) * w,
                   cx - std::cos(a + kPi / 2) * w, cy - std::sin(a + kPi / 2) * w,
                   b.electric ? 0xFFD8F8FFu : 0xFFFFF2B0u);
    }
    kit.Disc(strip, cx, cy, s * 0.42f, 0xFFFFFFF0u);
  }

  // Electric bolts: jagged strokes from the core.
  if (b.electric && t < 0.75f) {
    CRng bolt(b.seed * 7u + static_cast<uint32_t>(t * 100));
    for (int32_t i = 0; i < 5; ++i) {
      float a = bolt.Range(0, 2 * kPi);
      float x = cx, y = cy;
      const float reach = s * (0.6f + 0.5f * grow);
      for (int32_t seg = 0; seg < 4; ++seg) {
        a += bolt.Range(-0.7f, 0.7f);
        const float nx = x + std::cos(a) * reach / 4, ny = y + std::sin(a) * reach / 4;
        kit.Stroke(strip, x, y, nx, ny, 1.6f * kSs * (1 - t), 0xFFF0FFFFu);
        x = nx;
        y = ny;
      }
    }
  }

  // Sparks: embers thrown outward, shrinking.
  CRng ember(b.seed * 31u + 5u);
  for (int32_t i = 0; i < b.sparks; ++i) {
    const float a = ember.Range(0, 2 * kPi);
    const float v = ember.Range(0.6f, 1.1f);
    const float d = s * (0.3f + 0.95f * EaseOut(t)) * v;
    const float r = kSs * 1.6f * (1 - t) * v;
    if (r < kSs * 0.5f || d > 30.0f * kSs) continue;
    kit.Disc(strip, cx + std::cos(a) * d, cy + std::sin(a) * d + s * 0.2f * t * t, r,
             heatColour(0.9f - t * 0.6f));
  }
}

CmgBBI ExplosionStrip(CAssetKit& kit, const Burst& b) {
  CmgBBI strip = kit.Image(kFrame * kFrames * kSs, kFrame * kSs, kKey);
  for (int32_t f = 0; f < kFrames; ++f) {
    const float t = static_cast<float>(f) / (kFrames - 1);
    const float cx = (static_cast<float>(f) + 0.5f) * kFrame * kSs;
    ExplosionFrame(kit, strip, cx, kFrame * kSs / 2.0f, t, b);
  }
  kit.Reduce(strip, kSs);
  return strip;
}

// The bomblet: a red ball with a shine and a burning fuse, blinking hot as it waits.
CmgBBI Bomblet(CAssetKit& kit) {
  CmgBBI strip = kit.Image(kFrame * kFrames * kSs, kFrame * kSs, kKey);
  for (int32_t f = 0; f < kFrames; ++f) {
    const float cx = (static_cast<float>(f) + 0.5f) * kFrame * kSs;
    const float cy = kFrame * kSs / 2.0f + 2 * kSs;
    const float r = 9.0f * kSs;
    const bool blink = f % 4 >= 2;
    kit.Disc(strip, cx, cy, r + 1.5f * kSs, palette::kInk);
    kit.Ellipse(strip, cx, cy, r, r, blink ? 0xFFFF8A7Au : 0xFFE8402Eu,
                blink ? 0xFFD8301Eu : 0xFF8E1A1Au);
    kit.Ellipse(strip, cx - r * 0.35f, cy - r * 0.4f, r * 0.32f, r * 0.22f, 0xFFFFFFFFu,
                0xFFFFB0A0u);
    // Fuse and spark.
    kit.Stroke(strip, cx + r * 0.5f, cy - r * 0.8f, cx + r * 0.9f, cy - r * 1.35f, 1.8f * kSs,
               0xFF5A4030u);
    const float spark = (f % 2 == 0 ? 3.2f : 2.2f) * kSs;
    for (int32_t i = 0; i < 4; ++i) {
      const float a = kPi / 4 * static_cast<float>(i) + static_cast<float>(f) * 0.4f;
      kit.Stroke(strip, cx + r * 0.9f - std::cos(a) * spark, cy - r * 1.35f - std::sin(a) * spark,
                 cx + r * 0.9f + std::cos(a) * spark, cy - r * 1.35f + std::sin(a) * spark,
                 0.9f * kSs, 0xFFFFE680u);
    }
    kit.Disc(strip, cx + r * 0.9f, cy - r * 1.35f, 1.4f * kSs, 0xFFFFFFF0u);
  }
  kit.Reduce(strip, kSs);
  return strip;
}

// A four-pointed twinkle that opens, turns and fades (soft alpha).
CmgBBI Twinkle(CAssetKit& kit) {
  CmgBBI strip = kit.Image(kFrame * kFrames * kSs, kFrame * kSs, 0);
  for (int32_t f = 0; f < kFrames; ++f) {
    const float t = static_cast<float>(f) / (kFrames - 1);
    const float cx = (static_cast<float>(f) + 0.5f) * kFrame * kSs;
    const float cy = kFrame * kSs / 2.0f;
    const float open = std::sin(kPi * std::min(1.0f, t * 1.3f + 0.1f));
    const float len = 26.0f * kSs * open;
    const uint32_t alpha = static_cast<uint32_t>(255 * (1 - t * 0.6f));
    CmgBBI glow = kit.Image(strip.Width(), strip.height(), 0);
    kit.Ellipse(glow, cx, cy, len * 0.6f, len * 0.6f, WithAlpha(0xFFFFE890u, alpha / 2),
                WithAlpha(0xFFFFC040u, 0));
    for (int32_t i = 0; i < 4; ++i) {
      const float a = kPi / 2 * static_cast<float>(i) + t * 0.8f;
      const float w = 3.2f * kSs * open;
      kit.Triangle(glow, cx + std::cos(a) * len, cy + std::sin(a) * len,
                   cx + std::cos(a + kPi / 2) * w, cy + std::sin(a + kPi / 2) * w,
                   cx - std::cos(a + kPi / 2) * w, cy - std::sin(a + kPi / 2) * w,
                   WithAlpha(0xFFFFF6C8u, alpha));
    }
    kit.Disc(glow, cx, cy, 3.5f * kSs * open, WithAlpha(0xFFFFFFFFu, alpha));
    kit.Over(strip, glow);
  }
  kit.Reduce(strip, kSs);
  return strip;
}

// An aura ring that swells from the centre and fades (soft alpha).
CmgBBI Aura(CAssetKit& kit) {
  CmgBBI strip = kit.Image(kFrame * kFrames * kSs, kFrame * kSs, 0);
  for (int32_t f = 0; f < kFrames; ++f) {
    const float t = static_cast<float>(f) / (kFrames - 1);
    const float cx = (static_cast<float>(f) + 0.5f) * kFrame * kSs;
    const float cy = kFrame * kSs / 2.0f;
    const float r = (8.0f + 22.0f * EaseOut(t)) * kSs;
    const uint32_t alpha = static_cast<uint32_t>(230 * (1 - t * 0.85f));
    CmgBBI ring = kit.Image(strip.Width(), strip.height(), 0);
    kit.Ellipse(ring, cx, cy, r, r, WithAlpha(0xFF7CF0D8u, alpha / 5),
                WithAlpha(0xFFB8FFF0u, alpha));
    kit.Ellipse(ring, cx, cy, r - 3.0f * kSs, r - 3.0f * kSs, WithAlpha(0xFF2FB7A8u, alpha / 6),
                WithAlpha(0xFF7CF0D8u, alpha / 2));
    kit.Over(strip, ring);
  }
  kit.Reduce(strip, kSs);
  return strip;
}

}  // namespace

void PaintEffects(CAssetKit& kit, CResWriter& out) {
  // 1 a quick pop, 2 a fireball, 3 a big blast with embers, 4 an electric burst, 5 a shock
  // ring, 6 a cloud of smoke, 7 the great blast of a player's fall.
  const Burst bursts[7] = {
      {.size = 18, .spikes = 8, .smoke = 0.5f, .ring = false, .sparks = 6, .seed = 11},
      {.size = 23, .spikes = 6, .smoke = 0.8f, .ring = false, .sparks = 0, .seed = 23},
      {.size = 27, .spikes = 10, .smoke = 0.9f, .ring = false, .sparks = 14, .seed = 37},
      {.size = 22,
       .spikes = 12,
       .smoke = 0.3f,
       .ring = true,
       .sparks = 8,
       .seed = 41,
       .electric = true},
      {.size = 20, .spikes = 16, .smoke = 0.0f, .ring = true, .sparks = 0, .seed = 53},
      {.size = 16, .spikes = 0, .smoke = 1.3f, .ring = false, .sparks = 0, .seed = 67},
      {.size = 29, .spikes = 12, .smoke = 0.9f, .ring = true, .sparks = 20, .seed = 79},
  };
  for (int32_t i = 0; i < 7; ++i) {
    CmgBBI strip = ExplosionStrip(kit, bursts[i]);
    out.Keyed(strip, "Graphic/Bom/Bakuha" + std::to_string(i + 1) + ".bmp");
  }
  CmgBBI bomblet = Bomblet(kit);
  out.Keyed(bomblet, "Graphic/Bom/ball_Red3.bmp");
  CmgBBI twinkle = Twinkle(kit);
  out.Picture(twinkle, "Graphic/Bom/ani01.bmp");
  CmgBBI aura = Aura(kit);
  out.Picture(aura, "Graphic/Bom/ani02.bmp");
}

}  // namespace assets

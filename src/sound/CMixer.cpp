// The mixer: voice table, gains from hundredths of a decibel, the simple 3-D model, linear
// interpolation and the saturating sum into the output format.
#include "sound/CMixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace sound {

namespace {

int32_t GainQ15(double hundredthsDb) {
  if (hundredthsDb <= DSBVOLUME_MIN) return 0;
  if (hundredthsDb >= 0) return 32768;
  return static_cast<int32_t>(std::lrint(std::pow(10.0, hundredthsDb / 2000.0) * 32768.0));
}

inline int32_t Sample16(const uint8_t* p) {
  int16_t s = 0;
  std::memcpy(&s, p, 2);
  return s;
}

template <int Bits, int Channels>
inline void ReadFrame(const uint8_t* data, uint32_t frame, int32_t& l, int32_t& r) {
  constexpr int kBytes = Bits / 8;
  const uint8_t* p = data + static_cast<size_t>(frame) * kBytes * Channels;
  if constexpr (Bits == 16) {
    l = Sample16(p);
    r = Channels == 2 ? Sample16(p + 2) : l;
  } else {
    l = (static_cast<int32_t>(p[0]) - 128) * 256;
    r = Channels == 2 ? (static_cast<int32_t>(p[1]) - 128) * 256 : l;
  }
}

template <int Bits, int Channels>
void MixFrames(const uint8_t* data, uint32_t frames, uint64_t& pos, uint64_t step, bool looping,
               bool& playing, int32_t gainL, int32_t gainR, int32_t* acc, int32_t count) {
  const uint64_t end = static_cast<uint64_t>(frames) << 32;
  for (int32_t f = 0; f < count; ++f) {
    const auto i = static_cast<uint32_t>(pos >> 32);
    const auto frac = static_cast<int32_t>((pos >> 17) & 0x7FFF);
    uint32_t j = i + 1;
    if (j >= frames) j = looping ? 0 : i;
    int32_t l0 = 0, r0 = 0, l1 = 0, r1 = 0;
    ReadFrame<Bits, Channels>(data, i, l0, r0);
    ReadFrame<Bits, Channels>(data, j, l1, r1);
    const int32_t l = l0 + (((l1 - l0) * frac) >> 15);
    const int32_t r = r0 + (((r1 - r0) * frac) >> 15);
    acc[2 * f] += (l * gainL) >> 15;
    acc[2 * f + 1] += (r * gainR) >> 15;
    pos += step;
    if (pos >= end) {
      if (!looping) {
        playing = false;
        pos = 0;
        return;
      }
      pos %= end;
    }
  }
}

}  // namespace

CMixer::CMixer(MixFormat out) : m_out(out) {
  m_slots.resize(kMaxBuffers);
  m_work.resize(kMaxBuffers);
  m_acc.resize(static_cast<size_t>(kChunkFrames) * 2);
}

CMixer::~CMixer() = default;

void CMixer::SetDevicePeriod(int32_t frames) {
  m_periodFrames.store(std::clamp(frames, 1, 1 << 16));
}

void CMixer::Gains(int32_t volume, int32_t pan, int32_t& left, int32_t& right) {
  volume = std::clamp(volume, DSBVOLUME_MIN, DSBVOLUME_MAX);
  pan = std::clamp(pan, DSBPAN_LEFT, DSBPAN_RIGHT);
  // Pan attenuates the other side by its amount, as the old layer did.
  left = GainQ15(static_cast<double>(volume) - std::max(pan, 0));
  right = GainQ15(static_cast<double>(volume) + std::min(pan, 0));
}

CMixer::Slot* CMixer::Find(Id id) {
  if (id.slot < 0 || id.slot >= kMaxBuffers) return nullptr;
  Slot& s = m_slots[static_cast<size_t>(id.slot)];
  return s.used && s.generation == id.generation ? &s : nullptr;
}

const CMixer::Slot* CMixer::Find(Id id) const {
  return const_cast<CMixer*>(this)->Find(id);
}

bool CMixer::Alive(Id id) const { return Find(id) != nullptr; }

CMixer::Id CMixer::Create(int32_t bytes, int32_t hz, int32_t bits, int32_t channels,
                          uint32_t flags) {
  Reap();
  if ((bits != 8 && bits != 16) || (channels != 1 && channels != 2)) return {};
  if (hz < DSBFREQUENCY_MIN || hz > DSBFREQUENCY_MAX * 2) return {};
  if (bytes < DSBSIZE_MIN || bytes > DSBSIZE_MAX) return {};
  const int32_t align = bits / 8 * channels;
  if (bytes / align < 1) return {};
  int32_t index = -1;
  for (int32_t i = 0; i < kMaxBuffers; ++i) {
    if (!m_slots[static_cast<size_t>(i)].used) {
      index = i;
      break;
    }
  }
  if (index < 0) return {};
  Slot& s = m_slots[static_cast<size_t>(index)];
  try {
    s.data.assign(static_cast<size_t>(bytes), bits == 8 ? uint8_t{128} : uint8_t{0});
  } catch (const std::bad_alloc&) {
    return {};
  }
  s.used = true;
  ++s.generation;
  s.flags = flags;
  s.hz = hz;
  s.blockAlign = align;
  s.bytes = static_cast<uint32_t>(bytes);
  s.volume = 0;
  s.pan = 0;
  s.frequency = 0;
  s.position = {};
  s.velocity = {};
  s.minDistance = 1.0f;
  s.maxDistance = 1.0e9f;
  {
    std::lock_guard lock(m_lock);
    Voice& v = m_voices[static_cast<size_t>(index)];
    v.data = s.data.data();
    v.frames = static_cast<uint32_t>(bytes / align);
    v.bits = bits;
    v.channels = channels;
    v.pos = 0;
    v.playing = false;
    v.looping = false;
    ++v.serial;
    UpdateStep(index);
    UpdateGains(index);
  }
  return {index, s.generation};
}

void CMixer::Release(Id id) {
  Slot* s = Find(id);
  if (s == nullptr) return;
  uint64_t epoch = 0;
  {
    std::lock_guard lock(m_lock);
    Voice& v = m_voices[static_cast<size_t>(id.slot)];
    v.data = nullptr;
    v.playing = false;
    ++v.serial;
    epoch = m_started;
  }
  s->used = false;
  ++s->generation;
  m_graves.push_back({std::move(s->data), epoch});
  s->data = {};
  Reap();
}

void CMixer::ReleaseAll() {
  for (int32_t i = 0; i < kMaxBuffers; ++i) {
    const Slot& s = m_slots[static_cast<size_t>(i)];
    if (s.used) Release({i, s.generation});
  }
}

void CMixer::Reap() {
  const uint64_t finished = m_finished.load();
  std::erase_if(m_graves, [finished](const Grave& g) { return g.epoch <= finished; });
}

void CMixer::SetPump(std::function<void()> pump) { m_pump = std::move(pump); }

void CMixer::Pump() {
  if (m_pump) m_pump();
}

SoundResult CMixer::Play(Id id, uint32_t flags) {
  if (Find(id) == nullptr) return SoundResult::kBufferLost;
  std::lock_guard lock(m_lock);
  Voice& v = m_voices[static_cast<size_t>(id.slot)];
  v.playing = true;
  v.looping = (flags & DSBPLAY_LOOPING) != 0;
  ++v.serial;
  return SoundResult::kOk;
}

SoundResult CMixer::Stop(Id id) {
  if (Find(id) == nullptr) return SoundResult::kBufferLost;
  std::lock_guard lock(m_lock);
  Voice& v = m_voices[static_cast<size_t>(id.slot)];
  v.playing = false;
  ++v.serial;
  return SoundResult::kOk;
}

SoundResult CMixer::SetCurrentPosition(Id id, uint32_t bytePos) {
  const Slot* s = Find(id);
  if (s == nullptr) return SoundResult::kBufferLost;
  const uint32_t frame = bytePos / static_cast<uint32_t>(s->blockAlign);
  std::lock_guard lock(m_lock);
  Voice& v = m_voices[static_cast<size_t>(id.slot)];
  // A size that is not whole frames leaves a tail no cursor may point into.
  if (bytePos >= s->bytes || frame >= v.frames) return SoundResult::kInvalidParam;
  v.pos = static_cast<uint64_t>(frame) << 32;
  ++v.serial;
  return SoundResult::kOk;
}

SoundResult CMixer::GetCurrentPosition(Id id, uint32_t& play, uint32_t& write) const {
  const Slot* s = Find(id);
  if (s == nullptr) return SoundResult::kBufferLost;
  std::lock_guard lock(m_lock);
  const Voice& v = m_voices[static_cast<size_t>(id.slot)];
  const auto frame = static_cast<uint32_t>(v.pos >> 32);
  const auto align = static_cast<uint32_t>(s->blockAlign);
  play = frame * align;
  write = play;
  if (v.playing) {
    // The next device period may already have been taken from here on (plus one frame for
    // the interpolation).
    const uint64_t ahead =
        ((static_cast<uint64_t>(m_periodFrames.load()) * v.step) >> 32) + 2;
    write = static_cast<uint32_t>((frame + ahead) % v.frames) * align;
  }
  return SoundResult::kOk;
}

uint32_t CMixer::GetStatus(Id id) const {
  if (Find(id) == nullptr) return DSBSTATUS_BUFFERLOST;
  std::lock_guard lock(m_lock);
  const Voice& v = m_voices[static_cast<size_t>(id.slot)];
  if (!v.playing) return 0;
  return DSBSTATUS_PLAYING | (v.looping ? DSBSTATUS_LOOPING : 0);
}

SoundResult CMixer::SetVolume(Id id, int32_t hundredthsDb) {
  Slot* s = Find(id);
  if (s == nullptr) return SoundResult::kBufferLost;
  if ((s->flags & DSBCAPS_CTRLVOLUME) == 0) return SoundResult::kControlUnavail;
  if (hundredthsDb < DSBVOLUME_MIN || hundredthsDb > DSBVOLUME_MAX)
    return SoundResult::kInvalidParam;
  s->volume = hundredthsDb;
  std::lock_guard lock(m_lock);
  UpdateGains(id.slot);
  return SoundResult::kOk;
}

SoundResult CMixer::SetPan(Id id, int32_t hundredthsDb) {
  Slot* s = Find(id);
  if (s == nullptr) return SoundResult::kBufferLost;
  if ((s->flags & DSBCAPS_CTRLPAN) == 0) return SoundResult::kControlUnavail;
  if (hundredthsDb < DSBPAN_LEFT || hundredthsDb > DSBPAN_RIGHT) return SoundResult::kInvalidParam;
  s->pan = hundredthsDb;
  std::lock_guard lock(m_lock);
  UpdateGains(id.slot);
  return SoundResult::kOk;
}

SoundResult CMixer::SetFrequency(Id id, int32_t hz) {
  Slot* s = Find(id);
  if (s == nullptr) return SoundResult::kBufferLost;
  if ((s->flags & DSBCAPS_CTRLFREQUENCY) == 0) return SoundResult::kControlUnavail;
  if (hz != DSBFREQUENCY_ORIGINAL && (hz < DSBFREQUENCY_MIN || hz > DSBFREQUENCY_MAX))
    return SoundResult::kInvalidParam;
  s->frequency = hz;
  std::lock_guard lock(m_lock);
  UpdateStep(id.slot);
  return SoundResult::kOk;
}

SoundResult CMixer::GetVolume(Id id, int32_t& v) const {
  const Slot* s = Find(id);
  if (s == nullptr) return SoundResult::kBufferLost;
  v = s->volume;
  return SoundResult::kOk;
}

SoundResult CMixer::GetPan(Id id, int32_t& v) const {
  const Slot* s = Find(id);
  if (s == nullptr) return SoundResult::kBufferLost;
  v = s->pan;
  return SoundResult::kOk;
}

SoundResult CMixer::GetFrequency(Id id, int32_t& v) const {
  const Slot* s = Find(id);
  if (s == nullptr) return SoundResult::kBufferLost;
  v = s->frequency == 0 ? s->hz : s->frequency;
  return SoundResult::kOk;
}

SoundResult CMixer::Write(Id id, uint32_t offset, std::span<const uint8_t> bytes) {
  Slot* s = Find(id);
  if (s == nullptr) return SoundResult::kBufferLost;
  if (offset >= s->bytes || bytes.size() > s->bytes) return SoundResult::kInvalidParam;
  const size_t first = std::min<size_t>(bytes.size(), s->bytes - offset);
  std::memcpy(s->data.data() + offset, bytes.data(), first);
  if (first < bytes.size()) std::memcpy(s->data.data(), bytes.data() + first, bytes.size() - first);
  return SoundResult::kOk;
}

SoundResult CMixer::Read(Id id, uint32_t offset, std::span<uint8_t> bytes) const {
  const Slot* s = Find(id);
  if (s == nullptr) return SoundResult::kBufferLost;
  if (offset >= s->bytes || bytes.size() > s->bytes) return SoundResult::kInvalidParam;
  const size_t first = std::min<size_t>(bytes.size(), s->bytes - offset);
  std::memcpy(bytes.data(), s->data.data() + offset, first);
  if (first < bytes.size()) std::memcpy(bytes.data() + first, s->data.data(), bytes.size() - first);
  return SoundResult::kOk;
}

SoundResult CMixer::Set3DPosition(Id id, Vector3 p) {
  Slot* s = Find(id);
  if (s == nullptr) return SoundResult::kBufferLost;
  if ((s->flags & DSBCAPS_CTRL3D) == 0) return SoundResult::kControlUnavail;
  s->position = p;
  std::lock_guard lock(m_lock);
  UpdateGains(id.slot);
  return SoundResult::kOk;
}

SoundResult CMixer::Set3DVelocity(Id id, Vector3 v) {
  Slot* s = Find(id);
  if (s == nullptr) return SoundResult::kBufferLost;
  if ((s->flags & DSBCAPS_CTRL3D) == 0) return SoundResult::kControlUnavail;
  // Kept for callers that read it back; the simple model has no Doppler shift.
  s->velocity = v;
  return SoundResult::kOk;
}

SoundResult CMixer::Set3DDistances(Id id, float minDistance, float maxDistance) {
  Slot* s = Find(id);
  if (s == nullptr) return SoundResult::kBufferLost;
  if ((s->flags & DSBCAPS_CTRL3D) == 0) return SoundResult::kControlUnavail;
  if (!(minDistance > 0.0f) || !(maxDistance >= minDistance)) return SoundResult::kInvalidParam;
  s->minDistance = minDistance;
  s->maxDistance = maxDistance;
  std::lock_guard lock(m_lock);
  UpdateGains(id.slot);
  return SoundResult::kOk;
}

void CMixer::UpdateGains(int32_t index) {
  const Slot& s = m_slots[static_cast<size_t>(index)];
  double volume = s.volume;
  double pan = s.pan;
  if ((s.flags & DSBCAPS_CTRL3D) != 0) {
    // The listener stands at the origin facing +z with +x to the right. Inside the minimum
    // distance nothing is lost; beyond it the level falls as min / distance, and stops falling
    // at the maximum distance. The side the sound is on keeps its level, the other loses up to
    // 20 dB.
    const double x = s.position.x, y = s.position.y, z = s.position.z;
    const double d = std::sqrt(x * x + y * y + z * z);
    if (std::isfinite(d) && d > s.minDistance) {
      const double far = std::min<double>(d, s.maxDistance);
      volume += 2000.0 * std::log10(s.minDistance / far);
    }
    if (std::isfinite(d) && d > 0.0) pan += std::clamp(x / d, -1.0, 1.0) * 2000.0;
  }
  volume = std::clamp(volume, -10000.0, 0.0);
  pan = std::clamp(pan, -10000.0, 10000.0);
  Voice& v = m_voices[static_cast<size_t>(index)];
  v.gainL = GainQ15(volume - std::max(pan, 0.0));
  v.gainR = GainQ15(volume + std::min(pan, 0.0));
}

void CMixer::UpdateStep(int32_t index) {
  const Slot& s = m_slots[static_cast<size_t>(index)];
  const int64_t hz = s.frequency == 0 ? s.hz : s.frequency;
  m_voices[static_cast<size_t>(index)].step =
      (static_cast<uint64_t>(hz) << 32) / static_cast<uint64_t>(std::max(m_out.hz, 1));
}

void CMixer::MixVoice(Voice& v, int32_t* acc, int32_t frames) {
  const int key = v.bits * 4 + v.channels;
  switch (key) {
    case 16 * 4 + 2:
      MixFrames<16, 2>(v.data, v.frames, v.pos, v.step, v.looping, v.playing, v.gainL, v.gainR,
                       acc, frames);
      break;
    case 16 * 4 + 1:
      MixFrames<16, 1>(v.data, v.frames, v.pos, v.step, v.looping, v.playing, v.gainL, v.gainR,
                       acc, frames);
      break;
    case 8 * 4 + 2:
      MixFrames<8, 2>(v.data, v.frames, v.pos, v.step, v.looping, v.playing, v.gainL, v.gainR,
                      acc, frames);
      break;
    case 8 * 4 + 1:
      MixFrames<8, 1>(v.data, v.frames, v.pos, v.step, v.looping, v.playing, v.gainL, v.gainR,
                      acc, frames);
      break;
    default: v.playing = false; break;
  }
}

void CMixer::Mix(uint8_t* out, int32_t frames) {
  const int32_t align = m_out.BlockAlign();
  while (frames > 0) {
    const int32_t n = std::min(frames, kChunkFrames);
    int32_t count = 0;
    uint64_t epoch = 0;
    {
      std::lock_guard lock(m_lock);
      epoch = ++m_started;
      for (int32_t i = 0; i < kMaxBuffers; ++i) {
        const Voice& v = m_voices[static_cast<size_t>(i)];
        if (v.playing && v.data != nullptr && v.frames > 0) m_work[static_cast<size_t>(count++)] = {i, v};
      }
    }
    int32_t* acc = m_acc.data();
    std::fill_n(acc, static_cast<size_t>(n) * 2, 0);
    for (int32_t k = 0; k < count; ++k) MixVoice(m_work[static_cast<size_t>(k)].voice, acc, n);
    {
      std::lock_guard lock(m_lock);
      for (int32_t k = 0; k < count; ++k) {
        const Work& w = m_work[static_cast<size_t>(k)];
        Voice& live = m_voices[static_cast<size_t>(w.slot)];
        if (live.serial != w.voice.serial) continue;  // the game moved it meanwhile
        live.pos = w.voice.pos;
        live.playing = w.voice.playing;
      }
    }
    m_finished.store(epoch);
    if (out != nullptr) {
      for (int32_t f = 0; f < n; ++f) {
        int32_t l = acc[2 * f];
        int32_t r = acc[2 * f + 1];
        if (m_out.channels == 1) l = r = (l + r) >> 1;
        l = std::clamp(l, -32768, 32767);
        r = std::clamp(r, -32768, 32767);
        if (m_out.bits == 16) {
          const auto sl = static_cast<int16_t>(l);
          const auto sr = static_cast<int16_t>(r);
          std::memcpy(out, &sl, 2);
          if (m_out.channels == 2) std::memcpy(out + 2, &sr, 2);
        } else {
          out[0] = static_cast<uint8_t>((l >> 8) + 128);
          if (m_out.channels == 2) out[1] = static_cast<uint8_t>((r >> 8) + 128);
        }
        out += align;
      }
    }
    frames -= n;
  }
}

void CMixer::AdvanceVoice(Voice& v, int64_t frames) {
  const uint64_t end = static_cast<uint64_t>(v.frames) << 32;
  while (frames > 0 && v.playing) {
    const int64_t n = std::min<int64_t>(frames, 1 << 20);
    // step is below 2^40, so n * step stays below 2^60.
    const uint64_t pos = v.pos + v.step * static_cast<uint64_t>(n);
    if (pos >= end) {
      if (!v.looping) {
        v.playing = false;
        v.pos = 0;
        return;
      }
      v.pos = pos % end;
    } else {
      v.pos = pos;
    }
    frames -= n;
  }
}

void CMixer::Advance(int64_t frames) {
  std::lock_guard lock(m_lock);
  for (Voice& v : m_voices)
    if (v.playing && v.data != nullptr && v.frames > 0) AdvanceVoice(v, frames);
}

}  // namespace sound

// CMixer: the software mixer behind the sound device. Secondary buffers live in slots of a fixed
// voice table; the game thread changes the table under a short lock and the audio thread copies
// it, mixes outside the lock and writes back only the positions of voices nobody touched
// meanwhile. Volume and pan are hundredths of a decibel, frequency change is linear
// interpolation, sums saturate. Pure C++: the device module feeds it to SDL.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

#include "sound/SoundTypes.h"

namespace sound {

struct MixFormat {
  int32_t hz = 44100;
  int32_t bits = 16;     // 8 (unsigned) or 16 (signed)
  int32_t channels = 2;  // 1 or 2
  [[nodiscard]] int32_t BlockAlign() const { return bits / 8 * channels; }
};

struct Vector3 {
  float x = 0, y = 0, z = 0;
};

class CMixer {
 public:
  static constexpr int32_t kMaxBuffers = 512;
  // Frames mixed per pass; longer requests are mixed in several passes.
  static constexpr int32_t kChunkFrames = 2048;

  // A slot and the generation it was created in: a handle whose generation no longer matches
  // speaks of a buffer that is gone (lost).
  struct Id {
    int32_t slot = -1;
    uint32_t generation = 0;
  };

  explicit CMixer(MixFormat out);
  ~CMixer();
  CMixer(const CMixer&) = delete;
  CMixer& operator=(const CMixer&) = delete;

  [[nodiscard]] const MixFormat& Format() const { return m_out; }
  // Frames the device takes per callback; sets how far the write cursor runs ahead.
  void SetDevicePeriod(int32_t frames);

  // ---- game thread ----
  // A buffer of `bytes` bytes of PCM in the given format, filled with silence. Fails (slot -1)
  // for bad formats, sizes outside DSBSIZE_MIN..DSBSIZE_MAX or a full table.
  Id Create(int32_t bytes, int32_t hz, int32_t bits, int32_t channels, uint32_t flags);
  void Release(Id id);
  // Every buffer becomes lost (the device is going away).
  void ReleaseAll();
  [[nodiscard]] bool Alive(Id id) const;

  SoundResult Play(Id id, uint32_t flags);
  SoundResult Stop(Id id);
  SoundResult SetCurrentPosition(Id id, uint32_t bytePos);
  SoundResult GetCurrentPosition(Id id, uint32_t& play, uint32_t& write) const;
  [[nodiscard]] uint32_t GetStatus(Id id) const;
  SoundResult SetVolume(Id id, int32_t hundredthsDb);
  SoundResult SetPan(Id id, int32_t hundredthsDb);
  SoundResult SetFrequency(Id id, int32_t hz);
  SoundResult GetVolume(Id id, int32_t& v) const;
  SoundResult GetPan(Id id, int32_t& v) const;
  SoundResult GetFrequency(Id id, int32_t& v) const;
  // Copies bytes into the buffer at `offset`, wrapping at its end as a circular buffer does.
  SoundResult Write(Id id, uint32_t offset, std::span<const uint8_t> bytes);
  SoundResult Read(Id id, uint32_t offset, std::span<uint8_t> bytes) const;
  SoundResult Set3DPosition(Id id, Vector3 p);
  SoundResult Set3DVelocity(Id id, Vector3 v);
  SoundResult Set3DDistances(Id id, float minDistance, float maxDistance);
  // Frees buffers whose data the audio thread might still have been reading.
  void Reap();

  // Hook run before cursor and status queries (the device checks itself and lets time pass).
  void SetPump(std::function<void()> pump);
  void Pump();

  // ---- audio thread (or the game thread when no device runs) ----
  // Mixes `frames` frames in the output format into out (frames * BlockAlign bytes).
  void Mix(uint8_t* out, int32_t frames);
  // Lets `frames` output frames pass with nothing heard: positions move, ends are reached.
  void Advance(int64_t frames);

  // The gains the mixer applies for a volume and pan, in 1/32768 (tests and tools).
  static void Gains(int32_t volume, int32_t pan, int32_t& left, int32_t& right);

 private:
  struct Voice {
    // Fixed while the slot is alive.
    const uint8_t* data = nullptr;
    uint32_t frames = 0;
    int32_t bits = 16;
    int32_t channels = 2;
    // Mixing state.
    uint64_t pos = 0;   // 32.32 frames
    uint64_t step = 0;  // 32.32 frames per output frame
    int32_t gainL = 32768;
    int32_t gainR = 32768;
    bool playing = false;
    bool looping = false;
    uint32_t serial = 0;  // bumped when the game thread moves pos or playing
  };
  struct Slot {
    bool used = false;
    uint32_t generation = 1;
    uint32_t flags = 0;
    int32_t hz = 0;
    int32_t blockAlign = 0;
    uint32_t bytes = 0;
    std::vector<uint8_t> data;
    int32_t volume = 0;
    int32_t pan = 0;
    int32_t frequency = 0;
    Vector3 position;
    Vector3 velocity;
    float minDistance = 1.0f;
    float maxDistance = 1.0e9f;
  };
  struct Work {
    int32_t slot;
    Voice voice;
  };
  struct Grave {
    std::vector<uint8_t> data;
    uint64_t epoch;
  };

  Slot* Find(Id id);
  const Slot* Find(Id id) const;
  void UpdateGains(int32_t slot);   // under lock
  void UpdateStep(int32_t slot);    // under lock
  static void MixVoice(Voice& v, int32_t* acc, int32_t frames);
  static void AdvanceVoice(Voice& v, int64_t frames);

  MixFormat m_out;
  std::atomic<int32_t> m_periodFrames{1024};
  mutable std::mutex m_lock;
  std::array<Voice, kMaxBuffers> m_voices;
  std::vector<Slot> m_slots;  // game thread only
  std::vector<Grave> m_graves;
  // Callbacks started (counted under the lock) and finished: data dropped while `started` was
  // n may be freed once `finished` reaches n.
  uint64_t m_started = 0;
  std::atomic<uint64_t> m_finished{0};
  // Audio thread scratch, allocated once.
  std::vector<Work> m_work;
  std::vector<int32_t> m_acc;
  std::function<void()> m_pump;
};

}  // namespace sound

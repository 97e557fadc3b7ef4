// CSoundBuffer: one secondary buffer of the sound device, as the sound classes hold it. It owns
// its mixer slot and releases it when destroyed; once the device has gone away every call
// reports the buffer lost.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "sound/CMixer.h"
#include "sound/SoundTypes.h"

namespace sound {

class CSoundBuffer {
 public:
  CSoundBuffer(std::shared_ptr<CMixer> mixer, CMixer::Id id, uint32_t bytes, uint32_t flags);
  ~CSoundBuffer();
  CSoundBuffer(const CSoundBuffer&) = delete;
  CSoundBuffer& operator=(const CSoundBuffer&) = delete;

  [[nodiscard]] uint32_t Bytes() const { return m_bytes; }
  [[nodiscard]] uint32_t Flags() const { return m_flags; }

  SoundResult Play(uint32_t flags);
  SoundResult Stop();
  SoundResult SetCurrentPosition(uint32_t bytePos);
  SoundResult GetCurrentPosition(uint32_t& play, uint32_t& write);
  [[nodiscard]] uint32_t GetStatus();
  // A lost buffer cannot be brought back here: the caller creates a new one.
  SoundResult Restore();
  SoundResult SetVolume(int32_t hundredthsDb);
  SoundResult SetPan(int32_t hundredthsDb);
  SoundResult SetFrequency(int32_t hz);
  SoundResult GetVolume(int32_t& v) const;
  SoundResult GetPan(int32_t& v) const;
  SoundResult GetFrequency(int32_t& v) const;
  SoundResult Write(uint32_t offset, std::span<const uint8_t> bytes);
  SoundResult Read(uint32_t offset, std::span<uint8_t> bytes) const;

  // The 3-D interface; deferred settings take effect at once (the commit is implied).
  SoundResult Set3DPosition(float x, float y, float z);
  SoundResult Set3DVelocity(float x, float y, float z);
  SoundResult Set3DDistances(float minDistance, float maxDistance);

 private:
  std::shared_ptr<CMixer> m_mixer;
  CMixer::Id m_id;
  uint32_t m_bytes = 0;
  uint32_t m_flags = 0;
};

}  // namespace sound

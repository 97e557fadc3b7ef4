// A secondary buffer handle: forwards to its mixer slot, letting the device look at itself first
// where time matters (cursors, status, play).
#include "sound/CSoundBuffer.h"

#include <utility>

namespace sound {

CSoundBuffer::CSoundBuffer(std::shared_ptr<CMixer> mixer, CMixer::Id id, uint32_t bytes,
                           uint32_t flags)
    : m_mixer(std::move(mixer)), m_id(id), m_bytes(bytes), m_flags(flags) {}

CSoundBuffer::~CSoundBuffer() {
  if (m_mixer) m_mixer->Release(m_id);
}

SoundResult CSoundBuffer::Play(uint32_t flags) {
  m_mixer->Pump();
  return m_mixer->Play(m_id, flags);
}

SoundResult CSoundBuffer::Stop() { return m_mixer->Stop(m_id); }

SoundResult CSoundBuffer::SetCurrentPosition(uint32_t bytePos) {
  return m_mixer->SetCurrentPosition(m_id, bytePos);
}

SoundResult CSoundBuffer::GetCurrentPosition(uint32_t& play, uint32_t& write) {
  m_mixer->Pump();
  return m_mixer->GetCurrentPosition(m_id, play, write);
}

uint32_t CSoundBuffer::GetStatus() {
  m_mixer->Pump();
  return m_mixer->GetStatus(m_id);
}

SoundResult CSoundBuffer::Restore() {
  return m_mixer->Alive(m_id) ? SoundResult::kOk : SoundResult::kBufferLost;
}

SoundResult CSoundBuffer::SetVolume(int32_t v) { return m_mixer->SetVolume(m_id, v); }
SoundResult CSoundBuffer::SetPan(int32_t v) { return m_mixer->SetPan(m_id, v); }
SoundResult CSoundBuffer::SetFrequency(int32_t hz) { return m_mixer->SetFrequency(m_id, hz); }
SoundResult CSoundBuffer::GetVolume(int32_t& v) const { return m_mixer->GetVolume(m_id, v); }
SoundResult CSoundBuffer::GetPan(int32_t& v) const { return m_mixer->GetPan(m_id, v); }
SoundResult CSoundBuffer::GetFrequency(int32_t& v) const { return m_mixer->GetFrequency(m_id, v); }

SoundResult CSoundBuffer::Write(uint32_t offset, std::span<const uint8_t> bytes) {
  return m_mixer->Write(m_id, offset, bytes);
}

SoundResult CSoundBuffer::Read(uint32_t offset, std::span<uint8_t> bytes) const {
  return m_mixer->Read(m_id, offset, bytes);
}

SoundResult CSoundBuffer::Set3DPosition(float x, float y, float z) {
  return m_mixer->Set3DPosition(m_id, {x, y, z});
}

SoundResult CSoundBuffer::Set3DVelocity(float x, float y, float z) {
  return m_mixer->Set3DVelocity(m_id, {x, y, z});
}

SoundResult CSoundBuffer::Set3DDistances(float minDistance, float maxDistance) {
  return m_mixer->Set3DDistances(m_id, minDistance, maxDistance);
}

}  // namespace sound

// The streaming step: keep up to 900 000 bytes written ahead of the write cursor, at most
// 100 000 per step and never across the buffer's end; at the file's end either go back to the
// data start or write silence until the last written sample has been played, then stop.
#include "sound/CmsSTM.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sound/SoundShared.h"
#include "sound/spLibSound.h"

namespace sound {

CmsSTM::CmsSTM() = default;

CmsSTM::~CmsSTM() { FileClose(); }

int32_t CmsSTM::FileOpen(const std::string& filename) {
  if (m_open && filename == m_name) return 0;
  FileClose();
  if (m_api.PakFileOpen(filename) != 0) return 1;
  const int16_t handle = m_api.PakFileNumber();
  const int64_t start = m_api.PakFileRecnumber();
  const ByteReader read = [handle, start](int64_t offset, std::span<uint8_t> dst) {
    return util::CApi::ReadFileAt(handle, start + offset, dst);
  };
  WaveScan scan;
  if (!ScanWave(read, m_api.PakFileLength(), true, scan)) {
    m_api.PakFileClose();
    return 1;
  }
  m_header = scan.header;
  m_handle = handle;
  m_dataStart = start + scan.dataOffset;
  m_dataEnd = m_dataStart + m_header.dataSize;
  m_name = filename;
  m_open = true;
  m_readPos = m_dataStart;
  m_ending = false;
  SetCurrentPosition(0);
  return 0;
}

void CmsSTM::FileClose() {
  if (!m_open) return;
  m_api.PakFileClose();
  m_handle = 0;
  m_open = false;
  m_name.clear();
  BufferDelete();
}

void CmsSTM::BufferCreate(uint32_t flag) {
  BufferDelete();
  spLibSound* device = spLibSound::Current();
  if (device == nullptr) return;
  m_buffer = device->CreateBuffer(kBufferSize, m_header.hz, m_header.bits, m_header.channels,
                                  flag | DSBCAPS_STATIC);
  if (!m_buffer) return;
  m_scratch.assign(kBufferSize, 0);
  m_bufferValid = true;
  m_nextWrite = 0;
  m_lastPlay = m_prevPlay = 0;
  if ((flag & DSBCAPS_CTRL3D) != 0) {
    (void)m_buffer->Set3DDistances(1.0f, 32.0f);
    device->CommitDeferredSettings();
    m_valid3D = true;
  }
}

void CmsSTM::BufferDelete() {
  m_buffer.reset();
  m_bufferValid = false;
  m_valid3D = false;
  m_playing = false;
}

void CmsSTM::BufferUpdate() {
  Step();
  if (!m_bufferValid) return;
  uint32_t play = 0, write = 0;
  if (m_buffer->GetCurrentPosition(play, write) != SoundResult::kOk) return;
  const int64_t ahead = (static_cast<int64_t>(m_nextWrite) - play + kBufferSize) % kBufferSize;
  m_fill = static_cast<int32_t>(std::clamp<int64_t>(ahead * 100 / kBufferSize, 0, 100));
}

void CmsSTM::Step() {
  if (!m_playing || !m_bufferValid) return;
  if ((m_buffer->GetStatus() & DSBSTATUS_BUFFERLOST) != 0) (void)m_buffer->Restore();
  uint32_t playU = 0, writeU = 0;
  if (m_buffer->GetCurrentPosition(playU, writeU) != SoundResult::kOk) return;
  const auto play = static_cast<int32_t>(playU);
  const auto write = static_cast<int32_t>(writeU / 4 * 4);
  m_lastPlay = play;
  if (m_seekRequested) {
    m_seekRequested = false;
    m_nextWrite = write + kSeekLead;
    if (m_nextWrite >= kBufferSize) m_nextWrite = 0;
    m_readPos = m_dataStart + m_seekPos / 4 * 4;
    // A seek after the whole file was read must not leave the stream winding down.
    m_ending = false;
  }
  int32_t amount = (write - m_nextWrite + kAhead + kBufferSize) % kBufferSize;
  if (amount <= 0) return;
  amount = std::min(amount, kMaxStep);
  if (m_nextWrite >= kBufferSize) m_nextWrite = 0;
  if (m_nextWrite + amount > kBufferSize) amount = kBufferSize - m_nextWrite;
  if (!m_ending) {
    if (m_readPos < m_dataStart) m_readPos = m_dataStart;
    if (m_readPos >= m_dataEnd) {
      if (m_looping) {
        m_readPos = m_dataStart;
        return;
      }
      m_endWrite = m_nextWrite;
      m_prevPlay = play;
      m_ending = true;
    }
  }
  if (!m_ending) {
    amount = static_cast<int32_t>(std::min<int64_t>(amount, m_dataEnd - m_readPos));
    const std::span<uint8_t> chunk(m_scratch.data() + m_nextWrite, static_cast<size_t>(amount));
    (void)util::CApi::ReadFileAt(m_handle, m_readPos, chunk);
    m_readPos += amount;
    (void)m_buffer->Write(static_cast<uint32_t>(m_nextWrite), chunk);
    m_nextWrite = (m_nextWrite + amount) / 4 * 4;
    return;
  }
  // Silence of the wave's own kind (8-bit silence is 128).
  const std::span<uint8_t> chunk(m_scratch.data() + m_nextWrite, static_cast<size_t>(amount));
  std::fill(chunk.begin(), chunk.end(), m_header.bits == 8 ? uint8_t{128} : uint8_t{0});
  (void)m_buffer->Write(static_cast<uint32_t>(m_nextWrite), chunk);
  m_nextWrite += amount;
  if (m_endWrite <= play) {
    if (m_endWrite >= m_prevPlay || play < m_prevPlay) (void)m_buffer->Stop();
  }
  m_prevPlay = play;
}

void CmsSTM::Play(bool looping) {
  if (!m_bufferValid) return;
  m_playing = true;
  m_looping = looping;
  m_ending = false;
  BufferUpdate();
  if (m_buffer->Play(DSBPLAY_LOOPING) == SoundResult::kBufferLost) {
    m_bufferValid = false;
    m_playing = false;
  }
}

void CmsSTM::Pose() {
  if (m_bufferValid) (void)m_buffer->Stop();
  m_playing = false;
}

void CmsSTM::SetCurrentPosition(int32_t pos) {
  if (!m_open) return;
  m_seekPos = std::max(pos, 0);
  m_seekRequested = true;
}

bool CmsSTM::GetState() {
  if (!m_bufferValid) return false;
  return (m_buffer->GetStatus() & DSBSTATUS_PLAYING) != 0;
}

double CmsSTM::GetLength() const {
  if (m_header.hz == 0) return 0.0;
  return static_cast<double>(m_header.blocks) / m_header.hz;
}

void CmsSTM::SetTime(double time) {
  const double bytes = std::nearbyint(m_header.hz * time * m_header.blockSize);
  if (!(bytes >= 0 && bytes <= INT32_MAX)) return;
  SetCurrentPosition(static_cast<int32_t>(bytes));
}

void CmsSTM::SetTempo(float tempo) {
  if (m_bufferValid) (void)m_buffer->SetFrequency(FrequencyFor(tempo, m_header.hz));
}

void CmsSTM::SetVolum(float volum) {
  if (m_bufferValid) (void)m_buffer->SetVolume(VolumeFor(volum));
}

void CmsSTM::SetPan(float pan, float pers, float panHeight, float velocityX, float velocityZ,
                    float velocityY) {
  if (!m_bufferValid) return;
  if (m_valid3D) {
    Set3DVelocity(pan, panHeight, pers, velocityX, velocityY, velocityZ);
    return;
  }
  (void)m_buffer->SetPan(PanFor(pan));
}

void CmsSTM::Set3DPosition(float posX, float posY, float posZ) {
  if (m_valid3D && m_bufferValid) (void)m_buffer->Set3DPosition(posX, posY, posZ);
}

void CmsSTM::Set3DVelocity(float posX, float posY, float posZ, float vx, float vy, float vz) {
  if (!m_valid3D || !m_bufferValid) return;
  (void)m_buffer->Set3DPosition(posX, posY, posZ);
  (void)m_buffer->Set3DVelocity(vx, vy, vz);
  if (spLibSound* device = spLibSound::Current()) device->CommitDeferredSettings();
}

}  // namespace sound

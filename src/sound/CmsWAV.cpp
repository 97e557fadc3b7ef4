// A wave in memory and its static buffer.
#include "sound/CmsWAV.h"

#include <algorithm>
#include <cmath>

#include "platform/CBlivoBinding.h"
#include "sound/SoundShared.h"
#include "sound/spLibSound.h"

namespace sound {

CmsWAV::~CmsWAV() { BufferDelete(); }

void CmsWAV::Adopt(WaveScan scan) {
  m_header = scan.header;
  m_samples = std::move(scan.samples);
  m_source = scan.source;
  m_loaded = true;
}

int32_t CmsWAV::Load(const std::string& filename) {
  BufferDelete();
  m_loaded = false;
  m_header = WaveHeader{};
  m_samples.clear();
  m_source = WaveSource::kNone;
  util::CApi& files = SoundFiles();
  if (files.PakFileOpen(filename) != 0) return 1;
  const int16_t handle = files.PakFileNumber();
  const int64_t start = files.PakFileRecnumber();
  const int64_t length = files.PakFileLength();
  const ByteReader read = [handle, start](int64_t offset, std::span<uint8_t> dst) {
    return util::CApi::ReadFileAt(handle, start + offset, dst);
  };
  WaveScan scan;
  const bool ok = ScanWave(read, length, false, scan);
  files.PakFileClose();
  if (!ok) return 1;
  Adopt(std::move(scan));
  return 0;
}

int32_t CmsWAV::Add(int32_t blocks, int32_t bits, int32_t channels, int32_t hz) {
  if (blocks < 1 || (channels != 1 && channels != 2) || (bits != 8 && bits != 16) || hz < 4000)
    return 1;
  const int32_t blockSize = bits / 8 * channels;
  if (blocks > INT32_MAX / blockSize) return 1;
  BufferDelete();
  m_header.blockSize = blockSize;
  m_header.dataSize = blockSize * blocks;
  m_header.bits = bits;
  m_header.channels = channels;
  m_header.hz = hz;
  m_header.blocks = blocks;
  m_header.formatKey = bits + channels;
  m_samples.assign(static_cast<size_t>(m_header.dataSize), bits == 8 ? uint8_t{128} : uint8_t{0});
  m_source = WaveSource::kNone;
  m_loaded = true;
  return 0;
}

void CmsWAV::BufferCreate(uint32_t flag) {
  if (!m_loaded) return;
  BufferDelete();
  spLibSound* device = spLibSound::Current();
  if (device == nullptr) return;
  m_buffer = device->CreateBuffer(m_header.dataSize, m_header.hz, m_header.bits,
                                  m_header.channels, flag | DSBCAPS_STATIC);
  if (!m_buffer) return;
  m_bufferValid = true;
  if ((flag & DSBCAPS_CTRL3D) != 0) {
    (void)m_buffer->Set3DDistances(1.0f, 32.0f);
    device->CommitDeferredSettings();
    m_valid3D = true;
  }
}

void CmsWAV::BufferWrite() {
  if (!m_bufferValid || m_samples.empty()) return;
  (void)m_buffer->Write(0, m_samples);
}

void CmsWAV::BufferDelete() {
  m_buffer.reset();
  m_valid3D = false;
  m_bufferValid = false;
}

void CmsWAV::Play(uint32_t flag) {
  if (!m_bufferValid) return;
  if (m_buffer->Play(flag) == SoundResult::kBufferLost) m_bufferValid = false;
}

void CmsWAV::PlaySE(float volum, float pan, float tempo) {
  if (!m_bufferValid) return;
  (void)m_buffer->Stop();
  (void)m_buffer->SetCurrentPosition(0);
  SetVolum(volum);
  SetPan(pan, 0, 0, 0, 0, 0);
  SetTempo(tempo);
  Play(0);
}

void CmsWAV::Pose() {
  if (m_bufferValid) (void)m_buffer->Stop();
}

void CmsWAV::SetCurrentPosition(int32_t pos) {
  if (m_bufferValid && pos >= 0) (void)m_buffer->SetCurrentPosition(static_cast<uint32_t>(pos));
}

void CmsWAV::SetTime(double time) {
  const double bytes = std::nearbyint(m_header.hz * time * m_header.blockSize);
  if (!(bytes >= 0 && bytes <= INT32_MAX)) return;
  SetCurrentPosition(static_cast<int32_t>(bytes));
}

bool CmsWAV::GetState() {
  if (!m_bufferValid) return false;
  return (m_buffer->GetStatus() & DSBSTATUS_PLAYING) != 0;
}

double CmsWAV::GetLength() const {
  if (m_header.hz == 0) return 0.0;
  return static_cast<double>(m_header.blocks) / m_header.hz;
}

void CmsWAV::SetVolum(float volum) {
  if (m_bufferValid) (void)m_buffer->SetVolume(VolumeFor(volum));
}

void CmsWAV::SetPan(float pan, float pers, float panHeight, float velocityX, float velocityZ,
                    float velocityY) {
  if (!m_bufferValid) return;
  if (m_valid3D) {
    Set3DVelocity(pan, panHeight, pers, velocityX, velocityY, velocityZ);
    return;
  }
  (void)m_buffer->SetPan(PanFor(pan));
}

void CmsWAV::SetTempo(float tempo) {
  if (m_bufferValid) (void)m_buffer->SetFrequency(FrequencyFor(tempo, m_header.hz));
}

void CmsWAV::Set3DPosition(float posX, float posY, float posZ) {
  if (m_valid3D && m_bufferValid) (void)m_buffer->Set3DPosition(posX, posY, posZ);
}

void CmsWAV::Set3DVelocity(float posX, float posY, float posZ, float vx, float vy, float vz) {
  if (!m_valid3D || !m_bufferValid) return;
  (void)m_buffer->Set3DPosition(posX, posY, posZ);
  (void)m_buffer->Set3DVelocity(vx, vy, vz);
  if (spLibSound* device = spLibSound::Current()) device->CommitDeferredSettings();
}

int32_t CmsWAV::Wave(int32_t pos) const {
  if (!m_loaded || pos < 0 || pos >= m_header.blocks) return 0;
  const void* data = m_samples.data();
  switch (m_header.formatKey) {
    case 17:
      if (auto get = BLIVO_FN(GetInt)) return get(data, pos);
      break;
    case 18:
      if (auto get = BLIVO_FN(GetInt)) return (get(data, pos) >> 1) + (get(data, pos + 1) >> 1);
      break;
    case 9:
      if (auto get = BLIVO_FN(GetIntByByte)) return get(data, pos);
      break;
    case 10:
      if (auto get = BLIVO_FN(GetIntByByte))
        return (get(data, pos) >> 1) + (get(data, pos + 1) >> 1);
      break;
    default: break;
  }
  return 0;
}

void CmsWAV::Wave(int32_t pos, int32_t value) {
  if (!m_loaded || pos < 0 || pos >= m_header.blocks) return;
  value = std::clamp(value, -32768, 32767);
  void* data = m_samples.data();
  const bool sixteen = m_header.formatKey == 17 || m_header.formatKey == 18;
  const bool stereo = m_header.formatKey == 10 || m_header.formatKey == 18;
  if (sixteen) {
    if (auto set = BLIVO_FN(SetInt)) {
      set(data, pos, value);
      if (stereo) set(data, pos + 1, value);
    }
  } else if (m_header.formatKey == 9 || m_header.formatKey == 10) {
    if (auto set = BLIVO_FN(SetIntToByte)) {
      set(data, pos, value);
      if (stereo) set(data, pos + 1, value);
    }
  }
}

int32_t CmsWAV::WaveGetLevel(int32_t pos, int32_t count, int32_t& min, int32_t& max) const {
  min = max = Wave(pos);
  const int64_t first = static_cast<int64_t>(pos) + 1;
  const int64_t last = static_cast<int64_t>(pos) + count;
  if (last < first) return 0;
  // Positions outside the wave all read as 0: one of them stands for the rest.
  if (first < 0 || last >= m_header.blocks) {
    min = std::min(min, 0);
    max = std::max(max, 0);
  }
  const int64_t hi = std::min<int64_t>(last, static_cast<int64_t>(m_header.blocks) - 1);
  for (int64_t p = std::max<int64_t>(first, 0); p <= hi; ++p) {
    const int32_t v = Wave(static_cast<int32_t>(p));
    min = std::min(min, v);
    max = std::max(max, v);
  }
  return 0;
}

int32_t CmsWAV::SaveToW1(const std::string& filename, int32_t wMode) {
  if (!m_loaded) return 1;
  util::CApi& files = SoundFiles();
  std::string path = filename;
  files.ExepathAddition(path);
  (void)files.FileDelete(path);  // a missing file is fine: the write below creates it
  bool encoded = false;
  const std::vector<uint8_t> bytes = BuildContainer(m_header, m_samples, wMode == 2, encoded);
  return WriteWholeFile(path, bytes) ? 0 : 1;
}

int32_t CmsWAV::SaveToWave(const std::string& filename) {
  if (!m_loaded) return 1;
  util::CApi& files = SoundFiles();
  std::string path = filename;
  files.ExepathAddition(path);
  const std::vector<uint8_t> bytes = BuildWaveFile(m_header, m_samples);
  return WriteWholeFile(path, bytes) ? 0 : 1;
}

}  // namespace sound

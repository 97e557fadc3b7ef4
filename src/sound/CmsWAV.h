// CmsWAV: one wave held whole in memory and played from a static buffer of the sound device.
// Loads RIFF WAVE files and the program's wave container (plain or encoded) through the pak file
// access, plays with volume, pan and pitch, and saves in either form. Relies on WaveFile,
// spLibSound and, for single samples, the pixel library's word access.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sound/CSoundBuffer.h"
#include "sound/WaveFile.h"

namespace sound {

class CmsWAV {
 public:
  CmsWAV() = default;
  ~CmsWAV();
  CmsWAV(const CmsWAV&) = delete;
  CmsWAV& operator=(const CmsWAV&) = delete;

  // 0 when loaded, 1 when not (missing, not a wave, or a format this layer does not play).
  int32_t Load(const std::string& filename);
  // A silent wave: blocks >= 1, bits 8 or 16, channels 1 or 2, hz >= 4000. 0, or 1 (nothing
  // changes).
  int32_t Add(int32_t blocks, int32_t bits, int32_t channels, int32_t hz);

  void BufferCreate(uint32_t flag = 0);
  void BufferWrite();
  void BufferDelete();
  void Play(uint32_t flag);
  void PlaySE(float volum, float pan, float tempo);
  void Pose();
  void SetCurrentPosition(int32_t pos);
  void SetTime(double time);
  [[nodiscard]] bool GetState();
  [[nodiscard]] double GetLength() const;
  void SetVolum(float volum);
  void SetPan(float pan, float pers = 0, float panHeight = 0, float velocityX = 0,
              float velocityZ = 0, float velocityY = 0);
  void SetTempo(float tempo);
  void Set3DPosition(float posX, float posY, float posZ);
  void Set3DVelocity(float posX, float posY, float posZ, float vx, float vy, float vz);

  [[nodiscard]] int32_t WaveBit() const { return m_header.bits; }
  [[nodiscard]] int32_t WaveChannel() const { return m_header.channels; }
  [[nodiscard]] int32_t WaveHz() const { return m_header.hz; }
  [[nodiscard]] int32_t WaveSize() const { return m_header.dataSize; }
  [[nodiscard]] int32_t WaveBlocks() const { return m_header.blocks; }

  // One sample value at pos (0 <= pos < blocks); 0 / nothing outside.
  [[nodiscard]] int32_t Wave(int32_t pos) const;
  void Wave(int32_t pos, int32_t value);
  // Smallest and largest of Wave(pos) .. Wave(pos + count); returns 0.
  int32_t WaveGetLevel(int32_t pos, int32_t count, int32_t& min, int32_t& max) const;

  // The container: wMode 2 "<W2>" (encoded), anything else "<W1>". 0, or 1 when nothing is
  // loaded or the file cannot be written. Samples that do not encode are stored plain.
  int32_t SaveToW1(const std::string& filename, int32_t wMode);
  // A standard PCM WAVE file. 0, or 1 when nothing is loaded or a step fails.
  int32_t SaveToWave(const std::string& filename);

  [[nodiscard]] bool Loaded() const { return m_loaded; }
  [[nodiscard]] bool BufferValid() const { return m_bufferValid; }
  [[nodiscard]] bool Valid3D() const { return m_valid3D; }
  [[nodiscard]] const WaveHeader& Header() const { return m_header; }
  [[nodiscard]] std::span<const uint8_t> Samples() const { return m_samples; }
  // Where the samples came from (RIFF, plain or encoded container).
  [[nodiscard]] WaveSource Source() const { return m_source; }
  [[nodiscard]] CSoundBuffer* Buffer() const { return m_buffer.get(); }
  // Takes an already scanned wave (tools, tests).
  void Adopt(WaveScan scan);

 private:
  bool m_loaded = false;
  bool m_bufferValid = false;
  bool m_valid3D = false;
  WaveHeader m_header;
  std::vector<uint8_t> m_samples;
  std::unique_ptr<CSoundBuffer> m_buffer;
  WaveSource m_source = WaveSource::kNone;
};

}  // namespace sound

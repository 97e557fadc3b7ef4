// CmsSTM: a long PCM wave played without loading it whole. The file stays open through a pak
// access of its own, and a circular buffer of 1 000 000 bytes is refilled from it by
// BufferUpdate, which the owner calls every frame while the sound plays. Accepts what CmsWAV
// accepts except the encoded container.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sound/CSoundBuffer.h"
#include "sound/WaveFile.h"
#include "util/CApi.h"

namespace sound {

class CmsSTM {
 public:
  static constexpr int32_t kBufferSize = 1000000;
  static constexpr int32_t kMaxStep = 100000;
  static constexpr int32_t kAhead = 900000;
  static constexpr int32_t kSeekLead = 1600;

  CmsSTM();
  ~CmsSTM();
  CmsSTM(const CmsSTM&) = delete;
  CmsSTM& operator=(const CmsSTM&) = delete;

  // 1 when no file is open afterwards, else 0. The open file's own name again does nothing.
  int32_t FileOpen(const std::string& filename);
  void FileClose();
  void BufferCreate(uint32_t flag = 0);
  void BufferDelete();
  void BufferUpdate();
  void Play(bool looping);
  void Pose();
  void SetCurrentPosition(int32_t pos);
  [[nodiscard]] bool GetState();
  [[nodiscard]] double GetLength() const;
  void SetTime(double time);
  void SetTempo(float tempo);
  void SetPan(float pan, float pers = 0, float panHeight = 0, float velocityX = 0,
              float velocityZ = 0, float velocityY = 0);
  void SetVolum(float volum);
  void Set3DPosition(float posX, float posY, float posZ);
  void Set3DVelocity(float posX, float posY, float posZ, float vx, float vy, float vz);

  [[nodiscard]] bool IsOpen() const { return m_open; }
  [[nodiscard]] const WaveHeader& Header() const { return m_header; }
  [[nodiscard]] bool BufferValid() const { return m_bufferValid; }
  [[nodiscard]] CSoundBuffer* Buffer() const { return m_buffer.get(); }
  // The fill indicator, 0..100: how much of the buffer lies written ahead of the play cursor.
  [[nodiscard]] int32_t Fill() const { return m_fill; }
  [[nodiscard]] bool Ending() const { return m_ending; }
  [[nodiscard]] int64_t ReadPosition() const { return m_readPos; }
  [[nodiscard]] int64_t DataStart() const { return m_dataStart; }
  [[nodiscard]] int64_t DataEnd() const { return m_dataEnd; }
  [[nodiscard]] int32_t NextWrite() const { return m_nextWrite; }

 private:
  void Step();

  util::CApi m_api;
  bool m_open = false;
  std::string m_name;
  WaveHeader m_header;
  int16_t m_handle = 0;
  int64_t m_dataStart = 0;  // 1-based file position of the first sample byte
  int64_t m_dataEnd = 0;    // the position after the last one

  int64_t m_readPos = 0;
  int32_t m_nextWrite = 0;
  int32_t m_lastPlay = 0;
  int32_t m_prevPlay = 0;
  int32_t m_endWrite = 0;
  bool m_ending = false;
  bool m_looping = false;
  bool m_playing = false;
  int32_t m_seekPos = 0;
  bool m_seekRequested = false;
  int32_t m_fill = 0;

  std::vector<uint8_t> m_scratch;
  std::unique_ptr<CSoundBuffer> m_buffer;
  bool m_bufferValid = false;
  bool m_valid3D = false;
};

}  // namespace sound

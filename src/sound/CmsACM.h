// CmsACM: background music, one file at a time. The decoding back end (libsndfile: WAV, FLAC,
// Ogg Vorbis and the other formats it reads) gives length, seeking, a rate of 0.5..2.0 and
// volume, played through the sound device's mixer; files it cannot read go to the command-string
// fallback, which can only open, play, stop, poll and loop. Looping is polled: call Update every
// frame while music plays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sound/CMciStrings.h"

namespace sound {

class CmsACM {
 public:
  // False: the file loops. True: it plays once and then stays stopped.
  bool PlayAtOnce = false;

  // The fallback's command device; null gives the built-in one.
  explicit CmsACM(std::unique_ptr<IMusicCommands> commands = nullptr);
  ~CmsACM();
  CmsACM(const CmsACM&) = delete;
  CmsACM& operator=(const CmsACM&) = delete;

  // 0 when the file exists (whichever back end then plays it), 1 when it does not (nothing
  // changes then). feedTime has no effect.
  int32_t Load(const std::string& mediaFile, double feedTime = 0, float tempo = 0,
               float volum = 1, double startedTime = 0);
  void Play();
  void Pose();
  void Update();
  [[nodiscard]] double GetLength() const;
  [[nodiscard]] bool GetState() const { return m_state == 2; }
  void SetTime(double time);
  void SetTempo(float tempo);
  void SetVolum(float volum);
  void CloseDevice();

  // 0 nothing loaded, 1 loaded, 2 playing, 3 stopped or finished.
  [[nodiscard]] int32_t State() const { return m_state; }
  // True when the current file plays through the decoding back end.
  [[nodiscard]] bool DecoderMode() const { return m_mode; }
  [[nodiscard]] double Rate() const { return m_rate; }
  // Length rounded to 2 decimals, as read at open.
  [[nodiscard]] double RoundedLength() const { return m_length; }
  // Seconds played (decoding back end; 0 otherwise).
  [[nodiscard]] double Position() const;

 private:
  struct Decoded;
  bool OpenDecoded(const std::string& path);
  void ReleaseDecoded();
  void SetRate(double rate);
  void RunDecoded();

  double m_rate = 1.0;
  std::string m_decodedName;
  double m_length = 0.0;
  double m_start = 0.0;
  std::unique_ptr<Decoded> m_decoded;
  int32_t m_state = 0;
  bool m_available = true;
  std::string m_fileName;
  bool m_mode = false;
  bool m_running = false;
  std::unique_ptr<IMusicCommands> m_commands;
};

}  // namespace sound

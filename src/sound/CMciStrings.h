// The music fallback: a small command-string device that knows the vocabulary the music player
// speaks to it ("open \"file\" alias bgmfile ", "play bgmfile ", "play bgmfile from 0 ",
// "stop bgmfile ", "close bgmfile ", "status bgmfile mode "). It plays the files the wave loader
// reads (RIFF WAVE and the program's containers) through the sound device; anything else opens
// to silence. Only open, play, stop, poll and loop: no length, seeking, rate or volume.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sound/CmsWAV.h"

namespace sound {

class IMusicCommands {
 public:
  virtual ~IMusicCommands() = default;
  // 0 when the command was carried out, non-zero otherwise; answer receives the reply.
  virtual int32_t SendString(const std::string& command, std::string* answer) = 0;
};

class CMciStrings final : public IMusicCommands {
 public:
  int32_t SendString(const std::string& command, std::string* answer) override;

 private:
  std::string m_alias;
  std::unique_ptr<CmsWAV> m_wave;
};

}  // namespace sound

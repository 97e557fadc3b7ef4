// The SDL2 audio device behind the mixer: opened at the mixer's format (SDL converts when the
// hardware differs), fed from SDL's audio callback, watched for disconnection.
#include <SDL.h>

#include <utility>

#include "sound/IAudioOutput.h"

namespace sound {

namespace {

class CSdlAudioOutput final : public IAudioOutput {
 public:
  ~CSdlAudioOutput() override { Close(); }

  bool Open(const MixFormat& format, Fill fill, int32_t& periodFrames) override {
    Close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    m_subsystem = true;
    m_fill = std::move(fill);
    m_blockAlign = format.BlockAlign();
    SDL_AudioSpec want{};
    want.freq = format.hz;
    want.format = format.bits == 8 ? AUDIO_U8 : AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(format.channels);
    want.samples = 1024;
    want.callback = &CSdlAudioOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0) {
      Close();
      return false;
    }
    periodFrames = have.samples > 0 ? have.samples : 1024;
    SDL_PauseAudioDevice(m_device, 0);
    return true;
  }

  void Close() override {
    if (m_device != 0) SDL_CloseAudioDevice(m_device);  // waits for a running callback
    m_device = 0;
    if (m_subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_subsystem = false;
    m_fill = nullptr;
  }

  bool Lost() override {
    return m_device != 0 && SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED;
  }

 private:
  static void Callback(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<CSdlAudioOutput*>(userdata);
    if (self->m_blockAlign <= 0) return;
    self->m_fill(stream, len / self->m_blockAlign);
  }

  SDL_AudioDeviceID m_device = 0;
  bool m_subsystem = false;
  Fill m_fill;
  int32_t m_blockAlign = 0;
};

}  // namespace

std::unique_ptr<IAudioOutput> MakeSdlAudioOutput() { return std::make_unique<CSdlAudioOutput>(); }

}  // namespace sound

// spLibSound: the sound device. Opens the audio output at the engine's format, owns the mixer,
// and makes the secondary buffers the sound classes play from. Without an output (none there,
// or lost mid-game) it stays silent while time still passes for the buffers, and it tries to
// open the output again every few seconds. Relies on CMixer and an IAudioOutput (SDL2).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/ISoundDevice.h"
#include "sound/CMixer.h"
#include "sound/CSoundBuffer.h"
#include "sound/IAudioOutput.h"
#include "util/IClock.h"

namespace sound {

class spLibSound final : public engine::ISoundDevice {
 public:
  using OutputFactory = std::function<std::unique_ptr<IAudioOutput>()>;
  static constexpr uint32_t kRetryMs = 2000;

  // The newest device alive is the one the sound classes use.
  explicit spLibSound(OutputFactory factory = MakeSdlAudioOutput, util::IClock* clock = nullptr);
  ~spLibSound() override;
  spLibSound(const spLibSound&) = delete;
  spLibSound& operator=(const spLibSound&) = delete;

  static spLibSound* Current();

  // Formats outside 8/16 bits, 1/2 channels or 4000..192000 Hz fall back to 44100 Hz, 16-bit
  // stereo. Errors are ignored: without an output the device runs silent.
  void Start(int32_t hz, int32_t bits, int32_t channels) override;
  // Every buffer becomes lost.
  void Stop() override;
  [[nodiscard]] bool Started() const override { return m_started; }

  // A buffer for PCM of this format, or null (device not started, bad format or size).
  // GLOBALFOCUS and GETCURRENTPOSITION2 are added as always.
  std::unique_ptr<CSoundBuffer> CreateBuffer(int32_t bytes, int32_t hz, int32_t bits,
                                             int32_t channels, uint32_t flags);
  // The listener's deferred settings: applied at once here, so committing has nothing to do.
  void CommitDeferredSettings() {}

  // Checks the output (lost? back again?) and lets silent time pass. Buffer calls run it.
  void Pump();
  [[nodiscard]] bool OutputOpen() const { return m_open; }
  [[nodiscard]] const MixFormat& Format() const { return m_format; }
  [[nodiscard]] std::shared_ptr<CMixer> Mixer() const { return m_mixer; }

 private:
  void TryOpen();

  OutputFactory m_factory;
  util::IClock* m_clock;
  std::unique_ptr<IAudioOutput> m_output;
  std::shared_ptr<CMixer> m_mixer;
  MixFormat m_format;
  bool m_started = false;
  bool m_open = false;
  uint32_t m_lastTry = 0;
  uint32_t m_lastAdvance = 0;
  int64_t m_advanceRemainder = 0;
  spLibSound* m_previous = nullptr;
};

}  // namespace sound

// The sound device: output lifetime, the silent clock, buffer creation.
#include "sound/spLibSound.h"

#include <utility>

namespace sound {

namespace {
spLibSound* g_current = nullptr;
}

spLibSound::spLibSound(OutputFactory factory, util::IClock* clock)
    : m_factory(std::move(factory)), m_clock(clock != nullptr ? clock : &util::SteadyClock()) {
  m_previous = g_current;
  g_current = this;
}

spLibSound::~spLibSound() {
  Stop();
  if (g_current == this) g_current = m_previous;
}

spLibSound* spLibSound::Current() { return g_current; }

void spLibSound::Start(int32_t hz, int32_t bits, int32_t channels) {
  Stop();
  MixFormat f{hz, bits, channels};
  if ((bits != 8 && bits != 16) || (channels != 1 && channels != 2) || hz < 4000 || hz > 192000)
    f = MixFormat{};
  m_format = f;
  m_mixer = std::make_shared<CMixer>(f);
  m_mixer->SetPump([this] { Pump(); });
  if (m_factory) m_output = m_factory();
  m_started = true;
  m_lastAdvance = m_clock->NowMs();
  m_advanceRemainder = 0;
  TryOpen();
}

void spLibSound::TryOpen() {
  m_lastTry = m_clock->NowMs();
  if (!m_output) return;
  int32_t period = 1024;
  CMixer* mixer = m_mixer.get();
  m_open = m_output->Open(m_format, [mixer](uint8_t* out, int32_t frames) { mixer->Mix(out, frames); },
                          period);
  if (m_open) m_mixer->SetDevicePeriod(period);
}

void spLibSound::Stop() {
  if (!m_started) return;
  if (m_output) m_output->Close();
  m_output.reset();
  m_open = false;
  m_mixer->SetPump(nullptr);
  m_mixer->ReleaseAll();
  m_mixer->Reap();
  m_mixer.reset();
  m_started = false;
}

void spLibSound::Pump() {
  if (!m_started) return;
  const uint32_t now = m_clock->NowMs();
  if (m_open && m_output->Lost()) {
    m_output->Close();
    m_open = false;
    m_lastTry = now;
    m_lastAdvance = now;
  }
  if (!m_open) {
    // Nobody pulls samples: let the voices move on as if they were heard.
    const int64_t elapsed = static_cast<uint32_t>(now - m_lastAdvance);
    m_lastAdvance = now;
    const int64_t scaled = elapsed * m_format.hz + m_advanceRemainder;
    m_mixer->Advance(scaled / 1000);
    m_advanceRemainder = scaled % 1000;
    if (static_cast<uint32_t>(now - m_lastTry) >= kRetryMs) TryOpen();
  }
  m_mixer->Reap();
}

std::unique_ptr<CSoundBuffer> spLibSound::CreateBuffer(int32_t bytes, int32_t hz, int32_t bits,
                                                       int32_t channels, uint32_t flags) {
  if (!m_started) return nullptr;
  flags |= DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
  const CMixer::Id id = m_mixer->Create(bytes, hz, bits, channels, flags);
  if (id.slot < 0) return nullptr;
  return std::make_unique<CSoundBuffer>(m_mixer, id, static_cast<uint32_t>(bytes), flags);
}

}  // namespace sound

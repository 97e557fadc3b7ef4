// Music: libsndfile decodes the whole file to 16-bit PCM into one buffer of the sound device,
// whose frequency carries the rate; the fallback is driven by command strings.
#include "sound/CmsACM.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "sound/SoundShared.h"
#include "sound/spLibSound.h"

namespace sound {

namespace {

constexpr const char* kPlay = "play bgmfile ";
constexpr const char* kStop = "stop bgmfile ";
constexpr const char* kClose = "close bgmfile ";
constexpr const char* kStatus = "status bgmfile mode ";
constexpr const char* kRestart = "play bgmfile from 0 ";
constexpr int64_t kChunkFrames = 65536;

}  // namespace

struct CmsACM::Decoded {
  std::unique_ptr<CSoundBuffer> buffer;
  int32_t hz = 0;
  int32_t blockAlign = 0;
  int64_t frames = 0;
};

CmsACM::CmsACM(std::unique_ptr<IMusicCommands> commands)
    : m_commands(commands ? std::move(commands) : std::make_unique<CMciStrings>()) {}

CmsACM::~CmsACM() { CloseDevice(); }

bool CmsACM::OpenDecoded(const std::string& path) {
  spLibSound* device = spLibSound::Current();
  if (device == nullptr) return false;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return false;
  auto closer = std::unique_ptr<SNDFILE, int (*)(SNDFILE*)>(file, &sf_close);
  if (info.channels < 1 || info.channels > 2) return false;
  if (info.samplerate < DSBFREQUENCY_MIN || info.samplerate > DSBFREQUENCY_MAX * 2) return false;
  // The header's frame count is not trusted: read in chunks up to the largest buffer.
  const int64_t blockAlign = 2 * info.channels;
  const int64_t maxFrames = DSBSIZE_MAX / blockAlign;
  std::vector<int16_t> pcm;
  for (;;) {
    const size_t have = pcm.size();
    const int64_t framesSoFar = static_cast<int64_t>(have) / info.channels;
    if (framesSoFar >= maxFrames) return false;
    const int64_t want = std::min(kChunkFrames, maxFrames - framesSoFar);
    pcm.resize(have + static_cast<size_t>(want * info.channels));
    const sf_count_t got = sf_readf_short(file, pcm.data() + have, want);
    pcm.resize(have + static_cast<size_t>(std::max<sf_count_t>(got, 0) * info.channels));
    if (got < want) break;
  }
  const auto frames = static_cast<int64_t>(pcm.size()) / info.channels;
  if (frames < 1) return false;
  auto decoded = std::make_unique<Decoded>();
  decoded->hz = info.samplerate;
  decoded->blockAlign = static_cast<int32_t>(blockAlign);
  decoded->frames = frames;
  decoded->buffer =
      device->CreateBuffer(static_cast<int32_t>(frames * blockAlign), info.samplerate, 16,
                           info.channels, DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY);
  if (!decoded->buffer) return false;
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(pcm.data()),
                                       pcm.size() * sizeof(int16_t));
  if (decoded->buffer->Write(0, bytes) != SoundResult::kOk) return false;
  m_decoded = std::move(decoded);
  return true;
}

void CmsACM::ReleaseDecoded() {
  m_decoded.reset();
  m_running = false;
}

void CmsACM::SetRate(double rate) {
  if (!m_decoded) return;
  rate = std::clamp(rate, 0.5, 2.0);
  const double hz = std::clamp(std::nearbyint(rate * m_decoded->hz),
                               static_cast<double>(DSBFREQUENCY_MIN),
                               static_cast<double>(DSBFREQUENCY_MAX));
  (void)m_decoded->buffer->SetFrequency(static_cast<int32_t>(hz));
  int32_t actual = m_decoded->hz;
  if (m_decoded->buffer->GetFrequency(actual) == SoundResult::kOk)
    m_rate = static_cast<double>(actual) / m_decoded->hz;
}

int32_t CmsACM::Load(const std::string& mediaFile, double feedTime, float tempo, float volum,
                     double startedTime) {
  (void)feedTime;
  util::CApi& files = SoundFiles();
  std::string path = mediaFile;
  files.ExepathAddition(path);
  if (!files.DirFile(path)) return 1;
  if (m_mode) {
    ReleaseDecoded();
  } else {
    m_commands->SendString(kStop, nullptr);
    m_commands->SendString(kClose, nullptr);
  }
  m_state = 0;
  m_fileName = path;
  m_mode = m_available;
  if (m_mode) {
    if (tempo < -12.0f || tempo > 12.0f) tempo = 0.0f;
    m_rate = std::pow(1.0594631f, tempo);
    if (OpenDecoded(path)) {
      m_decodedName = path;
      (void)m_decoded->buffer->SetVolume(0);
      SetRate(m_rate);
      const double duration = static_cast<double>(m_decoded->frames) / m_decoded->hz;
      m_length = std::nearbyint(duration * 100.0) / 100.0;
      m_start = 0.0;
    } else {
      ReleaseDecoded();
      m_mode = false;
    }
  }
  if (!m_mode) m_commands->SendString("open \"" + path + "\" alias bgmfile ", nullptr);
  SetVolum(volum);
  SetTime(startedTime);
  m_state = 1;
  return 0;
}

double CmsACM::Position() const {
  if (!m_mode || !m_decoded) return 0.0;
  uint32_t play = 0, write = 0;
  if (m_decoded->buffer->GetCurrentPosition(play, write) != SoundResult::kOk) return 0.0;
  return static_cast<double>(play / static_cast<uint32_t>(m_decoded->blockAlign)) /
         m_decoded->hz;
}

void CmsACM::RunDecoded() {
  if (!m_decoded) return;
  if (std::nearbyint(Position()) < std::nearbyint(m_start)) {
    SetTime(m_start);
  } else if (std::nearbyint(Position()) == std::nearbyint(m_length)) {
    SetTime(m_start);  // a finished file starts again
  }
  if (m_decoded->buffer->Play(0) != SoundResult::kOk) {
    SetRate(1.0);
    (void)m_decoded->buffer->Play(0);
  }
  m_running = true;
}

void CmsACM::Play() {
  if (m_state <= 0) return;
  if (m_mode) {
    RunDecoded();
  } else {
    m_commands->SendString(kPlay, nullptr);
  }
  m_state = 2;
}

void CmsACM::Pose() {
  if (m_mode) {
    if (m_decoded) (void)m_decoded->buffer->Stop();
    m_running = false;
  } else {
    m_commands->SendString(kStop, nullptr);
  }
  m_state = 3;
}

void CmsACM::Update() {
  if (m_state != 2) return;
  if (m_mode) {
    if (!m_decoded || !m_running) return;
    const bool completed = (m_decoded->buffer->GetStatus() & DSBSTATUS_PLAYING) == 0;
    if (!completed) return;
    m_running = false;
    if (!PlayAtOnce) {
      RunDecoded();
    } else {
      m_state = 3;
    }
    return;
  }
  std::string answer;
  m_commands->SendString(kStatus, &answer);
  if (answer == "stopped") {
    if (!PlayAtOnce) {
      m_commands->SendString(kRestart, nullptr);
    } else {
      m_state = 3;
    }
  }
}

double CmsACM::GetLength() const {
  if (!m_mode || !m_decoded) return 0.0;
  return static_cast<double>(m_decoded->frames) / m_decoded->hz;
}

void CmsACM::SetTime(double time) {
  if (!m_mode || !m_decoded) return;
  const double frame = std::nearbyint(time * m_decoded->hz);
  if (!(frame >= 0 && frame < static_cast<double>(m_decoded->frames))) return;
  (void)m_decoded->buffer->SetCurrentPosition(
      static_cast<uint32_t>(static_cast<int64_t>(frame) * m_decoded->blockAlign));
}

void CmsACM::SetTempo(float tempo) {
  if (!m_mode || !m_decoded) return;
  SetRate(std::pow(1.0594631f, tempo));
  const double duration = static_cast<double>(m_decoded->frames) / m_decoded->hz;
  m_length = std::nearbyint(duration * 100.0) / 100.0;
}

void CmsACM::SetVolum(float volum) {
  if (!m_mode || !m_decoded) return;
  const double v = std::nearbyint((static_cast<double>(volum) - 1.0) * 4000.0);
  if (!(v >= INT32_MIN && v <= INT32_MAX)) return;
  (void)m_decoded->buffer->SetVolume(static_cast<int32_t>(v));
}

void CmsACM::CloseDevice() {
  m_commands->SendString(kStop, nullptr);
  m_commands->SendString(kClose, nullptr);
  ReleaseDecoded();
}

}  // namespace sound

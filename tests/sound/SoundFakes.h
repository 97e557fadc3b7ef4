// Test doubles and fixtures for the sound layer: an audio output the test pulls samples from by
// hand, a clock driven by hand, and builders of small RIFF WAVE files.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "sound/IAudioOutput.h"
#include "util/IClock.h"

namespace soundtest {

class FakeClock : public util::IClock {
 public:
  uint32_t NowMs() override { return now; }
  void SleepMs(uint32_t ms) override { now += ms; }
  uint32_t now = 1000;
};

// What the fake outputs share with the test that made them.
struct OutputState {
  bool available = true;   // Open succeeds
  bool lost = false;       // the opened device went away
  int32_t opens = 0;
  sound::IAudioOutput::Fill fill;
  sound::MixFormat format;
};

class FakeOutput final : public sound::IAudioOutput {
 public:
  explicit FakeOutput(OutputState& s) : m_s(s) {}
  bool Open(const sound::MixFormat& format, Fill fill, int32_t& periodFrames) override {
    ++m_s.opens;
    if (!m_s.available) return false;
    m_s.lost = false;
    m_s.fill = std::move(fill);
    m_s.format = format;
    periodFrames = 256;
    return true;
  }
  void Close() override { m_s.fill = nullptr; }
  bool Lost() override { return m_s.lost; }

 private:
  OutputState& m_s;
};

// Pulls frames of 16-bit output from the device as the audio thread would.
inline std::vector<int16_t> Pull(OutputState& s, int32_t frames) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * s.format.channels, 0);
  if (s.fill) s.fill(reinterpret_cast<uint8_t*>(out.data()), frames);
  return out;
}

inline void Le32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void Le16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Tag(std::vector<uint8_t>& b, const char* t) { b.insert(b.end(), t, t + 4); }

struct WavShape {
  int32_t formatTag = 1;
  int32_t channels = 2;
  int32_t hz = 22050;
  int32_t bits = 16;
  int32_t fmtSize = 16;         // 14, 16 or 18
  bool fact = false;
  int64_t dataField = -1;       // -1: the real size
  int64_t riffField = -1;       // -1: the real size
};

// A RIFF WAVE file around the given sample bytes.
inline std::vector<uint8_t> MakeWav(const WavShape& w, const std::vector<uint8_t>& samples) {
  std::vector<uint8_t> b;
  Tag(b, "RIFF");
  Le32(b, 0);
  Tag(b, "WAVE");
  Tag(b, "fmt ");
  Le32(b, static_cast<uint32_t>(w.fmtSize));
  const int32_t align = w.bits / 8 * w.channels;
  Le16(b, static_cast<uint32_t>(w.formatTag));
  Le16(b, static_cast<uint32_t>(w.channels));
  Le32(b, static_cast<uint32_t>(w.hz));
  Le32(b, static_cast<uint32_t>(w.hz * align));
  Le16(b, static_cast<uint32_t>(align));
  if (w.fmtSize > 14) Le16(b, static_cast<uint32_t>(w.bits));
  if (w.fmtSize > 16) Le16(b, 0);
  if (w.fact) {
    Tag(b, "fact");
    Le32(b, 4);
    Le32(b, static_cast<uint32_t>(samples.size() / static_cast<size_t>(std::max(align, 1))));
  }
  Tag(b, "data");
  Le32(b, static_cast<uint32_t>(w.dataField >= 0 ? w.dataField : static_cast<int64_t>(samples.size())));
  b.insert(b.end(), samples.begin(), samples.end());
  const uint32_t riff = w.riffField >= 0 ? static_cast<uint32_t>(w.riffField)
                                         : static_cast<uint32_t>(b.size() - 8);
  std::memcpy(&b[4], &riff, 4);
  return b;
}

// 16-bit samples as bytes.
inline std::vector<uint8_t> Bytes16(const std::vector<int16_t>& s) {
  std::vector<uint8_t> b(s.size() * 2);
  std::memcpy(b.data(), s.data(), b.size());
  return b;
}

inline std::vector<uint8_t> Pattern(size_t n, uint32_t seed = 1) {
  std::vector<uint8_t> b(n);
  uint32_t x = seed;
  for (auto& v : b) {
    x = x * 1664525u + 1013904223u;
    v = static_cast<uint8_t>(x >> 24);
  }
  return b;
}

// A scratch folder removed with the object.
struct TempDir {
  std::filesystem::path path;
  TempDir() {
    char tmpl[] = "/tmp/tumbleroo_sound_XXXXXX";
    path = mkdtemp(tmpl);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  [[nodiscard]] std::string File(const std::string& name) const { return (path / name).string(); }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    FILE* f = std::fopen(File(name).c_str(), "wb");
    if (f == nullptr) return;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  [[nodiscard]] std::vector<uint8_t> Read(const std::string& name) const {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(File(name).c_str(), "rb");
    if (f == nullptr) return bytes;
    for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return bytes;
  }
};

}  // namespace soundtest

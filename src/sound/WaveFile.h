// Wave files: the 36-byte wave header, the scan that reads RIFF WAVE files and the program's own
// wave container ("<W1>" plain, "<W2>" encoded), and the writers of both. Pure functions over a
// byte reader, so the pak access, tools and the fuzzer share them. Every size taken from a file
// is checked against the bytes that really follow before anything is allocated.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "util/CApi.h"

namespace sound {

struct WaveHeader {
  int32_t fmtSize = 0;    // informational
  int32_t factSize = 0;   // informational
  int32_t dataSize = 0;   // bytes, a multiple of blockSize
  int32_t riffSize = 0;   // informational
  int32_t blockSize = 0;  // bits / 8 * channels
  int32_t bits = 0;       // 8 or 16 (stored in 2 bytes)
  int32_t channels = 0;   // 1 or 2 (stored in 2 bytes)
  int32_t hz = 0;
  int32_t blocks = 0;
  int32_t formatKey = 0;  // bits + channels

  static constexpr size_t kBytes = 36;
  [[nodiscard]] std::array<uint8_t, kBytes> ToBytes() const;
  static WaveHeader FromBytes(std::span<const uint8_t, kBytes> bytes);
  bool operator==(const WaveHeader&) const = default;
};

enum class WaveSource { kNone, kRiff, kW1, kW2 };
const char* WaveSourceName(WaveSource source);

// Reads up to dst.size() bytes at a 0-based offset of the file; returns how many it read.
using ByteReader = std::function<size_t(int64_t offset, std::span<uint8_t> dst)>;

struct WaveScan {
  WaveHeader header;
  WaveSource source = WaveSource::kNone;
  int64_t dataOffset = 0;        // 0-based offset of the first sample byte in the file
  std::vector<uint8_t> samples;  // filled unless only the header was asked for
};

constexpr int32_t kMinHz = 4000;
constexpr int32_t kMaxHz = 96000;

// Scans a file of `length` bytes. headerOnly leaves the samples unread (the encoded container
// cannot be read that way and is refused then). decoders null: the pixel library's.
// False when the file is not a wave this program can play.
bool ScanWave(const ByteReader& read, int64_t length, bool headerOnly, WaveScan& out,
              const util::CApi::BlockDecoders* decoders = nullptr);
// The same over bytes in memory.
bool ScanWaveBytes(std::span<const uint8_t> file, bool headerOnly, WaveScan& out,
                   const util::CApi::BlockDecoders* decoders = nullptr);

// Whether a container's header describes a playable format consistent with its data size.
bool ValidContainerHeader(const WaveHeader& h);

// The container file's bytes. encoded: "<W2>" through the mode 1 encoder; when the samples do
// not encode, the plain "<W1>" form is produced and usedEncoded says so.
std::vector<uint8_t> BuildContainer(const WaveHeader& h, std::span<const uint8_t> samples,
                                    bool encoded, bool& usedEncoded,
                                    const util::CApi::BlockEncoders* encoders = nullptr);
// A standard PCM WAVE file (RIFF, a 16-byte "fmt " chunk, "data", a pad byte for odd sizes).
std::vector<uint8_t> BuildWaveFile(const WaveHeader& h, std::span<const uint8_t> samples);

// Writes bytes to a file, replacing it; false when that fails.
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace sound

// The wave scan and the writers. The RIFF scan keeps the counter of header bytes that the old
// loader kept (it decides the data size when the file does not), but never reads or allocates
// past the file's real end.
#include "sound/WaveFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace sound {

namespace {

void Put32(uint8_t* p, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
  p[2] = static_cast<uint8_t>(u >> 16);
  p[3] = static_cast<uint8_t>(u >> 24);
}

void Put16(uint8_t* p, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
}

int32_t Get32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}

int32_t Get16(const uint8_t* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
}

// Sequential little-endian reads; past the end they give zeros and set `short_`.
class Cursor {
 public:
  Cursor(const ByteReader& read, int64_t length) : m_read(read), m_length(length) {}
  void Bytes(uint8_t* dst, size_t n) {
    std::memset(dst, 0, n);
    if (m_pos < m_length) {
      const auto avail = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n), m_length - m_pos));
      if (m_read(m_pos, {dst, avail}) != avail) m_short = true;
      if (avail < n) m_short = true;
    } else {
      m_short = true;
    }
    m_pos += static_cast<int64_t>(n);
  }
  int32_t I32() {
    uint8_t b[4];
    Bytes(b, 4);
    return Get32(b);
  }
  int32_t U16() {
    uint8_t b[2];
    Bytes(b, 2);
    return b[0] | b[1] << 8;
  }
  [[nodiscard]] int64_t Pos() const { return m_pos; }
  [[nodiscard]] int64_t Remaining() const { return std::max<int64_t>(0, m_length - m_pos); }
  [[nodiscard]] bool Short() const { return m_short; }

 private:
  const ByteReader& m_read;
  int64_t m_length;
  int64_t m_pos = 0;
  bool m_short = false;
};

bool ScanContainer(Cursor& c, bool encoded, bool headerOnly, WaveScan& out,
                   const util::CApi::BlockDecoders* decoders) {
  std::array<uint8_t, WaveHeader::kBytes> raw{};
  c.Bytes(raw.data(), raw.size());
  const int32_t n = c.I32();
  if (c.Short()) return false;
  out.header = WaveHeader::FromBytes(raw);
  if (!ValidContainerHeader(out.header)) return false;
  // n bytes must really follow before anything is sized by it.
  if (n <= 0 || n > c.Remaining()) return false;
  if (!encoded && n != out.header.dataSize) return false;
  out.source = encoded ? WaveSource::kW2 : WaveSource::kW1;
  out.dataOffset = c.Pos();
  if (headerOnly) return !encoded;
  std::vector<uint8_t> bytes(static_cast<size_t>(n));
  c.Bytes(bytes.data(), bytes.size());
  if (c.Short()) return false;
  if (encoded) {
    std::vector<uint8_t> decoded;
    const util::CApi::BlockDecoders lib = decoders != nullptr ? *decoders
                                                              : util::CApi::LibraryDecoders();
    if (util::CApi::DecodeBlock(bytes, lib, decoded) != 0) return false;
    if (decoded.size() != static_cast<size_t>(out.header.dataSize)) return false;
    bytes = std::move(decoded);
  }
  out.samples = std::move(bytes);
  return true;
}

}  // namespace

std::array<uint8_t, WaveHeader::kBytes> WaveHeader::ToBytes() const {
  std::array<uint8_t, kBytes> b{};
  Put32(&b[0], fmtSize);
  Put32(&b[4], factSize);
  Put32(&b[8], dataSize);
  Put32(&b[12], riffSize);
  Put32(&b[16], blockSize);
  Put16(&b[20], bits);
  Put16(&b[22], channels);
  Put32(&b[24], hz);
  Put32(&b[28], blocks);
  Put32(&b[32], formatKey);
  return b;
}

WaveHeader WaveHeader::FromBytes(std::span<const uint8_t, kBytes> b) {
  WaveHeader h;
  h.fmtSize = Get32(&b[0]);
  h.factSize = Get32(&b[4]);
  h.dataSize = Get32(&b[8]);
  h.riffSize = Get32(&b[12]);
  h.blockSize = Get32(&b[16]);
  h.bits = Get16(&b[20]);
  h.channels = Get16(&b[22]);
  h.hz = Get32(&b[24]);
  h.blocks = Get32(&b[28]);
  h.formatKey = Get32(&b[32]);
  return h;
}

const char* WaveSourceName(WaveSource source) {
  switch (source) {
    case WaveSource::kRiff: return "RIFF WAVE";
    case WaveSource::kW1: return "<W1> container";
    case WaveSource::kW2: return "<W2> encoded container";
    case WaveSource::kNone: break;
  }
  return "none";
}

bool ValidContainerHeader(const WaveHeader& h) {
  if (h.bits != 8 && h.bits != 16) return false;
  if (h.channels != 1 && h.channels != 2) return false;
  if (h.hz < kMinHz || h.hz > kMaxHz) return false;
  if (h.blockSize != h.bits / 8 * h.channels) return false;
  if (h.formatKey != h.bits + h.channels) return false;
  if (h.dataSize <= 0 || h.dataSize % h.blockSize != 0) return false;
  return h.blocks == h.dataSize / h.blockSize;
}

bool ScanWave(const ByteReader& read, int64_t length, bool headerOnly, WaveScan& out,
              const util::CApi::BlockDecoders* decoders) {
  out = WaveScan{};
  if (length <= 0) return false;
  Cursor c(read, length);
  WaveHeader& h = out.header;
  int64_t counter = -8;
  int32_t blockAlign = 0;
  for (int32_t i = 0; i < 10; ++i) {
    char tag[4];
    c.Bytes(reinterpret_cast<uint8_t*>(tag), 4);
    if (c.Short()) return false;
    counter += 4;
    if (std::memcmp(tag, "RIFF", 4) == 0) {
      h.riffSize = c.I32();
      counter += 4;
    } else if (std::memcmp(tag, "fmt ", 4) == 0) {
      h.fmtSize = c.I32();
      const int32_t formatTag = c.U16();
      h.channels = c.U16();
      h.hz = c.I32();
      (void)c.I32();  // average bytes per second
      blockAlign = c.U16();
      if (h.fmtSize > 14) h.bits = c.U16();
      if (h.fmtSize > 16) (void)c.U16();
      if (formatTag != 1 || h.channels == 0) return false;
      if (h.bits == 0) h.bits = static_cast<int32_t>(std::lrint(blockAlign * 8.0 / h.channels));
      counter += static_cast<int64_t>(h.fmtSize) + 4;
    } else if (std::memcmp(tag, "fact", 4) == 0) {
      h.factSize = c.I32();
      (void)c.I32();
      counter += static_cast<int64_t>(h.factSize) + 4;
    } else if (std::memcmp(tag, "data", 4) == 0) {
      h.dataSize = c.I32();
      counter += 4;
      break;
    } else if (std::memcmp(tag, "<W1>", 4) == 0 || std::memcmp(tag, "<W2>", 4) == 0) {
      const bool encoded = tag[2] == '2';
      if (ScanContainer(c, encoded, headerOnly, out, decoders)) return true;
      out = WaveScan{};
      return false;
    }
    if (c.Short()) return false;
  }
  int64_t riff = h.riffSize;
  if (riff < 1) riff = length - 8;
  int64_t data = h.dataSize;
  if (data < 1) data = riff - counter;
  if (data < 1) return false;
  if (h.channels != 1 && h.channels != 2) return false;
  if (h.bits != 8 && h.bits != 16) return false;
  if (h.hz < kMinHz || h.hz > kMaxHz) return false;
  data = std::min(data, length - counter - 8);
  // The samples are read from where the scan stopped: never more than really follows.
  data = std::min(data, c.Remaining());
  h.blockSize = static_cast<int32_t>(std::lrint(h.bits / 8.0 * h.channels));
  data -= data % h.blockSize;
  if (data <= 0) return false;
  h.riffSize = static_cast<int32_t>(std::clamp<int64_t>(riff, INT32_MIN, INT32_MAX));
  h.dataSize = static_cast<int32_t>(data);
  h.formatKey = h.channels + h.bits;
  h.blocks = h.dataSize / h.blockSize;
  out.source = WaveSource::kRiff;
  out.dataOffset = c.Pos();
  if (headerOnly) return true;
  out.samples.resize(static_cast<size_t>(data));
  c.Bytes(out.samples.data(), out.samples.size());
  if (c.Short()) {
    out = WaveScan{};
    return false;
  }
  return true;
}

bool ScanWaveBytes(std::span<const uint8_t> file, bool headerOnly, WaveScan& out,
                   const util::CApi::BlockDecoders* decoders) {
  const ByteReader read = [file](int64_t offset, std::span<uint8_t> dst) -> size_t {
    if (offset < 0 || static_cast<uint64_t>(offset) >= file.size()) return 0;
    const size_t n = std::min(dst.size(), file.size() - static_cast<size_t>(offset));
    std::memcpy(dst.data(), file.data() + offset, n);
    return n;
  };
  return ScanWave(read, static_cast<int64_t>(file.size()), headerOnly, out, decoders);
}

std::vector<uint8_t> BuildContainer(const WaveHeader& h, std::span<const uint8_t> samples,
                                    bool encoded, bool& usedEncoded,
                                    const util::CApi::BlockEncoders* encoders) {
  std::vector<uint8_t> payload;
  usedEncoded = false;
  if (encoded) {
    const util::CApi::BlockEncoders lib = encoders != nullptr ? *encoders
                                                              : util::CApi::LibraryEncoders();
    usedEncoded = util::CApi::EncodeBlock(samples, 1, lib, payload) == 0;
  }
  if (!usedEncoded) payload.assign(samples.begin(), samples.end());
  std::vector<uint8_t> file(4 + WaveHeader::kBytes + 4 + payload.size());
  std::memcpy(file.data(), usedEncoded ? "<W2>" : "<W1>", 4);
  const auto head = h.ToBytes();
  std::memcpy(file.data() + 4, head.data(), head.size());
  Put32(file.data() + 40, static_cast<int32_t>(payload.size()));
  if (!payload.empty()) std::memcpy(file.data() + 44, payload.data(), payload.size());
  return file;
}

std::vector<uint8_t> BuildWaveFile(const WaveHeader& h, std::span<const uint8_t> samples) {
  const size_t pad = samples.size() & 1;
  std::vector<uint8_t> file(44 + samples.size() + pad, 0);
  std::memcpy(&file[0], "RIFF", 4);
  Put32(&file[4], static_cast<int32_t>(36 + samples.size() + pad));
  std::memcpy(&file[8], "WAVE", 4);
  std::memcpy(&file[12], "fmt ", 4);
  Put32(&file[16], 16);
  Put16(&file[20], 1);
  Put16(&file[22], h.channels);
  Put32(&file[24], h.hz);
  Put32(&file[28], h.hz * h.blockSize);
  Put16(&file[32], h.blockSize);
  Put16(&file[34], h.bits);
  std::memcpy(&file[36], "data", 4);
  Put32(&file[40], static_cast<int32_t>(samples.size()));
  if (!samples.empty()) std::memcpy(&file[44], samples.data(), samples.size());
  return file;
}

bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!f) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size())
    return false;
  return std::fflush(f.get()) == 0;
}

}  // namespace sound

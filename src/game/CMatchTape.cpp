// CMatchTape: packing of keys, the recording file (little-endian), its checks and its CRC-32.
//
// Layout: "TBRP", format version (u16), simulation version (u16), seed (u32), mode chosen (u8),
// humans (u8), 0 (u16), round count (u32); per round: frame count (u32), step count (u32), the
// frames (owed steps u8, flags u8: bit 0 Backspace), the steps (per player 3 bytes, the packed
// key); then the CRC-32 of every byte before it (u32).
#include "game/CMatchTape.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>

namespace game {

namespace {

constexpr size_t kHeaderBytes = 20;
constexpr size_t kRoundHeaderBytes = 8;
constexpr size_t kFrameBytes = 2;
constexpr size_t kPlayerKeyBytes = 3;
constexpr size_t kStepBytes = kPlayerKeyBytes * kPlayerCount;
constexpr size_t kCrcBytes = 4;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFFu);
  Put16(out, v >> 16);
}

// Reads within the bytes given; a read past the end fails the reader for good.
struct Reader {
  std::span<const uint8_t> bytes;
  size_t at = 0;
  bool failed = false;
  bool Has(size_t n) const { return !failed && bytes.size() - at >= n; }
  uint32_t Get(size_t n) {
    if (!Has(n)) {
      failed = true;
      return 0;
    }
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    at += n;
    return v;
  }
};

uint32_t CounterClass(int32_t counter) {
  if (counter == 0) return 0;
  if (counter == 1) return 1;
  return counter > 1 ? 2 : 3;
}

}  // namespace

uint32_t CMatchTape::Crc32(std::span<const uint8_t> bytes) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (uint8_t b : bytes) crc = table[(crc ^ b) & 0xFFu] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

uint32_t CMatchTape::Pack(const VKey& key) {
  uint32_t v = 0;
  for (int32_t b = 0; b < 10; ++b) v |= CounterClass(key.Button[b]) << (2 * b);
  const auto x = static_cast<uint32_t>(std::clamp(key.x, -1, 1) + 1);
  const auto y = static_cast<uint32_t>(std::clamp(key.y, -1, 1) + 1);
  return v | (x << 20) | (y << 22);
}

VKey CMatchTape::Unpack(uint32_t packed, const VKey& previous) {
  VKey key;
  for (int32_t b = 0; b < 10; ++b) {
    const int32_t before = previous.Button[b];
    int32_t& c = key.Button[b];
    switch ((packed >> (2 * b)) & 3u) {
      case 0: c = 0; break;
      case 1: c = 1; break;
      case 2: c = before > 1 && before < INT32_MAX ? before + 1 : before == INT32_MAX ? before : 2; break;
      default: c = before > 0 ? -before : -1; break;
    }
    if (c == 1) key.Trigger = b + 1;
  }
  key.x = static_cast<int32_t>((packed >> 20) & 3u) - 1;
  key.y = static_cast<int32_t>((packed >> 22) & 3u) - 1;
  key.Direction = key.x - 3 * key.y;
  key.DirectionCount = key.Direction == previous.Direction && previous.DirectionCount < INT32_MAX
                           ? previous.DirectionCount + 1
                           : 1;
  return key;
}

std::vector<uint8_t> CMatchTape::Serialize() const {
  std::vector<uint8_t> out(kMagic, kMagic + 4);
  Put16(out, kFormatVersion);
  Put16(out, kSimulationVersion);
  Put32(out, seed);
  out.push_back(static_cast<uint8_t>(modeChosen));
  out.push_back(static_cast<uint8_t>(humanPlayers));
  Put16(out, 0);
  Put32(out, static_cast<uint32_t>(rounds.size()));
  for (const Round& round : rounds) {
    Put32(out, static_cast<uint32_t>(round.frames.size()));
    Put32(out, static_cast<uint32_t>(round.steps.size()));
    for (const Frame& f : round.frames) {
      out.push_back(f.owed);
      out.push_back(f.backspace ? 1 : 0);
    }
    for (const StepKeys& step : round.steps)
      for (uint32_t k : step) {
        out.push_back(static_cast<uint8_t>(k));
        out.push_back(static_cast<uint8_t>(k >> 8));
        out.push_back(static_cast<uint8_t>(k >> 16));
      }
  }
  Put32(out, Crc32(out));
  return out;
}

std::string CMatchTape::Parse(std::span<const uint8_t> bytes, CMatchTape& out) {
  out = CMatchTape{};
  if (bytes.size() < 4 || !std::equal(kMagic, kMagic + 4, bytes.begin()))
    return "not a Tumbleroo recording";
  if (bytes.size() < kHeaderBytes + kCrcBytes) return "the recording is damaged (too short)";
  Reader r{bytes.first(bytes.size() - kCrcBytes)};
  r.Get(4);
  const uint32_t format = r.Get(2);
  const uint32_t simulation = r.Get(2);
  if (format != kFormatVersion || simulation != kSimulationVersion)
    return "the recording is from another version of Tumbleroo (recording format " +
           std::to_string(format) + ", rules " + std::to_string(simulation) +
           "; this program plays format " + std::to_string(kFormatVersion) + ", rules " +
           std::to_string(kSimulationVersion) + ")";
  Reader tail{bytes, bytes.size() - kCrcBytes};
  if (tail.Get(4) != Crc32(bytes.first(bytes.size() - kCrcBytes)))
    return "the recording is damaged (checksum mismatch)";
  out.seed = r.Get(4);
  out.modeChosen = static_cast<int32_t>(r.Get(1));
  out.humanPlayers = static_cast<int32_t>(r.Get(1));
  const uint32_t reserved = r.Get(2);
  const uint32_t roundCount = r.Get(4);
  if (out.modeChosen > 7 || out.humanPlayers > kPlayerCount || reserved != 0)
    return "the recording is damaged (bad header)";
  // Every round takes at least its header, so the count cannot exceed what the bytes hold.
  if (roundCount > (bytes.size() - r.at) / kRoundHeaderBytes)
    return "the recording is damaged (round count)";
  out.rounds.resize(roundCount);
  for (Round& round : out.rounds) {
    const uint32_t frames = r.Get(4);
    const uint32_t steps = r.Get(4);
    if (r.failed) return "the recording is damaged (truncated)";
    const size_t left = r.bytes.size() - r.at;
    if (frames > left / kFrameBytes ||
        steps > (left - static_cast<size_t>(frames) * kFrameBytes) / kStepBytes)
      return "the recording is damaged (truncated)";
    round.frames.resize(frames);
    for (Frame& f : round.frames) {
      f.owed = static_cast<uint8_t>(r.Get(1));
      const uint32_t flags = r.Get(1);
      if (flags > 1) return "the recording is damaged (frame flags)";
      f.backspace = flags == 1;
    }
    round.steps.resize(steps);
    for (StepKeys& step : round.steps)
      for (uint32_t& k : step) {
        k = r.Get(kPlayerKeyBytes);
        if (((k >> 20) & 3u) == 3u || ((k >> 22) & 3u) == 3u)
          return "the recording is damaged (key values)";
      }
  }
  if (r.failed) return "the recording is damaged (truncated)";
  if (r.at != r.bytes.size()) return "the recording is damaged (trailing bytes)";
  return {};
}

std::string CMatchTape::Save(const std::string& path) const {
  const std::vector<uint8_t> bytes = Serialize();
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return "cannot write " + path;
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) return "cannot write " + path;
  return {};
}

std::string CMatchTape::Load(const std::string& path, CMatchTape& out) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "cannot read " + path;
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
  if (file.bad()) return "cannot read " + path;
  return Parse(bytes, out);
}

}  // namespace game

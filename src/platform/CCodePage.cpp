// iconv does each basic-plane character once; the answer is kept in a 64K table so that text
// measuring in frame loops costs a table read. ASCII never reaches iconv.
#include "CCodePage.h"

#include <iconv.h>

#include <array>
#include <atomic>
#include <climits>
#include <mutex>

namespace platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Table entry: 0 = not looked up yet; otherwise bit 31 set, bits 16..17 the byte count, low 16
// bits the code.
constexpr uint32_t kKnown = 0x80000000u;

uint32_t Pack(CCodePage::Char ch) {
  return kKnown | (static_cast<uint32_t>(ch.bytes) << 16) | ch.code;
}

CCodePage::Char Unpack(uint32_t entry) {
  return CCodePage::Char{static_cast<int32_t>((entry >> 16) & 3u), static_cast<uint16_t>(entry)};
}

constexpr CCodePage::Char kUnencodable{CCodePage::kUnencodableBytes, CCodePage::kUnencodableCode};

class Converter {
 public:
  Converter() : m_cd(iconv_open("CP932", "UTF-8")) {}
  ~Converter() {
    if (Valid()) iconv_close(m_cd);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  CCodePage::Char Convert(char32_t cp) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!Valid()) return kUnencodable;
    char in[3] = {};
    size_t inLen = 0;
    const auto v = static_cast<uint32_t>(cp);
    if (v < 0x80) {
      in[0] = static_cast<char>(v);
      inLen = 1;
    } else if (v < 0x800) {
      in[0] = static_cast<char>(0xC0 | (v >> 6));
      in[1] = static_cast<char>(0x80 | (v & 0x3F));
      inLen = 2;
    } else {
      in[0] = static_cast<char>(0xE0 | (v >> 12));
      in[1] = static_cast<char>(0x80 | ((v >> 6) & 0x3F));
      in[2] = static_cast<char>(0x80 | (v & 0x3F));
      inLen = 3;
    }
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t outLeft = sizeof out;
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(m_cd, &inPtr, &inLen, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
      return kUnencodable;
    }
    const size_t written = sizeof out - outLeft;
    const auto b0 = static_cast<unsigned char>(out[0]);
    const auto b1 = static_cast<unsigned char>(out[1]);
    if (written == 1) return CCodePage::Char{1, b0};
    if (written == 2) return CCodePage::Char{2, static_cast<uint16_t>(b0 << 8 | b1)};
    return kUnencodable;
  }

 private:
  bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

  iconv_t m_cd;
  std::mutex m_mutex;
};

Converter& SharedConverter() {
  static Converter converter;
  return converter;
}

std::array<std::atomic<uint32_t>, 0x10000>& Table() {
  static std::array<std::atomic<uint32_t>, 0x10000> table{};
  return table;
}

}  // namespace

CCodePage::Char CCodePage::Encode(char32_t codePoint) {
  if (codePoint < 0x80) return Char{1, static_cast<uint16_t>(codePoint)};
  if (codePoint > 0xFFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return kUnencodable;
  std::atomic<uint32_t>& slot = Table()[codePoint];
  const uint32_t entry = slot.load(std::memory_order_relaxed);
  if (entry != 0) return Unpack(entry);
  const Char ch = SharedConverter().Convert(codePoint);
  slot.store(Pack(ch), std::memory_order_relaxed);
  return ch;
}

int32_t CCodePage::TextByteLength(std::string_view utf8) {
  int64_t total = 0;
  size_t pos = 0;
  while (pos < utf8.size()) {
    total += Encode(NextCodePoint(utf8, pos)).bytes;
    if (total >= INT32_MAX) return INT32_MAX;
  }
  return static_cast<int32_t>(total);
}

char32_t CCodePage::NextCodePoint(std::string_view utf8, size_t& pos) {
  const auto lead = static_cast<unsigned char>(utf8[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  size_t len = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2;
    cp = lead & 0x1Fu;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3;
    cp = lead & 0x0Fu;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4;
    cp = lead & 0x07u;
    minimum = 0x10000;
  } else {
    ++pos;
    return kReplacement;
  }
  if (utf8.size() - pos < len) {
    ++pos;
    return kReplacement;
  }
  for (size_t k = 1; k < len; ++k) {
    const auto next = static_cast<unsigned char>(utf8[pos + k]);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return kReplacement;
    }
    cp = (cp << 6) | (next & 0x3Fu);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return kReplacement;
  }
  pos += len;
  return cp;
}

}  // namespace platform

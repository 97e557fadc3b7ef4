// CP932 codes through iconv, one character at a time so that an unencodable character costs
// only itself. ASCII takes a fast path.
#include "CAnsiCodePage.h"

#include <iconv.h>

#include <cerrno>

namespace platform {

namespace {

constexpr uint16_t kDefaultChar = 0x3F;

// Length of the UTF-8 sequence that starts with `lead`, 0 when it cannot start one.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

class Converter {
 public:
  Converter() : m_cd(iconv_open("CP932", "UTF-8")) {}
  ~Converter() {
    if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // The CP932 code of one UTF-8 character, or the default character.
  uint16_t Encode(std::string_view ch) {
    if (m_cd == reinterpret_cast<iconv_t>(-1)) return kDefaultChar;
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    char in[4] = {};
    for (size_t i = 0; i < ch.size() && i < sizeof in; ++i) in[i] = ch[i];
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = ch.size();
    size_t outLeft = sizeof out;
    if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return kDefaultChar;
    const size_t written = sizeof out - outLeft;
    if (written == 1) return static_cast<unsigned char>(out[0]);
    if (written == 2)
      return static_cast<uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                                   static_cast<unsigned char>(out[1]));
    return kDefaultChar;
  }

 private:
  iconv_t m_cd;
};

}  // namespace

std::vector<uint16_t> AnsiCodes(std::string_view utf8) {
  std::vector<uint16_t> codes;
  codes.reserve(utf8.size());
  static thread_local Converter converter;
  size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const size_t len = SequenceLength(lead);
    if (len == 1) {
      codes.push_back(lead);
      ++i;
      continue;
    }
    bool valid = len != 0 && i + len <= utf8.size();
    for (size_t k = 1; valid && k < len; ++k)
      valid = (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
    if (!valid) {
      codes.push_back(kDefaultChar);
      ++i;
      continue;
    }
    if (len == 4) {
      codes.push_back(kDefaultChar);
      codes.push_back(kDefaultChar);
    } else {
      codes.push_back(converter.Encode(utf8.substr(i, len)));
    }
    i += len;
  }
  return codes;
}

}  // namespace platform

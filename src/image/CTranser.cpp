// CTranser: cutting a pattern script into commands and reading its value notations.
#include "image/CTranser.h"

#include <cmath>

#include "util/CApi.h"

namespace image {

namespace {

constexpr std::string_view kKeywords[] = {"BOX", "TILE", "MUL", "XOR", "CIRCLE"};

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' ||
                        s.front() == '\n'))
    s.remove_prefix(1);
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char u = Upper(c);
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return -1;
}

// Hexadecimal digits up to the first other character; only the low 32 bits are kept.
uint32_t HexWord(std::string_view s, size_t* digits = nullptr) {
  uint32_t v = 0;
  size_t n = 0;
  for (char c : s) {
    const int d = HexDigit(c);
    if (d < 0) break;
    v = (v << 4) | static_cast<uint32_t>(d);
    ++n;
  }
  if (digits != nullptr) *digits = n;
  return v;
}

bool IsHexPrefix(std::string_view s) { return s.size() >= 2 && s[0] == '&' && Upper(s[1]) == 'H'; }
bool IsFraction(std::string_view s) { return s.size() >= 2 && s[0] == '0' && s[1] == '.'; }

uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace

int32_t CTranser::KeywordOf(std::string_view word) {
  for (size_t k = 0; k < std::size(kKeywords); ++k) {
    const std::string_view key = kKeywords[k];
    if (word.size() != key.size()) continue;
    bool same = true;
    for (size_t i = 0; i < key.size() && same; ++i) same = Upper(word[i]) == key[i];
    if (same) return static_cast<int32_t>(k) + 1;
  }
  return 0;
}

std::vector<CTranserCommand> CTranser::Parse(std::string_view script) {
  std::vector<CTranserCommand> out;
  size_t start = 0;
  while (start < script.size()) {
    size_t end = script.find(']', start);
    if (end == std::string_view::npos) end = script.size();
    std::string_view piece = script.substr(start, end - start);
    start = end + 1;
    const size_t open = piece.find('[');
    if (open == std::string_view::npos) continue;
    piece.remove_prefix(open + 1);
    const size_t space = piece.find(' ');
    const std::string_view word = piece.substr(0, space);
    const int32_t keyword = KeywordOf(word);
    if (keyword == 0) continue;
    CTranserCommand cmd;
    cmd.keyword = keyword;
    if (space != std::string_view::npos) {
      std::string_view rest = piece.substr(space + 1);
      while (true) {
        const size_t comma = rest.find(',');
        cmd.params.emplace_back(Trim(rest.substr(0, comma)));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
      }
    }
    out.push_back(std::move(cmd));
  }
  return out;
}

int32_t CTranser::Length(std::string_view text, int32_t length, int32_t fallback) {
  text = Trim(text);
  if (text.empty() || text[0] == '#') return fallback;
  if (IsHexPrefix(text)) return static_cast<int32_t>(HexWord(text.substr(2)));
  if (IsFraction(text)) {
    const double f = util::CApi::ParseNumber(text).value_or(0.0);
    return static_cast<int32_t>(std::nearbyint(f * length));
  }
  return util::CApi::LVal(text);
}

uint32_t CTranser::Colour(std::string_view text, uint32_t fallback) {
  text = Trim(text);
  if (text.empty()) return fallback;
  if (text[0] == '#') {
    const std::string_view code = text.substr(1);
    size_t digits = 0;
    const uint32_t word = HexWord(code, &digits);
    if (digits == 3 && code.size() == 3) {
      uint32_t c[3] = {};
      for (int i = 0; i < 3; ++i) {
        const uint32_t d = static_cast<uint32_t>(HexDigit(code[i]));
        c[i] = d >= 8 ? 255u : d * 32u;
      }
      return Pack((c[0] + c[1] + c[2]) / 3, c[0], c[1], c[2]);
    }
    if (digits == 6 && code.size() == 6) {
      const uint32_t r = (word >> 16) & 0xFF, g = (word >> 8) & 0xFF, b = word & 0xFF;
      return Pack((r + g + b) / 3, r, g, b);
    }
    return word;
  }
  if (IsHexPrefix(text)) return HexWord(text.substr(2));
  if (IsFraction(text)) {
    double f = util::CApi::ParseNumber(text).value_or(0.0);
    if (!(f >= 0.0)) f = 0.0;
    if (f > 1.0) f = 1.0;
    const auto g = static_cast<uint32_t>(std::nearbyint(f * 255.0));
    return g * 0x01010101u;
  }
  return static_cast<uint32_t>(util::CApi::LVal(text));
}

}  // namespace image

// CApi's strings and numbers, and the plain and scrambled text files. Text comparison folds
// ASCII letters only; lengths the program shows or pads are counted in characters (code points),
// TextLen in CP932 bytes.
#include "util/CApi.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/CCodePage.h"
#include "util/CPakArchive.h"
#include "util/LeBytes.h"
#include "util/TextCodec.h"

namespace util {

namespace fs = std::filesystem;

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

std::string Folded(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = FoldAscii(c);
  return out;
}

// Byte position of keyWord in text at or after `from`, ASCII case-insensitive; npos when absent
// (an empty keyWord is never found).
size_t FindText(std::string_view text, std::string_view keyWord, size_t from = 0) {
  if (keyWord.empty() || keyWord.size() > text.size()) return std::string_view::npos;
  for (size_t i = from; i + keyWord.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < keyWord.size() && FoldAscii(text[i + k]) == FoldAscii(keyWord[k])) ++k;
    if (k == keyWord.size()) return i;
  }
  return std::string_view::npos;
}

std::vector<std::string> SplitText(std::string_view text, std::string_view keyWord) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  size_t start = 0;
  for (;;) {
    const size_t at = FindText(text, keyWord, start);
    if (at == std::string_view::npos) break;
    pieces.emplace_back(text.substr(start, at - start));
    start = at + keyWord.size();
  }
  pieces.emplace_back(text.substr(start));
  return pieces;
}

// Byte offset of character `index` (0-based), clamped to the end.
size_t CharOffset(std::string_view s, int64_t index) {
  size_t pos = 0;
  for (int64_t i = 0; i < index && pos < s.size(); ++i)
    (void)platform::CCodePage::NextCodePoint(s, pos);
  return pos;
}

int64_t CharCount(std::string_view s) {
  int64_t count = 0;
  size_t pos = 0;
  while (pos < s.size()) {
    (void)platform::CCodePage::NextCodePoint(s, pos);
    ++count;
  }
  return count;
}

int DigitValue(char c, unsigned base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v >= 0 && static_cast<unsigned>(v) < base ? v : -1;
}

constexpr std::string_view kFullWidthDigits[10] = {"０", "１", "２", "３", "４",
                                                   "５", "６", "７", "８", "９"};
constexpr std::string_view kFullWidthMinus = "－";

bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
  std::error_code ec;
  fs::remove(path, ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

// ---- Numbers ---------------------------------------------------------------------------------

std::optional<double> CApi::ParseNumber(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n')) ++i;
  if (i < s.size() && s[i] == '&') {
    if (i + 1 >= s.size()) return 0.0;
    const char kind = FoldAscii(s[i + 1]);
    const unsigned base = kind == 'h' ? 16u : kind == 'o' ? 8u : 0u;
    if (base == 0) return 0.0;
    uint64_t v = 0;
    bool any = false;
    for (i += 2; i < s.size(); ++i) {
      const int d = DigitValue(s[i], base);
      if (d < 0) break;
      v = v * base + static_cast<unsigned>(d);
      any = true;
      if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    if (!any) return 0.0;
    // Like the runtime's literals: 16-bit values are signed 16-bit, wider ones signed 32-bit.
    if (v <= 0xFFFFu) return static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(v)));
    return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
  }
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  const size_t intStart = i;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
  const std::string_view intDigits = s.substr(intStart, i - intStart);
  std::string_view fracDigits;
  if (i < s.size() && s[i] == '.') {
    const size_t fracStart = ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    fracDigits = s.substr(fracStart, i - fracStart);
  }
  if (intDigits.empty() && fracDigits.empty()) return 0.0;
  std::string text;
  text.reserve(intDigits.size() + fracDigits.size() + 3);
  if (negative) text.push_back('-');
  text.append(intDigits.empty() ? std::string_view("0") : intDigits);
  text.push_back('.');
  text.append(fracDigits.empty() ? std::string_view("0") : fracDigits);
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small to hold is zero; too large is the parser's overflow error.
    const bool tiny = intDigits.find_first_not_of('0') == std::string_view::npos;
    if (tiny) return 0.0;
    return std::nullopt;
  }
  if (result.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
  return value;
}

int32_t CApi::LVal(std::string_view s) {
  const double v = ParseNumber(s).value_or(0.0);
  if (v < -2147483648.0) return INT32_MIN;
  if (v > 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(std::nearbyint(v));
}

int32_t CApi::LValBound(std::string_view s, int32_t min, int32_t max) {
  int32_t v = LVal(s);
  Math_Bound(v, min, max);
  return v;
}

std::string CApi::NumberText(int64_t v) { return std::to_string(v); }

std::string CApi::NumberText(uint64_t v) { return std::to_string(v); }

std::string CApi::NumberText(double v) {
  if (v == 0.0) return "0";  // also -0
  char buf[40] = {};
  std::snprintf(buf, sizeof buf, "%.15G", v);
  return buf;
}

std::string CApi::PadFront(std::string text, std::string_view formatStr) {
  const int64_t missing = CharCount(formatStr) - CharCount(text);
  if (missing <= 0) return text;
  return std::string(formatStr.substr(0, CharOffset(formatStr, missing))) + text;
}

std::string CApi::ToFullWidth(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (char c : text) {
    if (c >= '0' && c <= '9') out.append(kFullWidthDigits[c - '0']);
    else if (c == '-') out.append(kFullWidthMinus);
    else out.push_back(c);
  }
  return out;
}

int32_t CApi::UVal(std::string_view str) {
  std::string ascii(str);
  for (int d = 0; d < 10; ++d) TextChange(ascii, kFullWidthDigits[d], std::string(1, static_cast<char>('0' + d)));
  TextChange(ascii, kFullWidthMinus, "-");
  return LVal(ascii);
}

// ---- Strings ---------------------------------------------------------------------------------

int32_t CApi::TextLen(std::string_view text) { return platform::CCodePage::TextByteLength(text); }

void CApi::TextChange(std::string& text, std::string_view keyWord, std::string_view foreWord) {
  if (keyWord.empty()) return;
  size_t pos = 0;
  while ((pos = text.find(keyWord, pos)) != std::string::npos) {
    text.replace(pos, keyWord.size(), foreWord);
    pos += foreWord.size();
  }
}

std::string CApi::TrimHead(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  return std::string(text.substr(i));
}

std::string CApi::MidOther(std::string_view s, int32_t start, int32_t length,
                           std::string_view insert) {
  const int64_t first = std::max<int64_t>(start, 1) - 1;
  const int64_t count = std::max<int32_t>(length, 0);
  const size_t head = CharOffset(s, first);
  const size_t tail = head + CharOffset(s.substr(head), count);
  std::string out(s.substr(0, head));
  out.append(insert);
  out.append(s.substr(tail));
  return out;
}

std::string CApi::Divide(std::string& baseStr, std::string_view keyWord) {
  const size_t at = FindText(baseStr, keyWord);
  if (at == std::string_view::npos) {
    std::string whole = std::move(baseStr);
    baseStr.clear();
    return whole;
  }
  std::string head = baseStr.substr(0, at);
  baseStr.erase(0, at + keyWord.size());
  return head;
}

std::string CApi::DivideHalf(std::string_view baseStr, std::string_view keyWord) {
  const size_t at = FindText(baseStr, keyWord);
  return std::string(at == std::string_view::npos ? baseStr : baseStr.substr(0, at));
}

std::vector<std::string> CApi::SplitEx(std::string_view baseStr, std::string_view keyWord,
                                       int32_t divideCount) {
  std::vector<std::string> pieces =
      keyWord.empty() ? std::vector<std::string>{std::string(baseStr)} : SplitText(baseStr, keyWord);
  pieces.resize(static_cast<size_t>(std::max(divideCount, 0)));
  return pieces;
}

int32_t CApi::Search(std::string_view text, std::span<const std::string> keyWords) {
  for (size_t k = 0; k < keyWords.size() && k < INT32_MAX; ++k)
    if (FindText(text, keyWords[k]) != std::string_view::npos) return static_cast<int32_t>(k);
  return -1;
}

int32_t CApi::SearchInStr(std::string_view text, std::span<const std::string> keyWords) {
  size_t best = std::string_view::npos;
  for (const std::string& key : keyWords) best = std::min(best, FindText(text, key));
  if (best == std::string_view::npos) return 0;
  return static_cast<int32_t>(std::min<int64_t>(CharCount(text.substr(0, best)) + 1, INT32_MAX));
}

std::vector<std::string> CApi::ArrayStrDivide(std::string_view text, std::string_view keyWord) {
  std::vector<std::string> pieces;
  for (std::string& piece : keyWord.empty() ? std::vector<std::string>{std::string(text)}
                                            : SplitText(text, keyWord))
    if (!piece.empty()) pieces.push_back(std::move(piece));
  return pieces;
}

int32_t CApi::CompareStr(std::string_view a, std::string_view b, int32_t compare,
                         bool applyLCase) {
  int c = 0;
  if (compare == 1 || applyLCase) {
    c = Folded(a).compare(Folded(b));
  } else {
    c = a.compare(b);
  }
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool CApi::CompareEach(std::string_view value, std::span<const std::string> list) {
  for (const std::string& item : list)
    if (CompareStr(value, item, 1) == 0) return true;
  return false;
}

void CApi::sortStr(std::vector<std::string>& data, int32_t compare) {
  std::stable_sort(data.begin(), data.end(), [compare](const std::string& a, const std::string& b) {
    return CompareStr(a, b, compare) < 0;
  });
}

// ---- Text files ------------------------------------------------------------------------------

std::string CApi::DecodeTextBytes(std::span<const uint8_t> bytes) {
  size_t end = 0;
  while (end < bytes.size() && bytes[end] != 0) ++end;
  if (end > 0) return std::string(reinterpret_cast<const char*>(bytes.data()), end);
  // The scrambled format: 0, "DATA", the block length, the block.
  if (bytes.size() < 12) return {};
  if (LoadLe32(bytes.data()) != 0 || std::string_view(reinterpret_cast<const char*>(bytes.data()) + 4, 4) != "DATA")
    return {};
  const uint32_t length = LoadLe32(bytes.data() + 8);
  if (length < CPakArchive::kBlockOverhead + 1 || length > bytes.size() - 12) return {};
  const auto text = CPakArchive::UnscrambleBlock(bytes.subspan(12, length));
  if (!text) return {};
  return Utf16LeToUtf8(*text);
}

std::vector<uint8_t> CApi::EncodeScrambledText(std::string_view text) {
  const std::vector<uint8_t> block = CPakArchive::ScrambleBlock(Utf8ToUtf16Le(text));
  if (block.size() > UINT32_MAX) return {};
  std::vector<uint8_t> out;
  out.reserve(block.size() + 12);
  PutLe32(out, 0);
  out.insert(out.end(), {'D', 'A', 'T', 'A'});
  PutLe32(out, static_cast<uint32_t>(block.size()));
  out.insert(out.end(), block.begin(), block.end());
  return out;
}

std::string CApi::LoadText(std::string filename) {
  if (PakFileOpen(std::move(filename)) != 0) return {};
  const auto bytes = PakFileReadAll();
  PakFileClose();
  if (!bytes) return {};
  return DecodeTextBytes(*bytes);
}

bool CApi::SaveText(std::string filename, std::string_view textData) {
  if (filename.empty()) return false;
  ExepathAddition(filename);
  return WriteWholeFile(filename, std::span(reinterpret_cast<const uint8_t*>(textData.data()),
                                            textData.size()));
}

bool CApi::SaveTextEncode(std::string filename, std::string_view textData) {
  if (filename.empty()) return false;
  ExepathAddition(filename);
  const std::vector<uint8_t> bytes = EncodeScrambledText(textData);
  if (bytes.empty()) return false;
  return WriteWholeFile(filename, bytes);
}

}  // namespace util

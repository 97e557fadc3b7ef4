// UTF-8 <-> UTF-16LE for the scrambled formats. Decoding is strict about overlong forms,
// surrogates and truncation, and replaces each bad sequence by U+FFFD.
#include "util/TextCodec.h"

#include "util/LeBytes.h"

namespace util {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void PutUtf16(std::vector<uint8_t>& out, char32_t c) {
  auto put = [&out](uint32_t unit) {
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>(unit >> 8));
  };
  if (c >= 0x10000) {
    const uint32_t v = static_cast<uint32_t>(c) - 0x10000;
    put(0xD800 | (v >> 10));
    put(0xDC00 | (v & 0x3FF));
  } else {
    put(static_cast<uint32_t>(c));
  }
}

void PutUtf8(std::string& out, char32_t c) {
  const uint32_t v = static_cast<uint32_t>(c);
  if (v < 0x80) {
    out.push_back(static_cast<char>(v));
  } else if (v < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (v >> 6)));
    out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
  } else if (v < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (v >> 12)));
    out.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (v >> 18)));
    out.push_back(static_cast<char>(0x80 | ((v >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
  }
}

}  // namespace

std::vector<uint8_t> Utf8ToUtf16Le(std::string_view text) {
  std::vector<uint8_t> out;
  out.reserve(text.size() * 2);
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<uint8_t>(text[i]);
    size_t extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
      c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      c = lead & 0x1F;
      minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      c = lead & 0x0F;
      minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      c = lead & 0x07;
      minimum = 0x10000;
    } else {
      PutUtf16(out, kReplacement);
      ++i;
      continue;
    }
    size_t taken = 1;
    bool good = true;
    for (; taken <= extra; ++taken) {
      if (i + taken >= text.size() || (static_cast<uint8_t>(text[i + taken]) & 0xC0) != 0x80) {
        good = false;
        break;
      }
      c = (c << 6) | (static_cast<uint8_t>(text[i + taken]) & 0x3F);
    }
    if (good && (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) good = false;
    PutUtf16(out, good ? c : kReplacement);
    i += good ? extra + 1 : taken;
  }
  return out;
}

std::string Utf16LeToUtf8(std::span<const uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size());
  const size_t units = bytes.size() / 2;
  auto unitAt = [&bytes](size_t k) -> uint32_t { return LoadLe16(bytes.data() + 2 * k); };
  for (size_t k = 0; k < units; ++k) {
    const uint32_t u = unitAt(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
      const uint32_t low = unitAt(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        PutUtf8(out, static_cast<char32_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00)));
        ++k;
        continue;
      }
    }
    PutUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : static_cast<char32_t>(u));
  }
  return out;
}

}  // namespace util

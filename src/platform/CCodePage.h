// CCodePage: the program's ANSI code page (CP932) as a lookup of one character at a time: how
// many bytes it takes there and what its code is. Text lengths and the text renderer's half- and
// full-width split rely on it; strings themselves stay UTF-8. Backed by iconv, with a lazily
// filled table for the basic plane.
//
// A character CP932 cannot encode (anything outside the basic plane, most symbols and scripts
// beyond JIS X 0208, and every byte of broken UTF-8) counts as 2 bytes with the code 0x3F ('?'):
// such characters are drawn full width, and '?' is what the code page substitutes for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

class CCodePage {
 public:
  static constexpr uint16_t kUnencodableCode = 0x3F;
  static constexpr int32_t kUnencodableBytes = 2;

  struct Char {
    int32_t bytes = 1;  // 1 or 2
    uint16_t code = 0;  // the byte, or lead * 256 + trail
  };

  // The character `codePoint` in CP932.
  [[nodiscard]] static Char Encode(char32_t codePoint);
  [[nodiscard]] static int32_t ByteLength(char32_t codePoint) { return Encode(codePoint).bytes; }
  [[nodiscard]] static uint16_t Code(char32_t codePoint) { return Encode(codePoint).code; }

  // Bytes the whole UTF-8 text takes in CP932 (saturates at INT32_MAX).
  [[nodiscard]] static int32_t TextByteLength(std::string_view utf8);

  // Decodes the UTF-8 character at `pos` and advances `pos` past it. Broken sequences (stray
  // continuation bytes, overlong forms, surrogates, truncation) give U+FFFD and consume one byte.
  // `pos` must be below utf8.size().
  [[nodiscard]] static char32_t NextCodePoint(std::string_view utf8, size_t& pos);
};

}  // namespace platform

// The program's ANSI code page (CP932) for code that classifies or hashes characters by their
// code in it. Strings are UTF-8 everywhere else; iconv does the conversion.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

// The code of every character of a UTF-8 string in CP932, one entry per character (a
// character outside the basic plane counts as two, like a UTF-16 surrogate pair). A one-byte
// character gives its byte, a double-byte character lead * 256 + trail; a character that CP932
// cannot encode, and every byte of broken UTF-8, gives '?' (0x3F).
std::vector<uint16_t> AnsiCodes(std::string_view utf8);

}  // namespace platform

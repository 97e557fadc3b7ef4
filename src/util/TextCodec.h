// Conversions between the program's UTF-8 strings and the UTF-16LE bytes that the archive
// tables, scrambled text files and scrambled data records hold. Invalid sequences become
// U+FFFD; nothing here fails.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace util {

std::vector<uint8_t> Utf8ToUtf16Le(std::string_view text);
// An odd trailing byte is dropped.
std::string Utf16LeToUtf8(std::span<const uint8_t> bytes);

}  // namespace util

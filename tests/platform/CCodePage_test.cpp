// CP932 byte lengths and codes of single characters and whole texts.
#include "platform/CCodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::CCodePage;

std::string Utf8(char32_t cp) {
  std::string s;
  const auto v = static_cast<uint32_t>(cp);
  if (v < 0x80) {
    s.push_back(static_cast<char>(v));
  } else if (v < 0x800) {
    s.push_back(static_cast<char>(0xC0 | (v >> 6)));
    s.push_back(static_cast<char>(0x80 | (v & 0x3F)));
  } else if (v < 0x10000) {
    s.push_back(static_cast<char>(0xE0 | (v >> 12)));
    s.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
    s.push_back(static_cast<char>(0x80 | (v & 0x3F)));
  } else {
    s.push_back(static_cast<char>(0xF0 | (v >> 18)));
    s.push_back(static_cast<char>(0x80 | ((v >> 12) & 0x3F)));
    s.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
    s.push_back(static_cast<char>(0x80 | (v & 0x3F)));
  }
  return s;
}

struct CharCase {
  char32_t cp;
  int32_t bytes;
  uint16_t code;
};

TEST(CCodePage, CharactersHaveTheirCp932Codes) {
  const CharCase cases[] = {
      {U'A', 1, 0x41},      {U'\0', 1, 0x00},     {U'\\', 1, 0x5C},
      {U'あ', 2, 0x82A0},   {U'日', 2, 0x93FA},   {U'ー', 2, 0x815B},
      {U'～', 2, 0x8160},   {U'－', 2, 0x817C},   {U'０', 2, 0x824F},
      {U'ｱ', 1, 0xB1},      // half-width katakana: one byte
      {U'😀', 2, 0x3F},     // outside the basic plane: cannot be encoded
      {U'\u0100', 2, 0x3F},  // Latin extended: not in CP932
      {0xD800, 2, 0x3F},     // a lone surrogate is no character
  };
  for (const CharCase& c : cases) {
    const CCodePage::Char ch = CCodePage::Encode(c.cp);
    EXPECT_EQ(ch.bytes, c.bytes) << std::hex << static_cast<uint32_t>(c.cp);
    EXPECT_EQ(ch.code, c.code) << std::hex << static_cast<uint32_t>(c.cp);
    // The second look-up comes from the table and must agree.
    EXPECT_EQ(CCodePage::Encode(c.cp).code, c.code);
  }
}

TEST(CCodePage, TextByteLengthCountsDoubleByteCharactersTwice) {
  EXPECT_EQ(CCodePage::TextByteLength(""), 0);
  EXPECT_EQ(CCodePage::TextByteLength("abc"), 3);
  EXPECT_EQ(CCodePage::TextByteLength("日本"), 4);
  EXPECT_EQ(CCodePage::TextByteLength("aあｱ"), 4);
  EXPECT_EQ(CCodePage::TextByteLength("Ｒｅａｄｙ"), 10);
  EXPECT_EQ(CCodePage::TextByteLength("😀x"), 3);
}

TEST(CCodePage, BrokenUtf8CountsOneReplacementPerByte) {
  struct Case {
    std::string text;
    int32_t bytes;
  };
  const Case cases[] = {
      {"\xFF", 2},              // never a lead byte
      {"\x80" "a", 3},          // stray continuation, then 'a'
      {"\xE3\x81", 4},          // truncated three-byte sequence: two bad bytes
      {"\xC0\xAF", 4},          // overlong '/'
      {"\xED\xA0\x80", 6},      // encoded surrogate
  };
  for (const Case& c : cases) EXPECT_EQ(CCodePage::TextByteLength(c.text), c.bytes);
}

TEST(CCodePage, NextCodePointWalksEveryForm) {
  const std::string text = "a" + Utf8(U'é') + Utf8(U'あ') + Utf8(U'😀');
  size_t pos = 0;
  EXPECT_EQ(CCodePage::NextCodePoint(text, pos), U'a');
  EXPECT_EQ(CCodePage::NextCodePoint(text, pos), U'é');
  EXPECT_EQ(CCodePage::NextCodePoint(text, pos), U'あ');
  EXPECT_EQ(CCodePage::NextCodePoint(text, pos), U'😀');
  EXPECT_EQ(pos, text.size());
}

// Every basic-plane character: a known one-byte code is below 0x100 and a two-byte code has a
// CP932 lead byte; unencodable ones use the documented substitute.
TEST(CCodePage, WholeBasicPlaneFollowsTheRules) {
  int32_t doubleBytes = 0;
  for (char32_t cp = 0; cp < 0x10000; ++cp) {
    const CCodePage::Char ch = CCodePage::Encode(cp);
    if (ch.bytes == 1) {
      ASSERT_LT(ch.code, 0x100) << std::hex << static_cast<uint32_t>(cp);
    } else {
      ASSERT_EQ(ch.bytes, 2);
      if (ch.code == CCodePage::kUnencodableCode) continue;
      const unsigned lead = ch.code >> 8;
      ASSERT_TRUE((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC))
          << std::hex << static_cast<uint32_t>(cp);
      ++doubleBytes;
    }
  }
  // JIS X 0208 alone has 6879 characters; CP932 adds the NEC and IBM extensions.
  EXPECT_GT(doubleBytes, 6879);
}

}  // namespace

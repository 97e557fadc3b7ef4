// CApi strings and numbers: the numeric parser, padding, full-width digits, CP932 lengths,
// field peeling and splitting, comparisons, arrays, and the scrambled text format.
#include "util/CApi.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

#include "util/CPakArchive.h"

namespace {

using util::CApi;

TEST(CApiText, LValReadsLikeTheRuntimeParser) {
  struct Case {
    const char* text;
    int32_t value;
  };
  const Case cases[] = {
      {"12abc", 12},
      {"&H10", 16},
      {"&h1g", 1},
      {"&O17", 15},
      {"3.5", 4},
      {"2.5", 2},  // halves go to the even neighbour
      {"1.5", 2},
      {"-2.5", -2},
      {"-3.5", -4},
      {".5", 0},
      {"0.5000001", 1},
      {"9999999999", 2147483647},
      {"-9999999999", INT32_MIN},
      {"2147483647.5", 2147483647},
      {"-2147483648.4", INT32_MIN},
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"  42", 42},
      {"\t\n7", 7},
      {"+7", 7},
      {"- 5", 0},
      {"1e3", 1},  // no exponent
      {"12 34", 12},
      {"&HFFFF", -1},  // a 16-bit hexadecimal value is a signed 16-bit one
      {"&H8000", -32768},
      {"&H7FFF", 32767},
      {"&H10000", 65536},
      {"&HFFFFFFFF", -1},
      {"&H80000000", INT32_MIN},
      {"&H100000000", 0},  // overflow: a parser error
      {"&O177777", -1},
      {"&H", 0},
      {"&X12", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(CApi::LVal(c.text), c.value) << '"' << c.text << '"';
}

TEST(CApiText, LValOfHugeNumbersIsAParserError) {
  EXPECT_EQ(CApi::LVal(std::string(400, '9')), 0);
  EXPECT_FALSE(CApi::ParseNumber(std::string(400, '9')).has_value());
  // Too small to hold is just zero.
  EXPECT_EQ(CApi::LVal("0." + std::string(400, '0') + "1"), 0);
  EXPECT_TRUE(CApi::ParseNumber("0." + std::string(400, '0') + "1").has_value());
  // Many leading zeros are harmless.
  EXPECT_EQ(CApi::LVal(std::string(300, '0') + "15"), 15);
  EXPECT_EQ(CApi::LVal("&H" + std::string(300, '0') + "1F"), 31);
}

TEST(CApiText, LValBoundClamps) {
  EXPECT_EQ(CApi::LValBound("50", 0, 10), 10);
  EXPECT_EQ(CApi::LValBound("-5", 0, 10), 0);
  EXPECT_EQ(CApi::LValBound("5", 0, 10), 5);
  EXPECT_EQ(CApi::LValBound("x", 3, 10), 3);
}

TEST(CApiText, LStrPadsFromTheFormat) {
  EXPECT_EQ(CApi::LStr(7, "000"), "007");
  EXPECT_EQ(CApi::LStr(1234, "000"), "1234");
  EXPECT_EQ(CApi::LStr(5, "ab"), "a5");
  EXPECT_EQ(CApi::LStr(-3, "000"), "0-3");
  EXPECT_EQ(CApi::LStr(7, "　　　"), "　　7");  // characters, not bytes
  EXPECT_EQ(CApi::LStr(1.5, "0000"), "01.5");
  EXPECT_EQ(CApi::LStr(0.25f, ""), "0.25");
  EXPECT_EQ(CApi::LStr(1e16, ""), "1E+16");
  EXPECT_EQ(CApi::LStr(-0.0, "00"), "00");
}

TEST(CApiText, FullWidthNumbersRoundTrip) {
  EXPECT_EQ(CApi::UStr(-12), "－１２");
  EXPECT_EQ(CApi::UStr(0), "０");
  EXPECT_EQ(CApi::UStr(9876543210LL), "９８７６５４３２１０");
  EXPECT_EQ(CApi::UVal("－１２"), -12);
  EXPECT_EQ(CApi::UVal("３.５"), 4);
  EXPECT_EQ(CApi::UVal("１２abc"), 12);
  for (int32_t v : {0, 1, -1, 42, -99999, INT32_MAX, INT32_MIN}) EXPECT_EQ(CApi::UVal(CApi::UStr(v)), v);
}

TEST(CApiText, TextLenCountsCp932Bytes) {
  EXPECT_EQ(CApi::TextLen(""), 0);
  EXPECT_EQ(CApi::TextLen("abc"), 3);
  EXPECT_EQ(CApi::TextLen("日本"), 4);
  EXPECT_EQ(CApi::TextLen("起動できません"), 14);
  EXPECT_EQ(CApi::TextLen("Ｇｏ！"), 6);
  EXPECT_EQ(CApi::TextLen("ｱｲｳ"), 3);
  EXPECT_EQ(CApi::TextLen("ver 1.02 です"), 13);
}

TEST(CApiText, TextChangeScansOnAfterTheInsert) {
  struct Case {
    std::string text;
    const char* key;
    const char* fore;
    const char* expected;
  };
  const Case cases[] = {
      {"aaa", "a", "aa", "aaaaaa"}, {"abcabc", "bc", "X", "aXaX"}, {"abc", "", "X", "abc"},
      {"abc", "d", "X", "abc"},     {"ＡとＢ", "と", "&", "Ａ&Ｂ"}, {"ABab", "a", "-", "AB-b"},
  };
  for (Case c : cases) {
    CApi::TextChange(c.text, c.key, c.fore);
    EXPECT_EQ(c.text, c.expected);
  }
}

TEST(CApiText, TrimHeadAndMidOther) {
  EXPECT_EQ(CApi::TrimHead(" \t x "), "x ");
  EXPECT_EQ(CApi::TrimHead("\t"), "");
  EXPECT_EQ(CApi::TrimHead("　x"), "　x");  // only blanks and tabs
  EXPECT_EQ(CApi::MidOther("abcdef", 2, 3, "XY"), "aXYef");
  EXPECT_EQ(CApi::MidOther("あいうえ", 2, 1, "X"), "あXうえ");
  EXPECT_EQ(CApi::MidOther("abc", 10, 2, "Z"), "abcZ");
  EXPECT_EQ(CApi::MidOther("abc", 2, 0, "Z"), "aZbc");
  EXPECT_EQ(CApi::MidOther("abc", 0, 1, "Z"), "Zbc");
  EXPECT_EQ(CApi::MidOther("abc", 1, 99, ""), "");
}

TEST(CApiText, DividePeelsOneFieldAtATime) {
  std::string base = "a,b,,c";
  std::vector<std::string> fields;
  while (!base.empty()) fields.push_back(CApi::Divide(base, ","));
  EXPECT_EQ(fields, (std::vector<std::string>{"a", "b", "", "c"}));

  base = "fooXbar";
  EXPECT_EQ(CApi::Divide(base, "x"), "foo");  // text comparison ignores case
  EXPECT_EQ(base, "bar");
  base = "abc";
  EXPECT_EQ(CApi::Divide(base, ";"), "abc");
  EXPECT_EQ(base, "");
  base = "abc";
  EXPECT_EQ(CApi::Divide(base, ""), "abc");  // an empty keyword never matches
  EXPECT_EQ(base, "");
  base = "名前＝値";
  EXPECT_EQ(CApi::Divide(base, "＝"), "名前");
  EXPECT_EQ(base, "値");

  EXPECT_EQ(CApi::DivideHalf("key=value", "="), "key");
  EXPECT_EQ(CApi::DivideHalf("keyvalue", "="), "keyvalue");
}

TEST(CApiText, SplitExGivesExactlyTheCount) {
  using V = std::vector<std::string>;
  EXPECT_EQ(CApi::SplitEx("a;b;c", ";", 2), (V{"a", "b"}));
  EXPECT_EQ(CApi::SplitEx("a;b", ";", 4), (V{"a", "b", "", ""}));
  EXPECT_EQ(CApi::SplitEx("", ";", 2), (V{"", ""}));
  EXPECT_EQ(CApi::SplitEx("aXbxc", "x", 3), (V{"a", "b", "c"}));
  EXPECT_EQ(CApi::SplitEx("a;b", ";", 0), V{});
  EXPECT_EQ(CApi::SplitEx("a;b", "", 2), (V{"a;b", ""}));
  EXPECT_EQ(CApi::SplitEx("1<>2<>", "<>", 3), (V{"1", "2", ""}));
}

TEST(CApiText, SearchesAndDivisions) {
  const std::vector<std::string> keys{"ball", "Stage"};
  EXPECT_EQ(CApi::Search("the STAGE list", keys), 1);
  EXPECT_EQ(CApi::Search("nothing here", keys), -1);
  EXPECT_EQ(CApi::SearchInStr("あいstage ball", keys), 3);
  EXPECT_EQ(CApi::SearchInStr("nothing", keys), 0);
  EXPECT_EQ(CApi::ArrayStrDivide(",a,,b,", ","), (std::vector<std::string>{"a", "b"}));
}

TEST(CApiText, CompareStrModes) {
  EXPECT_EQ(CApi::CompareStr("a", "B", 0), 1);  // bytes: 'a' > 'B'
  EXPECT_EQ(CApi::CompareStr("a", "B", 1), -1);
  EXPECT_EQ(CApi::CompareStr("ABC", "abc", 1), 0);
  EXPECT_EQ(CApi::CompareStr("ABC", "abc", 0), -1);
  EXPECT_EQ(CApi::CompareStr("ABC", "abc", 0, true), 0);
  EXPECT_EQ(CApi::CompareStr("abc", "abcd", 1), -1);
  EXPECT_EQ(CApi::CompareStr("", "", 0), 0);
  EXPECT_TRUE(CApi::CompareEach("Foo", std::vector<std::string>{"bar", "FOO"}));
  EXPECT_FALSE(CApi::CompareEach("Foo", std::vector<std::string>{"bar", "fo"}));
  std::vector<std::string> names{"b.txt", "A.txt", "a2.txt", "C.txt"};
  CApi::sortStr(names);
  EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "a2.txt", "b.txt", "C.txt"}));
}

TEST(CApiText, ArrayHelpers) {
  std::vector<std::string> buf;
  int32_t count = 0;
  for (const char* s : {"A", "B", "C"}) CApi::ArrayPush(buf, count, std::string(s));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(CApi::ArrayRemove(buf, count, 0), "A");
  EXPECT_EQ(buf, (std::vector<std::string>{"C", "B"}));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(CApi::ArrayRemove(buf, count, 2), "");  // out of range: ignored
  EXPECT_EQ(count, 2);
  EXPECT_EQ(CApi::ArrayPop(buf, count), "B");
  EXPECT_EQ(CApi::ArrayPop(buf, count), "C");
  EXPECT_TRUE(buf.empty());
  EXPECT_EQ(CApi::ArrayPop(buf, count), "");
  EXPECT_EQ(count, 0);
  int32_t negative = -1;
  CApi::ArrayAdd(buf, negative, std::string("x"));
  EXPECT_TRUE(buf.empty());

  std::vector<int> cue{1, 2, 3, 4};
  EXPECT_EQ(CApi::ArrayCue(cue, 0, 3, 9), 1);
  EXPECT_EQ(cue, (std::vector<int>{2, 3, 4, 9}));
  EXPECT_EQ(CApi::ArrayCue(cue, 3, 0, 7), 9);
  EXPECT_EQ(cue, (std::vector<int>{7, 2, 3, 4}));
  EXPECT_EQ(CApi::ArrayCue(cue, 0, 4, 5), 0);
  EXPECT_EQ(cue, (std::vector<int>{7, 2, 3, 4}));

  std::vector<int> keys{30, 10, 20};
  std::vector<int32_t> index{0, 1, 2, 7};
  CApi::sortIndex(index, keys);
  EXPECT_EQ(index, (std::vector<int32_t>{1, 2, 0, 7}));
}

TEST(CApiText, ShufflePermutesOnlyTheRange) {
  CApi api;
  for (int round = 0; round < 20; ++round) {
    std::vector<int> v(30);
    for (int i = 0; i < 30; ++i) v[static_cast<size_t>(i)] = i;
    api.Shuffle(v, 10, 19);
    for (int i = 0; i < 10; ++i) ASSERT_EQ(v[static_cast<size_t>(i)], i);
    for (int i = 20; i < 30; ++i) ASSERT_EQ(v[static_cast<size_t>(i)], i);
    std::vector<int> middle(v.begin() + 10, v.begin() + 20);
    std::sort(middle.begin(), middle.end());
    for (int i = 0; i < 10; ++i) ASSERT_EQ(middle[static_cast<size_t>(i)], 10 + i);
  }
  std::vector<int> whole{1, 2, 3, 4, 5, 6, 7, 8};
  bool moved = false;
  for (int round = 0; round < 10 && !moved; ++round) {
    api.Shuffle(whole);
    moved = whole != std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8};
  }
  EXPECT_TRUE(moved);
  std::vector<int> empty;
  api.Shuffle(empty);
}

TEST(CApiText, SixteenBitWordsInByteArrays) {
  std::vector<uint8_t> bytes(4, 0);
  CApi::ArrayIntSet(bytes, 1, -2);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 0xFE, 0xFF, 0}));
  EXPECT_EQ(CApi::ArrayIntGet(bytes, 1), -2);
  CApi::ArrayIntSet(bytes, 0, 0x18000);  // only the low 16 bits
  EXPECT_EQ(CApi::ArrayIntGet(bytes, 0), -32768);
  CApi::ArrayIntSet(bytes, 3, 1);  // would reach past the end: ignored
  EXPECT_EQ(bytes[3], 0);
  EXPECT_EQ(CApi::ArrayIntGet(bytes, 3), 0);
  EXPECT_EQ(CApi::ArrayIntGet(bytes, -1), 0);

  std::vector<uint8_t> mem{1, 2, 3, 4, 5, 6};
  EXPECT_TRUE(CApi::CopyMemory(mem, 1, mem, 0, 4));  // overlapping move
  EXPECT_EQ(mem, (std::vector<uint8_t>{1, 1, 2, 3, 4, 6}));
  EXPECT_FALSE(CApi::CopyMemory(mem, 3, mem, 0, 4));
  EXPECT_FALSE(CApi::CopyMemory(mem, 0, mem, -1, 1));
  EXPECT_FALSE(CApi::CopyMemory(mem, 0, mem, INT64_MAX, 1));
  EXPECT_EQ(mem, (std::vector<uint8_t>{1, 1, 2, 3, 4, 6}));
}

TEST(CApiText, ShiftsAndProcessorClass) {
  EXPECT_EQ(CApi::SHR(0x80000000u, 31), 1u);
  EXPECT_EQ(CApi::SHR(0x80000000u, 32), 0x80000000u);  // count & 31
  EXPECT_EQ(CApi::SHL(1u, 33), 2u);
  EXPECT_EQ(CApi::CpuID(), 28);  // every x86-64 has SSE2
}

// ---- Text file bytes ------------------------------------------------------------------------

std::vector<uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

TEST(CApiText, PlainTextIsCutAtTheFirstNul) {
  EXPECT_EQ(CApi::DecodeTextBytes(Bytes(std::string("abc\0def", 7))), "abc");
  EXPECT_EQ(CApi::DecodeTextBytes(Bytes("日本語\r\n")), "日本語\r\n");
  EXPECT_EQ(CApi::DecodeTextBytes({}), "");
  EXPECT_EQ(CApi::DecodeTextBytes(Bytes(std::string(5, '\0'))), "");
}

TEST(CApiText, ScrambledTextRoundTrips) {
  std::mt19937 rng(2024);
  const std::vector<std::string> alphabet{"a", "Z", "0", " ", "\n", "あ", "漢", "ｱ", "😀", "\\", "，"};
  for (int seed = 1; seed <= 60; ++seed) {
    rng.seed(static_cast<uint32_t>(seed));
    std::string text;
    const auto length = rng() % 200;
    for (uint32_t i = 0; i < length; ++i) text += alphabet[rng() % alphabet.size()];
    const std::vector<uint8_t> bytes = CApi::EncodeScrambledText(text);
    ASSERT_EQ(CApi::DecodeTextBytes(bytes), text) << "seed " << seed;
  }
}

TEST(CApiText, ScrambledTextLayout) {
  const std::vector<uint8_t> a = CApi::EncodeScrambledText("ab");
  const std::vector<uint8_t> b = CApi::EncodeScrambledText("ab");
  ASSERT_EQ(a.size(), 12u + 148u + 4u);  // two UTF-16 units
  EXPECT_EQ(std::vector<uint8_t>(a.begin(), a.begin() + 12),
            (std::vector<uint8_t>{0, 0, 0, 0, 'D', 'A', 'T', 'A', 152, 0, 0, 0}));
  EXPECT_NE(a, b);  // a fresh key each time
  EXPECT_EQ(CApi::DecodeTextBytes(b), "ab");
  // The empty text gives a 148-byte block, which is below the smallest the reader accepts.
  EXPECT_EQ(CApi::DecodeTextBytes(CApi::EncodeScrambledText("")), "");
}

TEST(CApiText, CorruptScrambledTextGivesEmpty) {
  const std::vector<uint8_t> good = CApi::EncodeScrambledText("ステージ一覧");
  ASSERT_EQ(CApi::DecodeTextBytes(good), "ステージ一覧");
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> spoil;
  };
  const Case cases[] = {
      {"length past the end", [](auto& v) { v[8] = static_cast<uint8_t>(v[8] + 1); }},
      {"huge length", [](auto& v) { v[11] = 0x7F; }},
      {"length 148", [](auto& v) { v[8] = 148; v[9] = 0; }},
      {"truncated", [](auto& v) { v.resize(v.size() - 1); }},
      {"text byte flipped", [](auto& v) { v[12 + 140] ^= 0x40; }},
      {"check byte flipped", [](auto& v) { v[v.size() - 3] ^= 1; }},
      {"wrong tag", [](auto& v) { v[4] = 'd'; }},
      {"header only", [](auto& v) { v.resize(12); }},
      {"short", [](auto& v) { v.resize(7); }},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = good;
    c.spoil(bad);
    EXPECT_EQ(CApi::DecodeTextBytes(bad), "") << c.what;
  }
}

}  // namespace

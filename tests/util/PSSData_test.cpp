// PSSData: accessors and their encodings, the two file layouts (bytes worked out by hand),
// save/load round trips of random trees in both formats, damaged and hostile files, errors
// raised on request, report, copy and compare.
#include "util/PSSData.h"

#include <gtest/gtest.h>

#include <random>

#include "PakTestSupport.h"
#include "util/CApi.h"
#include "util/CPakArchive.h"

namespace {

using util::PSSData;
using util::PSSDataError;

std::vector<std::string> Strings(const PSSData& node) {
  std::vector<std::string> out;
  node.DataExport(out);
  return out;
}

TEST(PSSData, NewNodeHoldsOneEmptyStringAndNoChildren) {
  PSSData node;
  EXPECT_EQ(node.GetDataCount(), 1);
  EXPECT_EQ(node.Data(0), "");
  EXPECT_EQ(node.GetChildCount(), 0);
  EXPECT_EQ(node.Child(0), nullptr);
}

TEST(PSSData, AsLongWritesUppercaseHexAndReadsTheFirstEightDigits) {
  struct Case {
    int32_t value;
    const char* stored;
  };
  for (const Case& c : std::vector<Case>{{-1, "FFFFFFFF"}, {255, "FF"}, {0, "0"},
                                         {INT32_MIN, "80000000"}, {0x1234ABCD, "1234ABCD"}}) {
    PSSData node;
    node.asLong(0, c.value);
    EXPECT_EQ(node.Data(0), c.stored);
    EXPECT_EQ(node.asLong(0), c.value);
  }
  struct Read {
    const char* stored;
    int32_t value;
  };
  for (const Read& r : std::vector<Read>{{"10", 16}, {"xyz", 0}, {"", 0}, {"ff", 255},
                                         {"123456789", 0x12345678}, {"1G5", 1}, {"-1", 0}}) {
    PSSData node;
    node.Data(0, r.stored);
    EXPECT_EQ(node.asLong(0), r.value) << r.stored;
  }
}

TEST(PSSData, BoolIsAHexReadingThatIsNotZero) {
  for (const auto& [stored, value] : std::vector<std::pair<const char*, bool>>{
           {"0", false}, {"1", true}, {"A", true}, {"", false}, {"00000000", false}, {"no", false}}) {
    PSSData node;
    node.Data(0, stored);
    EXPECT_EQ(node.Bool(0), value) << stored;
  }
  PSSData node;
  node.Bool(0, true);
  EXPECT_EQ(node.Data(0), "1");
  node.Bool(0, false);
  EXPECT_EQ(node.Data(0), "0");
}

TEST(PSSData, IndexesOutsideTheDataAreNeutral) {
  PSSData node;
  node.Data(0, "keep");
  for (int32_t index : {-1, 1, 100}) {
    node.Data(index, "x");
    node.asLong(index, 5);
    node.Bool(index, true);
    EXPECT_EQ(node.Data(index), "");
    EXPECT_EQ(node.asLong(index), 0);
    EXPECT_FALSE(node.Bool(index));
  }
  EXPECT_EQ(Strings(node), std::vector<std::string>{"keep"});
}

TEST(PSSData, RedimAddAndRemove) {
  PSSData node;
  node.DataRedim(3);
  EXPECT_EQ(Strings(node), std::vector<std::string>(3));
  node.Data(0, "a");
  node.Data(1, "b");
  node.DataRedimPreserve(2);
  EXPECT_EQ(Strings(node), (std::vector<std::string>{"a", "b"}));
  node.DataAdd("c");
  EXPECT_EQ(node.DataRemove(), "c");
  EXPECT_EQ(node.DataRemove(), "b");
  EXPECT_EQ(node.DataRemove(), "a");  // the last string stays in place
  EXPECT_EQ(node.GetDataCount(), 1);
  EXPECT_EQ(node.Data(0), "a");
  node.DataRedim(0);
  EXPECT_EQ(Strings(node), std::vector<std::string>{""});
  node.DataRedimPreserve(-3);
  EXPECT_EQ(node.GetDataCount(), 1);
}

TEST(PSSData, ChildrenAreCreatedOnFirstUse) {
  PSSData node;
  node.ChildRedim(2);
  EXPECT_EQ(node.GetChildCount(), 2);
  ASSERT_NE(node.Child(1), nullptr);
  node.Child(1)->Data(0, "one");
  EXPECT_EQ(node.Child(1), node.Child(1));
  EXPECT_EQ(node.Child(2), nullptr);
  EXPECT_EQ(node.Child(-1), nullptr);
  node.ChildRedimPreserve(3);
  EXPECT_EQ(node.Child(1)->Data(0), "one");
  node.ChildRedim(3);  // old children are dropped
  EXPECT_EQ(node.Child(1)->Data(0), "");
  node.ChildRedimPreserve(0);
  EXPECT_EQ(node.GetChildCount(), 0);
  node.ChildRedim(4);
  node.ChildErase();
  EXPECT_EQ(node.GetChildCount(), 0);
}

TEST(PSSData, DataInportCopiesOrReportsAMissingArray) {
  PSSData node;
  const std::vector<std::string> data = {"x", "y"};
  EXPECT_EQ(node.DataInport(&data), 0);
  EXPECT_EQ(Strings(node), data);
  const std::vector<std::string> empty;
  EXPECT_EQ(node.DataInport(&empty), 0);
  EXPECT_EQ(Strings(node), std::vector<std::string>{""});
  EXPECT_EQ(node.DataInport(nullptr), 1);
  try {
    (void)node.DataInport(nullptr, true);
    FAIL() << "no error raised";
  } catch (const PSSDataError& e) {
    EXPECT_EQ(e.Number(), 3173);
    EXPECT_EQ(e.Description(), "初期化されてない文字列が渡されました");
  }
}

// root {"ab"} with one child {"x", "yz"}.
PSSData SmallTree() {
  PSSData root;
  root.Data(0, "ab");
  root.ChildRedim(1);
  root.Child(0)->DataInport(std::vector<std::string>{"x", "yz"});
  return root;
}

TEST(PSSData, PlainLayout) {
  const auto bytes = SmallTree().DataSaveToBytes(5);  // any format word but 1 is plain
  ASSERT_TRUE(bytes);
  const std::vector<uint8_t> expected = {
      5, 0, 0, 0,                                   // format word
      1, 0, 1, 0, 0, 0, 0, 0, 0, 0,                 // root: 1 dimension, 1 string, bound 0
      2, 0, 'a', 'b',                               // "ab"
      1, 0, 0, 0,                                   // one child
      1, 0, 2, 0, 0, 0, 0, 0, 0, 0,                 // child: 2 strings
      1, 0, 'x', 2, 0, 'y', 'z',                    // "x", "yz"
      0, 0, 0, 0,                                   // no children
  };
  EXPECT_EQ(*bytes, expected);
}

TEST(PSSData, ScrambledLayout) {
  PSSData node;
  node.Data(0, "A");
  const auto bytes = node.DataSaveToBytes(1);
  ASSERT_TRUE(bytes);
  // "A" is 41 00 in UTF-16LE. First byte 41 ^ key0 (5C) = 1D; the key becomes 41 ^ A3 = E2 and
  // the check E2. Second byte 00 ^ E2 = E2; key 00 ^ A3 = A3; check E2 + A3 = 185.
  const std::vector<uint8_t> expected = {
      1, 0, 0, 0,                      // format word
      1, 0, 1, 0, 0, 0, 0, 0, 0, 0,    // one item
      1, 0, 2, 0, 0, 0, 0, 0, 0, 0,    // item: two bytes
      0x1D, 0xE2,                      // scrambled bytes
      0x85, 0x01, 0, 0,                // check
      0, 0, 0, 0,                      // no children
      0x85, 0x01, 0, 0,                // total of the checks
  };
  EXPECT_EQ(*bytes, expected);
}

PSSData RandomTree(std::mt19937& rng, int depth) {
  static const std::vector<std::string> words = {"", "a", "Ball", "ＲＥＡＤＹ", "日本語", "😀",
                                                 "x,y\r\n", std::string("nul\0in", 6)};
  PSSData node;
  const int count = 1 + static_cast<int>(rng() % 4);
  std::vector<std::string> data;
  for (int i = 0; i < count; ++i) data.push_back(words[rng() % words.size()] + std::to_string(rng() % 100));
  node.DataInport(data);
  if (depth > 0) {
    node.ChildRedim(static_cast<int32_t>(rng() % 4));
    for (int32_t i = 0; i < node.GetChildCount(); ++i) {
      if (rng() % 5 == 0) continue;  // left unread: saved as an empty node
      PSSData::DataCopy(*node.Child(i), RandomTree(rng, depth - 1));
    }
  }
  return node;
}

TEST(PSSData, SaveThenLoadReproducesRandomTreesInBothFormats) {
  paktest::ScratchDir dir;
  util::CApi api;
  for (uint32_t seed = 1; seed <= 30; ++seed) {
    std::mt19937 rng(seed);
    const PSSData tree = RandomTree(rng, 3);
    for (int32_t encode : {0, 1}) {
      const std::string file = dir / ("tree" + std::to_string(encode) + ".dat");
      ASSERT_EQ(tree.DataSave(file, false, encode, &api), 0);
      PSSData loaded;
      loaded.ChildRedim(7);  // replaced by the load
      ASSERT_EQ(loaded.DataLoad(file, false, &api), 0) << "seed " << seed << " encode " << encode;
      EXPECT_EQ(PSSData::DataTest(loaded, tree), 0) << "seed " << seed << " encode " << encode;
      EXPECT_EQ(loaded.DataReport(), tree.DataReport());
      PSSData withoutApi;  // falls back to a private utility object
      ASSERT_EQ(withoutApi.DataLoad(file), 0);
      EXPECT_EQ(PSSData::DataTest(withoutApi, tree), 0);
    }
  }
}

TEST(PSSData, LoadReadsFromAPackedFolder) {
  paktest::ScratchDir dir;
  util::CApi api;
  std::filesystem::create_directories(dir.Path() / "Data");
  ASSERT_EQ(SmallTree().DataSave(dir / "Data/save.dat", false, 1, &api), 0);
  ASSERT_NE(util::CPakArchive::Create(dir / "Data").archive, "");
  std::filesystem::remove_all(dir.Path() / "Data");
  PSSData loaded;
  ASSERT_EQ(loaded.DataLoad(dir / "Data/save.dat", false, &api), 0);
  EXPECT_EQ(PSSData::DataTest(loaded, SmallTree()), 0);
}

TEST(PSSData, ChangedScrambledBytesFailTheChecks) {
  const PSSData tree = SmallTree();
  const std::vector<uint8_t> good = *tree.DataSaveToBytes(1);
  // The payload, check and total bytes of the root: the item of "ab" starts at 14 and holds 4
  // bytes (24..27), its check at 28..31; children count 32..35, total 36..39.
  std::vector<size_t> positions = {24, 25, 26, 27, 28, 29, 31, 36, 37, 39};
  for (size_t at : positions) {
    std::vector<uint8_t> bad = good;
    bad[at] ^= 0x01;
    PSSData loaded;
    EXPECT_EQ(loaded.DataLoadFromBytes(bad), 2) << "byte " << at;
  }
  // Outside the payloads, any changed byte makes the load fail one way or another. (Inside a
  // payload a change flows down the chain and, the check being a sum, can cancel out; and the
  // format word itself is not covered.) The child sits at 40: payloads at 60..61 and 76..79.
  auto payloadOrFormat = [](size_t at) {
    return at < 4 || (at >= 24 && at <= 27) || (at >= 60 && at <= 61) || (at >= 76 && at <= 79);
  };
  ASSERT_EQ(good.size(), 92u);
  for (size_t at = 0; at < good.size(); ++at) {
    if (payloadOrFormat(at)) continue;
    std::vector<uint8_t> bad = good;
    bad[at] ^= 0x10;
    PSSData loaded;
    EXPECT_NE(loaded.DataLoadFromBytes(bad), 0) << "byte " << at;
  }
}

TEST(PSSData, TruncatedFilesFailAndKeepWhatWasRead) {
  for (int32_t encode : {0, 1}) {
    const std::vector<uint8_t> good = *SmallTree().DataSaveToBytes(encode);
    for (size_t length = 0; length < good.size(); ++length) {
      PSSData loaded;
      EXPECT_NE(loaded.DataLoadFromBytes(std::span(good.data(), length)), 0)
          << "encode " << encode << " length " << length;
    }
  }
  // Cut inside the child: the root's strings are already in place.
  const std::vector<uint8_t> plain = *SmallTree().DataSaveToBytes(0);
  PSSData partial;
  EXPECT_EQ(partial.DataLoadFromBytes(std::span(plain.data(), plain.size() - 6)), 1);
  EXPECT_EQ(partial.Data(0), "ab");
  EXPECT_EQ(partial.GetChildCount(), 1);
}

TEST(PSSData, HostileCountsAndNestingAreRefused) {
  auto u32 = [](std::vector<uint8_t>& out, uint32_t v) {
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(v >> (8 * k)));
  };
  auto descriptor = [&](std::vector<uint8_t>& out, uint32_t count) {
    out.push_back(1);
    out.push_back(0);
    u32(out, count);
    u32(out, 0);
  };
  // A string count no file of this size could hold.
  std::vector<uint8_t> manyStrings = {0, 0, 0, 0};
  descriptor(manyStrings, 0xFFFFFFF0u);
  PSSData node;
  EXPECT_EQ(node.DataLoadFromBytes(manyStrings), 1);
  // A child count far beyond the bytes left.
  std::vector<uint8_t> manyChildren = {0, 0, 0, 0};
  descriptor(manyChildren, 1);
  manyChildren.insert(manyChildren.end(), {0, 0});
  u32(manyChildren, 0x7FFFFFFF);
  EXPECT_EQ(node.DataLoadFromBytes(manyChildren), 1);
  // Two dimensions are not a string list.
  std::vector<uint8_t> twoDims = {0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(node.DataLoadFromBytes(twoDims), 1);
  // A chain of single children: allowed up to the depth bound, refused beyond it.
  auto chain = [&](int depth) {
    std::vector<uint8_t> out = {0, 0, 0, 0};
    for (int i = 0; i <= depth; ++i) {
      descriptor(out, 1);
      out.insert(out.end(), {0, 0});
      u32(out, i < depth ? 1 : 0);
    }
    return out;
  };
  EXPECT_EQ(node.DataLoadFromBytes(chain(100)), 0);
  EXPECT_EQ(node.DataLoadFromBytes(chain(PSSData::kMaxDepth + 1)), 1);
}

TEST(PSSData, FileErrorsAreResultsOrRaisedOnRequest) {
  paktest::ScratchDir dir;
  util::CApi api;
  PSSData node;
  const std::string missing = dir / "missing.dat";
  EXPECT_EQ(node.DataLoad(missing, false, &api), 1);
  try {
    (void)node.DataLoad(missing, true, &api);
    FAIL() << "no error raised";
  } catch (const PSSDataError& e) {
    EXPECT_EQ(e.Number(), 3174);
    EXPECT_EQ(e.Description(), missing + "\r\n読み込みに失敗しました");
  }
  const std::string unwritable = dir / "no/such/folder/x.dat";
  EXPECT_EQ(node.DataSave(unwritable, false, 0, &api), 1);
  try {
    (void)node.DataSave(unwritable, true, 1, &api);
    FAIL() << "no error raised";
  } catch (const PSSDataError& e) {
    EXPECT_EQ(e.Number(), 3174);
    EXPECT_EQ(e.Description(), unwritable + "\r\n保存に失敗しました");
  }
  // A checksum failure raises the load error too.
  std::vector<uint8_t> bad = *SmallTree().DataSaveToBytes(1);
  bad[24] ^= 1;
  paktest::WriteAll(dir.Path() / "bad.dat", bad);
  EXPECT_EQ(node.DataLoad(dir / "bad.dat", false, &api), 2);
  EXPECT_THROW((void)node.DataLoad(dir / "bad.dat", true, &api), PSSDataError);
  // A string too long for the plain format's 16-bit length cannot be saved plainly.
  PSSData big;
  big.Data(0, std::string(70000, 'x'));
  EXPECT_EQ(big.DataSave(dir / "big.dat", false, 0, &api), 1);
  EXPECT_EQ(big.DataSave(dir / "big.dat", false, 1, &api), 0);
}

TEST(PSSData, ReportListsEveryNodeInPreOrder) {
  PSSData root;
  root.DataInport(std::vector<std::string>{"a", "b"});
  root.ChildRedim(2);
  root.Child(0)->Data(0, "c");
  root.Child(0)->ChildRedim(1);
  root.Child(0)->Child(0)->DataInport(std::vector<std::string>{"d", "e"});
  EXPECT_EQ(root.DataReport(), "a\r\nb\r\nc\r\nd\r\ne\r\n\r\n");
}

TEST(PSSData, CopyIsDeepAndTestComparesExactly) {
  std::mt19937 rng(7);
  const PSSData source = RandomTree(rng, 3);
  PSSData copy;
  PSSData::DataCopy(copy, source);
  EXPECT_EQ(PSSData::DataTest(copy, source), 0);
  copy.Data(0, copy.Data(0) + "!");
  EXPECT_EQ(PSSData::DataTest(copy, source), 1);

  struct Case {
    const char* what;
    void (*change)(PSSData&);
  };
  const std::vector<Case> cases = {
      {"child count", [](PSSData& t) { t.ChildRedimPreserve(t.GetChildCount() + 1); }},
      {"data count", [](PSSData& t) { t.Child(0)->DataAdd(""); }},
      {"letter case", [](PSSData& t) { t.Child(0)->Child(0)->Data(0, "Yz"); }},
  };
  PSSData base = SmallTree();
  base.Child(0)->ChildRedim(1);
  base.Child(0)->Child(0)->Data(0, "yz");
  for (const Case& c : cases) {
    PSSData changed;
    PSSData::DataCopy(changed, base);
    ASSERT_EQ(PSSData::DataTest(changed, base), 0);
    c.change(changed);
    EXPECT_EQ(PSSData::DataTest(changed, base), 1) << c.what;
  }
  // Copying a tree into one of its own children does not feed on itself.
  PSSData tree = SmallTree();
  PSSData::DataCopy(*tree.Child(0), tree);
  EXPECT_EQ(tree.Child(0)->Data(0), "ab");
  EXPECT_EQ(tree.Child(0)->Child(0)->Data(1), "yz");
  EXPECT_EQ(tree.Child(0)->Child(0)->GetChildCount(), 0);
}

}  // namespace

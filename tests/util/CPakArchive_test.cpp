// CPakArchive: the block scrambler, the archive layout, member lookup, archive-first location,
// pack/unpack round trips of random trees, corrupt and truncated archives, and members whose
// names would escape the destination.
#include "util/CPakArchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

#include "PakTestSupport.h"
#include "util/TextCodec.h"

namespace {

using paktest::ReadAll;
using paktest::Record;
using paktest::ScratchDir;
using paktest::WriteAll;
using paktest::WriteText;
using util::CPakArchive;
namespace fs = std::filesystem;
using LoadStatus = CPakArchive::LoadStatus;

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// --- Block scrambler -------------------------------------------------------------------------

TEST(CPakArchiveScrambler, BlockFollowsTheChainedXorLayout) {
  const std::vector<uint8_t> text = Bytes("hello, archive");
  const std::vector<uint8_t> block = CPakArchive::ScrambleBlock(text);
  ASSERT_EQ(block.size(), text.size() + 148);
  // Undo the chain by hand, upward from byte 128: plain[i] = b[i] ^ key[i % 128] ^ plain[i - 1].
  std::vector<uint8_t> plain = block;
  for (size_t i = 128; i < plain.size(); ++i) plain[i] = plain[i] ^ plain[i % 128] ^ plain[i - 1];
  EXPECT_TRUE(std::equal(plain.begin() + 128, plain.begin() + 138, plain.end() - 10));
  EXPECT_EQ(std::vector<uint8_t>(plain.begin() + 138, plain.end() - 10), text);
}

TEST(CPakArchiveScrambler, SameTextScramblesDifferentlyAndUnscramblesTheSame) {
  const std::vector<uint8_t> text = util::Utf8ToUtf16Le("Graphic\\走る.bmp");
  const auto a = CPakArchive::ScrambleBlock(text);
  const auto b = CPakArchive::ScrambleBlock(text);
  EXPECT_NE(a, b);
  EXPECT_EQ(CPakArchive::UnscrambleBlock(a), text);
  EXPECT_EQ(CPakArchive::UnscrambleBlock(b), text);
}

TEST(CPakArchiveScrambler, ShortOrDamagedBlocksYieldNothing) {
  const auto empty = CPakArchive::ScrambleBlock({});
  ASSERT_EQ(empty.size(), 148u);
  EXPECT_FALSE(CPakArchive::UnscrambleBlock(empty));  // shorter than 149 bytes
  EXPECT_FALSE(CPakArchive::UnscrambleBlock(std::vector<uint8_t>(20, 7)));
  auto block = CPakArchive::ScrambleBlock(Bytes("x"));
  ASSERT_TRUE(CPakArchive::UnscrambleBlock(block));
  // A change in the last byte lands in the trailing check pattern only.
  block.back() ^= 0x40;
  EXPECT_FALSE(CPakArchive::UnscrambleBlock(block));
}

TEST(CPakArchiveScrambler, RandomTextsRoundTrip) {
  std::mt19937 rng(1);
  for (int seed = 1; seed <= 50; ++seed) {
    rng.seed(seed);
    std::vector<uint8_t> text(1 + rng() % 700);
    for (auto& v : text) v = static_cast<uint8_t>(rng());
    ASSERT_EQ(CPakArchive::UnscrambleBlock(CPakArchive::ScrambleBlock(text)), text)
        << "seed " << seed;
  }
}

// --- Layout written by Create ----------------------------------------------------------------

TEST(CPakArchiveCreate, WritesTheDocumentedLayout) {
  ScratchDir dir;
  WriteText(dir.Path() / "pack" / "b.txt", "BB");
  WriteText(dir.Path() / "pack" / "A.txt", "aaa");
  WriteText(dir.Path() / "pack" / "sub" / "c.bin", "");
  const auto created = CPakArchive::Create(dir / "pack");
  ASSERT_EQ(created.archive, dir / "pack.pak") << created.error;
  const auto bytes = ReadAll(created.archive);

  EXPECT_EQ(U32At(bytes, 0), 0xC98C918Fu);
  EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 8), "<P1>");
  EXPECT_EQ(U32At(bytes, 12), 3u);
  // File table block at 16: dimension count 1, element count, lower bound 0.
  ASSERT_EQ(bytes[16] | (bytes[17] << 8), 1);
  const uint32_t fileBlock = U32At(bytes, 18);
  EXPECT_EQ(U32At(bytes, 22), 0u);
  const std::vector<uint8_t> fileTable(bytes.begin() + 26, bytes.begin() + 26 + fileBlock);
  const auto fileText = CPakArchive::UnscrambleBlock(fileTable);
  ASSERT_TRUE(fileText);
  // Sorted ignoring case; offsets grow by size + 2.
  EXPECT_EQ(util::Utf16LeToUtf8(*fileText),
            Record("A.txt", 0, 3) + Record("b.txt", 5, 2) + Record("sub\\c.bin", 9, 0));
  size_t at = 26 + fileBlock;
  EXPECT_EQ(U32At(bytes, at), 1u);  // one folder
  const uint32_t folderBlock = U32At(bytes, at + 6);
  const std::vector<uint8_t> folderTable(bytes.begin() + at + 14,
                                         bytes.begin() + at + 14 + folderBlock);
  EXPECT_EQ(util::Utf16LeToUtf8(*CPakArchive::UnscrambleBlock(folderTable)),
            std::string("sub") + '\0');
  at += 14 + folderBlock;
  EXPECT_EQ(U32At(bytes, 8), at + 1);  // data start, 1-based
  const std::vector<uint8_t> data(bytes.begin() + at, bytes.end());
  EXPECT_EQ(data, Bytes(std::string("aaa\0\0BB\0\0\0\0", 11)));
}

TEST(CPakArchiveCreate, FolderWithoutFilesWritesNothing) {
  ScratchDir dir;
  fs::create_directories(dir.Path() / "empty" / "inner");
  const auto created = CPakArchive::Create(dir / "empty");
  EXPECT_EQ(created.archive, "");
  EXPECT_EQ(created.error, "");
  EXPECT_FALSE(fs::exists(dir / "empty.pak"));
  EXPECT_NE(CPakArchive::Create(dir / "missing").error, "");
}

TEST(CPakArchiveCreate, ArchiveWithoutSubFoldersStoresOneEmptyFolderName) {
  ScratchDir dir;
  WriteText(dir.Path() / "flat" / "x", "1");
  ASSERT_NE(CPakArchive::Create(dir / "flat/").archive, "");  // trailing separator is dropped
  CPakArchive archive;
  ASSERT_EQ(archive.Load(dir / "flat.pak"), LoadStatus::kOk);
  EXPECT_EQ(archive.Folders().ToVector(), std::vector<std::string>{""});
}

// --- Lookup ----------------------------------------------------------------------------------

TEST(CPakArchiveLookup, FindIgnoresLetterCaseAndSeparator) {
  ScratchDir dir;
  WriteText(dir.Path() / "res" / "Graphic" / "Ball.bmp", "ball");
  WriteText(dir.Path() / "res" / "zero.dat", "");
  ASSERT_NE(CPakArchive::Create(dir / "res").archive, "");
  CPakArchive archive;
  ASSERT_EQ(archive.Load(dir / "res.pak"), LoadStatus::kOk);
  EXPECT_EQ(archive.Base(), dir / "res");
  for (const char* name : {"Graphic\\Ball.bmp", "graphic\\ball.BMP", "GRAPHIC/BALL.BMP"}) {
    const util::PakEntry* entry = archive.Find(name);
    ASSERT_NE(entry, nullptr) << name;
    EXPECT_EQ(archive.Read(*entry), Bytes("ball"));
  }
  const util::PakEntry* zero = archive.Find("ZERO.DAT");
  ASSERT_NE(zero, nullptr);
  EXPECT_EQ(zero->size, 0);
  EXPECT_EQ(archive.Read(*zero), std::vector<uint8_t>{});
  EXPECT_EQ(archive.Find("Graphic"), nullptr);
  EXPECT_EQ(archive.Find("nothing.bmp"), nullptr);
}

TEST(CPakArchiveLookup, LocatePrefersTheArchiveAndFallsBackToPlainFiles) {
  ScratchDir dir;
  WriteText(dir.Path() / "Res" / "Sound" / "hit.wav", "packed");
  ASSERT_NE(CPakArchive::Create(dir / "Res/Sound").archive, "");
  // Plain copies beside the archive: one shadowed by the archive, one not in it.
  WriteText(dir.Path() / "Res" / "Sound" / "hit.wav", "plain");
  WriteText(dir.Path() / "Res" / "Sound" / "extra.wav", "extra!");
  WriteText(dir.Path() / "Res" / "top.txt", "top");

  CPakArchive current;
  const auto packed = CPakArchive::Locate(dir / "Res/Sound/HIT.WAV", current);
  ASSERT_TRUE(packed);
  EXPECT_TRUE(packed->inArchive);
  EXPECT_EQ(packed->file, dir / "Res/Sound.pak");
  EXPECT_EQ(packed->length, 6);
  const auto archiveBytes = ReadAll(packed->file);
  EXPECT_EQ(std::string(archiveBytes.begin() + packed->position - 1,
                        archiveBytes.begin() + packed->position - 1 + packed->length),
            "packed");
  EXPECT_TRUE(current.IsLoaded());

  const auto plain = CPakArchive::Locate(dir / "Res/Sound/extra.wav", current);
  ASSERT_TRUE(plain);
  EXPECT_FALSE(plain->inArchive);
  EXPECT_EQ(plain->file, dir / "Res/Sound/extra.wav");
  EXPECT_EQ(plain->position, 1);
  EXPECT_EQ(plain->length, 6);

  const auto above = CPakArchive::Locate(dir / "Res/top.txt", current);
  ASSERT_TRUE(above);
  EXPECT_FALSE(above->inArchive);
  EXPECT_FALSE(current.IsLoaded());  // no archive stands for Res, so none stays loaded
  EXPECT_FALSE(CPakArchive::Locate(dir / "Res/Sound/none.wav", current));
}

TEST(CPakArchiveLookup, ArchiveFolderIsFoundFurtherUpTheTree) {
  ScratchDir dir;
  WriteText(dir.Path() / "Res" / "Graphic" / "Menu" / "KeyConfig.txt", "layout");
  ASSERT_NE(CPakArchive::Create(dir / "Res").archive, "");
  fs::remove_all(dir.Path() / "Res");
  EXPECT_EQ(CPakArchive::FindArchiveFolder(dir / "Res/Graphic/Menu/KeyConfig.txt"), dir / "Res");
  CPakArchive current;
  const auto found = CPakArchive::Locate(dir / "Res/Graphic/Menu/KeyConfig.txt", current);
  ASSERT_TRUE(found);
  EXPECT_TRUE(found->inArchive);
  EXPECT_EQ(found->member.name, "Graphic\\Menu\\KeyConfig.txt");
  EXPECT_EQ(found->length, 6);
}

TEST(CPakArchiveLookup, CorruptArchiveFallsBackToThePlainFile) {
  ScratchDir dir;
  WriteText(dir.Path() / "Res" / "a.txt", "plain");
  WriteText(dir.Path() / "Res.pak", "this is no archive at all, just text");
  CPakArchive current;
  const auto found = CPakArchive::Locate(dir / "Res/a.txt", current);
  ASSERT_TRUE(found);
  EXPECT_FALSE(found->inArchive);
  EXPECT_EQ(found->length, 5);
  EXPECT_FALSE(current.IsLoaded());
}

// --- Round trips -----------------------------------------------------------------------------

using Tree = std::map<std::string, std::vector<uint8_t>>;  // "dir/" entries are folders

Tree ReadTree(const fs::path& root) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = entry.path().lexically_relative(root).generic_string();
    if (entry.is_directory()) {
      tree[name + "/"] = {};
    } else {
      tree[name] = ReadAll(entry.path());
    }
  }
  return tree;
}

TEST(CPakArchiveRoundTrip, PackThenUnpackReproducesRandomTrees) {
  const std::vector<std::string> names = {"a", "B.bmp", "c.wav", "日本語.txt", "x y", "Zz",
                                          "data.bin"};
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    std::mt19937 rng(seed);
    ScratchDir dir;
    const fs::path source = dir.Path() / "src";
    fs::create_directories(source);
    std::vector<fs::path> folders = {source};
    const int folderCount = static_cast<int>(rng() % 5);
    for (int i = 0; i < folderCount; ++i) {
      const fs::path parent = folders[rng() % folders.size()];
      folders.push_back(parent / ("dir" + std::to_string(i)));
      fs::create_directories(folders.back());
    }
    const int fileCount = 1 + static_cast<int>(rng() % 10);
    for (int i = 0; i < fileCount; ++i) {
      std::vector<uint8_t> content(rng() % 4 == 0 ? 0 : rng() % 5000);
      for (auto& v : content) v = static_cast<uint8_t>(rng() % 3 == 0 ? 0 : rng());
      WriteAll(folders[rng() % folders.size()] / (names[rng() % names.size()] + std::to_string(i)),
               content);
    }
    const auto created = CPakArchive::Create(source.string());
    ASSERT_NE(created.archive, "") << "seed " << seed << ": " << created.error;
    EXPECT_TRUE(created.skipped.empty());
    const auto decoded = CPakArchive::Decode(dir / "out", created.archive);
    ASSERT_EQ(decoded.folder, dir / "out") << "seed " << seed;
    EXPECT_TRUE(decoded.loaded);
    EXPECT_TRUE(decoded.skipped.empty());
    EXPECT_TRUE(decoded.failed.empty());
    EXPECT_EQ(ReadTree(dir.Path() / "out"), ReadTree(source)) << "seed " << seed;
  }
}

TEST(CPakArchiveRoundTrip, DecodeOfAMissingArchiveOrUnmakeableFolderGivesNothing) {
  ScratchDir dir;
  EXPECT_EQ(CPakArchive::Decode(dir / "out", dir / "none.pak").folder, "");
  EXPECT_FALSE(fs::exists(dir / "out"));
  WriteText(dir.Path() / "src" / "f", "1");
  ASSERT_NE(CPakArchive::Create(dir / "src").archive, "");
  // Only one level is made: a destination whose parent is missing cannot be made.
  EXPECT_EQ(CPakArchive::Decode(dir / "no/such/out", dir / "src.pak").folder, "");
}

TEST(CPakArchiveRoundTrip, DecodeOfACorruptArchiveUnpacksNothing) {
  ScratchDir dir;
  WriteText(dir.Path() / "bad.pak", std::string(64, 'x'));
  const auto decoded = CPakArchive::Decode(dir / "out", dir / "bad.pak");
  EXPECT_EQ(decoded.folder, dir / "out");
  EXPECT_FALSE(decoded.loaded);
  EXPECT_TRUE(fs::is_empty(dir.Path() / "out"));
}

// --- Corrupt directories ---------------------------------------------------------------------

TEST(CPakArchiveCorrupt, DirectoriesThatLieAreRefused) {
  struct Case {
    const char* what;
    paktest::RawArchive raw;
    LoadStatus expected;
  };
  const std::vector<uint8_t> data = {'a', 'b', 'c', 0, 0};
  auto archive = [&](std::string text, uint32_t count) {
    paktest::RawArchive raw;
    raw.fileText = std::move(text);
    raw.fileCount = count;
    raw.data = data;
    return raw;
  };
  std::vector<Case> cases = {
      {"valid", archive(Record("a", 0, 3), 1), LoadStatus::kOk},
      {"count larger than the table", archive(Record("a", 0, 3), 2), LoadStatus::kCorrupt},
      {"count smaller than the table", archive(Record("a", 0, 1) + Record("b", 1, 1), 1),
       LoadStatus::kCorrupt},
      {"huge count", archive(Record("a", 0, 3), 0x7FFFFFFF), LoadStatus::kCorrupt},
      {"negative count", archive(Record("a", 0, 3), 0xFFFFFFFF), LoadStatus::kCorrupt},
      {"member past the end", archive(Record("a", 0, 6), 1), LoadStatus::kCorrupt},
      {"offset past the end", archive(Record("a", 99, 0), 1), LoadStatus::kCorrupt},
      {"size over 2 GiB", archive(Record("a", 0, 99999999999), 1), LoadStatus::kCorrupt},
      {"negative offset", archive(Record("a", -1, 1), 1), LoadStatus::kCorrupt},
      {"missing fields", archive(std::string("a\x01") + '0' + '\0', 1), LoadStatus::kCorrupt},
      {"empty name", archive(Record("", 0, 1), 1), LoadStatus::kCorrupt},
      {"count with empty table", archive("", 1), LoadStatus::kCorrupt},
      {"empty archive", archive("", 0), LoadStatus::kOk},
      // Members lie one after another: offsets grow by size + 2 in table order.
      {"members overlap", archive(Record("a", 0, 1) + Record("b", 0, 1), 2), LoadStatus::kCorrupt},
      {"member inside the previous one", archive(Record("a", 0, 3) + Record("b", 1, 0), 2),
       LoadStatus::kCorrupt},
      {"gap between members", archive(Record("a", 0, 0) + Record("b", 3, 0), 2),
       LoadStatus::kCorrupt},
      {"first offset not 0", archive(Record("a", 1, 1), 1), LoadStatus::kCorrupt},
      {"members one after another", archive(Record("a", 0, 1) + Record("b", 3, 0), 2),
       LoadStatus::kOk},
      // Each member takes at least two bytes of data, so the count is refused before the table
      // is even read.
      {"more members than the data holds",
       archive(Record("a", 0, 0) + Record("b", 2, 0) + Record("c", 4, 0) + Record("d", 6, 0), 4),
       LoadStatus::kCorrupt},
  };
  cases.push_back({"data start past the end", archive(Record("a", 0, 3), 1), LoadStatus::kCorrupt});
  cases.back().raw.dataStart = 100000;
  cases.push_back({"data start zero", archive(Record("a", 0, 0), 1), LoadStatus::kCorrupt});
  cases.back().raw.dataStart = 0;
  cases.push_back({"folder count above the table", archive(Record("a", 0, 3), 1),
                   LoadStatus::kCorrupt});
  cases.back().raw.folderCount = 2;
  cases.push_back({"folder count below the table", archive(Record("a", 0, 3), 1),
                   LoadStatus::kCorrupt});
  cases.back().raw.folderText = std::string("x") + '\0' + "y" + '\0';
  cases.push_back({"folder count matching the table", archive(Record("a", 0, 3), 1),
                   LoadStatus::kOk});
  cases.back().raw.folderText = std::string("x") + '\0' + "y";  // the last end may be missing
  cases.back().raw.folderCount = 2;
  for (const Case& c : cases) {
    const std::vector<uint8_t> bytes = c.raw.Build();
    CPakArchive archiveObject;
    EXPECT_EQ(archiveObject.LoadFromMemory(bytes), c.expected) << c.what;
    EXPECT_EQ(archiveObject.IsLoaded(), c.expected == LoadStatus::kOk) << c.what;
  }
}

TEST(CPakArchiveCorrupt, WrongIdentifierOrTagIsNotAnArchive) {
  paktest::RawArchive raw;
  raw.fileText = Record("a", 0, 1);
  raw.fileCount = 1;
  raw.data = {'z', 0, 0};
  std::vector<uint8_t> bytes = raw.Build();
  CPakArchive archive;
  ASSERT_EQ(archive.LoadFromMemory(bytes), LoadStatus::kOk);
  for (size_t at : {0u, 3u, 4u, 7u}) {
    std::vector<uint8_t> bad = bytes;
    bad[at] ^= 1;
    EXPECT_EQ(archive.LoadFromMemory(bad), LoadStatus::kNotArchive) << "byte " << at;
  }
}

TEST(CPakArchiveCorrupt, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
  ScratchDir dir;
  WriteText(dir.Path() / "t" / "one.txt", "first member");
  WriteText(dir.Path() / "t" / "sub" / "two.txt", "second");
  ASSERT_NE(CPakArchive::Create(dir / "t").archive, "");
  const std::vector<uint8_t> bytes = ReadAll(dir / "t.pak");
  CPakArchive archive;
  ASSERT_EQ(archive.LoadFromMemory(bytes), LoadStatus::kOk);
  // The last member ends two bytes before the end (its two zero bytes), so cutting those still
  // leaves a readable directory; any deeper cut must be refused.
  for (size_t length = 0; length + 2 < bytes.size(); ++length) {
    const std::span<const uint8_t> cut(bytes.data(), length);
    EXPECT_NE(archive.LoadFromMemory(cut), LoadStatus::kOk) << "length " << length;
  }
  // The same through a file on disk.
  std::vector<uint8_t> half(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2));
  WriteAll(dir.Path() / "half.pak", half);
  EXPECT_EQ(archive.Load(dir / "half.pak"), LoadStatus::kCorrupt);
  EXPECT_EQ(archive.Load(dir / "absent.pak"), LoadStatus::kMissing);
}

TEST(CPakArchiveCorrupt, RandomDamageNeverYieldsAMemberOutsideTheFile) {
  ScratchDir dir;
  WriteText(dir.Path() / "d" / "one.txt", "first member");
  WriteText(dir.Path() / "d" / "two.txt", "second");
  ASSERT_NE(CPakArchive::Create(dir / "d").archive, "");
  const std::vector<uint8_t> bytes = ReadAll(dir / "d.pak");
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> bad = bytes;
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < flips; ++i) bad[rng() % bad.size()] = static_cast<uint8_t>(rng());
    CPakArchive archive;
    if (archive.LoadFromMemory(bad) != LoadStatus::kOk) continue;
    for (const util::PakEntry& e : archive.Files()) {
      ASSERT_GE(e.position, 1) << "seed " << seed;
      ASSERT_LE(static_cast<uint64_t>(e.position) - 1 + static_cast<uint64_t>(e.size), bad.size())
          << "seed " << seed;
    }
  }
}

TEST(CPakArchiveCorrupt, FolderNamesAreWalkedAsStored) {
  paktest::RawArchive raw;
  raw.AddMember("f", "1");
  raw.folderText = std::string("") + '\0' + "a" + '\0' + "a\\b" + '\0' + '\0' + "c";
  raw.folderCount = 5;
  CPakArchive archive;
  ASSERT_EQ(archive.LoadFromMemory(raw.Build()), LoadStatus::kOk);
  EXPECT_EQ(archive.Folders().size(), 5u);
  EXPECT_EQ(archive.Folders().ToVector(), (std::vector<std::string>{"", "a", "a\\b", "", "c"}));
}

// --- Unsafe member names ---------------------------------------------------------------------

std::set<std::string> SkippedNames(const std::vector<util::PakSkip>& skipped) {
  std::set<std::string> names;
  for (const util::PakSkip& skip : skipped) names.insert(skip.name);
  return names;
}

TEST(CPakArchiveUnsafe, MembersThatEscapeTheDestinationAreSkipped) {
  ScratchDir dir;
  paktest::RawArchive raw;
  const std::vector<std::string> unsafe = {"..\\evil.txt", "\\abs.txt",    "sub\\..\\..\\up.txt",
                                           "C:\\drive.txt", "/root.txt",  "..",
                                           "sub/../../slash.txt"};
  raw.AddMember("sub\\fine.txt", "ok");
  for (const std::string& name : unsafe) raw.AddMember(name, "ok");
  raw.folderText = std::string("sub") + '\0' + "..\\outside" + '\0';
  raw.folderCount = 2;
  WriteAll(dir.Path() / "evil.pak", raw.Build());
  fs::create_directories(dir.Path() / "deep" );

  const auto decoded = CPakArchive::Decode(dir / "deep/out", dir / "evil.pak");
  ASSERT_EQ(decoded.folder, dir / "deep/out");
  EXPECT_TRUE(decoded.loaded);
  EXPECT_EQ(ReadAll(dir.Path() / "deep" / "out" / "sub" / "fine.txt"), Bytes("ok"));
  const std::set<std::string> skipped = SkippedNames(decoded.skipped);
  for (const std::string& name : unsafe) EXPECT_EQ(skipped.count(name), 1u) << name;
  EXPECT_EQ(skipped.count("..\\outside"), 1u);
  for (const util::PakSkip& skip : decoded.skipped) EXPECT_NE(skip.reason, "") << skip.name;
  EXPECT_FALSE(fs::exists(dir.Path() / "deep" / "evil.txt"));
  EXPECT_FALSE(fs::exists(dir.Path() / "deep" / "up.txt"));
  EXPECT_FALSE(fs::exists(dir.Path() / "up.txt"));
  EXPECT_FALSE(fs::exists(dir.Path() / "deep" / "outside"));
  EXPECT_FALSE(fs::exists("/abs.txt"));
  EXPECT_FALSE(fs::exists("/root.txt"));
}

// What already stands in the destination before unpacking: links are never written through,
// and a file's other hard links keep their bytes.
TEST(CPakArchiveUnsafe, NothingAlreadyInTheDestinationCarriesAWriteOutside) {
  enum class Plant { kDanglingLink, kLinkToFile, kHardLink, kLinkedFolder, kInnerLinkedFolder };
  struct Case {
    const char* what;
    Plant plant;
    std::string member;   // written with the bytes "new"
    bool refused;
  };
  const std::vector<Case> cases = {
      {"dangling link at the member's name", Plant::kDanglingLink, "m", true},
      {"link to an outside file at the member's name", Plant::kLinkToFile, "m", true},
      {"hard link shared with an outside file", Plant::kHardLink, "m", false},
      {"linked folder on the member's path", Plant::kLinkedFolder, "link\\m", true},
      {"link to a folder inside the destination", Plant::kInnerLinkedFolder, "alias\\m", true},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const fs::path out = dir.Path() / "out";
    const fs::path outside = dir.Path() / "outside";
    fs::create_directories(out);
    fs::create_directories(outside);
    switch (c.plant) {
      case Plant::kDanglingLink:
        fs::create_symlink("../outside/x", out / "m");
        break;
      case Plant::kLinkToFile:
        WriteText(outside / "x", "old");
        fs::create_symlink(outside / "x", out / "m");
        break;
      case Plant::kHardLink:
        WriteText(outside / "x", "old");
        fs::create_hard_link(outside / "x", out / "m");
        break;
      case Plant::kLinkedFolder:
        fs::create_directory_symlink(outside, out / "link");
        break;
      case Plant::kInnerLinkedFolder:
        fs::create_directories(out / "real");
        fs::create_directory_symlink(out / "real", out / "alias");
        break;
    }
    paktest::RawArchive raw;
    raw.AddMember(c.member, "new");
    raw.AddMember("kept.txt", "k");
    WriteAll(dir.Path() / "a.pak", raw.Build());

    const auto decoded = CPakArchive::Decode(out.string(), dir / "a.pak");
    EXPECT_TRUE(decoded.failed.empty()) << c.what;
    EXPECT_EQ(ReadAll(out / "kept.txt"), Bytes("k")) << c.what;
    // Nothing outside the destination was made or changed.
    EXPECT_FALSE(fs::exists(outside / "m")) << c.what;
    if (fs::exists(outside / "x")) {
      EXPECT_EQ(ReadAll(outside / "x"), Bytes("old")) << c.what;
    }
    EXPECT_FALSE(fs::exists(out / "real" / "m")) << c.what;
    if (c.refused) {
      ASSERT_EQ(decoded.skipped.size(), 1u) << c.what;
      EXPECT_EQ(decoded.skipped[0].name, c.member) << c.what;
      EXPECT_NE(decoded.skipped[0].reason.find("symbolic link"), std::string::npos)
          << c.what << ": " << decoded.skipped[0].reason;
    } else {
      EXPECT_TRUE(decoded.skipped.empty()) << c.what;
      EXPECT_EQ(ReadAll(out / "m"), Bytes("new")) << c.what;
    }
    // No temporary file is left behind.
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
      EXPECT_EQ(entry.path().filename().string().rfind(".pak-", 0), std::string::npos)
          << c.what << ": " << entry.path();
    }
  }
}

TEST(CPakArchiveUnsafe, LinkedFoldersInTheFolderTableAreRefused) {
  ScratchDir dir;
  fs::create_directories(dir.Path() / "out");
  fs::create_directories(dir.Path() / "outside");
  fs::create_directory_symlink(dir.Path() / "outside", dir.Path() / "out" / "link");
  paktest::RawArchive raw;
  raw.AddMember("f", "1");
  raw.folderText = std::string("link\\made") + '\0' + "fine\\made" + '\0';
  raw.folderCount = 2;
  WriteAll(dir.Path() / "a.pak", raw.Build());
  const auto decoded = CPakArchive::Decode(dir / "out", dir / "a.pak");
  ASSERT_EQ(decoded.skipped.size(), 1u);
  EXPECT_EQ(decoded.skipped[0].name, "link\\made");
  EXPECT_FALSE(fs::exists(dir.Path() / "outside" / "made"));
  EXPECT_TRUE(fs::is_directory(dir.Path() / "out" / "fine" / "made"));
}

TEST(CPakArchiveUnsafe, NamesTooLongForTheFileSystemAreRefusedAsSuch) {
  ScratchDir dir;
  const std::string longName(300, 'n');
  paktest::RawArchive raw;
  raw.AddMember(longName, "1");
  raw.AddMember(longName + "\\inner", "2");
  raw.AddMember("short", "3");
  WriteAll(dir.Path() / "a.pak", raw.Build());
  const auto decoded = CPakArchive::Decode(dir / "out", dir / "a.pak");
  EXPECT_TRUE(decoded.failed.empty());
  ASSERT_EQ(decoded.skipped.size(), 2u);
  for (const util::PakSkip& skip : decoded.skipped) {
    EXPECT_NE(skip.reason.find("too long"), std::string::npos) << skip.reason;
  }
  EXPECT_EQ(ReadAll(dir.Path() / "out" / "short"), Bytes("3"));
}

// --- What packing leaves out -----------------------------------------------------------------

TEST(CPakArchiveCreate, EveryEntryLeftOutIsReportedWithItsReason) {
  ScratchDir dir;
  const fs::path src = dir.Path() / "src";
  WriteText(src / "plain.txt", "plain");
  WriteText(src / "sub" / "inner.txt", "inner");
  WriteText(dir.Path() / "secret.txt", "secret");
  fs::create_symlink("sub/inner.txt", src / "inside-link");
  fs::create_symlink(dir.Path() / "secret.txt", src / "outside-link");
  fs::create_symlink("nowhere", src / "dangling");
  fs::create_symlink("loop", src / "loop");
  fs::create_directory_symlink(src / "sub", src / "folder-link");
  WriteText(src / "back\\slash", "x");
  WriteText(src / std::string("one\x01") , "x");
  WriteText(src / std::string("bad\xff"), "x");
  ASSERT_EQ(::mkfifo((src / "fifo").c_str(), 0600), 0);

  const auto created = CPakArchive::Create(src.string());
  ASSERT_NE(created.archive, "") << created.error;
  const std::map<std::string, std::string> expected = {
      {"back\\slash", "separator"},
      {"bad\xff", "not UTF-8"},
      {"dangling", "dangling"},
      {"fifo", "not a regular file"},
      {"folder-link", "folder"},
      {"loop", "loops"},
      {std::string("one\x01"), "control character 1"},
      {"outside-link", "outside"},
  };
  std::map<std::string, std::string> reported;
  for (const util::PakSkip& skip : created.skipped) reported[skip.name] = skip.reason;
  ASSERT_EQ(reported.size(), expected.size());
  for (const auto& [name, words] : expected) {
    ASSERT_EQ(reported.count(name), 1u) << name;
    EXPECT_NE(reported[name].find(words), std::string::npos) << name << ": " << reported[name];
  }
  // A link to a file inside the folder stores that file's bytes; nothing from outside is stored.
  CPakArchive archive;
  ASSERT_EQ(archive.Load(created.archive), LoadStatus::kOk);
  std::set<std::string> stored;
  for (const util::PakEntry& entry : archive.Files()) stored.insert(entry.name);
  EXPECT_EQ(stored, (std::set<std::string>{"inside-link", "plain.txt", "sub\\inner.txt"}));
  EXPECT_EQ(archive.Read(*archive.Find("inside-link")), Bytes("inner"));
}

TEST(CPakArchiveCreate, UnreadableFoldersAreReported) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  ScratchDir dir;
  WriteText(dir.Path() / "src" / "a.txt", "a");
  WriteText(dir.Path() / "src" / "locked" / "b.txt", "b");
  fs::permissions(dir.Path() / "src" / "locked", fs::perms::none);
  const auto created = CPakArchive::Create(dir / "src");
  fs::permissions(dir.Path() / "src" / "locked", fs::perms::owner_all);
  ASSERT_NE(created.archive, "") << created.error;
  ASSERT_EQ(created.skipped.size(), 1u);
  EXPECT_EQ(created.skipped[0].name, "locked");
  EXPECT_NE(created.skipped[0].reason.find("cannot read"), std::string::npos);
}

TEST(CPakArchiveCreate, TheTemporaryArchiveNeverFollowsAPlantedLink) {
  ScratchDir dir;
  WriteText(dir.Path() / "src" / "a.txt", "a");
  WriteText(dir.Path() / "victim", "untouched");
  // The name a fixed temporary would have had, and the archive's own name.
  fs::create_symlink(dir.Path() / "victim", dir.Path() / "src.pak.part");
  const auto created = CPakArchive::Create(dir / "src");
  ASSERT_EQ(created.archive, dir / "src.pak") << created.error;
  EXPECT_EQ(ReadAll(dir.Path() / "victim"), Bytes("untouched"));
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "src.pak.part"));
  CPakArchive archive;
  EXPECT_EQ(archive.Load(created.archive), LoadStatus::kOk);
  // A link standing at the archive's name is replaced, not written through.
  fs::remove(created.archive);
  fs::create_symlink(dir.Path() / "victim", created.archive);
  ASSERT_EQ(CPakArchive::Create(dir / "src").archive, dir / "src.pak");
  EXPECT_EQ(ReadAll(dir.Path() / "victim"), Bytes("untouched"));
  EXPECT_FALSE(fs::is_symlink(created.archive));
  size_t leftovers = 0;
  for (const auto& entry : fs::directory_iterator(dir.Path())) {
    leftovers += entry.path().filename().string().rfind("src.pak.part-", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(leftovers, 0u);
}

}  // namespace

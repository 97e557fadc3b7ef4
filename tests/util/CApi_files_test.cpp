// CApi paths and files: the base folder and "exepath.txt", "\"-relative paths, file and folder
// operations with the CheckPath guard, listings, text files and the pak access layer.
#include "util/CApi.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

namespace {

namespace fs = std::filesystem;
using util::CApi;

class Scratch {
 public:
  Scratch() {
    static std::mt19937_64 names{std::random_device{}()};
    m_path = (fs::temp_directory_path() / ("tumbleroo-capi-" + std::to_string(names()))).string();
    fs::create_directories(m_path);
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  // The path of `name` inside, "/" separated.
  std::string operator/(const std::string& name) const { return m_path + "/" + name; }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

void Write(const std::string& path, std::string_view bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// ---- Base folder and executable-relative paths ----------------------------------------------

TEST(CApiFiles, BaseFolderIsTheExecutablesWithoutExepathTxt) {
  Scratch dir;
  CApi api;
  api.SetExecutableFolder(dir / "exe");
  EXPECT_EQ(api.GetExepath(), dir / "exe/");
  EXPECT_EQ(api.Exepath(), dir / "exe/");
  std::string path = "\\Res\\Sound\\";
  api.ExepathAddition(path);
  EXPECT_EQ(path, dir / "exe/Res/Sound/");
}

TEST(CApiFiles, ExepathTxtMovesTheBaseFolder) {
  Scratch dir;
  Write(dir / "exe/exepath.txt", dir / "data\r\n");  // an editor's line end
  CApi api;
  api.SetExecutableFolder(dir / "exe/");
  EXPECT_EQ(api.Exepath(), dir / "data/");
  struct Case {
    const char* in;
    std::string out;
  };
  const Case cases[] = {
      {"\\Res\\Sound\\", dir / "data/Res/Sound/"},
      {"\\Res\\Stage\\■StageData.txt", dir / "data/Res/Stage/■StageData.txt"},
      {"\\", dir / "data/"},
      {"C:\\x", "C:\\x"},  // a drive path is left alone
      {"Res\\x", "Res/x"},
      {"/abs/x", "/abs/x"},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::string path = c.in;
    api.ExepathAddition(path);
    EXPECT_EQ(path, c.out) << c.in;
  }
  // Computed once: a later change of the file is not seen.
  Write(dir / "exe/exepath.txt", dir / "other");
  EXPECT_EQ(api.Exepath(), dir / "data/");
  // Files are found through the new base.
  Write(dir / "data/Res/a.txt", "found");
  EXPECT_EQ(api.LoadText("\\Res\\a.txt"), "found");
  EXPECT_TRUE(api.DirFile("\\Res\\a.txt"));
  EXPECT_TRUE(api.DirFolder("\\Res"));
  EXPECT_FALSE(api.DirFile("\\Res"));
}

TEST(CApiFiles, EmptyExepathTxtKeepsTheExecutablesFolder) {
  Scratch dir;
  Write(dir / "exe/exepath.txt", "\n");
  CApi api;
  api.SetExecutableFolder(dir / "exe");
  EXPECT_EQ(api.Exepath(), dir / "exe/");
}

TEST(CApiFiles, SuffixHelpersAndNames) {
  std::string s = "Res\\Graphic";
  CApi::RightAdd(s, "\\");
  EXPECT_EQ(s, "Res\\Graphic\\");
  CApi::RightAdd(s, "\\");
  EXPECT_EQ(s, "Res\\Graphic\\");
  CApi::RightRemove(s, "\\");
  EXPECT_EQ(s, "Res\\Graphic");
  CApi::RightRemove(s, "x");
  EXPECT_EQ(s, "Res\\Graphic");

  EXPECT_EQ(CApi::GetFilePath("/a/b/c.bmp"), "/a/b");
  EXPECT_EQ(CApi::GetFilePath("Res\\Stage\\x.txt"), "Res\\Stage");
  EXPECT_EQ(CApi::GetFilePath("/x"), "/");
  EXPECT_EQ(CApi::GetFilePath("x"), "");
  EXPECT_EQ(CApi::GetFileNameAndExt("/a/b/c.tar.gz"), "c.tar.gz");
  EXPECT_EQ(CApi::GetFileName("/a/b/c.tar.gz"), "c.tar");
  EXPECT_EQ(CApi::GetFileExt("/a/b/c.tar.gz"), "gz");
  EXPECT_EQ(CApi::GetFileExt("/a.b/c"), "");
  EXPECT_EQ(CApi::GetFileName("Res\\画像.bmp"), "画像");

  EXPECT_EQ(CApi::GetFilePathTest("\\\\server\\x"), 2);
  EXPECT_EQ(CApi::GetFilePathTest("C:\\x"), 1);
  EXPECT_EQ(CApi::GetFilePathTest("/x"), 1);
  EXPECT_EQ(CApi::GetFilePathTest("x/y"), 0);
  EXPECT_EQ(CApi::GetFilePathTest("\\Res"), 0);
}

TEST(CApiFiles, AbsolutePathsResolveDots) {
  Scratch dir;
  CApi api;
  api.SetExecutableFolder(dir / "exe");
  EXPECT_EQ(api.GetAbolutePath("\\Res\\.\\a\\..\\b.txt"), dir / "exe/Res/b.txt");
  EXPECT_EQ(api.GetAbolutePath("/x/y/../z"), "/x/z");
  EXPECT_EQ(api.GetAbolutePath("rel"), (fs::current_path() / "rel").string());
}

TEST(CApiFiles, VersionText) {
  EXPECT_EQ(CApi::FormatExeVersion(1, 2, 0), " ver 1.02");
  EXPECT_EQ(CApi::FormatExeVersion(1, 2, 3), " ver 1.02.03");
  EXPECT_EQ(CApi::FormatExeVersion(0, 1, 0), " ver 0.01");
  EXPECT_EQ(CApi::FormatExeVersion(2, 123, 45), " ver 2.123.45");
  EXPECT_EQ(CApi::GetExeVersion().rfind(" ver ", 0), 0u);
}

// ---- Files and folders ----------------------------------------------------------------------

TEST(CApiFiles, FileDeleteMoveCopy) {
  Scratch dir;
  CApi api;
  Write(dir / "a.txt", "A");
  EXPECT_TRUE(api.FileCopy(dir / "b.txt", dir / "a.txt"));
  EXPECT_EQ(Read(dir / "b.txt"), "A");
  Write(dir / "a.txt", "A2");
  EXPECT_TRUE(api.FileCopy(dir / "b.txt", dir / "a.txt"));  // a copy replaces
  EXPECT_EQ(Read(dir / "b.txt"), "A2");
  EXPECT_FALSE(api.FileMove(dir / "b.txt", dir / "a.txt"));  // a move does not
  EXPECT_TRUE(api.FileMove(dir / "c.txt", dir / "a.txt"));
  EXPECT_FALSE(fs::exists(dir / "a.txt"));
  EXPECT_EQ(Read(dir / "c.txt"), "A2");
  EXPECT_TRUE(api.FileDelete(dir / "c.txt"));
  EXPECT_FALSE(api.FileDelete(dir / "c.txt"));
  EXPECT_FALSE(api.FileCopy(dir / "x.txt", dir / "missing.txt"));
  fs::create_directory(dir / "folder");
  EXPECT_FALSE(api.FileDelete(dir / "folder"));
  EXPECT_TRUE(fs::exists(dir / "folder"));
  EXPECT_TRUE(api.MakeDir(dir / "new"));
  EXPECT_TRUE(api.DirFolder(dir / "new"));
  EXPECT_FALSE(api.MakeDir(dir / "deep/er"));  // one level only
  EXPECT_NE(api.GetFileVersion(dir / "b.txt"), "");
  EXPECT_NE(api.GetFileCreated(dir / "b.txt"), "");
  EXPECT_EQ(api.GetFileVersion(dir / "missing.txt"), "");
}

TEST(CApiFiles, CheckPathGuardsFolderOperations) {
  Scratch dir;
  CApi api;
  Write(dir / "keep/x.txt", "x");
  Write(dir / "game/tmp/y.txt", "y");
  EXPECT_FALSE(api.FolderDelete(dir / "keep", dir / "game"));
  EXPECT_FALSE(api.FolderDelete(dir / "game/../keep", dir / "game"));  // ".." cannot escape
  EXPECT_TRUE(fs::exists(dir / "keep/x.txt"));
  EXPECT_FALSE(api.FolderMove(dir / "keep", dir / "game/moved", dir / "game"));
  EXPECT_FALSE(api.FolderCopy(dir / "game/tmp", dir / "copied", dir / "game"));
  EXPECT_FALSE(fs::exists(dir / "copied"));

  EXPECT_TRUE(api.FolderCopy(dir / "game/tmp", dir / "game/copy", dir / "game"));
  EXPECT_EQ(Read(dir / "game/copy/y.txt"), "y");
  EXPECT_TRUE(api.FolderMove(dir / "game/copy/", dir / "game/moved", dir / "game"));
  EXPECT_EQ(Read(dir / "game/moved/y.txt"), "y");
  EXPECT_FALSE(fs::exists(dir / "game/copy"));
  EXPECT_TRUE(api.FolderDelete(dir / "game/moved", dir / "game"));
  EXPECT_FALSE(fs::exists(dir / "game/moved"));
  EXPECT_TRUE(api.FolderDelete(dir / "game/tmp/", dir / "game"));
  EXPECT_FALSE(fs::exists(dir / "game/tmp"));
  EXPECT_TRUE(api.FolderDelete(dir / "keep"));  // no guard given
  EXPECT_FALSE(fs::exists(dir / "keep"));
  EXPECT_FALSE(api.FolderDelete("/"));
}

TEST(CApiFiles, CheckPathComparesWithoutLetterCase) {
  Scratch dir;
  CApi api;
  Write(dir / "Game/tmp/y.txt", "y");
  std::string check = dir / "GAME";
  EXPECT_TRUE(api.FolderDelete(dir / "Game/tmp", check));
  EXPECT_FALSE(fs::exists(dir / "Game/tmp"));
}

TEST(CApiFiles, ListingsFilterAndSort) {
  Scratch dir;
  CApi api;
  for (const char* name : {"b.BMP", "a.bmp", "c.png", "d.txt", ".hidden.bmp"}) Write(dir / name, "");
  fs::create_directory(dir / "sub");
  fs::create_directory(dir / ".git");
  Write(dir / "sub/e.bmp", "");
  using V = std::vector<std::string>;
  EXPECT_EQ(api.GetFiles(dir.Path()), (V{".hidden.bmp", "a.bmp", "b.BMP", "c.png", "d.txt"}));
  EXPECT_EQ(api.GetFiles(dir.Path(), "bmp;PNG", CApi::kAttrHidden),
            (V{"a.bmp", "b.BMP", "c.png"}));
  EXPECT_EQ(api.GetFiles(dir.Path() + "/", "txt", 0, "\\pre"),
            (V{api.Exepath() + "pre/d.txt"}));
  EXPECT_EQ(api.GetFolders(dir.Path()), (V{".git", "sub"}));
  EXPECT_EQ(api.GetFolders(dir.Path(), CApi::kAttrHidden), (V{"sub"}));
  EXPECT_EQ(api.GetFilesWithSubFolder(dir.Path(), "bmp", CApi::kAttrHidden),
            (V{"a.bmp", "b.BMP", "sub/e.bmp"}));
  Write(dir / ".git/f.bmp", "");
  EXPECT_EQ(api.GetFilesWithSubFolder(dir.Path(), "bmp", 0, CApi::kAttrHidden),
            (V{".hidden.bmp", "a.bmp", "b.BMP", "sub/e.bmp"}));
  fs::create_directories(dir / "sub/deeper");
  EXPECT_EQ(api.GetFoldersWithSubFolder(dir.Path(), CApi::kAttrHidden), (V{"sub", "sub/deeper"}));
  EXPECT_TRUE(api.GetFiles(dir / "missing").empty());
  EXPECT_TRUE(api.GetFilesWithSubFolder(dir / "missing").empty());
}

// ---- Text files -----------------------------------------------------------------------------

TEST(CApiFiles, TextFilesRoundTrip) {
  Scratch dir;
  CApi api;
  const std::string text = "ステージ1\r\nstage 2\r\n";
  EXPECT_TRUE(api.SaveText(dir / "plain.txt", text));
  EXPECT_EQ(Read(dir / "plain.txt"), text);  // bytes as they are, no mark, no terminator
  EXPECT_EQ(api.LoadText(dir / "plain.txt"), text);
  EXPECT_TRUE(api.SaveText(dir / "plain.txt", "short"));  // replaced, not overwritten in place
  EXPECT_EQ(Read(dir / "plain.txt"), "short");
  EXPECT_TRUE(api.SaveTextEncode(dir / "secret.txt", text));
  EXPECT_EQ(Read(dir / "secret.txt").substr(4, 4), "DATA");
  EXPECT_EQ(api.LoadText(dir / "secret.txt"), text);
  EXPECT_EQ(api.LoadText(dir / "missing.txt"), "");
  EXPECT_FALSE(api.SaveText("", "x"));
  Write(dir / "empty.txt", "");
  EXPECT_EQ(api.LoadText(dir / "empty.txt"), "");
}

// ---- Pak access -----------------------------------------------------------------------------

TEST(CApiFiles, PakMembersComeFromTheArchive) {
  Scratch dir;
  CApi api;
  api.SetExecutableFolder(dir.Path());
  Write(dir / "Res/Graphic/a.txt", "packed a");
  Write(dir / "Res/Graphic/Menu/KeyConfig.txt", "layout");
  Write(dir / "Res/Graphic/zero.bin", "");
  EXPECT_EQ(api.CreatePakFile("\\Res\\Graphic\\"), dir / "Res/Graphic.pak");
  ASSERT_TRUE(fs::is_regular_file(dir / "Res/Graphic.pak"));

  // A plain copy beside the archive does not win; a file the archive lacks is read plain.
  Write(dir / "Res/Graphic/a.txt", "plain a");
  Write(dir / "Res/Graphic/new.txt", "plain new");
  EXPECT_EQ(api.LoadText("\\Res\\Graphic\\a.txt"), "packed a");
  EXPECT_EQ(api.LoadText("\\Res\\Graphic\\A.TXT"), "packed a");
  EXPECT_EQ(api.LoadText("\\Res\\Graphic\\menu\\keyconfig.txt"), "layout");
  EXPECT_EQ(api.LoadText("\\Res\\Graphic\\Menu\\..\\a.txt"), "packed a");
  EXPECT_EQ(api.LoadText("\\Res\\Graphic\\new.txt"), "plain new");

  ASSERT_EQ(api.PakFileOpen("\\Res\\Graphic\\zero.bin"), 0);
  EXPECT_EQ(api.PakFileLength(), 0);
  EXPECT_GT(api.PakFileNumber(), 0);
  api.PakFileClose();
  EXPECT_EQ(api.PakFileNumber(), 0);

  ASSERT_EQ(api.PakFileOpen(dir / "Res/Graphic/a.txt"), 0);
  std::vector<uint8_t> bytes(static_cast<size_t>(api.PakFileLength()));
  EXPECT_EQ(CApi::ReadFileAt(api.PakFileNumber(), api.PakFileRecnumber(), bytes), bytes.size());
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "packed a");
  EXPECT_GT(api.PakFileRecnumber(), 1);
  api.PakFileClose();

  EXPECT_EQ(api.PakFileOpen("\\Res\\Graphic\\missing.txt"), 1);
  EXPECT_EQ(api.PakFileOpen("\\\\server\\share\\a.txt"), 1);
  EXPECT_EQ(api.PakFileOpen(""), 1);

  // Listings can include the members.
  fs::remove_all(dir / "Res/Graphic");
  using V = std::vector<std::string>;
  EXPECT_EQ(api.GetFiles("\\Res\\Graphic", "", 0, "", true), (V{"a.txt", "zero.bin"}));
  EXPECT_EQ(api.GetFiles("\\Res\\Graphic", "txt", 0, "", true), (V{"a.txt"}));
  EXPECT_EQ(api.GetFiles("\\Res\\Graphic\\Menu", "", 0, "", true), (V{"KeyConfig.txt"}));
  EXPECT_EQ(api.GetFolders("\\Res\\Graphic", 0, "", true), (V{"Menu"}));
  EXPECT_TRUE(api.GetFiles("\\Res\\Graphic").empty());
}

TEST(CApiFiles, PakRoundTripReproducesTheFolder) {
  Scratch dir;
  CApi api;
  api.SetExecutableFolder(dir.Path());
  std::mt19937 rng(5);
  std::vector<std::pair<std::string, std::string>> files{{"x.bin", ""}, {"sub/y.bin", ""},
                                                          {"sub/deep/z.txt", "日本語"}};
  for (auto& [name, content] : files) {
    if (content.empty()) {
      content.resize(rng() % 3000);
      for (char& c : content) c = static_cast<char>(rng());
    }
    Write(dir / ("src/" + name), content);
  }
  fs::create_directories(dir / "src/empty");
  ASSERT_EQ(api.CreatePakFile(dir / "src"), dir / "src.pak");
  EXPECT_EQ(api.DecodePakFile("out", "src.pak"), dir / "out");
  for (const auto& [name, content] : files) EXPECT_EQ(Read(dir / ("out/" + name)), content) << name;
  EXPECT_TRUE(fs::is_directory(dir / "out/empty"));
  EXPECT_EQ(api.DecodePakFile("out2", "missing.pak"), "");
  EXPECT_FALSE(fs::exists(dir / "out2"));
  fs::create_directories(dir / "nothing");
  EXPECT_EQ(api.CreatePakFile(dir / "nothing"), "");
}

// ---- Shell and instance ---------------------------------------------------------------------

TEST(CApiFiles, ShellExStartsAProgramWithoutWaiting) {
  Scratch dir;
  CApi api;
  const std::string script = dir / "tool.sh";
  Write(script, "#!/bin/sh\nprintf '%s' \"$1\" > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"\n");
  ASSERT_EQ(chmod(script.c_str(), 0700), 0);
  ASSERT_EQ(api.ShellEx(script, "hello " + (dir / "out.txt")), 0);
  // The program runs on its own; give it a while to finish (not a speed check).
  for (int i = 0; i < 500 && !fs::exists(dir / "out.txt"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(Read(dir / "out.txt"), "hello");
  EXPECT_EQ(api.ShellEx(""), 1);
}

TEST(CApiFiles, InstanceLockIsExclusive) {
  Scratch dir;
  CApi first;
  CApi second;
  EXPECT_TRUE(first.AcquireInstanceLock(dir / "lock"));
  EXPECT_FALSE(second.AcquireInstanceLock(dir / "lock"));
}

TEST(CApiFiles, NeutralDesktopHelpers) {
  EXPECT_FALSE(CApi::SetWallPaper("x.bmp"));
  EXPECT_EQ(CApi::GetWindowsVersion(), 0);
  EXPECT_TRUE(CApi::GetDrives().empty());
  EXPECT_EQ(CApi::ShowLoadDialogInstant("*.txt"), "");
  EXPECT_EQ(CApi::GetSpecialFolder(3), "");
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') {
    EXPECT_EQ(CApi::GetSpecialFolder(0).rfind(home, 0), 0u);
    EXPECT_EQ(CApi::GetSpecialFolder(0).back(), '/');
  }
}

}  // namespace

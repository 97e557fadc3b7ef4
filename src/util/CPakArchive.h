// CPakArchive: the ".pak" archive that stands for a folder of assets. Reads an archive's
// directory (every count, offset and length checked against the file's real size), finds
// members case-insensitively, locates a file archive-first up the folder tree, packs a folder
// and unpacks an archive. Member names are stored with "\" separators; paths given to and
// returned by this class use "/". Relies on std::filesystem, POSIX file calls and TextCodec.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace util {

// Names kept one after another in one text, each ended by code 0 (the last end may be
// missing), walked in place: a table of many tiny names costs no more than its own text.
class PakNameList {
 public:
  class Iterator {
   public:
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    Iterator() = default;
    Iterator(std::string_view text, size_t at) : m_text(text), m_at(at) {}
    std::string_view operator*() const;
    Iterator& operator++();
    Iterator operator++(int) {
      Iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const Iterator& other) const { return m_at == other.m_at; }

   private:
    std::string_view m_text;
    size_t m_at = 0;
  };

  PakNameList() = default;
  explicit PakNameList(std::string text);
  [[nodiscard]] Iterator begin() const { return {m_text, 0}; }
  [[nodiscard]] Iterator end() const { return {m_text, m_text.size()}; }
  [[nodiscard]] size_t size() const { return m_count; }
  [[nodiscard]] bool empty() const { return m_count == 0; }
  [[nodiscard]] std::vector<std::string> ToVector() const;
  // How many names `text` holds: each code 0 ends one, and a last unended piece is one more.
  [[nodiscard]] static size_t Count(std::string_view text);
  // The names of a text held elsewhere, walked the same way.
  struct View {
    std::string_view text;
    [[nodiscard]] Iterator begin() const { return {text, 0}; }
    [[nodiscard]] Iterator end() const { return {text, text.size()}; }
  };
  [[nodiscard]] static View Iterate(std::string_view text) { return {text}; }

 private:
  std::string m_text;
  size_t m_count = 0;
};

// An entry that packing or unpacking left out, and why.
struct PakSkip {
  std::string name;
  std::string reason;
  bool operator==(const PakSkip&) const = default;
};

// One member: its name relative to the archive's folder ("\" separators, as stored), the
// 1-based byte position of its first byte in the archive file, and its size in bytes.
struct PakEntry {
  std::string name;
  int32_t position = 0;
  int32_t size = 0;
};

class CPakArchive {
 public:
  static constexpr uint32_t kIdentifier = 0xC98C918Fu;
  static constexpr char kTag[5] = "<P1>";
  // The block scrambler's fixed parts: 128 key bytes, a 10-byte check pattern at both ends.
  static constexpr size_t kKeyBytes = 128;
  static constexpr size_t kCheckBytes = 10;
  static constexpr size_t kBlockOverhead = kKeyBytes + 2 * kCheckBytes;  // 148

  enum class LoadStatus { kOk, kMissing, kNotArchive, kCorrupt };

  CPakArchive() = default;

  // Loads the directory of the archive file `archivePath` (e.g. "Res/Graphic.pak"), replacing
  // what was loaded. On failure the object is left empty (not loaded).
  [[nodiscard]] LoadStatus Load(const std::string& archivePath);
  // Parses a whole archive held in memory (the same checks; used by tests and the fuzzer).
  [[nodiscard]] LoadStatus LoadFromMemory(std::span<const uint8_t> bytes);
  void Clear();

  [[nodiscard]] bool IsLoaded() const { return m_loaded; }
  // The archive file, and the folder it stands for (the archive path without ".pak").
  [[nodiscard]] const std::string& ArchivePath() const { return m_archivePath; }
  [[nodiscard]] const std::string& Base() const { return m_base; }
  // Members sorted by name, compared case-insensitively (ASCII letters).
  [[nodiscard]] const std::vector<PakEntry>& Files() const { return m_files; }
  // Folder names as stored ("\" separators, parents before children; may hold "").
  [[nodiscard]] const PakNameList& Folders() const { return m_folders; }
  [[nodiscard]] int32_t DataStart() const { return m_dataStart; }

  // The member called `relativeName` ("\" or "/" separators, any letter case), or nullptr.
  [[nodiscard]] const PakEntry* Find(std::string_view relativeName) const;
  // The member's bytes read from the archive file (nullopt when it cannot be read).
  [[nodiscard]] std::optional<std::vector<uint8_t>> Read(const PakEntry& entry) const;

  // Where the data of a file lives. `file` is the file to open, `position` the 1-based byte
  // position of the first data byte in it, `length` the data length.
  struct Location {
    std::string file;
    int64_t position = 1;
    int64_t length = 0;
    bool inArchive = false;
    PakEntry member;  // the archive entry when inArchive
  };
  // Archive-first lookup of `path` ("/" separators, already normalised: no "." or ".."):
  // when the path lies under `current`'s base the member is looked up there; otherwise the
  // first folder up the tree with a ".pak" beside it is loaded into `current` (emptied when
  // none is found or the load fails). A path not found in the archive, or with no archive,
  // is looked up as a plain file. nullopt when neither exists.
  [[nodiscard]] static std::optional<Location> Locate(const std::string& path,
                                                      CPakArchive& current);
  // The nearest folder F at or above the folder of `path` for which F + ".pak" is a file;
  // "" when there is none.
  [[nodiscard]] static std::string FindArchiveFolder(const std::string& path);

  // Packs every file below `folder` into folder + ".pak". Links are never stored as links: a
  // link to a file inside the folder stores that file's bytes; links to folders, to anything
  // outside the folder, dangling or looping links are left out, as are unreadable folders and
  // files, special files and names the format cannot hold. The archive is written to a new
  // file of a unique name beside the target and renamed into place.
  struct CreateResult {
    std::string archive;           // the archive written; "" when nothing was written
    std::vector<PakSkip> skipped;  // entries left out, sorted by name
    std::string error;             // why nothing was written ("" on success or no files)
  };
  [[nodiscard]] static CreateResult Create(const std::string& folder);

  // Unpacks `archive` into `destination` (created one level deep when missing). Nothing below
  // the destination is followed when it is a symbolic link, and every member is written as a
  // new file renamed over the old name, so neither links nor hard links carry a write
  // elsewhere.
  struct DecodeResult {
    std::string folder;            // the destination; "" when missing archive or folder
    bool loaded = false;           // whether the archive's directory could be read
    std::vector<PakSkip> skipped;  // members or folders refused: absolute, climbing out,
                                   // through a link, or a name too long for the file system
    std::vector<PakSkip> failed;   // members or folders that could not be read or written
  };
  [[nodiscard]] static DecodeResult Decode(const std::string& destination,
                                           const std::string& archive);

  // The block scrambler: text bytes in, a block of text + 148 bytes out, with a fresh random
  // key each call. Unscrambling yields nullopt for a block shorter than 149 bytes or one whose
  // two check patterns differ.
  [[nodiscard]] static std::vector<uint8_t> ScrambleBlock(std::span<const uint8_t> text);
  [[nodiscard]] static std::optional<std::vector<uint8_t>> UnscrambleBlock(
      std::span<const uint8_t> block);

  // Case-insensitive (ASCII) ordering of member names, the one the directory is sorted by.
  [[nodiscard]] static int CompareNames(std::string_view a, std::string_view b);

 private:
  bool m_loaded = false;
  std::string m_archivePath;
  std::string m_base;
  int32_t m_dataStart = 0;
  std::vector<PakEntry> m_files;
  PakNameList m_folders;
};

}  // namespace util

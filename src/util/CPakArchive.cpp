// CPakArchive: reading, writing and unpacking ".pak" archives. Every field read from an archive
// is checked against the bytes actually present before it sizes an allocation or a read; a
// directory that fails any check is refused as a whole, so callers fall back to plain files.
// Packing and unpacking never write through a symbolic link: each file written is a new one,
// created exclusively and renamed into place.
#include "util/CPakArchive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <random>
#include <system_error>
#include <utility>

#include "util/LeBytes.h"
#include "util/TextCodec.h"

namespace util {
namespace fs = std::filesystem;
namespace {

constexpr size_t kHeaderBytes = 16;      // identifier, tag, data start, file count
constexpr size_t kCopyChunk = 1 << 16;

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenFile(const std::string& path, const char* mode) {
  return FilePtr(std::fopen(path.c_str(), mode));
}

bool SeekTo(std::FILE* f, uint64_t offset) {
  if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return false;
  return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
}

// Random access to the archive's bytes, bounded by its real size.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  [[nodiscard]] virtual uint64_t Size() const = 0;
  // Exactly `count` bytes from `offset` into `out`, or false.
  [[nodiscard]] virtual bool ReadAt(uint64_t offset, size_t count, uint8_t* out) const = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
  uint64_t Size() const override { return m_bytes.size(); }
  bool ReadAt(uint64_t offset, size_t count, uint8_t* out) const override {
    if (offset > m_bytes.size() || count > m_bytes.size() - offset) return false;
    if (count > 0) std::memcpy(out, m_bytes.data() + offset, count);
    return true;
  }

 private:
  std::span<const uint8_t> m_bytes;
};

class FileSource final : public ByteSource {
 public:
  FileSource(std::FILE* file, uint64_t size) : m_file(file), m_size(size) {}
  uint64_t Size() const override { return m_size; }
  bool ReadAt(uint64_t offset, size_t count, uint8_t* out) const override {
    if (offset > m_size || count > m_size - offset) return false;
    if (!SeekTo(m_file, offset)) return false;
    return std::fread(out, 1, count, m_file) == count;
  }

 private:
  std::FILE* m_file;
  uint64_t m_size;
};

// A byte-array block: 2-byte dimension count, 4-byte element count, 4-byte lower bound, bytes.
// The element count must fit in what is left of the source.
std::optional<std::vector<uint8_t>> ReadArrayBlock(const ByteSource& src, uint64_t& offset) {
  std::array<uint8_t, kArrayHeadBytes> head{};
  if (!src.ReadAt(offset, head.size(), head.data())) return std::nullopt;
  const uint16_t dims = LoadLe16(head.data());
  const uint32_t count = LoadLe32(head.data() + 2);
  if (dims != 1) return std::nullopt;
  offset += kArrayHeadBytes;
  if (count > src.Size() - offset) return std::nullopt;
  std::vector<uint8_t> bytes(count);
  if (!src.ReadAt(offset, count, bytes.data())) return std::nullopt;
  offset += count;
  return bytes;
}

void PutArrayBlock(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
  PutArrayHead(out, static_cast<uint32_t>(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// Decimal digits after optional blanks and sign; anything else ends the number. Saturates, so
// a run of digits cannot overflow; callers range-check the result.
int64_t ParseDecimal(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value < (int64_t{1} << 40)) value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

// The field of `record` that starts at `at`, up to the next code 1 or the record's end; `at`
// moves past that code 1, or to npos when the record ends.
std::string_view NextField(std::string_view record, size_t& at) {
  if (at == std::string_view::npos || at > record.size()) {
    at = std::string_view::npos;
    return {};
  }
  const size_t end = record.find('\x01', at);
  const std::string_view field =
      record.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
  at = end == std::string_view::npos ? std::string_view::npos : end + 1;
  return field;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != LowerAscii(prefix[i])) return false;
  }
  return true;
}

std::string ToStored(std::string_view name) {
  std::string out(name);
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

// Where a stored name leads below the destination: its folder parts, or why it may not be
// unpacked (absolute, a drive, climbing out with ".."). "." and empty parts are dropped.
struct NamePath {
  std::vector<std::string> parts;
  std::string problem;
};

NamePath SafeParts(std::string_view stored) {
  NamePath out;
  std::string name(stored);
  std::replace(name.begin(), name.end(), '\\', '/');
  if (!name.empty() && name[0] == '/') {
    out.problem = "absolute name";
  } else if (name.size() >= 2 && name[1] == ':') {
    out.problem = "names a drive";
  } else {
    size_t at = 0;
    while (at <= name.size()) {
      const size_t end = std::min(name.find('/', at), name.size());
      const std::string_view part = std::string_view(name).substr(at, end - at);
      at = end + 1;
      if (part.empty() || part == ".") continue;
      if (part == "..") {
        out.problem = "climbs out of the destination with \"..\"";
        break;
      }
      out.parts.emplace_back(part);
    }
    if (out.problem.empty() && out.parts.empty()) out.problem = "empty name";
  }
  if (!out.problem.empty()) out.parts.clear();
  return out;
}

bool IsInside(const fs::path& root, const fs::path& candidate) {
  auto r = root.begin();
  auto c = candidate.begin();
  for (; r != root.end(); ++r, ++c) {
    if (r->empty()) continue;  // a trailing separator on the root
    if (c == candidate.end() || *r != *c) return false;
  }
  return true;
}

std::string TrimTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::mt19937& Generator() {
  thread_local std::mt19937 generator{std::random_device{}()};
  return generator;
}

// Unscrambles a table block where it lies; false when it is too short or its check patterns
// differ. The text is then bytes kKeyBytes + kCheckBytes up to the last kCheckBytes.
bool UnscrambleInPlace(std::span<uint8_t> block) {
  constexpr size_t kKey = CPakArchive::kKeyBytes;
  constexpr size_t kCheck = CPakArchive::kCheckBytes;
  if (block.size() <= CPakArchive::kBlockOverhead) return false;
  for (size_t i = kKey; i < block.size(); ++i) {
    block[i] = static_cast<uint8_t>(block[i] ^ block[i % kKey] ^ block[i - 1]);
  }
  return std::equal(block.begin() + kKey, block.begin() + kKey + kCheck, block.end() - kCheck);
}

// The plain text of the table block at `offset` as UTF-8 ("" when the block does not
// unscramble). The block's own bytes are gone before the caller builds anything from the
// text, so a table never costs much more than its own size.
std::optional<std::string> ReadTableText(const ByteSource& src, uint64_t& offset) {
  std::optional<std::vector<uint8_t>> block = ReadArrayBlock(src, offset);
  if (!block) return std::nullopt;
  std::string text;
  if (UnscrambleInPlace(*block)) {
    const size_t head = CPakArchive::kKeyBytes + CPakArchive::kCheckBytes;
    text = Utf16LeToUtf8(std::span<const uint8_t>(*block).subspan(
        head, block->size() - CPakArchive::kBlockOverhead));
  }
  block.reset();
  text.shrink_to_fit();
  return text;
}

std::optional<uint32_t> ReadCount(const ByteSource& src, uint64_t& offset) {
  std::array<uint8_t, 4> bytes{};
  if (!src.ReadAt(offset, bytes.size(), bytes.data())) return std::nullopt;
  offset += bytes.size();
  return LoadLe32(bytes.data());
}

CPakArchive::LoadStatus ParseDirectory(const ByteSource& src, int32_t& dataStart,
                                       std::vector<PakEntry>& files, PakNameList& folders) {
  using LoadStatus = CPakArchive::LoadStatus;
  const uint64_t size = src.Size();
  std::array<uint8_t, kHeaderBytes> header{};
  if (!src.ReadAt(0, header.size(), header.data())) return LoadStatus::kNotArchive;
  if (LoadLe32(header.data()) != CPakArchive::kIdentifier ||
      std::memcmp(header.data() + 4, CPakArchive::kTag, 4) != 0) {
    return LoadStatus::kNotArchive;
  }
  const auto start = static_cast<int32_t>(LoadLe32(header.data() + 8));
  const auto fileCount = static_cast<int32_t>(LoadLe32(header.data() + 12));
  if (start < 1 || static_cast<uint64_t>(start) > size + 1 || fileCount < 0) {
    return LoadStatus::kCorrupt;
  }
  // Every member takes its size plus two bytes from the data, the last one's two bytes aside:
  // a count the data cannot hold is refused before anything is sized by it.
  const uint64_t dataBytes = size - static_cast<uint64_t>(start - 1);
  if (fileCount > 0 && 2 * static_cast<uint64_t>(fileCount) - 2 > dataBytes) {
    return LoadStatus::kCorrupt;
  }

  uint64_t offset = kHeaderBytes;
  const std::optional<std::string> fileText = ReadTableText(src, offset);
  if (!fileText || PakNameList::Count(*fileText) != static_cast<size_t>(fileCount)) {
    return LoadStatus::kCorrupt;
  }

  std::vector<PakEntry> entries;
  entries.reserve(static_cast<size_t>(fileCount));
  // Members lie one after another in table order: each offset is the previous one plus the
  // previous size plus 2, so no two members share a byte.
  int64_t nextOffset = 0;
  for (std::string_view record : PakNameList::Iterate(*fileText)) {
    size_t at = 0;
    const std::string_view name = NextField(record, at);
    const std::string_view offsetField = NextField(record, at);
    if (at == std::string_view::npos || name.empty()) return LoadStatus::kCorrupt;
    const std::string_view sizeField = NextField(record, at);
    const int64_t memberOffset = ParseDecimal(offsetField);
    const int64_t memberSize = ParseDecimal(sizeField);
    if (memberOffset != nextOffset || memberSize < 0) return LoadStatus::kCorrupt;
    const int64_t position = memberOffset + start;
    // The member's last byte (1-based) must lie inside the file.
    if (position > INT32_MAX || memberSize > INT32_MAX ||
        static_cast<uint64_t>(position - 1 + memberSize) > size) {
      return LoadStatus::kCorrupt;
    }
    nextOffset = memberOffset + memberSize + 2;
    entries.push_back({std::string(name), static_cast<int32_t>(position),
                       static_cast<int32_t>(memberSize)});
  }

  const std::optional<uint32_t> folderCount = ReadCount(src, offset);
  if (!folderCount) return LoadStatus::kCorrupt;
  std::optional<std::string> folderText = ReadTableText(src, offset);
  if (!folderText || PakNameList::Count(*folderText) != *folderCount) return LoadStatus::kCorrupt;

  // Positions grow in table order, so they settle equal names the way the table lists them.
  std::sort(entries.begin(), entries.end(), [](const PakEntry& a, const PakEntry& b) {
    const int c = CPakArchive::CompareNames(a.name, b.name);
    return c != 0 ? c < 0 : a.position < b.position;
  });
  dataStart = start;
  files = std::move(entries);
  folders = PakNameList(std::move(*folderText));
  return LoadStatus::kOk;
}

// ---- Writing without following links ---------------------------------------------------

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : m_fd(fd) {}
  ~UniqueFd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      if (m_fd >= 0) ::close(m_fd);
      m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  [[nodiscard]] int Get() const { return m_fd; }
  [[nodiscard]] bool Valid() const { return m_fd >= 0; }
  // Closes now; false (errno set) when the close reports a lost write.
  bool Close() {
    const int fd = std::exchange(m_fd, -1);
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int m_fd = -1;
};

bool WriteAll(int fd, const uint8_t* data, size_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fd, data, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

// Bytes read until `count` or the end of the file.
size_t ReadFull(int fd, uint8_t* data, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd, data + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

// A file that did not exist before, named `prefix` plus a random suffix, in the folder `dirFd`
// (AT_FDCWD: the prefix is a path). O_EXCL never follows a link planted under the name.
UniqueFd CreateUniqueFile(int dirFd, const std::string& prefix, std::string& name) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    char suffix[16] = {};
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(Generator()()));
    name = prefix + suffix;
    const int fd = ::openat(dirFd, name.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) return UniqueFd(fd);
    if (errno != EEXIST) return {};
  }
  return {};
}

// How one unpacking step went: refused entries are the archive's fault and are reported as
// left out; failed ones could not be written.
struct Outcome {
  enum Kind { kOk, kRefused, kFailed };
  Kind kind = kOk;
  std::string reason;
};

constexpr const char* kThroughLink = "passes through a symbolic link";
constexpr const char* kTooLong = "name too long for the file system";

Outcome FromErrno(int error) {
  if (error == ELOOP) return {Outcome::kRefused, kThroughLink};
  if (error == ENAMETOOLONG) return {Outcome::kRefused, kTooLong};
  if (error == ENOTDIR) return {Outcome::kFailed, "a file stands where a folder is needed"};
  return {Outcome::kFailed, std::strerror(error)};
}

// Opens the first `count` parts below `rootFd` as folders, making the missing ones, and never
// through a symbolic link. `out` receives the innermost folder (the root itself for none).
Outcome OpenFolders(int rootFd, const std::vector<std::string>& parts, size_t count,
                    UniqueFd& out) {
  UniqueFd current(::fcntl(rootFd, F_DUPFD_CLOEXEC, 0));
  if (!current.Valid()) return FromErrno(errno);
  for (size_t i = 0; i < count; ++i) {
    const char* part = parts[i].c_str();
    if (parts[i].size() > NAME_MAX) return {Outcome::kRefused, kTooLong};
    if (::mkdirat(current.Get(), part, 0777) != 0 && errno != EEXIST) return FromErrno(errno);
    struct stat info {};
    if (::fstatat(current.Get(), part, &info, AT_SYMLINK_NOFOLLOW) != 0) return FromErrno(errno);
    if (S_ISLNK(info.st_mode)) return {Outcome::kRefused, kThroughLink};
    // O_NOFOLLOW is the guard; the look above only names the problem.
    UniqueFd next(::openat(current.Get(), part, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!next.Valid()) return FromErrno(errno);
    current = std::move(next);
  }
  out = std::move(current);
  return {};
}

// Writes `size` bytes from `offset` of the archive as a new file renamed over `leaf` in the
// folder `dirFd`: an old file's other hard links keep their bytes, and a link standing at
// `leaf` is refused, never written through.
Outcome WriteNewFile(int dirFd, const std::string& leaf, const ByteSource& source,
                     uint64_t offset, uint64_t size, std::vector<uint8_t>& chunk) {
  if (leaf.size() > NAME_MAX) return {Outcome::kRefused, kTooLong};
  struct stat info {};
  if (::fstatat(dirFd, leaf.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISLNK(info.st_mode)) return {Outcome::kRefused, "a symbolic link stands at its name"};
    if (S_ISDIR(info.st_mode)) return {Outcome::kFailed, "a folder stands at its name"};
  }
  std::string temporary;
  UniqueFd out = CreateUniqueFile(dirFd, ".pak-", temporary);
  if (!out.Valid()) return FromErrno(errno);
  bool readOk = true;
  bool ok = true;
  int error = 0;
  while (ok && size > 0) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(size, chunk.size()));
    readOk = source.ReadAt(offset, want, chunk.data());
    ok = readOk && WriteAll(out.Get(), chunk.data(), want);
    if (readOk && !ok) error = errno;
    offset += want;
    size -= want;
  }
  if (!out.Close() && ok) {
    ok = false;
    error = errno;
  }
  if (ok) {
    if (::renameat(dirFd, temporary.c_str(), dirFd, leaf.c_str()) == 0) return {};
    error = errno;
  }
  ::unlinkat(dirFd, temporary.c_str(), 0);
  if (!readOk) return {Outcome::kFailed, "cannot read the member from the archive"};
  return FromErrno(error);
}

// ---- Listing a folder to pack ---------------------------------------------------------------

struct PackMember {
  std::string stored;
  fs::path source;  // the file to read: for a link, the file it leads to
  uint64_t size = 0;
  dev_t device = 0;
  ino_t inode = 0;
};

// Why a name found on disk cannot be stored, or "" when it can: the tables separate fields
// with codes 0 and 1, store "\" as the separator, and hold names as UTF-16.
std::string NameProblem(const std::string& leaf) {
  if (leaf.find('\\') != std::string::npos) return "name holds \"\\\", the archive's separator";
  if (leaf.find('\x01') != std::string::npos) {
    return "name holds the control character 1, the archive's field separator";
  }
  if (Utf16LeToUtf8(Utf8ToUtf16Le(leaf)) != leaf) return "name is not UTF-8";
  return "";
}

std::string LinkProblem(int error) {
  if (error == ELOOP) return "symbolic link that loops";
  if (error == ENOENT || error == ENOTDIR) return "dangling symbolic link";
  return std::string("symbolic link that cannot be followed: ") + std::strerror(error);
}

// Every file and folder below `root`, without following linked folders; what cannot be
// stored goes to `skipped` with its reason.
void ListFolder(const fs::path& root, const fs::path& rootResolved,
                std::vector<PackMember>& members, std::vector<std::string>& folders,
                std::vector<PakSkip>& skipped) {
  std::vector<std::pair<fs::path, std::string>> pending{{root, ""}};
  while (!pending.empty()) {
    const auto [folder, relative] = std::move(pending.back());
    pending.pop_back();
    const std::string shownFolder = relative.empty() ? "." : relative;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
      skipped.push_back({shownFolder, "cannot read the folder: " + ec.message()});
      continue;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
      const fs::path path = it->path();
      const std::string leaf = path.filename().string();
      const std::string name = relative.empty() ? leaf : relative + "/" + leaf;
      if (const std::string problem = NameProblem(leaf); !problem.empty()) {
        skipped.push_back({name, problem});
        continue;
      }
      struct stat info {};
      if (::lstat(path.c_str(), &info) != 0) {
        skipped.push_back({name, std::strerror(errno)});
        continue;
      }
      if (S_ISDIR(info.st_mode)) {
        folders.push_back(ToStored(name));
        pending.emplace_back(path, name);
        continue;
      }
      fs::path source = path;
      if (S_ISLNK(info.st_mode)) {
        if (::stat(path.c_str(), &info) != 0) {
          skipped.push_back({name, LinkProblem(errno)});
          continue;
        }
        // Linked folders could loop or reach outside; a linked file is stored as its bytes,
        // and only when it lies inside the folder being packed.
        if (S_ISDIR(info.st_mode)) {
          skipped.push_back({name, "symbolic link to a folder, not followed"});
          continue;
        }
        std::error_code linkEc;
        source = fs::canonical(path, linkEc);
        if (linkEc) {
          skipped.push_back({name, LinkProblem(linkEc.value())});
          continue;
        }
        if (!IsInside(rootResolved, source)) {
          skipped.push_back({name, "symbolic link to a file outside the folder, not followed"});
          continue;
        }
      }
      if (!S_ISREG(info.st_mode)) {
        skipped.push_back({name, "not a regular file"});
        continue;
      }
      if (::access(source.c_str(), R_OK) != 0) {
        skipped.push_back({name, std::string("cannot read: ") + std::strerror(errno)});
        continue;
      }
      members.push_back({ToStored(name), source, static_cast<uint64_t>(info.st_size),
                         info.st_dev, info.st_ino});
    }
    if (ec) skipped.push_back({shownFolder, "cannot read the whole folder: " + ec.message()});
  }
}

// Appends the member's bytes to `out`; the file must still be the one listed, with its size.
bool CopyMember(const PackMember& member, int out, std::vector<uint8_t>& chunk,
                std::string& error) {
  const UniqueFd in(::open(member.source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  struct stat info {};
  if (!in.Valid() || ::fstat(in.Get(), &info) != 0) {
    error = "cannot read " + member.source.string() + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode) || info.st_dev != member.device || info.st_ino != member.inode) {
    error = "file replaced while packing: " + member.source.string();
    return false;
  }
  uint64_t left = member.size;
  while (left > 0) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(left, chunk.size()));
    if (ReadFull(in.Get(), chunk.data(), want) != want) {
      error = "file changed while packing: " + member.source.string();
      return false;
    }
    if (!WriteAll(out, chunk.data(), want)) return false;
    left -= want;
  }
  return true;
}

// What Create packs: the files (stored names, sources) and the sub-folders' stored names.
struct Listing {
  std::vector<PackMember> members;
  std::vector<std::string> folderNames;
};

// Step 1 of Create: the folder's files and sub-folders, the refused entries in
// result.skipped (sorted by name); nullopt with result.error when the folder cannot be read.
std::optional<Listing> ListMembers(const std::string& folder, CPakArchive::CreateResult& result) {
  std::error_code ec;
  if (folder.empty() || !fs::is_directory(folder, ec)) {
    result.error = "not a folder: " + folder;
    return std::nullopt;
  }
  const fs::path root(folder);
  const fs::path rootResolved = fs::canonical(root, ec);
  if (ec) {
    result.error = "cannot read " + folder + ": " + ec.message();
    return std::nullopt;
  }
  Listing listing;
  ListFolder(root, rootResolved, listing.members, listing.folderNames, result.skipped);
  std::sort(result.skipped.begin(), result.skipped.end(),
            [](const PakSkip& a, const PakSkip& b) { return a.name < b.name; });
  return listing;
}

// Step 2: members and folders in the archive's name order; an archive without sub-folders
// still lists one empty folder name.
void SortListing(Listing& listing) {
  auto byName = [](std::string_view a, std::string_view b) {
    const int c = CPakArchive::CompareNames(a, b);
    return c != 0 ? c < 0 : a < b;
  };
  std::sort(listing.members.begin(), listing.members.end(),
            [&](const PackMember& a, const PackMember& b) { return byName(a.stored, b.stored); });
  std::sort(listing.folderNames.begin(), listing.folderNames.end(), byName);
  if (listing.folderNames.empty()) listing.folderNames.emplace_back();
}

// Step 3: the bytes before the members: identifier, tag, data start, and the scrambled file
// and folder tables. dataBytes receives the size of the member data that follows.
std::vector<uint8_t> ArchiveHead(const Listing& listing, uint64_t& dataBytes) {
  std::string fileText;
  dataBytes = 0;
  for (const PackMember& member : listing.members) {
    fileText += member.stored;
    fileText += '\x01';
    fileText += std::to_string(dataBytes);
    fileText += '\x01';
    fileText += std::to_string(member.size);
    fileText += '\0';
    dataBytes += member.size + 2;
  }
  std::string folderText;
  for (const std::string& name : listing.folderNames) {
    folderText += name;
    folderText += '\0';
  }
  std::vector<uint8_t> head;
  PutLe32(head, CPakArchive::kIdentifier);
  head.insert(head.end(), CPakArchive::kTag, CPakArchive::kTag + 4);
  PutLe32(head, 0);  // data start, patched below
  PutLe32(head, static_cast<uint32_t>(listing.members.size()));
  PutArrayBlock(head, CPakArchive::ScrambleBlock(Utf8ToUtf16Le(fileText)));
  PutLe32(head, static_cast<uint32_t>(listing.folderNames.size()));
  PutArrayBlock(head, CPakArchive::ScrambleBlock(Utf8ToUtf16Le(folderText)));
  const auto dataStart = static_cast<uint32_t>(head.size() + 1);
  for (int k = 0; k < 4; ++k) head[8 + k] = static_cast<uint8_t>(dataStart >> (8 * k));
  return head;
}

// Step 4: head and members (each followed by two zero bytes) written to a new file of a
// unique name beside the target, never through a link planted there, and renamed into place,
// so a failure never leaves half an archive. False with error set on failure.
bool WriteArchive(const std::string& target, const std::vector<uint8_t>& head,
                  const std::vector<PackMember>& members, std::string& error) {
  std::string temporary;
  UniqueFd out = CreateUniqueFile(AT_FDCWD, target + ".part-", temporary);
  if (!out.Valid()) {
    error = "cannot create a temporary file beside " + target + ": " + std::strerror(errno);
    return false;
  }
  bool ok = WriteAll(out.Get(), head.data(), head.size());
  if (!ok) error = "cannot write " + temporary + ": " + std::strerror(errno);
  std::vector<uint8_t> chunk(kCopyChunk);
  const uint8_t zeros[2] = {0, 0};
  for (size_t m = 0; ok && m < members.size(); ++m) {
    ok = CopyMember(members[m], out.Get(), chunk, error) &&
         WriteAll(out.Get(), zeros, sizeof zeros);
    if (!ok && error.empty()) error = "cannot write " + temporary + ": " + std::strerror(errno);
  }
  if (!out.Close() && ok) {
    ok = false;
    error = "cannot write " + temporary + ": " + std::strerror(errno);
  }
  if (ok) {
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (ec) {
      error = "cannot create " + target + ": " + ec.message();
      ok = false;
    }
  }
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

}  // namespace

int CPakArchive::CompareNames(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    // Either separator names the same member, whichever a foreign writer stored.
    const auto ca = static_cast<unsigned char>(a[i] == '/' ? '\\' : LowerAscii(a[i]));
    const auto cb = static_cast<unsigned char>(b[i] == '/' ? '\\' : LowerAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

void CPakArchive::Clear() {
  m_loaded = false;
  m_archivePath.clear();
  m_base.clear();
  m_dataStart = 0;
  m_files.clear();
  m_folders = PakNameList();
}

CPakArchive::LoadStatus CPakArchive::Load(const std::string& archivePath) {
  Clear();
  std::error_code ec;
  if (!fs::is_regular_file(archivePath, ec)) return LoadStatus::kMissing;
  const uintmax_t size = fs::file_size(archivePath, ec);
  if (ec) return LoadStatus::kMissing;
  FilePtr file = OpenFile(archivePath, "rb");
  if (!file) return LoadStatus::kMissing;
  const FileSource source(file.get(), size);
  const LoadStatus status = ParseDirectory(source, m_dataStart, m_files, m_folders);
  if (status != LoadStatus::kOk) {
    Clear();
    return status;
  }
  m_loaded = true;
  m_archivePath = archivePath;
  const bool hasSuffix = archivePath.size() >= 4 &&
                         StartsWithNoCase(std::string_view(archivePath).substr(archivePath.size() - 4), ".pak");
  m_base = hasSuffix ? archivePath.substr(0, archivePath.size() - 4) : archivePath;
  return LoadStatus::kOk;
}

CPakArchive::LoadStatus CPakArchive::LoadFromMemory(std::span<const uint8_t> bytes) {
  Clear();
  const MemorySource source(bytes);
  const LoadStatus status = ParseDirectory(source, m_dataStart, m_files, m_folders);
  if (status != LoadStatus::kOk) {
    Clear();
    return status;
  }
  m_loaded = true;
  return LoadStatus::kOk;
}

const PakEntry* CPakArchive::Find(std::string_view relativeName) const {
  const std::string key = ToStored(relativeName);
  auto it = std::lower_bound(m_files.begin(), m_files.end(), key,
                             [](const PakEntry& entry, const std::string& name) {
                               return CompareNames(entry.name, name) < 0;
                             });
  if (it == m_files.end() || CompareNames(it->name, key) != 0) return nullptr;
  return &*it;
}

std::optional<std::vector<uint8_t>> CPakArchive::Read(const PakEntry& entry) const {
  if (!m_loaded || m_archivePath.empty() || entry.position < 1 || entry.size < 0) {
    return std::nullopt;
  }
  FilePtr file = OpenFile(m_archivePath, "rb");
  if (!file) return std::nullopt;
  std::error_code ec;
  const uintmax_t size = fs::file_size(m_archivePath, ec);
  if (ec) return std::nullopt;
  const FileSource source(file.get(), size);
  const auto offset = static_cast<uint64_t>(entry.position - 1);
  if (offset > size || static_cast<uint64_t>(entry.size) > size - offset) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(entry.size));
  if (!source.ReadAt(offset, bytes.size(), bytes.data())) return std::nullopt;
  return bytes;
}

std::string CPakArchive::FindArchiveFolder(const std::string& path) {
  fs::path folder = fs::path(path).parent_path();
  std::error_code ec;
  while (!folder.empty() && folder != folder.root_path()) {
    const fs::path candidate = folder.string() + ".pak";
    if (fs::is_regular_file(candidate, ec)) return folder.string();
    const fs::path parent = folder.parent_path();
    if (parent == folder) break;
    folder = parent;
  }
  return "";
}

std::optional<CPakArchive::Location> CPakArchive::Locate(const std::string& path,
                                                         CPakArchive& current) {
  const bool underCurrent = current.IsLoaded() && !current.Base().empty() &&
                            StartsWithNoCase(path, current.Base() + "/");
  if (!underCurrent) {
    const std::string folder = FindArchiveFolder(path);
    if (folder.empty()) {
      current.Clear();
    } else {
      (void)current.Load(folder + ".pak");  // a failed load leaves `current` empty
    }
  }
  if (current.IsLoaded() && StartsWithNoCase(path, current.Base() + "/")) {
    const std::string_view relative =
        std::string_view(path).substr(current.Base().size() + 1);
    if (const PakEntry* entry = current.Find(relative)) {
      Location location;
      location.file = current.ArchivePath();
      location.position = entry->position;
      location.length = entry->size;
      location.inArchive = true;
      location.member = *entry;
      return location;
    }
  }
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;
  const uintmax_t size = fs::file_size(path, ec);
  if (ec) return std::nullopt;
  Location location;
  location.file = path;
  location.position = 1;
  location.length = static_cast<int64_t>(size);
  location.member = {ToStored(fs::path(path).filename().string()), 1,
                     static_cast<int32_t>(std::min<uintmax_t>(size, INT32_MAX))};
  return location;
}

std::vector<uint8_t> CPakArchive::ScrambleBlock(std::span<const uint8_t> text) {
  std::vector<uint8_t> block(text.size() + kBlockOverhead);
  std::uniform_int_distribution<int> byte(0, 255);
  std::mt19937& generator = Generator();
  for (size_t i = 0; i < kKeyBytes + kCheckBytes; ++i) {
    block[i] = static_cast<uint8_t>(byte(generator));
  }
  std::copy(text.begin(), text.end(), block.begin() + kKeyBytes + kCheckBytes);
  std::copy_n(block.begin() + kKeyBytes, kCheckBytes, block.end() - kCheckBytes);
  for (size_t i = block.size() - 1; i >= kKeyBytes; --i) {
    block[i] = static_cast<uint8_t>(block[i] ^ block[i % kKeyBytes] ^ block[i - 1]);
  }
  return block;
}

std::optional<std::vector<uint8_t>> CPakArchive::UnscrambleBlock(std::span<const uint8_t> block) {
  std::vector<uint8_t> plain(block.begin(), block.end());
  if (!UnscrambleInPlace(plain)) return std::nullopt;
  return std::vector<uint8_t>(plain.begin() + kKeyBytes + kCheckBytes, plain.end() - kCheckBytes);
}

CPakArchive::CreateResult CPakArchive::Create(const std::string& folderPath) {
  CreateResult result;
  const std::string folder = TrimTrailingSlashes(folderPath);
  std::optional<Listing> listing = ListMembers(folder, result);
  if (!listing || listing->members.empty()) return result;
  SortListing(*listing);
  uint64_t dataBytes = 0;
  std::vector<uint8_t> head = ArchiveHead(*listing, dataBytes);
  // Positions are 32-bit: every member must start and end within 2 GiB.
  if (head.size() + dataBytes > static_cast<uint64_t>(INT32_MAX)) {
    result.error = "folder too large for an archive (over 2 GiB)";
    return result;
  }
  const std::string target = folder + ".pak";
  if (WriteArchive(target, head, listing->members, result.error)) result.archive = target;
  return result;
}

CPakArchive::DecodeResult CPakArchive::Decode(const std::string& destination,
                                              const std::string& archive) {
  DecodeResult result;
  std::error_code ec;
  if (!fs::is_regular_file(archive, ec)) return result;
  const std::string folder = TrimTrailingSlashes(destination);
  if (folder.empty()) return result;
  fs::create_directory(folder, ec);
  if (!fs::is_directory(folder, ec)) return result;
  result.folder = folder;

  CPakArchive table;
  if (table.Load(archive) != LoadStatus::kOk) return result;
  result.loaded = true;
  FilePtr in = OpenFile(archive, "rb");
  if (!in) {
    result.failed.push_back({archive, std::strerror(errno)});
    return result;
  }
  const uintmax_t archiveSize = fs::file_size(archive, ec);
  if (ec) {
    result.failed.push_back({archive, ec.message()});
    return result;
  }
  const FileSource source(in.get(), archiveSize);
  // The destination itself is the caller's choice and may be reached through links; nothing
  // below it is.
  const UniqueFd root(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!root.Valid()) {
    result.failed.push_back({folder, std::strerror(errno)});
    return result;
  }
  auto note = [&result](const std::string& name, const Outcome& outcome) {
    if (outcome.kind == Outcome::kRefused) result.skipped.push_back({name, outcome.reason});
    if (outcome.kind == Outcome::kFailed) result.failed.push_back({name, outcome.reason});
  };

  for (std::string_view stored : table.Folders()) {
    if (stored.empty()) continue;  // the placeholder of an archive without sub-folders
    const std::string name(stored);
    const NamePath path = SafeParts(name);
    if (!path.problem.empty()) {
      result.skipped.push_back({name, path.problem});
      continue;
    }
    UniqueFd made;
    note(name, OpenFolders(root.Get(), path.parts, path.parts.size(), made));
  }

  std::vector<uint8_t> chunk(kCopyChunk);
  for (const PakEntry& entry : table.Files()) {
    const NamePath path = SafeParts(entry.name);
    if (!path.problem.empty()) {
      result.skipped.push_back({entry.name, path.problem});
      continue;
    }
    UniqueFd parent;
    Outcome outcome = OpenFolders(root.Get(), path.parts, path.parts.size() - 1, parent);
    if (outcome.kind == Outcome::kOk) {
      outcome = WriteNewFile(parent.Get(), path.parts.back(), source,
                             static_cast<uint64_t>(entry.position) - 1,
                             static_cast<uint64_t>(entry.size), chunk);
    }
    note(entry.name, outcome);
  }
  return result;
}

PakNameList::PakNameList(std::string text) : m_text(std::move(text)), m_count(Count(m_text)) {}

size_t PakNameList::Count(std::string_view text) {
  const auto ends = static_cast<size_t>(std::count(text.begin(), text.end(), '\0'));
  return ends + ((text.empty() || text.back() == '\0') ? 0 : 1);
}

std::string_view PakNameList::Iterator::operator*() const {
  const size_t end = m_text.find('\0', m_at);
  return m_text.substr(m_at, end == std::string_view::npos ? std::string_view::npos : end - m_at);
}

PakNameList::Iterator& PakNameList::Iterator::operator++() {
  const size_t end = m_text.find('\0', m_at);
  m_at = end == std::string_view::npos ? m_text.size() : end + 1;
  return *this;
}

std::vector<std::string> PakNameList::ToVector() const {
  std::vector<std::string> names;
  names.reserve(m_count);
  for (std::string_view name : *this) names.emplace_back(name);
  return names;
}

}  // namespace util

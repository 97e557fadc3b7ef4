// CPakArchive: reading, writing and unpacking ".pak" archives. Every field read from an archive
// is checked against the bytes actually present before it sizes an allocation or a read; a
// directory that fails any check is refused as a whole, so callers fall back to plain files.
#include "util/CPakArchive.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <random>
#include <system_error>

#include "util/TextCodec.h"

namespace util {
namespace fs = std::filesystem;
namespace {

constexpr size_t kHeaderBytes = 16;      // identifier, tag, data start, file count
constexpr size_t kArrayHeadBytes = 10;   // dimension count, element count, lower bound
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

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// A byte-array block: 2-byte dimension count, 4-byte element count, 4-byte lower bound, bytes.
// The element count must fit in what is left of the source.
std::optional<std::vector<uint8_t>> ReadArrayBlock(const ByteSource& src, uint64_t& offset) {
  std::array<uint8_t, kArrayHeadBytes> head{};
  if (!src.ReadAt(offset, head.size(), head.data())) return std::nullopt;
  const uint16_t dims = static_cast<uint16_t>(head[0] | (head[1] << 8));
  const uint32_t count = ReadU32(head.data() + 2);
  if (dims != 1) return std::nullopt;
  offset += kArrayHeadBytes;
  if (count > src.Size() - offset) return std::nullopt;
  std::vector<uint8_t> bytes(count);
  if (!src.ReadAt(offset, count, bytes.data())) return std::nullopt;
  offset += count;
  return bytes;
}

void PutArrayBlock(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
  PutU16(out, 1);
  PutU32(out, static_cast<uint32_t>(bytes.size()));
  PutU32(out, 0);
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

std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      break;
    }
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

// Terminated records: "a\0b\0" gives {a, b}; a final unterminated piece still counts.
std::vector<std::string_view> SplitRecords(std::string_view text) {
  std::vector<std::string_view> pieces = SplitAt(text, '\0');
  if (!pieces.empty() && pieces.back().empty()) pieces.pop_back();
  return pieces;
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

// A stored name as a path below the destination, or nullopt when it is absolute, names a
// drive, or climbs out with "..". "." components and empty components are dropped.
std::optional<fs::path> SafeRelative(std::string_view stored) {
  std::string name(stored);
  std::replace(name.begin(), name.end(), '\\', '/');
  if (name.empty() || name[0] == '/') return std::nullopt;
  if (name.size() >= 2 && name[1] == ':') return std::nullopt;
  fs::path out;
  for (std::string_view part : SplitAt(name, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") return std::nullopt;
    out /= fs::path(std::string(part));
  }
  if (out.empty()) return std::nullopt;
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

CPakArchive::LoadStatus ParseDirectory(const ByteSource& src, int32_t& dataStart,
                                       std::vector<PakEntry>& files,
                                       std::vector<std::string>& folders) {
  using LoadStatus = CPakArchive::LoadStatus;
  const uint64_t size = src.Size();
  std::array<uint8_t, kHeaderBytes> header{};
  if (!src.ReadAt(0, header.size(), header.data())) return LoadStatus::kNotArchive;
  if (ReadU32(header.data()) != CPakArchive::kIdentifier ||
      std::memcmp(header.data() + 4, CPakArchive::kTag, 4) != 0) {
    return LoadStatus::kNotArchive;
  }
  const auto start = static_cast<int32_t>(ReadU32(header.data() + 8));
  const auto fileCount = static_cast<int32_t>(ReadU32(header.data() + 12));
  if (start < 1 || static_cast<uint64_t>(start) > size + 1 || fileCount < 0) {
    return LoadStatus::kCorrupt;
  }

  uint64_t offset = kHeaderBytes;
  const auto fileTable = ReadArrayBlock(src, offset);
  if (!fileTable) return LoadStatus::kCorrupt;
  const std::string fileText =
      Utf16LeToUtf8(CPakArchive::UnscrambleBlock(*fileTable).value_or(std::vector<uint8_t>{}));
  const std::vector<std::string_view> records = SplitRecords(fileText);
  // Each record costs at least four text bytes, so this also bounds the reservation below.
  if (records.size() != static_cast<size_t>(fileCount)) return LoadStatus::kCorrupt;

  std::vector<PakEntry> entries;
  entries.reserve(records.size());
  for (std::string_view record : records) {
    const std::vector<std::string_view> fields = SplitAt(record, '\x01');
    if (fields.size() < 3 || fields[0].empty()) return LoadStatus::kCorrupt;
    const int64_t memberOffset = ParseDecimal(fields[1]);
    const int64_t memberSize = ParseDecimal(fields[2]);
    if (memberOffset < 0 || memberSize < 0) return LoadStatus::kCorrupt;
    const int64_t position = memberOffset + start;
    // The member's last byte (1-based) must lie inside the file.
    if (position > INT32_MAX || memberSize > INT32_MAX ||
        static_cast<uint64_t>(position - 1 + memberSize) > size) {
      return LoadStatus::kCorrupt;
    }
    entries.push_back({std::string(fields[0]), static_cast<int32_t>(position),
                       static_cast<int32_t>(memberSize)});
  }

  std::array<uint8_t, 4> countBytes{};
  if (!src.ReadAt(offset, countBytes.size(), countBytes.data())) return LoadStatus::kCorrupt;
  offset += countBytes.size();
  if (static_cast<int32_t>(ReadU32(countBytes.data())) < 0) return LoadStatus::kCorrupt;
  const auto folderTable = ReadArrayBlock(src, offset);
  if (!folderTable) return LoadStatus::kCorrupt;
  const std::string folderText =
      Utf16LeToUtf8(CPakArchive::UnscrambleBlock(*folderTable).value_or(std::vector<uint8_t>{}));

  std::vector<std::string> folderNames;
  for (std::string_view piece : SplitRecords(folderText)) folderNames.emplace_back(piece);

  std::stable_sort(entries.begin(), entries.end(), [](const PakEntry& a, const PakEntry& b) {
    return CPakArchive::CompareNames(a.name, b.name) < 0;
  });
  dataStart = start;
  files = std::move(entries);
  folders = std::move(folderNames);
  return LoadStatus::kOk;
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
  m_folders.clear();
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
  if (block.size() <= kBlockOverhead) return std::nullopt;
  std::vector<uint8_t> plain(block.begin(), block.end());
  for (size_t i = kKeyBytes; i < plain.size(); ++i) {
    plain[i] = static_cast<uint8_t>(plain[i] ^ plain[i % kKeyBytes] ^ plain[i - 1]);
  }
  if (!std::equal(plain.begin() + kKeyBytes, plain.begin() + kKeyBytes + kCheckBytes,
                  plain.end() - kCheckBytes)) {
    return std::nullopt;
  }
  return std::vector<uint8_t>(plain.begin() + kKeyBytes + kCheckBytes, plain.end() - kCheckBytes);
}

CPakArchive::CreateResult CPakArchive::Create(const std::string& folderPath) {
  CreateResult result;
  const std::string folder = TrimTrailingSlashes(folderPath);
  std::error_code ec;
  if (folder.empty() || !fs::is_directory(folder, ec)) {
    result.error = "not a folder: " + folder;
    return result;
  }

  struct Member {
    std::string stored;
    fs::path source;
    uint64_t size = 0;
  };
  std::vector<Member> members;
  std::vector<std::string> folderNames;
  const fs::path root(folder);
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
  if (ec) {
    result.error = "cannot list " + folder + ": " + ec.message();
    return result;
  }
  for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (ec) {
      result.error = "cannot list " + folder + ": " + ec.message();
      return result;
    }
    const fs::path relative = it->path().lexically_relative(root);
    const std::string name = relative.generic_string();
    const std::string stored = ToStored(name);
    // The tables separate fields with codes 0 and 1 and store "\" as the separator, and hold
    // names as UTF-16: a name that cannot survive the trip is left out and reported.
    const bool representable = name.find('\\') == std::string::npos &&
                               name.find('\x01') == std::string::npos &&
                               Utf16LeToUtf8(Utf8ToUtf16Le(name)) == name;
    std::error_code entryEc;
    if (it->is_directory(entryEc)) {
      // Linked folders are not followed: they could loop or reach outside the packed tree.
      if (!representable || it->is_symlink(entryEc)) {
        result.skipped.push_back(name);
        it.disable_recursion_pending();
        continue;
      }
      folderNames.push_back(stored);
    } else if (it->is_regular_file(entryEc)) {
      if (!representable) {
        result.skipped.push_back(name);
        continue;
      }
      const uintmax_t size = it->file_size(entryEc);
      if (entryEc) {
        result.skipped.push_back(name);
        continue;
      }
      members.push_back({stored, it->path(), size});
    }
  }
  if (members.empty()) return result;

  auto byName = [](std::string_view a, std::string_view b) {
    const int c = CompareNames(a, b);
    return c != 0 ? c < 0 : a < b;
  };
  std::sort(members.begin(), members.end(),
            [&](const Member& a, const Member& b) { return byName(a.stored, b.stored); });
  std::sort(folderNames.begin(), folderNames.end(), byName);
  if (folderNames.empty()) folderNames.emplace_back();

  std::string fileText;
  uint64_t total = 0;
  for (const Member& member : members) {
    fileText += member.stored;
    fileText += '\x01';
    fileText += std::to_string(total);
    fileText += '\x01';
    fileText += std::to_string(member.size);
    fileText += '\0';
    total += member.size + 2;
  }
  std::string folderText;
  for (const std::string& name : folderNames) {
    folderText += name;
    folderText += '\0';
  }

  std::vector<uint8_t> head;
  PutU32(head, kIdentifier);
  head.insert(head.end(), kTag, kTag + 4);
  PutU32(head, 0);
  PutU32(head, static_cast<uint32_t>(members.size()));
  PutArrayBlock(head, ScrambleBlock(Utf8ToUtf16Le(fileText)));
  PutU32(head, static_cast<uint32_t>(folderNames.size()));
  PutArrayBlock(head, ScrambleBlock(Utf8ToUtf16Le(folderText)));
  // Positions are 32-bit: every member must start and end within 2 GiB.
  if (head.size() + total > static_cast<uint64_t>(INT32_MAX)) {
    result.error = "folder too large for an archive (over 2 GiB)";
    return result;
  }
  const auto dataStart = static_cast<uint32_t>(head.size() + 1);
  for (int k = 0; k < 4; ++k) head[8 + k] = static_cast<uint8_t>(dataStart >> (8 * k));

  // Written beside the target and renamed into place, so a failure never leaves half an archive.
  const std::string target = folder + ".pak";
  const std::string temporary = target + ".part";
  bool ok = false;
  {
    FilePtr out = OpenFile(temporary, "wb");
    if (!out) {
      result.error = "cannot create " + temporary;
      return result;
    }
    ok = std::fwrite(head.data(), 1, head.size(), out.get()) == head.size();
    std::vector<uint8_t> chunk(kCopyChunk);
    const uint8_t zeros[2] = {0, 0};
    for (size_t m = 0; ok && m < members.size(); ++m) {
      FilePtr in = OpenFile(members[m].source.string(), "rb");
      if (!in) {
        result.error = "cannot read " + members[m].source.string();
        ok = false;
        break;
      }
      uint64_t left = members[m].size;
      while (ok && left > 0) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, chunk.size()));
        if (std::fread(chunk.data(), 1, want, in.get()) != want) {
          result.error = "file changed while packing: " + members[m].source.string();
          ok = false;
          break;
        }
        ok = std::fwrite(chunk.data(), 1, want, out.get()) == want;
        left -= want;
      }
      ok = ok && std::fwrite(zeros, 1, 2, out.get()) == 2;
    }
    if (std::fflush(out.get()) != 0) ok = false;
    if (!ok && result.error.empty()) result.error = "cannot write " + temporary;
  }
  if (ok) {
    fs::rename(temporary, target, ec);
    if (ec) {
      result.error = "cannot create " + target + ": " + ec.message();
      ok = false;
    }
  }
  if (!ok) {
    fs::remove(temporary, ec);
    return result;
  }
  result.archive = target;
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
  if (!in) return result;
  const uintmax_t archiveSize = fs::file_size(archive, ec);
  if (ec) return result;
  const FileSource source(in.get(), archiveSize);

  const fs::path root = fs::weakly_canonical(fs::path(folder), ec);
  if (ec) return result;
  // The resolved target must stay below the destination even through existing symbolic links.
  auto resolveInside = [&root](const fs::path& relative) -> std::optional<fs::path> {
    std::error_code resolveEc;
    const fs::path target = fs::weakly_canonical(root / relative, resolveEc);
    if (resolveEc || !IsInside(root, target) || target == root) return std::nullopt;
    return target;
  };

  for (const std::string& name : table.Folders()) {
    if (name.empty()) continue;  // the placeholder of an archive without sub-folders
    const auto relative = SafeRelative(name);
    const auto target = relative ? resolveInside(*relative) : std::nullopt;
    if (!target) {
      result.skipped.push_back(name);
      continue;
    }
    fs::create_directory(*target, ec);
  }

  std::vector<uint8_t> chunk(kCopyChunk);
  for (const PakEntry& entry : table.Files()) {
    const auto relative = SafeRelative(entry.name);
    const auto target = relative ? resolveInside(*relative) : std::nullopt;
    if (!target) {
      result.skipped.push_back(entry.name);
      continue;
    }
    fs::create_directories(target->parent_path(), ec);
    FilePtr out = OpenFile(target->string(), "wb");
    bool ok = static_cast<bool>(out);
    uint64_t offset = static_cast<uint64_t>(entry.position) - 1;
    uint64_t left = static_cast<uint64_t>(entry.size);
    while (ok && left > 0) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(left, chunk.size()));
      ok = source.ReadAt(offset, want, chunk.data()) &&
           std::fwrite(chunk.data(), 1, want, out.get()) == want;
      offset += want;
      left -= want;
    }
    if (ok && std::fflush(out.get()) != 0) ok = false;
    if (!ok) result.failed.push_back(entry.name);
  }
  return result;
}

}  // namespace util

// CApi's pak file access layer: names are normalised here, the archive work is CPakArchive's.
// Handles are file descriptors opened read-only; one member is "current" at a time, as the
// readers use it, but every handle opened is closed by PakFileClose or at the latest with CApi.
#include "util/CApi.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>

#include "util/CPakArchive.h"

namespace util {

namespace fs = std::filesystem;

int32_t CApi::PakFileOpen(std::string filename) {
  if (filename.empty() || filename.starts_with("\\\\")) return 1;  // no network paths here
  const std::string path = GetAbolutePath(std::move(filename));
  if (path.empty() || path[0] != '/') return 1;  // a drive path cannot be opened here
  const auto location = CPakArchive::Locate(path, *m_pak);
  if (!location) return 1;
  if (location->position < 1 || location->position > INT32_MAX || location->length < 0 ||
      location->length > INT32_MAX)
    return 1;
  int fd = open(location->file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd == 0) {  // 0 means "no file" to the readers
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 1);
    close(fd);
    fd = moved;
  }
  if (fd < 0) return 1;
  if (fd > INT16_MAX) {
    close(fd);
    return 1;
  }
  m_openHandles.push_back(fd);
  m_pakHandle = static_cast<int16_t>(fd);
  m_pakPosition = static_cast<int32_t>(location->position);
  m_pakLength = static_cast<int32_t>(location->length);
  return 0;
}

void CApi::PakFileClose() {
  const auto it = std::find(m_openHandles.begin(), m_openHandles.end(), m_pakHandle);
  if (it != m_openHandles.end()) {
    close(*it);
    m_openHandles.erase(it);
  }
  m_pakHandle = 0;
  m_pakPosition = 0;
  m_pakLength = 0;
}

void CApi::ClosePakHandles() {
  for (const int fd : m_openHandles) close(fd);
  m_openHandles.clear();
  m_pakHandle = 0;
}

size_t CApi::ReadFileAt(int16_t handle, int64_t position, std::span<uint8_t> dst) {
  if (handle <= 0 || position < 1) return 0;
  size_t done = 0;
  while (done < dst.size()) {
    const ssize_t got = pread(handle, dst.data() + done, dst.size() - done,
                              static_cast<off_t>(position - 1 + static_cast<int64_t>(done)));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

std::optional<std::vector<uint8_t>> CApi::PakFileReadAll() const {
  if (m_pakHandle <= 0) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(m_pakLength));
  if (ReadFileAt(m_pakHandle, m_pakPosition, bytes) != bytes.size()) return std::nullopt;
  return bytes;
}

std::string CApi::AbsoluteFromExecutable(std::string path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  if (path.empty()) return {};
  if (path[0] == '\\') {
    ExepathAddition(path);
  } else {
    for (char& c : path)
      if (c == '\\') c = '/';
    if (path[0] != '/') path = GetExepath() + path;
  }
  std::string normal = fs::path(path).lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

std::string CApi::CreatePakFile(std::string filename) {
  const std::string folder = AbsoluteFromExecutable(std::move(filename));
  if (folder.empty()) return {};
  // A directory loaded from the archive about to be rewritten would go stale.
  m_pak->Clear();
  return CPakArchive::Create(folder).archive;
}

std::string CApi::DecodePakFile(std::string filename, std::string srcPakFileName) {
  const std::string archive = AbsoluteFromExecutable(std::move(srcPakFileName));
  const std::string folder = AbsoluteFromExecutable(std::move(filename));
  if (archive.empty() || folder.empty()) return {};
  return CPakArchive::Decode(folder, archive).folder;
}

}  // namespace util

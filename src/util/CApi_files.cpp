// CApi's file and folder helpers over std::filesystem. Every path goes through
// ExepathAddition first; errors are swallowed and reported as false or empty results.
#include "util/CApi.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>

#include "util/CPakArchive.h"

namespace util {

namespace fs = std::filesystem;

namespace {

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

size_t LastSeparator(std::string_view path) { return path.find_last_of("/\\"); }

int32_t Attributes(const fs::directory_entry& entry) {
  int32_t attributes = 0;
  const std::string name = entry.path().filename().string();
  if (!name.empty() && name[0] == '.') attributes |= CApi::kAttrHidden;
  if (access(entry.path().c_str(), W_OK) != 0) attributes |= CApi::kAttrReadOnly;
  std::error_code ec;
  if (entry.is_directory(ec)) attributes |= CApi::kAttrDirectory;
  return attributes;
}

// The pieces of "bmp;png", without empty ones.
std::vector<std::string> ExtensionList(std::string_view extOption) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start <= extOption.size()) {
    const size_t end = std::min(extOption.find(';', start), extOption.size());
    if (end > start) pieces.emplace_back(extOption.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

bool ExtensionTaken(const std::string& name, const std::vector<std::string>& extensions) {
  if (extensions.empty()) return true;
  return CApi::CompareEach(CApi::GetFileExt(name), extensions);
}

// Case-insensitive order with a byte order tie-break, so listings are stable.
void SortNames(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int32_t c = CApi::CompareStr(a, b, 1);
    return c != 0 ? c < 0 : a < b;
  });
}

// Adds the names not already present (case-insensitive) and sorts.
void MergeNames(std::vector<std::string>& names, const std::vector<std::string>& more) {
  for (const std::string& name : more) {
    const bool present = std::any_of(names.begin(), names.end(), [&name](const std::string& n) {
      return CApi::CompareStr(n, name, 1) == 0;
    });
    if (!present) names.push_back(name);
  }
  SortNames(names);
}

std::string FormatLocalTime(std::time_t t) {
  std::tm local{};
  if (localtime_r(&t, &local) == nullptr) return {};
  char buf[32] = {};
  std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &local);
  return buf;
}

// Archive members stored directly in `folder` (absolute, "/" separators): files or folders.
std::vector<std::string> ArchiveNames(const std::string& folder, bool folders) {
  std::vector<std::string> names;
  const std::string archiveFolder = CPakArchive::FindArchiveFolder(folder + "/-");
  if (archiveFolder.empty()) return names;
  CPakArchive archive;
  if (archive.Load(archiveFolder + ".pak") != CPakArchive::LoadStatus::kOk) return names;
  std::string relative = folder.size() > archiveFolder.size() ? folder.substr(archiveFolder.size() + 1) : "";
  auto take = [&](std::string stored) {
    for (char& c : stored)
      if (c == '\\') c = '/';
    const size_t slash = stored.rfind('/');
    const std::string parent = slash == std::string::npos ? "" : stored.substr(0, slash);
    const std::string leaf = slash == std::string::npos ? stored : stored.substr(slash + 1);
    if (!leaf.empty() && CApi::CompareStr(parent, relative, 1) == 0) names.push_back(leaf);
  };
  if (folders) {
    for (std::string_view name : archive.Folders()) take(std::string(name));
  } else {
    for (const PakEntry& entry : archive.Files()) take(entry.name);
  }
  return names;
}

}  // namespace

bool CApi::DirFile(std::string fullPath) {
  ExepathAddition(fullPath);
  std::error_code ec;
  return !fullPath.empty() && fs::is_regular_file(fullPath, ec);
}

bool CApi::DirFolder(std::string fullPath) {
  ExepathAddition(fullPath);
  std::error_code ec;
  return !fullPath.empty() && fs::is_directory(fullPath, ec);
}

std::string CApi::GetFilePath(std::string_view fullPath) {
  const size_t at = LastSeparator(fullPath);
  if (at == std::string_view::npos) return {};
  if (at == 0) return std::string(fullPath.substr(0, 1));
  return std::string(fullPath.substr(0, at));
}

std::string CApi::GetFileNameAndExt(std::string_view fullPath) {
  const size_t at = LastSeparator(fullPath);
  return std::string(at == std::string_view::npos ? fullPath : fullPath.substr(at + 1));
}

std::string CApi::GetFileName(std::string_view fullPath) {
  const std::string name = GetFileNameAndExt(fullPath);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string CApi::GetFileExt(std::string_view fullPath) {
  const std::string name = GetFileNameAndExt(fullPath);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string CApi::GetFileVersion(std::string fullPath) {
  ExepathAddition(fullPath);
  struct stat st {};
  if (fullPath.empty() || stat(fullPath.c_str(), &st) != 0) return {};
  return FormatLocalTime(st.st_mtime);
}

std::string CApi::GetFileCreated(std::string fullPath) {
  ExepathAddition(fullPath);
  if (fullPath.empty()) return {};
  struct statx sx {};
  if (statx(AT_FDCWD, fullPath.c_str(), 0, STATX_BTIME | STATX_CTIME, &sx) == 0) {
    const bool born = (sx.stx_mask & STATX_BTIME) != 0;
    return FormatLocalTime(static_cast<std::time_t>(born ? sx.stx_btime.tv_sec : sx.stx_ctime.tv_sec));
  }
  return {};
}

bool CApi::FileDelete(std::string fullPath) {
  ExepathAddition(fullPath);
  std::error_code ec;
  if (fullPath.empty() || fs::is_directory(fullPath, ec)) return false;
  return fs::remove(fullPath, ec);
}

bool CApi::FileMove(std::string dst, std::string src) {
  ExepathAddition(dst);
  ExepathAddition(src);
  std::error_code ec;
  if (dst.empty() || !fs::is_regular_file(src, ec) || fs::exists(fs::symlink_status(dst, ec))) return false;
  fs::rename(src, dst, ec);
  if (!ec) return true;
  // Across file systems: copy, then remove the source.
  if (!fs::copy_file(src, dst, ec)) return false;
  fs::remove(src, ec);
  return true;
}

bool CApi::FileCopy(std::string dst, std::string src) {
  ExepathAddition(dst);
  ExepathAddition(src);
  std::error_code ec;
  if (dst.empty() || !fs::is_regular_file(src, ec)) return false;
  return fs::copy_file(src, dst, fs::copy_options::overwrite_existing, ec);
}

bool CApi::UnderCheckPath(const std::string& path, const std::string& checkPath) {
  if (checkPath.empty()) return true;
  // Resolved first, so that ".." cannot walk out from under the guard.
  const std::string p = GetAbolutePath(path);
  const std::string c = GetAbolutePath(checkPath);
  return !c.empty() && p.size() >= c.size() && CompareStr(p.substr(0, c.size()), c, 1) == 0;
}

bool CApi::FolderDelete(std::string fullPath, std::string checkPath) {
  ExepathAddition(fullPath);
  fullPath = WithoutTrailingSlash(std::move(fullPath));
  std::error_code ec;
  if (fullPath.empty() || fullPath == "/" || !fs::is_directory(fullPath, ec)) return false;
  if (!UnderCheckPath(fullPath, checkPath)) return false;
  fs::remove_all(fullPath, ec);
  return !ec;
}

bool CApi::FolderMove(std::string srcPath, std::string dstPath, std::string checkPath) {
  ExepathAddition(srcPath);
  ExepathAddition(dstPath);
  srcPath = WithoutTrailingSlash(std::move(srcPath));
  dstPath = WithoutTrailingSlash(std::move(dstPath));
  std::error_code ec;
  if (srcPath.empty() || dstPath.empty() || srcPath == "/" || !fs::is_directory(srcPath, ec)) return false;
  if (fs::exists(fs::symlink_status(dstPath, ec))) return false;
  if (!UnderCheckPath(srcPath, checkPath) || !UnderCheckPath(dstPath, checkPath)) return false;
  fs::rename(srcPath, dstPath, ec);
  if (!ec) return true;
  fs::copy(srcPath, dstPath, fs::copy_options::recursive, ec);
  if (ec) return false;
  fs::remove_all(srcPath, ec);
  return true;
}

bool CApi::FolderCopy(std::string srcPath, std::string dstPath, std::string checkPath) {
  ExepathAddition(srcPath);
  ExepathAddition(dstPath);
  srcPath = WithoutTrailingSlash(std::move(srcPath));
  dstPath = WithoutTrailingSlash(std::move(dstPath));
  std::error_code ec;
  if (srcPath.empty() || dstPath.empty() || !fs::is_directory(srcPath, ec)) return false;
  if (!UnderCheckPath(srcPath, checkPath) || !UnderCheckPath(dstPath, checkPath)) return false;
  fs::copy(srcPath, dstPath, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
  return !ec;
}

bool CApi::MakeDir(std::string directoryName) {
  ExepathAddition(directoryName);
  directoryName = WithoutTrailingSlash(std::move(directoryName));
  std::error_code ec;
  if (directoryName.empty()) return false;
  if (fs::is_directory(directoryName, ec)) return true;
  return fs::create_directory(directoryName, ec);
}

std::vector<std::string> CApi::GetFiles(std::string sPath, std::string_view extOption,
                                        int32_t removePattern, std::string curPath,
                                        bool withPackageFile) {
  ExepathAddition(sPath);
  ExepathAddition(curPath);
  if (!curPath.empty()) RightAdd(curPath, "/");
  const std::string folder = WithoutTrailingSlash(sPath);
  const std::vector<std::string> extensions = ExtensionList(extOption);
  std::vector<std::string> names;
  std::error_code ec;
  if (!folder.empty()) {
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code typeError;
      if (!it->is_regular_file(typeError)) continue;
      const std::string name = it->path().filename().string();
      if ((Attributes(*it) & removePattern) != 0 || !ExtensionTaken(name, extensions)) continue;
      names.push_back(name);
    }
  }
  SortNames(names);
  if (withPackageFile && !folder.empty()) {
    std::vector<std::string> members;
    for (std::string& name : ArchiveNames(GetAbolutePath(folder), false))
      if (ExtensionTaken(name, extensions)) members.push_back(std::move(name));
    MergeNames(names, members);
  }
  if (!curPath.empty())
    for (std::string& name : names) name = curPath + name;
  return names;
}

std::vector<std::string> CApi::GetFolders(std::string sPath, int32_t removePattern,
                                          std::string curPath, bool withPackageFile) {
  ExepathAddition(sPath);
  ExepathAddition(curPath);
  if (!curPath.empty()) RightAdd(curPath, "/");
  const std::string folder = WithoutTrailingSlash(sPath);
  std::vector<std::string> names;
  std::error_code ec;
  if (!folder.empty()) {
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code typeError;
      if (!it->is_directory(typeError)) continue;
      if ((Attributes(*it) & removePattern) != 0) continue;
      names.push_back(it->path().filename().string());
    }
  }
  SortNames(names);
  if (withPackageFile && !folder.empty()) MergeNames(names, ArchiveNames(GetAbolutePath(folder), true));
  if (!curPath.empty())
    for (std::string& name : names) name = curPath + name;
  return names;
}

std::vector<std::string> CApi::GetFilesWithSubFolder(std::string sPath, std::string_view extOption,
                                                     int32_t removeFilePattern,
                                                     int32_t removeFolderPattern,
                                                     std::string curPath) {
  ExepathAddition(sPath);
  ExepathAddition(curPath);
  if (!curPath.empty()) RightAdd(curPath, "/");
  const std::string folder = WithoutTrailingSlash(sPath);
  const std::vector<std::string> extensions = ExtensionList(extOption);
  std::vector<std::string> names;
  std::error_code ec;
  if (folder.empty()) return names;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    const int32_t attributes = Attributes(*it);
    if (it->is_directory(typeError)) {
      if ((attributes & removeFolderPattern) != 0) it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(typeError)) continue;
    if ((attributes & removeFilePattern) != 0) continue;
    if (!ExtensionTaken(it->path().filename().string(), extensions)) continue;
    names.push_back(it->path().lexically_relative(folder).string());
  }
  SortNames(names);
  if (!curPath.empty())
    for (std::string& name : names) name = curPath + name;
  return names;
}

std::vector<std::string> CApi::GetFoldersWithSubFolder(std::string sPath, int32_t removePattern,
                                                       std::string curPath) {
  ExepathAddition(sPath);
  ExepathAddition(curPath);
  if (!curPath.empty()) RightAdd(curPath, "/");
  const std::string folder = WithoutTrailingSlash(sPath);
  std::vector<std::string> names;
  std::error_code ec;
  if (folder.empty()) return names;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    if ((Attributes(*it) & removePattern) != 0) {
      it.disable_recursion_pending();
      continue;
    }
    names.push_back(it->path().lexically_relative(folder).string());
  }
  SortNames(names);
  if (!curPath.empty())
    for (std::string& name : names) name = curPath + name;
  return names;
}

}  // namespace util

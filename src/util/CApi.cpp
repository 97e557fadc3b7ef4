// CApi's core: construction, executable-relative paths, version and command line, the instance
// lock, the clock helpers, the shell launcher and the small byte and word helpers.
#include "util/CApi.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/CBlivoBinding.h"
#include "util/CPakArchive.h"
#include "version.h"

namespace util {

namespace fs = std::filesystem;

namespace {

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

}  // namespace

CApi::CApi() : m_clock(&SteadyClock()), m_pak(std::make_unique<CPakArchive>()) {
  std::random_device entropy;
  m_rng.seed(entropy());
  m_lastStep = m_lastFps = m_debugStepStart = m_clock->NowMs();
}

CApi::~CApi() {
  ClosePakHandles();
  if (m_instanceLock >= 0) close(m_instanceLock);
}

void CApi::ReseedFromEntropy() {
  if (m_fixedSeed) {
    m_rng.seed(static_cast<uint32_t>(m_rng()));
    return;
  }
  std::random_device entropy;
  m_rng.seed(entropy() ^ m_clock->NowMs());
}

// ---- Executable, paths and version ----------------------------------------------------------

std::string CApi::GetExepath() {
  std::string folder = m_exeFolder.empty() ? platform::ExecutableFolder() : m_exeFolder;
  RightAdd(folder, "/");
  return folder;
}

void CApi::SetExecutableFolder(std::string folder) {
  for (char& c : folder)
    if (c == '\\') c = '/';
  m_exeFolder = std::move(folder);
  m_exepath.clear();
  m_exepathKnown = false;
}

std::string CApi::Exepath() {
  if (m_exepathKnown) return m_exepath;
  std::string base = GetExepath();
  // Set before reading the file, so that nothing reached from LoadText can recurse here.
  m_exepath = base;
  m_exepathKnown = true;
  std::string content = LoadText(base + "exepath.txt");
  // An editor's line end would otherwise become part of every path.
  while (!content.empty() && (content.back() == '\n' || content.back() == '\r')) content.pop_back();
  if (!content.empty()) {
    for (char& c : content)
      if (c == '\\') c = '/';
    RightAdd(content, "/");
    m_exepath = content;
  }
  return m_exepath;
}

void CApi::ExepathAddition(std::string& basePath) {
  if (HasDrive(basePath)) return;
  if (!basePath.empty() && basePath[0] == '\\') basePath = Exepath() + basePath.substr(1);
  for (char& c : basePath)
    if (c == '\\') c = '/';
}

void CApi::RightAdd(std::string& s, std::string_view suffix) {
  if (!s.ends_with(suffix)) s.append(suffix);
}

void CApi::RightRemove(std::string& s, std::string_view suffix) {
  if (!suffix.empty() && s.ends_with(suffix)) s.resize(s.size() - suffix.size());
}

std::string CApi::FormatExeVersion(int32_t major, int32_t minor, int32_t revision) {
  auto twoDigits = [](int32_t v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? std::string(2 - s.size(), '0') + s : s;
  };
  // The runtime's Str puts a blank before a non-negative number.
  std::string text = " ver" + std::string(major >= 0 ? " " : "") + std::to_string(major) + "." +
                     twoDigits(minor);
  if (revision != 0) text += "." + twoDigits(revision);
  return text;
}

std::string CApi::GetExeVersion() {
  return FormatExeVersion(TUMBLEROO_VERSION_MAJOR, TUMBLEROO_VERSION_MINOR,
                          TUMBLEROO_VERSION_PATCH);
}

std::string CApi::GetCommand() {
  if (m_command) return *m_command;
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string command;
  size_t start = raw.find('\0');  // skip the program itself
  while (start != std::string::npos && start + 1 < raw.size()) {
    const size_t end = raw.find('\0', start + 1);
    const std::string_view arg(raw.data() + start + 1,
                               (end == std::string::npos ? raw.size() : end) - start - 1);
    if (!command.empty()) command.push_back(' ');
    command.append(arg);
    start = end;
  }
  m_command = command;
  return command;
}

bool CApi::AcquireInstanceLock(const std::string& lockPath) {
  if (m_instanceLock >= 0) {
    close(m_instanceLock);
    m_instanceLock = -1;
  }
  const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return true;  // no lock to be had: do not stop the program for it
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  m_instanceLock = fd;
  return true;
}

void CApi::AppPrevInstance() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string folder = runtime != nullptr && *runtime != '\0' ? runtime : "/tmp";
  const std::string lockPath = folder + "/tumbleroo-" + std::to_string(getuid()) + ".lock";
  if (!AcquireInstanceLock(lockPath)) std::exit(0);
}

void CApi::AppCurDir(std::string sPath) {
  std::error_code ec;
  if (!sPath.empty()) {
    ExepathAddition(sPath);
    if (fs::is_directory(sPath, ec)) {
      fs::current_path(sPath, ec);
      return;
    }
  }
  std::array<char, 4096> buf{};
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return;
  const fs::path exe(std::string(buf.data(), static_cast<size_t>(n)));
  if (!fs::exists(fs::current_path(ec) / exe.filename(), ec)) fs::current_path(GetExepath(), ec);
}

std::string CApi::GetAbolutePath(std::string path) {
  ExepathAddition(path);
  if (path.empty() || HasDrive(path)) return path;
  fs::path p(path);
  if (p.is_relative()) {
    std::error_code ec;
    p = fs::current_path(ec) / p;
  }
  return p.lexically_normal().string();
}

int32_t CApi::GetFilePathTest(std::string_view path) {
  if (path.starts_with("\\\\") || path.starts_with("//")) return 2;
  if (path.starts_with("/") || HasDrive(path)) return 1;
  return 0;
}

std::string CApi::GetSpecialFolder(int32_t frg) {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return {};
  std::string folder = home;
  RightAdd(folder, "/");
  if (frg == 0) return folder;
  if (frg == 5) {
    const char* documents = std::getenv("XDG_DOCUMENTS_DIR");
    std::string path = documents != nullptr && *documents != '\0' ? documents : folder + "Documents";
    std::error_code ec;
    if (!fs::is_directory(path, ec)) return folder;
    RightAdd(path, "/");
    return path;
  }
  return {};
}

// ---- Time -----------------------------------------------------------------------------------

void CApi::SetClock(IClock* clock) {
  m_clock = clock != nullptr ? clock : &SteadyClock();
  m_lastStep = m_lastFps = m_debugStepStart = m_clock->NowMs();
  m_fpsMs = 0;
  m_fpsFrames = 0;
  m_fps = 0;
}

uint32_t CApi::GetTime() { return m_clock->NowMs(); }

int32_t CApi::StepTime(int32_t maxStepTime) {
  const uint32_t now = m_clock->NowMs();
  // The difference wraps with the 32-bit counter; a negative one means the timer went back.
  int32_t elapsed = static_cast<int32_t>(now - m_lastStep);
  if (elapsed < 0) elapsed = 0;
  m_lastStep = now;
  return std::max(0, std::min(elapsed, maxStepTime));
}

int32_t CApi::FPS() {
  const uint32_t now = m_clock->NowMs();
  int32_t elapsed = static_cast<int32_t>(now - m_lastFps);
  if (elapsed < 0) elapsed = 0;
  m_lastFps = now;
  m_fpsMs += elapsed;
  if (m_fpsMs >= 1000) {
    m_fps = m_fpsFrames;
    m_fpsMs = 0;
    m_fpsFrames = 0;
  }
  if (m_fpsFrames < INT32_MAX) ++m_fpsFrames;
  return m_fps;
}

void CApi::Sleep(int32_t sleepTime) {
  if (sleepTime > 0) m_clock->SleepMs(static_cast<uint32_t>(sleepTime));
}

std::string CApi::GetTimeWide() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::to_string(local.tm_year + 1900) + "年" + std::to_string(local.tm_mon + 1) + "月" +
         std::to_string(local.tm_mday) + "日" + std::to_string(local.tm_hour) + "時" +
         std::to_string(local.tm_min) + "分" + std::to_string(local.tm_sec) + "秒";
}

void CApi::DebugStep(std::string_view text, bool timerClear, bool printOut) {
  const uint32_t now = m_clock->NowMs();
  if (timerClear) {
    if (!text.empty()) m_debugLog.emplace_back(text);
  } else {
    const auto elapsed = static_cast<int32_t>(now - m_debugStepStart);
    m_debugLog.push_back(std::string(text) + " : " + std::to_string(elapsed) + "ms");
  }
  m_debugStepStart = now;
  if (printOut && m_trace) {
    for (const std::string& line : m_debugLog) m_trace(line);
  }
}

// ---- Shell ----------------------------------------------------------------------------------

namespace {

// Starts argv[0] detached (double fork, new session), without a shell. Waits only until the
// program has been executed or has failed to be: a close-on-exec pipe carries the exec error.
int32_t SpawnDetached(const std::vector<std::string>& args) {
  if (args.empty() || args[0].empty()) return 1;
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int pipeFds[2] = {-1, -1};
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return 1;
  const pid_t child = fork();
  if (child < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    return 1;
  }
  if (child == 0) {
    setsid();
    const pid_t grandchild = fork();
    if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
      dup2(devNull, STDIN_FILENO);
      dup2(devNull, STDOUT_FILENO);
      if (devNull > STDERR_FILENO) close(devNull);
    }
    execvp(argv[0], argv.data());
    const int error = errno;
    ssize_t ignored = write(pipeFds[1], &error, sizeof error);
    (void)ignored;
    _exit(127);
  }
  close(pipeFds[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int execError = 0;
  ssize_t got = 0;
  do {
    got = read(pipeFds[0], &execError, sizeof execError);
  } while (got < 0 && errno == EINTR);
  close(pipeFds[0]);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
  return got > 0 ? 1 : 0;
}

}  // namespace

int32_t CApi::ShellEx(std::string filename, std::string_view parameters, int32_t /*style*/) {
  if (filename.empty()) return 1;
  ExepathAddition(filename);
  std::error_code ec;
  const bool program = fs::is_regular_file(filename, ec) && access(filename.c_str(), X_OK) == 0;
  std::vector<std::string> args;
  if (program) {
    args.push_back(filename.find('/') == std::string::npos ? "./" + filename : filename);
    size_t i = 0;
    while (i < parameters.size()) {
      while (i < parameters.size() && (parameters[i] == ' ' || parameters[i] == '\t')) ++i;
      const size_t start = i;
      while (i < parameters.size() && parameters[i] != ' ' && parameters[i] != '\t') ++i;
      if (i > start) args.emplace_back(parameters.substr(start, i - start));
    }
  } else {
    args = {"xdg-open", filename};
  }
  return SpawnDetached(args);
}

int32_t CApi::ShellExplore(std::string folder) {
  if (folder.empty()) return 1;
  ExepathAddition(folder);
  return SpawnDetached({"xdg-open", folder});
}

// ---- Bytes and words ------------------------------------------------------------------------

void CApi::ArrayIntSet(std::span<uint8_t> bytes, int32_t pos, int32_t value) {
  if (pos < 0 || static_cast<size_t>(pos) + 1 >= bytes.size()) return;
  const auto v = static_cast<uint32_t>(value);
  bytes[static_cast<size_t>(pos)] = static_cast<uint8_t>(v & 0xFFu);
  bytes[static_cast<size_t>(pos) + 1] = static_cast<uint8_t>((v >> 8) & 0xFFu);
}

int32_t CApi::ArrayIntGet(std::span<const uint8_t> bytes, int32_t pos) {
  if (pos < 0 || static_cast<size_t>(pos) + 1 >= bytes.size()) return 0;
  const auto lo = bytes[static_cast<size_t>(pos)];
  const auto hi = bytes[static_cast<size_t>(pos) + 1];
  return static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
}

bool CApi::CopyMemory(std::span<uint8_t> dst, int64_t dstOffset, std::span<const uint8_t> src,
                      int64_t srcOffset, int64_t length) {
  if (length <= 0) return length == 0;
  if (dstOffset < 0 || srcOffset < 0) return false;
  if (static_cast<uint64_t>(dstOffset) > dst.size() ||
      static_cast<uint64_t>(length) > dst.size() - static_cast<uint64_t>(dstOffset))
    return false;
  if (static_cast<uint64_t>(srcOffset) > src.size() ||
      static_cast<uint64_t>(length) > src.size() - static_cast<uint64_t>(srcOffset))
    return false;
  std::memmove(dst.data() + dstOffset, src.data() + srcOffset, static_cast<size_t>(length));
  return true;
}

uint32_t CApi::SHR(uint32_t value, int32_t count) {
  if (auto fn = BLIVO_FN(SHR)) return fn(value, count);
  return value >> (static_cast<uint32_t>(count) & 31u);
}

uint32_t CApi::SHL(uint32_t value, int32_t count) {
  if (auto fn = BLIVO_FN(SHL)) return fn(value, count);
  return value << (static_cast<uint32_t>(count) & 31u);
}

int32_t CApi::CpuID() {
  if (auto fn = BLIVO_FN(GetCpuID)) return fn();
  return 0;
}

}  // namespace util

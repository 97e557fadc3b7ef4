// dlopen/dlsym behind the binding table.
#include "CBlivoBinding.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>

namespace platform {

namespace {
constexpr const char* kLibraryName = "libblivo.so";
}

std::string ExecutableFolder() {
  std::array<char, 4096> buf{};
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return "./";
  std::string path(buf.data(), static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

CBlivoBinding& CBlivoBinding::Shared() {
  static CBlivoBinding binding;
  return binding;
}

CBlivoBinding::CBlivoBinding() : m_path(ExecutableFolder() + kLibraryName) {}

CBlivoBinding::~CBlivoBinding() {
  if (m_handle != nullptr) dlclose(m_handle);
}

CBlivoBinding::Status CBlivoBinding::Open() {
  if (m_opened) return m_openStatus;
  m_opened = true;
  m_handle = dlopen(m_path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (m_handle == nullptr) {
    const char* why = dlerror();
    m_lastError = why ? why : m_path + ": cannot be opened";
    m_openStatus = Status::kNoLibrary;
  } else {
    m_openStatus = Status::kOk;
  }
  return m_openStatus;
}

void* CBlivoBinding::Find(const char* name) {
  if (Open() != Status::kOk) return nullptr;
  auto it = m_table.find(name);
  if (it != m_table.end()) return it->second;
  dlerror();
  void* address = dlsym(m_handle, name);
  if (address == nullptr) {
    const char* why = dlerror();
    m_lastError = why ? why : std::string(name) + ": not exported";
  }
  m_table.emplace(name, address);
  return address;
}

CBlivoBinding::Status CBlivoBinding::Probe(const char* name) {
  if (Open() != Status::kOk) return Status::kNoLibrary;
  return Find(name) != nullptr ? Status::kOk : Status::kNoExport;
}

void CBlivoBinding::Rebind(std::string path) {
  if (m_handle != nullptr) dlclose(m_handle);
  m_handle = nullptr;
  m_opened = false;
  m_openStatus = Status::kNoLibrary;
  m_table.clear();
  m_lastError.clear();
  m_path = path.empty() ? ExecutableFolder() + kLibraryName : std::move(path);
  ++m_generation;
}

}  // namespace platform

// Run-time binding of libblivo.so: the library is opened from the executable's own folder at the
// first call, and each export is looked up by name at its first use through one table.
// A missing library or export is a result (a null function), never a loader failure.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "blivo.h"

namespace platform {

class CBlivoBinding {
 public:
  enum class Status { kOk, kNoLibrary, kNoExport };

  static CBlivoBinding& Shared();

  // Opens the library once; later calls return the first outcome.
  [[nodiscard]] Status Open();
  // The export's address, or nullptr when the library or the export is missing.
  [[nodiscard]] void* Find(const char* name);
  // Opens the library and looks up one export.
  [[nodiscard]] Status Probe(const char* name);
  // What the last failure was, in the loader's words.
  [[nodiscard]] const std::string& LastError() const { return m_lastError; }
  // Which file was (or will be) opened.
  [[nodiscard]] const std::string& LibraryPath() const { return m_path; }

  // Closes the library and forgets every lookup; the next call opens `path` (empty: the default
  // beside the executable). Cached call sites notice through the generation number.
  void Rebind(std::string path);
  [[nodiscard]] uint32_t Generation() const { return m_generation; }

  CBlivoBinding(const CBlivoBinding&) = delete;
  CBlivoBinding& operator=(const CBlivoBinding&) = delete;

 private:
  CBlivoBinding();
  ~CBlivoBinding();

  void* m_handle = nullptr;
  bool m_opened = false;
  Status m_openStatus = Status::kNoLibrary;
  std::string m_path;
  std::string m_lastError;
  std::unordered_map<std::string, void*> m_table;
  uint32_t m_generation = 1;
};

// The folder that holds the running executable (with a trailing '/').
std::string ExecutableFolder();

// One call site's cached lookup.
struct BlivoSlot {
  const char* name;
  void* address = nullptr;
  uint32_t generation = 0;
};

inline void* Resolve(BlivoSlot& slot) {
  CBlivoBinding& binding = CBlivoBinding::Shared();
  if (slot.generation != binding.Generation()) {
    slot.address = binding.Find(slot.name);
    slot.generation = binding.Generation();
  }
  return slot.address;
}

}  // namespace platform

// The typed address of a blivo export, or nullptr when it cannot be had:
//   if (auto fn = BLIVO_FN(GetCpuID)) cls = fn();
#define BLIVO_FN(name)                                                 \
  ([]() {                                                              \
    static ::platform::BlivoSlot slot{#name};                          \
    return reinterpret_cast<decltype(&::name)>(::platform::Resolve(slot)); \
  }())

// Processor class from the identification instruction, and the vector-path switches.
#include "cpu.h"

#include <cpuid.h>

#include <cstdlib>
#include <cstring>

#include "kernels.h"

namespace blivo {

int32_t ClassifyFeatures(bool hasCpuid, uint32_t edx) {
  if (!hasCpuid) return 1;
  constexpr uint32_t kCmov = 1u << 15, kMmx = 1u << 23, kSse = 1u << 25, kSse2 = 1u << 26;
  if ((edx & kMmx) == 0) return (edx & kCmov) ? 3 : 2;
  int32_t cls = 4;
  if (edx & kSse) cls += 8;
  if (edx & kSse2) cls += 16;
  return cls;
}

namespace {

int32_t ComputeClass() {
  // x86-64 always has the identification instruction; __get_cpuid reports its absence anyway.
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return ClassifyFeatures(false, 0);
  return ClassifyFeatures(true, edx);
}

bool Disabled(const char* list, const char* name) {
  if (list == nullptr) return false;
  const size_t len = std::strlen(name);
  for (const char* p = list; *p != '\0';) {
    const char* end = std::strchr(p, ',');
    const size_t n = end ? static_cast<size_t>(end - p) : std::strlen(p);
    if (n == len && std::strncmp(p, name, len) == 0) return true;
    if (end == nullptr) break;
    p = end + 1;
  }
  return false;
}

Isa DetectIsa() {
  Isa isa;
  __builtin_cpu_init();
  const char* off = std::getenv("BLIVO_DISABLE");
  isa.sse2 = __builtin_cpu_supports("sse2") && !Disabled(off, "sse2");
  isa.avx2 = __builtin_cpu_supports("avx2") && !Disabled(off, "avx2");
  return isa;
}

Isa& IsaStorage() {
  static Isa isa = DetectIsa();
  return isa;
}

}  // namespace

int32_t CpuClass() {
  static const int32_t cls = ComputeClass();
  return cls;
}

int32_t& MmxSwitch() {
  static int32_t value = 0;
  return value;
}

const Isa& HostIsa() { return IsaStorage(); }

void ReloadIsa() {
  IsaStorage() = DetectIsa();
  ReloadKernels();
}

}  // namespace blivo

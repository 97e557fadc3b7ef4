// Library-level exports: handles, the MMX switch, the processor class and integer helpers.
// The load-time hook classifies the processor and seeds the random generator.
#include "blivo.h"
#include "cpu.h"
#include "random.h"

#include <time.h>

namespace {

uint32_t TickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                               static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

__attribute__((constructor)) void OnLoad() {
  (void)blivo::CpuClass();
  blivo::SharedRandom().Seed(TickCount());
}

}  // namespace

extern "C" {

BLIVO_API void* BBI(void* address) { return address; }
BLIVO_API void* Get_ptr(void* address) { return address; }

BLIVO_API int32_t MMX(int32_t value) {
  blivo::MmxSwitch() = value;
  return value;
}

BLIVO_API int32_t GetCpuID(void) { return blivo::CpuClass(); }

BLIVO_API uint32_t SHR(uint32_t value, int32_t count) {
  return value >> (static_cast<uint32_t>(count) & 31u);
}

BLIVO_API uint32_t SHL(uint32_t value, int32_t count) {
  return value << (static_cast<uint32_t>(count) & 31u);
}

BLIVO_API int32_t dllAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

BLIVO_API int32_t HitTestWall(int32_t, int32_t, int32_t, int32_t) { return 0; }

}  // extern "C"

// Processor identification: the documented processor class, and which vector instruction sets
// the kernels may use (BLIVO_DISABLE=avx2,sse2 in the environment forces the fallbacks).
#pragma once

#include <cstdint>

namespace blivo {

// The class computed from a feature word (identification function 1, EDX); exposed for tests.
int32_t ClassifyFeatures(bool hasCpuid, uint32_t edx);

// The class of this processor, computed once.
int32_t CpuClass();

// The library-wide MMX switch (0 at load).
int32_t& MmxSwitch();

// Vector paths the kernels may take on this machine, after BLIVO_DISABLE.
struct Isa {
  bool sse2 = false;
  bool avx2 = false;
};
const Isa& HostIsa();

// Recomputes HostIsa from the environment and chooses every kernel table again; tests use it
// after changing BLIVO_DISABLE.
void ReloadIsa();

}  // namespace blivo

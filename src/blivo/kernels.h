// The choice of kernel table for every vector family (blits, drawing spans, raw rows, scaling,
// conversions): made once at load from HostIsa(), first of AVX2, SSE2, reference that the host
// allows, and again when ReloadIsa() reads BLIVO_DISABLE anew. Relies on cpu.h.
#pragma once

namespace blivo {

// Chooses every family's table again from HostIsa().
void ReloadKernels();

}  // namespace blivo

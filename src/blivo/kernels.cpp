// The active table of each kernel family, chosen once from the host's instruction sets.
#include "kernels.h"

#include "blit_kernels.h"
#include "convert_kernels.h"
#include "cpu.h"
#include "draw_kernels.h"
#include "row_kernels.h"
#include "scale_kernels.h"

namespace blivo {

namespace {

// First match wins; a family without a table for an instruction set passes null.
template <class Table>
const Table* Best(const Isa& isa, const Table& ref, const Table* sse2, const Table* avx2) {
  if (isa.avx2 && avx2 != nullptr) return avx2;
  if (isa.sse2 && sse2 != nullptr) return sse2;
  return &ref;
}

struct Chosen {
  const BlitKernels* blit;
  const draw::DrawKernels* draw;
  const rowk::RowKernels* rows;
  const ScaleKernels* scale;
  const ConvertKernels* convert;
};

Chosen Choose() {
  const Isa& isa = HostIsa();
  return Chosen{
      Best(isa, kBlit_Ref, &kBlit_Sse2, &kBlit_Avx2),
      Best(isa, draw::kDraw_Ref, &draw::kDraw_Sse2, &draw::kDraw_Avx2),
      Best(isa, rowk::kRows_Ref, &rowk::kRows_Sse2, &rowk::kRows_Avx2),
      Best(isa, kScale_Ref, &kScale_Sse2, &kScale_Avx2),
      Best<ConvertKernels>(isa, kConvert_Ref, nullptr, &kConvert_Avx2),
  };
}

Chosen& Active() {
  static Chosen chosen = Choose();
  return chosen;
}

}  // namespace

void ReloadKernels() { Active() = Choose(); }

const BlitKernels& ActiveBlitKernels() { return *Active().blit; }
void UseBlitKernels(const BlitKernels& kernels) { Active().blit = &kernels; }
const draw::DrawKernels& draw::ActiveDrawKernels() { return *Active().draw; }
const rowk::RowKernels& rowk::ActiveRowKernels() { return *Active().rows; }
const ScaleKernels& ActiveScaleKernels() { return *Active().scale; }
const ConvertKernels& ActiveConvertKernels() { return *Active().convert; }

}  // namespace blivo

// Drives the raw-buffer families with arbitrary descriptors: counts, row counts, strides and
// surface sizes from the input, extremes included. An independent model says which rows each
// call may touch. When the model says the description reaches outside what it describes
// (negative sizes, strides shorter than a row, spans beyond 2^31 bytes), the call must return 1
// and leave every buffer as it was; otherwise the buffers are allocated to exactly the described
// rows, framed and interleaved with guard bytes, and a write outside the rows traps.
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "blivo.h"

namespace {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  bool Empty() const { return m_pos >= m_size; }
  uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  uint32_t Word() {
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v |= static_cast<uint32_t>(Byte()) << (8 * k);
    return v;
  }
  // Mostly small sizes, sometimes negative, extreme or any 32-bit value.
  int32_t Size() {
    const uint8_t kind = Byte();
    switch (kind % 10) {
      case 0:
        return INT32_MIN;
      case 1:
        return INT32_MAX;
      case 2:
        return static_cast<int32_t>(Word());
      case 3:
        return -static_cast<int32_t>(Byte() % 9);
      default:
        return static_cast<int32_t>(kind / 10 % 13);
    }
  }
  // Mostly a stride that fits rowBytes with some slack, sometimes anything.
  int32_t Stride(int64_t rowBytes) {
    const uint8_t kind = Byte();
    switch (kind % 8) {
      case 0:
        return static_cast<int32_t>(Word());
      case 1:
        return -static_cast<int32_t>(kind / 8);
      case 2:
        return static_cast<int32_t>(rowBytes > 0 ? rowBytes - 1 : 0);
      default: {
        const int64_t s = rowBytes + kind / 8 % 9;
        return s > INT32_MAX ? INT32_MAX : static_cast<int32_t>(s);
      }
    }
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

// The rows one buffer is described by.
struct Rows {
  int64_t rowBytes, stride, rows;
};

enum class Verdict { kRefuse, kFits, kTooBig };

__extension__ typedef __int128 Wide;

constexpr int64_t kMaxSpan = 1 << 16;
constexpr size_t kGuard = 32;
constexpr uint8_t kGuardByte = 0xA5;

// The model, in 128-bit arithmetic so that it shares nothing with the library's own check.
Verdict Judge(const Rows& r, int64_t& span) {
  span = 0;
  if (r.rowBytes < 0 || r.rows < 0) return Verdict::kRefuse;
  if (r.rowBytes == 0 || r.rows == 0) return Verdict::kFits;
  if (r.rows > 1 && r.stride < r.rowBytes) return Verdict::kRefuse;
  const Wide s = static_cast<Wide>(r.rows - 1) * (r.rows > 1 ? r.stride : 0) + r.rowBytes;
  if (s > INT32_MAX) return Verdict::kRefuse;
  span = static_cast<int64_t>(s);
  return span > kMaxSpan ? Verdict::kTooBig : Verdict::kFits;
}

// A buffer holding exactly the described rows; every other byte is a guard.
class Guarded {
 public:
  Guarded(const Rows& r, int64_t span, Reader& in)
      : m_bytes(kGuard * 2 + static_cast<size_t>(span), kGuardByte),
        m_inside(m_bytes.size(), false) {
    if (span == 0) return;
    for (int64_t y = 0; y < r.rows; ++y)
      for (int64_t i = 0; i < r.rowBytes; ++i) {
        const size_t at = kGuard + static_cast<size_t>(y * r.stride + i);
        m_inside[at] = true;
        m_bytes[at] = in.Byte();
      }
  }
  // A small buffer for calls that must be refused: all of it must stay as it was.
  explicit Guarded(Reader& in) : m_bytes(kGuard * 2 + 64), m_inside(m_bytes.size(), false) {
    for (auto& b : m_bytes) b = in.Byte();
    m_before = m_bytes;
  }
  uint8_t* Data() { return m_bytes.data() + kGuard; }
  void Check() const {
    if (!m_before.empty()) {
      if (m_bytes != m_before) __builtin_trap();
      return;
    }
    for (size_t i = 0; i < m_bytes.size(); ++i)
      if (!m_inside[i] && m_bytes[i] != kGuardByte) __builtin_trap();
  }

 private:
  std::vector<uint8_t> m_bytes;
  std::vector<bool> m_inside;
  std::vector<uint8_t> m_before;
};

// Runs one call over the buffers the description needs.
void Drive(Reader& in, const std::vector<Rows>& needs,
           const std::function<int32_t(std::vector<uint8_t*>&)>& call) {
  bool refuse = false;
  std::vector<int64_t> spans(needs.size());
  for (size_t i = 0; i < needs.size(); ++i) {
    const Verdict v = Judge(needs[i], spans[i]);
    if (v == Verdict::kTooBig) return;
    refuse = refuse || v == Verdict::kRefuse;
  }
  std::vector<Guarded> buffers;
  buffers.reserve(needs.size());
  for (size_t i = 0; i < needs.size(); ++i) {
    if (refuse)
      buffers.emplace_back(in);
    else
      buffers.emplace_back(needs[i], spans[i], in);
  }
  std::vector<uint8_t*> ptrs;
  for (Guarded& g : buffers) ptrs.push_back(g.Data());
  const int32_t result = call(ptrs);
  if (refuse && result != 1) __builtin_trap();
  if (result != 0 && result != 1) __builtin_trap();
  for (const Guarded& g : buffers) g.Check();
}

using Rect2 = int32_t (*)(void*, const void*, int32_t, int32_t, int32_t, int32_t);
using DescFn = int32_t (*)(void*, const void*, int32_t, const BlivoDescriptor*);
using CountFn = int32_t (*)(void*, const void*, int32_t);

// Two-buffer rectangles: destination pixels of dstBytes, source of srcBytes; the source holds
// nx times the width and ny times the rows.
struct Rect2Op {
  Rect2 fn;
  int32_t dstBytes, srcBytes, nx, ny;
};
const Rect2Op kRect2[] = {
    {UsdADD, 4, 4, 1, 1},
    {UsdSUB, 4, 4, 1, 1},
    {UsdXORADD, 4, 4, 1, 1},
    {UsdXORSUB, 4, 4, 1, 1},
    {UsdCopy, 4, 4, 1, 1},
    {UsdCopyPentium, 4, 4, 1, 1},
    {UsdAlpha, 4, 4, 1, 1},
    {UsdAlphaFast, 4, 4, 1, 1},
    {UsdColorDown, 2, 4, 1, 1},
    {UsdXOR, 4, 4, 1, 1},
    {UsdAreas, 4, 4, 2, 2},
    {UsdAntiAreas16, 2, 4, 2, 2},
    {RastaRizeCopyFour, 4, 4, 1, 1},
    {BvAntiAreas2, 4, 4, 2, 2},
    {BvAntiAreas4, 4, 4, 4, 4},
    {LibTrUAreas, 4, 4, 2, 1},
    {LibTrVAreas, 4, 4, 1, 2},
    {LibTrDoubleUAreas, 4, 4, 4, 1},
    {LibTrDoubleVAreas, 4, 4, 1, 4},
};

#define MEMBERS(P)                                                                          \
  P##Mov, P##MovAdd, P##MovSub, P##MovHalf, P##CMP, P##CMPHalf, P##ColorFill, P##ColorRect, \
      P##ColorTile, P##Feed, P##Sted, P##Stencil, P##ColorStencil, P##Palette
const DescFn kHi[] = {MEMBERS(Hi)};
const DescFn kTr[] = {MEMBERS(Tr)};
#undef MEMBERS

// Count routines: destination and source bytes per counted item.
struct CountOp {
  CountFn fn;
  int32_t dstBytes, srcBytes;
};
const CountOp kCounts[] = {
    {RastaRizeCopyMMX, 4, 4},
    {RastaRizeCopyPentium, 4, 4},
    {RastaRizeAddMMX, 4, 4},
    {RastaRizeAddPentium, 4, 4},
    {RastaRizeSubMMX, 4, 4},
    {RastaRizeSubPentium, 4, 4},
    {BvMov, 4, 4},
    {BvZro, 4, 0},
    {BvAdd, 4, 4},
    {BvLow, 4, 4},
    {BvAlphaDown16From16, 2, 2},
    {BvAlphaDown16From32, 2, 4},
    {BvColorDown16From32, 2, 4},
    {BvAlphaShift32From32, 4, 4},
    {BvBltTo32From24, 4, 3},
    {BvAlphaMask, 4, 4},
    {ExpandAlphaMMX, 8, 4},
    {ExpandAlphaMMXCluc, 8, 4},
};

const uint32_t kMasks[] = {0,       0xFFu, 0xFF00u, 0xFF0000u,   0xFF000000u, 0xF800u,
                           0x07E0u, 0x1Fu, 0x8000u, 0x00FF00FFu, 0xFFF0u,     0x80000000u};

BlivoSurface ReadSurface(Reader& in) {
  BlivoSurface s{};
  s.width = in.Size();
  s.height = in.Size();
  s.bytesPerPixel = in.Byte() % 8 == 0 ? in.Size() : 1 + in.Byte() % 4;
  s.pitch = in.Stride(static_cast<int64_t>(s.width) * (s.bytesPerPixel > 0 ? s.bytesPerPixel : 0));
  s.redMask = kMasks[in.Byte() % 12];
  s.greenMask = kMasks[in.Byte() % 12];
  s.blueMask = kMasks[in.Byte() % 12];
  s.alphaMask = kMasks[in.Byte() % 12];
  return s;
}
// A malformed pixel size makes the surface describe nothing the model can size: refused.
Rows SurfaceRows(const BlivoSurface& s) {
  if (s.bytesPerPixel < 1 || s.bytesPerPixel > 4) return {-1, 0, 0};
  return {int64_t{s.width} * s.bytesPerPixel, s.pitch, s.height};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  uint32_t palette[256];
  for (uint32_t i = 0; i < 256; ++i) palette[i] = i * 0x01010101u;
  for (int ops = 0; ops < 48 && !in.Empty(); ++ops) {
    const uint8_t kind = in.Byte();
    const int32_t n = in.Size(), rows = in.Size();
    const uint32_t colour = in.Word();
    switch (kind % 9) {
      case 0: {
        const Rect2Op& op = kRect2[in.Byte() % (sizeof kRect2 / sizeof kRect2[0])];
        const int32_t ds = in.Stride(int64_t{n} * op.dstBytes);
        const int32_t ss = in.Stride(int64_t{n} * op.srcBytes * op.nx);
        Drive(in,
              {{int64_t{n} * op.dstBytes, ds, rows},
               {int64_t{n} * op.srcBytes * op.nx, ss, int64_t{rows} * op.ny}},
              [&](std::vector<uint8_t*>& p) { return op.fn(p[0], p[1], ds, ss, n, rows); });
        break;
      }
      case 1: {
        const bool hi = in.Byte() % 2 != 0;
        const size_t member = in.Byte() % 14;
        const int32_t bytes = hi ? 2 : 4;
        const bool fills = member >= 6 && member <= 9;  // ColorFill, ColorRect, ColorTile, Feed
        const int32_t srcBytes = member == 13 ? 1 : bytes;
        BlivoDescriptor desc{n,
                             in.Stride(int64_t{n} * bytes),
                             in.Stride(int64_t{n} * srcBytes),
                             rows,
                             colour,
                             in.Word(),
                             in.Size(),
                             0,
                             palette};
        std::vector<Rows> needs = {{int64_t{n} * bytes, desc.dstStride, rows}};
        if (!fills) needs.push_back({int64_t{n} * srcBytes, desc.srcStride, rows});
        const DescFn fn = (hi ? kHi : kTr)[member];
        Drive(in, needs,
              [&](std::vector<uint8_t*>& p) { return fn(p[0], fills ? nullptr : p[1], 0, &desc); });
        break;
      }
      case 2: {
        const CountOp& op = kCounts[in.Byte() % (sizeof kCounts / sizeof kCounts[0])];
        std::vector<Rows> needs = {{int64_t{n} * op.dstBytes, 0, n < 0 ? -1 : 1}};
        if (op.srcBytes > 0) needs.push_back({int64_t{n} * op.srcBytes, 0, n < 0 ? -1 : 1});
        Drive(in, needs, [&](std::vector<uint8_t*>& p) {
          return op.fn(p[0], op.srcBytes > 0 ? p[1] : nullptr, n);
        });
        break;
      }
      case 3: {  // sample mixing with volumes; SeFormat with any format
        const int32_t bits = in.Byte() % 3 == 0 ? in.Size() : (in.Byte() % 2 ? 8 : 16);
        const int32_t channels = 1 + in.Byte() % 3;
        const int64_t srcFrame = (bits == 8 || bits == 16) ? int64_t{channels} * bits / 8 : 0;
        const int32_t which = in.Byte() % 3;
        const int64_t count = n < 0 ? -1 : 1;
        if (which == 2) {
          if (srcFrame == 0 || channels > 2) {
            // An unknown format is refused before any buffer is looked at.
            Drive(in, {{-1, 0, 0}}, [&](std::vector<uint8_t*>& p) {
              return SeFormat(p[0], p[0], n, bits, channels);
            });
            break;
          }
          Drive(in, {{int64_t{n} * 4, 0, count}, {int64_t{n} * srcFrame, 0, count}},
                [&](std::vector<uint8_t*>& p) { return SeFormat(p[0], p[1], n, bits, channels); });
        } else if (which == 1) {
          const bool mono = in.Byte() % 2 != 0;
          Drive(in, {{int64_t{n} * 4, 0, count}, {int64_t{n} * (mono ? 2 : 4), 0, count}},
                [&](std::vector<uint8_t*>& p) {
                  return BvMusic(p[0], p[1], n, rows, static_cast<int32_t>(colour), mono);
                });
        } else {
          Drive(in, {{int64_t{n} * 4, 0, count}, {int64_t{n} * 4, 0, count}},
                [&](std::vector<uint8_t*>& p) { return BvRid(p[0], p[1], n, rows); });
        }
        break;
      }
      case 4: {  // one buffer of pixels
        const int32_t stride = in.Stride(int64_t{n} * 4);
        const int32_t which = in.Byte() % 4;
        const int32_t block = in.Size();
        Drive(in, {{int64_t{n} * 4, stride, rows}}, [&](std::vector<uint8_t*>& p) -> int32_t {
          switch (which) {
            case 0:
              return UsdColorFill(p[0], stride, n, rows, colour);
            case 1:
              return UsdMosaic(p[0], stride, n, rows, block);
            case 2:
              return UsdSwapTopBottom(p[0], stride, n, rows);
            default:
              return BvTrueLine(p[0], stride, n, rows, in.Size(), in.Size(), in.Size(), in.Size(),
                                colour);
          }
        });
        break;
      }
      case 5: {  // rows of stride bytes
        const int32_t stride = in.Stride(in.Byte() % 13);
        Drive(in, {{stride, stride, rows}},
              [&](std::vector<uint8_t*>& p) { return BvSwapTopAndBottom(p[0], stride, rows); });
        break;
      }
      case 6: {  // two-buffer rectangles with an extra argument
        const int32_t ds = in.Stride(int64_t{n} * 4), ss = in.Stride(int64_t{n} * 4);
        const int32_t which = in.Byte() % 10;
        const int32_t extra = in.Size();
        const int32_t srcBytes = which == 9 ? 1 : 4;
        const int32_t ssUsed = which == 9 ? in.Stride(n) : ss;
        Drive(in, {{int64_t{n} * 4, ds, rows}, {int64_t{n} * srcBytes, ssUsed, rows}},
              [&](std::vector<uint8_t*>& p) -> int32_t {
                switch (which) {
                  case 0:
                    return UsdBrendADD(p[0], p[1], ds, ss, n, rows, colour);
                  case 1:
                    return UsdBrendSUB(p[0], p[1], ds, ss, n, rows, colour);
                  case 2:
                    return UsdBrendXORADD(p[0], p[1], ds, ss, n, rows, colour);
                  case 3:
                    return UsdBrendALTSUB(p[0], p[1], ds, ss, n, rows, colour);
                  case 4:
                    return UsdRGBAlpha(p[0], p[1], ds, ss, n, rows, colour);
                  case 5:
                    return UsdSTDAlpha(p[0], p[1], ds, ss, n, rows, extra);
                  case 6:
                    return UsdShiftXOR(p[0], p[1], ds, ss, n, rows, extra);
                  case 7:
                    return UsdMosaicBlt(p[0], p[1], ds, ss, n, rows, extra);
                  case 8:
                    return UsdAlphaBump(p[0], p[1], ds, ss, n, rows, extra, in.Size());
                  default:
                    return UsdPaletteBlt(p[0], p[1], palette, ds, ssUsed, n, rows);
                }
              });
        break;
      }
      case 7: {  // described surfaces
        const BlivoSurface a = ReadSurface(in), b = ReadSurface(in);
        const int32_t which = in.Byte() % 3;
        if (which == 0) {
          const int32_t flags = in.Byte() % 2;
          std::vector<Rows> needs = {SurfaceRows(a)};
          if (flags == 0) needs.push_back(SurfaceRows(b));
          Drive(in, needs, [&](std::vector<uint8_t*>& p) {
            return AuFormatPixel(p[0], &a, flags ? nullptr : p[1], flags ? nullptr : &b, 0, flags);
          });
        } else {
          const int32_t stride = in.Stride(int64_t{a.width} * 4);
          Drive(in, {SurfaceRows(a), {int64_t{a.width} * 4, stride, a.height}},
                [&](std::vector<uint8_t*>& p) {
                  return which == 1 ? AuFormatMap(p[0], &a, p[1], stride)
                                    : AuFormatFromDIB(p[1], stride, p[0], &a);
                });
        }
        break;
      }
      default: {  // three rows into one
        const int32_t which = in.Byte() % 4;
        const int64_t count = n < 0 ? -1 : 1;
        Drive(in,
              {{int64_t{n} * 4, 0, count}, {int64_t{n} * 4, 0, count}, {int64_t{n} * 4, 0, count}},
              [&](std::vector<uint8_t*>& p) -> int32_t {
                switch (which) {
                  case 0:
                    return RastaRizeBrendADD(p[0], p[1], p[2], colour, n);
                  case 1:
                    return RastaRizeBrendSUB(p[0], p[1], p[2], colour, n);
                  case 2:
                    return RastaRizeBrendALTADD(p[0], p[1], p[2], colour, n);
                  default:
                    return RastaRizeBrendALTSUB(p[0], p[1], p[2], colour, n);
                }
              });
        break;
      }
    }
  }
  return 0;
}

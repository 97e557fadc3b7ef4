// CmgBBIBase: creation, header readers, pixel access and the surface / device-context moves.
// The file readers and writers live in CmgBBIFile.cpp.
#include "image/CmgBBIBase.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "blivo/bbi_record.h"
#include "engine/spLib.h"
#include "platform/CBlivoBinding.h"
#include "platform/CDesktop.h"
#include "util/CApi.h"

namespace image {

namespace {

// Position of pixel (x, y) when it lies inside both the image and the block, else -1.
int64_t PixelOffset(const Block& b, int32_t x, int32_t y) {
  if (!CmgBBIBase::Valid(b)) return -1;
  if (x < 0 || y < 0 || x >= CmgBBIBase::GetWidth(b) || y >= CmgBBIBase::GetHeight(b)) return -1;
  return int64_t{CmgBBIBase::GetBBIPict(b)} + int64_t{y} * CmgBBIBase::GetXLen(b) + int64_t{x} * 4;
}

uint32_t LoadPixel(const Block& b, int64_t at) {
  uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

void StorePixel(Block& b, int64_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

int32_t Clamp255(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Clips a w x h copy between an image of iw x ih (at sx, sy) and a target of tw x th (at dx,
// dy), in 64-bit arithmetic. False when nothing is left.
bool ClipCopy(int32_t iw, int32_t ih, int32_t tw, int32_t th, int32_t& dx, int32_t& dy,
              int32_t& w, int32_t& h, int32_t& sx, int32_t& sy) {
  int64_t DX = dx, DY = dy, W = w, H = h, SX = sx, SY = sy;
  auto clipAxis = [](int64_t& d, int64_t& s, int64_t& n, int64_t dLimit, int64_t sLimit) {
    if (s < 0) {
      n += s;
      d -= s;
      s = 0;
    }
    if (d < 0) {
      n += d;
      s -= d;
      d = 0;
    }
    n = std::min({n, dLimit - d, sLimit - s});
  };
  clipAxis(DX, SX, W, tw, iw);
  clipAxis(DY, SY, H, th, ih);
  if (W <= 0 || H <= 0) return false;
  dx = static_cast<int32_t>(DX);
  dy = static_cast<int32_t>(DY);
  w = static_cast<int32_t>(W);
  h = static_cast<int32_t>(H);
  sx = static_cast<int32_t>(SX);
  sy = static_cast<int32_t>(SY);
  return true;
}

const uint32_t* Row(const Block& b, int32_t y) {
  return reinterpret_cast<const uint32_t*>(b.data() + CmgBBIBase::GetBBIPict(b) +
                                           static_cast<int64_t>(y) * CmgBBIBase::GetXLen(b));
}

}  // namespace

// ---- Messages ------------------------------------------------------------------------------

ImageMessages ImageMessages::Defaults() {
  ImageMessages m;
  m.askOkCancel = [](const std::string& text, const std::string& caption) {
    return platform::CDesktop::AskOkCancel(text, caption);
  };
  m.tell = [](const std::string& text, const std::string& caption) {
    platform::CDesktop::MessageBox(text, caption, platform::CDesktop::Icon::kWarning);
  };
  m.endProgram = [](int code) { std::exit(code); };
  return m;
}

ImageMessages& ImageMessages::Current() {
  static ImageMessages current = Defaults();
  return current;
}

// ---- Header readers ------------------------------------------------------------------------

CmgBBIBase::CmgBBIBase(util::CApi* api) : m_api(api) {}

util::CApi& CmgBBIBase::Api() const { return m_api ? *m_api : engine::spLib::Shared().Api(); }

int32_t CmgBBIBase::GetBBIHead(const Block& b) {
  return b.size() >= 2 ? BlivoLoadI16(b.data() + BLIVO_BBI_HEAD_OFFSET_AT) : 0;
}

int32_t CmgBBIBase::GetBBIPict(const Block& b) {
  return b.size() >= 4 ? BlivoLoadI16(b.data() + BLIVO_BBI_PICT_OFFSET_AT) : 0;
}

int32_t CmgBBIBase::GetHead(const Block& b, int32_t offset) {
  const int64_t at = int64_t{GetBBIHead(b)} + offset;
  if (at < 0 || at + 2 > static_cast<int64_t>(b.size())) return 0;
  return BlivoLoadI16(b.data() + at);
}

void CmgBBIBase::GetBBIRect(const Block& b, util::CRect& rect) {
  rect.Create(0, 0, GetWidth(b), GetHeight(b));
}

bool CmgBBIBase::Valid(std::span<const uint8_t> b) {
  const int64_t size = static_cast<int64_t>(b.size());
  if (size < BLIVO_BBI_PICT) return false;
  const int64_t head = BlivoLoadI16(b.data() + BLIVO_BBI_HEAD_OFFSET_AT);
  const int64_t pict = BlivoLoadI16(b.data() + BLIVO_BBI_PICT_OFFSET_AT);
  if (head < 0 || pict < 0 || head + 20 > size) return false;
  const int64_t w = BlivoLoadI16(b.data() + head + BLIVO_BBI_WIDTH);
  const int64_t h = BlivoLoadI16(b.data() + head + BLIVO_BBI_HEIGHT);
  const int64_t xlen = BlivoLoadI16(b.data() + head + BLIVO_BBI_XLEN);
  if (w < 1 || h < 1 || xlen < w * 4) return false;
  return pict + (h - 1) * xlen + w * 4 <= size;
}

// ---- Creation and pixels -------------------------------------------------------------------

bool CmgBBIBase::CreateBBI(Block& b, int32_t width, int32_t height, int32_t dataSize) {
  width = std::clamp(width, 1, int32_t{BLIVO_BBI_MAX_WIDTH});
  height = std::clamp(height, 1, int32_t{BLIVO_BBI_MAX_HEIGHT});
  dataSize = std::clamp(dataSize, 0, int32_t{BLIVO_BBI_MAX_WIDTH} - width);
  const auto size = static_cast<size_t>(BlivoBBIBlockSize(width, height, dataSize));
  const bool kept = b.size() == size;
  if (!kept) {
    b.assign(size, 0);
  }
  BlivoWriteBBIHeader(b.data(), width, height, dataSize);
  return kept;
}

void CmgBBIBase::SetPixel(Block& b, int32_t x, int32_t y, int32_t r, int32_t g, int32_t bl,
                          int32_t a) {
  const int64_t at = PixelOffset(b, x, y);
  if (at < 0) return;
  StorePixel(b, at,
             (uint32_t(Clamp255(a)) << 24) | (uint32_t(Clamp255(r)) << 16) |
                 (uint32_t(Clamp255(g)) << 8) | uint32_t(Clamp255(bl)));
}

void CmgBBIBase::GetPixel(const Block& b, int32_t x, int32_t y, uint8_t& r, uint8_t& g,
                          uint8_t& bl, uint8_t& a) const {
  const int64_t at = PixelOffset(b, x, y);
  if (at < 0) return;
  const uint32_t v = LoadPixel(b, at);
  a = static_cast<uint8_t>(v >> 24);
  r = static_cast<uint8_t>(v >> 16);
  g = static_cast<uint8_t>(v >> 8);
  bl = static_cast<uint8_t>(v);
}

void CmgBBIBase::dwSetPixel(Block& b, int32_t x, int32_t y, uint32_t color) {
  const int64_t at = PixelOffset(b, x, y);
  if (at >= 0) StorePixel(b, at, color);
}

uint32_t CmgBBIBase::dwGetPixel(const Block& b, int32_t x, int32_t y) const {
  const int64_t at = PixelOffset(b, x, y);
  return at < 0 ? 0 : LoadPixel(b, at);
}

// ---- Surfaces ------------------------------------------------------------------------------

struct CmgBBIBase::RowMode {
  enum Kind { kPlain, kColor, kEfect } kind = kPlain;
  float reality = 1.0f;
  uint32_t color = 0;
  float saturation = 1.0f;
  bool useTable = false;
  const uint8_t* table = nullptr;
};

int32_t CmgBBIBase::CreateCompatibleDDS(Block& b, std::unique_ptr<engine::CSurface>& dds,
                                        int32_t width, int32_t height, bool byTexture,
                                        int32_t textureStage, bool withAlpha) {
  (void)textureStage;
  if (!Valid(b)) return 1;
  if (width == 0) width = GetWidth(b);
  if (height == 0) height = GetHeight(b);
  if (width < 1 || height < 1) return 1;
  const engine::PixelFormat format =
      withAlpha ? engine::PixelFormat::Argb8888() : engine::PixelFormat::Xrgb8888();
  auto surface = std::make_unique<engine::CSurface>(width, height, format, byTexture);
  if (surface->Lost()) return 1;
  dds = std::move(surface);
  BltToDDS(b, *dds);
  return 0;
}

void CmgBBIBase::BltToDDSRect(Block& b, engine::CSurface& target, const util::CRect& dirt) {
  if (dirt.Width <= 0 || dirt.Height <= 0) return;
  BltToDDS(b, target, dirt.Left, dirt.Top, dirt.Width, dirt.Height, dirt.Left, dirt.Top);
}

void CmgBBIBase::BltToDDS(Block& b, engine::CSurface& target, int32_t dstX, int32_t dstY,
                          int32_t width, int32_t height, int32_t srcX, int32_t srcY) {
  CopyRows(b, target, dstX, dstY, width, height, srcX, srcY, RowMode{});
}

void CmgBBIBase::BltToDDSColor(Block& b, engine::CSurface& target, int32_t dstX, int32_t dstY,
                               int32_t width, int32_t height, int32_t srcX, int32_t srcY,
                               float reality, uint32_t color) {
  RowMode mode;
  mode.kind = RowMode::kColor;
  mode.reality = reality;
  mode.color = color;
  CopyRows(b, target, dstX, dstY, width, height, srcX, srcY, mode);
}

void CmgBBIBase::BltToDDSEfect(Block& b, engine::CSurface& target, int32_t dstX, int32_t dstY,
                               int32_t width, int32_t height, int32_t srcX, int32_t srcY,
                               float reality, uint32_t color, float saturation, bool useTable,
                               const uint8_t* table) {
  RowMode mode;
  mode.kind = RowMode::kEfect;
  mode.reality = reality;
  mode.color = color;
  mode.saturation = saturation;
  mode.useTable = useTable;
  mode.table = table;
  if (useTable && table == nullptr) return;
  CopyRows(b, target, dstX, dstY, width, height, srcX, srcY, mode);
}

void CmgBBIBase::CopyRows(Block& b, engine::CSurface& target, int32_t dstX, int32_t dstY,
                          int32_t width, int32_t height, int32_t srcX, int32_t srcY,
                          const RowMode& mode) {
  if (!Valid(b)) return;
  if (width == 0) width = GetWidth(b);
  if (height == 0) height = GetHeight(b);
  if (!ClipCopy(GetWidth(b), GetHeight(b), target.Width(), target.Height(), dstX, dstY, width,
                height, srcX, srcY))
    return;
  const int32_t code = target.FormatCode();
  auto to24 = BLIVO_FN(BBIBltTo24As888);
  auto to565 = BLIVO_FN(BBIBltTo16As565);
  auto to555 = BLIVO_FN(BBIBltTo16As555);
  auto to444 = BLIVO_FN(BBIBltTo16As444);
  auto toX = BLIVO_FN(BBIBltToX);
  auto toF = BLIVO_FN(BBIBltToF);

  // Any other layout: through the device-context path, one pixel at a time.
  if (code == 0) {
    std::vector<uint32_t> row(static_cast<size_t>(width));
    for (int32_t y = 0; y < height; ++y) {
      const uint32_t* src = Row(b, srcY + y) + srcX;
      if (mode.kind == RowMode::kPlain) {
        std::memcpy(row.data(), src, row.size() * 4);
      } else if (mode.kind == RowMode::kColor && toX) {
        toX(row.data(), src, width, 8888, mode.color, mode.reality);
      } else if (mode.kind == RowMode::kEfect && toF) {
        toF(row.data(), src, width, 8888, mode.color, mode.reality, mode.saturation,
            mode.useTable ? 1 : 0, mode.table);
      } else {
        return;
      }
      for (int32_t x = 0; x < width; ++x) target.WritePixel(dstX + x, dstY + y, row[size_t(x)]);
    }
    target.Touch();
    return;
  }

  uint8_t* base = target.Lock();
  if (base == nullptr) return;
  const int32_t bpp = target.BytesPerPixel();
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* src = Row(b, srcY + y) + srcX;
    uint8_t* dst = base + static_cast<int64_t>(dstY + y) * target.Pitch() +
                   static_cast<int64_t>(dstX) * bpp;
    if (mode.kind == RowMode::kColor) {
      if (toX) toX(dst, src, width, code, mode.color, mode.reality);
      continue;
    }
    if (mode.kind == RowMode::kEfect) {
      if (toF)
        toF(dst, src, width, code, mode.color, mode.reality, mode.saturation,
            mode.useTable ? 1 : 0, mode.table);
      continue;
    }
    switch (code) {
      case 8888:
        std::memcpy(dst, src, static_cast<size_t>(width) * 4);
        break;
      case 888:
        if (to24) to24(dst, src, width);
        break;
      case 565:
        if (to565) to565(dst, src, width);
        break;
      case 555:
        if (to555) to555(dst, src, width);
        break;
      case 4444:
        if (to444) to444(dst, src, width);
        break;
      default:
        break;
    }
  }
  target.Unlock();
}

void CmgBBIBase::BltToDDSStretch(Block& b, engine::CSurface& target, int32_t dstX, int32_t dstY,
                                 int32_t dw, int32_t dh, int32_t srcX, int32_t srcY, int32_t sw,
                                 int32_t sh) {
  // A surface stretch and a device-context stretch draw the same pixels here.
  BltToDIBStretch(b, target, dstX, dstY, dw, dh, srcX, srcY, sw, sh);
}

void CmgBBIBase::BltToBBIGetDDS(Block& b, engine::CSurface& target, int32_t dstX, int32_t dstY,
                                int32_t width, int32_t height, int32_t srcX, int32_t srcY) {
  if (!Valid(b)) return;
  if (width == 0) width = GetWidth(b);
  if (height == 0) height = GetHeight(b);
  // Here the surface is the source and the image the destination.
  if (!ClipCopy(target.Width(), target.Height(), GetWidth(b), GetHeight(b), dstX, dstY, width,
                height, srcX, srcY))
    return;
  const bool direct = target.FormatCode() == 8888;
  const uint8_t* base = direct ? target.Lock() : nullptr;
  if (direct && base == nullptr) return;
  for (int32_t y = 0; y < height; ++y) {
    auto* dst = const_cast<uint32_t*>(Row(b, dstY + y)) + dstX;
    if (direct) {
      std::memcpy(dst, base + static_cast<int64_t>(srcY + y) * target.Pitch() + int64_t{srcX} * 4,
                  static_cast<size_t>(width) * 4);
    } else {
      for (int32_t x = 0; x < width; ++x) dst[x] = target.ReadPixel(srcX + x, srcY + y);
    }
  }
  if (direct) target.Unlock();
}

// ---- Device contexts -----------------------------------------------------------------------

void CmgBBIBase::BltToDIB(Block& b, engine::CSurface& hdc, int32_t dstX, int32_t dstY,
                          int32_t width, int32_t height, int32_t srcX, int32_t srcY) {
  CopyRows(b, hdc, dstX, dstY, width, height, srcX, srcY, RowMode{});
}

void CmgBBIBase::BltToDIBStretch(Block& b, engine::CSurface& hdc, int32_t dstX, int32_t dstY,
                                 int32_t dw, int32_t dh, int32_t srcX, int32_t srcY, int32_t sw,
                                 int32_t sh) {
  if (!Valid(b)) return;
  const int32_t iw = GetWidth(b), ih = GetHeight(b);
  if (dw == 0) dw = iw;
  if (dh == 0) dh = ih;
  if (sw == 0) sw = iw;
  if (sh == 0) sh = ih;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  // Nearest source pixel for each destination pixel's centre; only the part of the destination
  // inside the target is visited, so far-off rectangles cost nothing.
  const int64_t x0 = std::max<int64_t>(dstX, 0), x1 = std::min<int64_t>(int64_t{dstX} + dw, hdc.Width());
  const int64_t y0 = std::max<int64_t>(dstY, 0), y1 = std::min<int64_t>(int64_t{dstY} + dh, hdc.Height());
  if (x0 >= x1 || y0 >= y1) return;
  for (int64_t y = y0; y < y1; ++y) {
    const int64_t sy = srcY + ((y - dstY) * 2 + 1) * sh / (int64_t{dh} * 2);
    for (int64_t x = x0; x < x1; ++x) {
      const int64_t sx = srcX + ((x - dstX) * 2 + 1) * sw / (int64_t{dw} * 2);
      const bool inside = sx >= 0 && sy >= 0 && sx < iw && sy < ih;
      if (inside)
        hdc.WritePixel(static_cast<int32_t>(x), static_cast<int32_t>(y),
                       Row(b, static_cast<int32_t>(sy))[sx]);
    }
  }
  hdc.Touch();
}

void CmgBBIBase::BltToBBIGetDIB(Block& b, engine::CSurface& hdc, int32_t dstX, int32_t dstY,
                                int32_t width, int32_t height, int32_t srcX, int32_t srcY) {
  if (!Valid(b)) return;
  const int32_t iw = GetWidth(b), ih = GetHeight(b);
  if (width == 0) width = iw;
  if (height == 0) height = ih;
  // A fresh memory bitmap of the image's size receives the rectangle; then every row of it is
  // read back, so what lies outside the rectangle comes back black.
  for (int32_t y = 0; y < ih; ++y)
    std::memset(const_cast<uint32_t*>(Row(b, y)), 0, static_cast<size_t>(iw) * 4);
  if (!ClipCopy(hdc.Width(), hdc.Height(), iw, ih, dstX, dstY, width, height, srcX, srcY)) return;
  for (int32_t y = 0; y < height; ++y) {
    auto* dst = const_cast<uint32_t*>(Row(b, dstY + y)) + dstX;
    for (int32_t x = 0; x < width; ++x) dst[x] = hdc.ReadPixel(srcX + x, srcY + y) & 0x00FFFFFF;
  }
}

}  // namespace image

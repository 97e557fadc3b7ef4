// CmgBBIBase's files: the three readers (block file, bitmap, picture) and the two writers.
// Every size read from a file is checked against the bytes actually present before it sizes an
// allocation or a read; a block's header is checked before the block is accepted.
#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "blivo/bbi_record.h"
#include "image/CmgBBIBase.h"
#include "platform/CBlivoBinding.h"
#include "platform/CPicture.h"
#include "util/CApi.h"

namespace image {

namespace {

uint16_t U16(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
uint32_t U32(std::span<const uint8_t> b, size_t at) {
  return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
         (uint32_t{b[at + 3]} << 24);
}
int32_t I32(std::span<const uint8_t> b, size_t at) { return static_cast<int32_t>(U32(b, at)); }

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

constexpr uint16_t kBitmapType = 19778;  // "BM"

// The fields of a bitmap's headers that the readers look at.
struct BitmapHeader {
  uint32_t fileSize = 0;
  uint32_t dataOffset = 0;
  uint32_t infoSize = 0;
  int64_t width = 0;
  int64_t height = 0;  // negative: rows top to bottom
  uint32_t planes = 0;
  uint32_t bits = 0;
  uint32_t compression = 0;
  uint32_t imageSize = 0;
  int64_t densityX = 0, densityY = 0;
  uint32_t colours = 0;
  uint32_t masks[4] = {};
};

bool ParseBitmapHeader(std::span<const uint8_t> bytes, BitmapHeader& h) {
  if (bytes.size() < 26 || U16(bytes, 0) != kBitmapType) return false;
  h.fileSize = U32(bytes, 2);
  h.dataOffset = U32(bytes, 10);
  h.infoSize = U32(bytes, 14);
  if (h.infoSize == 12) {  // the old core header: 16-bit sizes
    h.width = U16(bytes, 18);
    h.height = static_cast<int16_t>(U16(bytes, 20));
    h.planes = U16(bytes, 22);
    h.bits = U16(bytes, 24);
    return true;
  }
  if (h.infoSize < 40 || bytes.size() < 54) return false;
  h.width = I32(bytes, 18);
  h.height = I32(bytes, 22);
  h.planes = U16(bytes, 26);
  h.bits = U16(bytes, 28);
  h.compression = U32(bytes, 30);
  h.imageSize = U32(bytes, 34);
  h.densityX = I32(bytes, 38);
  h.densityY = I32(bytes, 42);
  h.colours = U32(bytes, 46);
  // Bit-field masks follow a 40-byte header, or sit inside the larger ones.
  for (size_t i = 0; i < 4; ++i)
    if (54 + 4 * i + 4 <= bytes.size()) h.masks[i] = U32(bytes, 54 + 4 * i);
  return true;
}

bool MaskSane(uint32_t m) {
  if (m == 0) return false;
  const uint32_t shifted = m >> std::countr_zero(m);
  return (shifted & (shifted + 1)) == 0;  // one run of bits
}

// One channel of a bit-field pixel widened (or narrowed) to 8 bits; 0 for an empty mask.
uint32_t Channel(uint32_t v, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  uint32_t c = (v & mask) >> shift;
  if (bits >= 8) return (c >> (bits - 8)) & 0xFF;
  uint32_t out = 0;
  for (int filled = 0; filled < 8; filled += bits) out = (out << bits) | c;
  return (out >> ((8 + bits - 1) / bits * bits - 8)) & 0xFF;
}

// Walks a run-length stream (8 or 4 bits a pixel) and says whether every run, copy and jump
// stays inside the image and inside the bytes present.
bool RunsInside(std::span<const uint8_t> bytes, const BitmapHeader& h) {
  const int64_t width = h.width, height = h.height;
  const bool four = h.compression == 2;
  size_t at = h.dataOffset;
  int64_t x = 0, y = 0;
  while (at + 2 <= bytes.size()) {
    const uint8_t count = bytes[at], code = bytes[at + 1];
    at += 2;
    if (count > 0) {
      if (y >= height || x + count > width) return false;
      x += count;
      continue;
    }
    if (code == 0) {  // end of line
      x = 0;
      if (++y > height) return false;
    } else if (code == 1) {  // end of picture
      return true;
    } else if (code == 2) {  // jump
      if (at + 2 > bytes.size()) return false;
      x += bytes[at];
      y += bytes[at + 1];
      at += 2;
      if (x > width || y >= height) return false;
    } else {  // a copy of `code` pixels, padded to whole words
      if (y >= height || x + code > width) return false;
      const size_t data = four ? (code + 1u) / 2 : code;
      at += (data + 1) & ~size_t{1};
      if (at > bytes.size()) return false;
      x += code;
    }
  }
  return true;  // a stream that stops early leaves the rest of the picture empty
}

// Header checks every bitmap passes before any reader, ours or the picture loader, sees it.
bool BitmapSane(std::span<const uint8_t> bytes, const BitmapHeader& h) {
  const uint64_t size = bytes.size();
  static constexpr uint32_t kInfoSizes[] = {12, 16, 40, 52, 56, 64, 108, 124};
  if (std::find(std::begin(kInfoSizes), std::end(kInfoSizes), h.infoSize) == std::end(kInfoSizes))
    return false;
  if (h.fileSize != 0 && h.fileSize > size) return false;
  if (h.planes != 1) return false;
  static constexpr uint32_t kBits[] = {1, 2, 4, 8, 16, 24, 32};
  if (std::find(std::begin(kBits), std::end(kBits), h.bits) == std::end(kBits)) return false;
  if (h.width < 1 || h.height == 0) return false;
  const int64_t rows = h.height < 0 ? -h.height : h.height;
  if (h.width > BLIVO_BBI_MAX_WIDTH || rows > BLIVO_BBI_MAX_HEIGHT) return false;
  if (h.width * rows > CmgBBIBase::kMaxPixels) return false;
  if (h.dataOffset < 14 + h.infoSize || h.dataOffset >= size) return false;
  if (h.imageSize != 0 && h.imageSize > size - h.dataOffset) return false;
  if (h.colours > 256 || (h.bits <= 8 && h.colours > (1u << h.bits))) return false;
  // Run-length rows only run bottom to top.
  if ((h.compression == 1 || h.compression == 2) && h.height < 0) return false;
  if (h.compression == 3 && h.infoSize >= 40) {
    for (int i = 0; i < 3; ++i)
      if (!MaskSane(h.masks[i])) return false;
    if ((h.masks[0] & h.masks[1]) || (h.masks[0] & h.masks[2]) || (h.masks[1] & h.masks[2]))
      return false;
  }
  if ((h.compression == 1 && h.bits == 8) || (h.compression == 2 && h.bits == 4))
    if (!RunsInside(bytes, h)) return false;
  // Densities a thousand times apart describe no real device.
  if (h.densityX > 0 && h.densityY > 0 &&
      (h.densityX > 1000 * h.densityY || h.densityY > 1000 * h.densityX))
    return false;
  return true;
}

}  // namespace

// ---- Readers -------------------------------------------------------------------------------

int32_t CmgBBIBase::ReadBlockFile(Block& b, std::span<const uint8_t> bytes, LoadInfo* info) {
  if (bytes.size() < 8 || U32(bytes, 0) != kBlockFileMagic) return 1;
  const uint32_t n = U32(bytes, 4);
  if (n == 0 || n > bytes.size() - 8) return 1;
  Block block(bytes.begin() + 8, bytes.begin() + 8 + n);
  int32_t compression = -1;
  if (block.size() >= util::CApi::kBlockHeaderBytes &&
      U32(block, 0) == util::CApi::kBlockIdentifier) {
    compression = static_cast<int32_t>(U32(block, 4));
    if (util::CApi::Decoder(block) != 0) return 1;
  }
  if (!Valid(block)) return 1;
  b.swap(block);
  if (info) {
    info->reader = LoadInfo::Reader::kBlockFile;
    info->compression = compression;
  }
  return 0;
}

int32_t CmgBBIBase::ReadBitmap(Block& b, std::span<const uint8_t> bytes, LoadInfo* info) {
  BitmapHeader h;
  if (!ParseBitmapHeader(bytes, h) || !BitmapSane(bytes, h) || h.infoSize < 40) return 1;
  if (h.bits != 32 && h.bits != 24 && h.bits != 8) return 1;
  // Only uncompressed rows, or 32-bit rows with the standard masks, are read raw.
  const bool standardMasks = h.bits == 32 && h.masks[0] == 0x00FF0000 &&
                             h.masks[1] == 0x0000FF00 && h.masks[2] == 0x000000FF;
  // Other 32-bit bit fields are unpacked channel by channel below.
  const bool fieldMasks = h.bits == 32 && h.compression == 3 && !standardMasks;
  if (h.compression != 0 && !(h.compression == 3 && h.bits == 32)) return 1;

  const auto width = static_cast<int32_t>(h.width);
  const auto rows = static_cast<int32_t>(h.height < 0 ? -h.height : h.height);
  const int64_t stride = (h.width * h.bits + 31) / 32 * 4;
  if (h.dataOffset + stride * rows > static_cast<int64_t>(bytes.size())) return 1;  // cut short
  const uint8_t* bits = bytes.data() + h.dataOffset;

  std::vector<uint32_t> palette(256, 0);
  if (h.bits == 8) {
    const uint32_t count = h.colours == 0 ? 256 : h.colours;
    const uint64_t at = 14 + uint64_t{h.infoSize};
    if (at + uint64_t{count} * 4 > h.dataOffset) return 1;
    std::memcpy(palette.data(), bytes.data() + at, size_t{count} * 4);
    // An index past the palette has no colour: such a file is damaged.
    for (int32_t y = 0; y < rows; ++y) {
      const uint8_t* row = bits + stride * y;
      if (std::any_of(row, row + width, [count](uint8_t v) { return v >= count; })) return 1;
    }
  }

  Block block;
  CmgBBIBase base;
  base.CreateBBI(block, width, rows, 0);
  uint8_t* pixels = block.data() + BLIVO_BBI_PICT;
  const int64_t xlen = int64_t{width} * 4;
  bool flip = false;
  if (fieldMasks) {
    const uint32_t alphaMask = h.infoSize >= 56 ? h.masks[3] : 0;
    for (int32_t y = 0; y < rows; ++y) {
      const int32_t to = h.height > 0 ? rows - 1 - y : y;
      auto* dst = reinterpret_cast<uint32_t*>(pixels + xlen * to);
      for (int32_t x = 0; x < width; ++x) {
        const uint32_t v = U32(bytes, h.dataOffset + static_cast<size_t>(stride * y) + 4u * x);
        dst[x] = (Channel(v, alphaMask) << 24) | (Channel(v, h.masks[0]) << 16) |
                 (Channel(v, h.masks[1]) << 8) | Channel(v, h.masks[2]);
      }
    }
  } else if (h.bits == 32) {
    // Stored rows straight in, bottom-up files the other way round.
    for (int32_t y = 0; y < rows; ++y) {
      const int32_t to = h.height > 0 ? rows - 1 - y : y;
      std::memcpy(pixels + xlen * to, bits + stride * y, static_cast<size_t>(xlen));
    }
  } else if (h.bits == 24) {
    auto fn = BLIVO_FN(BBIBltTo32from24);
    if (!fn || fn(block.data(), bits, static_cast<int32_t>(stride)) != 0) return 1;
    flip = h.height < 0;
  } else {
    auto fn = BLIVO_FN(BBIBltTo32from8);
    if (!fn || fn(block.data(), bits, palette.data(), static_cast<int32_t>(stride)) != 0) return 1;
    flip = h.height < 0;
  }
  if (flip) {
    auto mirror = BLIVO_FN(BBIVMirror);
    if (!mirror || mirror(block.data()) != 0) return 1;
  }
  b.swap(block);
  if (info) {
    info->reader = LoadInfo::Reader::kBitmap;
    info->fileBits = static_cast<int32_t>(h.bits);
  }
  return 0;
}

int32_t CmgBBIBase::ReadPicture(Block& b, std::span<const uint8_t> bytes) {
  // A damaged bitmap is refused here too, not handed to a more forgiving reader.
  BitmapHeader h;
  if (ParseBitmapHeader(bytes, h) && !BitmapSane(bytes, h)) return 1;
  if (bytes.size() >= 2 && U16(bytes, 0) == kBitmapType && h.infoSize == 0) return 1;
  platform::Picture picture;
  if (!platform::DecodePicture(bytes, kMaxPicturePixels, picture)) return 1;
  if (picture.width > BLIVO_BBI_MAX_WIDTH || picture.height > BLIVO_BBI_MAX_HEIGHT) return 1;
  Block block;
  CmgBBIBase base;
  base.CreateBBI(block, picture.width, picture.height, 0);
  auto* pixels = reinterpret_cast<uint32_t*>(block.data() + BLIVO_BBI_PICT);
  // Pictures come in opaque-looking: the alpha channel is cleared.
  std::transform(picture.pixels.begin(), picture.pixels.end(), pixels,
                 [](uint32_t v) { return v & 0x00FFFFFFu; });
  b.swap(block);
  return 0;
}

int32_t CmgBBIBase::LoadFromBytes(Block& b, std::span<const uint8_t> bytes, LoadInfo* info) {
  if (ReadBlockFile(b, bytes, info) == 0) return 0;
  if (ReadBitmap(b, bytes, info) == 0) return 0;
  if (ReadPicture(b, bytes) == 0) {
    if (info) info->reader = LoadInfo::Reader::kPicture;
    return 0;
  }
  return 1;
}

int32_t CmgBBIBase::CreateBBIfromFile(Block& b, const std::string& filename,
                                      const std::string& errorMsg, LoadInfo* info) {
  util::CApi& api = Api();
  int32_t result = 1;
  if (api.PakFileOpen(filename) == 0) {
    const auto bytes = api.PakFileReadAll();
    api.PakFileClose();
    if (bytes) result = LoadFromBytes(b, *bytes, info);
  }
  if (result != 0 && !errorMsg.empty()) {
    ImageMessages& messages = ImageMessages::Current();
    if (messages.askOkCancel && !messages.askOkCancel(errorMsg, filename) && messages.endProgram)
      messages.endProgram(0);
  }
  return result;
}

// ---- Writers -------------------------------------------------------------------------------

bool CmgBBIBase::EncodeBlockFile(const Block& b, int32_t mode, std::vector<uint8_t>& out) {
  if (!Valid(b) || b.size() > UINT32_MAX) return false;
  std::vector<uint8_t> payload = b;
  if (mode >= 1 && mode <= 3) {
    util::CApi::Encoder(payload, mode - 1);  // left as it is when the method cannot encode it
  } else if (mode == 0) {
    for (int32_t method = 0; method < 3; ++method) {
      std::vector<uint8_t> tried = b;
      if (util::CApi::Encoder(tried, method) == 0 && tried.size() < payload.size())
        payload.swap(tried);
    }
  }
  out.clear();
  out.reserve(payload.size() + 8);
  PutU32(out, kBlockFileMagic);
  PutU32(out, static_cast<uint32_t>(payload.size()));
  out.insert(out.end(), payload.begin(), payload.end());
  return true;
}

bool CmgBBIBase::EncodeBitmap(const Block& b, bool saveAlphaChannel, std::vector<uint8_t>& out) {
  if (!Valid(b)) return false;
  const int32_t w = GetWidth(b), h = GetHeight(b);
  const int32_t p = saveAlphaChannel ? 4 : 3;
  const int64_t rowBytes = (int64_t{w} * p + 3) / 4 * 4;
  const int64_t dataBytes = rowBytes * h;
  if (dataBytes + 54 > UINT32_MAX) return false;
  auto to24 = BLIVO_FN(BBIBltTo24As888);
  if (p == 3 && !to24) return false;
  out.assign(54, 0);
  out.reserve(static_cast<size_t>(dataBytes + 54));
  std::vector<uint8_t> head;
  PutU16(head, kBitmapType);
  PutU32(head, static_cast<uint32_t>(dataBytes + 54));
  PutU32(head, 0);
  PutU32(head, 54);
  PutU32(head, 40);
  PutU32(head, static_cast<uint32_t>(w));
  PutU32(head, static_cast<uint32_t>(h));
  PutU16(head, 1);
  PutU16(head, static_cast<uint32_t>(8 * p));
  std::copy(head.begin(), head.end(), out.begin());
  out.resize(static_cast<size_t>(dataBytes + 54), 0);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* src = b.data() + GetBBIPict(b) + int64_t{y} * GetXLen(b);
    uint8_t* dst = out.data() + 54 + rowBytes * (h - 1 - y);
    if (p == 4)
      std::memcpy(dst, src, static_cast<size_t>(w) * 4);
    else
      to24(dst, src, w);
  }
  return true;
}

namespace {

// Replaces the file at path by bytes: an existing file is deleted first.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace

int32_t CmgBBIBase::SaveToBBI(const Block& b, const std::string& filename, bool compress,
                              const std::string& errorMsg, int32_t compressMode) {
  std::string path = filename;
  Api().ExepathAddition(path);
  std::vector<uint8_t> bytes;
  const bool ok = EncodeBlockFile(b, compress ? compressMode : -1, bytes) && WriteFile(path, bytes);
  if (!ok && !errorMsg.empty() && ImageMessages::Current().tell)
    ImageMessages::Current().tell(errorMsg, filename);
  return ok ? 0 : 1;
}

int32_t CmgBBIBase::SaveToBitmap(const Block& b, const std::string& filename,
                                 bool saveAlphaChannel, const std::string& errorMsg) {
  std::string path = filename;
  Api().ExepathAddition(path);
  std::vector<uint8_t> bytes;
  const bool ok = EncodeBitmap(b, saveAlphaChannel, bytes) && WriteFile(path, bytes);
  if (!ok && !errorMsg.empty() && ImageMessages::Current().tell)
    ImageMessages::Current().tell(errorMsg, filename);
  return ok ? 0 : 1;
}

}  // namespace image

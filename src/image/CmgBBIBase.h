// CmgBBIBase: the operations on one BBI block held by reference: creation, header readers,
// loading from block files, bitmaps and pictures (through the pak access layer), saving,
// pixel access, and moving pixels to and from memory surfaces and device contexts.
// Relies on the pixel library (through the run-time binding), util::CApi for file access and
// encoded blocks, engine::CSurface, and the platform's picture loader and message boxes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/CSurface.h"
#include "util/CRect.h"

namespace util {
class CApi;
}

namespace image {

using Block = std::vector<uint8_t>;

// Which reader filled an image, and how a block file was stored.
struct LoadInfo {
  enum class Reader { kNone, kBlockFile, kBitmap, kPicture };
  Reader reader = Reader::kNone;
  int32_t compression = -1;  // block files: -1 stored, 0..2 the encoder method
  int32_t fileBits = 0;      // bitmaps: the file's bit count
};

// How load and save failures reach the user. The default shows a desktop message box and ends
// the program when a load message is cancelled; tests and tools replace it.
struct ImageMessages {
  // True for OK, false for Cancel.
  std::function<bool(const std::string& text, const std::string& caption)> askOkCancel;
  std::function<void(const std::string& text, const std::string& caption)> tell;
  std::function<void(int code)> endProgram;

  static ImageMessages& Current();
  static ImageMessages Defaults();
};

class CmgBBIBase {
 public:
  // Magic word of a block file.
  static constexpr uint32_t kBlockFileMagic = 0x9C91E689u;
  // Images larger than this many pixels are refused before anything is allocated.
  static constexpr int64_t kMaxPixels = int64_t{64} * 1024 * 1024;
  // The system picture loader holds four copies of a picture on the way in, so it is held to
  // less: 4096 x 4096 is far beyond anything the game shows.
  static constexpr int64_t kMaxPicturePixels = int64_t{16} * 1024 * 1024;

  // The utility object used for file access and encoded blocks (the engine root's by default).
  explicit CmgBBIBase(util::CApi* api = nullptr);

  // ---- Header readers (0 when the block is too short to hold the field) ----
  [[nodiscard]] static int32_t GetBBIHead(const Block& b);
  [[nodiscard]] static int32_t GetBBIPict(const Block& b);
  [[nodiscard]] static int32_t GetHead(const Block& b, int32_t offset);
  [[nodiscard]] static int32_t GetWidth(const Block& b) { return GetHead(b, 0); }
  [[nodiscard]] static int32_t GetHeight(const Block& b) { return GetHead(b, 2); }
  [[nodiscard]] static int32_t GetXLen(const Block& b) { return GetHead(b, 4); }
  [[nodiscard]] static int32_t GetXFormat(const Block& b) { return GetHead(b, 6); }
  [[nodiscard]] static int32_t GetDataLen(const Block& b) { return GetHead(b, 8); }
  [[nodiscard]] static int32_t GetDataFormat(const Block& b) { return GetHead(b, 10); }
  [[nodiscard]] static int32_t GetDataResult(const Block& b) { return GetHead(b, 12); }
  static void GetBBIRect(const Block& b, util::CRect& rect);
  // True when every row the header describes lies inside the block, the stride holds a row
  // and the sizes are positive: only such a block is handed to the pixel library.
  [[nodiscard]] static bool Valid(std::span<const uint8_t> b);
  // The handle for the pixel library: the block's first byte (null for an empty block).
  [[nodiscard]] static void* Handle(Block& b) { return b.empty() ? nullptr : b.data(); }

  // ---- Creation ----
  // Sizes below 1 become 1, a negative dataSize 0; true when the block already had the size
  // (kept as it is), else it is reallocated zero-filled. Sizes whose row does not fit the
  // header's 16-bit fields are clamped to the largest that does.
  bool CreateBBI(Block& b, int32_t width, int32_t height, int32_t dataSize = 0);
  void CreateBBICopy(Block& b, const Block& src) { b = src; }

  // ---- Pixel access (outside the image: nothing happens, outputs untouched) ----
  void SetPixel(Block& b, int32_t x, int32_t y, int32_t r, int32_t g, int32_t bl,
                int32_t a = 255);
  void GetPixel(const Block& b, int32_t x, int32_t y, uint8_t& r, uint8_t& g, uint8_t& bl,
                uint8_t& a) const;
  void dwSetPixel(Block& b, int32_t x, int32_t y, uint32_t color);
  [[nodiscard]] uint32_t dwGetPixel(const Block& b, int32_t x = 0, int32_t y = 0) const;

  // ---- Files ----
  // 0 loaded, 1 failed (the block is then left as it was). With a message: OK/Cancel box.
  int32_t CreateBBIfromFile(Block& b, const std::string& filename, const std::string& errorMsg = "",
                            LoadInfo* info = nullptr);
  int32_t Load(Block& b, const std::string& filename, const std::string& errorMsg = "") {
    return CreateBBIfromFile(b, filename, errorMsg);
  }
  // The readers on bytes already in memory (the file path's last step, and the fuzzer's).
  static int32_t LoadFromBytes(Block& b, std::span<const uint8_t> bytes, LoadInfo* info = nullptr);
  static int32_t ReadBlockFile(Block& b, std::span<const uint8_t> bytes, LoadInfo* info = nullptr);
  static int32_t ReadBitmap(Block& b, std::span<const uint8_t> bytes, LoadInfo* info = nullptr);
  static int32_t ReadPicture(Block& b, std::span<const uint8_t> bytes);

  // Mode -1 stores the block; 1..3 encode with method mode - 1; 0 keeps the shortest of the
  // three (the first of equal lengths). 0 written, 1 failed.
  int32_t SaveToBBI(const Block& b, const std::string& filename, bool compress = false,
                    const std::string& errorMsg = "", int32_t compressMode = 0);
  int32_t SaveToBitmap(const Block& b, const std::string& filename, bool saveAlphaChannel = false,
                       const std::string& errorMsg = "");
  // The bytes SaveToBBI and SaveToBitmap write.
  static bool EncodeBlockFile(const Block& b, int32_t mode, std::vector<uint8_t>& out);
  static bool EncodeBitmap(const Block& b, bool saveAlphaChannel, std::vector<uint8_t>& out);

  // ---- Surfaces (0-sized rectangles mean the whole image) ----
  // Creation result 0 (then the whole image is copied in) or 1.
  int32_t CreateCompatibleDDS(Block& b, std::unique_ptr<engine::CSurface>& dds, int32_t width = 0,
                              int32_t height = 0, bool byTexture = false,
                              int32_t textureStage = 0, bool withAlpha = true);
  void BltToDDSRect(Block& b, engine::CSurface& target, const util::CRect& dirt);
  void BltToDDS(Block& b, engine::CSurface& target, int32_t dstX = 0, int32_t dstY = 0,
                int32_t width = 0, int32_t height = 0, int32_t srcX = 0, int32_t srcY = 0);
  void BltToDDSStretch(Block& b, engine::CSurface& target, int32_t dstX = 0, int32_t dstY = 0,
                       int32_t dw = 0, int32_t dh = 0, int32_t srcX = 0, int32_t srcY = 0,
                       int32_t sw = 0, int32_t sh = 0);
  void BltToDDSColor(Block& b, engine::CSurface& target, int32_t dstX, int32_t dstY, int32_t width,
                     int32_t height, int32_t srcX, int32_t srcY, float reality, uint32_t color);
  void BltToDDSEfect(Block& b, engine::CSurface& target, int32_t dstX, int32_t dstY,
                     int32_t width, int32_t height, int32_t srcX, int32_t srcY, float reality,
                     uint32_t color, float saturation, bool useTable, const uint8_t* table);
  void BltToBBIGetDDS(Block& b, engine::CSurface& target, int32_t dstX = 0, int32_t dstY = 0,
                      int32_t width = 0, int32_t height = 0, int32_t srcX = 0, int32_t srcY = 0);

  // ---- Device contexts (memory bitmaps; any surface serves as one) ----
  void BltToDIB(Block& b, engine::CSurface& hdc, int32_t dstX = 0, int32_t dstY = 0,
                int32_t width = 0, int32_t height = 0, int32_t srcX = 0, int32_t srcY = 0);
  void BltToDIBStretch(Block& b, engine::CSurface& hdc, int32_t dstX = 0, int32_t dstY = 0,
                       int32_t dw = 0, int32_t dh = 0, int32_t srcX = 0, int32_t srcY = 0,
                       int32_t sw = 0, int32_t sh = 0);
  void BltToBBIGetDIB(Block& b, engine::CSurface& hdc, int32_t dstX = 0, int32_t dstY = 0,
                      int32_t width = 0, int32_t height = 0, int32_t srcX = 0, int32_t srcY = 0);

 private:
  [[nodiscard]] util::CApi& Api() const;
  // Row conversion by format code for the surface copies; mode 0 plain, 1 faded, 2 effect.
  struct RowMode;
  void CopyRows(Block& b, engine::CSurface& target, int32_t dstX, int32_t dstY, int32_t width,
                int32_t height, int32_t srcX, int32_t srcY, const RowMode& mode);

  util::CApi* m_api = nullptr;
};

}  // namespace image

// CmgBBI: one software image. It owns a BBI block (a 1 x 1 image from construction on) and
// forwards every operation to CmgBBIBase with that block. The handle for the pixel library is
// the block's address; it stays valid until the block is resized.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "image/CmgBBIBase.h"

namespace image {

class CmgBBI {
 public:
  explicit CmgBBI(util::CApi* api = nullptr);

  // The block itself, for code that works on blocks (the image functions, the text renderer).
  [[nodiscard]] Block& Data() { return m_block; }
  [[nodiscard]] const Block& Data() const { return m_block; }
  void SetBBI(const Block& block) { m_block = block; }
  void GetBBI(Block& block) const { block = m_block; }
  [[nodiscard]] void* GetBBIHandle() { return CmgBBIBase::Handle(m_block); }

  [[nodiscard]] int32_t Width() const { return CmgBBIBase::GetWidth(m_block); }
  [[nodiscard]] int32_t height() const { return CmgBBIBase::GetHeight(m_block); }
  [[nodiscard]] int32_t GetWidth() const { return Width(); }
  [[nodiscard]] int32_t GetHeight() const { return height(); }
  [[nodiscard]] int32_t XLen() const { return CmgBBIBase::GetXLen(m_block); }
  void GetBBIRect(util::CRect& rect) const { CmgBBIBase::GetBBIRect(m_block, rect); }
  // Pixel (0, 0) and the row length, for code that walks the pixels itself.
  [[nodiscard]] uint32_t* Pixels();
  [[nodiscard]] const uint32_t* Pixels() const;

  bool CreateBBI(int32_t width, int32_t height, int32_t dataSize = 0) {
    return m_base.CreateBBI(m_block, width, height, dataSize);
  }
  void CreateBBICopy(const CmgBBI& src) { m_block = src.m_block; }
  int32_t CreateBBIfromFile(const std::string& filename, const std::string& errorMsg = "",
                            LoadInfo* info = nullptr) {
    return m_base.CreateBBIfromFile(m_block, filename, errorMsg, info);
  }
  int32_t Load(const std::string& filename, const std::string& errorMsg = "") {
    return m_base.CreateBBIfromFile(m_block, filename, errorMsg);
  }
  int32_t SaveToBBI(const std::string& filename, bool compress = false,
                    const std::string& errorMsg = "", int32_t compressMode = 0) {
    return m_base.SaveToBBI(m_block, filename, compress, errorMsg, compressMode);
  }
  int32_t SaveToBitmap(const std::string& filename, bool saveAlphaChannel = false,
                       const std::string& errorMsg = "") {
    return m_base.SaveToBitmap(m_block, filename, saveAlphaChannel, errorMsg);
  }

  void SetPixel(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b, int32_t a = 255) {
    m_base.SetPixel(m_block, x, y, r, g, b, a);
  }
  void GetPixel(int32_t x, int32_t y, uint8_t& r, uint8_t& g, uint8_t& b, uint8_t& a) const {
    m_base.GetPixel(m_block, x, y, r, g, b, a);
  }
  void dwSetPixel(int32_t x, int32_t y, uint32_t color) { m_base.dwSetPixel(m_block, x, y, color); }
  [[nodiscard]] uint32_t dwGetPixel(int32_t x = 0, int32_t y = 0) const {
    return m_base.dwGetPixel(m_block, x, y);
  }

  int32_t CreateCompatibleDDS(std::unique_ptr<engine::CSurface>& dds, int32_t width = 0,
                              int32_t height = 0, bool byTexture = false,
                              int32_t textureStage = 0, bool withAlpha = true) {
    return m_base.CreateCompatibleDDS(m_block, dds, width, height, byTexture, textureStage,
                                      withAlpha);
  }
  void BltToDDSRect(engine::CSurface& target, const util::CRect& dirt) {
    m_base.BltToDDSRect(m_block, target, dirt);
  }
  void BltToDDS(engine::CSurface& target, int32_t dstX = 0, int32_t dstY = 0, int32_t width = 0,
                int32_t height = 0, int32_t srcX = 0, int32_t srcY = 0) {
    m_base.BltToDDS(m_block, target, dstX, dstY, width, height, srcX, srcY);
  }
  void BltToDDSStretch(engine::CSurface& target, int32_t dstX = 0, int32_t dstY = 0, int32_t dw = 0,
                       int32_t dh = 0, int32_t srcX = 0, int32_t srcY = 0, int32_t sw = 0,
                       int32_t sh = 0) {
    m_base.BltToDDSStretch(m_block, target, dstX, dstY, dw, dh, srcX, srcY, sw, sh);
  }
  void BltToDDSColor(engine::CSurface& target, int32_t dstX, int32_t dstY, int32_t width,
                     int32_t height, int32_t srcX, int32_t srcY, float reality, uint32_t color) {
    m_base.BltToDDSColor(m_block, target, dstX, dstY, width, height, srcX, srcY, reality, color);
  }
  void BltToDDSEfect(engine::CSurface& target, int32_t dstX, int32_t dstY, int32_t width,
                     int32_t height, int32_t srcX, int32_t srcY, float reality, uint32_t color,
                     float saturation, bool useTable, const uint8_t* table) {
    m_base.BltToDDSEfect(m_block, target, dstX, dstY, width, height, srcX, srcY, reality, color,
                         saturation, useTable, table);
  }
  void BltToBBIGetDDS(engine::CSurface& target, int32_t dstX = 0, int32_t dstY = 0,
                      int32_t width = 0, int32_t height = 0, int32_t srcX = 0, int32_t srcY = 0) {
    m_base.BltToBBIGetDDS(m_block, target, dstX, dstY, width, height, srcX, srcY);
  }
  void BltToDIB(engine::CSurface& hdc, int32_t dstX = 0, int32_t dstY = 0, int32_t width = 0,
                int32_t height = 0, int32_t srcX = 0, int32_t srcY = 0) {
    m_base.BltToDIB(m_block, hdc, dstX, dstY, width, height, srcX, srcY);
  }
  void BltToDIBStretch(engine::CSurface& hdc, int32_t dstX = 0, int32_t dstY = 0, int32_t dw = 0,
                       int32_t dh = 0, int32_t srcX = 0, int32_t srcY = 0, int32_t sw = 0,
                       int32_t sh = 0) {
    m_base.BltToDIBStretch(m_block, hdc, dstX, dstY, dw, dh, srcX, srcY, sw, sh);
  }
  void BltToBBIGetDIB(engine::CSurface& hdc, int32_t dstX = 0, int32_t dstY = 0,
                      int32_t width = 0, int32_t height = 0, int32_t srcX = 0, int32_t srcY = 0) {
    m_base.BltToBBIGetDIB(m_block, hdc, dstX, dstY, width, height, srcX, srcY);
  }

 private:
  Block m_block;
  CmgBBIBase m_base;
};

}  // namespace image

// CmgBBIFunction: the program-wide library of operations on image objects. Thin wrappers over
// the pixel library's exports (taking CmgBBI objects where the library takes BBI handles),
// drawing operations with separate colour components, effects built from several library
// calls, and the transition pattern script. Relies on CmgBBI, the run-time binding of blivo
// (a missing export does nothing) and util::CApi for random numbers.
//
// Rules every wrapper follows:
//  - an image whose handle is 0 makes the call do nothing (result 1);
//  - a width, height or count of 0 means the whole image: for two-image operations the image
//    read (the source), for one-image operations the image itself, for stencil wipes the
//    source; a destination size of a scaled copy completes from the destination;
//  - results are the library's: 0 done, 1 nothing done, 2 unknown mode.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "image/CmgBBI.h"
#include "util/CRect.h"

namespace util {
class CApi;
}

namespace image {

class CmgBBIFunction {
 public:
  // BBIBltFX's modes. With BltReality other than 1 the mode's result is cross-faded onto the
  // destination by that fraction (BBIFlip); copy and alpha blend fade directly.
  enum BltMode : int32_t {
    kFxCopy = 0,       // d = s
    kFxAdd = 1,        // min(255, d + s) per byte
    kFxSub = 2,        // max(0, d - s)
    kFxXor = 3,        // |d - s|
    kFxNot = 4,        // 255 - s
    kFxMin = 5,
    kFxMax = 6,
    kFxKeying = 7,     // pixels unlike the source's (0, 0), faded by the fraction
    kFxHalfBlend = 8,  // mean of both
    kFxBlend = 9,      // source alpha, faded by the fraction
    kFxTrueBlend = 10, // alpha compositing with the fraction as opacity
    kFxDepth = 11,     // where the source alpha is higher
    kFxShiftAlpha = 12 // source alpha as grey
  };
  // Size of the edge table BBIKeyingAntiAreas hands to the library.
  static constexpr size_t kEdgeTableSize = 16385;
  // Width of the colour ramps drawn into Pen.
  static constexpr int32_t kRampWidth = 256;

  // The utility object gives random numbers (the engine root's when none is given).
  explicit CmgBBIFunction(util::CApi* api = nullptr);
  ~CmgBBIFunction();
  CmgBBIFunction(const CmgBBIFunction&) = delete;
  CmgBBIFunction& operator=(const CmgBBIFunction&) = delete;

  // The program's one instance, created on first use.
  static CmgBBIFunction& Shared();

  // Passed to the library's MMX switch before every BBIBltAdd.
  bool UseMMX = true;

  // Scratch images: Dot the two-colour ramp of gradient lines, Pen the colour ramps (row 0
  // horizontal, row 1 vertical) of the pattern script and radial fills, Map the brush.
  CmgBBI& Dot() { return *m_dot; }
  CmgBBI& Pen() { return *m_pen; }
  CmgBBI& Map() { return *m_map; }
  // A scratch image of image's size, made on first use and kept between calls (contents are
  // whatever the last user left). The effects and the script use scratch images of their own.
  CmgBBI& TempBBI(const CmgBBI& image);

  // ---- One-image wrappers ----
  int32_t BBIClear(CmgBBI& image, int32_t r, int32_t g, int32_t b, int32_t a);
  int32_t BBIClearMask(CmgBBI& image, int32_t r, int32_t g, int32_t b, int32_t a, uint32_t mask);
  int32_t BBIClearRGB(CmgBBI& image, int32_t r, int32_t g, int32_t b);
  int32_t BBIMirror(CmgBBI& image);
  int32_t BBIVMirror(CmgBBI& image);
  int32_t BBIFlipLineX(CmgBBI& image, int32_t x, int32_t y, int32_t count, uint32_t colour);
  int32_t BBIFlipLineY(CmgBBI& image, int32_t x, int32_t y, int32_t count, uint32_t colour);
  int32_t BBIPaint(CmgBBI& image, int32_t x, int32_t y, uint32_t colour, int32_t* minX = nullptr,
                   int32_t* minY = nullptr, int32_t* maxX = nullptr, int32_t* maxY = nullptr);
  int32_t BBIPaintChoose(CmgBBI& image, int32_t mode, uint32_t a, uint32_t b, uint32_t c,
                         uint32_t d);
  int32_t BBIKeying(CmgBBI& image, uint32_t keyColour);
  int32_t BBILinear(CmgBBI& image, int32_t count);
  int32_t BBICompare(CmgBBI& image1, CmgBBI& image2, int32_t mode);
  int32_t BBIBltColor(CmgBBI& image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t mask,
                      uint32_t xorValue, uint32_t colour);

  // ---- Two-image blits: (Dst, src, dx, dy, w, h, sx, sy, extras) ----
  // Reality exactly 1 copies (BBIBlt); any other value cross-fades (BBIFlip).
  int32_t BBIBlt(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0, int32_t w = 0,
                 int32_t h = 0, int32_t sx = 0, int32_t sy = 0, float reality = 1.0f);
  int32_t BBIBltAdd(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0, int32_t w = 0,
                    int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIBltSub(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0, int32_t w = 0,
                    int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIBltXor(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0, int32_t w = 0,
                    int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIBltNot(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0, int32_t w = 0,
                    int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIBltMin(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0, int32_t w = 0,
                    int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIBltMax(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0, int32_t w = 0,
                    int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIBltKeying(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0, int32_t w = 0,
                       int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIBltHalfBlend(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0,
                          int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  // 0 sizes: the largest half-size area that fits both images.
  int32_t BBIBltHalfSize(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0,
                         int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIBltBlend(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0, int32_t w = 0,
                      int32_t h = 0, int32_t sx = 0, int32_t sy = 0, int32_t useMMX = 0);
  int32_t BBIBltTrueBlend(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0,
                          int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0,
                          float opacity = 1.0f);
  int32_t BBIBltShiftAlpha(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0,
                           int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIBltShiftBlock(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0,
                           int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIBltAlpha(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w, int32_t h,
                      int32_t sx, int32_t sy, int32_t keepMax, int32_t keepMin, int32_t invert,
                      int32_t subtract);
  int32_t BBIDepth(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0, int32_t w = 0,
                   int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIDepthMask(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w, int32_t h,
                       int32_t sx, int32_t sy, uint32_t mask);
  int32_t BBIBltUBlur(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w, int32_t h,
                      int32_t sx, int32_t sy, int32_t radius);
  int32_t BBIBltVBlur(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w, int32_t h,
                      int32_t sx, int32_t sy, int32_t radius);
  int32_t BBIBltUScale(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w, int32_t h,
                       int32_t sx, int32_t sy, int32_t num, int32_t den);
  int32_t BBIBltVScale(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t w, int32_t h,
                       int32_t sx, int32_t sy, int32_t num, int32_t den);
  int32_t BBIRotation(CmgBBI& dst, CmgBBI& src, int32_t type);
  int32_t BBIChooseCA(CmgBBI& dst, CmgBBI& src, int32_t flags1, int32_t flags2);
  int32_t BBIChooseRGBA(CmgBBI& dst, CmgBBI& src, int32_t rCode, int32_t gCode, int32_t bCode,
                        int32_t aCode);
  int32_t BBIChooseCATR(CmgBBI& dst, CmgBBI& src, int32_t flags1, int32_t flags2);

  // A blit chosen by mode (BltMode above); 2 for an unknown mode.
  int32_t BBIBltFX(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t width,
                   int32_t height, int32_t sx, int32_t sy, int32_t bltMode,
                   float bltReality = 1.0f);
  // BBIBlt of the rectangle's area to the same place; an empty rectangle copies nothing.
  int32_t BBIBltRect(CmgBBI& dst, CmgBBI& src, const util::CRect& dirt, float reality = 1.0f);

  // ---- Scaled copies (0 destination sizes: the destination's, 0 source sizes: the source's) --
  int32_t BBIExpandBlt(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0, int32_t dw = 0,
                       int32_t dh = 0, int32_t sx = 0, int32_t sy = 0, int32_t sw = 0,
                       int32_t sh = 0, float opacity = 1.0f);
  int32_t BBIExpandColorBlt(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t dw,
                            int32_t dh, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                            float opacity, uint32_t keepMask, uint32_t colourMask, uint32_t c1,
                            uint32_t c2, uint32_t c3, uint32_t c4, int32_t useAlpha);
  int32_t BBIExpandChooseBlt(CmgBBI& dst, CmgBBI& src, int32_t dx, int32_t dy, int32_t dw,
                             int32_t dh, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                             float opacity, float saturation, uint32_t levelLow,
                             uint32_t levelHigh, uint32_t keepMask, uint32_t colourMask,
                             uint32_t colour, uint32_t invertMask, int32_t useAlpha,
                             int32_t addColour, int32_t addAlpha, int32_t ignoreDest);
  int32_t BBILinearBlt(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0, int32_t dw = 0,
                       int32_t dh = 0, int32_t sx = 0, int32_t sy = 0, int32_t sw = 0,
                       int32_t sh = 0);
  // The whole of src smoothed into the whole of Dst (BBILinearBlt).
  int32_t BBILinearAverage(CmgBBI& dst, CmgBBI& src);

  // ---- Colour maps: (Dst, src, map, dx, dy, w, h, sx, sy) ----
  int32_t BBIMapUC(CmgBBI& dst, CmgBBI& src, CmgBBI& map, int32_t dx = 0, int32_t dy = 0,
                   int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIMapUCVA(CmgBBI& dst, CmgBBI& src, CmgBBI& map, int32_t dx = 0, int32_t dy = 0,
                     int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIMapUDVA(CmgBBI& dst, CmgBBI& src, CmgBBI& map, int32_t dx = 0, int32_t dy = 0,
                     int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIMapMCUCVA(CmgBBI& dst, CmgBBI& src, CmgBBI& map, int32_t dx = 0, int32_t dy = 0,
                       int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIMapMCUDVA(CmgBBI& dst, CmgBBI& src, CmgBBI& map, int32_t dx = 0, int32_t dy = 0,
                       int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIMapUCVC(CmgBBI& dst, CmgBBI& src, CmgBBI& map, int32_t dx = 0, int32_t dy = 0,
                     int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIMapUDVC(CmgBBI& dst, CmgBBI& src, CmgBBI& map, int32_t dx = 0, int32_t dy = 0,
                     int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIMapUCVX(CmgBBI& dst, CmgBBI& src, CmgBBI& map, int32_t dx = 0, int32_t dy = 0,
                     int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0);
  int32_t BBIMapUCVY(CmgBBI& dst, CmgBBI& src, CmgBBI& map, int32_t dx = 0, int32_t dy = 0,
                     int32_t w = 0, int32_t h = 0, int32_t sx = 0, int32_t sy = 0);

  // ---- Stencil wipes ----
  int32_t BBIStencilFlip(CmgBBI& dst, CmgBBI& src, CmgBBI& stencil, int32_t dx, int32_t dy,
                         int32_t w, int32_t h, int32_t sx, int32_t sy, int32_t tx, int32_t ty,
                         float fraction);
  int32_t BBIStencilFlipLE(CmgBBI& dst, CmgBBI& src, CmgBBI& stencil, int32_t dx, int32_t dy,
                           int32_t w, int32_t h, int32_t sx, int32_t sy, int32_t tx, int32_t ty,
                           float fraction);
  // The rectangle's area at the same place in all three images; empty rectangle: nothing.
  int32_t BBIStencilFlipRect(CmgBBI& dst, CmgBBI& src, CmgBBI& stencil,
                             const util::CRect& dirt, float fraction);
  int32_t BBIStencilFlipLERect(CmgBBI& dst, CmgBBI& src, CmgBBI& stencil,
                               const util::CRect& dirt, float fraction);

  // ---- Drawing primitives ----
  int32_t BBIDotThick(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                      uint32_t mask, uint32_t colour);
  int32_t BBIDrawLine(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                      uint32_t mask, uint32_t colour);
  int32_t BBIDrawTriangle(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                          int32_t x3, int32_t y3, uint32_t mask, uint32_t colour);
  int32_t BBIDrawColorFill(CmgBBI& image, int32_t x, int32_t y, int32_t w, int32_t h,
                           uint32_t mask, uint32_t colour);
  int32_t BBIDrawColorTile(CmgBBI& image, int32_t x, int32_t y, int32_t w, int32_t h,
                           uint32_t mask, int32_t tileW, int32_t tileH, uint32_t c0, uint32_t c1,
                           uint32_t c2, uint32_t c3);
  int32_t BBIDrawAlphaLine(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                           uint32_t startColour, uint32_t endColour);
  int32_t BBIDrawBox(CmgBBI& image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t mask,
                     uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft,
                     uint32_t bottomRight);
  int32_t BBIDrawGradationLine(CmgBBI& image, CmgBBI& ramp, int32_t x1, int32_t y1, int32_t x2,
                               int32_t y2);
  int32_t BBIDrawGradationBox(CmgBBI& image, CmgBBI& ramp, int32_t x1, int32_t y1, int32_t x2,
                              int32_t y2);
  int32_t BBIDrawMultiplyLineBox(CmgBBI& image, CmgBBI& ramp, int32_t x1, int32_t y1,
                                 int32_t x2, int32_t y2);
  int32_t BBIDrawExclusiveLineBox(CmgBBI& image, CmgBBI& ramp, int32_t x1, int32_t y1,
                                  int32_t x2, int32_t y2);
  int32_t BBIDrawLineCircle(CmgBBI& image, CmgBBI& ramp, int32_t x1, int32_t y1, int32_t x2,
                            int32_t y2);
  int32_t BBIDrawPolaCircle(CmgBBI& image, int32_t cx, int32_t cy, int32_t radius, uint32_t mask,
                            uint32_t colour);

  // Keys the image by colour and softens its staircase edges into alpha (BBIAntiAreas with the
  // edge table, built on the first call).
  int32_t BBIKeyingAntiAreas(CmgBBI& image, uint32_t colour);
  // The edge table: 16385 bytes, row r - 1 (r = 1..128) at 128 (r - 1) holding the pair sums of
  // 2r - 1, 2r - 3, ..., 1 as 32 sum / r, rounded halves to even with 1 / r in single precision.
  static const std::array<uint8_t, kEdgeTableSize>& KeyingEdgeTable();

  // ---- Drawing operations (boxes from (x1, y1) to (x2, y2), both corners inclusive) ----
  // Four-corner gradients: top left, top right, bottom left, bottom right.
  int32_t DrawMap(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t r1,
                  int32_t g1, int32_t b1, int32_t a1, int32_t r2, int32_t g2, int32_t b2,
                  int32_t a2, int32_t r3, int32_t g3, int32_t b3, int32_t a3, int32_t r4,
                  int32_t g4, int32_t b4, int32_t a4);
  // Colour only: the image keeps its alpha.
  int32_t DrawMapColor(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t r1,
                       int32_t g1, int32_t b1, int32_t r2, int32_t g2, int32_t b2, int32_t r3,
                       int32_t g3, int32_t b3, int32_t r4, int32_t g4, int32_t b4);
  int32_t DrawMapGs(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c1,
                    uint32_t c2, uint32_t c3, uint32_t c4);
  int32_t dwDrawMap(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c1,
                    uint32_t c2, uint32_t c3, uint32_t c4);
  // A radial gradient filling the ellipse inscribed in the box, inner colour at the centre;
  // pixels outside the ellipse are left.
  int32_t DrawCircle(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t ri,
                     int32_t gi, int32_t bi, int32_t ai, int32_t ro, int32_t go, int32_t bo,
                     int32_t ao);
  int32_t dwDrawCircle(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                       uint32_t inner, uint32_t outer);
  // A one-pixel circle outline of radius r around (x, y).
  int32_t dwDrawCircleLE(CmgBBI& image, int32_t x, int32_t y, int32_t r, uint32_t colour);
  // Gradient lines (the library's gradient line: the points run from one step past the start
  // to one step past the end, every colour byte blended from start to end).
  int32_t DrawLine(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t r1,
                   int32_t g1, int32_t b1, int32_t a1, int32_t r2, int32_t g2, int32_t b2,
                   int32_t a2);
  int32_t dwDrawLine(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                     uint32_t startColour, uint32_t endColour);
  // Anti-aliased lines, blended by the colours' alpha, both ends inclusive.
  int32_t DrawLineAntiAreas(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                            int32_t r1, int32_t g1, int32_t b1, int32_t a1, int32_t r2,
                            int32_t g2, int32_t b2, int32_t a2);
  int32_t dwDrawLineAntiAreas(CmgBBI& image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                              uint32_t startColour, uint32_t endColour);
  // A one-pixel frame along the inside of the rectangle (0 sizes: the whole image).
  int32_t fxOutLine(CmgBBI& image, int32_t x = 0, int32_t y = 0, int32_t w = 0, int32_t h = 0,
                    uint32_t colour = 0xFF000000u);
  // A one-pixel frame through both corners (all four 0: the image's edge).
  int32_t fxBoxLine(CmgBBI& image, int32_t x1 = 0, int32_t y1 = 0, int32_t x2 = 0,
                    int32_t y2 = 0, uint32_t colour = 0xFF000000u);
  // The general copy: equal sizes copy or cross-fade (BBIBlt), other sizes scale
  // (BBIExpandBlt, nearest pixel) with reality as opacity.
  int32_t Blt(CmgBBI& dst, CmgBBI& src, int32_t dx = 0, int32_t dy = 0, int32_t dw = 0,
              int32_t dh = 0, int32_t sx = 0, int32_t sy = 0, int32_t sw = 0, int32_t sh = 0,
              float reality = 1.0f);
  // Sets the given components (0..255) in every pixel; a negative one keeps the channel.
  int32_t ChooseColor(CmgBBI& image, int32_t r = -1, int32_t g = -1, int32_t b = -1,
                      int32_t a = -1);
  // Makes Dst a width x height fog: soft random clouds of colour whose alpha runs up to
  // colour's alpha scaled by density (0..1); grain is the cloud size in pixels (>= 2).
  int32_t CreateFog(CmgBBI& dst, int32_t width, int32_t height, uint32_t colour,
                    float density = 1.0f, int32_t grain = 32);
  // Makes Dst a copy of src whose alpha is src's brightness (a depth image for BBIDepth:
  // bright is near).
  int32_t CreateDepthApply(CmgBBI& dst, CmgBBI& src);
  // Makes Dst the outline of src's shape: colour, alpha = how far the shape grown by size
  // pixels reaches beyond the shape itself (at most colour's alpha); transparent elsewhere.
  int32_t CreateOutLine(CmgBBI& dst, CmgBBI& src, uint32_t colour, int32_t size = 1);

  // ---- Effects ----
  // Draws the image over its own silhouette grown by size pixels and coloured by the
  // four-corner gradient c1..c4 (the ring's alpha at most the gradient's).
  int32_t EfectOutLine(CmgBBI& image, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                       int32_t size = 1);
  // Draws the image over a shadow of its shape: colour (alpha: the shadow's strength), moved
  // by (offsetX, offsetY) and blurred by blur pixels. The image keeps its size.
  int32_t EfectDropShadow(CmgBBI& image, int32_t offsetX = 4, int32_t offsetY = 4,
                          int32_t blur = 2, uint32_t colour = 0x80000000u);
  // Grow (Fat) or shrink (Thin) src's shape by size pixels into Dst (3 x 3 steps; a fraction
  // fades the last step in). Fat spreads the more opaque neighbour's pixel; Thin lowers alpha
  // to the least opaque neighbour's and keeps colours.
  int32_t EfectFat(CmgBBI& dst, CmgBBI& src, float size = 1.0f);
  int32_t EfectThin(CmgBBI& dst, CmgBBI& src, float size = 1.0f);
  // Per-byte maximum or minimum over a square of radius size (fractions as above).
  // dstIsNotSrc receives whether the result differs from src, so a caller can repeat until an
  // image settles.
  int32_t EfectMax(CmgBBI& dst, CmgBBI& src, float size = 1.0f, bool* dstIsNotSrc = nullptr);
  int32_t EfectMin(CmgBBI& dst, CmgBBI& src, float size = 1.0f, bool* dstIsNotSrc = nullptr);
  // Box resampling by numerator / denominator along x, y or both; the new size is the old
  // times the factor, rounded halves to even. A factor equal to 1, a numerator below 1 or a
  // denominator below 1 does nothing (result 1).
  int32_t EfectScale(CmgBBI& image, int32_t numerator, int32_t denominator);
  int32_t EfectScaleX(CmgBBI& image, int32_t numerator, int32_t denominator);
  int32_t EfectScaleY(CmgBBI& image, int32_t numerator, int32_t denominator);

  // ---- Transition patterns ----
  // Draws the script into Terget; the result is the number of commands drawn. The first
  // command draws straight into Terget, each later one into a scratch image that is then
  // averaged with Terget (BBIBltHalfBlend). Every command covers the whole image with a grid
  // of cells w x h anchored at (x, y) (0 sizes: one cell of the whole image):
  //   [BOX w,h,c1,c2,c3,c4,x,y]    each cell a four-corner gradient (TL, TR, BL, BR)
  //   [TILE w,h,c1,c2,c3,c4,x,y]   the same, odd columns and rows mirrored, so cells meet
  //   [MUL w,h,c1,c2,c3,c4,x,y]    ramp c1->c2 across times ramp c3->c4 down
  //   [XOR w,h,c1,c2,c3,c4,x,y]    the folded sum of the same two ramps
  //   [CIRCLE w,h,c1,c2,x,y]       a radial ramp, c1 at the centre, c2 at the rim and beyond
  // Missing values: sizes and offsets 0, c1 0 (transparent black), c2 white, c3 = c1, c4 = c2.
  // Value notations: see CTranser.
  int32_t Transer(CmgBBI& terget, std::string_view script);
  // The script drawn into a scratch image of Terget's size; only its alpha goes into Terget.
  int32_t TranserAlpha(CmgBBI& terget, std::string_view script);
  // A random script of one to three commands: base size n in 2..24, halved after each
  // command; cells n x 40 by n x 30; offsets 8..160; colours "#ddd" with digits 0..8.
  std::string TranserGetRndScript();
  std::string TranserGetRndScript(util::CApi& api);

 private:
  util::CApi& Api() const;
  // Scratch number i (made on first use), sized to w x h.
  CmgBBI& Scratch(size_t i, int32_t w, int32_t h);
  // One 3 x 3 step of a morphology effect on img, reading a copy in scratch `copy`.
  enum class Morph { kFat, kThin, kMax, kMin };
  void MorphStep(CmgBBI& img, Morph op, size_t copy);
  int32_t MorphEffect(CmgBBI& dst, CmgBBI& src, float size, Morph op, bool* changed);
  int32_t ScaleAxis(CmgBBI& image, int32_t numerator, int32_t denominator, bool vertical);
  // Fills the ramp row (0 or 1) of Pen from `from` to `to`.
  void PenRamp(int32_t row, uint32_t from, uint32_t to);
  void DrawCommand(CmgBBI& target, int32_t keyword, const std::vector<std::string>& params);

  util::CApi* m_api = nullptr;
  std::unique_ptr<CmgBBI> m_dot;
  std::unique_ptr<CmgBBI> m_pen;
  std::unique_ptr<CmgBBI> m_map;
  std::unique_ptr<CmgBBI> m_temp;
  std::array<std::unique_ptr<CmgBBI>, 6> m_scratch;
};

}  // namespace image

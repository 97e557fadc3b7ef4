/* blivo: the older pixel and sample families on raw buffers - raw row blits (Usd), descriptor
 * blits on 16-bit (Hi) and 32-bit (Tr) pixels, row kernels (RastaRize), sample and pixel-format
 * routines (Bv), surface-format routines (Au), and a few lines, bumps and reductions.
 *
 * Raw buffers carry no size of their own, so each routine is given the rectangle it may touch:
 * a start address, a byte stride per buffer, a width (in pixels, samples or units) and a row
 * count. A rectangle is refused (nothing touched) when a width or row count is negative, when a
 * stride is smaller than the row it steps over (rows > 1), when the rectangle spans more than
 * INT32_MAX bytes, or when a buffer it needs is null; a single count whose bytes would pass
 * INT32_MAX is refused likewise. A width or row count of 0 is no work: the
 * routine returns its done result. Rows are visited top to bottom, pixels left to right; where a
 * destination overlaps a source, a pixel read later sees what was written earlier.
 *
 * Run count encoding: routines that take a single count c process c 32-bit units (one unit if
 * bit 0 is set, two if bit 1 is set, then c >> 2 groups of four; the total is simply c).
 *
 * 16-bit pixels are RGB565 (red in bits 11..15, green 5..10, blue 0..4) unless a routine says
 * ARGB4444. "Darkened by k" means, per byte, max(0, s - (255 - k)) with k the matching byte of a
 * packed colour. "Alpha rule": per byte a = 0 keeps d, a = 255 gives s, otherwise
 * (s * a + d * (255 - a)) >> 8. */
#ifndef BLIVO_FAMILIES_H
#define BLIVO_FAMILIES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Descriptor record of the Hi and Tr families. count pixels per row (run count encoding),
 * rows rows; the strides are bytes from one row to the next. The remaining fields are the
 * members' parameters: colour (fills, Feed, Stencil, ColorStencil), key (CMP, CMPHalf, Sted,
 * Stencil, ColorStencil), level (Feed, 0..256, clamped) and palette (Palette: 256 entries of the
 * family's pixel). The Hi family uses the low 16 bits of colour and key. */
typedef struct BlivoDescriptor {
  int32_t count;
  int32_t dstStride;
  int32_t srcStride;
  int32_t rows;
  uint32_t colour;
  uint32_t key;
  int32_t level;
  int32_t reserved;
  const void* palette;
} BlivoDescriptor;

/* A described surface of the Au family: width x height pixels of bytesPerPixel (1..4) bytes,
 * rows pitch bytes apart, channels where the masks say (each a contiguous run of 1..8 bits, or
 * 0 when absent; an absent alpha reads as 255). */
typedef struct BlivoSurface {
  int32_t width;
  int32_t height;
  int32_t pitch;
  int32_t bytesPerPixel;
  uint32_t redMask;
  uint32_t greenMask;
  uint32_t blueMask;
  uint32_t alphaMask;
} BlivoSurface;

/* ---- Usd: raw saturating blits --------------------------------------------------------------
 * (dst, src, dstStride, srcStride, width, rows[, colour]); every byte, alpha included.
 * Result 1, also when the rectangle is refused. */
BLIVO_API int32_t UsdADD(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                         int32_t width, int32_t rows); /* min(255, d + s) */
BLIVO_API int32_t UsdSUB(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                         int32_t width, int32_t rows); /* max(0, d - s) */
BLIVO_API int32_t UsdXORADD(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                            int32_t width, int32_t rows); /* min(255, d + (255 - s)) */
BLIVO_API int32_t UsdXORSUB(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                            int32_t width, int32_t rows); /* max(0, d - (255 - s)) */
/* The source darkened by colour, then added or subtracted. */
BLIVO_API int32_t UsdBrendADD(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows, uint32_t colour);
BLIVO_API int32_t UsdBrendSUB(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows, uint32_t colour);
/* The complemented source (255 - s) darkened by colour, then added or subtracted. */
BLIVO_API int32_t UsdBrendXORADD(void* dst, const void* src, int32_t dstStride,
                                 int32_t srcStride, int32_t width, int32_t rows, uint32_t colour);
BLIVO_API int32_t UsdBrendXORSUB(void* dst, const void* src, int32_t dstStride,
                                 int32_t srcStride, int32_t width, int32_t rows, uint32_t colour);
/* The destination darkened by colour, then the source added or subtracted. */
BLIVO_API int32_t UsdBrendALTADD(void* dst, const void* src, int32_t dstStride,
                                 int32_t srcStride, int32_t width, int32_t rows, uint32_t colour);
BLIVO_API int32_t UsdBrendALTSUB(void* dst, const void* src, int32_t dstStride,
                                 int32_t srcStride, int32_t width, int32_t rows, uint32_t colour);

/* ---- Usd: other raw row routines (0 done, 1 refused) ----------------------------------------- */

/* Row copies; UsdCopyPentium is the plain loop, same bytes. */
BLIVO_API int32_t UsdCopy(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                          int32_t width, int32_t rows);
BLIVO_API int32_t UsdCopyPentium(void* dst, const void* src, int32_t dstStride,
                                 int32_t srcStride, int32_t width, int32_t rows);
/* Source-alpha blends; the destination keeps its alpha byte. UsdAlpha: the alpha rule with
 * a = s.A. UsdAlphaFast: per byte (s * w + d * (256 - w)) >> 8 with w = a + (a >> 7).
 * UsdRGBAlpha: the alpha rule per colour byte with a the matching byte of weights.
 * UsdSTDAlpha: the alpha rule with one constant a = alpha clamped to 0..255. */
BLIVO_API int32_t UsdAlpha(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                           int32_t width, int32_t rows);
BLIVO_API int32_t UsdAlphaFast(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                               int32_t width, int32_t rows);
BLIVO_API int32_t UsdRGBAlpha(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows, uint32_t weights);
BLIVO_API int32_t UsdSTDAlpha(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows, int32_t alpha);
/* 32-bit rows to RGB565 rows: the top 5, 6, 5 bits of red, green, blue. */
BLIVO_API int32_t UsdColorDown(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                               int32_t width, int32_t rows);
BLIVO_API int32_t UsdColorFill(void* dst, int32_t dstStride, int32_t width, int32_t rows,
                               uint32_t colour);
/* dst[i] = palette[index[i]]: byte indices, a palette of 256 32-bit entries. */
BLIVO_API int32_t UsdPaletteBlt(void* dst, const void* index, const void* palette,
                                int32_t dstStride, int32_t indexStride, int32_t width,
                                int32_t rows);
/* Blocks of size x size pixels (cut short at the right and bottom) take the colour of their
 * top-left pixel; 1 when size <= 0. UsdMosaicBlt reads the blocks from src. */
BLIVO_API int32_t UsdMosaic(void* buffer, int32_t stride, int32_t width, int32_t rows,
                            int32_t size);
BLIVO_API int32_t UsdMosaicBlt(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                               int32_t width, int32_t rows, int32_t size);
BLIVO_API int32_t UsdXOR(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                         int32_t width, int32_t rows); /* d ^= s */
/* d ^= s << (shift & 31) */
BLIVO_API int32_t UsdShiftXOR(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows, int32_t shift);
/* Turns the rectangle upside down in place (width pixels of each row). */
BLIVO_API int32_t UsdSwapTopBottom(void* buffer, int32_t stride, int32_t width, int32_t rows);
/* 2 x 2 reductions: width x rows destination pixels from 2 width x 2 rows source pixels, per
 * byte floor of the mean of four. UsdAntiAreas16 writes the mean as RGB565. */
BLIVO_API int32_t UsdAreas(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                           int32_t width, int32_t rows);
BLIVO_API int32_t UsdAntiAreas16(void* dst, const void* src, int32_t dstStride,
                                 int32_t srcStride, int32_t width, int32_t rows);
/* Bump lighting with the source alpha as height, the light at (lightX, lightY) in the
 * rectangle's coordinates; the rule of SuperBump, neighbours clamped to the rectangle. */
BLIVO_API int32_t UsdAlphaBump(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                               int32_t width, int32_t rows, int32_t lightX, int32_t lightY);

/* ---- RastaRize: row kernels -----------------------------------------------------------------
 * count units with the run count encoding. The MMX and Pentium members give identical bytes.
 * Result 0, or 1 for a refused count or a null row. */
BLIVO_API int32_t RastaRizeCopyMMX(void* dst, const void* src, int32_t count);
BLIVO_API int32_t RastaRizeCopyPentium(void* dst, const void* src, int32_t count);
BLIVO_API int32_t RastaRizeAddMMX(void* dst, const void* src, int32_t count);
BLIVO_API int32_t RastaRizeAddPentium(void* dst, const void* src, int32_t count);
BLIVO_API int32_t RastaRizeSubMMX(void* dst, const void* src, int32_t count);
BLIVO_API int32_t RastaRizeSubPentium(void* dst, const void* src, int32_t count);
/* Two rows into a third: BrendADD/SUB: src1 +/- (src2 darkened by colour);
 * BrendALTADD/ALTSUB: (src1 darkened by colour) +/- src2; saturating per byte. */
BLIVO_API int32_t RastaRizeBrendADD(void* dst, const void* src1, const void* src2,
                                    uint32_t colour, int32_t count);
BLIVO_API int32_t RastaRizeBrendSUB(void* dst, const void* src1, const void* src2,
                                    uint32_t colour, int32_t count);
BLIVO_API int32_t RastaRizeBrendALTADD(void* dst, const void* src1, const void* src2,
                                       uint32_t colour, int32_t count);
BLIVO_API int32_t RastaRizeBrendALTSUB(void* dst, const void* src1, const void* src2,
                                       uint32_t colour, int32_t count);
/* A rectangle of four-byte pixels. */
BLIVO_API int32_t RastaRizeCopyFour(void* dst, const void* src, int32_t dstStride,
                                    int32_t srcStride, int32_t width, int32_t rows);

/* ---- Hi (RGB565) and Tr (32-bit) descriptor blits ---------------------------------------------
 * (dst, src, ignored, descriptor); src is not read by the fills and Feed and may be null there.
 * Result 0, or 1 for a null or refused descriptor.
 * Mov d = s. MovAdd, MovSub: saturating per channel. MovHalf: floor((d + s) / 2) per channel.
 * CMP: d = s where s != key. CMPHalf: d = floor((d + s) / 2) where s != key.
 * ColorFill: d = colour. ColorRect: the rectangle's one-pixel outline = colour.
 * ColorTile: d = colour where (x + y) is even. Feed: per channel
 * (d * (256 - level) + colour * level) >> 8. Sted: d = s where d != key. Stencil: d = colour
 * where s != key. ColorStencil: d = floor((d + colour) / 2) where s != key.
 * Palette: d = palette[s] with s a byte index (srcStride steps over count bytes).
 * Tr compares keys on the colour bytes (low 24 bits); its channels are all four bytes. */
#define BLIVO_DESCRIPTOR_FAMILY(P)                                                           \
  BLIVO_API int32_t P##Mov(void* dst, const void* src, int32_t ignored,                      \
                           const BlivoDescriptor* desc);                                     \
  BLIVO_API int32_t P##MovAdd(void* dst, const void* src, int32_t ignored,                   \
                              const BlivoDescriptor* desc);                                  \
  BLIVO_API int32_t P##MovSub(void* dst, const void* src, int32_t ignored,                   \
                              const BlivoDescriptor* desc);                                  \
  BLIVO_API int32_t P##MovHalf(void* dst, const void* src, int32_t ignored,                  \
                               const BlivoDescriptor* desc);                                 \
  BLIVO_API int32_t P##CMP(void* dst, const void* src, int32_t ignored,                      \
                           const BlivoDescriptor* desc);                                     \
  BLIVO_API int32_t P##CMPHalf(void* dst, const void* src, int32_t ignored,                  \
                               const BlivoDescriptor* desc);                                 \
  BLIVO_API int32_t P##ColorFill(void* dst, const void* src, int32_t ignored,                \
                                 const BlivoDescriptor* desc);                               \
  BLIVO_API int32_t P##ColorRect(void* dst, const void* src, int32_t ignored,                \
                                 const BlivoDescriptor* desc);                               \
  BLIVO_API int32_t P##ColorTile(void* dst, const void* src, int32_t ignored,                \
                                 const BlivoDescriptor* desc);                               \
  BLIVO_API int32_t P##Feed(void* dst, const void* src, int32_t ignored,                     \
                            const BlivoDescriptor* desc);                                    \
  BLIVO_API int32_t P##Sted(void* dst, const void* src, int32_t ignored,                     \
                            const BlivoDescriptor* desc);                                    \
  BLIVO_API int32_t P##Stencil(void* dst, const void* src, int32_t ignored,                  \
                               const BlivoDescriptor* desc);                                 \
  BLIVO_API int32_t P##ColorStencil(void* dst, const void* src, int32_t ignored,             \
                                    const BlivoDescriptor* desc);                            \
  BLIVO_API int32_t P##Palette(void* dst, const void* src, int32_t ignored,                  \
                               const BlivoDescriptor* desc);

BLIVO_DESCRIPTOR_FAMILY(Hi)
BLIVO_DESCRIPTOR_FAMILY(Tr)
#undef BLIVO_DESCRIPTOR_FAMILY

/* ---- Bv: samples and pixel formats -----------------------------------------------------------
 * Result 0, or 1 for a refused count or rectangle or a null buffer. */

/* count 32-bit units, run count encoding. */
BLIVO_API int32_t BvMov(void* dst, const void* src, int32_t count);
BLIVO_API int32_t BvZro(void* dst, const void* ignored, int32_t count);
/* count stereo frames of signed 16-bit samples (two per unit): d = clamp(d + s). */
BLIVO_API int32_t BvAdd(void* dst, const void* src, int32_t count);
/* count stereo frames: each channel d = trunc(0.75 * s). */
BLIVO_API int32_t BvLow(void* dst, const void* src, int32_t count);
/* count stereo frames mixed in at volume (0..256, clamped): d = clamp(d + ((s * volume) >> 8)). */
BLIVO_API int32_t BvRid(void* dst, const void* src, int32_t count, int32_t volume);
/* count stereo frames of dst; src holds count stereo frames, or count mono samples when
 * srcMono is non-zero (one sample to both channels); left and right volumes 0..256 as BvRid. */
BLIVO_API int32_t BvMusic(void* dst, const void* src, int32_t count, int32_t leftVolume,
                          int32_t rightVolume, int32_t srcMono);
/* count pixels. AlphaDown16From16: RGB565 to ARGB4444, opaque. AlphaDown16From32: 0xAARRGGBB
 * to ARGB4444 (top four bits each). ColorDown16From32: to RGB565. AlphaShift32From32: d's alpha
 * byte = s's blue byte, colour kept. BltTo32From24: B, G, R byte triples to 0xFFRRGGBB.
 * AlphaMask: d's alpha = floor(d.A * s.A / 255), colour kept. */
BLIVO_API int32_t BvAlphaDown16From16(void* dst, const void* src, int32_t count);
BLIVO_API int32_t BvAlphaDown16From32(void* dst, const void* src, int32_t count);
BLIVO_API int32_t BvColorDown16From32(void* dst, const void* src, int32_t count);
BLIVO_API int32_t BvAlphaShift32From32(void* dst, const void* src, int32_t count);
BLIVO_API int32_t BvBltTo32From24(void* dst, const void* src, int32_t count);
BLIVO_API int32_t BvAlphaMask(void* dst, const void* src, int32_t count);
/* Turns rows of stride bytes upside down in place. */
BLIVO_API int32_t BvSwapTopAndBottom(void* buffer, int32_t stride, int32_t rows);
/* 256 32-bit entries: entry i = (i << 24) | (colour & 0xFFFFFF). */
BLIVO_API int32_t BvCreateAlphaPalette(void* palette, uint32_t colour);
/* n x n reductions (n = 2, 4): width x rows destination pixels from n width x n rows source
 * pixels, per byte floor of the mean. */
BLIVO_API int32_t BvAntiAreas2(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                               int32_t width, int32_t rows);
BLIVO_API int32_t BvAntiAreas4(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                               int32_t width, int32_t rows);
/* TrueLine on a raw width x height buffer of 32-bit pixels. */
BLIVO_API int32_t BvTrueLine(void* buffer, int32_t stride, int32_t width, int32_t height,
                             int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);

/* ---- Au: surface formats ---------------------------------------------------------------------
 * Result 0, or 1 for a null or malformed descriptor or buffer. */

/* Both surfaces of 4 bytes per pixel (else 1); over the width and height they share, each pixel
 * becomes the alpha byte of src (of dst itself when flags bit 0 is set, src then unused)
 * replicated into all four bytes. */
BLIVO_API int32_t AuFormatPixel(void* dst, const BlivoSurface* dstDesc, const void* src,
                                const BlivoSurface* srcDesc, int32_t ignored, int32_t flags);
/* 0xAARRGGBB rows (srcStride apart) into the whole described surface: each channel's top bits. */
BLIVO_API int32_t AuFormatMap(void* dst, const BlivoSurface* dstDesc, const void* src,
                              int32_t srcStride);
/* A described surface stored bottom row first (a device-independent bitmap) into top-down
 * 0xAARRGGBB rows; channels widened by repeating their bits. */
BLIVO_API int32_t AuFormatFromDIB(void* dst, int32_t dstStride, const void* src,
                                  const BlivoSurface* srcDesc);
/* A BBI rectangle into a locked surface, clipped as a two-image blit. AuDDSWrite converts,
 * AuDDSBrend blends by the source alpha (the alpha rule) over the surface's pixels. */
BLIVO_API int32_t AuDDSWrite(void* surface, const BlivoSurface* desc, const void* image,
                             int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx,
                             int32_t sy);
BLIVO_API int32_t AuDDSBrend(void* surface, const BlivoSurface* desc, const void* image,
                             int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx,
                             int32_t sy);

/* ---- Lines, maps, bumps, reductions, samples ------------------------------------------------- */

/* BBIDrawAlphaLine with one colour. TrueLines joins count points (x, y pairs) in order;
 * 1 for a negative count or null points. */
BLIVO_API int32_t TrueLine(void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                           uint32_t colour);
BLIVO_API int32_t TrueLines(void* image, const int32_t* points, int32_t count, uint32_t colour);
/* The source rectangle (clipped to src) mapped onto the quadrilateral quad = {x0, y0, ... x3, y3}
 * (top-left, top-right, bottom-right, bottom-left): each destination pixel whose centre lies in
 * the quadrilateral takes the source pixel at its inverse bilinear position. GrLiBlt copies,
 * GrLiBlt32 blends by source alpha (the alpha rule). 1 for an empty rectangle or null quad. */
BLIVO_API int32_t GrLiBlt(void* dst, const void* src, const int32_t* quad, int32_t sx, int32_t sy,
                          int32_t sw, int32_t sh);
BLIVO_API int32_t GrLiBlt32(void* dst, const void* src, const int32_t* quad, int32_t sx,
                            int32_t sy, int32_t sw, int32_t sh);
/* Bump lighting, clipped as a two-image blit: the height of a source pixel is
 * (r + 2g + b) >> 2; nx, ny are the differences of the right and left, lower and upper
 * neighbours (clamped to the source image); with (lx, ly) the destination pixel minus the light,
 * i = max(0, 255 - max(|lx - nx|, |ly - ny|)) and each colour byte of d becomes
 * floor(d * i / 255), alpha kept. */
BLIVO_API int32_t SuperBump(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy, int32_t lightX, int32_t lightY);
/* Alpha expansion for four 16-bit lanes: ExpandTableMMX fills 256 64-bit entries, entry a = a in
 * every lane; the others write one 64-bit word per pixel holding a = s.A (ExpandAlphaMMX),
 * 255 - a (ExpandAlphaMMXCluc) or floor(a * opacity / 255) with opacity clamped to 0..255
 * (ExpandAlphaSTDMMX). */
BLIVO_API int32_t ExpandTableMMX(void* table);
BLIVO_API int32_t ExpandAlphaMMX(void* dst, const void* src, int32_t count);
BLIVO_API int32_t ExpandAlphaMMXCluc(void* dst, const void* src, int32_t count);
BLIVO_API int32_t ExpandAlphaSTDMMX(void* dst, const void* src, int32_t count, int32_t opacity);
/* One-axis reductions of 32-bit rows, per byte floor of the mean: U halves the width (pairs of
 * neighbours), V the rows; the Double members reduce by four. width x rows is the destination. */
BLIVO_API int32_t LibTrUAreas(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows);
BLIVO_API int32_t LibTrVAreas(void* dst, const void* src, int32_t dstStride, int32_t srcStride,
                              int32_t width, int32_t rows);
BLIVO_API int32_t LibTrDoubleUAreas(void* dst, const void* src, int32_t dstStride,
                                    int32_t srcStride, int32_t width, int32_t rows);
BLIVO_API int32_t LibTrDoubleVAreas(void* dst, const void* src, int32_t dstStride,
                                    int32_t srcStride, int32_t width, int32_t rows);
/* count frames of 8-bit unsigned or 16-bit signed samples (bits 8 or 16), mono or stereo
 * (channels 1 or 2), into stereo signed 16-bit frames; 1 for any other format. */
BLIVO_API int32_t SeFormat(void* dst, const void* src, int32_t count, int32_t bits,
                           int32_t channels);
/* rect = {x, y, w, h, ox, oy}: the ClipRect rule against the region left <= x < right,
 * top <= y < bottom. 0 with rect updated, 1 when empty (rect untouched). */
BLIVO_API int32_t TrimRgn(int32_t* rect, int32_t left, int32_t top, int32_t right,
                          int32_t bottom);

#ifdef __cplusplus
}
#endif

#endif /* BLIVO_FAMILIES_H */

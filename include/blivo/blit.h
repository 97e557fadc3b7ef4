/* blivo: two-image blits, one-image operations, comparisons, colour maps and row conversions.
 *
 * Two-image blits take (dst, src, dx, dy, w, h, sx, sy, extras...). The rectangle is clipped
 * against the destination, then against the source; an empty result returns 1 and touches
 * nothing, otherwise exactly the clipped w x h pixels are visited row by row from the top, each
 * row left to right, and the call returns 0. dst and src may be the same image: an overlapping
 * copy to the right or downwards reads pixels it has already written, as that visiting order
 * implies. A null image, or one whose width or height is not positive, clips to nothing.
 * Per-byte rules apply to all four bytes (alpha included) unless stated. */
#ifndef BLIVO_BLIT_H
#define BLIVO_BLIT_H

#include <stdint.h>

#include "blivo.h" /* BLIVO_API */

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Two-image blits ---------------------------------------------------------------------- */

BLIVO_API int32_t BBIBlt(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                         int32_t h, int32_t sx, int32_t sy); /* d = s */
/* Per byte min(255, d + s). Same pixels whichever path the MMX switch selects. */
BLIVO_API int32_t BBIBltAdd(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy);
BLIVO_API int32_t BBIBltSub(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy); /* max(0, d - s) */
BLIVO_API int32_t BBIBltXor(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy); /* |d - s| */
BLIVO_API int32_t BBIBltNot(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy); /* 255 - s */
BLIVO_API int32_t BBIBltMin(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy);
BLIVO_API int32_t BBIBltMax(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                            int32_t h, int32_t sx, int32_t sy);
/* Copies every source pixel that differs from the source's pixel (0,0) (read once, before
 * drawing, whatever sx and sy are). */
BLIVO_API int32_t BBIBltKeying(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                               int32_t h, int32_t sx, int32_t sy);
/* Keyed fade: level <= 0 draws nothing (result 0); level > 254 is BBIBltKeying (useKey set) or
 * BBIBlt; otherwise every pixel (not equal to the key when useKey is set) becomes per byte
 * (level * s + (256 - level) * d) >> 8. */
BLIVO_API int32_t BBIBltKeyingFX(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                                 int32_t h, int32_t sx, int32_t sy, int32_t useKey,
                                 int32_t level);
/* Per byte ((s >> 1) & 0x7F) + ((d >> 1) & 0x7F). */
BLIVO_API int32_t BBIBltHalfBlend(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                                  int32_t h, int32_t sx, int32_t sy);
/* Source-alpha blend, a = s.A. useMMX 0: a 0 keeps d, a 255 copies s, otherwise per byte
 * (s * a + d * (255 - a)) >> 8. useMMX != 0: per byte (s * F + d * (256 - F)) >> 8 with
 * F = floor(a * 256 / 255) for every a. The two differ by at most one step per channel. */
BLIVO_API int32_t BBIBltBlend(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                              int32_t h, int32_t sx, int32_t sy, int32_t useMMX);
/* Alpha compositing with an overall opacity (NaN or negative: result 1; above 1 counts as 1).
 * sa 0 keeps d; sa 255 or da 0 copies s; otherwise colour bytes blend with weight
 * trunc(sa * opacity * (1/255) * 256) and alpha becomes da + floor((255 - da) * sa / 255). */
BLIVO_API int32_t BBIBltTrueBlend(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                                  int32_t h, int32_t sx, int32_t sy, float opacity);
BLIVO_API int32_t BBIBltShiftAlpha(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                                   int32_t h, int32_t sx, int32_t sy); /* d = s.A * 0x01010101 */
/* Where s > 0x80 (unsigned word): d = (~d & 0x007FC0C0) | 0x00800000. */
BLIVO_API int32_t BBIBltShiftBlock(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                                   int32_t h, int32_t sx, int32_t sy);
/* Only the destination alpha changes. With m = s.A and o = d.A: subtract: m = o - m; invert:
 * m = 255 - m; keepMin and m >= o: m = o; keepMax and o >= m: m = o; alpha = m & 0xFF. */
BLIVO_API int32_t BBIBltAlpha(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                              int32_t h, int32_t sx, int32_t sy, int32_t keepMax,
                              int32_t keepMin, int32_t invert, int32_t subtract);
/* 2 x 2 reduction, per byte floor of the mean of four. Not clipped: returns 1 unless dx, dy,
 * sx, sy >= 0, w, h > 0, dx + w <= dst width, dy + h <= dst height, sx + 2w <= src width and
 * sy + 2h <= src height. */
BLIVO_API int32_t BBIBltHalfSize(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                                 int32_t h, int32_t sx, int32_t sy);
/* Alpha as depth: where s.A > d.A, d = s. */
BLIVO_API int32_t BBIDepth(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                           int32_t h, int32_t sx, int32_t sy);
/* Same test; then d = (s & ~mask) | (d & mask). */
BLIVO_API int32_t BBIDepthMask(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                               int32_t h, int32_t sx, int32_t sy, uint32_t mask);
/* Cross-fade: fraction NaN or < 0 returns 1, > 1 counts as 1, k = trunc(fraction * 256);
 * per byte (s * k + d * (256 - k)) >> 8. */
BLIVO_API int32_t BBIFlip(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                          int32_t h, int32_t sx, int32_t sy, float fraction);
/* Faded source-alpha blend: v = trunc(s.A * fraction * (1/255) * 256); per byte
 * (s * v + d * (256 - v)) >> 8. fraction NaN or < 0 returns 1, > 1 counts as 1. */
BLIVO_API int32_t BBIFlipBlend(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                               int32_t h, int32_t sx, int32_t sy, float fraction);

/* ---- One-image operations ------------------------------------------------------------------
 * Components are clamped to 0..255. Results: 0 done, 1 for a null or empty image. */

BLIVO_API int32_t BBIClear(void* image, int32_t r, int32_t g, int32_t b, int32_t a);
BLIVO_API int32_t BBIClearRGB(void* image, int32_t r, int32_t g, int32_t b); /* alpha kept */
/* pixel = (colour & ~mask) | (pixel & mask). */
BLIVO_API int32_t BBIClearMask(void* image, int32_t r, int32_t g, int32_t b, int32_t a,
                               uint32_t mask);
/* Clipped rectangle. mask and xorValue both 0: pixel = colour; otherwise
 * pixel = (colour & ~mask) | (mask & (xorValue ^ pixel)). */
BLIVO_API int32_t BBIBltColor(void* image, int32_t x, int32_t y, int32_t w, int32_t h,
                              uint32_t mask, uint32_t xorValue, uint32_t colour);
/* Whole image: alpha 0 where the low 24 bits equal keyColour's, 255 elsewhere. */
BLIVO_API int32_t BBIKeying(void* image, uint32_t keyColour);
/* Images of unequal size (or a null or empty one): 1. Modes: 0 words equal, 1 colours equal,
 * 2 alpha equal, 4 image1 fully transparent, 5 image1 fully opaque; 0 when no pixel fails,
 * 1 at the first failure, 2 for any other mode. */
BLIVO_API int32_t BBICompare(const void* image1, const void* image2, int32_t mode);

/* Per channel (colour1 * (256 - k) + colour2 * k) >> 8, k = trunc(clamp(fraction, 0, 1) * 256),
 * a NaN fraction counting as 0. */
BLIVO_API uint32_t dwColorBlend(uint32_t colour1, uint32_t colour2, float fraction);

/* ---- Conversions ---------------------------------------------------------------------------
 * From bottom-up bitmaps into a whole BBI: bits points at the first stored row (the image's
 * bottom row), rows stride bytes apart; the buffer must hold height rows of stride bytes, and
 * stride must be at least the row's bytes (width, 3 x width or 4 x width), else result 1. The
 * palette holds 256 32-bit entries (every index byte is looked up). Result 0, or 1 for a null
 * buffer or an empty image. */
BLIVO_API int32_t BBIBltTo32from8(void* image, const void* bits, const void* palette,
                                  int32_t stride);
BLIVO_API int32_t BBIBltTo32from24(void* image, const void* bits, int32_t stride); /* alpha 0 */
BLIVO_API int32_t BBIBltTo32from32(void* image, const void* bits, int32_t stride);

/* Row runs: src32 holds count 32-bit pixels; dst receives count pixels of 2, 3 or 4 bytes.
 * Result 0 (nothing written when count is 0), 1 for a negative count or a null buffer. */
BLIVO_API int32_t BBIBltTo16As565(void* dst16, const void* src32, int32_t count);
BLIVO_API int32_t BBIBltTo16As555(void* dst16, const void* src32, int32_t count);
BLIVO_API int32_t BBIBltTo16As444(void* dst16, const void* src32, int32_t count);
BLIVO_API int32_t BBIBltTo24As888(void* dst, const void* src32, int32_t count);
/* format: 555, 565 (2 bytes), 888 (3 bytes), 4444 (2 bytes, with alpha) or 8888 (4 bytes);
 * any other code writes nothing and returns 2. Each pixel is first faded toward colour:
 * per channel (colour * (256 - k) + p * k) >> 8, k from fraction as dwColorBlend. */
BLIVO_API int32_t BBIBltToX(void* dst, const void* src32, int32_t count, int32_t format,
                            uint32_t colour, float fraction);
/* As BBIBltToX after a saturation step (clamped to 0..256, NaN counting as 0; 1 leaves the
 * colour) and, when useTable is set, a 768-byte table of three curves (blue, green, red);
 * useTable with a null table returns 1. */
BLIVO_API int32_t BBIBltToF(void* dst, const void* src32, int32_t count, int32_t format,
                            uint32_t colour, float fraction, float saturation, int32_t useTable,
                            const void* table);

/* ---- Colour maps ---------------------------------------------------------------------------
 * (dst, src, map, dx, dy, w, h, sx, sy), clipped as BBIBlt. map is a BBI whose rows are curves:
 * the entry for value v of channel k (0 blue .. 3 alpha) in row r is byte k of map pixel (v, r).
 * A null map, one narrower than 256 pixels or without rows returns 1. Row choice: VA from the
 * source alpha, trunc(a * (rows - 1) / 255); VC from the source colour sum,
 * trunc((B + G + R) * (rows - 1) / 765); VX and VY from the pixel's position inside the clipped
 * rectangle, the first row at its first column (row) and the last at its last
 * (trunc(i * (rows - 1) / (w - 1)), row 0 when w is 1). UC looks up the source's bytes, UD the
 * destination's own; MC writes blue, green and red and keeps the destination alpha. */
BLIVO_API int32_t BBIMapUC(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                           int32_t w, int32_t h, int32_t sx, int32_t sy);
BLIVO_API int32_t BBIMapUCVA(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, int32_t sx, int32_t sy);
BLIVO_API int32_t BBIMapUDVA(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, int32_t sx, int32_t sy);
BLIVO_API int32_t BBIMapMCUCVA(void* dst, const void* src, const void* map, int32_t dx,
                               int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy);
BLIVO_API int32_t BBIMapMCUDVA(void* dst, const void* src, const void* map, int32_t dx,
                               int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy);
BLIVO_API int32_t BBIMapUCVC(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, int32_t sx, int32_t sy);
BLIVO_API int32_t BBIMapUDVC(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, int32_t sx, int32_t sy);
BLIVO_API int32_t BBIMapUCVX(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, int32_t sx, int32_t sy);
BLIVO_API int32_t BBIMapUCVY(void* dst, const void* src, const void* map, int32_t dx, int32_t dy,
                             int32_t w, int32_t h, int32_t sx, int32_t sy);

#ifdef __cplusplus
}
#endif

#endif /* BLIVO_BLIT_H */

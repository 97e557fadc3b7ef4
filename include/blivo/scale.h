/* blivo: mirrors, rotation, scaled copies, resampling, blur and channel routing.
 *
 * Scaled copies take a destination rectangle (dx, dy, dw, dh) and a source rectangle
 * (sx, sy, sw, sh). Both are clipped by the scaled rule: first against the source image (moving
 * the destination by the same fraction of its size), then against the destination. A size that
 * is or becomes zero or negative gives result 1 and touches nothing. Destination pixel
 * (dx + i, dy + j) samples source pixel (sx + floor(i * sw / dw), sy + floor(j * sh / dh)).
 * Opacities and blend weights: k = trunc(opacity * 256); the alpha-driven weight is
 * V[a] = trunc(a * opacity * (1/255 as float) * 256). A negative or NaN opacity gives result 1
 * (BBIExpandChooseBlt counts it as 0), an opacity above 1 counts as 1.
 *
 * Choices where the behaviour is not fixed by compatibility:
 * - BBIExpandBlendBlt and BBIExpandColorBlt clamp opacity to 1 like BBIExpandBlt.
 * - BBIExpandColorBlt: the gradient spans the clipped destination rectangle; the alpha of the
 *   recoloured pixel drives V when useAlpha is set.
 * - BBIExpandChooseBlt: a NaN saturation counts as 0 (grey). Without processing options and
 *   with neither of the fixed hand-over shapes, each pixel is recoloured by colourMask,
 *   colour and invertMask, blended with weight k or V[s.A] and stored through keepMask.
 * - BBIBltUScale/VScale read only the clipped source span: output pixel i averages the virtual
 *   samples i * den .. (i + 1) * den - 1 that exist (w * num of them); a reduction's outputs
 *   past the last sample are left untouched and a last partial group is averaged over the
 *   samples it has.
 * - BBILinearBlt: n = sw / dw + sh / dh + 5 (integer divisions), rounded down to a multiple of
 *   4, 20 when above 16; neighbours in the order of rings around the pixel: the four
 *   4-neighbours, the four diagonals, then the twelve pixels at distance 2 (axis, then knight
 *   moves). Each neighbour inside the source rectangle averages in as (a + b) >> 1.
 * - BBILinear(image, count): smooths the whole image in place with the first count (1..20)
 *   neighbours of that list, always from the image's values before the call; other counts
 *   give 1. Uses a scratch of three rows.
 * - BBIChooseCA/CATR(dst, src, flags1, flags2): the value comes from the image selected by
 *   bit 1 of flags1 (set: dst, clear: src); the bytes that are not replaced come from the
 *   image selected by bit 1 of flags2. When bit 0 of both flags is set the colour bytes become
 *   0x010101 * value's alpha; otherwise alpha becomes the grey value. BBIChooseCATR's grey is
 *   the exact trunc((2125 R + 7154 G + 721 B) / 10000).
 * - BBIRotation with the same image as source and destination turns it correctly in place
 *   (type 1 always; types 0 and 2 when the image is square).
 */
#ifndef BLIVO_SCALE_H
#define BLIVO_SCALE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Every row of the whole image reversed in place; 1 for an empty image. */
BLIVO_API int32_t BBIMirror(void* image);
/* The order of the rows reversed in place; 1 for an empty image. */
BLIVO_API int32_t BBIVMirror(void* image);
/* type 0: quarter turn clockwise, 1: half turn, 2: quarter turn counter-clockwise. The
 * destination must have the turned size (else 1); any other type does nothing and gives 0. */
BLIVO_API int32_t BBIRotation(void* dst, const void* src, int32_t type);

/* Nearest-pixel scaled copy; opacity below 1 fades each byte: (s * k + d * (256 - k)) >> 8. */
BLIVO_API int32_t BBIExpandBlt(void* dst, const void* src, int32_t dx, int32_t dy, int32_t dw,
                               int32_t dh, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                               float opacity);
/* Scaled source-alpha blend: each byte (s * V[s.A] + d * (256 - V[s.A])) >> 8. */
BLIVO_API int32_t BBIExpandBlendBlt(void* dst, const void* src, int32_t dx, int32_t dy,
                                    int32_t dw, int32_t dh, int32_t sx, int32_t sy, int32_t sw,
                                    int32_t sh, float opacity);
/* Scaled copy recoloured by a four-corner gradient (c1 top left, c2 top right, c3 bottom left,
 * c4 bottom right) where colourMask has no bits, blended with k (or V[a] with useAlpha), and
 * stored keeping the destination's bits under keepMask. */
BLIVO_API int32_t BBIExpandColorBlt(void* dst, const void* src, int32_t dx, int32_t dy,
                                    int32_t dw, int32_t dh, int32_t sx, int32_t sy, int32_t sw,
                                    int32_t sh, float opacity, uint32_t keepMask,
                                    uint32_t colourMask, uint32_t c1, uint32_t c2, uint32_t c3,
                                    uint32_t c4, int32_t useAlpha);
/* The general scaled copy with colour processing. Without processing options (saturation 1,
 * neutral levels, no add or ignoreDest flags) it hands over to BBIExpandBlt,
 * BBIExpandBlendBlt, BBIBlt, BBIBltBlend or a recolouring copy and returns their result;
 * with them it processes every pixel and returns 2. */
BLIVO_API int32_t BBIExpandChooseBlt(void* dst, const void* src, int32_t dx, int32_t dy,
                                     int32_t dw, int32_t dh, int32_t sx, int32_t sy, int32_t sw,
                                     int32_t sh, float opacity, float saturation,
                                     uint32_t levelLow, uint32_t levelHigh, uint32_t keepMask,
                                     uint32_t colourMask, uint32_t colour, uint32_t invertMask,
                                     int32_t useAlpha, int32_t addColour, int32_t addAlpha,
                                     int32_t ignoreDest);
/* Scaled copy with smoothing by successive averaging with neighbours. */
BLIVO_API int32_t BBILinearBlt(void* dst, const void* src, int32_t dx, int32_t dy, int32_t dw,
                               int32_t dh, int32_t sx, int32_t sy, int32_t sw, int32_t sh);
/* Smoothing of a whole image in place with the first count (1..20) neighbours. */
BLIVO_API int32_t BBILinear(void* image, int32_t count);

/* Box resampling of rows (U) or columns (V) by num / den, both 1..128 after clamping to 128.
 * Reductions run forwards, enlargements backwards, so either can be done in place. */
BLIVO_API int32_t BBIBltUScale(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                               int32_t h, int32_t sx, int32_t sy, int32_t num, int32_t den);
BLIVO_API int32_t BBIBltVScale(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                               int32_t h, int32_t sx, int32_t sy, int32_t num, int32_t den);
/* Box blur along rows (U) or columns (V): each output is the per-channel floor average of the
 * source pixels within radius (fewer at the ends). radius is limited to size / 2 - 1 and 127;
 * below 1 the call is a plain copy. Source and destination may be the same image. */
BLIVO_API int32_t BBIBltUBlur(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                              int32_t h, int32_t sx, int32_t sy, int32_t radius);
BLIVO_API int32_t BBIBltVBlur(void* dst, const void* src, int32_t dx, int32_t dy, int32_t w,
                              int32_t h, int32_t sx, int32_t sy, int32_t radius);

/* Channel routing over the overlap of both images from (0, 0). Each code: bit 2 set reads dst,
 * clear reads src; low two bits 0 red, 1 green, 2 blue, 3 alpha. */
BLIVO_API int32_t BBIChooseRGBA(void* dst, const void* src, int32_t rCode, int32_t gCode,
                                int32_t bCode, int32_t aCode);
BLIVO_API int32_t BBIChooseCA(void* dst, const void* src, int32_t flags1, int32_t flags2);
BLIVO_API int32_t BBIChooseCATR(void* dst, const void* src, int32_t flags1, int32_t flags2);

#ifdef __cplusplus
}
#endif

#endif /* BLIVO_SCALE_H */

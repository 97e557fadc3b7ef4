/* blivo: lines, shapes, fills, ramps, flood fill, edge softening and stencils.
 *
 * Every primitive writes only inside its image, whatever the coordinates: lines and shapes are
 * reduced to the part that lies inside before any pixel is visited, so a line from INT32_MIN to
 * INT32_MAX costs no more than one across the image. Unless stated otherwise the result is 0 when
 * the primitive ran and 1 when nothing was done (empty clip, run or shape outside the image, a
 * ramp too small, an image that is not valid).
 *
 * Masked write: where mask has a 1 bit the pixel keeps its own bit,
 * p = (colour & ~mask) | (p & mask); mask 0 writes the colour outright. */
#ifndef BLIVO_DRAW_H
#define BLIVO_DRAW_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Runs and lines ------------------------------------------------------------------------ */

/* count pixels of row y from x rightwards (FlipLineY: of column x from row y downwards) set to
 * colour, clipped to the image; 1 when the row (column) misses or nothing is left. */
BLIVO_API int32_t BBIFlipLineX(void* image, int32_t x, int32_t y, int32_t count, uint32_t colour);
BLIVO_API int32_t BBIFlipLineY(void* image, int32_t x, int32_t y, int32_t count, uint32_t colour);

/* Integer DDA line: n = max(|dx|, |dy|) steps, both error terms starting at n / 2; every point
 * after a step is written (masked), then (x2, y2). The start point is not drawn by the steps; a
 * line of length zero draws only its end point. Result 0 (also when every point fell outside). */
BLIVO_API int32_t BBIDrawLine(void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                              uint32_t mask, uint32_t colour);
/* The same stepped points (the end point is not added); a point is written (masked) only when
 * more than two of its four neighbours that lie inside the image already equal colour exactly.
 * Points are visited from the start, so a point written earlier counts for later ones. */
BLIVO_API int32_t BBIDotThick(void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                              uint32_t mask, uint32_t colour);
/* n + 1 points, each stepped before it is drawn (error terms start at n / 2 and step while they
 * exceed n); point i takes trunc(f * E + (1 - f) * S) per byte with f = i / n in single
 * precision, S and E the ramp's pixels (0, 0) and (1, 0). 1 when the ramp is narrower than 2. */
BLIVO_API int32_t BBIDrawGradationLine(void* image, void* ramp, int32_t x1, int32_t y1, int32_t x2,
                                       int32_t y2);
/* Anti-aliased line (Wu): one pixel pair per step of the longer axis, from (x1, y1) to (x2, y2)
 * inclusive. The colour runs from startColour to endColour (two-lane blend by trunc(t * 256));
 * each pixel of a pair is blended by source alpha with alpha = colour alpha * coverage / 256,
 * coverage 256 split between the two pixels by the line's position between them:
 * a = 0 leaves the pixel, 255 replaces it, else per byte (s * a + d * (255 - a)) >> 8 with the
 * source alpha byte set to a. Result 0. */
BLIVO_API int32_t BBIDrawAlphaLine(void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                   uint32_t startColour, uint32_t endColour);

/* ---- Shapes and fills ---------------------------------------------------------------------- */

/* Pixels strictly inside the triangle (edge functions with the orientation's sign, zero
 * excluded); TriangleA includes the edges. A degenerate triangle (three points on a line) draws
 * nothing. 1 when the corners' bounding box misses the image. */
BLIVO_API int32_t BBIDrawTriangle(void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                  int32_t x3, int32_t y3, uint32_t mask, uint32_t colour);
BLIVO_API int32_t BBIDrawTriangleA(void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                   int32_t x3, int32_t y3, uint32_t mask, uint32_t colour);
/* The clipped rectangle, masked write. */
BLIVO_API int32_t BBIDrawColorFill(void* image, int32_t x, int32_t y, int32_t w, int32_t h,
                                   uint32_t mask, uint32_t colour);
/* Four-corner gradient over the rectangle: u = column / (w - 1), v = row / (h - 1) in single
 * precision, both measured in the unclipped rectangle (0 when the size is 1); left = topLeft
 * toward bottomLeft by trunc(v * 256), right = topRight toward bottomRight likewise, pixel = left
 * toward right by trunc(u * 256), each a two-lane blend (from * (256 - k) + to * k) >> 8. */
BLIVO_API int32_t BBIDrawBox(void* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t mask,
                             uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft,
                             uint32_t bottomRight);
/* Check pattern anchored at the image origin: pixel (x, y) takes colour number
 * ((y / tileH) & 1) * 2 + ((x / tileW) & 1) of c0..c3; a tile size <= 0 counts as 1. */
BLIVO_API int32_t BBIDrawColorTile(void* image, int32_t x, int32_t y, int32_t w, int32_t h,
                                   uint32_t mask, int32_t tileW, int32_t tileH, uint32_t c0,
                                   uint32_t c1, uint32_t c2, uint32_t c3);
/* Circle outline: the pixels whose distance from (cx, cy) rounds (halves up) to radius, that is
 * (2 radius - 1)^2 <= 4 (dx^2 + dy^2) < (2 radius + 1)^2; radius 0 is the centre pixel. Masked
 * write. 1 when radius < 0 or the circle's box misses the image. */
BLIVO_API int32_t BBIDrawPolaCircle(void* image, int32_t cx, int32_t cy, int32_t radius,
                                    uint32_t mask, uint32_t colour);

/* ---- Ramps and gradients ------------------------------------------------------------------- *
 * A ramp is a small image: row 0 the horizontal ramp, row 1 the vertical one, width R >= 2.
 * The box from (x1, y1) to (x2, y2) is covered inclusively in either direction;
 * fx = (x - x1) / (x2 - x1), fy likewise (a zero denominator counts as 1), single precision.
 * Only the box's part inside the image is visited. Result 1 when the ramp is too small, else 0
 * (also when the box misses the image). */

/* Per byte floor(H * V / 255), H = row 0 at trunc((R - 1) fx), V = row 1 at trunc((R - 1) fy). */
BLIVO_API int32_t BBIDrawMultiplyLineBox(void* image, void* ramp, int32_t x1, int32_t y1,
                                         int32_t x2, int32_t y2);
/* Per byte H + V when below 256, else 510 - (H + V). */
BLIVO_API int32_t BBIDrawExclusiveLineBox(void* image, void* ramp, int32_t x1, int32_t y1,
                                          int32_t x2, int32_t y2);
/* u = 2 fx - 1, v = 2 fy - 1, r = sqrt(u^2 + v^2): r <= 1 takes row 0 at trunc((1 - r)(R - 1)),
 * other pixels are left. Needs a ramp of width >= 2 and height >= 1. */
BLIVO_API int32_t BBIDrawLineCircle(void* image, void* ramp, int32_t x1, int32_t y1, int32_t x2,
                                    int32_t y2);
/* Bilinear gradient from the ramp's pixels (0,0), (1,0), (0,1), (1,1) (top-left, top-right,
 * bottom-left, bottom-right): per byte trunc(left (1 - fx) + right fx), the row colours taken in
 * single precision. Needs a 2 x 2 ramp. */
BLIVO_API int32_t BBIDrawGradationBox(void* image, void* ramp, int32_t x1, int32_t y1, int32_t x2,
                                      int32_t y2);

/* ---- Whole-image operations ---------------------------------------------------------------- */

/* Flood fill of the 4-connected region of pixels equal (all 32 bits) to the seed's colour.
 * 1 when the seed is outside or already has colour (or the scratch memory, at most one byte per
 * pixel plus a span stack bounded by the pixel count, cannot be had); the four results (each
 * may be null) receive the inclusive bounding box of the filled pixels. */
BLIVO_API int32_t BBIPaint(void* image, int32_t x, int32_t y, uint32_t colour, int32_t* minX,
                           int32_t* minY, int32_t* maxX, int32_t* maxY);
/* With b the key colour: mode 0 key -> a; 1 non-key -> a; 2 non-key -> a, but non-key beside a
 * key pixel -> c and key beside a non-key pixel -> d; 3 key beside a non-key pixel -> a;
 * 4 non-key beside a key pixel -> a. Neighbours are the four edge neighbours inside the image,
 * judged on the values before the call. Any other mode: 2, nothing changed. */
BLIVO_API int32_t BBIPaintChoose(void* image, int32_t mode, uint32_t a, uint32_t b, uint32_t c,
                                 uint32_t d);
/* Keys the image (low 24 bits equal to keyColour's: alpha 0, else 255; outside the image counts
 * as transparent) and softens staircase edges: along rows and columns, in both directions, a
 * run of opaque pixels whose neighbour across the edge is transparent, starting where the
 * opaque side steps out by one pixel, is a stair step; its pixel m (counted from that step) gets
 * alpha table[m + 256 * L], L = run length - 1, when that is lower. A run that is stepped at
 * both ends is split, each half counted from its own step. Runs longer than 64 use row L = 63
 * with m scaled to 0..63. A run of one pixel takes 96 when its four diagonal neighbours are
 * opaque, else 32. A lowered pixel takes the per-channel mean colour of its opaque edge
 * neighbours. table: at least 16192 bytes. 1 when table is null. */
BLIVO_API int32_t BBIAntiAreas(void* image, const void* table, uint32_t keyColour);
/* Colour-keyed rewrite of the whole image: a pixel p with (p & compareMask) equal to
 * (keyColour & compareMask) becomes (keyValue & ~keyMask) | (p & keyMask), every other pixel
 * (otherValue & ~otherMask) | (p & otherMask). BBIKeying is (key, 0x00FFFFFF, 0, 0x00FFFFFF,
 * 0xFF000000, 0x00FFFFFF). */
BLIVO_API int32_t BBIKeyingEfect(void* image, uint32_t keyColour, uint32_t compareMask,
                                 uint32_t keyValue, uint32_t keyMask, uint32_t otherValue,
                                 uint32_t otherMask);

/* ---- Stencils -------------------------------------------------------------------------------
 * A wipe from dst to src driven by the alpha of a stencil image read at (tx + i, ty + j) for
 * destination (dx + i, dy + j) and source (sx + i, sy + j); the rectangle is clipped against all
 * three images. fraction < 0 or NaN: 1; above 1 counts as 1. */

/* Hard edge: level = trunc(fraction * 256); d = s where stencil alpha < level. */
BLIVO_API int32_t BBIStencilFlip(void* dst, void* src, void* stencil, int32_t dx, int32_t dy,
                                 int32_t w, int32_t h, int32_t sx, int32_t sy, int32_t tx,
                                 int32_t ty, float fraction);
/* Soft edge 32 levels wide: P = trunc(fraction * 288), k = clamp((P - t) * 8, 0, 256) for
 * stencil alpha t, each byte (s * k + d * (256 - k)) >> 8. */
BLIVO_API int32_t BBIStencilFlipLE(void* dst, void* src, void* stencil, int32_t dx, int32_t dy,
                                   int32_t w, int32_t h, int32_t sx, int32_t sy, int32_t tx,
                                   int32_t ty, float fraction);

#ifdef __cplusplus
}
#endif

#endif /* BLIVO_DRAW_H */

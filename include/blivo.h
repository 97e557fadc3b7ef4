/* blivo: the pixel library's public C interface.
 * Images are BBI blocks passed as the address of their first byte; integers, coordinates, sizes,
 * flags and modes are int32_t; packed 0xAARRGGBB colours are uint32_t; fractions are float.
 * Results: 0 done, 1 nothing done (empty clip or argument out of range), 2 unknown mode,
 * unless an export says otherwise. The library keeps no pointer beyond a call. */
#ifndef BLIVO_H
#define BLIVO_H

#include <stdint.h>

#if defined(BLIVO_BUILDING)
#define BLIVO_API __attribute__((visibility("default")))
#else
#define BLIVO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Library level ---------------------------------------------------------------------- */

/* Identity: the program keeps the returned number as the image's handle. Get_ptr is the same. */
BLIVO_API void* BBI(void* address);
BLIVO_API void* Get_ptr(void* address);
/* Stores value in the library-wide MMX switch and returns it. */
BLIVO_API int32_t MMX(int32_t value);
/* Processor class, computed once at load: 1 no identification instruction, 2 no MMX,
 * 3 conditional moves without MMX, 4 MMX, +8 SSE, +16 SSE2 (so 28 on every x86-64). */
BLIVO_API int32_t GetCpuID(void);
BLIVO_API uint32_t SHR(uint32_t value, int32_t count); /* logical, count & 31 */
BLIVO_API uint32_t SHL(uint32_t value, int32_t count); /* count & 31 */
BLIVO_API int32_t dllAdd(int32_t a, int32_t b);        /* 32-bit wrap-around */

/* ---- Compressors ---------------------------------------------------------------------------
 * Streams carry no header: the caller stores the method and the uncompressed length n.
 * Encoders read n bytes of src and write at most n bytes to dst. They return 0 with *outLen set
 * on success, 1 when the input is too short or the output would reach the method's limit
 * (n - 48, or n - 64 for ioEncoder; n itself for inputs shorter than that margin).
 * The bounded decoders read at most srcLen bytes and write exactly n bytes: 0 done, 1 when
 * n <= 0 or the stream ended early (the rest of dst is then zero-filled).
 * Decoders read only stream bytes the decoding consumes. The unbounded decoders trust their
 * input; they read at most the most a valid stream for n bytes can need: n + 1 + ceil(n/8)
 * bytes for Decoder, ceil(19 * ceil(n/2) / 8) for iDecoder (its closing zero byte is not
 * read), ceil(33 * ceil(n/4) / 8) for ioDecoder. New code uses the bounded forms. */
BLIVO_API int32_t Encoder(const void* src, void* dst, int32_t n, int32_t* outLen);
BLIVO_API int32_t Decoder(const void* src, void* dst, int32_t n);
BLIVO_API int32_t DecoderEx(const void* src, int32_t srcLen, void* dst, int32_t n);
BLIVO_API int32_t iEncoder(const void* src, void* dst, int32_t n, int32_t* outLen);
BLIVO_API int32_t iDecoder(const void* src, void* dst, int32_t n);
BLIVO_API int32_t iDecoderEx(const void* src, int32_t srcLen, void* dst, int32_t n);
BLIVO_API int32_t ioEncoder(const void* src, void* dst, int32_t n, int32_t* outLen);
BLIVO_API int32_t ioDecoder(const void* src, void* dst, int32_t n);
BLIVO_API int32_t ioDecoderEx(const void* src, int32_t srcLen, void* dst, int32_t n);

/* ---- Word access, buffers, random numbers --------------------------------------------------
 * GetWORD/GetInt return the 16-bit value at buffer + 2 * index sign-extended (mask with 0xFFFF
 * for the unsigned reading); SetWORD/SetInt store its low 16 bits and return value. */
BLIVO_API int32_t GetWORD(const void* buffer, int32_t index);
BLIVO_API int32_t GetInt(const void* buffer, int32_t index);
BLIVO_API int32_t SetWORD(void* buffer, int32_t index, int32_t value);
BLIVO_API int32_t SetInt(void* buffer, int32_t index, int32_t value);
BLIVO_API int32_t GetDWORD(const void* buffer, int32_t index);
BLIVO_API int32_t SetDWORD(void* buffer, int32_t index, int32_t value);
/* An unsigned 8-bit sample as a signed 16-bit one: (byte - 128) * 256. */
BLIVO_API int32_t GetIntByByte(const void* buffer, int32_t position);
/* Stores (value >> 8) - 128 as a byte and returns the stored byte. */
BLIVO_API int32_t SetIntToByte(void* buffer, int32_t position, int32_t value);
/* 0 when the first n bytes of a and b are equal (or n <= 0), else 1. */
BLIVO_API int32_t TestBuffer(const void* a, const void* b, int32_t n);
/* MT19937 output modulo a (unsigned); 0 when a is 0. */
BLIVO_API int32_t GetRandom(int32_t a);
/* Seeds the generator (the library seeds itself from the tick count at load). */
BLIVO_API int32_t SetRandomSeed(uint32_t seed);
BLIVO_API int32_t HitTestWall(int32_t a, int32_t b, int32_t c, int32_t d); /* always 0 */

#ifdef __cplusplus
}
#endif

/* Image operations by family. */
#include "blivo/blit.h"
#include "blivo/scale.h"
#include "blivo/draw.h"
#include "blivo/families.h"

#endif /* BLIVO_H */

/* The BBI record's layout, shared by the library and the program: two 16-bit offsets at the
 * start of the block (header, pixel (0,0)), then the header fields by their offset from the
 * header. Every field is a little-endian signed 16-bit value; the tag spells "32bits".
 * Plain C, header-only. */
#ifndef BLIVO_BBI_RECORD_H
#define BLIVO_BBI_RECORD_H

#include <stdint.h>
#include <string.h>

enum {
  /* Where the two offsets live, and the values every standard block holds in them. */
  BLIVO_BBI_HEAD_OFFSET_AT = 0,
  BLIVO_BBI_PICT_OFFSET_AT = 2,
  BLIVO_BBI_HEAD = 4,
  BLIVO_BBI_PICT = 24,
  /* Header fields, by byte offset from the header. */
  BLIVO_BBI_WIDTH = 0,
  BLIVO_BBI_HEIGHT = 2,
  BLIVO_BBI_XLEN = 4,
  BLIVO_BBI_XFORMAT = 6,
  BLIVO_BBI_DATALEN = 8,
  BLIVO_BBI_DATAFORMAT = 10,
  BLIVO_BBI_DATARESULT = 12,
  BLIVO_BBI_TAG = 14,
  /* The row length is a signed 16-bit field, so a row holds at most 32767 bytes. */
  BLIVO_BBI_MAX_XLEN = 32767,
  BLIVO_BBI_MAX_WIDTH = 8191,
  BLIVO_BBI_MAX_HEIGHT = 32767
};

static inline int16_t BlivoLoadI16(const void* p) {
  int16_t v;
  memcpy(&v, p, sizeof v);
  return v;
}

static inline void BlivoStoreI16(void* p, int32_t v) {
  const int16_t s = (int16_t)v;
  memcpy(p, &s, sizeof s);
}

/* Bytes a standard block of w x h pixels with pad spare pixels per row takes. */
static inline int64_t BlivoBBIBlockSize(int32_t w, int32_t h, int32_t pad) {
  return ((int64_t)w + pad) * h * 4 + BLIVO_BBI_PICT;
}

/* Writes the standard header (offsets 4 and 24, XFormat 32, the tag) for w x h with pad spare
 * pixels per row. The caller has checked that (w + pad) * 4 fits the row field. */
static inline void BlivoWriteBBIHeader(void* block, int32_t w, int32_t h, int32_t pad) {
  uint8_t* base = (uint8_t*)block;
  uint8_t* head = base + BLIVO_BBI_HEAD;
  BlivoStoreI16(base + BLIVO_BBI_HEAD_OFFSET_AT, BLIVO_BBI_HEAD);
  BlivoStoreI16(base + BLIVO_BBI_PICT_OFFSET_AT, BLIVO_BBI_PICT);
  BlivoStoreI16(head + BLIVO_BBI_WIDTH, w);
  BlivoStoreI16(head + BLIVO_BBI_HEIGHT, h);
  BlivoStoreI16(head + BLIVO_BBI_XLEN, (w + pad) * 4);
  BlivoStoreI16(head + BLIVO_BBI_XFORMAT, 32);
  BlivoStoreI16(head + BLIVO_BBI_DATALEN, pad * 4);
  BlivoStoreI16(head + BLIVO_BBI_DATAFORMAT, 0);
  BlivoStoreI16(head + BLIVO_BBI_DATARESULT, 0);
  memcpy(head + BLIVO_BBI_TAG, "32bits", 6);
}

#endif /* BLIVO_BBI_RECORD_H */

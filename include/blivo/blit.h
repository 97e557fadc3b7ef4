/* blivo: two-image blits, one-image operations, comparisons, colour maps and row conversions. */
#ifndef BLIVO_BLIT_H
#define BLIVO_BLIT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef __cplusplus
}
#endif

#endif /* BLIVO_BLIT_H */

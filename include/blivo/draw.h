/* blivo: lines, shapes, fills, ramps, flood fill, edge softening and stencils. */
#ifndef BLIVO_DRAW_H
#define BLIVO_DRAW_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef __cplusplus
}
#endif

#endif /* BLIVO_DRAW_H */

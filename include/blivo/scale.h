/* blivo: mirrors, rotation, scaled copies, resampling, blur and channel routing. */
#ifndef BLIVO_SCALE_H
#define BLIVO_SCALE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef __cplusplus
}
#endif

#endif /* BLIVO_SCALE_H */

/* Stand-in for the product's image library (TALB310). */
#ifndef TALB310_H
#define TALB310_H

#include <stdint.h>

#include "tiz_platform.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Ordinal 6: release an image; the handle is dead afterwards. */
void TIZ_API TALB_ReleaseImage(uint32_t hImage);
/* Ordinal 15: read a 16-bit property; *pError becomes non-zero for an
 * unknown or released handle (and is left alone on success). */
uint16_t TIZ_API TALB_GetImageProperty(uint32_t hImage, uint32_t code, uint32_t *pError);

/* For hosts and tests: make a live image whose properties 25 and 26 hold the
 * given values; how often a handle was released; how many images are live. */
uint32_t TIZ_API TALB_CreateImage(uint16_t property25, uint16_t property26);
uint32_t TIZ_API TALB_ReleaseCount(uint32_t hImage);
uint32_t TIZ_API TALB_LiveImageCount(void);

#ifdef __cplusplus
}
#endif

#endif

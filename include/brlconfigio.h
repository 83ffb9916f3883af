/* Stand-in for the product's configuration library (BrlConfigIO). */
#ifndef BRLCONFIGIO_H
#define BRLCONFIGIO_H

#include <stdint.h>

#include "tiz_platform.h"

#ifdef __cplusplus
extern "C" {
#endif

int32_t TIZ_API BCIO_SetConfigParameterDest(const char *name, int32_t kind, const char *value);
int32_t TIZ_API BCIO_GetConfigParameterDest(const char *name, uint32_t *pReserved, char *buffer,
                                            uint32_t *pSize);
int32_t TIZ_API BCIO_GetConfigParamStr(const char *keyPath, const char *valueName, char *buffer,
                                       uint32_t *pSize, void *reserved);

#ifdef __cplusplus
}
#endif

#endif

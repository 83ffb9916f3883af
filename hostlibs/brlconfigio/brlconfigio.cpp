// Placeholder until the configuration stand-in is built.
#include "brlconfigio.h"

extern "C" {
int32_t TIZ_API BCIO_SetConfigParameterDest(const char *, int32_t, const char *) { return -1; }
int32_t TIZ_API BCIO_GetConfigParameterDest(const char *, uint32_t *, char *, uint32_t *) {
  return -1;
}
int32_t TIZ_API BCIO_GetConfigParamStr(const char *, const char *, char *, uint32_t *, void *) {
  return -1;
}
}

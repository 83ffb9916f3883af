/* Stand-in for the product's support library (ORV310). */
#ifndef ORV310_H
#define ORV310_H

#include <stdint.h>

#include "tiz_platform.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Ordinal 551: receives the report of an exception caught at the library's
 * boundary; its result becomes the failed call's result. */
int32_t TIZ_API ORV_ReportException(const char *text);
/* The result ORV_ReportException returns from now on (default -1). */
void TIZ_API ORV_SetReportResult(int32_t result);
/* Copies the last report (bounded, NUL-terminated) and returns how many
 * reports were made so far. */
uint32_t TIZ_API ORV_GetLastReport(char *buffer, uint32_t length);

#ifdef __cplusplus
}
#endif

#endif

/* Compiled as C99 and C11 with pedantic warnings as errors: tiz_result.h
 * must serve C callers as it is. */
#include "tiz_result.h"

const char *tiz_result_header_check(int32_t result) { return tiz_result_text(result); }

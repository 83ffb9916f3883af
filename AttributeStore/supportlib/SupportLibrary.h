// The one call the library makes into the product's support library (ORV310).
#ifndef TIZ_SUPPORTLIB_SUPPORTLIBRARY_H
#define TIZ_SUPPORTLIB_SUPPORTLIBRARY_H

#include <cstdint>

namespace tiz::supportlib {

// Hands the report of a caught exception to the support library; its answer
// becomes the result of the export that failed.
int32_t ReportException(const char *report) noexcept;

}  // namespace tiz::supportlib

#endif

#include "supportlib/SupportLibrary.h"

#include "orv310.h"

namespace tiz::supportlib {

int32_t ReportException(const char *report) noexcept { return ORV_ReportException(report); }

}  // namespace tiz::supportlib

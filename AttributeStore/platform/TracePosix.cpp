// Trace lines elsewhere go to standard error.
#include <cstdio>

#include "platform/Native.h"

namespace tiz::platform::native {

void WriteTraceLine(const char *line) { std::fputs(line, stderr); }

}  // namespace tiz::platform::native

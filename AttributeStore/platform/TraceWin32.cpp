// Trace lines on Windows go to the debugger's output.
#include <windows.h>

#include "platform/Native.h"

namespace tiz::platform::native {

void WriteTraceLine(const char *line) { OutputDebugStringA(line); }

}  // namespace tiz::platform::native

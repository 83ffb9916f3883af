#include <cstdio>

#include "platform/Platform.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tiz::platform {

void WriteTraceLine(const char *line) {
#ifdef _WIN32
  OutputDebugStringA(line);
#else
  std::fputs(line, stderr);
#endif
}

}  // namespace tiz::platform

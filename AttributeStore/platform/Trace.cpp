// Trace lines: the switch and the formatting; the platform writes the line
// (TracePosix.cpp, TraceWin32.cpp).
#include "platform/Trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "platform/Native.h"

namespace tiz::platform {

namespace {

std::atomic<bool> g_tracing{false};

}  // namespace

void SetTracing(bool enabled) { g_tracing.store(enabled, std::memory_order_relaxed); }

bool TracingEnabled() { return g_tracing.load(std::memory_order_relaxed); }

void Trace(const char *format, ...) {
  if (!TracingEnabled()) return;
  // Every trace line is a fixed text with handles and the library's own
  // setting names: it fits the buffer with room to spare.
  char line[256];
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (written >= 0) native::WriteTraceLine(line);
}

}  // namespace tiz::platform

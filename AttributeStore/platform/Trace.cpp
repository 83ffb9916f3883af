#include "platform/Trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <new>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tiz::platform {

namespace {

std::atomic<bool> g_tracing{false};

void WriteTraceLine(const char *line) {
#ifdef _WIN32
  OutputDebugStringA(line);
#else
  std::fputs(line, stderr);
#endif
}

}  // namespace

void SetTracing(bool enabled) { g_tracing.store(enabled, std::memory_order_relaxed); }

bool TracingEnabled() { return g_tracing.load(std::memory_order_relaxed); }

void Trace(const char *format, ...) {
  if (!TracingEnabled()) return;
  // Lines are never cut: format into a local buffer, or a heap one when a
  // long name does not fit.
  char local[256];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int needed = std::vsnprintf(local, sizeof local, format, args);
  va_end(args);
  if (needed < 0) {
    va_end(again);
    return;
  }
  if (static_cast<size_t>(needed) < sizeof local) {
    va_end(again);
    WriteTraceLine(local);
    return;
  }
  char *heap = new (std::nothrow) char[static_cast<size_t>(needed) + 1];
  if (heap) {
    std::vsnprintf(heap, static_cast<size_t>(needed) + 1, format, again);
    WriteTraceLine(heap);
    delete[] heap;
  }
  va_end(again);
}

}  // namespace tiz::platform

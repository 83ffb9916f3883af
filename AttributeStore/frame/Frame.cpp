#include "frame/Frame.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <new>
#include <string>

#include "orv310.h"
#include "platform/Platform.h"

namespace tiz::frame {

namespace {

// The lock object itself lives for the whole process; "created" is the
// library's notion of whether the critical section is initialised, which the
// control exports switch. Keeping the storage alive means a thread that races
// a delete never touches a destroyed mutex.
// Built in static storage, not on the heap: creating the lock must not be
// able to fail for want of memory, since the frame cannot report that.
platform::SharedRecursiveLock &LockObject() {
  alignas(platform::SharedRecursiveLock) static unsigned char
      storage[sizeof(platform::SharedRecursiveLock)];
  static platform::SharedRecursiveLock *lock = new (storage) platform::SharedRecursiveLock();
  return *lock;
}

}  // namespace

bool g_lockCreated = false;
platform::SharedRecursiveLock *g_lock = nullptr;

void CreateLockSlow() {
  g_lock = &LockObject();
  g_lockCreated = true;
}

std::atomic<uint32_t> g_loggingFlag{0};
std::atomic<uint32_t> g_scanningThreadId{0};

void CreateLock() { EnsureLock(); }

void DeleteLock() { g_lockCreated = false; }

int32_t ReportException(const char *exportName) noexcept {
  char report[128];
  std::snprintf(report, sizeof report, "Catch in TIZ.DLL : %s\r\n", exportName);
  return ORV_ReportException(report);
}

bool LoggingEnabled() { return g_loggingFlag.load(std::memory_order_relaxed) != 0; }

void Trace(const char *format, ...) {
  if (!LoggingEnabled()) return;
  // Lines are never cut: format into a local buffer, or a heap one when a
  // long name does not fit. A trace must never fail the operation it traces.
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
    platform::WriteTraceLine(local);
    return;
  }
  char *heap = new (std::nothrow) char[static_cast<size_t>(needed) + 1];
  if (heap) {
    std::vsnprintf(heap, static_cast<size_t>(needed) + 1, format, again);
    platform::WriteTraceLine(heap);
    delete[] heap;
  }
  va_end(again);
}

}  // namespace tiz::frame

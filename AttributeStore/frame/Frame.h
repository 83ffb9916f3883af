// The call frame shared by the exports: the global lock (created on first
// use), the handle check, and the catch-all that turns any exception into a
// report to the support library and a result code.
#ifndef TIZ_FRAME_FRAME_H
#define TIZ_FRAME_FRAME_H

#include <cstdint>

#include "core/StoreHandles.h"

namespace tiz::frame {

void EnsureLock();
void EnterLock();
void LeaveLock();

// Formats "Catch in TIZ.DLL : <name>\r\n", hands it to the support library
// and returns that library's answer.
int32_t ReportException(const char *exportName) noexcept;

bool LoggingEnabled();
// Writes one "TEV: ..." trace line (printf format) when logging is on.
void Trace(const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Holds the global lock for a scope; creates it first if needed.
class LockScope {
 public:
  LockScope() {
    EnsureLock();
    EnterLock();
  }
  ~LockScope() { LeaveLock(); }
  LockScope(const LockScope &) = delete;
  LockScope &operator=(const LockScope &) = delete;
};

// Runs `body` inside the standard frame: lock held, any exception reported
// under the export's name and its result returned.
template <class Body>
int32_t Run(const char *exportName, Body &&body) noexcept {
  LockScope lock;
  try {
    return body();
  } catch (...) {
    return ReportException(exportName);
  }
}

inline CAttributeStore *CheckStoreHandle(uint32_t handle) { return LookupStore(handle); }

}  // namespace tiz::frame

#endif

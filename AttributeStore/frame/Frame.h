// The call frame shared by the exports: the global lock (created on first
// use), the handle check, and the catch-all that turns any exception into a
// report to the support library and a result code.
#ifndef TIZ_FRAME_FRAME_H
#define TIZ_FRAME_FRAME_H

#include <cstdint>

#include "core/StoreHandles.h"
#include "platform/SharedRecursiveLock.h"

namespace tiz::frame {

// Set by the first export or TIZ_InitCriticalSection, before a second
// thread enters (the host's contract); read without a lock after that.
extern bool g_lockCreated;
extern platform::SharedRecursiveLock *g_lock;
void CreateLockSlow();

inline void EnsureLock() {
  if (!g_lockCreated) CreateLockSlow();
}
inline void EnterLock() { g_lock->Enter(); }
inline void LeaveLock() { g_lock->Leave(); }

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

// Holds the global lock shared, for getters that only read: no value
// handed out by reference, no caller code run, no state of the library
// changed (not even a scratch buffer). Re-entered freely by a thread that
// holds the lock exclusively.
class SharedLockScope {
 public:
  SharedLockScope() {
    EnsureLock();
    token_ = g_lock->EnterShared();
  }
  ~SharedLockScope() { g_lock->LeaveShared(token_); }
  SharedLockScope(const SharedLockScope &) = delete;
  SharedLockScope &operator=(const SharedLockScope &) = delete;

 private:
  platform::SharedRecursiveLock::SharedToken token_;
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

// The standard frame under the shared lock, for read-only getters.
template <class Body>
int32_t RunShared(const char *exportName, Body &&body) noexcept {
  SharedLockScope lock;
  try {
    return body();
  } catch (...) {
    return ReportException(exportName);
  }
}

inline CAttributeStore *CheckStoreHandle(uint32_t handle) { return LookupStore(handle); }

}  // namespace tiz::frame

#endif

#include "frame/Frame.h"

#include <cstdio>

#include "support/ProcessLifetime.h"
#include "supportlib/SupportLibrary.h"

namespace tiz::frame {

namespace detail {
platform::SharedRecursiveLock *g_lock = nullptr;
}  // namespace detail

void CreateLock() {
  // The lock object lives for the whole process, so a thread that races a
  // delete never touches a destroyed mutex. It is built in static storage,
  // not on the heap: creating the lock must not be able to fail for want of
  // memory, since the frame cannot report that.
  static ProcessLifetime<platform::SharedRecursiveLock> lock;
  detail::g_lock = lock.Get();
}

void DeleteLock() {
  // Nothing to free: the lock outlives every caller (see CreateLock). The
  // export is kept for the host, which pairs it with TIZ_InitCriticalSection.
}

int32_t RunStep(const char *exportName, uint32_t handle,
                FunctionRef<int32_t(CAttributeStore *)> step) noexcept {
  return OnStore(kStandard, exportName, handle, step);
}

int32_t ReportException(const char *exportName) noexcept {
  char report[128];
  std::snprintf(report, sizeof report, "Catch in TIZ.DLL : %s\r\n", exportName);
  return supportlib::ReportException(report);
}

}  // namespace tiz::frame

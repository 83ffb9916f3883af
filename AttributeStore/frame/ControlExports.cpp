// Library control: lock life, logging and the scanning thread id. No lock
// taken, no handle, no exception report.
#include <atomic>

#include "frame/Frame.h"
#include "tiz.h"

namespace tiz::frame {
void CreateLock();
void DeleteLock();
extern std::atomic<uint32_t> g_loggingFlag;
extern std::atomic<uint32_t> g_scanningThreadId;
}  // namespace tiz::frame

using namespace tiz::frame;

extern "C" {

int32_t TIZ_API TIZ_InitCriticalSection(void) {
  CreateLock();
  return 0;
}

int32_t TIZ_API TIZ_DeleteCriticalSection(void) {
  DeleteLock();
  return 0;
}

int32_t TIZ_API TIZ_InitLogging(uint32_t enabled) {
  g_loggingFlag.store(enabled, std::memory_order_relaxed);
  return 0;
}

int32_t TIZ_API TIZ_SetScanningThreadID(uint32_t threadId) {
  g_scanningThreadId.store(threadId, std::memory_order_relaxed);
  return 0;
}

}  // extern "C"

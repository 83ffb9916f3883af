// Library control: lock life, logging and the scanning thread id. No frame:
// no lock taken, no handle, nothing that throws.
#include "frame/Frame.h"
#include "platform/Trace.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_InitCriticalSection(void) {
  frame::CreateLock();
  return 0;
}

int32_t TIZ_API TIZ_DeleteCriticalSection(void) {
  frame::DeleteLock();
  return 0;
}

int32_t TIZ_API TIZ_InitLogging(uint32_t enabled) {
  platform::SetTracing(enabled != 0);
  return 0;
}

// The host hands over its scanning thread; the library has no use for it.
int32_t TIZ_API TIZ_SetScanningThreadID(uint32_t) { return 0; }

}  // extern "C"

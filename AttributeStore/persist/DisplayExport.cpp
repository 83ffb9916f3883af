// TIZ_DisplayAttribute: the standard lock and handle check, but no exception
// report, and an invalid handle answers 0 with the buffer untouched.
#include "core/AttributeStore.h"
#include "frame/Frame.h"
#include "persist/Display.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_DisplayAttribute(uint32_t hAttrStore, const char *group, const char *item,
                                     char *dest, int32_t len) {
  frame::LockScope lock;
  try {
    CAttributeStore *store = frame::CheckStoreHandle(hAttrStore);
    if (!store) return 0;
    if (!dest || len < 0) return TIZ_E_INVALID_ARG;
    return DisplaySetting(store, dest, len, group, item);
  } catch (...) {
    // No report for this export. Only composing a very long key can run out
    // of memory here; that, or anything a caller's callback throws, must not
    // read as success. The lock is left by `lock` on this path too.
    return TIZ_E_NO_MEMORY_LINE;
  }
}

}  // extern "C"

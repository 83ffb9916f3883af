// Deleting settings, iterating a store's groups, and cloning a store.
#include "core/AttributeStore.h"
#include "core/Clone.h"
#include "core/Deletion.h"
#include "core/Iteration.h"
#include "frame/Frame.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_DeleteSetting(uint32_t hAttrStore, const char *group, const char *item) {
  return frame::Run("TIZ_DeleteSetting", [&]() -> int32_t {
    CAttributeStore *s = frame::CheckStoreHandle(hAttrStore);
    if (!s) return TIZ_E_INVALID_HANDLE;
    return DeleteSetting(s, group, item);
  });
}

int32_t TIZ_API TIZ_StartIteratorSorted(uint32_t hAttrStore) {
  // No exception report: sorting the key list allocates nothing.
  frame::LockScope lock;
  CAttributeStore *s = frame::CheckStoreHandle(hAttrStore);
  if (!s) return TIZ_NOT_FOUND;  // this export's answer to an invalid handle
  StartIteratorSorted(s);
  return 0;
}

int32_t TIZ_API TIZ_IterateSetting(uint32_t hAttrStore, char *buffer, uint32_t len) {
  return frame::Run("TIZ_IterateSetting", [&]() -> int32_t {
    if (!buffer) return TIZ_E_INVALID_ARG;  // checked before the handle
    CAttributeStore *s = frame::CheckStoreHandle(hAttrStore);
    if (!s) return TIZ_E_INVALID_HANDLE;
    return IterateSetting(s, buffer, len);
  });
}

int32_t TIZ_API TIZ_Clone(uint32_t hSource, uint32_t hDestination) {
  return frame::Run("TIZ_Clone", [&]() -> int32_t {
    CAttributeStore *source = frame::CheckStoreHandle(hSource);
    CAttributeStore *destination = frame::CheckStoreHandle(hDestination);
    if (!source || !destination) return TIZ_E_INVALID_HANDLE;
    return CloneStore(source, destination);
  });
}

}  // extern "C"

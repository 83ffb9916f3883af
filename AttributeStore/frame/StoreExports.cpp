// Store life: create, add a reference, release, read the parent.
#include "core/AttributeStore.h"
#include "frame/Frame.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_Create(uint32_t *phAttrStore) {
  return frame::Run("TIZ_Create", [&]() -> int32_t {
    if (!phAttrStore) return TIZ_E_INVALID_ARG;
    *phAttrStore = CreateStore()->Handle();
    return 0;
  });
}

int32_t TIZ_API TIZ_AddRef(uint32_t hAttrStore) {
  return frame::Run("TIZ_AddRef", [&]() -> int32_t {
    CAttributeStore *store = frame::CheckStoreHandle(hAttrStore);
    if (!store) return TIZ_E_INVALID_HANDLE;
    return store->AddRef();
  });
}

int32_t TIZ_API TIZ_Release(uint32_t hAttrStore) {
  return frame::Run("TIZ_Release", [&]() -> int32_t {
    CAttributeStore *store = frame::CheckStoreHandle(hAttrStore);
    if (!store) return TIZ_E_INVALID_HANDLE;
    return store->Release();
  });
}

int32_t TIZ_API TIZ_GetParent(uint32_t hAttrStore, uint32_t *phParent) {
  // No exception report for this export: nothing in it can throw.
  frame::LockScope lock;
  if (!phParent) return TIZ_E_INVALID_ARG;
  CAttributeStore *store = frame::CheckStoreHandle(hAttrStore);
  if (!store) return TIZ_E_INVALID_HANDLE;
  CAttributeStore *parent = store->Parent();
  *phParent = parent ? parent->Handle() : 0;
  return 0;
}

}  // extern "C"

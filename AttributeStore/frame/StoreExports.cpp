// Store life: create, add a reference, release, read the parent.
#include "core/AttributeStore.h"
#include "frame/Frame.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_Create(uint32_t *phAttrStore) {
  return frame::Run(frame::kStandard, "TIZ_Create", [&] { return CreateStoreOut(phAttrStore); });
}

int32_t TIZ_API TIZ_AddRef(uint32_t hAttrStore) {
  return frame::OnStore(frame::kStandard, "TIZ_AddRef", hAttrStore,
                        [&](CAttributeStore *store) { return store->AddRef(); });
}

int32_t TIZ_API TIZ_Release(uint32_t hAttrStore) {
  return frame::OnStore(frame::kStandard, "TIZ_Release", hAttrStore,
                        [&](CAttributeStore *store) { return store->Release(); });
}

int32_t TIZ_API TIZ_GetParent(uint32_t hAttrStore, uint32_t *phParent) {
  return frame::OnStore(
      frame::kUnreported, "TIZ_GetParent", hAttrStore,
      [&](CAttributeStore *store) { return GetParentHandle(store, phParent); },
      frame::RefuseNull(phParent, TIZ_E_INVALID_ARG));
}

}  // extern "C"

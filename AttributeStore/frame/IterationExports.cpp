// Iterating the groups of one store.
#include "core/Iteration.h"
#include "frame/Frame.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_StartIteratorSorted(uint32_t hAttrStore) {
  return frame::OnStore(frame::kIteratorStart, "TIZ_StartIteratorSorted", hAttrStore,
                        [&](CAttributeStore *store) { return StartIteratorSorted(store); });
}

int32_t TIZ_API TIZ_IterateSetting(uint32_t hAttrStore, char *buffer, uint32_t len) {
  return frame::OnStore(
      frame::kStandard, "TIZ_IterateSetting", hAttrStore,
      [&](CAttributeStore *store) { return IterateSetting(store, buffer, len); },
      frame::RefuseNull(buffer, TIZ_E_INVALID_ARG));
}

}  // extern "C"

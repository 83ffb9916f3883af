// Deleting one setting of a store.
#include "core/Deletion.h"
#include "frame/Frame.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_DeleteSetting(uint32_t hAttrStore, const char *group, const char *item) {
  return frame::OnStore(frame::kStandard, "TIZ_DeleteSetting", hAttrStore,
                        [&](CAttributeStore *store) { return DeleteSetting(store, group, item); });
}

}  // extern "C"

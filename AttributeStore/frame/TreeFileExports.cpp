// Saving a tree of stores to a tree file and restoring it.
#include "frame/Frame.h"
#include "persist/TreeFile.h"
#include "support/Text.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_Serialize(uint32_t hAttrStore, const char *fileName) {
  return frame::OnStore(frame::kStandard, "TIZ_Serialize", hAttrStore, [&](CAttributeStore *store) {
    return SaveTreeFile(store, TextOrEmpty(fileName));
  });
}

int32_t TIZ_API TIZ_Deserialize(uint32_t hAttrStore, const char *fileName) {
  return frame::OnStore(
      frame::kStandard, "TIZ_Deserialize", hAttrStore,
      [&](CAttributeStore *store) { return LoadTreeFile(store, TextOrEmpty(fileName)); });
}

}  // extern "C"

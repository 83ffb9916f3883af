// Applying a settings file to a store.
#include "core/AttributeStore.h"
#include "frame/Frame.h"
#include "persist/SettingsFile.h"
#include "support/Text.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_LoadSettings(uint32_t hAttrStore, const char *fileName) {
  // The loader works on the handle: a line's setter may run a release
  // callback that releases the store.
  return frame::OnStore(frame::kStandard, "TIZ_LoadSettings", hAttrStore,
                        [&](CAttributeStore *store) {
                          return LoadSettingsFile(store->Handle(), TextOrEmpty(fileName));
                        });
}

}  // extern "C"

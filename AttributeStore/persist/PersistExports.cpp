// The file exports: saving and restoring trees, loading settings files.
#include "core/AttributeStore.h"
#include "frame/Frame.h"
#include "persist/SettingsFile.h"
#include "persist/TreeFile.h"
#include "tiz.h"

using namespace tiz;

namespace {

std::string_view NameOrEmpty(const char *fileName) { return fileName ? fileName : ""; }

}  // namespace

extern "C" {

int32_t TIZ_API TIZ_Serialize(uint32_t hAttrStore, const char *fileName) {
  return frame::Run("TIZ_Serialize", [&]() -> int32_t {
    CAttributeStore *store = frame::CheckStoreHandle(hAttrStore);
    if (!store) return TIZ_E_INVALID_HANDLE;
    return SaveTreeFile(store, NameOrEmpty(fileName));
  });
}

int32_t TIZ_API TIZ_Deserialize(uint32_t hAttrStore, const char *fileName) {
  return frame::Run("TIZ_Deserialize", [&]() -> int32_t {
    CAttributeStore *store = frame::CheckStoreHandle(hAttrStore);
    if (!store) return TIZ_E_INVALID_HANDLE;
    return LoadTreeFile(store, NameOrEmpty(fileName));
  });
}

int32_t TIZ_API TIZ_LoadSettings(uint32_t hAttrStore, const char *fileName) {
  return frame::Run("TIZ_LoadSettings", [&]() -> int32_t {
    if (!frame::CheckStoreHandle(hAttrStore)) return TIZ_E_INVALID_HANDLE;
    return LoadSettingsFile(hAttrStore, NameOrEmpty(fileName));
  });
}

}  // extern "C"

// The image-tree exports: the standard frame around the workers, with both
// handles checked for save and restore.
#include "core/AttributeStore.h"
#include "frame/Frame.h"
#include "imagetree/ImageTree.h"
#include "tiz.h"

using namespace tiz;

namespace {

template <class Worker>
int32_t OnGlobalBag(const char *name, uint32_t hGlobalBag, Worker worker) {
  return frame::Run(name, [&]() -> int32_t {
    CAttributeStore *globalBag = frame::CheckStoreHandle(hGlobalBag);
    if (!globalBag) return TIZ_E_INVALID_HANDLE;
    return worker(globalBag);
  });
}

template <class Worker>
int32_t OnGlobalBagAndBag(const char *name, uint32_t hGlobalBag, uint32_t hBag, Worker worker) {
  return frame::Run(name, [&]() -> int32_t {
    CAttributeStore *globalBag = frame::CheckStoreHandle(hGlobalBag);
    CAttributeStore *bag = frame::CheckStoreHandle(hBag);
    if (!globalBag || !bag) return TIZ_E_INVALID_HANDLE;
    return worker(globalBag, bag);
  });
}

}  // namespace

extern "C" {

int32_t TIZ_API TIZ_UtilReInitImageTree(uint32_t hGlobalBag) {
  return OnGlobalBag("TIZ_UtilReInitImageTree", hGlobalBag, ReInitImageTree);
}

int32_t TIZ_API TIZ_UtilDestroyImageTree(uint32_t hGlobalBag) {
  return OnGlobalBag("TIZ_UtilDestroyImageTree", hGlobalBag, DestroyImageTree);
}

int32_t TIZ_API TIZ_UtilSaveCurrentImageTree(uint32_t hGlobalBag, uint32_t hBag) {
  return OnGlobalBagAndBag("TIZ_UtilSaveCurrentImageTree", hGlobalBag, hBag, SaveCurrentImageTree);
}

int32_t TIZ_API TIZ_UtilRestoreSavedImageTree(uint32_t hGlobalBag, uint32_t hBag) {
  return OnGlobalBagAndBag("TIZ_UtilRestoreSavedImageTree", hGlobalBag, hBag,
                           RestoreSavedImageTree);
}

}  // extern "C"

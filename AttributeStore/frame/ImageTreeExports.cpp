// The image-tree exports: re-initialise, destroy, save and restore the page
// tree of a global bag.
#include "frame/Frame.h"
#include "imagetree/ImageTree.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_UtilReInitImageTree(uint32_t hGlobalBag) {
  return frame::OnStore(frame::kStandard, "TIZ_UtilReInitImageTree", hGlobalBag, ReInitImageTree);
}

int32_t TIZ_API TIZ_UtilDestroyImageTree(uint32_t hGlobalBag) {
  return frame::OnStore(frame::kStandard, "TIZ_UtilDestroyImageTree", hGlobalBag, DestroyImageTree);
}

int32_t TIZ_API TIZ_UtilSaveCurrentImageTree(uint32_t hGlobalBag, uint32_t hBag) {
  return frame::OnStores(frame::kStandard, "TIZ_UtilSaveCurrentImageTree", hGlobalBag, hBag,
                         SaveCurrentImageTree);
}

int32_t TIZ_API TIZ_UtilRestoreSavedImageTree(uint32_t hGlobalBag, uint32_t hBag) {
  return frame::OnStores(frame::kStandard, "TIZ_UtilRestoreSavedImageTree", hGlobalBag, hBag,
                         RestoreSavedImageTree);
}

}  // extern "C"

// The bag and side exports. A null out pointer is refused with -108 before
// the handle is checked.
#include "frame/Frame.h"
#include "imagetree/Sides.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_UtilGetCurrentBag(uint32_t hGlobalBag, uint32_t bCurrentSide,
                                      uint32_t *phCurrentBag) {
  return frame::OnStore(
      frame::kStandard, "TIZ_UtilGetCurrentBag", hGlobalBag,
      [&](CAttributeStore *globalBag) {
        return UtilGetCurrentBag(globalBag, bCurrentSide, phCurrentBag);
      },
      frame::RefuseNull(phCurrentBag, TIZ_E_NULL_POINTER));
}

int32_t TIZ_API TIZ_UtilGetPersistentBag(uint32_t hGlobalBag, uint32_t bCurrentSide,
                                         uint32_t *phPersistentBag) {
  return frame::OnStore(
      frame::kStandard, "TIZ_UtilGetPersistentBag", hGlobalBag,
      [&](CAttributeStore *globalBag) {
        return UtilGetPersistentBag(globalBag, bCurrentSide, phPersistentBag);
      },
      frame::RefuseNull(phPersistentBag, TIZ_E_NULL_POINTER));
}

int32_t TIZ_API TIZ_UtilAppendNewCurrentBag(uint32_t hGlobalBag, uint32_t bCurrentSide,
                                            uint32_t *phCurrentBag) {
  return frame::OnStore(
      frame::kStandard, "TIZ_UtilAppendNewCurrentBag", hGlobalBag,
      [&](CAttributeStore *globalBag) {
        return UtilAppendNewCurrentBag(globalBag, bCurrentSide, phCurrentBag);
      },
      frame::RefuseNull(phCurrentBag, TIZ_E_NULL_POINTER));
}

int32_t TIZ_API TIZ_UtilIsCurrentFront(uint32_t hGlobalBag, uint32_t *pbIsFront) {
  return frame::OnStore(
      frame::kStandard, "TIZ_UtilIsCurrentFront", hGlobalBag,
      [&](CAttributeStore *globalBag) { return UtilIsCurrentFront(globalBag, pbIsFront); },
      frame::RefuseNull(pbIsFront, TIZ_E_NULL_POINTER));
}

int32_t TIZ_API TIZ_UtilIsABackSideBag(uint32_t hBag, uint32_t *pbIsBackSide) {
  return frame::OnStore(
      frame::kStandard, "TIZ_UtilIsABackSideBag", hBag,
      [&](CAttributeStore *bag) { return UtilIsABackSideBag(bag, pbIsBackSide); },
      frame::RefuseNull(pbIsBackSide, TIZ_E_NULL_POINTER));
}

int32_t TIZ_API TIZ_UtilSetSide(uint32_t hGlobalBag, uint32_t bFront) {
  return frame::OnStore(frame::kStandard, "TIZ_UtilSetSide", hGlobalBag,
                        [&](CAttributeStore *globalBag) { return UtilSetSide(globalBag, bFront); });
}

// No frame: the pipeline's batch names are made elsewhere.
int32_t TIZ_API TIZ_UtilGenerateBatchAttributeName(uint32_t, uint32_t, uint32_t) {
  return TIZ_E_NOT_PROVIDED;
}

}  // extern "C"

// The bag and side exports. A null out pointer is refused with -108 before
// the handle is checked.
#include "core/AttributeStore.h"
#include "core/TypedValues.h"
#include "frame/Frame.h"
#include "imagetree/BagNames.h"
#include "imagetree/Sides.h"
#include "tiz.h"

using namespace tiz;
using namespace tiz::bagnames;

namespace {

template <class Out, class Body>
int32_t OnBagWithOut(const char *name, uint32_t hBag, Out *out, Body &&body) {
  return frame::Run(name, [&]() -> int32_t {
    if (!out) return TIZ_E_NULL_POINTER;
    CAttributeStore *bag = frame::CheckStoreHandle(hBag);
    if (!bag) return TIZ_E_INVALID_HANDLE;
    return body(bag);
  });
}

// Hands the side's shortcut bag, with its reference, to the caller.
int32_t ShortCutOut(CAttributeStore *globalBag, uint32_t bCurrentSide, const char *settingName,
                    uint32_t *phBag) {
  BagRef bag;
  int32_t r = UtilGetShortCut(globalBag, bCurrentSide, settingName, &bag);
  if (r == 0) *phBag = bag.Detach();
  return r;
}

}  // namespace

extern "C" {

int32_t TIZ_API TIZ_UtilGetCurrentBag(uint32_t hGlobalBag, uint32_t bCurrentSide,
                                      uint32_t *phCurrentBag) {
  return OnBagWithOut(
      "TIZ_UtilGetCurrentBag", hGlobalBag, phCurrentBag, [&](CAttributeStore *globalBag) {
        int32_t r = ShortCutOut(globalBag, bCurrentSide, kCurrentImageStore, phCurrentBag);
        if (r == 0) {
          frame::Trace("TEV: TIZ_UtilGetCurrentBag : *phCurrentBag=0x%08x, cszSettingName=%s\n",
                       *phCurrentBag, kCurrentImageStore);
        }
        return r;
      });
}

int32_t TIZ_API TIZ_UtilGetPersistentBag(uint32_t hGlobalBag, uint32_t bCurrentSide,
                                         uint32_t *phPersistentBag) {
  return OnBagWithOut(
      "TIZ_UtilGetPersistentBag", hGlobalBag, phPersistentBag, [&](CAttributeStore *globalBag) {
        return ShortCutOut(globalBag, bCurrentSide, kPersistentImageStore, phPersistentBag);
      });
}

int32_t TIZ_API TIZ_UtilAppendNewCurrentBag(uint32_t hGlobalBag, uint32_t bCurrentSide,
                                            uint32_t *phCurrentBag) {
  return OnBagWithOut(
      "TIZ_UtilAppendNewCurrentBag", hGlobalBag, phCurrentBag, [&](CAttributeStore *globalBag) {
        int32_t r = UtilAppendNewCurrentBag(globalBag, bCurrentSide, phCurrentBag);
        if (r == 0) {
          frame::Trace("TEV: TIZ_UtilAppendNewCurrentBag : *phCurrentBag=0x%08x\n", *phCurrentBag);
        }
        return r;
      });
}

int32_t TIZ_API TIZ_UtilIsCurrentFront(uint32_t hGlobalBag, uint32_t *pbIsFront) {
  return OnBagWithOut(
      "TIZ_UtilIsCurrentFront", hGlobalBag, pbIsFront,
      [&](CAttributeStore *globalBag) { return UtilIsCurrentFront(globalBag, pbIsFront); });
}

int32_t TIZ_API TIZ_UtilIsABackSideBag(uint32_t hBag, uint32_t *pbIsBackSide) {
  return OnBagWithOut("TIZ_UtilIsABackSideBag", hBag, pbIsBackSide,
                      [&](CAttributeStore *bag) -> int32_t {
                        // Every bag of the back chain inherits the marker.
                        uint32_t marker = 0;
                        int32_t r = GetDword(bag, kPersistentBack, kValue, nullptr, &marker);
                        if (r < 0) return r;
                        *pbIsBackSide = marker;
                        return 0;
                      });
}

int32_t TIZ_API TIZ_UtilSetSide(uint32_t hGlobalBag, uint32_t bFront) {
  return frame::Run("TIZ_UtilSetSide", [&]() -> int32_t {
    CAttributeStore *globalBag = frame::CheckStoreHandle(hGlobalBag);
    if (!globalBag) return TIZ_E_INVALID_HANDLE;
    return UtilSetSide(globalBag, bFront);
  });
}

int32_t TIZ_API TIZ_UtilGenerateBatchAttributeName(uint32_t, uint32_t, uint32_t) {
  return TIZ_E_NOT_PROVIDED;
}

}  // extern "C"

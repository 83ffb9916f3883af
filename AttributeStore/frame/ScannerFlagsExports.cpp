// The scanner-flag and zoomed-DPI exports. A null out pointer is refused with
// -108 before the handle is checked.
#include "frame/Frame.h"
#include "imagetree/ScannerFlags.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_UtilGetScannerIsBlackBackground(uint32_t hGlobalBag, uint32_t *pdwValue) {
  return frame::OnStore(
      frame::kStandard, "TIZ_UtilGetScannerIsBlackBackground", hGlobalBag,
      [&](CAttributeStore *globalBag) {
        return UtilGetScannerIsBlackBackground(globalBag, pdwValue);
      },
      frame::RefuseNull(pdwValue, TIZ_E_NULL_POINTER));
}

int32_t TIZ_API TIZ_UtilSetScannerIsBlackBackground(uint32_t hGlobalBag, uint32_t dwValue) {
  return frame::OnStore(frame::kStandard, "TIZ_UtilSetScannerIsBlackBackground", hGlobalBag,
                        [&](CAttributeStore *globalBag) {
                          return UtilSetScannerIsBlackBackground(globalBag, BlackBackgroundBag::kUi,
                                                                 dwValue);
                        });
}

int32_t TIZ_API TIZ_UtilSetScannerIsBlackBackgroundDefault(uint32_t hGlobalBag, uint32_t dwValue) {
  return frame::OnStore(frame::kStandard, "TIZ_UtilSetScannerIsBlackBackgroundDefault", hGlobalBag,
                        [&](CAttributeStore *globalBag) {
                          return UtilSetScannerIsBlackBackground(
                              globalBag, BlackBackgroundBag::kDefaults, dwValue);
                        });
}

int32_t TIZ_API TIZ_UtilGetZoomedBICDPI(uint32_t hGlobalBag, uint32_t dwDpiMask,
                                        uint32_t *pdwDpiFlag, uint32_t *pdwZoom) {
  return frame::OnStore(
      frame::kStandard, "TIZ_UtilGetZoomedBICDPI", hGlobalBag,
      [&](CAttributeStore *globalBag) {
        return UtilGetZoomedBicDpi(globalBag, dwDpiMask, pdwDpiFlag, pdwZoom);
      },
      frame::RefuseNull(pdwDpiFlag, pdwZoom, TIZ_E_NULL_POINTER));
}

}  // extern "C"

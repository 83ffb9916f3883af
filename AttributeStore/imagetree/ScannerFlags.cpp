#include "imagetree/ScannerFlags.h"

#include "core/Attribute.h"
#include "core/TypedValues.h"
#include "imagetree/BagNames.h"
#include "imagetree/BagRef.h"
#include "imagetree/ZoomDpi.h"
#include "tiz.h"

namespace tiz {

using namespace bagnames;

namespace {

constexpr const char kBlackBackground[] = "scanner_is_black_background";
constexpr const char kZoomPercent[] = "scan_zoom_percent";
constexpr const char kDestinationDpi[] = "Destination.Vertical_DPI";
constexpr uint32_t kDefaultZoomPercent = 100;
constexpr uint32_t kDefaultDestinationDpi = 200;

// The bag the global bag holds under (bagGroup, "Attribute.Value"): 0 and
// the bag, or the read's non-zero result.
int32_t ReadNamedBag(CAttributeStore *globalBag, const char *bagGroup, CAttributeStore **bag) {
  BagRef ref;
  if (int32_t r = ReadBag(globalBag, bagGroup, kValue, &ref)) return r;
  ref.Release();  // the bag stays in use: its holder keeps it
  if (!(*bag = ref.Store())) return TIZ_E_INVALID_HANDLE;
  return 0;
}

}  // namespace

int32_t UtilGetScannerIsBlackBackground(CAttributeStore *globalBag, uint32_t *pdwValue) {
  *pdwValue = 0;
  CAttributeStore *ui = nullptr;
  if (int32_t r = ReadNamedBag(globalBag, kUiBag, &ui)) return r;
  uint32_t value = 0;
  int32_t r = GetDword(ui, kBlackBackground, kValue, nullptr, &value);
  if (r < 0) return r;
  *pdwValue = value;
  return 0;
}

int32_t UtilSetScannerIsBlackBackground(CAttributeStore *globalBag, BlackBackgroundBag which,
                                        uint32_t dwValue) {
  CAttributeStore *bag = nullptr;
  const char *bagGroup = which == BlackBackgroundBag::kUi ? kUiBag : kDefaultsBag;
  if (int32_t r = ReadNamedBag(globalBag, bagGroup, &bag)) return r;
  int32_t r = SetDword(bag, kBlackBackground, kValue, kDefaultConfidence, dwValue);
  return r < 0 ? r : 0;
}

int32_t UtilGetZoomedBicDpi(CAttributeStore *globalBag, uint32_t dwDpiMask, uint32_t *pdwDpiFlag,
                            uint32_t *pdwZoom) {
  uint32_t zoom = kDefaultZoomPercent, destination = kDefaultDestinationDpi;
  CAttributeStore *ui = nullptr;
  if (int32_t r = ReadNamedBag(globalBag, kUiBag, &ui)) return r;
  int32_t r = GetDword(ui, kZoomPercent, kValue, nullptr, &zoom);
  if (r >= 0) r = GetDword(ui, kDestinationDpi, kValue, nullptr, &destination);
  if (r < 0) return r;

  CZoomDPI resolutions(dwDpiMask);
  if (!resolutions.BuildList()) return TIZ_E_NO_DPI;
  int32_t chosen = resolutions.Choose(CZoomDPI::TargetDpi(zoom, destination));
  *pdwDpiFlag = resolutions.m_dpiFlag[chosen];
  *pdwZoom = CZoomDPI::ZoomFor(resolutions.m_dpi[chosen], destination);
  return 0;
}

}  // namespace tiz

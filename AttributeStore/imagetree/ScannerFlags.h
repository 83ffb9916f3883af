// The black-background flag of the UI bag (with its default in the defaults
// bag) and the choice of a scanner resolution for a zoomed scan. Callers hold
// the global lock and pass a live global bag.
#ifndef TIZ_IMAGETREE_SCANNERFLAGS_H
#define TIZ_IMAGETREE_SCANNERFLAGS_H

#include <cstdint>

namespace tiz {

class CAttributeStore;

// The flag of the UI bag, inherited from its ancestors (0 when absent);
// *pdwValue is 0 on every failure after the handle check.
int32_t UtilGetScannerIsBlackBackground(CAttributeStore *globalBag, uint32_t *pdwValue);

// Writes the flag into the UI bag or into the defaults bag.
enum class BlackBackgroundBag { kUi, kDefaults };
int32_t UtilSetScannerIsBlackBackground(CAttributeStore *globalBag, BlackBackgroundBag which,
                                        uint32_t dwValue);

// The resolution of `dwDpiMask` that best serves the UI bag's zoom and
// destination DPI, and the zoom to apply to it; -57 for a mask without a
// known resolution.
int32_t UtilGetZoomedBicDpi(CAttributeStore *globalBag, uint32_t dwDpiMask, uint32_t *pdwDpiFlag,
                            uint32_t *pdwZoom);

}  // namespace tiz

#endif

// The images of a page kept in its bags: the new image of the side being
// processed goes into a freshly appended current bag (dropping the previous
// one when it is an uncached equal), and fixed sets of images are deleted.
#ifndef TIZ_IMAGETREE_STOREDIMAGES_H
#define TIZ_IMAGETREE_STOREDIMAGES_H

#include <cstdint>

#include "support/FunctionRef.h"

namespace tiz {

class CAttributeStore;

// Each step of these operations is one of the library's own operations
// (get the current bag, read, set, delete, append a bag, release) and keeps
// that operation's whole contract: it checks its own handle (-16), writes
// its trace line, and a failure inside it is reported under its export's
// name with the report's answer as the step's result. The caller (the
// export's frame) supplies how a step named after its export is framed.
using StepFrame = int32_t (*)(const char *exportName, uint32_t hStore,
                              FunctionRef<int32_t(CAttributeStore *)> step);

// Stores `hImage` (cached or not) in a new current bag of the side being
// processed: 0, or the first failing step's result; -92 when `hImage` is
// already the current bag's image. The bag references obtained on the way
// are given back on every way out.
int32_t UtilUpdateStoredImages(StepFrame step, uint32_t hGlobalBag, uint32_t hImage,
                               uint32_t bCached);

// Deletes the seven AdvancedThreshold images (and their cached flags) from
// the bag: 0, or the first negative result (-16 for an invalid handle).
int32_t UtilDeleteATImage(StepFrame step, uint32_t hBag);

// Deletes the current side's image (and its flag) of one of the two side
// images the global bag keeps: 0, the side test's error, or the first
// negative result of the deletions.
enum class SideImage { kYBitonal, kYPlane };
int32_t UtilDeleteSideImage(StepFrame step, CAttributeStore *globalBag, SideImage which);

}  // namespace tiz

#endif

// Cloning a store and the tree below it.
#include "core/Clone.h"
#include "frame/Frame.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_Clone(uint32_t hSource, uint32_t hDestination) {
  return frame::OnStores(frame::kStandard, "TIZ_Clone", hSource, hDestination, CloneStore);
}

}  // extern "C"

// A setting as one line of text in the caller's buffer.
#include "frame/Frame.h"
#include "persist/Display.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

// Its own frame variant: an invalid handle answers 0 with the buffer
// untouched, and a failure inside (a caller's display callback that throws)
// is -9 without a report.
int32_t TIZ_API TIZ_DisplayAttribute(uint32_t hAttrStore, const char *group, const char *item,
                                     char *dest, int32_t len) {
  return frame::OnStore(frame::kDisplay, "TIZ_DisplayAttribute", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!dest || len < 0) return TIZ_E_INVALID_ARG;
                          return DisplaySetting(store, dest, len, group, item);
                        });
}

}  // extern "C"

// One setting's value as a line of text for logs and diagnostic views:
// "DWORD:\t-5", "String:\tabc", "AttributeStore:\tRoot...", and their kin.
//
// The text is copied into the caller's buffer like a bounded string copy: a
// shorter text is terminated and the rest of the buffer zero-filled; a text
// that does not fit fills the whole buffer with no terminator, and the
// result is then 3.
#ifndef TIZ_PERSIST_DISPLAY_H
#define TIZ_PERSIST_DISPLAY_H

#include <cstdint>

namespace tiz {

class CAttribute;
class CAttributeStore;

// Finds the setting in `store` or its ancestors and displays it: the result
// of DisplayValue, with a 0 from an ancestor turned into 1; 2 when the
// setting is nowhere (buffer untouched); -24 for an empty or null group. A
// null item counts as empty. `length` must not be negative.
int32_t DisplaySetting(CAttributeStore *store, char *buffer, int32_t length, const char *group,
                       const char *item);

// Writes the text of one value: 0 when it fits with its terminator, 3 when it
// was cut, or the result of a structure's display callback.
int32_t DisplayValue(const CAttribute &attribute, char *buffer, int32_t length);

}  // namespace tiz

#endif

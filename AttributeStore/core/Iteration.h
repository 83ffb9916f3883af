// Listing the groups of one store, each once, in sorted order. The cursor
// lives in the store, so a store runs one iteration at a time.
#ifndef TIZ_CORE_ITERATION_H
#define TIZ_CORE_ITERATION_H

#include <cstdint>

namespace tiz {

class CAttributeStore;

// Sorts the store's key list in place (stable, unsigned bytes, shorter
// prefix first) and puts the cursor on its first key. Cannot fail: 0.
int32_t StartIteratorSorted(CAttributeStore *store) noexcept;

// Reads the previous group from `buffer` (at most `len` bytes), moves the
// cursor past every key of that group (letter case aside) and writes the
// next group as a bounded, NUL-padded copy: 0, or -156 with an empty text
// when no group is left (also on a store whose iteration never started).
int32_t IterateSetting(CAttributeStore *store, char *buffer, uint32_t len);

}  // namespace tiz

#endif

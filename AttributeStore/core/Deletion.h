// Removing settings, and resetting the reference counts of a subtree.
#ifndef TIZ_CORE_DELETION_H
#define TIZ_CORE_DELETION_H

#include <cstdint>

namespace tiz {

class CAttributeStore;

// Worker of TIZ_DeleteSetting: 0 deleted (or the store holds no settings),
// 2 not in this store, -24 for an empty group. An ATTRIBUTESTORE setting
// takes its store down with it.
int32_t DeleteSetting(CAttributeStore *store, const char *group, const char *item);

// Sets the count of `store` and of every store reachable through its
// ATTRIBUTESTORE values to 0 (each store once, so loops of plain links end).
// Returns 0; exhausted memory while remembering the walked stores throws, to
// the export's frame.
int32_t ResetRefCounts(CAttributeStore *store);

}  // namespace tiz

#endif

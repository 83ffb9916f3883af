// Removing settings.
#ifndef TIZ_CORE_DELETION_H
#define TIZ_CORE_DELETION_H

#include <cstdint>

namespace tiz {

class CAttributeStore;

// Worker of TIZ_DeleteSetting: 0 deleted (or the store holds no settings),
// 2 not in this store, -24 for an empty group. An ATTRIBUTESTORE setting
// takes its store down with it.
int32_t DeleteSetting(CAttributeStore *store, const char *group, const char *item);

}  // namespace tiz

#endif

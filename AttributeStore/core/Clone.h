// Copying every setting of a store, and the tree of stores below it, into
// another store.
#ifndef TIZ_CORE_CLONE_H
#define TIZ_CORE_CLONE_H

#include <cstdint>

namespace tiz {

class CAttributeStore;

// Worker of TIZ_Clone. Numbers, texts and bytes are copied; image handles and
// structure objects are shared, each released once by its last holder;
// nested stores are copied into new stores, child links rebuilt between the
// copies, and a store reached again through a link shares the copy already
// made. Settings the destination already has keep their values. Every store
// of the copy ends with its source's reference count.
//
// 0, or -24 (nothing copied) when the two stores are one store or one tree:
// either reachable from the other through ATTRIBUTESTORE values.
int32_t CloneStore(CAttributeStore *source, CAttributeStore *destination);

}  // namespace tiz

#endif

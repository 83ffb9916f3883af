// The one walk over the stores that a store's settings hold. Callers hold
// the global lock. A visit may run code that changes the store (a teardown's
// callbacks): the next setting is read only after the visit returns, as the
// key list's own order allows.
#ifndef TIZ_CORE_STOREWALK_H
#define TIZ_CORE_STOREWALK_H

#include <cstdint>

#include "core/Attribute.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"

namespace tiz {

// The handle an ATTRIBUTESTORE setting holds (live or not); 0 for a missing
// setting or any other type.
inline uint32_t NestedHandleOf(const CAttribute *attr) {
  return attr && attr->m_type == kTypeAttributeStore ? attr->m_value.store : 0;
}

// The live store a setting holds, or null.
inline CAttributeStore *NestedStoreOf(const CAttribute *attr) {
  uint32_t handle = NestedHandleOf(attr);
  return handle ? LookupStore(handle) : nullptr;
}

// Calls visit(nested) for each live store a setting of `store` holds, plain
// links and child links alike, in key-list order.
template <class Visit>
void ForEachNestedStore(const CAttributeStore *store, Visit &&visit) {
  for (const KeyEntry *e = store->Keys().head; e; e = e->next) {
    if (CAttributeStore *nested = NestedStoreOf(&e->attr)) visit(nested);
  }
}

// The same for the stores held and child-linked to `store`.
template <class Visit>
void ForEachLinkedChild(const CAttributeStore *store, Visit &&visit) {
  const uint32_t self = store->Handle();
  ForEachNestedStore(store, [&](CAttributeStore *nested) {
    if (nested->ParentHandle() == self) visit(nested);
  });
}

// The first store, in key-list order, held and child-linked to `store`
// (never `store` itself), or null.
inline CAttributeStore *FirstLinkedChild(const CAttributeStore *store) {
  for (const KeyEntry *e = store->Keys().head; e; e = e->next) {
    CAttributeStore *nested = NestedStoreOf(&e->attr);
    if (nested && nested != store && nested->ParentHandle() == store->Handle()) return nested;
  }
  return nullptr;
}

}  // namespace tiz

#endif

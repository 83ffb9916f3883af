// Taking stores down: the stores child-linked below a store or kept by it,
// depth first, then the store's own values, bucket by bucket.
#ifndef TIZ_CORE_TEARDOWN_H
#define TIZ_CORE_TEARDOWN_H

#include <cstdint>

namespace tiz {

class CAttributeStore;

// DeleteChildStores destroys, depth first, the stores child-linked under
// `store` or kept by it: those its settings hold, in key-list order, then
// those no setting holds any more (0, or -303 when it has no keys).
// DestroyStore clears the signature and handle, releases every value, and
// frees the store.
int32_t DeleteChildStores(CAttributeStore *store);
void DestroyStore(CAttributeStore *store);
// Both in turn, at count 0: the whole subtree goes. Release callbacks run on
// the way may call back into the library and destroy the store themselves; it
// is then not destroyed a second time.
void TearDownStore(CAttributeStore *store);
// Empties the table, releasing values bucket by bucket in the order in which
// the key list first reaches each bucket; the store owns its entries and
// frees them with their settings. True when an entry was freed.
bool ClearTable(CAttributeStore *store);

}  // namespace tiz

#endif

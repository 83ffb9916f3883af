// Taking stores down: linked children first (depth first), then the store's
// own values, bucket by bucket.
#include <algorithm>
#include <vector>

#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "tiz.h"

namespace tiz {

int32_t DeleteChildStores(CAttributeStore *store) {
  if (store->m_keyList.Empty()) return TIZ_E_EMPTY_STORE;
  // Collect first: a child's teardown may run callbacks that re-enter the
  // library, and this walk must not hold list positions across that.
  std::vector<uint32_t> children;
  for (KeyEntry *e = store->m_keyList.head; e; e = e->next) {
    CAttribute *attr = e->attr;
    if (!attr || attr->m_type != kTypeAttributeStore) continue;
    CAttributeStore *nested = LookupStore(attr->m_value.store);
    if (nested && nested->ParentHandle() == store->Handle()) children.push_back(nested->Handle());
  }
  for (uint32_t handle : children) {
    CAttributeStore *nested = LookupStore(handle);
    if (!nested) continue;
    nested->m_refCount = 0;
    DeleteChildStores(nested);
    DestroyStore(nested);
  }
  return 0;
}

void DestroyStore(CAttributeStore *store) {
  store->m_signature = 0;
  StoreHandles::Instance().Unregister(store->m_handle);
  store->m_keyBuffer.reset();
  store->m_keyBufferSize = 0;
  store->m_name.clear();
  store->m_name.shrink_to_fit();
  ClearTable(store, store->m_ownsAttributes);
  delete store;
}

bool ClearTable(CAttributeStore *store, bool deleteAttributes) {
  KeyList &list = store->m_keyList;
  if (list.Empty()) return false;

  // Values go bucket by bucket: buckets in the order the key list first
  // reaches them, entries of a bucket in insertion order.
  struct Item {
    int32_t rank;
    uint64_t seq;
    KeyEntry *entry;
  };
  std::vector<int32_t> rank;
  std::vector<Item> order;
  try {
    rank.assign(kBucketCount, -1);
    order.reserve(list.size);
  } catch (...) {
    // Out of memory while tearing down: release in key-list order rather
    // than leak or leave the store half destroyed.
    KeyEntry *e = list.head;
    list = KeyList{};
    store->m_cursor = nullptr;
    store->m_index = KeyIndex{};
    while (e) {
      KeyEntry *next = e->next;
      CAttribute *attr = e->attr;
      KeyEntry::Free(e);
      if (deleteAttributes) delete attr;
      e = next;
    }
    return true;
  }
  int32_t nextRank = 0;
  for (KeyEntry *e = list.head; e; e = e->next) {
    int32_t bucket = BucketOfKey(e->KeyView());
    if (rank[bucket] < 0) rank[bucket] = nextRank++;
    order.push_back(Item{rank[bucket], e->seq, e});
  }
  std::sort(order.begin(), order.end(), [](const Item &a, const Item &b) {
    return a.rank != b.rank ? a.rank < b.rank : a.seq < b.seq;
  });

  // Detach everything before any value is released, so callbacks that
  // re-enter the library never see half-freed entries.
  list = KeyList{};
  store->m_cursor = nullptr;
  store->m_index = KeyIndex{};
  for (const Item &item : order) {
    CAttribute *attr = item.entry->attr;
    KeyEntry::Free(item.entry);
    if (deleteAttributes) delete attr;
  }
  return true;
}

}  // namespace tiz

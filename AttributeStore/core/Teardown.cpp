#include "core/Teardown.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/Attribute.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "core/StoreWalk.h"
#include "tiz.h"

namespace tiz {

int32_t DeleteChildStores(CAttributeStore *store) {
  const uint32_t self = store->Handle();
  const bool noKeys = store->m_keyList.Empty();
  // Collect first: a child's teardown may run callbacks that re-enter the
  // library, and this walk must not hold list positions across that.
  std::vector<uint32_t> children;
  ForEachNestedStore(store, [&](CAttributeStore *nested) {
    if (nested->GoesWith(self)) children.push_back(nested->Handle());
  });
  // Taken over whole once nothing can throw: links made while the children
  // go (by callbacks) are not this teardown's business.
  std::vector<uint32_t> linked = std::move(store->m_linkedChildren);
  store->m_linkedChildren.clear();
  // The children the settings hold first, in key-list order; then those
  // whose setting was overwritten, which would otherwise never go.
  for (const std::vector<uint32_t> *list : {&children, &linked}) {
    for (uint32_t handle : *list) {
      CAttributeStore *nested = LookupStore(handle);
      if (nested && nested->GoesWith(self)) TearDownStore(nested);
    }
  }
  return noKeys ? TIZ_E_EMPTY_STORE : 0;
}

void TearDownStore(CAttributeStore *store) {
  const uint32_t handle = store->Handle();
  store->SetRefCount(0);
  DeleteChildStores(store);  // -303, nothing below, is no error
  // A callback run by the children's values may have taken the store down
  // already (deleting the setting that held it, say).
  if (CAttributeStore *still = LookupStore(handle)) DestroyStore(still);
}

void DestroyStore(CAttributeStore *store) {
  StoreHandles::Instance().Unregister(store->m_handle);
  store->m_name.clear();
  store->m_name.shrink_to_fit();
  ClearTable(store);
  delete store;
}

namespace {

// A release that someone outside the store sees: an image handed back to
// the image library, a structure's release callback. Every other value is
// only memory, whose order of freeing no one can tell.
bool ReleaseIsSeen(const CAttribute &attr) {
  return attr.m_type == kTypeImage || attr.m_type == kTypeUserDefined;
}

}  // namespace

bool ClearTable(CAttributeStore *store) {
  KeyList &list = store->m_keyList;
  if (list.Empty()) return false;

  // The releases that are seen go bucket by bucket: buckets in the order the
  // key list first reaches them, entries of a bucket in insertion order.
  struct Item {
    int32_t rank;
    uint64_t seq;
    KeyEntry *entry;
  };
  std::vector<Item> seen;
  bool ordered = true;
  try {
    size_t seenCount = 0;
    for (KeyEntry *e = list.head; e; e = e->next) seenCount += ReleaseIsSeen(e->attr);
    if (seenCount > 0) {
      std::vector<int32_t> rank(kBucketCount, -1);
      seen.reserve(seenCount);
      int32_t nextRank = 0;
      for (KeyEntry *e = list.head; e; e = e->next) {
        int32_t bucket = BucketOfKey(e->KeyView());
        if (rank[bucket] < 0) rank[bucket] = nextRank++;
        if (ReleaseIsSeen(e->attr)) seen.push_back(Item{rank[bucket], e->seq, e});
      }
      std::sort(seen.begin(), seen.end(), [](const Item &a, const Item &b) {
        return a.rank != b.rank ? a.rank < b.rank : a.seq < b.seq;
      });
    }
  } catch (...) {
    // Out of memory while tearing down: release in key-list order rather
    // than leak or leave the store half destroyed.
    ordered = false;
  }

  // Detach everything before any value is released, so callbacks that
  // re-enter the library never see half-freed entries.
  KeyEntry *e = list.head;
  list = KeyList{};
  store->m_cursor = nullptr;
  store->m_index = KeyIndex{};
  while (e) {
    KeyEntry *next = e->next;
    if (!ordered || !ReleaseIsSeen(e->attr)) KeyEntry::Free(e);
    e = next;
  }
  if (ordered) {
    for (const Item &item : seen) KeyEntry::Free(item.entry);
  }
  return true;
}

}  // namespace tiz

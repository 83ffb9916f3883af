// A store: a table of settings filed under full keys, with a key list in
// insertion order, a path name, a parent link and a reference count.
//
// Every use runs under the library's global lock. Stores refer to each other
// (parent links, ATTRIBUTESTORE values) by handle, never by raw pointer, so a
// store destroyed elsewhere reads as absent instead of as freed memory.
#ifndef TIZ_CORE_ATTRIBUTESTORE_H
#define TIZ_CORE_ATTRIBUTESTORE_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Attribute.h"
#include "core/KeyIndex.h"
#include "core/Names.h"
#include "core/StoreHandles.h"
#include "core/Teardown.h"

namespace tiz {

constexpr int32_t kBucketCount = 1009;

// The key list: every filed key once, in insertion order (iteration may sort
// it in place). Intrusive through the entries, so it costs no extra copy.
struct KeyList {
  KeyEntry *head = nullptr;
  KeyEntry *tail = nullptr;
  size_t size = 0;

  void Append(KeyEntry *e);
  void Unlink(KeyEntry *e);
  bool Empty() const { return size == 0; }
};

class CAttributeStore {
 public:
  CAttributeStore();
  ~CAttributeStore();
  CAttributeStore(const CAttributeStore &) = delete;
  CAttributeStore &operator=(const CAttributeStore &) = delete;

  // --- table ---------------------------------------------------------------
  CAttribute *FindAttribute(std::string_view key) const;
  KeyEntry *FindEntry(std::string_view key) const;
  // Lookup with the key's hash already known (HashKey); reads only, so it
  // may run beside other readers. An empty key is never filed, so it is
  // found as any missing one.
  KeyEntry *FindEntry(std::string_view key, uint32_t hash) const { return m_index.Find(key, hash); }
  // The same for a setting's key as its names: nothing composed, nothing
  // written.
  KeyEntry *FindEntry(const SettingKey &key) const { return m_index.Find(key.names, key.hash); }
  // The same for a writer: on a miss *vacant receives the place where the
  // key goes, for PrepareEntry and FileEntry below, so that a new setting
  // is hashed and looked up once.
  KeyEntry *FindEntry(const SettingKey &key, size_t *vacant) const {
    return m_index.Find(key.names, key.hash, vacant);
  }
  // Two-step insertion for writers that must not fail after taking a value:
  // PrepareEntry allocates everything (may throw; null for an empty or
  // duplicate key) and gives an entry whose setting the writer fills;
  // FileEntry then files it and cannot fail. An entry not filed goes with
  // KeyEntry::Free (EntryFree), its value with it.
  KeyEntry *PrepareEntry(std::string_view key);
  void FileEntry(KeyEntry *entry) noexcept;
  // The same for a key a writer has just missed with FindEntry(key, vacant),
  // the store unchanged since: no second lookup. Keeps *vacant good for
  // FileEntry(entry, vacant) when growing the index moves the slots.
  KeyEntry *PrepareEntry(const SettingKey &key, size_t *vacant);
  void FileEntry(KeyEntry *entry, size_t vacant) noexcept;
  // Makes room in the key index for `more` keys beyond those held, so that
  // a load that knows how many keys come grows the index once (may throw).
  void ReserveKeys(size_t more) { m_index.Reserve(m_index.Size() + more); }
  // Removes the entry filed under `key` and releases its value.
  bool RemoveEntry(std::string_view key);

  // --- references and links ----------------------------------------------
  int32_t AddRef();
  int32_t Release();
  // Links this store as a child of `parent` (-82 for a cycle). Throws on
  // exhausted memory before changing anything, unless the parent reserved
  // room with ReserveChildLink.
  int32_t SetParent(CAttributeStore *parent);
  // Makes room to remember one more linked child. May throw.
  void ReserveChildLink();
  // Null when unlinked or the parent is gone.
  CAttributeStore *Parent() const { return m_parentHandle ? LookupStore(m_parentHandle) : nullptr; }
  uint32_t ParentHandle() const { return m_parentHandle; }

  // Forgets the parent link without touching any count: the caller has
  // given back (or never gave) the references the link carried.
  void DetachFromParent() { m_parentHandle = 0; }
  // Links to `parentHandle` without counting references in it: for a tree
  // whose counts the caller sets up itself (a tree read back from a file).
  void AttachToParentUncounted(uint32_t parentHandle) { m_parentHandle = parentHandle; }

  // A store a tree load made holds no reference of anyone's, so it goes with
  // the store that holds it: linked as that store's child (uncounted), or,
  // where it was linked plainly, kept by it without a parent link, so that a
  // miss in it still does not fall back to the holder. May throw before
  // changing anything.
  void LinkLoadedChild(CAttributeStore *parent);
  void KeepLoaded(CAttributeStore *keeper);
  // The store that keeps this one, or null.
  CAttributeStore *Keeper() const { return m_keeperHandle ? LookupStore(m_keeperHandle) : nullptr; }
  // True when this store goes down with `holder`: its child, or kept by it.
  bool GoesWith(uint32_t holder) const {
    return m_parentHandle == holder || m_keeperHandle == holder;
  }

  uint32_t Handle() const { return m_handle; }

  // --- key list, path name, count -----------------------------------------
  // The settings in key-list order (insertion order, or sorted by iteration).
  const KeyList &Keys() const { return m_keyList; }
  // The store's path name: "Root", or its holder's name, 0x7F and the full
  // key it is held under.
  const std::string &Name() const { return m_name; }
  void SetName(std::string name) noexcept { m_name.swap(name); }
  int32_t RefCount() const { return m_refCount; }
  // Sets the count outright, where a count is handed over rather than
  // counted: a copy takes its source's count, a tree being freed zeroes it.
  void SetRefCount(int32_t count) { m_refCount = count; }

 private:
  friend class StoreHandles;
  friend void DestroyStore(CAttributeStore *store);
  friend bool ClearTable(CAttributeStore *store);
  friend int32_t DeleteChildStores(CAttributeStore *store);
  friend int32_t StartIteratorSorted(CAttributeStore *store) noexcept;
  friend int32_t IterateSetting(CAttributeStore *store, char *buffer, uint32_t len);

  KeyList m_keyList;
  KeyEntry *m_cursor = nullptr;  // next key of a sorted iteration
  uint32_t m_parentHandle = 0;
  uint32_t m_keeperHandle = 0;
  std::string m_name;
  int32_t m_refCount = 0;

  // Drops entries of m_linkedChildren that no longer name a live store going
  // with this one, keeping the others in link order.
  void ForgetGoneChildren() noexcept;
  // Adds a store that goes with this one to m_linkedChildren. May throw
  // before changing anything.
  void RememberLinked(uint32_t handle);

  // The stores linked as children of this one, or kept by it, in link order.
  // Entries of stores since destroyed or linked elsewhere are dropped as the
  // list fills. Teardown finds here those whose setting was overwritten.
  std::vector<uint32_t> m_linkedChildren;
  KeyIndex m_index;
  uint64_t m_nextSeq = 0;
  uint32_t m_handle = 0;
};

// Bucket of a key under the table's rule: |sum of signed bytes| mod 1009.
int32_t BucketOfKey(std::string_view key);

// Allocates a store with one reference and a handle. Throws on exhausted memory.
CAttributeStore *CreateStore();
// Worker of TIZ_Create: a new store's handle, with its reference, to
// *phStore; -24 for a null phStore (nothing made).
int32_t CreateStoreOut(uint32_t *phStore);
// Worker of TIZ_GetParent: the parent's handle, or 0 without a (live)
// parent. No reference is added.
int32_t GetParentHandle(const CAttributeStore *store, uint32_t *phParent);

}  // namespace tiz

#endif

#include "core/AttributeStore.h"

#include <cstring>

#include "core/Names.h"
#include "core/StoreHandles.h"
#include "tiz.h"

namespace tiz {

void KeyList::Append(KeyEntry *e) {
  e->prev = tail;
  e->next = nullptr;
  if (tail)
    tail->next = e;
  else
    head = e;
  tail = e;
  ++size;
}

void KeyList::Unlink(KeyEntry *e) {
  (e->prev ? e->prev->next : head) = e->next;
  (e->next ? e->next->prev : tail) = e->prev;
  e->prev = e->next = nullptr;
  --size;
}

int32_t BucketOfKey(std::string_view key) {
  // The signed 32-bit sum wraps on very long keys, as 32-bit arithmetic
  // does; its absolute value is taken unsigned, so even the lowest sum names
  // a bucket.
  uint32_t sum = 0;
  for (char c : key)
    sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
  uint32_t magnitude = static_cast<int32_t>(sum) < 0 ? 0u - sum : sum;
  return static_cast<int32_t>(magnitude % kBucketCount);
}

CAttributeStore::CAttributeStore() : m_name("Root") {}

CAttributeStore::~CAttributeStore() {
  // Normally DestroyStore has emptied the table; this covers a store that
  // never got that far (construction interrupted by exhausted memory).
  ClearTable(this);
}

KeyEntry *CAttributeStore::FindEntry(std::string_view key) const {
  return m_index.Find(key, HashKey(key));
}

CAttribute *CAttributeStore::FindAttribute(std::string_view key) const {
  KeyEntry *e = FindEntry(key);
  return e ? &e->attr : nullptr;
}

KeyEntry *CAttributeStore::PrepareEntry(std::string_view key) {
  if (key.empty()) return nullptr;
  uint32_t hash = HashKey(key);
  if (m_index.Find(key, hash)) return nullptr;
  m_index.Reserve(m_index.Size() + 1);  // may throw; nothing changed yet
  return KeyEntry::Make(key, hash, 0);
}

void CAttributeStore::FileEntry(KeyEntry *e) noexcept {
  e->seq = m_nextSeq++;
  m_index.Insert(e);  // cannot throw: room was reserved
  m_keyList.Append(e);
}

KeyEntry *CAttributeStore::PrepareEntry(const SettingKey &key, size_t *vacant) {
  // Either may throw; a grown index holds the same keys, so nothing a
  // caller sees has changed then.
  if (m_index.Reserve(m_index.Size() + 1)) *vacant = m_index.VacantFor(key.hash);
  return KeyEntry::Make(key.names, key.hash, 0);
}

void CAttributeStore::FileEntry(KeyEntry *e, size_t vacant) noexcept {
  e->seq = m_nextSeq++;
  m_index.InsertAt(e, vacant);
  m_keyList.Append(e);
}

bool CAttributeStore::RemoveEntry(std::string_view key) {
  KeyEntry *e = FindEntry(key);
  if (!e) return false;
  // An iteration in progress moves on to the next key instead of dangling.
  if (m_cursor == e) m_cursor = e->next;
  m_index.Erase(e);
  m_keyList.Unlink(e);
  // Freed once out of the table: a structure's release callback may call
  // back into the library, which must then see a consistent table.
  KeyEntry::Free(e);
  return true;
}

int32_t CAttributeStore::AddRef() {
  ++m_refCount;
  if (CAttributeStore *parent = Parent()) {
    parent->AddRef();
    // A parent always carries at least its children's count.
    while (parent->m_refCount < m_refCount) parent->m_refCount += 1000;
  }
  return 0;
}

int32_t CAttributeStore::Release() {
  if (m_refCount < 1) return TIZ_E_INVALID_ARG;
  --m_refCount;
  uint32_t self = m_handle;
  if (CAttributeStore *parent = Parent()) {
    parent->Release();
    // The parent's teardown may have taken this store with it.
    if (!LookupStore(self)) return 0;
    if ((parent = Parent()) != nullptr) {
      while (parent->m_refCount < m_refCount) parent->m_refCount += 1000;
    }
  }
  // A linked child goes with its parent, a kept store with its keeper; only
  // a store without either is destroyed by its own last release.
  if (m_refCount == 0 && !Parent() && !Keeper()) TearDownStore(this);
  return 0;
}

int32_t CAttributeStore::SetParent(CAttributeStore *parent) {
  for (CAttributeStore *store = parent; store; store = store->Parent()) {
    if (store == this) return TIZ_E_CYCLE;
  }
  if (m_parentHandle != parent->Handle()) parent->RememberLinked(m_handle);
  m_parentHandle = parent->Handle();
  m_keeperHandle = 0;  // the parent owns it now
  for (int32_t i = 0; i < m_refCount; ++i) parent->AddRef();
  return 0;
}

void CAttributeStore::LinkLoadedChild(CAttributeStore *parent) {
  parent->RememberLinked(m_handle);
  m_parentHandle = parent->Handle();
  m_keeperHandle = 0;
}

void CAttributeStore::KeepLoaded(CAttributeStore *keeper) {
  keeper->RememberLinked(m_handle);
  m_keeperHandle = keeper->Handle();
}

void CAttributeStore::RememberLinked(uint32_t handle) {
  ReserveChildLink();  // may throw: nothing changed yet
  m_linkedChildren.push_back(handle);
}

void CAttributeStore::ReserveChildLink() {
  if (m_linkedChildren.size() < m_linkedChildren.capacity()) return;
  ForgetGoneChildren();
  m_linkedChildren.reserve(m_linkedChildren.size() + 1);
}

void CAttributeStore::ForgetGoneChildren() noexcept {
  size_t kept = 0;
  for (uint32_t child : m_linkedChildren) {
    const CAttributeStore *store = LookupStore(child);
    if (store && store->GoesWith(m_handle)) m_linkedChildren[kept++] = child;
  }
  m_linkedChildren.resize(kept);
}

CAttributeStore *CreateStore() {
  auto *store = new CAttributeStore();
  try {
    StoreHandles::Instance().Register(store);
  } catch (...) {
    delete store;
    throw;
  }
  store->AddRef();
  return store;
}

int32_t CreateStoreOut(uint32_t *phStore) {
  if (!phStore) return TIZ_E_INVALID_ARG;
  *phStore = CreateStore()->Handle();
  return 0;
}

int32_t GetParentHandle(const CAttributeStore *store, uint32_t *phParent) {
  const CAttributeStore *parent = store->Parent();
  *phParent = parent ? parent->Handle() : 0;
  return 0;
}

}  // namespace tiz

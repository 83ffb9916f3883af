// Looks inside stores from a test: a text dump of a whole tree, to show that
// a call changed nothing, and a check of the table's invariants, to show that
// an interrupted call left a store whole.
#ifndef TIZ_TESTS_STOREINSPECTION_H
#define TIZ_TESTS_STOREINSPECTION_H

#include <cstdint>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "LiveStores.h"
#include "core/AttributeStore.h"
#include "core/SharedValues.h"
#include "core/StoreHandles.h"
#include "core/UserDefined.h"
#include "frame/Frame.h"
#include "tiz.h"

namespace tiz_test {

namespace detail {

inline void DumpValue(std::ostream &out, const tiz::CAttribute &a, bool handles) {
  switch (a.m_type) {
    case tiz::kTypeDword:
      out << a.m_value.dword;
      break;
    case tiz::kTypeImage:
    case tiz::kTypeAttributeStore:
      if (handles) out << a.m_value.dword;
      break;
    case tiz::kTypeDouble:
      out << a.m_value.raw;
      break;
    case tiz::kTypeString:
      if (a.m_value.text) out << '"' << a.m_value.text << '"';
      break;
    case tiz::kTypeBuffer:
      for (uint32_t i = 0; a.m_value.bytes && i < a.m_size; ++i)
        out << int{a.m_value.bytes[i]} << ',';
      break;
    case tiz::kTypeUserDefined:
      if (a.m_value.structure && handles) out << a.m_value.structure->Data();
      break;
    default:
      break;
  }
}

inline void DumpTree(std::ostream &out, uint32_t handle, int depth, std::set<uint32_t> &seen,
                     bool handles, bool counts) {
  tiz::CAttributeStore *s = tiz::LookupStore(handle);
  out << std::string(depth * 2, ' ');
  if (handles) out << handle;
  if (!s) {
    out << " gone\n";
    return;
  }
  if (counts) out << " refs=" << s->RefCount();
  out << " parent=";
  if (handles)
    out << s->ParentHandle();
  else
    out << (s->ParentHandle() != 0);
  out << " name=" << s->Name().size() << "\n";
  if (!seen.insert(handle).second) return;  // links may form loops
  for (tiz::KeyEntry *e = s->Keys().head; e; e = e->next) {
    const tiz::CAttribute &a = e->attr;
    out << std::string(depth * 2 + 1, ' ') << e->KeyView() << " t=" << a.m_type << " s=" << a.m_size
        << " c=" << a.m_confidence << " v=";
    DumpValue(out, a, handles);
    out << "\n";
    if (a.m_type == tiz::kTypeAttributeStore && a.m_value.store)
      DumpTree(out, a.m_value.store, depth + 1, seen, handles, counts);
  }
}

}  // namespace detail

// Everything a caller could observe of the store and the stores below it:
// counts, parents, keys in list order, types, sizes, confidences, values.
// Without handles, two trees built alike in different runs dump alike;
// without counts, a tree and its copy read back from a file, whose stores
// hold no caller's references.
inline std::string DumpStore(uint32_t handle, bool handles = true, bool counts = true) {
  tiz::frame::LockScope lock;
  std::ostringstream out;
  std::set<uint32_t> seen;
  detail::DumpTree(out, handle, 0, seen, handles, counts);
  return out.str();
}

// Releases the store and every store linked below it, plain links included,
// until their handles are dead: a loaded or cloned tree holds stores that
// no one else releases, and a clone copies its source's count.
inline void ReleaseTree(uint32_t root) {
  std::vector<uint32_t> order;
  {
    tiz::frame::LockScope lock;
    std::set<uint32_t> seen;
    order.push_back(root);
    seen.insert(root);
    for (size_t i = 0; i < order.size(); ++i) {
      tiz::CAttributeStore *s = tiz::LookupStore(order[i]);
      for (tiz::KeyEntry *e = s ? s->Keys().head : nullptr; e; e = e->next) {
        uint32_t nested = e->attr.m_type == tiz::kTypeAttributeStore ? e->attr.m_value.store : 0;
        if (nested && seen.insert(nested).second) order.push_back(nested);
      }
    }
  }
  for (uint32_t h : order) {
    for (int i = 0; i < 100000 && TIZ_Release(h) == 0; ++i) {
    }
  }
}

// Files a setting without a value (type UNDEFINED) under `key`, for tests
// that then give it what no export can; null for an empty or filed key.
inline tiz::CAttribute *FileBlankSetting(tiz::CAttributeStore *store, std::string_view key) {
  tiz::KeyEntry *entry = store->PrepareEntry(key);
  if (!entry) return nullptr;
  store->FileEntry(entry);
  return &entry->attr;
}

inline bool Alive(uint32_t h) { return tiz::LookupStore(h) != nullptr; }

// Read without taking the lock: a test peeks between calls. A dead store's
// count is far below any real one, so a check fails loudly.
inline int32_t RefCount(uint32_t h) {
  tiz::CAttributeStore *s = tiz::LookupStore(h);
  return s ? s->RefCount() : -1000;
}

inline size_t KeyCount(uint32_t h) { return tiz::LookupStore(h)->Keys().size; }

// The keys of the store in list order.
inline std::vector<std::string> Keys(uint32_t h) {
  std::vector<std::string> keys;
  for (tiz::KeyEntry *e = tiz::LookupStore(h)->Keys().head; e; e = e->next)
    keys.push_back(e->Key());
  return keys;
}

// The attribute the store itself holds under the name, not one inherited
// from a parent (null when absent or the store is gone).
inline tiz::CAttribute *FindOwn(uint32_t h, const char *group, const char *item) {
  tiz::CAttributeStore *s = tiz::LookupStore(h);
  // By the names and their hash: nothing is allocated, so it may run while
  // a test makes allocations fail.
  tiz::KeyEntry *entry = s ? s->FindEntry(tiz::SettingKey(group, item)) : nullptr;
  return entry ? &entry->attr : nullptr;
}

// How many settings besides one hold the image (0 when unshared), counted
// by dropping holders until the last one answers and giving them back.
inline size_t ExtraImageHolders(uint32_t image) {
  tiz::frame::LockScope lock;
  size_t extra = 0;
  while (!tiz::DropImageHolder(image)) ++extra;
  for (size_t i = 0; i < extra; ++i) tiz::AddImageHolder(image);
  return extra;
}

inline size_t LiveStoreCount() {
  tiz::frame::LockScope lock;
  return tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
}

// The table's invariants for the store and every store below it: the key
// list links both ways and holds each filed key once, the index finds every
// listed key with its own attribute, parents are live or absent. Empty when
// all hold, else a description of the first fault.
inline std::string StoreFaults(uint32_t handle) {
  tiz::frame::LockScope lock;
  std::set<uint32_t> seen;
  std::string fault;
  auto check = [&](auto &self, uint32_t h) -> void {
    tiz::CAttributeStore *s = tiz::LookupStore(h);
    if (!s || !seen.insert(h).second || !fault.empty()) return;
    std::ostringstream where;
    where << "store " << h << ": ";
    if (s->ParentHandle() != 0 && !s->Parent()) fault = where.str() + "parent gone";
    size_t count = 0;
    tiz::KeyEntry *prev = nullptr;
    for (tiz::KeyEntry *e = s->Keys().head; e && fault.empty(); prev = e, e = e->next) {
      ++count;
      if (e->prev != prev) fault = where.str() + "broken back link";
      if (s->FindEntry(e->KeyView()) != e) fault = where.str() + "listed key not found";
    }
    if (fault.empty() && s->Keys().tail != prev) fault = where.str() + "wrong tail";
    if (fault.empty() && count != s->Keys().size) fault = where.str() + "wrong list size";
    for (tiz::KeyEntry *e = s->Keys().head; e && fault.empty(); e = e->next) {
      if (e->attr.m_type == tiz::kTypeAttributeStore && e->attr.m_value.store)
        self(self, e->attr.m_value.store);
    }
  };
  check(check, handle);
  return fault;
}

}  // namespace tiz_test

#endif

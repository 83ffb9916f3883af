#include "core/Clone.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/AttributeStore.h"
#include "core/Names.h"
#include "core/SharedValues.h"
#include "core/StoreHandles.h"
#include "core/StoreWalk.h"
#include "support/ProcessLifetime.h"
#include "tiz.h"

namespace tiz {

namespace {

using StoreMap = std::map<uint32_t, uint32_t>;  // source handle -> copy handle

// The copies of child-linked stores made by the latest clone, so that later
// links to the same store share its copy. Process-wide, emptied when a clone
// starts. Keyed by store rather than by path name: path names repeat within
// a tree (every bag that was once a side's current bag has the shortcut's
// name), and a link must never be redirected to the copy of another store.
StoreMap &CloneMap() {
  static ProcessLifetime<StoreMap> map;
  return *map.Get();
}

// Whether `target` is `from` or is reachable from it through ATTRIBUTESTORE
// values, plain links and loops included.
bool Reaches(CAttributeStore *from, CAttributeStore *target) {
  std::vector<CAttributeStore *> pending{from};
  std::unordered_set<uint32_t> seen{from->Handle()};
  while (!pending.empty()) {
    CAttributeStore *s = pending.back();
    pending.pop_back();
    if (s == target) return true;
    ForEachNestedStore(s, [&](CAttributeStore *nested) {
      if (seen.insert(nested->Handle()).second) pending.push_back(nested);
    });
  }
  return false;
}

// The text as the STRING reader copies it into a buffer of `size` bytes,
// plus a terminating NUL.
char *CopyText(const char *text, uint32_t size) {
  char *copy = new char[size + 1]();
  const void *nul = std::memchr(text, '\0', size);
  size_t length = nul ? static_cast<size_t>(static_cast<const char *>(nul) - text) : size;
  std::memcpy(copy, text, length);
  return copy;
}

unsigned char *CopyBytes(const unsigned char *bytes, uint32_t size) {
  auto *copy = new unsigned char[size];
  std::memcpy(copy, bytes, size);
  return copy;
}

class Cloner {
 public:
  // Copies the settings of `s` that `d` lacks into `d`, then gives `d` the
  // count of `s`. Exhausted memory is the only failure; it throws.
  void CloneInto(CAttributeStore *s, CAttributeStore *d);

 private:
  void CloneSetting(CAttributeStore *s, CAttributeStore *d, const CAttribute &a, CAttribute &t);
  void CloneStoreValue(CAttributeStore *s, CAttributeStore *d, const CAttribute &a, CAttribute &t);
  uint32_t CopyOf(uint32_t source) const;

  // Stores whose copy is being filled, with that copy: a loop of plain links
  // back to one of them links the copy instead of copying forever.
  StoreMap m_inProgress;
};

class InProgressMark {
 public:
  InProgressMark(StoreMap &map, uint32_t source, uint32_t copy) : m_map(map), m_source(source) {
    m_map.emplace(source, copy);
  }
  ~InProgressMark() { m_map.erase(m_source); }
  InProgressMark(const InProgressMark &) = delete;
  InProgressMark &operator=(const InProgressMark &) = delete;

 private:
  StoreMap &m_map;
  uint32_t m_source;
};

uint32_t Cloner::CopyOf(uint32_t source) const {
  for (const StoreMap *map : {&m_inProgress, static_cast<const StoreMap *>(&CloneMap())}) {
    auto it = map->find(source);
    if (it != map->end() && LookupStore(it->second)) return it->second;
  }
  return 0;
}

void Cloner::CloneInto(CAttributeStore *s, CAttributeStore *d) {
  if (s->Keys().Empty()) {
    d->SetRefCount(s->RefCount());
    return;
  }
  InProgressMark mark(m_inProgress, s->Handle(), d->Handle());
  for (KeyEntry *e = s->Keys().head; e; e = e->next) {
    // A group or item holding the separator splits into other parts than it
    // was made of; such settings are passed over.
    std::string full = s->Name();
    full.push_back(kKeySeparator);
    full.append(e->KeyView());
    if (OwnerOfName(full) != s->Name()) continue;
    std::string group = GroupOfName(full);
    std::string item = ItemOfName(full);
    // Reserved before the value is copied: a setting the destination already
    // has keeps its value, and no copy is made that nothing would hold.
    std::unique_ptr<KeyEntry, EntryFree> entry(
        d->PrepareEntry(s->ComposeKey(group.c_str(), item.c_str())));
    if (!entry) continue;
    auto copy = std::make_unique<CAttribute>();
    CloneSetting(s, d, *e->attr, *copy);
    d->FileEntry(entry.release(), copy.release());
  }
  d->SetRefCount(s->RefCount());
}

void Cloner::CloneSetting(CAttributeStore *s, CAttributeStore *d, const CAttribute &a,
                          CAttribute &t) {
  t.m_serializable = true;
  t.m_type = a.m_type;
  t.m_size = a.m_size;
  switch (a.m_type) {
    case kTypeAttributeStore:
      CloneStoreValue(s, d, a, t);
      return;
    case kTypeDword:
    case kTypeDouble:
      t.m_value.raw = a.m_value.raw;
      break;
    case kTypeString:
      if (a.m_value.text) t.m_value.text = CopyText(a.m_value.text, a.m_size);
      break;
    case kTypeBuffer:
      if (a.m_value.bytes && a.m_size != 0) t.m_value.bytes = CopyBytes(a.m_value.bytes, a.m_size);
      break;
    case kTypeImage:
      // Counted before it is held, so exhausted memory leaves nothing to undo.
      if (a.m_value.image != 0 && !a.m_inert) AddImageHolder(a.m_value.image);
      t.m_value.image = a.m_value.image;
      t.m_inert = a.m_inert;
      break;
    case kTypeUserDefined:
      if (a.m_value.structure && !a.m_inert) AddStructureHolder(a.m_value.structure);
      t.m_value.structure = a.m_value.structure;
      t.m_inert = a.m_inert;
      break;
    default:
      return;  // no value of a known kind: none copied, confidence 100
  }
  t.m_confidence = a.m_confidence;
}

void Cloner::CloneStoreValue(CAttributeStore *s, CAttributeStore *d, const CAttribute &a,
                             CAttribute &t) {
  t.m_confidence = a.m_confidence;
  CAttributeStore *nested = LookupStore(a.m_value.store);
  if (!nested) return;  // its store is gone: the copy holds none either
  bool childLinked = nested->ParentHandle() == s->Handle();

  if (uint32_t shared = CopyOf(nested->Handle())) {
    // Met again: link the copy already made (or being made, for a loop),
    // with confidence 100 as every redirected link.
    t.m_value.store = shared;
    t.m_confidence = kDefaultConfidence;
    return;
  }

  CAttributeStore *copy = CreateStore();
  t.m_value.store = copy->Handle();
  try {
    copy->SetName(nested->Name());
    CloneInto(nested, copy);
    // Only owned copies are shared with later links; a plainly linked store
    // met again is copied again.
    if (childLinked) {
      CloneMap()[nested->Handle()] = copy->Handle();
      copy->SetParent(d);  // cannot close a cycle: the copy is new
      copy->SetRefCount(nested->RefCount());
    }
  } catch (...) {
    TearDownStore(copy);  // a copy that did not make it goes with its subtree
    throw;
  }
}

}  // namespace

int32_t CloneStore(CAttributeStore *source, CAttributeStore *destination) {
  if (Reaches(source, destination) || Reaches(destination, source)) return TIZ_E_INVALID_ARG;
  CloneMap().clear();
  Cloner cloner;
  cloner.CloneInto(source, destination);
  return 0;
}

}  // namespace tiz

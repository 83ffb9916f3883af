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
    CAttributeStore *current = pending.back();
    pending.pop_back();
    if (current == target) return true;
    ForEachNestedStore(current, [&](CAttributeStore *nested) {
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
  // Copies the settings of `source` that `dest` lacks into `dest`, then gives `dest` the
  // count of `source`. Exhausted memory is the only failure; it throws.
  void CloneInto(CAttributeStore *source, CAttributeStore *dest);

 private:
  void CloneSetting(CAttributeStore *source, CAttributeStore *dest, const CAttribute &sourceAttr,
                    CAttribute &destAttr);
  void CloneStoreValue(CAttributeStore *source, CAttributeStore *dest, const CAttribute &sourceAttr,
                       CAttribute &destAttr);
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

void Cloner::CloneInto(CAttributeStore *source, CAttributeStore *dest) {
  if (source->Keys().Empty()) {
    dest->SetRefCount(source->RefCount());
    return;
  }
  InProgressMark mark(m_inProgress, source->Handle(), dest->Handle());
  for (KeyEntry *e = source->Keys().head; e; e = e->next) {
    // A group or item holding the separator splits into other parts than it
    // was made of; such settings are passed over.
    std::string full = source->Name();
    full.push_back(kKeySeparator);
    full.append(e->KeyView());
    if (OwnerOfName(full) != source->Name()) continue;
    std::string group = GroupOfName(full);
    std::string item = ItemOfName(full);
    // Reserved before the value is copied: a setting the destination already
    // has keeps its value, and no copy is made that nothing would hold.
    std::unique_ptr<KeyEntry, EntryFree> entry(
        dest->PrepareEntry(ComposeKey(group.c_str(), item.c_str())));
    if (!entry) continue;
    CloneSetting(source, dest, e->attr, entry->attr);
    dest->FileEntry(entry.release());
  }
  dest->SetRefCount(source->RefCount());
}

void Cloner::CloneSetting(CAttributeStore *source, CAttributeStore *dest,
                          const CAttribute &sourceAttr, CAttribute &destAttr) {
  destAttr.m_serializable = true;
  destAttr.m_type = sourceAttr.m_type;
  destAttr.m_size = sourceAttr.m_size;
  switch (sourceAttr.m_type) {
    case kTypeAttributeStore:
      CloneStoreValue(source, dest, sourceAttr, destAttr);
      return;
    case kTypeDword:
    case kTypeDouble:
      destAttr.m_value.raw = sourceAttr.m_value.raw;
      break;
    case kTypeString:
      if (sourceAttr.m_value.text)
        destAttr.m_value.text = CopyText(sourceAttr.m_value.text, sourceAttr.m_size);
      break;
    case kTypeBuffer:
      if (sourceAttr.m_value.bytes && sourceAttr.m_size != 0)
        destAttr.m_value.bytes = CopyBytes(sourceAttr.m_value.bytes, sourceAttr.m_size);
      break;
    case kTypeImage:
      // Counted before it is held, so exhausted memory leaves nothing to undo.
      if (sourceAttr.m_value.image != 0 && !sourceAttr.m_inert)
        AddImageHolder(sourceAttr.m_value.image);
      destAttr.m_value.image = sourceAttr.m_value.image;
      destAttr.m_inert = sourceAttr.m_inert;
      break;
    case kTypeUserDefined:
      if (sourceAttr.m_value.structure && !sourceAttr.m_inert)
        AddStructureHolder(sourceAttr.m_value.structure);
      destAttr.m_value.structure = sourceAttr.m_value.structure;
      destAttr.m_inert = sourceAttr.m_inert;
      break;
    default:
      return;  // no value of a known kind: none copied, confidence 100
  }
  destAttr.m_confidence = sourceAttr.m_confidence;
}

void Cloner::CloneStoreValue(CAttributeStore *source, CAttributeStore *dest,
                             const CAttribute &sourceAttr, CAttribute &destAttr) {
  destAttr.m_confidence = sourceAttr.m_confidence;
  CAttributeStore *nested = LookupStore(sourceAttr.m_value.store);
  if (!nested) return;  // its store is gone: the copy holds none either
  bool childLinked = nested->ParentHandle() == source->Handle();

  if (uint32_t shared = CopyOf(nested->Handle())) {
    // Met again: link the copy already made (or being made, for a loop),
    // with confidence 100 as every redirected link.
    destAttr.m_value.store = shared;
    destAttr.m_confidence = kDefaultConfidence;
    return;
  }

  CAttributeStore *copy = CreateStore();
  destAttr.m_value.store = copy->Handle();
  try {
    copy->SetName(nested->Name());
    CloneInto(nested, copy);
    // Only owned copies are shared with later links; a plainly linked store
    // met again is copied again.
    if (childLinked) {
      CloneMap()[nested->Handle()] = copy->Handle();
      copy->SetParent(dest);  // cannot close a cycle: the copy is new
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

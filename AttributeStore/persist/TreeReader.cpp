#include "persist/TreeReader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/AttributeStore.h"
#include "core/Names.h"
#include "core/StoreHandles.h"
#include "persist/ProfileDocument.h"
#include "persist/ProfileKeys.h"
#include "persist/TreeSections.h"
#include "tiz.h"

namespace tiz {

namespace {

// The document's sections grouped by owner path, so each store visits only
// its own sections instead of listing the whole file again.
class SectionIndex {
 public:
  explicit SectionIndex(const ProfileDocument &doc) {
    for (size_t i = 0; i < doc.SectionCount(); ++i) {
      const std::string &name = doc.SectionName(i);
      std::string owner = OwnerOfName(name);
      if (owner.empty() || GroupOfName(name).empty() || ItemOfName(name).empty())
        lastMalformed_ = static_cast<int64_t>(i);
      else
        owned_[std::move(owner)].push_back(static_cast<uint32_t>(i));
    }
  }

  const std::vector<uint32_t> *OwnedBy(const std::string &owner) const {
    auto it = owned_.find(owner);
    return it == owned_.end() ? nullptr : &it->second;
  }
  // Position of the last malformed section, -1 when there is none.
  int64_t LastMalformed() const { return lastMalformed_; }

 private:
  std::unordered_map<std::string, std::vector<uint32_t>> owned_;
  int64_t lastMalformed_ = -1;
};

// Destroys a store made by this load together with every store loaded into
// it. It allocates nothing, so it is safe while exhausted memory unwinds the
// load: the way back up is kept in the parent links, which loaded stores do
// not use otherwise.
void DestroyLoadedTree(uint32_t handle) noexcept {
  uint32_t current = handle;
  while (CAttributeStore *store = LookupStore(current)) {
    uint32_t child = 0;
    while (KeyEntry *entry = store->m_keyList.head) {
      const CAttribute *attr = entry->attr;
      uint32_t nested = (attr && attr->m_type == kTypeAttributeStore) ? attr->m_value.store : 0;
      store->RemoveEntry(entry->KeyView(), true);
      if (nested && LookupStore(nested)) {
        child = nested;
        break;
      }
    }
    if (child) {
      LookupStore(child)->m_parentHandle = current;
      current = child;
      continue;
    }
    current = store->m_parentHandle;
    DestroyStore(store);
  }
}

// A setting read from the file and not filed yet: dropping it takes the
// stores made for it along.
struct DropLoaded {
  void operator()(CAttribute *attr) const noexcept {
    if (attr->m_type == kTypeAttributeStore) DestroyLoadedTree(attr->m_value.store);
    delete attr;
  }
};
using LoadedSetting = std::unique_ptr<CAttribute, DropLoaded>;

class TreeLoader {
 public:
  explicit TreeLoader(const ProfileDocument &doc) : doc_(doc), index_(doc) {}

  int32_t Load(CAttributeStore *target) {
    walks_.emplace_back(target, index_.OwnedBy(target->m_name));
    for (;;) {
      Walk &walk = walks_.back();
      if (walk.sections && walk.next < walk.sections->size()) {
        DeserializeSection((*walk.sections)[walk.next++]);
        continue;
      }
      int32_t code = walk.Result(index_.LastMalformed());
      if (walks_.size() == 1) return code;
      LoadedSetting holder = std::move(walk.holder);
      uint32_t section = walk.holderSection;
      walks_.pop_back();
      FileSetting(walks_.back(), section, code, std::move(holder));
    }
  }

 private:
  // One store being filled from its sections: the loop's stand-in for a
  // recursive call, so nesting depth costs heap instead of stack.
  struct Walk {
    Walk(CAttributeStore *store, const std::vector<uint32_t> *sections)
        : store(store), sections(sections) {}

    CAttributeStore *store;
    const std::vector<uint32_t> *sections;  // null when it has none
    size_t next = 0;
    int64_t lastFailure = -1;
    int32_t failureCode = 0;
    // The setting that holds this store, filed in the enclosing walk's
    // store once this walk has succeeded.
    LoadedSetting holder;
    uint32_t holderSection = 0;

    void Fail(uint32_t section, int32_t code) {
      lastFailure = section;
      failureCode = code;
    }
    int32_t Result(int64_t lastMalformed) const {
      return lastMalformed > lastFailure ? TIZ_E_BAD_SECTION : failureCode;
    }
  };

  // Reads a section of the current walk's store; a nested store gets a walk
  // of its own and is filed when that walk ends.
  void DeserializeSection(uint32_t section) {
    const std::string &name = doc_.SectionName(section);
    LoadedSetting attr(new CAttribute);
    int32_t code = DeserializeAttribute(*attr, doc_, name);
    if (code == 0 && attr->m_type == kTypeAttributeStore) {
      walks_.reserve(walks_.size() + 1);
      CAttributeStore *nested = CreateStore();
      attr->m_value.store = nested->Handle();  // from here dropping attr drops the store
      nested->m_name = name;
      Walk walk(nested, index_.OwnedBy(name));
      walk.holder = std::move(attr);
      walk.holderSection = section;
      walks_.push_back(std::move(walk));
      return;
    }
    FileSetting(walks_.back(), section, code, std::move(attr));
  }

  void FileSetting(Walk &walk, uint32_t section, int32_t code, LoadedSetting attr) {
    if (code != 0) {
      walk.Fail(section, code);
      return;
    }
    const std::string &name = doc_.SectionName(section);
    std::string group = GroupOfName(name), item = ItemOfName(name);
    std::string_view key = walk.store->ComposeKey(group.c_str(), item.c_str());
    // A key the store already holds keeps its setting; the loaded one goes.
    if (walk.store->InsertAttribute(key, attr.get())) attr.release();
  }

  const ProfileDocument &doc_;
  SectionIndex index_;
  std::vector<Walk> walks_;
};

int32_t ReadInertWord(CAttribute &attr, const ProfileDocument &doc, const std::string &section,
                      uint32_t *word) {
  // Inert before anything is stored: a number from another process is never
  // released or called, not even when this setting is dropped.
  attr.m_inert = true;
  return ReadProfileWord(doc, section, kValueKey, 0, word);
}

}  // namespace

int32_t DeserializeAttribute(CAttribute &attr, const ProfileDocument &doc,
                             const std::string &section) {
  attr.m_serializable = true;
  int32_t size = 0;
  if (int32_t r = ReadProfileInteger(doc, section, kSizeKey, 0, &size)) return r;
  attr.m_size = static_cast<uint32_t>(size);
  std::string text;
  if (int32_t r = ReadProfileText(doc, section, kTypeKey, "", kTypeTextSize, &text)) return r;
  if (text.c_str()[0] == '\0') return TIZ_E_EMPTY_TYPE;
  attr.m_type = TypeFromKeyword(text.c_str());
  attr.m_value.raw = 0;
  switch (attr.m_type) {
    case kTypeDword:
      return ReadProfileWord(doc, section, kValueKey, 0, &attr.m_value.dword);
    case kTypeImage: {
      uint32_t word = 0;
      int32_t r = ReadInertWord(attr, doc, section, &word);
      attr.m_value.image = word;
      return r;
    }
    case kTypeUserDefined: {
      uint32_t word = 0;
      int32_t r = ReadInertWord(attr, doc, section, &word);
      attr.m_value.structure = reinterpret_cast<CUserDefined *>(static_cast<uintptr_t>(word));
      return r;
    }
    case kTypeDouble:
      if (int32_t r = ReadProfileText(doc, section, kValueKey, "", kDoubleTextSize, &text))
        return r;
      attr.m_value.dbl = std::atof(text.c_str());
      return 0;
    case kTypeString: {
      // The text must fit Size + 1 bytes. The setting's size is that of the
      // text read, so a Size that disagrees with its text can neither make
      // the load allocate what the file does not hold nor hand a reader a
      // size beyond the text.
      uint64_t room = static_cast<uint64_t>(attr.m_size) + 1;
      if (int32_t r = ReadProfileText(doc, section, kValueKey, "", room, &text)) return r;
      size_t length = std::strlen(text.c_str());
      auto *copy = new char[length + 1];
      std::memcpy(copy, text.c_str(), length + 1);
      attr.m_value.text = copy;
      attr.m_size = static_cast<uint32_t>(length + 1);
      return 0;
    }
    case kTypeBuffer: {
      std::unique_ptr<unsigned char[]> bytes;
      if (!ReadProfileStruct(doc, section, kValueKey, attr.m_size, &bytes))
        return TIZ_E_READ_BUFFER;
      attr.m_value.bytes = bytes.release();
      return 0;
    }
    default:
      // ATTRIBUTESTORE: the caller makes the store; UNDEFINED: no value.
      return 0;
  }
}

int32_t DeserializeStore(CAttributeStore *store, const ProfileDocument &doc) {
  return TreeLoader(doc).Load(store);
}

}  // namespace tiz

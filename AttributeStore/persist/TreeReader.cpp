#include "persist/TreeReader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "core/StoreWalk.h"
#include "persist/ProfileDocument.h"
#include "persist/ProfileKeys.h"
#include "persist/TreeSections.h"
#include "tiz.h"

namespace tiz {

namespace {

// The document's sections grouped by owner path, so each store visits only
// its own sections instead of listing the whole file again. Positions are
// those of the section list, which orders the failures of a walk.
class SectionIndex {
 public:
  explicit SectionIndex(const ProfileDocument &doc) {
    std::string_view lastOwner;
    std::vector<uint32_t> *lastList = nullptr;
    parts_.resize(doc.SectionCount());
    for (size_t i = 0; i < doc.SectionCount(); ++i) {
      SectionNameParts &parts = parts_[i];
      if (!SplitSectionName(doc.NameOf(doc.ListedSection(i)), &parts)) {
        lastMalformed_ = static_cast<int64_t>(i);
        continue;
      }
      // A store's sections mostly follow each other: the owner of the last
      // one is asked first.
      if (!lastList || parts.owner != lastOwner) {
        lastOwner = parts.owner;
        lastList = &owned_[parts.owner];
      }
      lastList->push_back(static_cast<uint32_t>(i));
    }
  }

  const std::vector<uint32_t> *OwnedBy(std::string_view owner) const {
    auto it = owned_.find(owner);
    return it == owned_.end() ? nullptr : &it->second;
  }
  // Position of the last malformed section, -1 when there is none.
  int64_t LastMalformed() const { return lastMalformed_; }
  const SectionNameParts &PartsOf(uint32_t section) const { return parts_[section]; }

 private:
  std::vector<SectionNameParts> parts_;  // by position
  // Views into the document's names; a map keeps its values in place.
  std::unordered_map<std::string_view, std::vector<uint32_t>> owned_;
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
    while (KeyEntry *entry = store->Keys().head) {
      const CAttribute *attr = entry->attr;
      uint32_t nested = NestedHandleOf(attr);
      store->RemoveEntry(entry->KeyView(), true);
      if (nested && LookupStore(nested)) {
        child = nested;
        break;
      }
    }
    if (child) {
      LookupStore(child)->AttachToParentUncounted(current);
      current = child;
      continue;
    }
    current = store->ParentHandle();
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
    std::string_view owner = target->Name();
    // A file saved from a store linked below another names its sections
    // after that store's path. Loaded into a root that owns nothing in it,
    // the owner of its first section stands for "Root", and the stores it
    // holds are named on the root's chain, so that saving the loaded tree
    // writes a file that loads again.
    SectionNameParts first;
    if (owner == kRootStoreName && !index_.OwnedBy(owner) && doc_.SectionCount() > 0 &&
        SplitSectionName(doc_.NameOf(doc_.ListedSection(0)), &first)) {
      fileRoot_ = first.owner;
      owner = fileRoot_;
    }
    walks_.emplace_back(target, index_.OwnedBy(owner));
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
    SectionNumber number = doc_.ListedSection(section);
    std::string_view name = doc_.NameOf(number);
    LoadedSetting attr(new CAttribute);
    int32_t code = DeserializeAttribute(*attr, doc_, number);
    if (code == 0 && attr->m_type == kTypeAttributeStore) {
      walks_.reserve(walks_.size() + 1);
      CAttributeStore *nested = CreateStore();
      attr->m_value.store = nested->Handle();  // from here dropping attr drops the store
      if (!fileRoot_.empty() && name.substr(0, fileRoot_.size()) == fileRoot_) {
        nested->SetName(std::string(kRootStoreName).append(name.substr(fileRoot_.size())));
      } else {
        nested->SetName(std::string(name));
      }
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
    const SectionNameParts &parts = index_.PartsOf(section);
    // ComposeKey takes C strings: kept buffers spare an allocation per setting.
    group_.assign(parts.group);
    item_.assign(parts.item);
    std::string_view key = walk.store->ComposeKey(group_.c_str(), item_.c_str());
    // A key the store already holds keeps its setting; the loaded one goes.
    if (walk.store->InsertAttribute(key, attr.get())) attr.release();
  }

  const ProfileDocument &doc_;
  SectionIndex index_;
  std::vector<Walk> walks_;
  std::string group_, item_;
  // The owner path that stands for "Root", when the file owns nothing under
  // that name.
  std::string_view fileRoot_;
};

// A text read as the platform's reader hands it over, as a C string: it
// ends at its first NUL.
size_t CStringLength(std::string_view text) {
  size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text.size() : nul;
}

// Copies such a text into a buffer the read has checked it fits.
template <size_t N>
const char *CopyCString(std::string_view text, char (&buffer)[N]) {
  size_t length = CStringLength(text);
  if (length > 0) std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return buffer;
}

int32_t ReadInertWord(CAttribute &attr, const ProfileDocument &doc, SectionNumber section,
                      uint32_t *word) {
  // Inert before anything is stored: a number from another process is never
  // released or called, not even when this setting is dropped.
  attr.m_inert = true;
  return ReadProfileWord(doc, section, kValueKey, 0, word);
}

}  // namespace

int32_t DeserializeAttribute(CAttribute &attr, const ProfileDocument &doc,
                             ProfileDocument::SectionNumber section) {
  attr.m_serializable = true;
  int32_t size = 0;
  if (int32_t r = ReadProfileInteger(doc, section, kSizeKey, 0, &size)) return r;
  attr.m_size = static_cast<uint32_t>(size);
  std::string scratch;
  std::string_view text;
  if (int32_t r = ReadProfileText(doc, section, kTypeKey, "", kTypeTextSize, &text, &scratch))
    return r;
  char keyword[kTypeTextSize];
  if (*CopyCString(text, keyword) == '\0') return TIZ_E_EMPTY_TYPE;
  attr.m_type = TypeFromKeyword(keyword);
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
    case kTypeDouble: {
      if (int32_t r =
              ReadProfileText(doc, section, kValueKey, "", kDoubleTextSize, &text, &scratch))
        return r;
      char number[kDoubleTextSize];
      attr.m_value.dbl = std::atof(CopyCString(text, number));
      return 0;
    }
    case kTypeString: {
      // The text must fit Size + 1 bytes. The setting's size is that of the
      // text read, so a Size that disagrees with its text can neither make
      // the load allocate what the file does not hold nor hand a reader a
      // size beyond the text.
      uint64_t room = static_cast<uint64_t>(attr.m_size) + 1;
      if (int32_t r = ReadProfileText(doc, section, kValueKey, "", room, &text, &scratch)) return r;
      size_t length = CStringLength(text);
      auto *copy = new char[length + 1];
      if (length > 0) std::memcpy(copy, text.data(), length);
      copy[length] = '\0';
      attr.m_value.text = copy;
      attr.m_size = static_cast<uint32_t>(length + 1);
      return 0;
    }
    case kTypeBuffer: {
      // An empty buffer is saved with no "Value" at all: it loads empty.
      if (attr.m_size == 0) return 0;
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

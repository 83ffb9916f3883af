#include "persist/TreeReader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "core/StoreWalk.h"
#include "persist/ProfileDocument.h"
#include "persist/ProfileKeys.h"
#include "persist/ProfileText.h"
#include "persist/TreeSections.h"
#include "tiz.h"

namespace tiz {

namespace {

// The document's sections grouped by owner path, so each store visits only
// its own sections instead of listing the whole file again. Positions are
// those of the section list, which orders the failures of a walk.
class SectionIndex {
 public:
  explicit SectionIndex(const ProfileDocument &doc) : m_doc(doc) {
    std::string_view lastOwner;
    std::vector<uint32_t> *lastList = nullptr;
    m_splits.reserve(doc.SectionCount());
    for (size_t i = 0; i < doc.SectionCount(); ++i) {
      std::string_view name = doc.NameOf(doc.ListedSection(i));
      NameParts parts;
      if (!SplitSectionName(name, &parts)) {
        m_splits.push_back(Split{});
        m_lastMalformed = static_cast<int64_t>(i);
        continue;
      }
      m_splits.push_back(Split{parts.owner.data() == name.data()
                                   ? static_cast<size_t>(parts.group.data() - name.data())
                                   : 0,
                               static_cast<size_t>(parts.item.data() - name.data())});
      // A holder's section name is read with its trailing blanks trimmed,
      // while the sections of the store it holds keep them in the middle of
      // their names: owners are filed trimmed, so both meet.
      std::string_view owner = TrimTrailingProfileBlanks(parts.owner);
      // A store's sections mostly follow each other: the owner of the last
      // one is asked first.
      if (!lastList || owner != lastOwner) {
        lastOwner = owner;
        lastList = &m_owned[owner];
      }
      lastList->push_back(static_cast<uint32_t>(i));
    }
  }

  const std::vector<uint32_t> *OwnedBy(std::string_view owner) const {
    auto it = m_owned.find(owner);
    return it == m_owned.end() ? nullptr : &it->second;
  }
  // Position of the last malformed section, -1 when there is none.
  int64_t LastMalformed() const { return m_lastMalformed; }
  bool Malformed(uint32_t section) const { return m_splits[section].itemAt == 0; }
  template <class Visit>
  void ForEachOwner(const Visit &visit) const {
    for (const auto &owned : m_owned) visit(owned.second);
  }
  // Length of the owner path written at the front of a section's name; 0
  // when the name has no owner part and belongs to the root.
  size_t OwnerLengthOf(uint32_t section) const {
    return m_splits[section].groupAt == 0 ? 0 : m_splits[section].groupAt - 1;
  }
  // The group and item of a well-formed section.
  void GroupAndItemOf(uint32_t section, std::string_view *group, std::string_view *item) const {
    std::string_view name = m_doc.NameOf(m_doc.ListedSection(section));
    const Split &split = m_splits[section];
    *group = name.substr(split.groupAt, split.itemAt - 1 - split.groupAt);
    *item = name.substr(split.itemAt);
  }

 private:
  // Where a section name's group and item start: two numbers in place of
  // three views, since a load keeps one per section.
  struct Split {
    size_t groupAt = 0;
    size_t itemAt = 0;
  };

  const ProfileDocument &m_doc;
  std::vector<Split> m_splits;  // by position
  // Views into the document's names; a map keeps its values in place.
  std::unordered_map<std::string_view, std::vector<uint32_t>> m_owned;
  int64_t m_lastMalformed = -1;
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
      uint32_t nested = NestedHandleOf(&entry->attr);
      store->RemoveEntry(entry->KeyView());
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
  void operator()(KeyEntry *entry) const noexcept {
    if (entry->attr.m_type == kTypeAttributeStore) DestroyLoadedTree(entry->attr.m_value.store);
    KeyEntry::Free(entry);
  }
};
struct LoadedSetting {
  std::unique_ptr<KeyEntry, DropLoaded> entry;
  // False for a key its store holds already: the setting is read for its
  // result only, and then goes.
  bool fileable = false;
};

// What an ATTRIBUTESTORE section says of its store beyond its type: the
// place whose store it shares, and whether it is linked as a child.
struct StorePlaceKeys {
  StorePlaceKeys(const ProfileDocument &doc, SectionNumber section) {
    static constexpr std::string_view kKeys[2] = {kSameStoreKey, kChildLinkKey};
    bool found[2];
    std::string_view values[2];
    doc.FindValues(section, kKeys, 2, found, values, m_scratch);
    // A place's path as the file's section names give it, which are read
    // without blanks at their ends.
    if (found[0]) sameStoreAs = TrimProfileBlanks(values[0]);
    childLink = found[1] && values[1] == kChildLinkValue;
  }

  std::string_view sameStoreAs;
  bool childLink = false;

 private:
  std::string m_scratch[2];
};

class TreeLoader {
 public:
  TreeLoader(const ProfileDocument &doc, LoadObserver *observer)
      : m_doc(doc), m_index(doc), m_observer(observer) {}

  int32_t Load(CAttributeStore *target) {
    std::string_view owner = target->Name();
    // A file saved from a store linked below another names its sections
    // after that store's path. Loaded into a root that owns nothing in it,
    // the owner of its first section stands for "Root", and the stores it
    // holds are named on the root's chain, so that saving the loaded tree
    // writes a file that loads again.
    NameParts first;
    if (owner == kRootStoreName && !m_index.OwnedBy(owner) && m_doc.SectionCount() > 0 &&
        SplitSectionName(m_doc.NameOf(m_doc.ListedSection(0)), &first)) {
      owner = TrimTrailingProfileBlanks(first.owner);
    }
    m_placed.emplace(owner, target->Handle());
    m_walks.emplace_back(target, Walked(m_index.OwnedBy(owner)));
    for (;;) {
      Walk &walk = m_walks.back();
      if (walk.sections && walk.next < walk.sections->size()) {
        DeserializeSection((*walk.sections)[walk.next++]);
        continue;
      }
      if (m_walks.size() == 1) {
        int32_t code = walk.Result(m_index.LastMalformed());
        if (m_observer) ReportPassedOver();
        ResolveLinks(target);
        return code;
      }
      int32_t code = walk.Result();
      LoadedSetting holder = std::move(walk.holder);
      uint32_t section = walk.holderSection;
      bool childLink = walk.childLink;
      m_walks.pop_back();
      FileSetting(m_walks.back(), section, code, std::move(holder), childLink);
    }
  }

 private:
  // One store being filled from its sections: the loop's stand-in for a
  // recursive call, so nesting depth costs heap instead of stack.
  struct Walk {
    Walk(CAttributeStore *store, const std::vector<uint32_t> *sections)
        : store(store), sections(sections) {
      if (sections) store->ReserveKeys(sections->size());
    }

    CAttributeStore *store;
    const std::vector<uint32_t> *sections;  // null when it has none
    size_t next = 0;
    int64_t lastFailure = -1;
    int32_t failureCode = 0;
    // The setting that holds this store, filed in the enclosing walk's
    // store once this walk has succeeded.
    LoadedSetting holder;
    uint32_t holderSection = 0;
    bool childLink = false;  // linked to the holding store as its child

    void Fail(uint32_t section, int32_t code) {
      lastFailure = section;
      failureCode = code;
    }
    // A section that belongs to no store (another program's, or a damaged
    // name) is reported by the root's walk alone: the nested stores load.
    int32_t Result(int64_t lastMalformed) const {
      return lastMalformed > lastFailure ? TIZ_E_BAD_SECTION : failureCode;
    }
    int32_t Result() const { return failureCode; }
  };

  // Reads a section of the current walk's store; a nested store gets a walk
  // of its own and is filed when that walk ends.
  void DeserializeSection(uint32_t section) {
    SectionNumber number = m_doc.ListedSection(section);
    std::string_view name = m_doc.NameOf(number);
    LoadedSetting setting = Prepare(m_walks.back().store, section);
    CAttribute &attr = setting.entry->attr;
    SectionFault fault;
    int32_t code = DeserializeAttribute(attr, m_doc, number, &fault);
    if (code != 0 && m_observer) m_observer->SectionFailed(number, code, fault);
    if (code == 0 && attr.m_type == kTypeAttributeStore) {
      StorePlaceKeys place(m_doc, number);
      if (!place.sameStoreAs.empty()) {
        // Linked once every store of the file is made: the place it names
        // may come later in the file.
        if (setting.fileable) {
          m_links.push_back(PendingLink{m_walks.back().store->Handle(),
                                        std::string(setting.entry->KeyView()), name,
                                        std::string(place.sameStoreAs), place.childLink});
        }
        FileSetting(m_walks.back(), section, code, std::move(setting));
        return;
      }
      m_walks.reserve(m_walks.size() + 1);
      CAttributeStore *nested = CreateStore();
      attr.m_value.store = nested->Handle();  // from here dropping the setting drops the store
      // Nobody holds a reference to it: it goes with the store it is filed in.
      nested->SetRefCount(0);
      m_placed[name] = nested->Handle();
      // The nested store is named on its holder's chain: the name the file
      // gives it, with the owner path replaced by the holding store's own
      // name where the two differ (a file saved under another root name, an
      // owner read trimmed), so that saving the loaded tree writes names
      // that load again.
      const size_t ownerLength = m_index.OwnerLengthOf(section);
      const std::string &holderName = m_walks.back().store->Name();
      if (ownerLength > 0 && name.substr(0, ownerLength) != holderName) {
        nested->SetName(std::string(holderName).append(name.substr(ownerLength)));
      } else {
        nested->SetName(std::string(name));
      }
      Walk walk(nested, Walked(m_index.OwnedBy(name)));
      walk.holder = std::move(setting);
      walk.holderSection = section;
      walk.childLink = place.childLink;
      m_walks.push_back(std::move(walk));
      return;
    }
    FileSetting(m_walks.back(), section, code, std::move(setting));
  }

  // The entry a section's setting is read into, under the key its section
  // names in `store`.
  LoadedSetting Prepare(CAttributeStore *store, uint32_t section) {
    std::string_view group, item;
    m_index.GroupAndItemOf(section, &group, &item);
    // The views end where the section's name does: a NUL has cut it already.
    std::string_view key = store->ComposeKey(KeyNamesOf(group, item));
    LoadedSetting setting;
    setting.entry.reset(store->PrepareEntry(key));
    setting.fileable = setting.entry != nullptr;
    // A key the store already holds keeps its setting; the loaded one goes.
    if (!setting.fileable) setting.entry.reset(KeyEntry::Make(key, 0, 0));
    return setting;
  }

  // Files a read setting in the walk's store; a store made for it goes with
  // that store from then on.
  void FileSetting(Walk &walk, uint32_t section, int32_t code, LoadedSetting setting,
                   bool childLink = false) {
    if (code != 0) {
      walk.Fail(section, code);
      return;
    }
    if (!setting.fileable) return;
    const CAttribute &attr = setting.entry->attr;
    if (attr.m_type == kTypeAttributeStore && attr.m_value.store) {
      // May throw: the setting is then dropped with its store.
      CAttributeStore *nested = LookupStore(attr.m_value.store);
      if (childLink)
        nested->LinkLoadedChild(walk.store);
      else
        nested->KeepLoaded(walk.store);
    }
    walk.store->FileEntry(setting.entry.release());
  }

  // A place whose section names another place holding the same store.
  struct PendingLink {
    uint32_t holder;         // the store holding the place
    std::string key;         // the setting's full key in it
    std::string_view place;  // the place's own path (the section's name)
    std::string target;      // the path its section names
    bool childLink;
  };

  // Gives every place that names another the store made there. A link names
  // a place that holds a store of its own, or one linked in turn (a hand
  // made file): those resolve once their target has. A place that holds no
  // store of the load gets an empty one, as a file without the key would.
  // Child links of later places are made once every place holds its store.
  void ResolveLinks(CAttributeStore *root) {
    std::vector<bool> done(m_links.size());
    std::vector<std::pair<uint32_t, uint32_t>> childLinks;  // holder, child
    for (bool progress = true; progress;) {
      progress = false;
      for (size_t i = 0; i < m_links.size(); ++i) {
        if (done[i]) continue;
        auto target = m_placed.find(m_links[i].target);
        if (target == m_placed.end() || !LookupStore(target->second)) continue;
        done[i] = progress = true;
        if (!PutAtPlace(m_links[i], LookupStore(target->second))) continue;
        m_placed.emplace(m_links[i].place, target->second);
        if (m_links[i].childLink) childLinks.emplace_back(m_links[i].holder, target->second);
      }
    }
    for (size_t i = 0; i < m_links.size(); ++i) {
      if (!done[i]) PutAtPlace(m_links[i], nullptr);
    }
    for (const auto &[holderHandle, childHandle] : childLinks) {
      CAttributeStore *holder = LookupStore(holderHandle), *child = LookupStore(childHandle);
      // The loading store is the caller's: a load never links it below another.
      if (!holder || !child || child == root || child->Parent() || ParentChainHolds(holder, child))
        continue;
      child->LinkLoadedChild(holder);
      BreakKeeperLoop(child, root);
    }
  }

  // Puts `nested` at the place, or a new empty store when it is null; false
  // when the place is gone.
  bool PutAtPlace(const PendingLink &link, CAttributeStore *nested) {
    CAttributeStore *holder = LookupStore(link.holder);
    KeyEntry *entry = holder ? holder->FindEntry(link.key) : nullptr;
    if (!entry || entry->attr.m_type != kTypeAttributeStore || entry->attr.m_value.store)
      return false;
    if (!nested) {
      nested = CreateStore();
      nested->SetRefCount(0);
      try {
        if (link.childLink)
          nested->LinkLoadedChild(holder);
        else
          nested->KeepLoaded(holder);
      } catch (...) {
        DestroyStore(nested);
        throw;
      }
    }
    entry->attr.m_value.store = nested->Handle();
    return true;
  }

  // True when `target` is `store` or one of its parents: linking `target` as
  // its child would make a loop of parents.
  static bool ParentChainHolds(const CAttributeStore *store, const CAttributeStore *target) {
    for (; store; store = store->Parent()) {
      if (store == target) return true;
    }
    return false;
  }

  // A new child link may close a loop of stores each going with the next (a
  // store kept by its first holder, which is now its child's child): nothing
  // would tear them down. The loop holds a kept store, since parents never
  // loop: that one is kept by the loading store instead.
  static void BreakKeeperLoop(CAttributeStore *start, CAttributeStore *root) {
    std::unordered_set<const CAttributeStore *> seen;
    CAttributeStore *store = start;
    while (store && seen.insert(store).second) {
      CAttributeStore *parent = store->Parent();
      store = parent ? parent : store->Keeper();
    }
    if (!store) return;  // the chain ends: no loop
    for (CAttributeStore *on = store;;) {
      if (!on->Parent()) {
        on->KeepLoaded(root);
        return;
      }
      on = on->Parent();
      if (on == store) return;
    }
  }

  // The observer learns which owners' sections a walk visited.
  const std::vector<uint32_t> *Walked(const std::vector<uint32_t> *sections) {
    if (m_observer && sections) m_walked.insert(sections);
    return sections;
  }

  // Tells the observer the sections no walk reads: malformed names, and the
  // sections of owners that are no store of this load.
  void ReportPassedOver() {
    const SectionFault malformed{{}, "lacks its store, group or item part"};
    for (uint32_t i = 0; i < m_doc.SectionCount(); ++i) {
      if (m_index.Malformed(i))
        m_observer->SectionFailed(m_doc.ListedSection(i), TIZ_E_BAD_SECTION, malformed);
    }
    m_index.ForEachOwner([this](const std::vector<uint32_t> &sections) {
      if (m_walked.count(&sections) != 0) return;
      for (uint32_t i : sections) m_observer->SectionOfNoStore(m_doc.ListedSection(i));
    });
  }

  const ProfileDocument &m_doc;
  SectionIndex m_index;
  LoadObserver *m_observer;
  std::unordered_set<const std::vector<uint32_t> *> m_walked;
  std::vector<Walk> m_walks;
  // The store made at each place of the file, by the place's path: the
  // root's own name, and each ATTRIBUTESTORE section that made a store. The
  // paths are views of the document's names, which outlive the load.
  std::unordered_map<std::string_view, uint32_t> m_placed;
  std::vector<PendingLink> m_links;
};

// Copies a value into a buffer the read has checked it fits, as a C
// string. The document's values end at their first NUL already, as the
// platform's reader hands them over.
template <size_t N>
const char *CopyCString(std::string_view text, char (&buffer)[N]) {
  if (!text.empty()) std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return buffer;
}

// A section's three keys, read in one pass over its lines. Each reads as
// the profile keys read it: a missing key as its default, a text that does
// not fit its buffer with its NUL as kProfileTextTooLong.
class SettingKeys {
 public:
  SettingKeys(const ProfileDocument &doc, SectionNumber section) {
    static constexpr std::string_view kKeys[3] = {kSizeKey, kTypeKey, kValueKey};
    doc.FindValues(section, kKeys, 3, m_found, m_values, m_scratch);
  }
  int32_t Word(size_t key, uint32_t *value) const {
    if (!m_found[key]) {
      *value = 0;
      return 0;
    }
    return ParseProfileWord(m_values[key], value);
  }
  int32_t Text(size_t key, uint64_t bufferSize, std::string_view *text) const {
    *text = m_found[key] ? m_values[key] : std::string_view();
    return text->size() < bufferSize ? 0 : kProfileTextTooLong;
  }
  bool Struct(size_t key, uint32_t size, std::unique_ptr<unsigned char[]> *data) const {
    return m_found[key] && ParseProfileStruct(m_values[key], size, data);
  }
  bool Found(size_t key) const { return m_found[key]; }

  static constexpr size_t kSize = 0, kType = 1, kValue = 2;

 private:
  bool m_found[3];
  std::string_view m_values[3];
  std::string m_scratch[3];
};

}  // namespace

int32_t DeserializeAttribute(CAttribute &attr, const ProfileDocument &doc,
                             ProfileDocument::SectionNumber section, SectionFault *fault) {
  // Passes a code on, noting the fault of a failure.
  auto check = [fault](int32_t code, std::string_view key, const char *reason) {
    if (code != 0 && fault) *fault = SectionFault{key, reason};
    return code;
  };
  static constexpr const char *kNoWord = "has a Value that is no 32-bit number";
  attr.m_serializable = true;
  SettingKeys keys(doc, section);
  uint32_t size = 0;
  if (int32_t r = keys.Word(SettingKeys::kSize, &size))
    return check(r, kSizeKey, "has a Size that is no 32-bit number");
  attr.m_size = size;
  std::string_view text;
  if (int32_t r = keys.Text(SettingKeys::kType, kTypeTextSize, &text))
    return check(r, kTypeKey, "has a Type longer than any type keyword");
  char keyword[kTypeTextSize];
  if (*CopyCString(text, keyword) == '\0') return check(TIZ_E_EMPTY_TYPE, kTypeKey, "has no Type");
  attr.m_type = TypeFromKeyword(keyword);
  attr.m_value.raw = 0;
  switch (attr.m_type) {
    case kTypeDword:
      return check(keys.Word(SettingKeys::kValue, &attr.m_value.dword), kValueKey, kNoWord);
    case kTypeImage:
    case kTypeUserDefined: {
      // Inert before anything is stored: a number from another process is
      // never released or called, not even when this setting is dropped.
      attr.m_inert = true;
      uint32_t word = 0;
      int32_t r = keys.Word(SettingKeys::kValue, &word);
      if (attr.m_type == kTypeImage)
        attr.m_value.image = word;
      else
        attr.m_value.structure = reinterpret_cast<CUserDefined *>(static_cast<uintptr_t>(word));
      return check(r, kValueKey, kNoWord);
    }
    case kTypeDouble: {
      if (int32_t r = keys.Text(SettingKeys::kValue, kDoubleTextSize, &text))
        return check(r, kValueKey, "has a Value longer than any number");
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
      if (int32_t r = keys.Text(SettingKeys::kValue, room, &text))
        return check(r, kValueKey, "has a Value longer than its Size allows");
      size_t length = text.size();
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
      if (!keys.Struct(SettingKeys::kValue, attr.m_size, &bytes)) {
        return check(TIZ_E_READ_BUFFER, kValueKey,
                     keys.Found(SettingKeys::kValue)
                         ? "has a buffer Value that does not match its Size or its checksum"
                         : "has no Value for its buffer");
      }
      attr.m_value.bytes = bytes.release();
      return 0;
    }
    default:
      // ATTRIBUTESTORE: the caller makes the store; UNDEFINED: no value.
      return 0;
  }
}

int32_t DeserializeStore(CAttributeStore *store, const ProfileDocument &doc,
                         LoadObserver *observer) {
  return TreeLoader(doc, observer).Load(store);
}

}  // namespace tiz

#include "persist/TreeReader.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/AttributeStore.h"
#include "core/KeyIndex.h"
#include "core/StoreHandles.h"
#include "core/StoreWalk.h"
#include "persist/ProfileNameIndex.h"
#include "persist/ProfileNames.h"
#include "persist/ProfileText.h"
#include "persist/SettingSection.h"
#include "persist/TreeSections.h"
#include "tiz.h"

namespace tiz {

namespace {

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
    // The store the walk started at may be linked below another already:
    // the walk ends there.
    const uint32_t up = current == handle ? 0 : store->ParentHandle();
    DestroyStore(store);
    current = up;
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

// Loads a tree in one pass over the sections, in file order, holding no
// more of the file than the source does: each section becomes a setting of
// the place (the store's path) its name starts with, and the stores are
// made and filled once every section is read, since a store's sections may
// come before the one that holds it and a failure deep in a store drops the
// setting holding it.
class TreeLoader {
 public:
  TreeLoader(SectionSource &source, LoadObserver *observer)
      : m_source(source), m_observer(observer) {}
  ~TreeLoader() {
    for (Place &place : m_places) {
      for (KeyEntry *entry : place.settings) {
        if (entry) DropLoaded()(entry);
      }
    }
  }
  TreeLoader(const TreeLoader &) = delete;
  TreeLoader &operator=(const TreeLoader &) = delete;

  int32_t Load(CAttributeStore *target) {
    ReadSections();
    // A tree read in part is no tree: the store stays as it was.
    if (int32_t failed = m_source.Status()) return failed;
    const uint32_t root = RootPlace(target->Name());
    // The source's names are done with: the load keeps its own copies of the
    // few it needs (the places' paths), and the source may free the rest
    // before the stores grow to their full size.
    m_placeIndex = {};
    m_seen = ProfileNameIndex();
    m_seenNames = {};
    m_nameCopies = {};
    m_source.DoneReading();
    std::vector<uint32_t> order = PlacesBelow(root);
    if (m_observer) ReportTo(*m_observer, order);
    PropagateFailures(order);
    const Place &rootPlace = m_places[root];
    const int32_t code =
        m_lastMalformed > rootPlace.lastFailure ? TIZ_E_BAD_SECTION : rootPlace.failureCode;
    FileStores(root, target);

    ResolveLinks(target);
    return code;
  }

 private:
  static constexpr uint32_t kNoPlace = UINT32_MAX;

  struct Failure {
    uint32_t section;
    int32_t code;
    SectionFault fault;
  };

  // The settings of one store path, read and not filed yet, in file order;
  // a slot is emptied once its setting is filed or dropped.
  struct Place {
    // A deque: it grows without copying, and a load's places hold every
    // setting of the file until the stores are made.
    std::deque<KeyEntry *> settings;
    // The places whose holding settings are among them.
    std::vector<uint32_t> held;
    int64_t lastFailure = -1;
    int32_t failureCode = 0;
    // The setting that holds this place's store: in which place, at which
    // slot, read from which section (its path, and its position, which
    // orders the failures of the holding place).
    uint32_t holder = kNoPlace;
    uint32_t holderSlot = 0;
    int64_t holderSection = -1;
    std::string path;
    size_t ownerLength = 0;  // of the owner part written in that path
    bool childLink = false;

    // For an observer only: the place's sections, and its failures.
    std::vector<uint32_t> sections;
    std::vector<Failure> failures;

    void Fail(int64_t section, int32_t code) {
      lastFailure = section;
      failureCode = code;
    }
  };

  // A setting whose section names another place holding the same store.
  struct LinkSection {
    std::string place;   // the section's name: the place's own path
    std::string target;  // the place it names
    bool childLink;
  };

  uint32_t PlaceOf(std::string_view path) {
    auto found = m_placeIndex.find(path);
    if (found != m_placeIndex.end()) return found->second;
    m_places.emplace_back();
    m_places.back().path.assign(path);
    const auto number = static_cast<uint32_t>(m_places.size() - 1);
    m_placeIndex.emplace(m_places.back().path, number);
    return number;
  }

  void ReadSections() {
    std::string_view name;
    std::string key;
    for (int64_t section = 0; m_source.Next(&name);) {
      // The platform's reader never reaches a later section of a name.
      const size_t hash = ProfileNameHash(name);
      if (m_seen.Find(name, hash, [this](uint32_t number) { return SeenName(number); }) !=
          ProfileNameIndex::kNotFound)
        continue;
      m_seen.Insert(hash, static_cast<uint32_t>(m_seenNames.size()));
      // Kept as a copy until its setting is read.
      m_seenNames.push_back(SeenAt{kNoPlace, static_cast<uint32_t>(m_nameCopies.size())});
      m_nameCopies.emplace_back(name);
      ReadNamedSection(section++, name, &key);
      if (m_seenNames.back().place != kNoPlace) m_nameCopies.pop_back();
    }
  }

  void ReadNamedSection(int64_t section, std::string_view name, std::string *key) {
    NameParts parts;
    if (!SplitSectionName(name, &parts)) {
      // Belongs to no store: another program's section, or a damaged name.
      m_lastMalformed = section;
      if (m_observer) {
        m_observer->SectionFailed(m_source.Number(), TIZ_E_BAD_SECTION,
                                  SectionFault{{}, "lacks its store, group or item part"});
      }
      return;
    }
    // A holder's section name is read with its trailing blanks trimmed,
    // while the sections of the store it holds keep them in the middle of
    // their names: owners are filed trimmed, so both meet.
    std::string_view owner = TrimTrailingProfileBlanks(parts.owner);
    if (section == 0) {
      m_firstOwner.assign(owner);
      m_firstSectionSplit = true;
    }
    // A store's sections mostly follow each other: the owner of the last
    // one is asked first.
    if (m_lastPlace == kNoPlace || owner != m_places[m_lastPlace].path)
      m_lastPlace = PlaceOf(owner);
    ReadSection(m_lastPlace, section, name, parts, key);
  }

  // Where a name read so far is kept: the setting its section made, when
  // the place's path, 0x7F and the setting's key spell the name (almost
  // every name), or else a copy: a load keeps no second copy of the keys.
  struct SeenAt {
    uint32_t place;  // kNoPlace for a copy
    uint32_t slot;   // in the place's settings, or of the copy
  };
  std::string_view SeenName(uint32_t number) {
    const SeenAt &at = m_seenNames[number];
    if (at.place == kNoPlace) return m_nameCopies[at.slot];
    const Place &place = m_places[at.place];
    m_nameScratch.assign(place.path).push_back(kKeySeparator);
    m_nameScratch.append(place.settings[at.slot]->KeyView());
    return m_nameScratch;
  }
  // Keeps the name of the section just read as where its setting went.
  void SeenAsSetting(uint32_t placeNumber, std::string_view name) {
    const Place &place = m_places[placeNumber];
    std::string_view key = place.settings.back()->KeyView();
    if (name.size() == place.path.size() + 1 + key.size() &&
        name.compare(0, place.path.size(), place.path) == 0 &&
        name[place.path.size()] == kKeySeparator && name.substr(place.path.size() + 1) == key)
      m_seenNames.back() = SeenAt{placeNumber, static_cast<uint32_t>(place.settings.size() - 1)};
  }

  void ReadSection(uint32_t placeNumber, int64_t section, std::string_view name,
                   const NameParts &parts, std::string *key) {
    // The parts end where the section's name does: a NUL has cut it already.
    const KeyNames names = KeyNamesOf(parts.group, parts.item);
    key->resize(names.Length() + 1);
    std::string_view composed = WriteKey(names, &(*key)[0]);
    std::unique_ptr<KeyEntry, DropLoaded> entry(KeyEntry::Make(composed, HashKey(composed), 0));
    CAttribute &attr = entry->attr;
    SectionFault fault;
    if (m_observer) m_places[placeNumber].sections.push_back(m_source.Number());
    if (int32_t code = ReadSettingSection(attr, m_source, &fault)) {
      m_places[placeNumber].Fail(section, code);
      if (m_observer) m_places[placeNumber].failures.push_back({m_source.Number(), code, fault});
      return;
    }
    if (attr.m_type == kTypeAttributeStore) {
      StorePlaceKeys place(m_source);
      if (!place.sameStoreAs.empty()) {
        // Linked once every store of the file is made: the place it names
        // may come later in the file.
        m_linkSections.emplace(
            entry.get(),
            LinkSection{std::string(name), std::string(place.sameStoreAs), place.childLink});
      } else {
        const uint32_t held = PlaceOf(name);
        Place &nested = m_places[held];
        nested.holder = placeNumber;
        nested.holderSlot = static_cast<uint32_t>(m_places[placeNumber].settings.size());
        nested.holderSection = section;
        nested.ownerLength = parts.owner.data() == name.data()
                                 ? static_cast<size_t>(parts.group.data() - name.data()) - 1
                                 : 0;
        nested.childLink = place.childLink;
        m_places[placeNumber].held.push_back(held);
      }
    }
    m_places[placeNumber].settings.push_back(entry.get());
    entry.release();
    SeenAsSetting(placeNumber, name);
  }

  // The place the loading store stands for: its own name. A file saved from
  // a store linked below another names its sections after that store's
  // path; loaded into a root that owns nothing in it, the owner of its first
  // section stands for "Root", and the stores it holds are named on the
  // root's chain, so that saving the loaded tree writes a file that loads
  // again.
  uint32_t RootPlace(const std::string &targetName) {
    std::string_view owner = targetName;
    if (owner == kRootStoreName && m_placeIndex.find(owner) == m_placeIndex.end() &&
        m_firstSectionSplit)
      owner = m_firstOwner;
    m_rootPath.assign(owner);
    auto found = m_placeIndex.find(owner);
    if (found != m_placeIndex.end()) return found->second;
    // A store that owns nothing in the file: an empty place of its own.
    m_places.emplace_back();
    return static_cast<uint32_t>(m_places.size() - 1);
  }

  // The root and every place held below it, each before the places it
  // holds. Other places belong to no store of the load: their settings go.
  std::vector<uint32_t> PlacesBelow(uint32_t root) const {
    std::vector<uint32_t> order{root};
    for (size_t i = 0; i < order.size(); ++i) {
      for (uint32_t held : m_places[order[i]].held) {
        if (held != root) order.push_back(held);
      }
    }
    return order;
  }

  // A place with a failing section fails the setting holding it, at that
  // setting's section: deepest places first, so a failure climbs as far as
  // it goes. A place reports the failure of its last failing section.
  void PropagateFailures(const std::vector<uint32_t> &order) {
    for (size_t i = order.size(); i-- > 1;) {
      const Place &place = m_places[order[i]];
      if (place.failureCode == 0) continue;
      Place &holder = m_places[place.holder];
      if (place.holderSection > holder.lastFailure)
        holder.Fail(place.holderSection, place.failureCode);
    }
  }

  // Tells the observer the failures in the places of the load, and the
  // sections of every other place as of no store.
  void ReportTo(LoadObserver &observer, const std::vector<uint32_t> &order) {
    std::vector<bool> loaded(m_places.size());
    for (uint32_t number : order) loaded[number] = true;
    for (size_t number = 0; number < m_places.size(); ++number) {
      const Place &place = m_places[number];
      if (loaded[number]) {
        for (const Failure &failure : place.failures)
          observer.SectionFailed(failure.section, failure.code, failure.fault);
      } else {
        for (uint32_t section : place.sections) observer.SectionOfNoStore(section);
      }
    }
  }

  // Files the settings of the root's place into the loading store, and of
  // every place held below into a store made for it, top down.
  void FileStores(uint32_t root, CAttributeStore *target) {
    m_placed.emplace(m_rootPath, target->Handle());
    std::vector<std::pair<uint32_t, uint32_t>> pending{{root, target->Handle()}};  // place, store
    while (!pending.empty()) {
      auto [number, handle] = pending.back();
      pending.pop_back();
      CAttributeStore *store = LookupStore(handle);
      Place &place = m_places[number];
      store->ReserveKeys(place.settings.size());
      // The places held here, by slot, in the order their settings come.
      size_t nextHeld = 0;
      for (size_t slot = 0; slot < place.settings.size(); ++slot) {
        KeyEntry *entry = std::exchange(place.settings[slot], nullptr);
        std::unique_ptr<KeyEntry, DropLoaded> setting(entry);
        uint32_t held = kNoPlace;
        if (nextHeld < place.held.size() && m_places[place.held[nextHeld]].holderSlot == slot)
          held = place.held[nextHeld++];
        // A key the store already holds keeps its setting; the loaded one
        // goes. So does one whose store failed to load.
        if (store->FindEntry(entry->KeyView(), entry->hash)) continue;
        if (held != kNoPlace) {
          if (m_places[held].failureCode != 0) continue;
          pending.reserve(pending.size() + 1);  // nothing may fail once the store is linked
          CAttributeStore *nested = MakeStoreAt(m_places[held], store, entry);
          store->FileEntry(setting.release());
          pending.emplace_back(held, nested->Handle());
          continue;
        } else if (entry->attr.m_type == kTypeAttributeStore) {
          auto link = m_linkSections.find(entry);
          if (link != m_linkSections.end()) {
            m_links.push_back(PendingLink{handle, std::string(entry->KeyView()),
                                          std::move(link->second.place),
                                          std::move(link->second.target), link->second.childLink});
            m_linkSections.erase(link);
          }
        }
        store->FileEntry(setting.release());
      }
    }
  }

  // The store of a held place, made for the setting that holds it and
  // linked to the holding store: from here dropping the setting drops it.
  CAttributeStore *MakeStoreAt(const Place &place, CAttributeStore *holder, KeyEntry *entry) {
    CAttributeStore *nested = CreateStore();
    entry->attr.m_value.store = nested->Handle();
    // Nobody holds a reference to it: it goes with the store it is filed in.
    nested->SetRefCount(0);
    // The nested store is named on its holder's chain: the name the file
    // gives it, with the owner path replaced by the holding store's own name
    // where the two differ (a file saved under another root name, an owner
    // read trimmed), so that saving the loaded tree writes names that load
    // again.
    const std::string &holderName = holder->Name();
    if (place.ownerLength > 0 && place.path.substr(0, place.ownerLength) != holderName) {
      nested->SetName(std::string(holderName).append(place.path.substr(place.ownerLength)));
    } else {
      nested->SetName(std::string(place.path));
    }
    m_placed[place.path] = nested->Handle();
    // Last: linking either way changes nothing when it fails.
    if (place.childLink)
      nested->LinkLoadedChild(holder);
    else
      nested->KeepLoaded(holder);
    return nested;
  }

  // A place whose section names another place holding the same store.
  struct PendingLink {
    uint32_t holder;     // the store holding the place
    std::string key;     // the setting's full key in it
    std::string place;   // the place's own path (the section's name)
    std::string target;  // the path its section names
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

  SectionSource &m_source;
  LoadObserver *m_observer;
  // A deque: places stay where they are, so views of their paths hold.
  std::deque<Place> m_places;
  // Places by path while the sections are read.
  std::unordered_map<std::string_view, uint32_t> m_placeIndex;
  uint32_t m_lastPlace = kNoPlace;
  // The names of the sections read, which tell a later section of a name.
  ProfileNameIndex m_seen;
  std::deque<SeenAt> m_seenNames;
  std::deque<std::string> m_nameCopies;
  std::string m_nameScratch;
  // The owner of the file's first section, when that section belongs to a
  // store.
  std::string m_firstOwner;
  bool m_firstSectionSplit = false;
  // Position of the last section that belongs to no store, -1 when none.
  int64_t m_lastMalformed = -1;
  std::string m_rootPath;
  // Settings of places that name another place, by their entry.
  std::unordered_map<const KeyEntry *, LinkSection> m_linkSections;
  // The store made at each place of the file, by the place's path: the
  // root's own name, and each ATTRIBUTESTORE section that made a store.
  // Views of the places' paths, which the load keeps.
  std::unordered_map<std::string_view, uint32_t> m_placed;
  std::vector<PendingLink> m_links;
};

}  // namespace

int32_t DeserializeStore(CAttributeStore *store, SectionSource &source, LoadObserver *observer) {
  return TreeLoader(source, observer).Load(store);
}

int32_t DeserializeStore(CAttributeStore *store, const ProfileDocument &doc,
                         LoadObserver *observer) {
  DocumentSections sections(doc);
  return DeserializeStore(store, sections, observer);
}

}  // namespace tiz

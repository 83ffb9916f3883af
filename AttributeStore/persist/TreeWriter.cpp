#include "persist/TreeWriter.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/AttributeStore.h"
#include "core/Names.h"
#include "core/StoreHandles.h"
#include "persist/DoubleText.h"
#include "persist/ProfileDocument.h"
#include "persist/ProfileKeys.h"
#include "persist/ProfileText.h"
#include "persist/TreeSections.h"
#include "tiz.h"

namespace tiz {

namespace {

// What an ATTRIBUTESTORE section says of the store it holds, beyond its type.
struct StorePlace {
  std::string_view sameStoreAs;  // empty: the store's settings follow here
  bool childLink = false;
};

// The sections one save has written, by number: a second setting that names
// one of them (its name differs only in letter case) would overwrite the
// first.
class SectionsWritten {
 public:
  // True the first time `section` is claimed.
  bool Claim(ProfileDocument::SectionNumber section) {
    if (section >= m_claimed.size())
      m_claimed.resize(std::max<size_t>(size_t{section} + 1, m_claimed.size() * 2));
    if (m_claimed[section]) return false;
    m_claimed[section] = 1;
    return true;
  }

 private:
  std::vector<uint8_t> m_claimed;
};

// One setting's section; `room` holds a buffer's text, kept across settings
// so that a save allocates for none but the largest. False, with nothing
// written, when `written` shows the section written already.
bool WriteSettingSection(const CAttribute &attr, ProfileDocument &doc, std::string_view sectionName,
                         const StorePlace &place, std::string &room, SectionsWritten *written) {
  char sizeText[16], numberText[16], doubleText[kDoubleTextRoom];
  ProfileDocument::KeyValue keys[ProfileDocument::kMostAppendedKeys] = {
      {kSizeKey, FormatProfileInteger(attr.m_size, sizeText)},
      {kTypeKey, KeywordFromType(attr.m_type)},
      {kValueKey, {}},
  };
  size_t count = 3;
  // A buffer without bytes has no "Value": an old one is removed.
  bool removeValue = false;
  switch (attr.m_type) {
    case kTypeAttributeStore:
      count = 2;
      if (!place.sameStoreAs.empty()) keys[count++] = {kSameStoreKey, place.sameStoreAs};
      if (place.childLink) keys[count++] = {kChildLinkKey, kChildLinkValue};
      break;
    case kTypeDword:
      keys[2].value = FormatProfileInteger(attr.m_value.dword, numberText);
      break;
    case kTypeImage:
      keys[2].value = FormatProfileInteger(attr.m_value.image, numberText);
      break;
    case kTypeUserDefined:
      // Only the reference is saved, as a number.
      keys[2].value = FormatProfileInteger(
          static_cast<uint32_t>(reinterpret_cast<uintptr_t>(attr.m_value.structure)), numberText);
      break;
    case kTypeDouble:
      keys[2].value = FormatDoubleE(attr.m_value.dbl, doubleText);
      break;
    case kTypeString:
      keys[2].value = attr.m_value.text ? attr.m_value.text : "";
      break;
    case kTypeBuffer:
      if (attr.m_value.bytes) {
        keys[2].value = SpellProfileStruct(attr.m_value.bytes, attr.m_size, &room);
      } else {
        removeValue = true;
        count = 2;
      }
      break;
    default:
      count = 2;
      break;
  }
  // A new section is written whole; one the file has already, key by key.
  SectionNumber added = doc.AppendSection(sectionName, keys, count);
  if (added != ProfileDocument::kNoSection) {
    if (written) written->Claim(added);
    return true;
  }
  // Looked up once for all keys: the name is long, and the lookup folds its
  // case.
  SectionNumber section = doc.FindOrAddSection(sectionName);
  if (written && !written->Claim(section)) return false;
  for (size_t i = 0; i < count; ++i) doc.SetValue(section, keys[i].key, keys[i].value);
  if (removeValue) doc.RemoveKey(section, kValueKey);
  // What an earlier save said of the store held here may no longer hold.
  if (attr.m_type == kTypeAttributeStore) {
    if (place.sameStoreAs.empty()) doc.RemoveKey(section, kSameStoreKey);
    if (!place.childLink) doc.RemoveKey(section, kChildLinkKey);
  }
  return true;
}

// A full key holds exactly one separator, between group and item; a second
// one belongs to the group or the item.
bool KeyNamesHoldSeparator(std::string_view key) {
  size_t first = key.find(kKeySeparator);
  return first != std::string_view::npos &&
         key.find(kKeySeparator, first + 1) != std::string_view::npos;
}

// A setting whose names cannot be part of a section name: a header ends at
// a line break, and a group or item holding the separator itself would load
// back under other names.
bool KeyFitsSectionName(std::string_view key) {
  return !HoldsLineBreak(key) && !KeyNamesHoldSeparator(key);
}

}  // namespace

void SerializeAttribute(const CAttribute &attr, ProfileDocument &doc, std::string_view sectionName,
                        CAttributeStore **nested) {
  *nested = nullptr;
  if (!attr.m_serializable) return;
  if (attr.m_type == kTypeAttributeStore) *nested = LookupStore(attr.m_value.store);
  std::string room;
  WriteSettingSection(attr, doc, sectionName, StorePlace{}, room, nullptr);
}

int32_t SerializeStore(CAttributeStore *store, ProfileDocument &doc) {
  // Depth first without recursion: a tree of any depth saves in constant stack.
  struct Level {
    CAttributeStore *store;
    const std::string *path;  // the prefix of its settings' sections
    KeyEntry *next;
  };
  // Where the save met each store first: its settings' section prefix there,
  // which later places of the store name. Nodes of the map stay in place.
  std::unordered_map<uint32_t, std::string> firstPlace;
  const std::string &rootPath = firstPlace.emplace(store->Handle(), store->Name()).first->second;
  // Every other path is made of keys checked one by one below.
  const bool rootNameBreaks = HoldsLineBreak(rootPath);
  std::vector<Level> levels{{store, &rootPath, store->Keys().head}};
  SectionsWritten written;
  std::string section, room;
  int32_t result = 0;
  while (!levels.empty()) {
    Level &level = levels.back();
    KeyEntry *entry = level.next;
    if (!entry) {
      levels.pop_back();
      continue;
    }
    level.next = entry->next;
    const CAttribute &attr = entry->attr;
    if (!attr.m_serializable) continue;
    if (rootNameBreaks || !KeyFitsSectionName(entry->KeyView())) {
      result = TIZ_E_INVALID_ARG;
      continue;
    }
    section.assign(*level.path);
    section.push_back(kKeySeparator);
    section.append(entry->KeyView());
    StorePlace place;
    CAttributeStore *nested =
        attr.m_type == kTypeAttributeStore ? LookupStore(attr.m_value.store) : nullptr;
    if (nested) {
      place.childLink = nested->ParentHandle() == level.store->Handle();
      auto first = firstPlace.find(nested->Handle());
      if (first != firstPlace.end()) place.sameStoreAs = first->second;
    }
    if (!WriteSettingSection(attr, doc, section, place, room, &written)) {
      result = TIZ_E_INVALID_ARG;
      continue;
    }
    if (nested && place.sameStoreAs.empty()) {
      const std::string &path = firstPlace.emplace(nested->Handle(), section).first->second;
      levels.push_back(Level{nested, &path, nested->Keys().head});
    }
  }
  return result;
}

}  // namespace tiz

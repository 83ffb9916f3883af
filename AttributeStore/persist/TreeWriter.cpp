#include "persist/TreeWriter.h"

#include <cstdint>
#include <string>
#include <unordered_set>
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

// One setting's section; `room` holds a buffer's text, kept across settings
// so that a save allocates for none but the largest.
void WriteSetting(const CAttribute &attr, ProfileDocument &doc, std::string_view sectionName,
                  CAttributeStore **nested, std::string &room) {
  *nested = nullptr;
  if (!attr.m_serializable) return;
  char sizeText[16], numberText[16], doubleText[kDoubleTextRoom];
  ProfileDocument::KeyValue keys[3] = {
      {kSizeKey, FormatProfileInteger(attr.m_size, sizeText)},
      {kTypeKey, KeywordFromType(attr.m_type)},
      {kValueKey, {}},
  };
  size_t count = 3;
  // A buffer without bytes has no "Value": an old one is removed.
  bool removeValue = false;
  switch (attr.m_type) {
    case kTypeAttributeStore:
      *nested = LookupStore(attr.m_value.store);
      count = 2;
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
  if (doc.AppendSection(sectionName, keys, count) != ProfileDocument::kNoSection) return;
  // Looked up once for all keys: the name is long, and the lookup folds its
  // case.
  SectionNumber section = doc.FindOrAddSection(sectionName);
  for (size_t i = 0; i < count; ++i) doc.SetValue(section, keys[i].key, keys[i].value);
  if (removeValue) doc.RemoveKey(section, kValueKey);
}

// A full key holds exactly one separator, between group and item; a second
// one belongs to the group or the item.
bool KeyNamesHoldSeparator(std::string_view key) {
  size_t first = key.find(kKeySeparator);
  return first != std::string_view::npos &&
         key.find(kKeySeparator, first + 1) != std::string_view::npos;
}

}  // namespace

void SerializeAttribute(const CAttribute &attr, ProfileDocument &doc, std::string_view sectionName,
                        CAttributeStore **nested) {
  std::string room;
  WriteSetting(attr, doc, sectionName, nested, room);
}

int32_t SerializeStore(CAttributeStore *store, ProfileDocument &doc) {
  // Depth first without recursion: a tree of any depth saves in constant stack.
  struct Level {
    CAttributeStore *store;
    KeyEntry *next;
    bool nameBreaks;
  };
  std::vector<Level> levels{{store, store->Keys().head, HoldsLineBreak(store->Name())}};
  std::unordered_set<uint32_t> visited{store->Handle()};
  std::string section, room;
  while (!levels.empty()) {
    Level &level = levels.back();
    KeyEntry *entry = level.next;
    if (!entry) {
      levels.pop_back();
      continue;
    }
    level.next = entry->next;
    section.assign(level.store->Name());
    section.push_back(kKeySeparator);
    section.append(entry->KeyView());
    // A header ends at a line break: such a name cannot be written. The
    // store's name is asked once, the key of each setting. A group or item
    // holding the separator itself would load back under other names.
    if (entry->attr.m_serializable && (level.nameBreaks || HoldsLineBreak(entry->KeyView()) ||
                                       KeyNamesHoldSeparator(entry->KeyView())))
      return TIZ_E_INVALID_ARG;
    CAttributeStore *nested = nullptr;
    WriteSetting(entry->attr, doc, section, &nested, room);
    if (nested && visited.insert(nested->Handle()).second)
      levels.push_back(Level{nested, nested->Keys().head, HoldsLineBreak(nested->Name())});
  }
  return 0;
}

}  // namespace tiz

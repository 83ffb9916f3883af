#include "persist/TreeWriter.h"

#include <cstdint>
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

int32_t SerializeAttribute(const CAttribute &attr, ProfileDocument &doc,
                           std::string_view sectionName, CAttributeStore **nested) {
  *nested = nullptr;
  if (!attr.m_serializable) return 0;
  // Looked up once for all three keys: the name is long, and the lookup
  // folds its case.
  SectionNumber section = doc.FindOrAddSection(sectionName);
  if (int32_t r = WriteProfileInteger(doc, section, kSizeKey, attr.m_size)) return r;
  if (int32_t r = WriteProfileText(doc, section, kTypeKey, KeywordFromType(attr.m_type))) return r;
  switch (attr.m_type) {
    case kTypeAttributeStore:
      *nested = LookupStore(attr.m_value.store);
      return 0;
    case kTypeDword:
      return WriteProfileInteger(doc, section, kValueKey, attr.m_value.dword);
    case kTypeImage:
      return WriteProfileInteger(doc, section, kValueKey, attr.m_value.image);
    case kTypeUserDefined:
      // Only the reference is saved, as a number.
      return WriteProfileInteger(
          doc, section, kValueKey,
          static_cast<uint32_t>(reinterpret_cast<uintptr_t>(attr.m_value.structure)));
    case kTypeDouble: {
      char text[kDoubleTextRoom];
      return WriteProfileText(doc, section, kValueKey, FormatDoubleE(attr.m_value.dbl, text));
    }
    case kTypeString:
      return WriteProfileText(doc, section, kValueKey, attr.m_value.text ? attr.m_value.text : "");
    case kTypeBuffer:
      return WriteProfileStruct(doc, section, kValueKey, attr.m_value.bytes, attr.m_size)
                 ? 0
                 : TIZ_E_WRITE_BUFFER;
    default:
      return 0;
  }
}

namespace {

// A full key holds exactly one separator, between group and item; a second
// one belongs to the group or the item.
bool KeyNamesHoldSeparator(std::string_view key) {
  size_t first = key.find(kKeySeparator);
  return first != std::string_view::npos &&
         key.find(kKeySeparator, first + 1) != std::string_view::npos;
}

}  // namespace

int32_t SerializeStore(CAttributeStore *store, ProfileDocument &doc) {
  // Depth first without recursion: a tree of any depth saves in constant stack.
  struct Level {
    CAttributeStore *store;
    KeyEntry *next;
    bool nameBreaks;
  };
  std::vector<Level> levels{{store, store->Keys().head, HoldsLineBreak(store->Name())}};
  std::unordered_set<uint32_t> visited{store->Handle()};
  std::string section;
  while (!levels.empty()) {
    Level &level = levels.back();
    KeyEntry *entry = level.next;
    if (!entry) {
      levels.pop_back();
      continue;
    }
    level.next = entry->next;
    if (!entry->attr) continue;
    section.assign(level.store->Name());
    section.push_back(kKeySeparator);
    section.append(entry->KeyView());
    // A header ends at a line break: such a name cannot be written. The
    // store's name is asked once, the key of each setting. A group or item
    // holding the separator itself would load back under other names.
    if (entry->attr->m_serializable && (level.nameBreaks || HoldsLineBreak(entry->KeyView()) ||
                                        KeyNamesHoldSeparator(entry->KeyView())))
      return TIZ_E_INVALID_ARG;
    CAttributeStore *nested = nullptr;
    if (int32_t r = SerializeAttribute(*entry->attr, doc, section, &nested)) return r;
    if (nested && visited.insert(nested->Handle()).second)
      levels.push_back(Level{nested, nested->Keys().head, HoldsLineBreak(nested->Name())});
  }
  return 0;
}

}  // namespace tiz

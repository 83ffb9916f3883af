// Stores and tree files through the library's own reader and writer, each
// call under the library's lock as an export runs.
#include <algorithm>

#include "core/Attribute.h"
#include "core/AttributeStore.h"
#include "core/Names.h"
#include "core/StoreHandles.h"
#include "frame/Frame.h"
#include "inspect/DocumentLines.h"
#include "inspect/TreeInspection.h"
#include "inspect/TreeTextAccess.h"
#include "persist/ProfileDocument.h"
#include "persist/TreeReader.h"
#include "persist/TreeSections.h"
#include "persist/TreeWriter.h"
#include "tiz.h"

namespace tiz::inspect {

namespace {

// Collects what the reader reports, by section number; the header lines are
// found in one pass once the load is done.
class NoteTaker final : public LoadObserver {
 public:
  void SectionFailed(ProfileDocument::SectionNumber section, int32_t code,
                     const SectionFault &fault) override {
    m_notes.push_back({section, LoadNote{0, code, std::string(fault.key), fault.reason}});
  }
  void SectionOfNoStore(ProfileDocument::SectionNumber section) override {
    m_notes.push_back({section, LoadNote{}});
  }

  void HandOver(const ProfileDocument &doc, std::vector<LoadNote> *notes) {
    if (m_notes.empty()) return;
    std::vector<uint32_t> lines;
    DocumentLines::ForEachHeader(doc, [&lines](const DocumentLines::Header &header) {
      if (header.number >= lines.size()) lines.resize(size_t{header.number} + 1);
      lines[header.number] = header.line;
    });
    for (auto &[section, note] : m_notes) {
      note.sectionLine = section < lines.size() ? lines[section] : 0;
      notes->push_back(std::move(note));
    }
  }

 private:
  std::vector<std::pair<ProfileDocument::SectionNumber, LoadNote>> m_notes;
};

}  // namespace

int32_t KeysOfStore(uint32_t handle, std::vector<SettingKey> *keys) {
  frame::LockScope lock;
  CAttributeStore *store = LookupStore(handle);
  if (!store) return TIZ_E_INVALID_HANDLE;
  keys->clear();
  for (KeyEntry *entry = store->Keys().head; entry; entry = entry->next) {
    std::string_view key = entry->KeyView();
    size_t separator = key.rfind(kKeySeparator);
    if (separator == std::string_view::npos) continue;
    keys->push_back(
        {std::string(key.substr(0, separator)), std::string(key.substr(separator + 1))});
  }
  return 0;
}

int32_t NameOfStore(uint32_t handle, std::string *name) {
  frame::LockScope lock;
  CAttributeStore *store = LookupStore(handle);
  if (!store) return TIZ_E_INVALID_HANDLE;
  *name = store->Name();
  return 0;
}

int32_t LoadTree(uint32_t handle, const std::string &name, const TreeText &text,
                 std::vector<LoadNote> *notes) {
  frame::LockScope lock;
  CAttributeStore *store = LookupStore(handle);
  if (!store) return TIZ_E_INVALID_HANDLE;
  store->SetName(name);
  const ProfileDocument &doc = TreeTextAccess::Doc(text);
  if (!notes) return DeserializeStore(store, doc);
  NoteTaker taker;
  int32_t result = DeserializeStore(store, doc, &taker);
  taker.HandOver(doc, notes);
  return result;
}

int32_t SaveTree(uint32_t handle, TreeText &text) {
  frame::LockScope lock;
  CAttributeStore *store = LookupStore(handle);
  if (!store) return TIZ_E_INVALID_HANDLE;
  return SerializeStore(store, TreeTextAccess::Doc(text));
}

int32_t SaveSetting(uint32_t handle, const SettingKey &key, TreeText &text) {
  frame::LockScope lock;
  CAttributeStore *store = LookupStore(handle);
  if (!store) return TIZ_E_INVALID_HANDLE;
  std::string full = key.group + kKeySeparator + key.item;
  const CAttribute *attr = store->FindAttribute(full);
  if (!attr) return TIZ_NOT_FOUND;
  CAttributeStore *nested = nullptr;
  SerializeAttribute(*attr, TreeTextAccess::Doc(text), store->Name() + kKeySeparator + full,
                     &nested);
  return 0;
}

RestoredSection RestoreSection(const TreeText &text, uint32_t section) {
  const ProfileDocument &doc = TreeTextAccess::Doc(text);
  RestoredSection restored;
  ProfileDocument saved;
  constexpr std::string_view kName = "S";
  {
    frame::LockScope lock;
    CAttribute attr;
    restored.result = DeserializeAttribute(
        attr, doc, DocumentLines::HasHeader(doc, section) ? section : ProfileDocument::kNoSection);
    if (restored.result != 0) return restored;
    restored.type = attr.m_type;
    CAttributeStore *nested = nullptr;
    SerializeAttribute(attr, saved, kName, &nested);
  }
  std::string_view keys[3] = {tiz::kSizeKey, tiz::kTypeKey, tiz::kValueKey};
  bool found[3];
  std::string_view values[3];
  std::string scratch[3];
  saved.FindValues(saved.FindSection(kName), keys, 3, found, values, scratch);
  restored.size = std::string(values[0]);
  restored.typeKeyword = std::string(values[1]);
  restored.hasValue = found[2];
  if (found[2]) restored.value = std::string(values[2]);
  return restored;
}

}  // namespace tiz::inspect

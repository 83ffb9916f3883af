#include "StoreInternals.h"

#include <new>

#include "Failure.h"
#include "core/Attribute.h"
#include "core/AttributeStore.h"
#include "core/Names.h"
#include "core/StoreHandles.h"
#include "frame/Frame.h"
#include "persist/TreeReader.h"
#include "persist/TreeWriter.h"
#include "tiz.h"

namespace tiztool {

namespace {

tiz::CAttributeStore *StoreOf(uint32_t handle) {
  tiz::CAttributeStore *store = tiz::LookupStore(handle);
  if (!store) throw Failure("tiz: store handle " + std::to_string(handle) + " is not valid");
  return store;
}

}  // namespace

std::vector<SettingKey> KeysOfStore(uint32_t handle) {
  tiz::frame::LockScope lock;
  std::vector<SettingKey> keys;
  for (tiz::KeyEntry *entry = StoreOf(handle)->Keys().head; entry; entry = entry->next) {
    std::string_view key = entry->KeyView();
    size_t separator = key.rfind(tiz::kKeySeparator);
    if (separator == std::string_view::npos) continue;
    keys.push_back({std::string(key.substr(0, separator)), std::string(key.substr(separator + 1))});
  }
  return keys;
}

std::string NameOfStore(uint32_t handle) {
  tiz::frame::LockScope lock;
  return StoreOf(handle)->Name();
}

int32_t LoadDocumentInto(uint32_t handle, const std::string &name,
                         const tiz::ProfileDocument &doc) {
  tiz::frame::LockScope lock;
  tiz::CAttributeStore *store = StoreOf(handle);
  store->SetName(name);
  try {
    return tiz::DeserializeStore(store, doc);
  } catch (const std::bad_alloc &) {
    throw Failure("tiz: out of memory loading the tree file");
  }
}

int32_t SaveStoreInto(uint32_t handle, tiz::ProfileDocument &doc) {
  tiz::frame::LockScope lock;
  return tiz::SerializeStore(StoreOf(handle), doc);
}

int32_t SaveSettingInto(uint32_t handle, const SettingKey &key, tiz::ProfileDocument &doc) {
  tiz::frame::LockScope lock;
  tiz::CAttributeStore *store = StoreOf(handle);
  std::string full = key.group + tiz::kKeySeparator + key.item;
  const tiz::CAttribute *attr = store->FindAttribute(full);
  if (!attr) return TIZ_NOT_FOUND;
  tiz::CAttributeStore *nested = nullptr;
  tiz::SerializeAttribute(*attr, doc, store->Name() + tiz::kKeySeparator + full, &nested);
  return 0;
}

int32_t ReadSectionAsLoaded(const tiz::ProfileDocument &doc, const std::string &section,
                            int32_t *type, uint32_t *size) {
  tiz::frame::LockScope lock;
  tiz::CAttribute attr;
  int32_t result = tiz::DeserializeAttribute(attr, doc, doc.FindSection(section));
  *type = attr.m_type;
  *size = attr.m_size;
  return result;
}

}  // namespace tiztool

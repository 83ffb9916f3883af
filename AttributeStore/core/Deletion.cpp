#include "core/Deletion.h"

#include <string>

#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "core/Teardown.h"
#include "tiz.h"

namespace tiz {

namespace {

// Takes a nested store down with every store child-linked below it, then
// gives back the references its subtree had given its parent chain: without
// that, the parent could never reach 0 again and the whole tree would leak.
void DestroyNestedStore(CAttributeStore *nested) {
  uint32_t parent = nested->ParentHandle();
  int32_t given = nested->RefCount();
  TearDownStore(nested);
  for (int32_t i = 0; i < given; ++i) {
    // Re-checked each time: the parent itself goes when its count reaches 0.
    CAttributeStore *p = LookupStore(parent);
    if (!p || p->Release() != 0) break;
  }
}

}  // namespace

int32_t DeleteSetting(CAttributeStore *store, const char *group, const char *item) {
  if (!group || !*group || !item) return TIZ_E_INVALID_ARG;
  const SettingKey setting(group, item);
  if (store->Keys().Empty()) return 0;
  KeyEntry *entry = store->FindEntry(setting);
  if (!entry) return TIZ_NOT_FOUND;
  CAttribute *attr = &entry->attr;
  // Owned copy: tearing a nested store down runs structure callbacks, which
  // may call back into the library and remove the entry itself.
  std::string key(entry->KeyView());
  if (attr->m_type == kTypeAttributeStore) {
    uint32_t self = store->Handle();
    if (CAttributeStore *nested = LookupStore(attr->m_value.store)) DestroyNestedStore(nested);
    // The store may have gone with the nested one (a loop of links, or its
    // count reaching 0); its entry went with it.
    store = LookupStore(self);
    if (!store) return 0;
  }
  store->RemoveEntry(key);
  return 0;
}

}  // namespace tiz

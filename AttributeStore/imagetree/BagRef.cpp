#include "imagetree/BagRef.h"

#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "core/TypedValues.h"
#include "tiz.h"

namespace tiz {

CAttributeStore *BagRef::Store() const { return LookupStore(m_handle); }

void BagRef::Release() noexcept {
  if (m_referenced) {
    m_referenced = false;
    ReleaseQuietly(m_handle);
  }
}

void ReleaseQuietly(uint32_t handle) noexcept {
  try {
    if (CAttributeStore *store = LookupStore(handle)) store->Release();
  } catch (...) {
  }
}

uint32_t BagRef::Detach() {
  m_referenced = false;
  return m_handle;
}

int32_t ReadBag(CAttributeStore *store, const char *group, const char *item, BagRef *out) {
  // The nested-store getter, keeping the handle the setting holds even when
  // its store is gone, so callers can compare what the settings name.
  CAttribute *attr = nullptr;
  int32_t where = LookupInherited(store, group, item, &attr);
  if (where < 0 || where == TIZ_NOT_FOUND) return where;
  if (int32_t r = attr->CheckType(kTypeAttributeStore)) return r;
  out->m_handle = attr->m_value.store;
  if (CAttributeStore *bag = out->Store()) {
    bag->AddRef();
    out->m_referenced = true;
  }
  return 0;
}

}  // namespace tiz

#include "StoreRef.h"

#include "Failure.h"
#include "tiz.h"

namespace tiztool {

StoreRef::~StoreRef() {
  if (m_handle != 0) TIZ_Release(m_handle);
}

StoreRef &StoreRef::operator=(StoreRef &&other) noexcept {
  if (this != &other) {
    if (m_handle != 0) TIZ_Release(m_handle);
    m_handle = other.Detach();
  }
  return *this;
}

StoreRef StoreRef::Create() {
  uint32_t handle = 0;
  Check(TIZ_Create(&handle), "tiz", "creating a store");
  return StoreRef(handle);
}

uint32_t StoreRef::Detach() {
  uint32_t handle = m_handle;
  m_handle = 0;
  return handle;
}

}  // namespace tiztool

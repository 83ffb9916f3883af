#include "StoreRef.h"

#include "Failure.h"
#include "tiz.h"

namespace tiztool {

StoreRef::~StoreRef() {
  if (handle_ != 0) TIZ_Release(handle_);
}

StoreRef &StoreRef::operator=(StoreRef &&other) noexcept {
  if (this != &other) {
    if (handle_ != 0) TIZ_Release(handle_);
    handle_ = other.Detach();
  }
  return *this;
}

StoreRef StoreRef::Create() {
  uint32_t handle = 0;
  Check(TIZ_Create(&handle), "tiz", "creating a store");
  return StoreRef(handle);
}

uint32_t StoreRef::Detach() {
  uint32_t handle = handle_;
  handle_ = 0;
  return handle;
}

}  // namespace tiztool

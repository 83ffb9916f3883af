#include "StoreKeys.h"

#include "Failure.h"
#include "tiz.h"

namespace tiztool {

namespace {

void RequireStore(int32_t result, uint32_t store) {
  if (result == TIZ_E_INVALID_HANDLE)
    throw Failure("tiz: store handle " + std::to_string(store) + " is not valid");
}

}  // namespace

std::vector<SettingKey> KeysOfStore(uint32_t store) {
  std::vector<SettingKey> keys;
  RequireStore(tiz::inspect::KeysOfStore(store, &keys), store);
  return keys;
}

std::string NameOfStore(uint32_t store) {
  std::string name;
  RequireStore(tiz::inspect::NameOfStore(store, &name), store);
  return name;
}

}  // namespace tiztool

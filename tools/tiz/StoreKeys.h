// What the tool reads of a store beyond the C interface, through the
// library's inspection: the keys a store holds (iteration lists groups only)
// and a store's name (the section prefix its settings are saved under).
#ifndef TIZ_TOOL_STOREKEYS_H
#define TIZ_TOOL_STOREKEYS_H

#include <cstdint>
#include <string>
#include <vector>

#include "TreeInspection.h"

namespace tiztool {

using SettingKey = tiz::inspect::SettingKey;

// The keys of the store's own settings in key-list order.
std::vector<SettingKey> KeysOfStore(uint32_t store);

// "Root" for a root store, the section name of the setting it was last
// linked under for a nested one.
std::string NameOfStore(uint32_t store);

}  // namespace tiztool

#endif

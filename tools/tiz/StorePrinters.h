// The two ways `show` prints a store: an indented tree, one setting a line,
// and JSON, one object per store.
#ifndef TIZ_TOOL_STOREPRINTERS_H
#define TIZ_TOOL_STOREPRINTERS_H

#include <nlohmann/json.hpp>
#include <ostream>

#include "StoreView.h"

namespace tiztool {

// The store's name (a nested store's path, joined by "/"), then per setting: group, item, type and
// the value of the library's display text, in aligned columns; a nested store's settings are
// indented below the setting that holds it.
void PrintStoreTree(std::ostream &out, const StoreView &store);

// {"name": ..., "settings": [{"group", "item", "type", "size", "value"}]};
// a nested store is the value of the setting that holds it, a buffer is
// uppercase hex, an image its handle, and values without one are null.
nlohmann::ordered_json StoreJson(const StoreView &store);
void PrintStoreJson(std::ostream &out, const StoreView &store);

// One of the two, as `--json` asks.
void PrintStore(std::ostream &out, const StoreView &store, bool json);

}  // namespace tiztool

#endif

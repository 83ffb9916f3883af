// The two ways `show` prints a store: an indented tree, one setting a line,
// and JSON, one object per store.
#ifndef TIZ_TOOL_STOREPRINTERS_H
#define TIZ_TOOL_STOREPRINTERS_H

#include <nlohmann/json.hpp>
#include <ostream>

#include "StoreView.h"

namespace tiztool {

// How the tree shows a value: the one rendering of values (get, diff and
// JSON print the same), or the library's display text.
enum class ValueStyle { kExact, kDisplay };

// The store's name (a nested store's path, joined by "/"), then per setting: group, item, type
// and the value, in aligned columns; a nested store's settings are indented below the setting
// that holds it. Texts are converted to UTF-8 and control bytes escaped.
void PrintStoreTree(std::ostream &out, const StoreView &store,
                    ValueStyle style = ValueStyle::kExact);

// {"name": ..., "settings": [{"group", "item", "type", "size", "value"}]};
// a nested store is the value of the setting that holds it, a buffer is
// uppercase hex, an image its handle, a NaN or infinite double the string
// "nan", "inf" or "-inf", and values without one are null. Texts are UTF-8.
nlohmann::ordered_json StoreJson(const StoreView &store);
void PrintStoreJson(std::ostream &out, const StoreView &store);

// One of the two, as `--json` asks.
void PrintStore(std::ostream &out, const StoreView &store, bool json,
                ValueStyle style = ValueStyle::kExact);

}  // namespace tiztool

#endif

// The keys of a tree file's sections: one section per setting, named after
// the holding store's path name and the setting's full key.
#ifndef TIZ_PERSIST_TREESECTIONS_H
#define TIZ_PERSIST_TREESECTIONS_H

#include <cstddef>
#include <string_view>

#include "core/Names.h"

namespace tiz {

constexpr char kSizeKey[] = "Size";
constexpr char kTypeKey[] = "Type";
constexpr char kValueKey[] = "Value";

// Buffers of the type keyword and of a double's text.
constexpr size_t kTypeTextSize = 256;
constexpr size_t kDoubleTextSize = 256;

// A section name split by SplitName into the holding store's path name, the
// group and the item. False when a part is empty: the section belongs to no
// store.
bool SplitSectionName(std::string_view name, NameParts *parts);

}  // namespace tiz

#endif

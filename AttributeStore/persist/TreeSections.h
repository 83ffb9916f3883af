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
// Extra keys of an ATTRIBUTESTORE section. A store held at several places is
// written once, at the first place a save meets it; every later place names
// that place's section (or the saved store's own name) in kSameStoreKey. A
// store linked as the child of the store holding it at a place carries
// kChildLinkKey=1 there. Readers that do not know the keys see an empty store.
constexpr char kSameStoreKey[] = "SameStoreAs";
constexpr char kChildLinkKey[] = "ChildLink";
constexpr char kChildLinkValue[] = "1";

// Buffers of the type keyword and of a double's text.
constexpr size_t kTypeTextSize = 256;
constexpr size_t kDoubleTextSize = 256;

// A section name split by SplitName into the holding store's path name, the
// group and the item. False when a part is empty: the section belongs to no
// store.
bool SplitSectionName(std::string_view name, NameParts *parts);

}  // namespace tiz

#endif

// Splitting store path names and full keys back into their parts. A path
// reads "Root" 0x7F group 0x7F item [0x7F group 0x7F item ...]; a full key is
// group 0x7F item.
#ifndef TIZ_CORE_NAMES_H
#define TIZ_CORE_NAMES_H

#include <string>
#include <string_view>

namespace tiz {

constexpr char kKeySeparator = '\x7F';
// Accepted as the last separator of a name that holds no 0x7F.
constexpr char kAltKeySeparator = '\xB3';

// The path name of a root store, the owner of a name with one separator.
constexpr std::string_view kRootStoreName = "Root";

// A name's parts as views into the name, except an owner of kRootStoreName,
// which views that constant: a tree load splits every section name.
struct NameParts {
  std::string_view owner, group, item;
};
// Splits at the last separator (0x7F, else 0xB3) into the item and the text
// before it, and that text at its last 0x7F into the owner and the group; the
// owner is "Root" when there is no such 0x7F. A separator counts only at
// index 1 or later, and never as the trail byte of a double-byte character.
// False, with every part empty, when the name has no separator.
bool SplitName(std::string_view name, NameParts *parts);

// The text after the last separator, or "" when there is none.
std::string ItemOfName(std::string_view name);
// The text between the last two separators (or before the last one).
std::string GroupOfName(std::string_view name);
// The text before the group's separator, "Root" when there is none, or ""
// when the name has no separator at all.
std::string OwnerOfName(std::string_view name);

}  // namespace tiz

#endif

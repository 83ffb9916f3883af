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

// The text after the last separator, or "" when there is none.
std::string ItemOfName(std::string_view name);
// The text between the last two separators (or before the last one).
std::string GroupOfName(std::string_view name);
// The text before the group's separator, "Root" when there is none, or ""
// when the name has no separator at all.
std::string OwnerOfName(std::string_view name);

}  // namespace tiz

#endif

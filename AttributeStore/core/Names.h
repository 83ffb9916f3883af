// Splitting store path names and full keys back into their parts. A path
// reads "Root" 0x7F group 0x7F item [0x7F group 0x7F item ...]; a full key is
// group 0x7F item.
#ifndef TIZ_CORE_NAMES_H
#define TIZ_CORE_NAMES_H

#include <cstring>
#include <string>
#include <string_view>

namespace tiz {

constexpr char kKeySeparator = '\x7F';
// Accepted as the last separator of a name that holds no 0x7F.
constexpr char kAltKeySeparator = '\xB3';

// The path name of a root store, the owner of a name with one separator.
constexpr std::string_view kRootStoreName = "Root";

// The group and item of a full key, with "Default" and "Value" standing in
// for an empty or null group and item.
struct KeyNames {
  std::string_view group, item;
  size_t Length() const { return group.size() + 1 + item.size(); }
};
inline KeyNames KeyNamesOf(std::string_view group, std::string_view item) {
  return {group.empty() ? "Default" : group, item.empty() ? "Value" : item};
}
inline KeyNames KeyNamesOf(const char *group, const char *item) {
  return KeyNamesOf(std::string_view(group ? group : ""), std::string_view(item ? item : ""));
}
// Writes group 0x7F item and a closing zero into `out`, which holds at least
// Length() + 1 bytes; returns the key without the zero.
inline std::string_view WriteKey(const KeyNames &names, char *out) {
  std::memcpy(out, names.group.data(), names.group.size());
  out[names.group.size()] = kKeySeparator;
  std::memcpy(out + names.group.size() + 1, names.item.data(), names.item.size());
  out[names.Length()] = '\0';
  return {out, names.Length()};
}

// The full key group 0x7F item as a string of its own, for a caller that
// keeps it or handles it whole (a copy, a removal, a comparison); lookups
// name a setting by its names and hash instead (SettingKey).
inline std::string ComposeKey(const KeyNames &names) {
  std::string key;
  key.reserve(names.Length());
  key.append(names.group).push_back(kKeySeparator);
  key.append(names.item);
  return key;
}
inline std::string ComposeKey(const char *group, const char *item) {
  return ComposeKey(KeyNamesOf(group, item));
}

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

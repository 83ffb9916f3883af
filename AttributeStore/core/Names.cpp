#include "core/Names.h"

#include "support/MultiByte.h"

namespace tiz {

namespace {

// A separator counts only at index 1 or later: a name that starts with the
// separator has no parts.
size_t LastSeparator(std::string_view text, char separator) {
  size_t pos = ReverseFindByte(text, static_cast<unsigned char>(separator));
  return (pos != kNoPosition && pos >= 1) ? pos : kNoPosition;
}

}  // namespace

bool SplitName(std::string_view name, NameParts *parts) {
  *parts = NameParts{};
  size_t last = LastSeparator(name, kKeySeparator);
  if (last == kNoPosition) last = LastSeparator(name, kAltKeySeparator);
  if (last == kNoPosition) return false;
  parts->item = name.substr(last + 1);
  std::string_view head = name.substr(0, last);
  // Only 0x7F separates the group from the owner.
  size_t group = LastSeparator(head, kKeySeparator);
  parts->group = group == kNoPosition ? head : head.substr(group + 1);
  parts->owner = group == kNoPosition ? kRootStoreName : head.substr(0, group);
  return true;
}

std::string ItemOfName(std::string_view name) {
  NameParts parts;
  SplitName(name, &parts);
  return std::string(parts.item);
}

std::string GroupOfName(std::string_view name) {
  NameParts parts;
  SplitName(name, &parts);
  return std::string(parts.group);
}

std::string OwnerOfName(std::string_view name) {
  NameParts parts;
  SplitName(name, &parts);
  return std::string(parts.owner);
}

}  // namespace tiz

#include "core/Names.h"

#include "support/MultiByte.h"

namespace tiz {

namespace {

// The last separator, counted only at index 1 or later: a name that starts
// with the separator has no parts.
size_t LastSeparator(std::string_view name) {
  size_t pos = ReverseFindByte(name, static_cast<unsigned char>(kKeySeparator));
  if (pos != kNoPosition && pos >= 1) return pos;
  pos = ReverseFindByte(name, static_cast<unsigned char>(kAltKeySeparator));
  if (pos != kNoPosition && pos >= 1) return pos;
  return kNoPosition;
}

// Position of the separator before the group, within the text before the
// last separator (only 0x7F counts here).
size_t GroupSeparator(std::string_view head) {
  size_t pos = ReverseFindByte(head, static_cast<unsigned char>(kKeySeparator));
  return (pos != kNoPosition && pos >= 1) ? pos : kNoPosition;
}

}  // namespace

std::string ItemOfName(std::string_view name) {
  size_t last = LastSeparator(name);
  if (last == kNoPosition) return {};
  return std::string(name.substr(last + 1));
}

std::string GroupOfName(std::string_view name) {
  size_t last = LastSeparator(name);
  if (last == kNoPosition) return {};
  std::string_view head = name.substr(0, last);
  size_t sep = GroupSeparator(head);
  return std::string(sep == kNoPosition ? head : head.substr(sep + 1));
}

std::string OwnerOfName(std::string_view name) {
  size_t last = LastSeparator(name);
  if (last == kNoPosition) return {};
  std::string_view head = name.substr(0, last);
  size_t sep = GroupSeparator(head);
  return sep == kNoPosition ? std::string("Root") : std::string(head.substr(0, sep));
}

}  // namespace tiz
